// Report engines: lay a report's bands out onto pages, row by row.
//
// The banded engine prints, per page: page header, title (first page), column header, the
// detail band once per row (exactly `rowsPerPage` rows when set), and the page footer at the
// bottom of the page; the summary follows the last row. The template engine prints its
// header band at the top of every page and its detail band once per row.
//
// Row hooks run around each detail row: BeforeRow after the cursor arrived on the row and
// before the row is drawn (it may change element texts, enabled flags, fonts, or the row's
// values); AfterRow when the engine moves off the row, before the cursor moves on. A page
// is closed (footer drawn) right after the AfterRow hook of its last row, and the next page
// is opened (header drawn) right after the BeforeRow hook of its first row, so header and
// footer texts follow what the hooks set for that page.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report/document.h"
#include "platform/report/expr.h"
#include "platform/report/layout.h"

namespace yz::report {

// The rows a report walks: a cursor over records with named fields.
class RowSource : public FieldReader {
 public:
  virtual void First() = 0;
  virtual void Next() = 0;
  virtual bool Eof() const = 0;
  // Display text of the field in the current row (default: the value as text).
  virtual std::string Text(std::string_view name) const { return Value(name).ToString(); }
};

// In-memory rows: named columns and rows of values; hooks may change values with Set.
class VectorRows : public RowSource {
 public:
  explicit VectorRows(std::vector<std::string> columns);
  void Add(std::vector<Variant> row);  // throws when the value count differs from the columns
  int Count() const { return static_cast<int>(rows_.size()); }
  int Current() const { return pos_; }  // 0-based
  void Set(std::string_view name, Variant value);  // current row

  void First() override { pos_ = 0; }
  void Next() override {
    if (pos_ < Count()) ++pos_;
  }
  bool Eof() const override { return pos_ >= Count(); }
  bool HasField(std::string_view name) const override;
  Variant Value(std::string_view name) const override;  // throws yz::Error for an unknown field

 private:
  int Column(std::string_view name) const;
  std::vector<std::string> columns_;
  std::vector<std::vector<Variant>> rows_;
  int pos_ = 0;
};

class ReportEngine;

struct RowContext {
  ReportEngine& engine;
  Report& report;
  RowSource& rows;
  int row;   // 1-based number of the row
  int page;  // 1-based index of the page the row is (or will be) drawn on
};
using RowHook = std::function<void(RowContext&)>;

class ReportEngine {
 public:
  // The engine keeps references: the layout must outlive it.
  ReportEngine(Layout& layout, Report& report);
  virtual ~ReportEngine() = default;

  RowHook BeforeRow;
  RowHook AfterRow;

  // Shifts everything drawn on the page (added to the top and left margins); the number of
  // rows per page is not affected.
  void SetOffsets(double topMm, double leftMm) {
    offsetTop_ = topMm;
    offsetLeft_ = leftMm;
  }
  // Number printed by the PageNumber system data on the first page (default 1).
  void SetFirstPageNumber(int n) { firstPageNumber_ = n; }
  // Detail rows per page this run uses (the report's setting, or what fits).
  int RowsPerPage() const;

  Report& GetReport() { return report_; }
  Environment& Env() { return layout_.Env(); }

  // Lays the report out over its bound rows (no rows bound: no detail rows).
  Document Run();

 protected:
  ReportEngine(Layout& layout, Report& report, bool templateMode);

 private:
  struct Run_;
  Layout& layout_;
  Report& report_;
  bool template_;
  double offsetTop_ = 0, offsetLeft_ = 0;
  int firstPageNumber_ = 1;
};

// The banded engine (title, page header, column header, detail, summary, page footer).
class BandedEngine : public ReportEngine {
 public:
  explicit BandedEngine(Layout& layout, int reportIndex = 0);
};

// The template engine (header and detail bands), with its own document viewer.
class TemplateEngine : public ReportEngine {
 public:
  explicit TemplateEngine(Layout& layout, int reportIndex = 0);
};

}  // namespace yz::report
