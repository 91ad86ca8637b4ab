// Rendering to PDF and PNG, page pixels for a preview, and printing without a print service.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture.h"
#include "platform/base/error.h"
#include "platform/report/print.h"
#include "platform/report/render.h"

// Fontconfig, cairo and pango keep process-wide caches that live until exit.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libcairo.so\nleak:libpango\nleak:libglib\nleak:libgobject\n"
         "leak:libharfbuzz\nleak:libcups.so\n";
}

namespace yz::report {
namespace {

using testing::OrderRows;
using testing::OrderSheet;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Out(const std::string& name) { return ::testing::TempDir() + name; }

// A small Chinese order sheet: 25 rows (two pages), cancelled rows struck out, one row
// printed as the cancel line, headings filled in.
Document SmallOrderSheet() {
  Layout l = OrderSheet();
  auto rows = OrderRows(25);
  l.BindRows(rows);
  l.ElementByName("lbl_name").text = "李明";
  l.ElementByName("lbl_dept_name").text = "心血管内科";
  l.ElementByName("lbl_ward_name").text = "内科三病区";
  l.ElementByName("lbl_bed_no").text = "12床";
  l.ElementByName("lbl_inpatient_no").text = "0012345678";
  l.ElementByName("lbl_pageno").text = "第 1 页";
  BandedEngine engine(l);
  engine.BeforeRow = [&](RowContext& c) {
    bool cancelled = c.rows.Value("deleted_flag").ToString() == "1";
    c.report.ElementByName("txt_ordername").font.strikeOut = cancelled && c.row != 10;
    if (c.row == 10) rows->Set("order_name", "━━━━━━━━━━━━");
  };
  return engine.Run();
}

// Dark pixels inside a box given in millimetres.
int DarkPixels(const PageImage& img, double dpi, double x, double y, double w, double h) {
  auto px = [&](double mm) { return static_cast<int>(mm / 25.4 * dpi); };
  int n = 0;
  for (int r = px(y); r < px(y + h) && r < img.height; ++r) {
    const auto* line = reinterpret_cast<const uint32_t*>(img.pixels.data() + static_cast<size_t>(r) * img.stride);
    for (int c = px(x); c < px(x + w) && c < img.width; ++c)
      if ((line[c] & 0xFF) < 128) ++n;  // blue channel of a dark pixel
  }
  return n;
}

TEST(Render, PdfHoldsEveryPage) {
  Document doc = SmallOrderSheet();
  ASSERT_EQ(doc.PageCount(), 2);
  std::string path = Out("yz_order_sheet.pdf");
  RenderPdf(doc, path);
  std::string pdf = ReadAll(path);
  ASSERT_GT(pdf.size(), 2000u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
  EXPECT_NE(pdf.find("NotoSansCJK"), std::string::npos);  // the CJK font is embedded
}

TEST(Render, PngOfOnePage) {
  Document doc = SmallOrderSheet();
  std::string path = Out("yz_order_sheet_p1.png");
  RenderPng(doc, 0, path, 120);
  std::string png = ReadAll(path);
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_THROW(RenderPng(doc, 2, Out("yz_none.png")), Error);
}

TEST(Render, PageImageShowsTextsLinesAndTheCancelLine) {
  Document doc = SmallOrderSheet();
  const double dpi = 100;
  PageImage img = RenderPageImage(doc, 0, dpi);
  EXPECT_EQ(img.width, 827);  // 210 mm at 100 dpi
  EXPECT_EQ(img.height, 1170);
  const Page& p = doc.GetPage(0);
  const DrawOp* title = p.Find("lbl_title");
  EXPECT_GT(DarkPixels(img, dpi, title->x, title->y, title->w, title->h), 200);
  // The heavy line of row 10 fills much of its order-name cell's middle; a blank area stays blank.
  const DrawOp* row10 = nullptr;
  for (const DrawOp& op : p.ops)
    if (op.element == "txt_ordername" && op.row == 10) row10 = &op;
  ASSERT_NE(row10, nullptr);
  EXPECT_GT(DarkPixels(img, dpi, row10->x, row10->y, 40, row10->h), 100);
  EXPECT_EQ(DarkPixels(img, dpi, 10, 260, 180, 15), 0);

  // Strike-out and underline add ink to the same text.
  Document one;
  one.pages.push_back(Page{60, 12, 1, {}});
  DrawOp t;
  t.text = "阿司匹林肠溶片";
  t.w = 60, t.h = 12, t.x = 2, t.y = 2;
  one.pages[0].ops.push_back(t);
  int plain = DarkPixels(RenderPageImage(one, 0, 300), 300, 0, 0, 60, 12);
  one.pages[0].ops[0].font.strikeOut = true;
  int struck = DarkPixels(RenderPageImage(one, 0, 300), 300, 0, 0, 60, 12);
  one.pages[0].ops[0].font.strikeOut = false;
  one.pages[0].ops[0].font.underline = true;
  int underlined = DarkPixels(RenderPageImage(one, 0, 300), 300, 0, 0, 60, 12);
  EXPECT_GT(struck, plain + 200);
  EXPECT_GT(underlined, plain + 200);
}

TEST(Render, FailuresAreClear) {
  Document doc = SmallOrderSheet();
  auto message = [](const std::function<void()>& fn) -> std::string {
    try {
      fn();
    } catch (const Error& e) {
      return e.what();
    }
    return "(no error)";
  };
  EXPECT_NE(message([&] { RenderPdf(doc, "/nonexistent/dir/x.pdf"); }).find("Cannot write PDF '/nonexistent/dir/x.pdf'"),
            std::string::npos);
  EXPECT_NE(message([&] { RenderPng(doc, 0, "/nonexistent/dir/x.png"); }).find("Cannot write PNG"), std::string::npos);
  EXPECT_NE(message([] { RenderPdf(Document{}, Out("empty.pdf")); }).find("no pages"), std::string::npos);

  Document bad;
  bad.pages.emplace_back();
  DrawOp img;
  img.kind = OpKind::Image;
  img.w = img.h = 10;
  img.element = "img_logo";
  img.image = std::make_shared<const std::string>("not a png");
  bad.pages[0].ops.push_back(img);
  EXPECT_NE(message([&] { RenderPng(bad, 0, Out("bad.png")); }).find("'img_logo': the image is not a readable PNG"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Out("bad.pdf")));
  EXPECT_THROW(RenderPdf(bad, Out("bad.pdf")), Error);
  EXPECT_FALSE(std::filesystem::exists(Out("bad.pdf")));  // no half-written file is left
}

TEST(Render, ImagesFromFilesAndRows) {
  // A page image written as PNG is a valid picture for an image element: a black square.
  Document src;
  src.pages.push_back(Page{20, 20, 1, {}});
  DrawOp fill;
  fill.kind = OpKind::Line;
  fill.y = 10, fill.w = 20, fill.lineWidth = 40;
  src.pages[0].ops.push_back(fill);
  std::string pngPath = Out("yz_logo.png");
  RenderPng(src, 0, pngPath, 30);
  Layout l = Layout::FromJson(R"({"format":"yz-report-layout","version":1,"reports":[{"bands":[
    {"name":"d","kind":"detail","height":30,"elements":[
      {"name":"img_file","class":"image","image":")" + pngPath + R"(","width":20,"height":28},
      {"name":"img_row","class":"dataImage","field":"pic","left":30,"width":20,"height":28}]}]}]})");
  auto rows = std::make_shared<VectorRows>(std::vector<std::string>{"pic"});
  rows->Add({Variant(Bytes{ReadAll(pngPath)})});
  rows->Add({Variant()});  // no picture: nothing drawn
  l.BindRows(rows);
  Document doc = BandedEngine(l).Run();
  int images = 0;
  for (const DrawOp& op : doc.GetPage(0).ops) images += op.kind == OpKind::Image;
  EXPECT_EQ(images, 3);
  PageImage img = RenderPageImage(doc, 0, 50);
  EXPECT_GT(DarkPixels(img, 50, 10, 10, 20, 28), 500);  // file image, row 1
  EXPECT_GT(DarkPixels(img, 50, 40, 10, 20, 28), 500);  // data image, row 1
  EXPECT_EQ(DarkPixels(img, 50, 40, 40, 20, 28), 0);    // row 2 has no picture

  l.ElementByName("img_file").image = "/nonexistent/logo.png";
  try {
    BandedEngine(l).Run();
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("'img_file': cannot read image"), std::string::npos) << e.what();
  }
}

