// The engines' page model: rows per page, headers and footers, page numbers, enabled flags,
// row hooks, frame lines, offsets, data binding and the template engine.
#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/report/engine.h"

namespace yz::report {
namespace {

using testing::OrderRows;
using testing::OrderSheet;

struct Sheet {
  Layout layout = OrderSheet();
  std::shared_ptr<VectorRows> rows;
  explicit Sheet(int count) : rows(OrderRows(count)) { layout.BindRows(rows, "cdsReportDataSet"); }
};

std::vector<int> RowsPerPage(const Document& doc) {
  std::vector<int> out;
  for (const Page& p : doc.pages) out.push_back(p.RowCount());
  return out;
}

TEST(BandedEngine, ExactRowsPerPageWithHeaderAndFooterOnEveryPage) {
  ManualClock clock;
  SetClock(&clock);
  Sheet s(45);
  BandedEngine engine(s.layout);
  EXPECT_EQ(engine.RowsPerPage(), 20);
  Document doc = engine.Run();
  SetClock(nullptr);

  ASSERT_EQ(doc.PageCount(), 3);
  EXPECT_EQ(RowsPerPage(doc), (std::vector<int>{20, 20, 5}));
  for (int i = 0; i < 3; ++i) {
    const Page& p = doc.GetPage(i);
    EXPECT_EQ(p.TextsOf("lbl_title"), std::vector<std::string>{"长期医嘱单"});
    EXPECT_EQ(p.TextsOf("sys_page"), std::vector<std::string>{"第" + std::to_string(i + 1) + "页"});
    EXPECT_EQ(p.TextsOf("sys_count"), std::vector<std::string>{"共3页"});
    EXPECT_EQ(p.TextsOf("sys_date"), std::vector<std::string>{"2024-05-06"});
    // The footer sits at the bottom of the page: page height - bottom margin - footer height.
    EXPECT_DOUBLE_EQ(p.Find("sys_page")->y, 297 - 10 - 10 + 2);
  }
  // Rows in order, row 21 first on page 2, right under the column header.
  const Page& p2 = doc.GetPage(1);
  std::vector<std::string> names = p2.TextsOf("txt_ordername");
  ASSERT_EQ(names.size(), 20u);
  EXPECT_NE(names.front().find(" #21"), std::string::npos);
  EXPECT_NE(names.back().find(" #40"), std::string::npos);
  const DrawOp* first = p2.Find("txt_ordername");
  EXPECT_EQ(first->row, 21);
  EXPECT_DOUBLE_EQ(first->y, 10 + 20 + 8 + 1);
  EXPECT_EQ(doc.GetPage(2).Find("txt_ordername")->row, 41);
  EXPECT_THROW(doc.GetPage(3), Error);
}

TEST(BandedEngine, RowsPerPageEdges) {
  struct Case {
    int rows, perPage;
    std::vector<int> expected;
  } cases[] = {
      {40, 20, {20, 20}},     // a full last page gets no extra empty page
      {0, 20, {0}},           // no rows: one page with header and footer
      {1, 1, {1}},
      {60, 0, {29, 29, 2}},   // 0: as many as fit: (277 - 20 - 8 - 10) / 8 = 29
  };
  for (const Case& c : cases) {
    Sheet s(c.rows);
    s.layout.reports[0].rowsPerPage = c.perPage;
    Document doc = BandedEngine(s.layout).Run();
    EXPECT_EQ(RowsPerPage(doc), c.expected) << c.rows << " rows, " << c.perPage << " per page";
    EXPECT_EQ(doc.pages.back().TextsOf("sys_page").size(), 1u);
  }
}

TEST(BandedEngine, DisabledElementsAndBandsAreNotDrawn) {
  Sheet s(3);
  s.layout.ElementByName("lbl_ordername").enabled = false;
  s.layout.SetEnabled(ElementClass::Shape, false);
  s.layout.reports[0].FindBand(BandKind::PageFooter)->enabled = false;
  Document doc = BandedEngine(s.layout).Run();
  const Page& p = doc.GetPage(0);
  EXPECT_EQ(p.Find("lbl_ordername"), nullptr);
  EXPECT_NE(p.Find("lbl_time"), nullptr);
  for (const DrawOp& op : p.ops) EXPECT_NE(op.element.rfind("shp_", 0), 0u) << op.element;
  EXPECT_EQ(p.Find("sys_page"), nullptr);
}

TEST(BandedEngine, FrameLinesSwitchAtRunTime) {
  Sheet s(5);
  auto frameOps = [](const Document& doc, const std::string& band) {
    int n = 0;
    for (const DrawOp& op : doc.GetPage(0).ops)
      if (op.element == band) ++n;
    return n;
  };
  Document on = BandedEngine(s.layout).Run();
  EXPECT_EQ(frameOps(on, "bndDetail"), 5 * 3);  // bottom, left, right per row
  EXPECT_EQ(frameOps(on, "bndColumnHeader"), 4);
  s.layout.SetFrameLines(false);
  Document off = BandedEngine(s.layout).Run();
  EXPECT_EQ(frameOps(off, "bndDetail"), 0);
  EXPECT_EQ(frameOps(off, "bndColumnHeader"), 0);
  EXPECT_EQ(RowsPerPage(off), RowsPerPage(on));
}

TEST(BandedEngine, OffsetsShiftEverythingButNotTheRows) {
  Sheet s(25);
  Document plain = BandedEngine(s.layout).Run();
  BandedEngine shifted(s.layout);
  shifted.SetOffsets(4.5, -2);
  Document moved = shifted.Run();
  ASSERT_EQ(RowsPerPage(moved), RowsPerPage(plain));
  for (int i = 0; i < plain.PageCount(); ++i) {
    const auto& a = plain.GetPage(i).ops;
    const auto& b = moved.GetPage(i).ops;
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) {
      EXPECT_DOUBLE_EQ(b[k].x, a[k].x - 2) << a[k].element;
      EXPECT_DOUBLE_EQ(b[k].y, a[k].y + 4.5) << a[k].element;
      EXPECT_EQ(b[k].text, a[k].text);
    }
  }
}

TEST(BandedEngine, RowHooksChangeTheRowBeforeItPrints) {
  Sheet s(12);
  BandedEngine engine(s.layout);
  std::vector<int> before, after;
  // The cancel-print treatment: only cancelled rows print, as a line in the order column;
  // the preview treatment: cancelled rows struck out.
  engine.BeforeRow = [&](RowContext& c) {
    before.push_back(c.row);
    bool cancelled = c.rows.Value("deleted_flag").ToString() == "1";
    c.report.ElementByName("txt_ordername").font.strikeOut = cancelled;
    if (c.row > 6) s.rows->Set("order_name", cancelled ? "━━━━━━━━━━━━" : "");
  };
  engine.AfterRow = [&](RowContext& c) { after.push_back(c.row); };
  Document doc = engine.Run();
  std::vector<int> all{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  EXPECT_EQ(before, all);
  EXPECT_EQ(after, all);

  std::vector<std::string> texts;
  for (const DrawOp& op : doc.GetPage(0).ops) {
    if (op.element != "txt_ordername") continue;
    EXPECT_EQ(op.font.strikeOut, op.row % 5 == 0) << "row " << op.row;
    texts.push_back(op.text);
  }
  ASSERT_EQ(texts.size(), 12u);
  EXPECT_NE(texts[4].find(" #5"), std::string::npos);  // before the switch: the name
  EXPECT_EQ(texts[9], "━━━━━━━━━━━━");
  EXPECT_EQ(texts[6], "");
  EXPECT_EQ(texts[11], "");
}

// Page numbers kept by the hooks: while leaving row n (R rows per page, start page S),
// n < R labels S, n in the last page labels the last page, n mod R = 1 advances.
TEST(BandedEngine, PageNumberLabelFollowsTheAfterRowHook) {
  Sheet s(41);
  const int R = 20, start = 2, pageCount = 3, last = start + pageCount - 1;
  int current = start;
  BandedEngine engine(s.layout);
  engine.AfterRow = [&](RowContext& c) {
    Element& pageNo = c.report.ElementByName("lbl_pageno");
    if (c.row < R) {
      pageNo.text = std::to_string(current);
    } else if (c.row > (pageCount - 1) * R) {
      pageNo.text = std::to_string(last);
    } else if (c.row % R == 1) {
      pageNo.text = std::to_string(++current);
    }
  };
  Document doc = engine.Run();
  ASSERT_EQ(doc.PageCount(), 3);
  EXPECT_EQ(doc.GetPage(0).TextsOf("lbl_pageno"), std::vector<std::string>{"2"});
  EXPECT_EQ(doc.GetPage(1).TextsOf("lbl_pageno"), std::vector<std::string>{"3"});
  EXPECT_EQ(doc.GetPage(2).TextsOf("lbl_pageno"), std::vector<std::string>{"4"});
}

// Labels switched off for the first sheet and on from row L + 1: the first sheet's header
// and footer carry no labels, the second sheet's header already has them.
TEST(BandedEngine, LabelSwitchingInBeforeRowReachesHeadersAndFooters) {
  Sheet s(30);
  s.layout.ElementByName("lbl_name").text = "李明";
  const int L = 20;
  BandedEngine engine(s.layout);
  std::vector<int> pages;
  engine.BeforeRow = [&](RowContext& c) {
    pages.push_back(c.page);
    if (c.row % L == 1) c.report.SetEnabled(ElementClass::Label, c.row >= L);
  };
  Document doc = engine.Run();
  ASSERT_EQ(doc.PageCount(), 2);
  EXPECT_EQ(pages[19], 1);
  EXPECT_EQ(pages[20], 2);
  EXPECT_TRUE(doc.GetPage(0).TextsOf("lbl_name").empty());
  EXPECT_TRUE(doc.GetPage(0).TextsOf("lbl_title").empty());
  EXPECT_TRUE(doc.GetPage(0).TextsOf("lbl_pageno").empty());
  EXPECT_EQ(doc.GetPage(1).TextsOf("lbl_name"), std::vector<std::string>{"李明"});
  EXPECT_EQ(doc.GetPage(1).TextsOf("lbl_pageno").size(), 1u);
  EXPECT_EQ(doc.GetPage(0).TextsOf("sys_page").size(), 1u);  // not a label
}

TEST(BandedEngine, ExpressionsSystemDataAndSummary) {
  Layout l = Layout::FromJson(R"J({"format":"yz-report-layout","version":1,"reports":[{"rowsPerPage":2,
    "bands":[
      {"name":"d","kind":"detail","height":5,"elements":[
        {"name":"e_line","class":"expression","text":"if(qty > 1, name + ' x' + qty, name)","width":50,"height":5},
        {"name":"e_spid","class":"expression","text":"Params_spid","width":20,"height":5},
        {"name":"m_memo","class":"exprMemo","text":"{name}: {qty * 2}","width":50,"height":5},
        {"name":"s_row","class":"systemData","system":"rowNumber","text":"No.","width":10,"height":5}]},
      {"name":"s","kind":"summary","height":5,"elements":[
        {"name":"s_total","class":"systemData","system":"pageCount","text":"{} pages","width":20,"height":5}]}]}]})J");
  auto rows = std::make_shared<VectorRows>(std::vector<std::string>{"name", "qty"});
  rows->Add({Variant("甲"), Variant(1)});
  rows->Add({Variant("乙"), Variant(3)});
  l.BindRows(rows);
  l.Env().SetParamFunctions({{"spid", "0001"}});
  BandedEngine engine(l);
  engine.SetFirstPageNumber(7);
  Document doc = engine.Run();
  ASSERT_EQ(doc.PageCount(), 2);  // page full after two rows: the summary goes on a new page
  EXPECT_EQ(doc.GetPage(0).TextsOf("e_line"), (std::vector<std::string>{"甲", "乙 x3"}));
  EXPECT_EQ(doc.GetPage(0).TextsOf("e_spid"), (std::vector<std::string>{"0001", "0001"}));
  EXPECT_EQ(doc.GetPage(0).TextsOf("m_memo"), (std::vector<std::string>{"甲: 2", "乙: 6"}));
  EXPECT_EQ(doc.GetPage(0).TextsOf("s_row"), (std::vector<std::string>{"No.1", "No.2"}));
  EXPECT_EQ(doc.GetPage(1).TextsOf("s_total"), std::vector<std::string>{"2 pages"});
  EXPECT_EQ(doc.GetPage(1).number, 8);
}

