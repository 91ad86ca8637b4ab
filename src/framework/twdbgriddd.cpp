#include "framework/twdbgriddd.h"

#include <memory>

#include "framework/twdbeditdd.h"
#include "platform/ui/forms.h"

namespace yz {

TtwDBGridDD::TtwDBGridDD(ui::Component* owner) : ui::DBGrid(owner) {
  ui::DBGrid::SetVisible(false);
  SetTabStop(false);
  Options = kRestOptions;
  ui::Font f;
  f.Name = "宋体";
  f.Height = 12;
  f.Charset = 134;  // GB2312
  f.Color = ui::clWindowText;
  SetFont(f);
}

void TtwDBGridDD::DescribeProps(ui::PropList& out) const {
  ui::DBGrid::DescribeProps(out);
  static const ui::PropDef props[] = {
      {"FixPosition", [](const ui::Component& c) { return ui::BoolText(static_cast<const TtwDBGridDD&>(c).FixPosition); },
       [](ui::Component& c, std::string_view v) { static_cast<TtwDBGridDD&>(c).FixPosition = ui::ParseBool(v); }},
      {"AutoScroll", [](const ui::Component& c) { return ui::BoolText(static_cast<const TtwDBGridDD&>(c).AutoScroll); },
       [](ui::Component& c, std::string_view v) { static_cast<TtwDBGridDD&>(c).AutoScroll = ui::ParseBool(v); }},
      {"ExtendFormOnCreate",
       [](const ui::Component& c) { return ui::BoolText(static_cast<const TtwDBGridDD&>(c).ExtendFormOnCreate()); },
       [](ui::Component& c, std::string_view v) { static_cast<TtwDBGridDD&>(c).SetExtendFormOnCreate(ui::ParseBool(v)); }},
  };
  for (auto& p : props) out.push_back(&p);
}

void TtwDBGridDD::SetExtendFormOnCreate(bool v) {
  extendFormOnCreate_ = v;
  if (!v || hooked_) return;
  ui::Form* form = nullptr;
  for (ui::Component* c = Owner(); c && !form; c = c->Owner()) form = dynamic_cast<ui::Form*>(c);
  if (!form) return;
  hooked_ = true;
  auto previous = std::make_shared<ui::NotifyEvent>(std::move(form->OnCreate));
  form->OnCreate = [form, previous](ui::Component& sender) {
    SetUpLookupEdits(*form);
    if (*previous) (*previous)(sender);
  };
}

void TtwDBGridDD::BindEdit(TtwDBEditDD* edit) {
  if (edit_ == edit) return;
  if (edit_) edit_->RemoveFreeNotification(this);
  edit_ = edit;
  if (edit_) edit_->FreeNotification(this);
}

void TtwDBGridDD::Notification(ui::Component* gone) {
  ui::DBGrid::Notification(gone);
  if (gone == edit_) edit_ = nullptr;
}

bool TtwDBGridDD::TakeMouseFocusing() {
  bool v = mouseFocusing_;
  mouseFocusing_ = false;
  return v;
}

void TtwDBGridDD::SetVisible(bool v) {
  ui::DBGrid::SetVisible(v);
  Options = v ? kDroppedOptions : kRestOptions;
}

bool TtwDBGridDD::ListHasRows() const {
  data::DataSet* ds = DataSet();
  return ds && ds->Active() && !ds->IsEmpty();
}

void TtwDBGridDD::TakeRow() {
  if (edit_ && ListHasRows()) edit_->EnterKey();
}

bool TtwDBGridDD::WantsKey(ui::Word key) const { return key == ui::VK_RETURN || ui::DBGrid::WantsKey(key); }

void TtwDBGridDD::KeyDownDefault(ui::Word& key, ui::ShiftState shift) {
  if (key == ui::VK_RETURN) {
    // Taken on key down: the character that follows must not move the list first.
    if (edit_ && ListHasRows()) {
      key = 0;
      edit_->EnterKey();
    }
    return;
  }
  ui::DBGrid::KeyDownDefault(key, shift);
}

void TtwDBGridDD::MouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y) {
  if (!Focused()) mouseFocusing_ = true;
  ui::DBGrid::MouseDown(button, shift, x, y);
}

void TtwDBGridDD::MouseUp(ui::MouseButton button, ui::ShiftState shift, int x, int y) {
  mouseFocusing_ = false;
  ui::DBGrid::MouseUp(button, shift, x, y);
}

void TtwDBGridDD::Click() {
  ui::DBGrid::Click();
  if (Alive(this)) TakeRow();
}

void TtwDBGridDD::DblClick() {
  ui::DBGrid::DblClick();
  if (Alive(this) && Showing()) TakeRow();
}

}  // namespace yz
