#include "platform/report/render.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::report {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr const char* kFallbackFamily = "Noto Sans CJK SC";

void SetColor(cairo_t* cr, uint32_t c) {
  cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
}

struct PngReader {
  const std::string* data;
  size_t pos = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
  auto* r = static_cast<PngReader*>(closure);
  if (r->data->size() - r->pos < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, r->data->data() + r->pos, length);
  r->pos += length;
  return CAIRO_STATUS_SUCCESS;
}

// Draws the ops of a page on a context whose user unit is one millimetre.
class PagePainter {
 public:
  explicit PagePainter(cairo_t* cr) : cr_(cr) {
    layout_ = pango_cairo_create_layout(cr);
    PangoContext* ctx = pango_layout_get_context(layout_);
    // One user unit is one millimetre, so a point is 25.4 / 72 units.
    pango_cairo_context_set_resolution(ctx, kMmPerInch);
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(ctx, fo);
    cairo_font_options_destroy(fo);
    pango_layout_context_changed(layout_);
  }
  ~PagePainter() { g_object_unref(layout_); }
  PagePainter(const PagePainter&) = delete;
  PagePainter& operator=(const PagePainter&) = delete;

  void Paint(const Page& page) {
    for (const DrawOp& op : page.ops) {
      cairo_save(cr_);
      switch (op.kind) {
        case OpKind::Text: Text(op); break;
        case OpKind::Line:
          SetColor(cr_, op.color);
          cairo_set_line_width(cr_, op.lineWidth);
          cairo_move_to(cr_, op.x, op.y);
          cairo_line_to(cr_, op.x + op.w, op.y + op.h);
          cairo_stroke(cr_);
          break;
        case OpKind::Rect:
          SetColor(cr_, op.color);
          cairo_set_line_width(cr_, op.lineWidth);
          cairo_rectangle(cr_, op.x, op.y, op.w, op.h);
          cairo_stroke(cr_);
          break;
        case OpKind::Image: Image(op); break;
      }
      cairo_restore(cr_);
    }
  }

