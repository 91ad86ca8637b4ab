// Data-aware controls: they show the current row's field of a data source, write the user's
// changes back (on exit, on Enter, before the row is posted) and follow the cursor, except
// while the dataset's controls are disabled.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/data/dataset.h"
#include "platform/ui/controls.h"

namespace yz::ui {

// The link of one control to one field.
class FieldLink : public data::DataLink {
 public:
  std::string FieldName;
  data::Field* GetField() const;  // null when the set is closed or has no such field
  // Puts the dataset into edit state when browsing; false when the field cannot be changed.
  bool Edit();
  bool CanModify() const;
  bool Modified = false;  // the control holds a change not yet written to the field
  std::function<void()> OnDataChange, OnUpdateData;

  void ActiveChanged() override { Changed(); }
  void DataSetChanged() override { Changed(); }
  void DataSetScrolled(int) override { Changed(); }
  void RecordChanged(data::Field* f) override;
  void UpdateData() override {
    if (OnUpdateData) OnUpdateData();
  }

 private:
  void Changed() {
    Modified = false;
    if (OnDataChange) OnDataChange();
  }
};

// While focused, an edit without a mask of its own uses its field's edit mask (a date-time
// field then shows its full "yyyy-mm-dd hh:nn:ss" text fitted to the mask); a masked text
// with no position filled clears the field.
class DBEdit : public Edit {
 public:
  explicit DBEdit(Component* owner);
  std::string ClassName() const override { return "DBEdit"; }
  void DescribeProps(PropList& out) const override;
  data::DataSource* DataSource() const { return link_.GetDataSource(); }
  void SetDataSource(data::DataSource* s) { link_.SetDataSource(s); }
  const std::string& DataField() const { return link_.FieldName; }
  void SetDataField(std::string name);
  data::Field* Field() const { return link_.GetField(); }
  // Writes a pending change to the field (a refused value throws and keeps the change).
  void UpdateRecord();
  void Reset();  // shows the field again, dropping a pending change
  std::string ActiveMask() const override;

  void DoEnter() override;
  void DoExit() override;
  void KeyPressDefault(char32_t& key) override;

 protected:
  bool CanModify() override;
  void Change() override;

 private:
  void ShowField();
  FieldLink link_;
  bool showing_ = false;
};

// Checked when the field's text equals ValueChecked (case-insensitive; a boolean field by
// its value). A user's toggle writes the field at once.
class DBCheckBox : public CheckBox {
 public:
  explicit DBCheckBox(Component* owner);
  std::string ClassName() const override { return "DBCheckBox"; }
  data::DataSource* DataSource() const { return link_.GetDataSource(); }
  void SetDataSource(data::DataSource* s) { link_.SetDataSource(s); }
  const std::string& DataField() const { return link_.FieldName; }
  void SetDataField(std::string name);
  data::Field* Field() const { return link_.GetField(); }
  std::string ValueChecked = "True", ValueUnchecked = "False";
  bool ReadOnly = false;

 protected:
  void Toggle() override;

 private:
  void ShowField();
  FieldLink link_;
};

// ItemIndex follows the field (its text among Values, or among Items when Values is empty);
// choosing an item writes the field and runs OnClick, then OnChange.
class DBRadioGroup : public RadioGroup {
 public:
  explicit DBRadioGroup(Component* owner);
  std::string ClassName() const override { return "DBRadioGroup"; }
  data::DataSource* DataSource() const { return link_.GetDataSource(); }
  void SetDataSource(data::DataSource* s) { link_.SetDataSource(s); }
  const std::string& DataField() const { return link_.FieldName; }
  void SetDataField(std::string name);
  data::Field* Field() const { return link_.GetField(); }
  std::vector<std::string> Values;
  bool ReadOnly = false;
  void SetItemIndex(int i) override;
  NotifyEvent OnChange;

 private:
  void ShowField();
  FieldLink link_;
  bool showing_ = false;
};

// Shows, for the key in DataField, the ListField of the matching row of ListSource (found by
// KeyField); choosing a row writes its key. A lookup DataField supplies the four names itself.
class DBLookupComboBox : public WinControl {
 public:
  explicit DBLookupComboBox(Component* owner);
  std::string ClassName() const override { return "DBLookupComboBox"; }
  void DescribeProps(PropList& out) const override;
  data::DataSource* DataSource() const { return link_.GetDataSource(); }
  void SetDataSource(data::DataSource* s) { link_.SetDataSource(s); }
  const std::string& DataField() const { return link_.FieldName; }
  void SetDataField(std::string name);
  data::DataSource* ListSource = nullptr;
  std::string KeyField, ListField;
  bool ReadOnly = false;

  Variant KeyValue() const;
  // The list rows as (key, text), in the list's order.
  std::vector<std::pair<Variant, std::string>> ListItems() const;
  bool DroppedDown() const { return dropped_; }
  void SetDroppedDown(bool v);
  // The user opens the list and picks row i: the key is written, OnClick runs.
  void SelectByUser(int i);
  NotifyEvent OnDropDown, OnCloseUp, OnChange;
  void KeyDownDefault(Word& key, ShiftState shift) override;
  bool WantsKey(Word key) const override { return key == VK_UP || key == VK_DOWN; }

 private:
  struct Names {
    data::DataSet* list = nullptr;
    std::string dataKey, listKey, listField;
  };
  Names Resolve() const;
  void ShowField();
  FieldLink link_;
  bool dropped_ = false;
};

}  // namespace yz::ui
