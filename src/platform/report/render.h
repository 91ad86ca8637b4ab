// Drawing pages of the page model with cairo and pango. Texts use the element's font; a
// CJK font (Noto Sans CJK SC) is the default and the fallback for glyphs the chosen font
// lacks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/report/document.h"

namespace yz::report {

// Writes every page into one PDF file. Throws yz::Error naming the file when it cannot be
// written or the document has no pages.
void RenderPdf(const Document& doc, const std::string& path);

// Writes one page (0-based) as a PNG image at the given resolution (dots per inch).
void RenderPng(const Document& doc, int pageIndex, const std::string& path, double dpi = 150);

// Pixels of one page, for a preview control: 32-bit premultiplied ARGB, native endian,
// `stride` bytes per row.
struct PageImage {
  int width = 0, height = 0, stride = 0;
  std::vector<uint8_t> pixels;
};
PageImage RenderPageImage(const Document& doc, int pageIndex, double dpi = 96);

}  // namespace yz::report
