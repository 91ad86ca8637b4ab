#include "platform/ui/dbcontrols.h"

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/ui/forms.h"

namespace yz::ui {

using data::DataSetState;

// ---------------------------------------------------------------- FieldLink

data::Field* FieldLink::GetField() const {
  data::DataSet* ds = GetDataSet();
  if (!ds || !ds->Active() || FieldName.empty()) return nullptr;
  return ds->FindField(FieldName);
}

bool FieldLink::CanModify() const {
  data::Field* f = GetField();
  return Active() && f && !f->ReadOnly() && f->Kind() != data::FieldKind::Calculated;
}

bool FieldLink::Edit() {
  if (!CanModify()) return false;
  data::DataSet* ds = GetDataSet();
  if (ds->State() == DataSetState::Browse) ds->Edit();
  return ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert;
}

void FieldLink::RecordChanged(data::Field* f) {
  if (!f || f == GetField()) Changed();
}

// ---------------------------------------------------------------- DBEdit

DBEdit::DBEdit(Component* owner) : Edit(owner) {
  link_.OnDataChange = [this] { ShowField(); };
  link_.OnUpdateData = [this] { UpdateRecord(); };
}

void DBEdit::DescribeProps(PropList& out) const {
  Edit::DescribeProps(out);
  static const PropDef props[] = {
      {"DataField", [](const Component& c) { return static_cast<const DBEdit&>(c).DataField(); },
       [](Component& c, std::string_view v) { static_cast<DBEdit&>(c).SetDataField(std::string(v)); }},
  };
  for (auto& p : props) out.push_back(&p);
}

void DBEdit::SetDataField(std::string name) {
  link_.FieldName = std::move(name);
  ShowField();
}

std::string DBEdit::ActiveMask() const {
  if (!EditMask.empty() || !Focused()) return EditMask;
  data::Field* f = link_.GetField();
  return f ? f->EditMask() : std::string();
}

void DBEdit::ShowField() {
  data::Field* f = link_.GetField();
  showing_ = true;
  std::string t;
  if (f && Focused()) {
    bool fullTime = f->DataType() == data::FieldType::DateTime && !f->IsNull() && IsMasked();
    t = fullTime ? f->AsDateTime().Format("yyyy-mm-dd hh:nn:ss") : f->AsString();
  } else if (f) {
    t = f->DisplayText();
  }
  try {
    SetText(t);
  } catch (...) {
    showing_ = false;
    throw;
  }
  showing_ = false;
  link_.Modified = false;
  Modified = false;
}

bool DBEdit::CanModify() {
  if (ReadOnly()) return false;
  if (!link_.Edit()) {
    App().Beep();
    return false;
  }
  return true;
}

void DBEdit::Change() {
  if (!showing_) link_.Modified = true;
  Edit::Change();
}

void DBEdit::UpdateRecord() {
  if (!link_.Modified) return;
  data::Field* f = link_.GetField();
  if (!f) return;
  if (!link_.Edit()) return;
  ValidateEdit();
  // A refused value throws and the change stays pending.
  if (IsMasked() && MaskBlank()) f->Clear();
  else f->SetAsString(Text());
  link_.Modified = false;
}

void DBEdit::Reset() { ShowField(); }

void DBEdit::DoEnter() {
  if (!link_.Modified) ShowField();  // while focused the edit shows the field's own text
  Edit::DoEnter();
}

void DBEdit::DoExit() {
  try {
    ValidateEdit();
    UpdateRecord();
  } catch (...) {
    SelectAll();
    throw;  // the focus stays: the control keeps its text
  }
  if (!link_.Modified) {
    data::Field* f = link_.GetField();
    showing_ = true;
    SetTextSilently(f ? f->DisplayText() : std::string());
    showing_ = false;
  }
  WinControl::DoExit();  // the mask was checked above; the text now shows the field unmasked
}

void DBEdit::KeyPressDefault(char32_t& key) {
  if (key == 13) {
    UpdateRecord();
    return;
  }
  if (key == 27) {
    Reset();
    key = 0;
    return;
  }
  Edit::KeyPressDefault(key);
}

// ---------------------------------------------------------------- DBCheckBox

DBCheckBox::DBCheckBox(Component* owner) : CheckBox(owner) {
  link_.OnDataChange = [this] { ShowField(); };
}

void DBCheckBox::SetDataField(std::string name) {
  link_.FieldName = std::move(name);
  ShowField();
}

void DBCheckBox::ShowField() {
  data::Field* f = link_.GetField();
  CheckState s = CheckState::Unchecked;
  if (f && !f->IsNull()) {
    if (f->DataType() == data::FieldType::Boolean) s = f->AsBoolean() ? CheckState::Checked : CheckState::Unchecked;
    else if (text::SameText(f->AsString(), ValueChecked)) s = CheckState::Checked;
    else if (!text::SameText(f->AsString(), ValueUnchecked)) s = AllowGrayed ? CheckState::Grayed : CheckState::Unchecked;
  } else if (f && AllowGrayed) {
    s = CheckState::Grayed;
  }
  if (s != State()) {
    SetStateSilently(s);
    Changed("Checked");
  }
}

void DBCheckBox::Toggle() {
  if (ReadOnly || !link_.Edit()) {
    App().Beep();
    return;
  }
  data::Field* f = link_.GetField();
  bool check = !Checked();
  if (f->DataType() == data::FieldType::Boolean) f->SetAsBoolean(check);
  else f->SetAsString(check ? ValueChecked : ValueUnchecked);
  ShowField();
  Click();
}

// ---------------------------------------------------------------- DBRadioGroup

DBRadioGroup::DBRadioGroup(Component* owner) : RadioGroup(owner) {
  link_.OnDataChange = [this] { ShowField(); };
}

void DBRadioGroup::SetDataField(std::string name) {
  link_.FieldName = std::move(name);
  ShowField();
}

void DBRadioGroup::ShowField() {
  data::Field* f = link_.GetField();
  int index = -1;
  if (f) {
    const auto& vals = Values.empty() ? Items : Values;
    std::string v = f->AsString();
    for (size_t i = 0; i < vals.size(); ++i)
      if (vals[i] == v) index = static_cast<int>(i);
  }
  showing_ = true;
  struct Done {
    bool& b;
    ~Done() { b = false; }
  } done{showing_};
  if (index != ItemIndex()) RadioGroup::SetItemIndex(index);
}

void DBRadioGroup::SetItemIndex(int i) {
  if (showing_ || i == ItemIndex()) return RadioGroup::SetItemIndex(i);
  if (i >= 0 && link_.GetDataSource()) {
    if (ReadOnly || !link_.Edit()) {
      App().Beep();
      return;
    }
    const auto& vals = Values.empty() ? Items : Values;
    showing_ = true;
    struct Done {
      bool& b;
      ~Done() { b = false; }
    } done{showing_};
    link_.GetField()->SetAsString(i < static_cast<int>(vals.size()) ? vals[i] : std::string());
  }
  RadioGroup::SetItemIndex(i);
  if (OnChange) OnChange(*this);
}

// ---------------------------------------------------------------- DBLookupComboBox

DBLookupComboBox::DBLookupComboBox(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
  SetColor(clWindow);
  link_.OnDataChange = [this] { ShowField(); };
}

void DBLookupComboBox::DescribeProps(PropList& out) const {
  WinControl::DescribeProps(out);
  static const PropDef props[] = {
      {"KeyValue", [](const Component& c) { return static_cast<const DBLookupComboBox&>(c).KeyValue().ToString(); }, nullptr},
      {"DroppedDown", [](const Component& c) { return BoolText(static_cast<const DBLookupComboBox&>(c).DroppedDown()); },
       [](Component& c, std::string_view v) { static_cast<DBLookupComboBox&>(c).SetDroppedDown(ParseBool(v)); }},
  };
  for (auto& p : props) out.push_back(&p);
}

void DBLookupComboBox::SetDataField(std::string name) {
  link_.FieldName = std::move(name);
  ShowField();
}

DBLookupComboBox::Names DBLookupComboBox::Resolve() const {
  Names n;
  data::Field* f = link_.GetField();
  if (f && f->Kind() == data::FieldKind::Lookup) {
    n.list = f->LookupDataSet();
    n.dataKey = f->KeyFields();
    n.listKey = f->LookupKeyFields();
    n.listField = f->LookupResultField();
  } else {
    n.list = ListSource ? ListSource->GetDataSet() : nullptr;
    n.dataKey = link_.FieldName;
    n.listKey = KeyField;
    n.listField = ListField;
  }
  return n;
}

Variant DBLookupComboBox::KeyValue() const {
  Names n = Resolve();
  data::DataSet* ds = link_.GetDataSet();
  if (!ds || !ds->Active() || n.dataKey.empty()) return Variant();
  data::Field* k = ds->FindField(n.dataKey);
  return k ? k->Value() : Variant();
}

void DBLookupComboBox::ShowField() {
  Names n = Resolve();
  std::string t;
  Variant key = KeyValue();
  if (n.list && n.list->Active() && !key.IsNull() && !n.listKey.empty() && !n.listField.empty()) {
    Variant v = n.list->Lookup(n.listKey, {key}, n.listField);
    t = v.IsNull() ? std::string() : v.ToString();
  }
  SetText(t);
}

std::vector<std::pair<Variant, std::string>> DBLookupComboBox::ListItems() const {
  std::vector<std::pair<Variant, std::string>> out;
  Names n = Resolve();
  if (!n.list || !n.list->Active()) return out;
  data::DataSet& ds = *n.list;
  data::Bookmark bm = ds.GetBookmark();
  ds.DisableControls();
  try {
    for (ds.First(); !ds.Eof(); ds.Next())
      out.emplace_back(ds.FieldByName(n.listKey).Value(), ds.FieldByName(n.listField).DisplayText());
    if (ds.BookmarkValid(bm)) ds.GotoBookmark(bm);
  } catch (...) {
    ds.EnableControls();
    throw;
  }
  ds.EnableControls();
  return out;
}

void DBLookupComboBox::SetDroppedDown(bool v) {
  if (v == dropped_) return;
  if (v && OnDropDown) OnDropDown(*this);
  dropped_ = v;
  Changed("DroppedDown");
  if (!v && OnCloseUp) OnCloseUp(*this);
}

void DBLookupComboBox::SelectByUser(int i) {
  if (!IsEnabled()) return;
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  SetDroppedDown(true);
  auto items = ListItems();
  if (i >= 0 && i < static_cast<int>(items.size())) {
    Names n = Resolve();
    data::DataSet* ds = link_.GetDataSet();
    if (ReadOnly || !ds || !ds->Active()) {
      App().Beep();
    } else {
      if (ds->State() == DataSetState::Browse) ds->Edit();
      ds->FieldByName(n.dataKey).SetValue(items[i].first);
      ShowField();
      Click();
      if (OnChange) OnChange(*this);
    }
  }
  SetDroppedDown(false);
}

void DBLookupComboBox::KeyDownDefault(Word& key, ShiftState shift) {
  if (key == VK_DOWN && (shift & ssAlt)) return SetDroppedDown(!dropped_);
  if (key != VK_DOWN && key != VK_UP) return;
  auto items = ListItems();
  Variant cur = KeyValue();
  int at = -1;
  for (size_t i = 0; i < items.size(); ++i)
    if (!cur.IsNull() && items[i].first.ToString() == cur.ToString()) at = static_cast<int>(i);
  int next = key == VK_DOWN ? at + 1 : at - 1;
  if (next >= 0 && next < static_cast<int>(items.size())) {
    bool was = dropped_;
    SelectByUser(next);
    if (was) SetDroppedDown(true);
  }
}

}  // namespace yz::ui