// No print service is reachable in the test environment: listing answers nothing and
// printing fails with a clear message.
TEST(Print, WithoutPrintServiceFailsClearly) {
  setenv("CUPS_SERVER", (::testing::TempDir() + "yz-no-print-service.sock").c_str(), 1);
  EXPECT_TRUE(ListPrinters().empty());
  Document doc = SmallOrderSheet();
  std::string pdf = Out("yz_print.pdf");
  RenderPdf(doc, pdf);
  struct Case {
    std::function<void()> fn;
    const char* expected;
  } cases[] = {
      {[&] { PrintPdfFile(pdf, "yz_no_such_printer", "长期医嘱单"); }, "printer 'yz_no_such_printer' is not available"},
      {[&] { PrintPdfFile(pdf, "", "长期医嘱单"); }, "no default printer"},
      {[&] { PrintDocument(doc, "", "长期医嘱单"); }, "no default printer"},
      {[&] { PrintPdfFile(Out("missing.pdf"), "", "x"); }, "does not exist"},
      {[&] { PrintPdfFile(pdf, "", "x", 0); }, "copies"},
  };
  for (const Case& c : cases) {
    try {
      c.fn();
      ADD_FAILURE() << "no error for " << c.expected;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
  unsetenv("CUPS_SERVER");
}

}  // namespace
}  // namespace yz::report
