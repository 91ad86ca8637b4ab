#include "platform/report/layout.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/report/engine.h"

namespace yz::report {

using nlohmann::json;

namespace {

constexpr std::string_view kFormat = "yz-report-layout";

template <typename E>
struct Names {
  E value;
  std::string_view name;
};

constexpr Names<ElementClass> kClasses[] = {
    {ElementClass::Label, "label"},       {ElementClass::DataText, "dataText"},
    {ElementClass::Expression, "expression"}, {ElementClass::SystemData, "systemData"},
    {ElementClass::Memo, "memo"},         {ElementClass::ExprMemo, "exprMemo"},
    {ElementClass::RichText, "richText"}, {ElementClass::DataRichText, "dataRichText"},
    {ElementClass::Shape, "shape"},       {ElementClass::Image, "image"},
    {ElementClass::DataImage, "dataImage"},
};
constexpr Names<BandKind> kBands[] = {
    {BandKind::Title, "title"},           {BandKind::PageHeader, "pageHeader"},
    {BandKind::ColumnHeader, "columnHeader"}, {BandKind::Detail, "detail"},
    {BandKind::Summary, "summary"},       {BandKind::PageFooter, "pageFooter"},
    {BandKind::TemplateHeader, "templateHeader"}, {BandKind::TemplateDetail, "templateDetail"},
};
constexpr Names<Align> kAligns[] = {{Align::Left, "left"}, {Align::Center, "center"}, {Align::Right, "right"}};
constexpr Names<VAlign> kVAligns[] = {{VAlign::Top, "top"}, {VAlign::Center, "center"}, {VAlign::Bottom, "bottom"}};
constexpr Names<SystemDataKind> kSystems[] = {
    {SystemDataKind::PageNumber, "pageNumber"}, {SystemDataKind::PageCount, "pageCount"},
    {SystemDataKind::Date, "date"},             {SystemDataKind::Time, "time"},
    {SystemDataKind::DateTime, "dateTime"},     {SystemDataKind::RowNumber, "rowNumber"},
};
constexpr Names<ShapeKind> kShapes[] = {
    {ShapeKind::HorzLine, "horzLine"}, {ShapeKind::VertLine, "vertLine"}, {ShapeKind::Rectangle, "rectangle"}};
constexpr Names<Orientation> kOrientations[] = {{Orientation::Portrait, "portrait"},
                                                {Orientation::Landscape, "landscape"}};
constexpr Names<EngineKind> kEngines[] = {{EngineKind::Banded, "banded"}, {EngineKind::Template, "template"}};

template <typename E, size_t N>
std::string_view NameOf(const Names<E> (&table)[N], E v) {
  for (const auto& n : table)
    if (n.value == v) return n.name;
  return "?";
}

// Reading with a path, so every complaint says where it is.
struct Reader {
  const json& j;
  std::string path;

