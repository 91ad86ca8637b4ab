// Reports over datasets: the binding walk, hooks editing the dataset's row, sheet export.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/base/error.h"
#include "platform/data/dataset.h"
#include "platform/report/dataset_rows.h"
#include "fixture.h"

namespace yz::report {
namespace {

using yz::data::DataSet;
using yz::data::FieldType;

struct Orders {
  DataSet ds{"cdsReportDataSet"};
  explicit Orders(int count) {
    ds.FieldDefs() = {{"start_date", FieldType::String, 10}, {"start_time", FieldType::String, 8},
                      {"order_name", FieldType::String, 100}, {"d_signer", FieldType::String, 20},
                      {"end_date", FieldType::String, 10},   {"end_time", FieldType::String, 8},
                      {"d_signer2", FieldType::String, 20},  {"deleted_flag", FieldType::String, 1}};
    ds.CreateDataSet();
    for (int i = 1; i <= count; ++i)
      ds.AppendRecord({"05-06", "09:30", std::string(testing::kDrugs[i % 6]) + " #" + std::to_string(i), "张医生",
                       Variant(), Variant(), Variant(), i % 5 == 0 ? "1" : "0"});
  }
};

TEST(DataSetReport, HooksEditTheDataSetRowBeforeItPrints) {
  Orders o(25);
  Layout l = testing::OrderSheet();
  BindDataSet(l, o.ds);
  EXPECT_EQ(l.reports[0].dataSet, "cdsReportDataSet");
  EXPECT_EQ(l.ElementByName("txt_ordername").rows, l.reports[0].rows);
  EXPECT_EQ(l.ElementByName("lbl_name").rows, nullptr);

  BandedEngine engine(l);
  // The cancel print: every row cleared, cancelled rows print only the heavy line.
  engine.BeforeRow = [&](RowContext&) {
    bool cancelled = o.ds["deleted_flag"].AsString() == "1";
    o.ds.Edit();
    for (int i = 0; i < o.ds.FieldCount(); ++i) o.ds.FieldAt(i).Clear();
    o.ds["order_name"].SetAsString(cancelled ? "━━━━━━━━━━━━" : "");
    o.ds.Post();
  };
  Document doc = engine.Run();
  ASSERT_EQ(doc.PageCount(), 2);
  std::vector<std::string> p1 = doc.GetPage(0).TextsOf("txt_ordername");
  ASSERT_EQ(p1.size(), 20u);
  for (size_t i = 0; i < p1.size(); ++i) EXPECT_EQ(p1[i], (i + 1) % 5 == 0 ? "━━━━━━━━━━━━" : "") << i;
  EXPECT_EQ(doc.GetPage(0).TextsOf("txt_date"), std::vector<std::string>(20, ""));
  EXPECT_EQ(doc.GetPage(1).RowCount(), 5);
}

TEST(SheetExport, LabelsThenOneRowPerRecordAndPositionKept) {
  Orders o(4);
  o.ds["order_name"].SetDisplayLabel("医嘱内容");
  o.ds["start_date"].SetDisplayLabel("日期");
  o.ds["deleted_flag"].SetTag(2);  // above the maximum tag: not exported
  o.ds["d_signer2"].SetTag(1);
  o.ds.SetRecNo(3);

  auto cells = SheetCells(o.ds, 1);
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0], (std::vector<std::string>{"日期", "start_time", "医嘱内容", "d_signer", "end_date", "end_time",
                                                "d_signer2"}));
  EXPECT_EQ(cells[4][2], std::string(testing::kDrugs[4]) + " #4");
  EXPECT_EQ(o.ds.RecNo(), 3);
  EXPECT_EQ(SheetCells(o.ds, 0)[0].size(), 6u);

  std::string path = ::testing::TempDir() + "yz_orders.xlsx";
  std::remove(path.c_str());
  EXPECT_TRUE(ExportToXlsx(o.ds, 1, path));
  EXPECT_GT(std::filesystem::file_size(path), 1000u);
  EXPECT_EQ(o.ds.RecNo(), 3);
  EXPECT_FALSE(o.ds.ControlsDisabled());

  try {
    ExportToXlsx(o.ds, 1, "/nonexistent/dir/x.xlsx");
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot write spreadsheet '/nonexistent/dir/x.xlsx'"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(o.ds.RecNo(), 3);

  o.ds.Close();
  std::string closed = ::testing::TempDir() + "yz_closed.xlsx";
  EXPECT_FALSE(ExportToXlsx(o.ds, 1, closed));
  EXPECT_FALSE(std::filesystem::exists(closed));
}

}  // namespace
}  // namespace yz::report
