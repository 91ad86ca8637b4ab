// The page model: what a run of a report draws where. Coordinates are millimetres from the
// page's top-left corner. Tests read it; the renderer draws it; a preview control shows it
// page by page (PageCount, GetPage).
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report/layout.h"

namespace yz::report {

enum class OpKind { Text, Line, Rect, Image };

struct DrawOp {
  OpKind kind = OpKind::Text;
  // Text, Rect, Image: the box. Line: from (x, y) to (x + w, y + h).
  double x = 0, y = 0, w = 0, h = 0;
  std::string text;  // Text
  Font font;
  Align align = Align::Left;
  VAlign valign = VAlign::Top;
  bool wordWrap = false;
  bool markup = false;  // text is marked up (rich text)
  uint32_t color = 0x000000;
  double lineWidth = 0.2;  // Line, Rect
  std::shared_ptr<const std::string> image;  // Image: PNG bytes
  std::string element;  // element name; band name for frame lines
  int row = 0;          // 1-based detail row number; 0 outside the detail band
};

struct Page {
  double width = 210, height = 297;  // mm
  int number = 1;  // page number printed by system data
  std::vector<DrawOp> ops;

  // Texts drawn by the named element on this page, in drawing order.
  std::vector<std::string> TextsOf(std::string_view element) const;
  // Number of distinct detail rows on the page.
  int RowCount() const;
  // First op drawn by the element (null when none).
  const DrawOp* Find(std::string_view element) const;
};

struct Document {
  std::vector<Page> pages;
  int PageCount() const { return static_cast<int>(pages.size()); }
  const Page& GetPage(int index) const;  // 0-based; throws yz::Error when out of range
};

}  // namespace yz::report