TEST(BandedEngine, FailuresNameTheElement) {
  Layout unbound = OrderSheet();
  // Data texts outside the detail band need bound rows too.
  Element head;
  head.name = "txt_head";
  head.cls = ElementClass::DataText;
  head.field = "name";
  unbound.reports[0].bands[0].elements.push_back(head);
  try {
    BandedEngine(unbound).Run();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Report element 'txt_head': it is not bound"), std::string::npos) << e.what();
  }

  Sheet s(2);
  s.layout.ElementByName("txt_ordername").field = "no_such_field";
  try {
    BandedEngine(s.layout).Run();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("'txt_ordername': Field 'no_such_field' not found"), std::string::npos)
        << e.what();
  }
}

TEST(Binding, WalkReachesReportsAndDataAwareElementsOnly) {
  Layout l = OrderSheet();
  auto rows = OrderRows(1);
  l.BindRows(rows, "cdsReportStoreProcDataSet");
  EXPECT_EQ(l.reports[0].rows, rows);
  EXPECT_EQ(l.reports[0].dataSet, "cdsReportStoreProcDataSet");
  for (const Band& b : l.reports[0].bands) {
    for (const Element& e : b.elements) {
      EXPECT_EQ(e.rows != nullptr, e.IsDataAware()) << e.name;
      if (e.IsDataAware()) {
        EXPECT_EQ(e.dataSet, "cdsReportStoreProcDataSet");
      }
    }
  }
}

TEST(TemplateEngine, HeaderOnEveryPageAndDetailPerRow) {
  Layout l = Layout::FromJson(R"J({"format":"yz-report-layout","version":1,"engine":"template","reports":[{
    "rowsPerPage":3,"bands":[
      {"name":"h","kind":"templateHeader","height":10,"elements":[
        {"name":"spid","class":"label","text":"","width":40,"height":6}]},
      {"name":"d","kind":"templateDetail","height":6,"elements":[
        {"name":"t_order","class":"dataText","field":"order_name","width":80,"height":6}]}]}]})J");
  EXPECT_THROW(BandedEngine{l}, Error);
  auto rows = OrderRows(7);
  l.BindRows(rows);
  l.ElementByName("spid").text = "0001";  // a parameter value shown in the template's label
  Document doc = TemplateEngine(l).Run();
  EXPECT_EQ(RowsPerPage(doc), (std::vector<int>{3, 3, 1}));
  for (const Page& p : doc.pages) EXPECT_EQ(p.TextsOf("spid"), std::vector<std::string>{"0001"});

  Layout banded = OrderSheet();
  EXPECT_THROW(TemplateEngine{banded}, Error);
}

}  // namespace
}  // namespace yz::report