  [[noreturn]] void Fail(const std::string& what) const {
    throw Error("Report layout: " + (path.empty() ? std::string() : path + ": ") + what);
  }
  const json* Get(const char* key) const {
    if (!j.is_object()) Fail("must be an object");
    auto it = j.find(key);
    return it == j.end() ? nullptr : &*it;
  }
  Reader Child(const char* key) const {
    const json* v = Get(key);
    if (!v) Fail(std::string("'") + key + "' is missing");
    return Reader{*v, path.empty() ? std::string(key) : path + "." + key};
  }
  double Num(const char* key, double def) const {
    const json* v = Get(key);
    if (!v) return def;
    if (!v->is_number()) Fail(std::string("'") + key + "' must be a number");
    return v->get<double>();
  }
  double NonNegative(const char* key, double def) const {
    double v = Num(key, def);
    if (v < 0) Fail(std::string("'") + key + "' must not be negative");
    return v;
  }
  int Int(const char* key, int def) const {
    const json* v = Get(key);
    if (!v) return def;
    if (!v->is_number_integer()) Fail(std::string("'") + key + "' must be an integer");
    return v->get<int>();
  }
  bool Bool(const char* key, bool def) const {
    const json* v = Get(key);
    if (!v) return def;
    if (!v->is_boolean()) Fail(std::string("'") + key + "' must be true or false");
    return v->get<bool>();
  }
  std::string Str(const char* key, const std::string& def = {}) const {
    const json* v = Get(key);
    if (!v) return def;
    if (!v->is_string()) Fail(std::string("'") + key + "' must be a text");
    return v->get<std::string>();
  }
  template <typename E, size_t N>
  E Enum(const char* key, const Names<E> (&table)[N], E def) const {
    const json* v = Get(key);
    if (!v) return def;
    if (!v->is_string()) Fail(std::string("'") + key + "' must be a text");
    std::string s = v->get<std::string>();
    for (const auto& n : table)
      if (n.name == s) return n.value;
    Fail("unknown " + std::string(key) + " '" + s + "'");
  }
  uint32_t Color(const char* key, uint32_t def) const {
    std::string s = Str(key);
    if (s.empty()) return def;
    if (s.size() != 7 || s[0] != '#') Fail(std::string("'") + key + "' must look like #RRGGBB");
    uint32_t v = 0;
    for (size_t i = 1; i < 7; ++i) {
      char c = s[i];
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) Fail(std::string("'") + key + "' must look like #RRGGBB");
      v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
  }
  std::vector<Reader> Array(const char* key) const {
    std::vector<Reader> out;
    const json* v = Get(key);
    if (!v) return out;
    if (!v->is_array()) Fail(std::string("'") + key + "' must be a list");
    for (size_t i = 0; i < v->size(); ++i)
      out.push_back(Reader{(*v)[i], (path.empty() ? std::string(key) : path + "." + key) + "[" + std::to_string(i) + "]"});
    return out;
  }
};

std::string ColorText(uint32_t c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X", c & 0xFFFFFFu);
  return buf;
}

Font ReadFont(const Reader& r) {
  Font f;
  if (!r.Get("font")) return f;
  Reader fr = r.Child("font");
  f.name = fr.Str("name", f.name);
  f.size = fr.Num("size", f.size);
  if (f.size <= 0) fr.Fail("'size' must be positive");
  f.bold = fr.Bool("bold", false);
  f.italic = fr.Bool("italic", false);
  f.underline = fr.Bool("underline", false);
  f.strikeOut = fr.Bool("strikeOut", false);
  return f;
}

Element ReadElement(const Reader& r) {
  Element e;
  e.name = r.Str("name");
  if (text::Trim(e.name).empty()) r.Fail("element without a name");
  const json* cls = r.Get("class");
  if (!cls) r.Fail("'class' is missing");
  e.cls = r.Enum("class", kClasses, ElementClass::Label);
  e.rect = Rect{r.Num("left", 0), r.Num("top", 0), r.NonNegative("width", 0), r.NonNegative("height", 0)};
  e.font = ReadFont(r);
  e.align = r.Enum("align", kAligns, Align::Left);
  e.valign = r.Enum("valign", kVAligns, VAlign::Top);
  e.enabled = r.Bool("enabled", true);
  e.wordWrap = r.Bool("wordWrap", false);
  e.color = r.Color("color", 0);
  e.text = r.Str("text");
  e.field = r.Str("field");
  e.dataSet = r.Str("dataSet");
  e.system = r.Enum("system", kSystems, SystemDataKind::PageNumber);
  e.format = r.Str("format");
  e.shape = r.Enum("shape", kShapes, ShapeKind::HorzLine);
  e.lineWidth = r.NonNegative("lineWidth", 0.2);
  e.image = r.Str("image");
  if (e.IsDataAware() && text::Trim(e.field).empty()) r.Fail("element '" + e.name + "' needs a 'field'");
  if ((e.cls == ElementClass::Expression) && text::Trim(e.text).empty())
    r.Fail("element '" + e.name + "' needs an expression in 'text'");
  if (e.cls == ElementClass::Expression) {
    try {
      (void)Expression::Parse(e.text);
    } catch (const Error& x) {
      r.Fail("element '" + e.name + "': " + x.what());
    }
  }
  return e;
}

json WriteElement(const Element& e) {
  json j;
  j["name"] = e.name;
  j["class"] = NameOf(kClasses, e.cls);
  j["left"] = e.rect.left;
  j["top"] = e.rect.top;
  j["width"] = e.rect.width;
  j["height"] = e.rect.height;
  j["font"] = {{"name", e.font.name}, {"size", e.font.size}, {"bold", e.font.bold}, {"italic", e.font.italic},
               {"underline", e.font.underline}, {"strikeOut", e.font.strikeOut}};
  j["align"] = NameOf(kAligns, e.align);
  j["valign"] = NameOf(kVAligns, e.valign);
  j["enabled"] = e.enabled;
  if (e.wordWrap) j["wordWrap"] = true;
  j["color"] = ColorText(e.color);
  if (!e.text.empty()) j["text"] = e.text;
  if (!e.field.empty()) j["field"] = e.field;
  if (!e.dataSet.empty()) j["dataSet"] = e.dataSet;
  if (e.cls == ElementClass::SystemData) j["system"] = NameOf(kSystems, e.system);
  if (!e.format.empty()) j["format"] = e.format;
  if (e.cls == ElementClass::Shape) {
    j["shape"] = NameOf(kShapes, e.shape);
    j["lineWidth"] = e.lineWidth;
  }
  if (!e.image.empty()) j["image"] = e.image;
  return j;
}

}  // namespace

std::string_view ElementClassName(ElementClass c) { return NameOf(kClasses, c); }
std::string_view BandKindName(BandKind k) { return NameOf(kBands, k); }

// ---------------------------------------------------------------- Report

Band* Report::FindBand(BandKind kind) {
  for (auto& b : bands)
    if (b.kind == kind) return &b;
  return nullptr;
}
const Band* Report::FindBand(BandKind kind) const { return const_cast<Report*>(this)->FindBand(kind); }

Element* Report::FindElement(std::string_view name) {
  for (auto& b : bands)
    for (auto& e : b.elements)
      if (text::SameText(e.name, name)) return &e;
  return nullptr;
}

Element& Report::ElementByName(std::string_view name) {
  if (Element* e = FindElement(name)) return *e;
  throw Error("Report element '" + std::string(name) + "' not found");
}

std::vector<Element*> Report::ElementsOf(ElementClass cls) {
  std::vector<Element*> out;
  for (auto& b : bands)
    for (auto& e : b.elements)
      if (e.cls == cls) out.push_back(&e);
  return out;
}

void Report::SetFrameLines(bool on) {
  for (auto& b : bands) b.frame.SetAll(on);
}

void Report::SetEnabled(ElementClass cls, bool on) {
  for (Element* e : ElementsOf(cls)) e->enabled = on;
}

// ---------------------------------------------------------------- Layout

Layout Layout::FromJson(std::string_view text) {
  json j;
  try {
    j = json::parse(text.begin(), text.end());
  } catch (const json::parse_error& e) {
    throw Error(std::string("Report layout is not valid JSON: ") + e.what());
  }
  Reader root{j, ""};
  if (!j.is_object()) root.Fail("the layout must be a JSON object");
  if (root.Str("format") != kFormat) root.Fail("'format' must be \"" + std::string(kFormat) + "\"");
  int version = root.Int("version", 0);
  if (version < 1 || version > kVersion)
    root.Fail("unsupported version " + std::to_string(version) + " (this program reads version " +
              std::to_string(kVersion) + ")");
  Layout layout;
  layout.engine = root.Enum("engine", kEngines, EngineKind::Banded);
  std::set<std::string> names;
  for (const Reader& rr : root.Array("reports")) {
    Report rep;
    rep.name = rr.Str("name");
    if (rr.Get("page")) {
      Reader pr = rr.Child("page");
      rep.pageWidth = pr.Num("width", rep.pageWidth);
      rep.pageHeight = pr.Num("height", rep.pageHeight);
      if (rep.pageWidth <= 0 || rep.pageHeight <= 0) pr.Fail("page width and height must be positive");
      rep.orientation = pr.Enum("orientation", kOrientations, Orientation::Portrait);
      if (pr.Get("margins")) {
        Reader mr = pr.Child("margins");
        rep.margins = Margins{mr.NonNegative("top", 10), mr.NonNegative("bottom", 10), mr.NonNegative("left", 10),
                              mr.NonNegative("right", 10)};
      }
    }
    rep.rowsPerPage = rr.Int("rowsPerPage", 0);
    if (rep.rowsPerPage < 0) rr.Fail("'rowsPerPage' must not be negative");
    rep.dataSet = rr.Str("dataSet");
    for (const Reader& br : rr.Array("bands")) {
      Band band;
      band.name = br.Str("name");
      if (!br.Get("kind")) br.Fail("'kind' is missing");
      band.kind = br.Enum("kind", kBands, BandKind::Detail);
      band.height = br.NonNegative("height", 0);
      band.enabled = br.Bool("enabled", true);
      if (br.Get("frame")) {
        Reader fr = br.Child("frame");
        band.frame.top = fr.Bool("top", false);
        band.frame.bottom = fr.Bool("bottom", false);
        band.frame.left = fr.Bool("left", false);
        band.frame.right = fr.Bool("right", false);
        band.frame.width = fr.NonNegative("width", 0.2);
      }
      for (const Reader& er : br.Array("elements")) {
        Element e = ReadElement(er);
        if (!names.insert(text::Lower(e.name)).second) er.Fail("element name '" + e.name + "' is used twice");
        band.elements.push_back(std::move(e));
      }
      rep.bands.push_back(std::move(band));
    }
    layout.reports.push_back(std::move(rep));
  }
  if (layout.reports.empty()) root.Fail("the layout has no report");
  return layout;
}

std::string Layout::ToJson() const {
  json j;
  j["format"] = kFormat;
  j["version"] = kVersion;
  j["engine"] = NameOf(kEngines, engine);
  j["reports"] = json::array();
  for (const Report& rep : reports) {
    json r;
    r["name"] = rep.name;
    r["page"] = {{"width", rep.pageWidth},
                 {"height", rep.pageHeight},
                 {"orientation", NameOf(kOrientations, rep.orientation)},
                 {"margins",
                  {{"top", rep.margins.top},
                   {"bottom", rep.margins.bottom},
                   {"left", rep.margins.left},
                   {"right", rep.margins.right}}}};
    r["rowsPerPage"] = rep.rowsPerPage;
    if (!rep.dataSet.empty()) r["dataSet"] = rep.dataSet;
    r["bands"] = json::array();
    for (const Band& b : rep.bands) {
      json bj;
      bj["name"] = b.name;
      bj["kind"] = NameOf(kBands, b.kind);
      bj["height"] = b.height;
      if (!b.enabled) bj["enabled"] = false;
      bj["frame"] = {{"top", b.frame.top},
                     {"bottom", b.frame.bottom},
                     {"left", b.frame.left},
                     {"right", b.frame.right},
                     {"width", b.frame.width}};
      bj["elements"] = json::array();
      for (const Element& e : b.elements) bj["elements"].push_back(WriteElement(e));
      r["bands"].push_back(std::move(bj));
    }
    j["reports"].push_back(std::move(r));
  }
  return j.dump(2);
}

Layout Layout::LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("Cannot open report layout '" + path + "'");
  std::stringstream ss;
  ss << in.rdbuf();
  return FromJson(ss.str());
}

