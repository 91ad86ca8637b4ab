#include "platform/report/engine.h"

#include <climits>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <unordered_map>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::report {

// ---------------------------------------------------------------- page model

std::vector<std::string> Page::TextsOf(std::string_view element) const {
  std::vector<std::string> out;
  for (const DrawOp& op : ops)
    if (op.kind == OpKind::Text && op.element == element) out.push_back(op.text);
  return out;
}

int Page::RowCount() const {
  std::set<int> rows;
  for (const DrawOp& op : ops)
    if (op.row > 0) rows.insert(op.row);
  return static_cast<int>(rows.size());
}

const DrawOp* Page::Find(std::string_view element) const {
  for (const DrawOp& op : ops)
    if (op.element == element) return &op;
  return nullptr;
}

const Page& Document::GetPage(int index) const {
  if (index < 0 || index >= PageCount())
    throw Error("Page " + std::to_string(index + 1) + " does not exist (the document has " +
                std::to_string(PageCount()) + " pages)");
  return pages[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------- VectorRows

VectorRows::VectorRows(std::vector<std::string> columns) : columns_(std::move(columns)) {}

void VectorRows::Add(std::vector<Variant> row) {
  if (row.size() != columns_.size())
    throw Error("Row has " + std::to_string(row.size()) + " values for " + std::to_string(columns_.size()) +
                " columns");
  rows_.push_back(std::move(row));
}

int VectorRows::Column(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (text::SameText(columns_[i], name)) return static_cast<int>(i);
  return -1;
}

bool VectorRows::HasField(std::string_view name) const { return Column(name) >= 0; }

Variant VectorRows::Value(std::string_view name) const {
  int c = Column(name);
  if (c < 0) throw Error("Field '" + std::string(name) + "' not found");
  if (Eof()) throw Error("No current row");
  return rows_[static_cast<size_t>(pos_)][static_cast<size_t>(c)];
}

void VectorRows::Set(std::string_view name, Variant value) {
  int c = Column(name);
  if (c < 0) throw Error("Field '" + std::string(name) + "' not found");
  if (Eof()) throw Error("No current row");
  rows_[static_cast<size_t>(pos_)][static_cast<size_t>(c)] = std::move(value);
}

// ---------------------------------------------------------------- engine

ReportEngine::ReportEngine(Layout& layout, Report& report) : ReportEngine(layout, report, false) {}

ReportEngine::ReportEngine(Layout& layout, Report& report, bool templateMode)
    : layout_(layout), report_(report), template_(templateMode) {}

namespace {

Report& ReportAt(Layout& layout, int index) {
  if (index < 0 || index >= static_cast<int>(layout.reports.size()))
    throw Error("The layout has no report number " + std::to_string(index + 1));
  return layout.reports[static_cast<size_t>(index)];
}

double BandHeight(const Band* b) { return (b && b->enabled) ? b->height : 0; }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read image '" + path + "'");
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string ApplyTemplate(const std::string& tmpl, const std::string& value) {
  if (tmpl.empty()) return value;
  auto at = tmpl.find("{}");
  if (at == std::string::npos) return tmpl + value;
  return tmpl.substr(0, at) + value + tmpl.substr(at + 2);
}

}  // namespace

BandedEngine::BandedEngine(Layout& layout, int reportIndex) : ReportEngine(layout, ReportAt(layout, reportIndex), false) {
  if (layout.engine != EngineKind::Banded) throw Error("This layout is for the template engine");
}

TemplateEngine::TemplateEngine(Layout& layout, int reportIndex)
    : ReportEngine(layout, ReportAt(layout, reportIndex), true) {
  if (layout.engine != EngineKind::Template) throw Error("This layout is for the banded engine");
}

int ReportEngine::RowsPerPage() const {
  if (report_.rowsPerPage > 0) return report_.rowsPerPage;
  const Report& r = report_;
  const Band* detail = r.FindBand(template_ ? BandKind::TemplateDetail : BandKind::Detail);
  double dh = BandHeight(detail);
  if (dh <= 0) return INT_MAX;
  double avail = r.PageHeightMm() - r.margins.top - r.margins.bottom;
  if (template_) {
    avail -= BandHeight(r.FindBand(BandKind::TemplateHeader));
  } else {
    avail -= BandHeight(r.FindBand(BandKind::PageHeader)) + BandHeight(r.FindBand(BandKind::ColumnHeader)) +
             BandHeight(r.FindBand(BandKind::PageFooter));
  }
  int n = static_cast<int>(std::floor((avail + 1e-9) / dh));
  return n < 1 ? 1 : n;
}

struct ReportEngine::Run_ {
  ReportEngine& eng;
  Report& rep;
  Environment& env;
  RowSource* rows;
  Document doc;
  bool pageOpen = false;
  int rowsOnPage = 0;
  int rowNo = 0;  // number of the row being drawn (last drawn outside the detail band)
  int capacity;
  double y = 0;  // top of the next band, from the content origin
  double ox, oy, contentW, contentH;
  struct CountFix {
    size_t page, op;
    std::string tmpl;
  };
  std::vector<CountFix> countFixes;
  std::unordered_map<std::string, Expression> exprs;
  std::unordered_map<std::string, std::shared_ptr<const std::string>> images;

  explicit Run_(ReportEngine& e)
      : eng(e), rep(e.report_), env(e.layout_.Env()), rows(e.report_.rows.get()), capacity(e.RowsPerPage()) {
    ox = rep.margins.left + eng.offsetLeft_;
    oy = rep.margins.top + eng.offsetTop_;
    contentW = rep.PageWidthMm() - rep.margins.left - rep.margins.right;
    contentH = rep.PageHeightMm() - rep.margins.top - rep.margins.bottom;
  }

  Page& Cur() { return doc.pages.back(); }

  const Expression& Expr(const std::string& text) {
    auto it = exprs.find(text);
    if (it == exprs.end()) it = exprs.emplace(text, Expression::Parse(text)).first;
    return it->second;
  }

  RowSource* SourceOf(const Element& e) {
    RowSource* s = e.rows ? e.rows.get() : rows;
    return (s && !s->Eof()) ? s : nullptr;
  }

  std::string SystemText(const Element& e, bool* pageCount) {
    DateTime now = GetClock().Now();
    switch (e.system) {
      case SystemDataKind::PageNumber: return std::to_string(Cur().number);
      case SystemDataKind::PageCount: *pageCount = true; return {};
      case SystemDataKind::Date: return now.Format(e.format.empty() ? "yyyy-mm-dd" : e.format);
      case SystemDataKind::Time: return now.Format(e.format.empty() ? "hh:nn:ss" : e.format);
      case SystemDataKind::DateTime: return now.Format(e.format.empty() ? "yyyy-mm-dd hh:nn:ss" : e.format);
      case SystemDataKind::RowNumber: return std::to_string(rowNo);
    }
    return {};
  }

  std::string ExprMemoText(const std::string& src, const FieldReader* fields) {
    std::string out;
    size_t i = 0;
    while (i < src.size()) {
      size_t open = src.find('{', i);
      if (open == std::string::npos) break;
      size_t close = src.find('}', open + 1);
      if (close == std::string::npos) break;
      out.append(src, i, open - i);
      out += Expr(src.substr(open + 1, close - open - 1)).Evaluate(env, fields).ToString();
      i = close + 1;
    }
    out.append(src, i, std::string::npos);
    return out;
  }

  void TextOp(const Element& e, double x, double y0, std::string text, bool markup, int row) {
    DrawOp op;
    op.kind = OpKind::Text;
    op.x = x;
    op.y = y0;
    op.w = e.rect.width;
    op.h = e.rect.height;
    op.text = std::move(text);
    op.font = e.font;
    op.align = e.align;
    op.valign = e.valign;
    op.wordWrap = e.wordWrap || e.cls == ElementClass::Memo || e.cls == ElementClass::ExprMemo ||
                  e.cls == ElementClass::RichText || e.cls == ElementClass::DataRichText;
    op.markup = markup;
    op.color = e.color;
    op.element = e.name;
    op.row = row;
    Cur().ops.push_back(std::move(op));
  }

  void DrawElement(const Element& e, double bandTop, int row) {
    double x = ox + e.rect.left, y0 = oy + bandTop + e.rect.top;
    RowSource* src = SourceOf(e);
    switch (e.cls) {
      case ElementClass::Label:
      case ElementClass::Memo: TextOp(e, x, y0, e.text, false, row); break;
      case ElementClass::RichText: TextOp(e, x, y0, e.text, true, row); break;
      case ElementClass::DataText:
      case ElementClass::DataRichText: {
        if (!e.rows && !rows) throw Error("it is not bound to a data set");
        std::string v = src ? src->Text(e.field) : std::string();
        TextOp(e, x, y0, std::move(v), e.cls == ElementClass::DataRichText, row);
        break;
      }
      case ElementClass::Expression:
        TextOp(e, x, y0, Expr(e.text).Evaluate(env, src).ToString(), false, row);
        break;
      case ElementClass::ExprMemo: TextOp(e, x, y0, ExprMemoText(e.text, src), false, row); break;
      case ElementClass::SystemData: {
        bool pageCount = false;
        std::string v = SystemText(e, &pageCount);
        TextOp(e, x, y0, ApplyTemplate(e.text, v), false, row);
        if (pageCount) countFixes.push_back({doc.pages.size() - 1, Cur().ops.size() - 1, e.text});
        break;
      }
      case ElementClass::Shape: {
        DrawOp op;
        op.color = e.color;
        op.lineWidth = e.lineWidth;
        op.element = e.name;
        op.row = row;
        if (e.shape == ShapeKind::Rectangle) {
          op.kind = OpKind::Rect;
          op.x = x, op.y = y0, op.w = e.rect.width, op.h = e.rect.height;
        } else if (e.shape == ShapeKind::HorzLine) {
          op.kind = OpKind::Line;
          op.x = x, op.y = y0 + e.rect.height / 2, op.w = e.rect.width, op.h = 0;
        } else {
          op.kind = OpKind::Line;
          op.x = x + e.rect.width / 2, op.y = y0, op.w = 0, op.h = e.rect.height;
        }
        Cur().ops.push_back(std::move(op));
        break;
      }
      case ElementClass::Image:
      case ElementClass::DataImage: {
        std::shared_ptr<const std::string> bytes;
        if (e.cls == ElementClass::Image) {
          if (e.image.empty()) break;
          auto it = images.find(e.image);
          if (it == images.end())
            it = images.emplace(e.image, std::make_shared<const std::string>(ReadFileBytes(e.image))).first;
          bytes = it->second;
        } else {
          if (!e.rows && !rows) throw Error("it is not bound to a data set");
          if (!src) break;
          Variant v = src->Value(e.field);
          if (v.IsNull()) break;
          bytes = std::make_shared<const std::string>(v.Type() == VarType::Bytes ? v.AsBytes().data : v.ToString());
          if (bytes->empty()) break;
        }
        DrawOp op;
        op.kind = OpKind::Image;
        op.x = x, op.y = y0, op.w = e.rect.width, op.h = e.rect.height;
        op.image = std::move(bytes);
        op.element = e.name;
        op.row = row;
        Cur().ops.push_back(std::move(op));
        break;
      }
    }
  }

  void FrameLine(const Band& b, double x0, double y0, double x1, double y1) {
    DrawOp op;
    op.kind = OpKind::Line;
    op.x = x0, op.y = y0, op.w = x1 - x0, op.h = y1 - y0;
    op.lineWidth = b.frame.width;
    op.element = b.name;
    Cur().ops.push_back(std::move(op));
  }

  // Draws the band at `top` (from the content origin).
  void DrawBandAt(const Band* b, double top, int row) {
    if (!b || !b->enabled) return;
    double l = ox, t = oy + top, r = ox + contentW, bt = oy + top + b->height;
    if (b->frame.top) FrameLine(*b, l, t, r, t);
    if (b->frame.bottom) FrameLine(*b, l, bt, r, bt);
    if (b->frame.left) FrameLine(*b, l, t, l, bt);
    if (b->frame.right) FrameLine(*b, r, t, r, bt);
    for (const Element& e : b->elements) {
      if (!e.enabled) continue;
      try {
        DrawElement(e, top, row);
      } catch (const Error& x) {
        throw Error("Report element '" + e.name + "': " + x.what());
      }
    }
  }

  void DrawBand(const Band* b, int row = 0) {
    if (!b || !b->enabled) return;
    DrawBandAt(b, y, row);
    y += b->height;
  }

  void OpenPage() {
    Page p;
    p.width = rep.PageWidthMm();
    p.height = rep.PageHeightMm();
    p.number = eng.firstPageNumber_ + static_cast<int>(doc.pages.size());
    doc.pages.push_back(std::move(p));
    pageOpen = true;
    rowsOnPage = 0;
    y = 0;
    if (eng.template_) {
      DrawBand(rep.FindBand(BandKind::TemplateHeader));
    } else {
      DrawBand(rep.FindBand(BandKind::PageHeader));
      if (doc.pages.size() == 1) DrawBand(rep.FindBand(BandKind::Title));
      DrawBand(rep.FindBand(BandKind::ColumnHeader));
    }
  }

  void ClosePage() {
    if (!pageOpen) return;
    if (!eng.template_) {
      const Band* footer = rep.FindBand(BandKind::PageFooter);
      if (footer && footer->enabled) DrawBandAt(footer, std::max(y, contentH - footer->height), 0);
    }
    pageOpen = false;
  }

  Document Go() {
    const Band* detail = rep.FindBand(eng.template_ ? BandKind::TemplateDetail : BandKind::Detail);
    if (rows && detail) {
      rows->First();
      while (!rows->Eof()) {
        ++rowNo;
        int pageOfRow = static_cast<int>(doc.pages.size()) + ((pageOpen && rowsOnPage < capacity) ? 0 : 1);
        if (eng.BeforeRow) {
          RowContext ctx{eng, rep, *rows, rowNo, pageOfRow};
          eng.BeforeRow(ctx);
        }
        if (pageOpen && rowsOnPage >= capacity) ClosePage();
        if (!pageOpen) OpenPage();
        DrawBand(detail, rowNo);
        ++rowsOnPage;
        if (eng.AfterRow) {
          RowContext ctx{eng, rep, *rows, rowNo, static_cast<int>(doc.pages.size())};
          eng.AfterRow(ctx);
        }
        if (rowsOnPage >= capacity) ClosePage();
        rows->Next();
      }
    }
    const Band* summary = eng.template_ ? nullptr : rep.FindBand(BandKind::Summary);
    if (summary && summary->enabled) {
      const Band* footer = rep.FindBand(BandKind::PageFooter);
      if (pageOpen && y + summary->height > contentH - BandHeight(footer) + 1e-9) ClosePage();
      if (!pageOpen) OpenPage();
      DrawBand(summary);
    }
    if (doc.pages.empty()) OpenPage();
    ClosePage();
    std::string count = std::to_string(doc.pages.size());
    for (const CountFix& f : countFixes) doc.pages[f.page].ops[f.op].text = ApplyTemplate(f.tmpl, count);
    return std::move(doc);
  }
};

Document ReportEngine::Run() {
  Run_ run(*this);
  return run.Go();
}

}  // namespace yz::report
