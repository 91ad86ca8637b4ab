// Report layouts: reports with page set-up, bands and elements, kept as versioned JSON.
//
// Units: every position and size is in millimetres (double); element positions are
// relative to the top-left corner of their band's area (the page's printable width).
// Font sizes are in points.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report/expr.h"

namespace yz::report {

class RowSource;

enum class ElementClass {
  Label,         // fixed caption (`text`)
  DataText,      // value of `field` in the bound rows
  Expression,    // value of the expression in `text`
  SystemData,    // page number, page count, date, time, date-time, row number
  Memo,          // fixed multi-line text
  ExprMemo,      // multi-line text with {expression} parts
  RichText,      // fixed marked-up text (<b>, <i>, <u>, <s>, <span ...>)
  DataRichText,  // marked-up text taken from `field`
  Shape,         // line or rectangle
  Image,         // PNG file named by `image`
  DataImage,     // PNG bytes taken from `field`
};

enum class BandKind {
  Title,           // first page, below the page header
  PageHeader,      // top of every page
  ColumnHeader,    // every page, below the page header (and title)
  Detail,          // once per row
  Summary,         // after the last row
  PageFooter,      // bottom of every page
  TemplateHeader,  // template engine: top of every page
  TemplateDetail,  // template engine: once per row
};

enum class Align { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };
enum class SystemDataKind { PageNumber, PageCount, Date, Time, DateTime, RowNumber };
enum class ShapeKind { HorzLine, VertLine, Rectangle };
enum class Orientation { Portrait, Landscape };
enum class EngineKind { Banded, Template };

std::string_view ElementClassName(ElementClass c);  // "label", "dataText", ...
std::string_view BandKindName(BandKind k);          // "pageHeader", ...

struct Font {
  std::string name = "Noto Sans CJK SC";
  double size = 10.5;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  friend bool operator==(const Font&, const Font&) = default;
};

struct Rect {
  double left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct FrameLines {
  bool top = false, bottom = false, left = false, right = false;
  double width = 0.2;  // mm
  void SetAll(bool on) { top = bottom = left = right = on; }
  bool Any() const { return top || bottom || left || right; }
  friend bool operator==(const FrameLines&, const FrameLines&) = default;
};

struct Element {
  std::string name;  // unique within the layout
  ElementClass cls = ElementClass::Label;
  Rect rect;
  Font font;
  Align align = Align::Left;
  VAlign valign = VAlign::Top;
  bool enabled = true;  // a disabled element is not drawn
  bool wordWrap = false;  // memos wrap regardless
  uint32_t color = 0x000000;  // 0xRRGGBB, text and lines
  std::string text;   // caption, expression, memo text, markup or system-data template ("第{}页")
  std::string field;  // data classes: the field name in the bound rows
  std::string dataSet;  // name of the data set the element is bound to (informational)
  SystemDataKind system = SystemDataKind::PageNumber;
  std::string format;  // date/time pattern for system data
  ShapeKind shape = ShapeKind::HorzLine;
  double lineWidth = 0.2;  // mm, shapes
  std::string image;  // Image: PNG file path

  // Rows the element reads (set by the data binding walk; not saved).
  std::shared_ptr<RowSource> rows;

  bool IsDataAware() const {
    return cls == ElementClass::DataText || cls == ElementClass::DataRichText || cls == ElementClass::DataImage;
  }
};

struct Band {
  std::string name;
  BandKind kind = BandKind::Detail;
  double height = 0;  // mm
  bool enabled = true;
  FrameLines frame;
  std::vector<Element> elements;
};

struct Margins {
  double top = 10, bottom = 10, left = 10, right = 10;  // mm
  friend bool operator==(const Margins&, const Margins&) = default;
};

struct Report {
  std::string name;
  double pageWidth = 210, pageHeight = 297;  // mm, as in portrait
  Orientation orientation = Orientation::Portrait;
  Margins margins;
  int rowsPerPage = 0;  // detail rows per page; 0: as many as fit
  std::string dataSet;  // name of the data set the detail rows come from (informational)
  std::vector<Band> bands;

  // Rows the detail band walks (set by the data binding walk; not saved).
  std::shared_ptr<RowSource> rows;

  double PageWidthMm() const { return orientation == Orientation::Portrait ? pageWidth : pageHeight; }
  double PageHeightMm() const { return orientation == Orientation::Portrait ? pageHeight : pageWidth; }
  Band* FindBand(BandKind kind);
  const Band* FindBand(BandKind kind) const;
  Element* FindElement(std::string_view name);
  Element& ElementByName(std::string_view name);  // throws yz::Error naming the element
  std::vector<Element*> ElementsOf(ElementClass cls);
  void SetFrameLines(bool on);  // all four lines of every band
  void SetEnabled(ElementClass cls, bool on);  // every element of the class
};

// A whole layout: one or more reports, the engine that renders them, and the expression
// environment (named values and parameter functions) of this layout instance. A new layout
// instance starts with only the built-in functions.
class Layout {
 public:
  static constexpr int kVersion = 1;

  EngineKind engine = EngineKind::Banded;
  std::vector<Report> reports;

  Environment& Env() { return env_; }
  const Environment& Env() const { return env_; }

  // Parses the JSON text; a malformed or inconsistent layout throws yz::Error saying what
  // and where ("Report layout: bands[0].elements[2]: unknown element class 'lable'").
  static Layout FromJson(std::string_view json);
  std::string ToJson() const;  // pretty-printed, stable order
  static Layout LoadFile(const std::string& path);
  void SaveFile(const std::string& path) const;

  Element* FindElement(std::string_view name);  // across every report; null when missing
  Element& ElementByName(std::string_view name);  // throws yz::Error naming the element
  std::vector<Element*> ElementsOf(ElementClass cls);
  void SetFrameLines(bool on);
  void SetEnabled(ElementClass cls, bool on);

  // The data binding walk: every report, its bands and their elements; each report and each
  // data-aware element reads `rows` afterwards.
  void BindRows(const std::shared_ptr<RowSource>& rows, const std::string& dataSetName = {});

 private:
  Environment env_;
};

}  // namespace yz::report
