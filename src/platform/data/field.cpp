#include "platform/data/field.h"

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/data/dataset_impl.h"

namespace yz::data {

Field::Field(DataSet& owner, FieldDef def, int index) : owner_(&owner), def_(std::move(def)), index_(index) {}

Variant Field::Value() const {
  auto& im = owner_->impl();
  Row* r = im.ActiveRow();
  if (!r) return Variant();
  if (def_.kind == FieldKind::Lookup) return im.LookupValue(*this, r);
  // A change packet's untouched column stays Unassigned (IsNull is true for it as well).
  return r->v[static_cast<size_t>(index_)];
}

void Field::SetValue(const Variant& v) { owner_->impl().SetFieldValue(index_, v); }

Variant Field::OldValue() const {
  auto& im = owner_->impl();
  Row* r = owner_->State() == DataSetState::Edit ? im.editRow : im.ActiveRow();
  if (!r || r == &im.buf) return Variant();  // a row being inserted has no old values
  if (def_.kind == FieldKind::Lookup) return im.LookupValue(*this, r);
  if (r->status == RowStatus::Inserted) return Variant();
  if (r->orig) return (*r->orig)[static_cast<size_t>(index_)];
  return r->v[static_cast<size_t>(index_)];
}

std::string Field::AsString() const { return Value().ToString(); }
void Field::SetAsString(std::string_view v) { SetValue(Variant(v)); }
int Field::AsInteger() const { return Value().ToInt(); }
void Field::SetAsInteger(int v) { SetValue(Variant(v)); }
double Field::AsFloat() const { return Value().ToDouble(); }
void Field::SetAsFloat(double v) { SetValue(Variant(v)); }
DateTime Field::AsDateTime() const { return Value().ToDateTime(); }
void Field::SetAsDateTime(DateTime v) { SetValue(Variant(v)); }
bool Field::AsBoolean() const { return Value().ToBool(); }
void Field::SetAsBoolean(bool v) { SetValue(Variant(v)); }
bool Field::IsNull() const { return Value().IsNull(); }
void Field::Clear() { SetValue(Variant()); }

std::string Field::DisplayText() const {
  if (OnGetText) return OnGetText(*this);
  return AsString();
}

void Field::SetLookup(std::string keyFields, DataSet* lookupDataSet, std::string lookupKeyFields,
                      std::string lookupResultField) {
  if (def_.lookupDataSet && def_.lookupDataSet != lookupDataSet) def_.lookupDataSet->impl().RemoveLookupUser(this);
  def_.keyFields = std::move(keyFields);
  def_.lookupDataSet = lookupDataSet;
  def_.lookupKeyFields = std::move(lookupKeyFields);
  def_.lookupResultField = std::move(lookupResultField);
  if (lookupDataSet) lookupDataSet->impl().AddLookupUser(this);
}

}  // namespace yz::data