void Layout::SaveFile(const std::string& path) const {
  std::string data = ToJson();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw Error("Cannot write report layout '" + path + "'");
  out << data;
  out.close();
  if (!out) throw Error("Cannot write report layout '" + path + "'");
}

Element* Layout::FindElement(std::string_view name) {
  for (auto& r : reports)
    if (Element* e = r.FindElement(name)) return e;
  return nullptr;
}

Element& Layout::ElementByName(std::string_view name) {
  if (Element* e = FindElement(name)) return *e;
  throw Error("Report element '" + std::string(name) + "' not found");
}

std::vector<Element*> Layout::ElementsOf(ElementClass cls) {
  std::vector<Element*> out;
  for (auto& r : reports)
    for (Element* e : r.ElementsOf(cls)) out.push_back(e);
  return out;
}

void Layout::SetFrameLines(bool on) {
  for (auto& r : reports) r.SetFrameLines(on);
}

void Layout::SetEnabled(ElementClass cls, bool on) {
  for (auto& r : reports) r.SetEnabled(cls, on);
}

void Layout::BindRows(const std::shared_ptr<RowSource>& rows, const std::string& dataSetName) {
  for (Report& rep : reports) {
    rep.rows = rows;
    if (!dataSetName.empty()) rep.dataSet = dataSetName;
    for (Band& band : rep.bands) {
      for (Element& e : band.elements) {
        if (!e.IsDataAware()) continue;
        e.rows = rows;
        if (!dataSetName.empty()) e.dataSet = dataSetName;
      }
    }
  }
}

}  // namespace yz::report
