// Fields of a dataset: typed access to one column of the dataset's current row.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/base/variant.h"
#include "platform/data/types.h"

namespace yz::data {

class DataSet;

// What a field is made from. Persistent fields are added from definitions before opening;
// a set opened from a packet without persistent fields gets one data field per column.
struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;  // characters for text fields (0: unlimited)
  FieldKind kind = FieldKind::Data;
  bool required = false;
  bool readOnly = false;
  bool key = false;  // sent as a key column to the resolver
  std::string displayLabel{};
  int displayWidth = 0;
  // Lookup fields: the value of lookupResultField in lookupDataSet where lookupKeyFields
  // equal this set's keyFields (several fields separated by ';').
  std::string keyFields{};
  DataSet* lookupDataSet = nullptr;
  std::string lookupKeyFields{};
  std::string lookupResultField{};
  // Input mask a data-aware edit applies while it has the focus ("mask;save-literals;blank").
  std::string editMask{};
  // Text of the message shown when the field's constraint fails. The field carries the text
  // only: no constraint condition is defined on fields, so nothing checks or raises it here.
  std::string constraintErrorMessage{};
};

class Field {
 public:
  Field(DataSet& owner, FieldDef def, int index);
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  DataSet& Dataset() const { return *owner_; }
  const std::string& FieldName() const { return def_.name; }
  FieldType DataType() const { return def_.type; }
  FieldKind Kind() const { return def_.kind; }
  int Size() const { return def_.size; }
  int Index() const { return index_; }
  bool IsData() const { return def_.kind == FieldKind::Data; }
  const FieldDef& Def() const { return def_; }

  // Value of the current row (computed for lookup and calculated fields).
  Variant Value() const;
  // Writes the current row; the dataset must be in edit or insert state (or computing
  // calculated fields for a calculated field). Text longer than Size() is cut.
  void SetValue(const Variant& v);
  // The value as fetched (or as it was before the pending change) of the current row.
  Variant OldValue() const;

  std::string AsString() const;
  void SetAsString(std::string_view v);
  int AsInteger() const;
  void SetAsInteger(int v);
  double AsFloat() const;
  void SetAsFloat(double v);
  DateTime AsDateTime() const;
  void SetAsDateTime(DateTime v);
  bool AsBoolean() const;
  void SetAsBoolean(bool v);
  bool IsNull() const;
  void Clear();
  // Display text (OnGetText when set, else AsString).
  std::string DisplayText() const;

  bool ReadOnly() const { return def_.readOnly; }
  void SetReadOnly(bool v) { def_.readOnly = v; }
  bool Required() const { return def_.required; }
  const std::string& DisplayLabel() const { return def_.displayLabel.empty() ? def_.name : def_.displayLabel; }
  void SetDisplayLabel(std::string v) { def_.displayLabel = std::move(v); }
  int DisplayWidth() const { return def_.displayWidth > 0 ? def_.displayWidth : (def_.size > 0 ? def_.size : 10); }
  void SetDisplayWidth(int v) { def_.displayWidth = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  int Tag() const { return tag_; }
  void SetTag(int v) { tag_ = v; }
  // The edit mask data-aware edits use while focused (see FieldDef::editMask).
  const std::string& EditMask() const { return def_.editMask; }
  void SetEditMask(std::string v) { def_.editMask = std::move(v); }
  // The constraint message (text only: nothing enforces a constraint on a field).
  const std::string& ConstraintErrorMessage() const { return def_.constraintErrorMessage; }
  void SetConstraintErrorMessage(std::string v) { def_.constraintErrorMessage = std::move(v); }

  // Lookup definition, changeable at run time (the next read uses the new definition).
  void SetLookup(std::string keyFields, DataSet* lookupDataSet, std::string lookupKeyFields,
                 std::string lookupResultField);
  DataSet* LookupDataSet() const { return def_.lookupDataSet; }
  const std::string& KeyFields() const { return def_.keyFields; }
  const std::string& LookupKeyFields() const { return def_.lookupKeyFields; }
  const std::string& LookupResultField() const { return def_.lookupResultField; }

  // Events: OnValidate runs before a value is stored (a throw refuses it); OnChange after.
  std::function<void(Field&)> OnValidate;
  std::function<void(Field&)> OnChange;
  std::function<std::string(const Field&)> OnGetText;

 private:
  friend class DataSet;
  friend struct DataSetImplAccess;
  DataSet* owner_;
  FieldDef def_;
  int index_;
  bool visible_ = true;
  int tag_ = 0;
};

}  // namespace yz::data
