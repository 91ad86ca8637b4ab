#include "platform/report/dataset_rows.h"

#include "platform/data/dataset.h"

namespace yz::report {

void DataSetRows::First() { ds_.First(); }
void DataSetRows::Next() { ds_.Next(); }
bool DataSetRows::Eof() const { return !ds_.Active() || ds_.Eof(); }
bool DataSetRows::HasField(std::string_view name) const { return ds_.FindField(name) != nullptr; }
Variant DataSetRows::Value(std::string_view name) const { return ds_.FieldByName(name).Value(); }
std::string DataSetRows::Text(std::string_view name) const { return ds_.FieldByName(name).DisplayText(); }

void BindDataSet(Layout& layout, yz::data::DataSet& ds) {
  layout.BindRows(std::make_shared<DataSetRows>(ds), ds.Name);
}

}  // namespace yz::report
