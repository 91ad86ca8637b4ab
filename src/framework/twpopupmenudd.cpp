#include "framework/twpopupmenudd.h"

namespace yz {

namespace {
const char* const kMethodHints[4] = {"输入法=拼音", "输入法=自定义", "输入法=代码", "输入法=名称"};
}

TtwPopupMenuDD::TtwPopupMenuDD(ui::Control* edit)
    : ui::PopupMenu(edit), edit_(edit), firstColor_(edit ? edit->GetColor() : ui::clWindow) {
  OnPopup = [this](ui::Component&) {
    BuildItems();
    for (int i = 0; i < 4; ++i) Items().Items(i)->Checked = i == InputMethod();
  };
  if (edit_) edit_->SetHint(HintFor(Pinyin));
}

std::string TtwPopupMenuDD::HintFor(int method) {
  return method >= 0 && method < 4 ? kMethodHints[method] : std::string();
}

void TtwPopupMenuDD::SetInputMethod(int method) {
  SetTag(method);
  if (!edit_) return;
  if (method >= 0 && method < 4) edit_->SetColor(method == 0 ? firstColor_ : kColors[method]);
  edit_->SetHint(HintFor(method));
}

void TtwPopupMenuDD::NextMethod() { SetInputMethod((InputMethod() + 1) % 4); }
void TtwPopupMenuDD::PriorMethod() { SetInputMethod((InputMethod() + 3) % 4); }

void TtwPopupMenuDD::BuildItems() {
  if (built_) return;
  built_ = true;
  auto method = [this](ui::Component& c) { MethodClick(static_cast<ui::MenuItem&>(c)); };
  auto limit = [this](ui::Component& c) { LimitClick(static_cast<ui::MenuItem&>(c)); };
  Items().AddItem("拼音", 1, method);
  Items().AddItem("自定义码", 2, method);
  Items().AddItem("代码", 3, method);
  Items().AddItem("名称", 4, method);
  Items().AddItem("-", 5);
  Items().AddItem("显示记录数=10", 10, limit);
  Items().AddItem("显示记录数=20", 20, limit)->Checked = true;
  Items().AddItem("显示记录数=50", 50, limit);
  Items().AddItem("所有纪录", -1, limit);
}

int TtwPopupMenuDD::RowLimit() const {
  if (!built_) return 20;
  auto& root = const_cast<TtwPopupMenuDD*>(this)->Items();
  for (int i = 4; i < root.Count(); ++i) {
    auto* item = root.Items(i);
    if (item->Checked) return item->Tag() == -1 ? 0 : item->Tag();
  }
  return 20;
}

void TtwPopupMenuDD::MethodClick(ui::MenuItem& item) {
  for (int i = 0; i < 4; ++i) Items().Items(i)->Checked = false;
  item.Checked = true;
  SetInputMethod(item.Tag() - 1);
  if (edit_) edit_->SetShowHint(true);
}

void TtwPopupMenuDD::LimitClick(ui::MenuItem& item) {
  auto* host = dynamic_cast<InputMethodHost*>(edit_);
  if (host && host->FetchesListOnce()) return;
  for (int i = 4; i < Items().Count(); ++i) Items().Items(i)->Checked = false;
  item.Checked = true;
  if (host) host->RowLimitChanged(RowLimit());
}

}  // namespace yz