 private:
  void Text(const DrawOp& op) {
    if (op.text.empty()) return;
    std::string family = op.font.name.empty() ? kFallbackFamily : op.font.name + "," + kFallbackFamily;
    PangoFontDescription* fd = pango_font_description_new();
    pango_font_description_set_family(fd, family.c_str());
    pango_font_description_set_size(fd, static_cast<gint>(op.font.size * PANGO_SCALE));
    pango_font_description_set_weight(fd, op.font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(fd, op.font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout_, fd);
    pango_font_description_free(fd);

    std::string body = text::IsValidUtf8(op.text) ? op.text : text::SanitizeUtf8(op.text);
    PangoAttrList* attrs = nullptr;
    bool marked = false;
    if (op.markup) {
      char* plain = nullptr;
      if (pango_parse_markup(body.c_str(), -1, 0, &attrs, &plain, nullptr, nullptr)) {
        pango_layout_set_text(layout_, plain, -1);
        g_free(plain);
        marked = true;
      } else {
        attrs = nullptr;  // not valid markup: shown as plain text
      }
    }
    if (!marked) {
      pango_layout_set_text(layout_, body.c_str(), -1);
      attrs = pango_attr_list_new();
    }
    pango_layout_set_attributes(layout_, attrs);
    pango_attr_list_unref(attrs);

    PangoAlignment pa = op.align == Align::Center  ? PANGO_ALIGN_CENTER
                        : op.align == Align::Right ? PANGO_ALIGN_RIGHT
                                                   : PANGO_ALIGN_LEFT;
    if (op.wordWrap && op.w > 0) {
      pango_layout_set_width(layout_, static_cast<int>(op.w * PANGO_SCALE));
      pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
      pango_layout_set_alignment(layout_, pa);
    } else {
      pango_layout_set_width(layout_, -1);
      pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    double lw = static_cast<double>(logical.width) / PANGO_SCALE;
    double lh = static_cast<double>(logical.height) / PANGO_SCALE;
    double x = op.x;
    if (!(op.wordWrap && op.w > 0)) {
      if (op.align == Align::Center) x += (op.w - lw) / 2;
      if (op.align == Align::Right) x += op.w - lw;
    }
    double y = op.y;
    if (op.valign == VAlign::Center) y += (op.h - lh) / 2;
    if (op.valign == VAlign::Bottom) y += op.h - lh;
    if (op.w > 0) {
      // Texts stay inside their element's width; the height is left free for descenders.
      cairo_rectangle(cr_, op.x, op.y - 1000, op.w, op.h + 2000);
      cairo_clip(cr_);
    }
    SetColor(cr_, op.color);
    cairo_move_to(cr_, x, y);
    pango_cairo_show_layout(cr_, layout_);
    if (op.font.strikeOut || op.font.underline) Decorate(op, x, y);
  }

  // Strike-out and underline are drawn per laid-out line, through the middle of the
  // ideographs and just below the baseline, with a weight that follows the font size.
  void Decorate(const DrawOp& op, double x, double y) {
    const double em = op.font.size * kMmPerInch / 72.0;
    cairo_set_line_width(cr_, std::max(0.06 * em * (op.font.bold ? 1.5 : 1.0), 0.12));
    PangoLayoutIter* it = pango_layout_get_iter(layout_);
    do {
      PangoRectangle line;
      pango_layout_iter_get_line_extents(it, nullptr, &line);
      if (line.width <= 0) continue;
      double x0 = x + static_cast<double>(line.x) / PANGO_SCALE;
      double x1 = x0 + static_cast<double>(line.width) / PANGO_SCALE;
      double base = y + static_cast<double>(pango_layout_iter_get_baseline(it)) / PANGO_SCALE;
      if (op.font.strikeOut) {
        cairo_move_to(cr_, x0, base - 0.32 * em);
        cairo_line_to(cr_, x1, base - 0.32 * em);
      }
      if (op.font.underline) {
        cairo_move_to(cr_, x0, base + 0.12 * em);
        cairo_line_to(cr_, x1, base + 0.12 * em);
      }
      cairo_stroke(cr_);
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
  }

  void Image(const DrawOp& op) {
    if (!op.image || op.w <= 0 || op.h <= 0) return;
    PngReader reader{op.image.get()};
    cairo_surface_t* img = cairo_image_surface_create_from_png_stream(ReadPng, &reader);
    if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(img);
      throw Error("Report element '" + op.element + "': the image is not a readable PNG image");
    }
    int iw = cairo_image_surface_get_width(img), ih = cairo_image_surface_get_height(img);
    if (iw > 0 && ih > 0) {
      cairo_translate(cr_, op.x, op.y);
      cairo_scale(cr_, op.w / iw, op.h / ih);
      cairo_set_source_surface(cr_, img, 0, 0);
      cairo_paint(cr_);
    }
    cairo_surface_destroy(img);
  }

  cairo_t* cr_;
  PangoLayout* layout_;
};

void CheckCairo(cairo_status_t st, const std::string& what) {
  if (st != CAIRO_STATUS_SUCCESS) throw Error(what + ": " + cairo_status_to_string(st));
}

cairo_surface_t* PaintImage(const Document& doc, int pageIndex, double dpi) {
  const Page& page = doc.GetPage(pageIndex);
  if (dpi <= 0 || dpi > 1200) throw Error("Resolution " + std::to_string(dpi) + " dpi is out of range");
  int w = static_cast<int>(std::ceil(page.width / kMmPerInch * dpi));
  int h = static_cast<int>(std::ceil(page.height / kMmPerInch * dpi));
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_status_t st = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    CheckCairo(st, "Cannot create a page image");
  }
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_scale(cr, dpi / kMmPerInch, dpi / kMmPerInch);
  try {
    PagePainter painter(cr);
    painter.Paint(page);
  } catch (...) {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    throw;
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

}  // namespace

void RenderPdf(const Document& doc, const std::string& path) {
  if (doc.pages.empty()) throw Error("Cannot write PDF '" + path + "': the document has no pages");
  const double pt = 72.0 / kMmPerInch;
  cairo_surface_t* surface =
      cairo_pdf_surface_create(path.c_str(), doc.pages[0].width * pt, doc.pages[0].height * pt);
  cairo_status_t st = cairo_surface_status(surface);
  if (st != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    CheckCairo(st, "Cannot write PDF '" + path + "'");
  }
  cairo_t* cr = cairo_create(surface);
  try {
    PagePainter painter(cr);
    for (const Page& page : doc.pages) {
      cairo_pdf_surface_set_size(surface, page.width * pt, page.height * pt);
      cairo_save(cr);
      cairo_scale(cr, pt, pt);
      painter.Paint(page);
      cairo_restore(cr);
      cairo_show_page(cr);
    }
  } catch (...) {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    std::remove(path.c_str());
    throw;
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  st = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  CheckCairo(st, "Cannot write PDF '" + path + "'");
}

void RenderPng(const Document& doc, int pageIndex, const std::string& path, double dpi) {
  cairo_surface_t* surface = PaintImage(doc, pageIndex, dpi);
  cairo_status_t st = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  CheckCairo(st, "Cannot write PNG '" + path + "'");
}

PageImage RenderPageImage(const Document& doc, int pageIndex, double dpi) {
  cairo_surface_t* surface = PaintImage(doc, pageIndex, dpi);
  PageImage img;
  img.width = cairo_image_surface_get_width(surface);
  img.height = cairo_image_surface_get_height(surface);
  img.stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  img.pixels.assign(data, data + static_cast<size_t>(img.stride) * static_cast<size_t>(img.height));
  cairo_surface_destroy(surface);
  return img;
}

}  // namespace yz::report
