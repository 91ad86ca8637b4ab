#include <xlsxwriter.h>

#include <cstdio>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/data/dataset.h"
#include "platform/report/dataset_rows.h"

namespace yz::report {

namespace {

// Closes (and so writes) the workbook exactly once.
struct Book {
  lxw_workbook* wb = nullptr;
  ~Book() {
    if (wb) workbook_close(wb);
  }
  lxw_error Close() {
    lxw_error e = workbook_close(wb);
    wb = nullptr;
    return e;
  }
};

// Keeps the cursor and the controls of the dataset as they were, also after an error.
struct KeepPosition {
  yz::data::DataSet& ds;
  yz::data::Bookmark mark;
  explicit KeepPosition(yz::data::DataSet& d) : ds(d), mark(d.GetBookmark()) { ds.DisableControls(); }
  ~KeepPosition() {
    try {
      if (mark.Valid() && ds.BookmarkValid(mark)) ds.GotoBookmark(mark);
    } catch (...) {
    }
    ds.EnableControls();
  }
};

}  // namespace

std::vector<std::vector<std::string>> SheetCells(yz::data::DataSet& ds, int maxFieldTag) {
  std::vector<std::vector<std::string>> out;
  if (!ds.Active()) return out;
  std::vector<yz::data::Field*> fields;
  for (int i = 0; i < ds.FieldCount(); ++i)
    if (ds.FieldAt(i).Tag() <= maxFieldTag) fields.push_back(&ds.FieldAt(i));
  KeepPosition keep(ds);
  out.emplace_back();
  for (auto* f : fields) out.back().push_back(f->DisplayLabel());
  for (ds.First(); !ds.Eof(); ds.Next()) {
    out.emplace_back();
    for (auto* f : fields) out.back().push_back(f->DisplayText());
  }
  return out;
}

bool ExportToXlsx(yz::data::DataSet& ds, int maxFieldTag, const std::string& fileName, const std::string& sheetName) {
  if (!ds.Active()) return false;
  if (fileName.empty()) throw Error("Cannot export: no file name was given");
  std::vector<std::vector<std::string>> cells = SheetCells(ds, maxFieldTag);

  Book book;
  book.wb = workbook_new(fileName.c_str());
  if (!book.wb) throw Error("Cannot write spreadsheet '" + fileName + "'");
  lxw_worksheet* sheet = workbook_add_worksheet(book.wb, sheetName.empty() ? nullptr : sheetName.c_str());
  if (!sheet) throw Error("Cannot write spreadsheet '" + fileName + "': invalid sheet name '" + sheetName + "'");
  auto fail = [&](const std::string& what) {
    book.Close();
    std::remove(fileName.c_str());  // no half-filled sheet is left behind
    throw Error(what);
  };
  for (size_t r = 0; r < cells.size(); ++r) {
    for (size_t c = 0; c < cells[r].size(); ++c) {
      std::string v = text::SanitizeUtf8(cells[r][c]);
      if (v.empty()) continue;
      lxw_error e = worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), v.c_str(), nullptr);
      if (e != LXW_NO_ERROR)
        fail("Cannot write spreadsheet '" + fileName + "' (row " + std::to_string(r + 1) + ", column " +
                    std::to_string(c + 1) + "): " + lxw_strerror(e));
    }
  }
  lxw_error e = book.Close();
  if (e != LXW_NO_ERROR) throw Error("Cannot write spreadsheet '" + fileName + "': " + lxw_strerror(e));
  return true;
}

}  // namespace yz::report
