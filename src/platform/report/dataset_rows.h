// The report layer's bridge to datasets: rows walked over a dataset's cursor, the data
// binding walk, and spreadsheet export.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/report/engine.h"

namespace yz::data {
class DataSet;
}

namespace yz::report {

// A dataset's rows, walked with its own cursor (First/Next/Eof). Texts are the fields'
// display texts. Hooks change a row through the dataset itself (Edit, FieldByName, Post).
class DataSetRows : public RowSource {
 public:
  explicit DataSetRows(yz::data::DataSet& ds) : ds_(ds) {}
  yz::data::DataSet& DataSet() const { return ds_; }

  void First() override;
  void Next() override;
  bool Eof() const override;
  bool HasField(std::string_view name) const override;
  Variant Value(std::string_view name) const override;  // throws yz::Error "Field 'x' not found"
  std::string Text(std::string_view name) const override;

 private:
  yz::data::DataSet& ds_;
};

// The data binding walk over a dataset: every report of the layout, and every data-aware
// element of its bands, reads `ds` afterwards.
void BindDataSet(Layout& layout, yz::data::DataSet& ds);

// What a sheet export holds: the display labels of the fields whose tag is not above
// maxFieldTag, then one row per record (from the first) with those fields' display texts.
// The cursor position is restored and the dataset's controls are re-enabled, also after an
// error. A closed dataset gives no rows.
std::vector<std::vector<std::string>> SheetCells(yz::data::DataSet& ds, int maxFieldTag);

// Writes the dataset into a new .xlsx workbook: row 1 holds the display labels of the
// fields whose tag is not above maxFieldTag, then one row per record with the fields'
// display texts. Answers false (and writes nothing) when the dataset is closed. The cursor
// position is restored and the dataset's controls are re-enabled, also after an error.
// Throws yz::Error naming the file when it cannot be written.
bool ExportToXlsx(yz::data::DataSet& ds, int maxFieldTag, const std::string& fileName,
                  const std::string& sheetName = "Sheet1");

}  // namespace yz::report
