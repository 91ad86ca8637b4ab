// The report-printing child window against the print server: definitions, parameter list and
// functions, stored procedures, failure boxes, the demo order sheet, printing and export.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture.h"
#include "framework/childprintform.h"
#include "platform/base/error.h"
#include "platform/report/dataset_rows.h"
#include "platform/report/layout.h"
#include "platform/report/render.h"
#include "platform/ui/controls.h"

// Fontconfig, cairo and pango keep process-wide caches that live until exit.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libcairo.so\nleak:libpango\nleak:libglib\nleak:libgobject\n"
         "leak:libharfbuzz\nleak:libcups.so\n";
}

namespace yz::test {
namespace {

using report::ElementClass;

class TfrmPrintTest : public TfrmChildprintForm {
 public:
  TfrmPrintTest() : TfrmChildprintForm(nullptr, "frmPrintTest") {}
};

// A one-band layout: the field `field` per row and an expression per row.
std::string SmallLayout(const std::string& field, const std::string& expression, bool templ = false) {
  report::Layout l;
  l.engine = templ ? report::EngineKind::Template : report::EngineKind::Banded;
  report::Report r;
  r.name = "rptTest";
  report::Band header;
  header.name = "bndHeader";
  header.kind = templ ? report::BandKind::TemplateHeader : report::BandKind::PageHeader;
  header.height = 10;
  report::Element spid;
  spid.name = "spid";  // a label named like a parameter: the template engine captions it
  spid.rect = {0, 0, 50, 6};
  spid.text = "?";
  header.elements.push_back(spid);
  report::Band detail;
  detail.name = "bndDetail";
  detail.kind = templ ? report::BandKind::TemplateDetail : report::BandKind::Detail;
  detail.height = 8;
  report::Element data;
  data.name = "txt_value";
  data.cls = ElementClass::DataText;
  data.field = field;
  data.rect = {0, 0, 60, 6};
  detail.elements.push_back(data);
  report::Element expr;
  expr.name = "exp_param";
  expr.cls = ElementClass::Expression;
  expr.text = expression;
  expr.rect = {70, 0, 60, 6};
  detail.elements.push_back(expr);
  r.bands = {header, detail};
  l.reports.push_back(r);
  return l.ToJson();
}

struct ParamRow {
  std::string name, type, value;
};

class ChildPrintTest : public ModuleTest {
 protected:
  ui::Owned<TfrmPrintTest> Make() {
    ui::Owned<TfrmPrintTest> f(ui::Create<TfrmPrintTest>());
    f->Show();
    f->OnPrintDocument = [this](const report::Document& d, const report::PrintSettings& s, const std::string& t) {
      printed.push_back({d, s, t});
    };
    return f;
  }
  void Define(int code, const std::string& flag, const std::string& sql, const Variant& layout,
              const std::vector<ParamRow>& params = {}, const Variant& templ = Variant()) {
    Db().Exec("insert into pu_report values (?1, 'test', ?2, ?3, ?4, ?5, ?6)",
              {Variant(code), Variant(sql), Variant(flag), layout, Variant("tmpl" + std::to_string(code)), templ});
    int no = 0;
    for (const auto& p : params)
      Db().Exec("insert into pu_report_param values (?1, ?2, ?3, ?4, ?5)",
                {Variant(code), Variant(++no), Variant(p.name), Variant(p.type), Variant(p.value)});
  }
  // Method calls named `name` sent to the print server, in order.
  static std::vector<remote::CallEntry> Calls(const std::string& name) { return remote::CallsNamed(name); }
  void ExpectBox(size_t index, const std::string& text, const std::string& caption) {
    const auto& boxes = ui::App().Boxes();
    ASSERT_GT(boxes.size(), index);
    EXPECT_EQ(boxes[index].text, text);
    EXPECT_EQ(boxes[index].caption, caption);
  }
  struct Printed {
    report::Document doc;
    report::PrintSettings settings;
    std::string title;
  };
  std::vector<Printed> printed;
};

TEST_F(ChildPrintTest, ParameterListCountAndFunctionsFollowTheLoadedDefinition) {
  auto f = Make();
  // A value with a quote, a comma and a semicolon: bound by the server, never spliced.
  const std::string tricky = "O'Brien; a,b";
  Define(9001, "1", "select :spid as spid, :times as times, :who as who", Variant(SmallLayout("who", "Params_who")),
         {{" spid ", " string ", " 0001 "}, {"times", "integer", "2"}, {"who", "string", tricky}});
  Define(9002, "1", "select 'x' as one", Variant(SmallLayout("one", "'-'")));
  Define(9003, "1", "select :times as times", Variant(SmallLayout("times", "Params_times")),
         {{"times", "integer", "7"}});

  ASSERT_TRUE(f->LoadReport(9001));
  EXPECT_EQ(Report_data().report_code, 9001);
  EXPECT_EQ(Report_data().report_flag, "1");
  EXPECT_EQ(f->GetProperty("Caption"), "应用程序子窗口");
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_EQ(f->ParamList(), (std::vector<std::string>{"spid,string,0001;", "times,integer,2;", "who,string," + tricky + ";"}));
  EXPECT_EQ(f->ParamCount(), 3);
  auto sent = Calls("sChangeSQL");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].args.find("; [spid,string,0001;,times,integer,2;,who,string," + tricky + ";]; 3; "),
            std::string::npos)
      << sent[0].args;
  EXPECT_FALSE(f->dmcUserPrintInterFace->Connected());
  // The rows came back with every value intact.
  ASSERT_EQ(f->cdsReportDataSet->RecordCount(), 1);
  EXPECT_EQ(f->cdsReportDataSet->FieldByName("spid").AsString(), "0001");
  EXPECT_EQ(f->cdsReportDataSet->FieldByName("times").AsInteger(), 2);
  EXPECT_EQ(f->cdsReportDataSet->FieldByName("who").AsString(), tricky);

  // Params_spid answers '0001'; quotes survive as values and as literals.
  report::Environment& env = f->Layout().Env();
  EXPECT_EQ(report::Evaluate("Params_spid", env).ToString(), "0001");
  EXPECT_EQ(env.ParamLiteral("Params_spid"), "'0001'");
  EXPECT_EQ(env.ParamLiteral("Params_who"), "'O''Brien; a,b'");
  report::Document doc = f->RunReport();
  EXPECT_EQ(doc.GetPage(0).TextsOf("exp_param"), std::vector<std::string>{tricky});
  EXPECT_EQ(doc.GetPage(0).TextsOf("txt_value"), std::vector<std::string>{tricky});

  // A definition without parameter rows: no list, count 0, no functions of the one before.
  ASSERT_TRUE(f->LoadReport(9002));
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_TRUE(f->ParamList().empty());
  EXPECT_EQ(f->ParamCount(), 0);
  sent = Calls("sChangeSQL");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].args.substr(sent[1].args.find(';')), "; ''; 0; null") << sent[1].args;
  EXPECT_TRUE(f->Layout().Env().ParamFunctionNames().empty());
  EXPECT_FALSE(f->Layout().Env().Has("Params_spid"));

  // Two definitions with parameters, one after the other: only the second's functions.
  ASSERT_TRUE(f->LoadReport(9001));
  ASSERT_TRUE(f->OpenReportData());
  ASSERT_TRUE(f->LoadReport(9003));
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_EQ(f->Layout().Env().ParamFunctionNames(), std::vector<std::string>{"Params_times"});
  EXPECT_EQ(f->RunReport().GetPage(0).TextsOf("exp_param"), std::vector<std::string>{"7"});
}

TEST_F(ChildPrintTest, StoredProcedureReceivesTheValuesFromTheLastRowBackwards) {
  Db().Exec("insert into pu_store_proc values ('up_three', 'select :x as x, :y as y, :z as z')");
  for (int i = 1; i <= 3; ++i)
    Db().Exec("insert into pu_store_proc_param values ('up_three', ?1, ?2, 'string')",
              {Variant(i), Variant(std::string(1, static_cast<char>('w' + i)))});
  Define(9010, "6", "  up_three ", Variant(SmallLayout("x", "Params_p1")),
         {{"p1", "string", "v1"}, {"p2", "string", "v2"}, {"p3", "string", "v3"}});
  auto f = Make();
  ASSERT_TRUE(f->LoadReport(9010));
  EXPECT_EQ(f->ReportDataSet(), f->cdsReportStoreProcDataSet);
  ASSERT_TRUE(f->OpenReportData());

  auto list = Calls("sGetStoreParamList");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_NE(list[0].args.find("'up_three'"), std::string::npos) << list[0].args;
  auto call = Calls("sChangeStoreProc");
  ASSERT_EQ(call.size(), 1u);
  EXPECT_EQ(call[0].args, "'up_three'; 'x;y;z'; 3; 'string;string;string'; [v3,v2,v1]");
  EXPECT_FALSE(f->cdsSQLParams->Active());
  ASSERT_TRUE(f->cdsReportStoreProcDataSet->Active());
  EXPECT_EQ(f->cdsReportStoreProcDataSet->FieldByName("x").AsString(), "v3");
  EXPECT_EQ(f->cdsReportStoreProcDataSet->FieldByName("z").AsString(), "v1");
  EXPECT_TRUE(Calls("sChangeSQL").empty());
  EXPECT_EQ(f->RunReport().GetPage(0).TextsOf("txt_value"), std::vector<std::string>{"v3"});

  // The values the window put into the rows are sent, a row left in edit included (a refetch
  // would bring back the definition's defaults); a second run keeps the parameter functions.
  ASSERT_TRUE(f->LoadReport(9010));
  ASSERT_TRUE(f->cdsSQLParams->Locate("param_name", Variant("p1"), data::loPartialKey));
  f->cdsSQLParams->Edit();
  f->cdsSQLParams->FieldByName("param_defaultvalue").SetAsString("mine");
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_EQ(Calls("sChangeStoreProc").back().args, "'up_three'; 'x;y;z'; 3; 'string;string;string'; [v3,v2,mine]");
  EXPECT_EQ(f->cdsReportStoreProcDataSet->FieldByName("z").AsString(), "mine");
  EXPECT_EQ(f->RunReport().GetPage(0).TextsOf("exp_param"), std::vector<std::string>{"mine"});
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_EQ(Calls("sChangeStoreProc").size(), 3u);
  EXPECT_EQ(f->Layout().Env().ParamFunctionNames(), (std::vector<std::string>{"Params_p1", "Params_p2", "Params_p3"}));
  EXPECT_EQ(f->RunReport().GetPage(0).TextsOf("exp_param"), std::vector<std::string>{"mine"});
}

TEST_F(ChildPrintTest, TemplateEngineCaptionsLabelsNamedLikeParameters) {
  Define(9020, "x", "select :spid as spid", Variant(), {{"spid", "string", "0001"}},
         Variant(SmallLayout("spid", "Params_spid", true)));
  auto f = Make();
  ASSERT_TRUE(f->LoadReport(9020));
  EXPECT_EQ(f->TemplateName(), "tmpl9020");
  EXPECT_TRUE(f->ppView->Visible());
  EXPECT_FALSE(f->qrpView->Visible());
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_EQ(f->Layout().ElementByName("spid").text, "0001");
  f->PreviewReport();
  EXPECT_EQ(f->ppView->PageCount(), 1);
  EXPECT_FALSE(f->qrpView->HasDocument());
  EXPECT_EQ(f->ppView->CurrentPage().TextsOf("spid"), std::vector<std::string>{"0001"});
  f->PrintReport();
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].title, "tmpl9020");
}

TEST_F(ChildPrintTest, EveryFailureShowsItsBox) {
  const std::string server = "可能中间层服务器不正常";
  const std::string data = server + "\n或SQL语句或参数不正确!";
  Define(9030, "1", "select * from no_such_table", Variant(SmallLayout("a", "'-'")));
  Define(9031, "1", "select 1 as a", Variant());                          // no layout stream
  Define(9032, "6", "up_missing", Variant(SmallLayout("a", "'-'")));
  Define(9033, "2", "select 1 as a", Variant(SmallLayout("a", "'-'")));  // an engine flag that fetches nothing
  Define(9034, "1", "select :spid as a", Variant(SmallLayout("a", "'-'")), {{"spid", "string", "1"}});
  auto f = Make();
  struct Case {
    std::string what;
    std::function<bool()> run;
    bool result;
    std::string box;  // empty: no box
    std::string caption = "失败";
  } cases[] = {
      {"definition query fails",
       [&] {
         remote::SetFault("DataSetProvider_SQL_io", "server down");
         bool ok = f->LoadReport(9030);
         remote::ClearFaults();
         return ok;
       },
       false, server},
      {"no definition", [&] { return f->LoadReport(4711); }, false, "该报表定义不是1个。"},
      {"no layout stream", [&] { return f->LoadReport(9031); }, false, ""},
      {"parameter query fails: the load goes on",
       [&] {
         remote::SetFault("dspSQLParams", "server down");
         bool ok = f->LoadReport(9034);
         remote::ClearFaults();
         return ok && f->OpenReportData() == false;  // the SQL then lacks its parameter
       },
       true, server},
      {"data query fails", [&] { return f->LoadReport(9030) && f->OpenReportData(); }, false, data},
      {"stored procedure fails", [&] { return f->LoadReport(9032) && f->OpenReportData(); }, false, data},
      {"engine flag without rows", [&] { return f->LoadReport(9033) && f->OpenReportData(); }, false, ""},
      {"spreadsheet unavailable",
       [&] {
         f->OnShowSheet = [](const std::string&) { throw Error("no spreadsheet program"); };
         data::DataSet& ds = *f->cdsUpdateSQL;
         return f->ExportToExcel(ds, 0, "", true);
       },
       false, "无法调用Excel!\n请检查是否安装了Excel", "提示"},
  };
  for (const Case& c : cases) {
    ui::App().ClearBoxes();
    if (!c.box.empty()) ui::App().QueueAnswer(ui::mrOk);
    if (c.what.rfind("parameter query", 0) == 0) ui::App().QueueAnswer(ui::mrOk);
    EXPECT_EQ(c.run(), c.result) << c.what;
    if (c.box.empty()) {
      EXPECT_TRUE(ui::App().Boxes().empty()) << c.what;
      continue;
    }
    ASSERT_FALSE(ui::App().Boxes().empty()) << c.what;
    EXPECT_EQ(ui::App().Boxes()[0].text, c.box) << c.what;
    EXPECT_EQ(ui::App().Boxes()[0].caption, c.caption) << c.what;
    EXPECT_EQ(ui::App().PendingAnswers(), 0) << c.what;
    EXPECT_FALSE(f->dmcUserPrintInterFace->Connected()) << c.what;
  }
  // A failed load installs nothing: the report of an earlier load is gone.
  ASSERT_NE(f->ReportLayout(), nullptr);
  EXPECT_FALSE(f->LoadReport(9031));
  EXPECT_EQ(f->ReportLayout(), nullptr);
  EXPECT_THROW(f->RunReport(), Error);
}

// The demo long-term sheet of the first demo patient (more than one page of orders), 25 rows
// per page.
TEST_F(ChildPrintTest, DemoOrderSheetPrintsPagesWithRowsPageNumbersAndStrikeOut) {
  auto f = Make();
  ASSERT_TRUE(f->LoadReport(Session().settings.long_order_report_code));
  ASSERT_TRUE(f->cdsSQLParams->Locate("param_name", Variant("spid"), data::loPartialKey));
  f->cdsSQLParams->Edit();
  f->cdsSQLParams->FieldByName("param_defaultvalue").SetAsString("000100001");
  ASSERT_TRUE(f->OpenReportData());
  TClientDataSet& rows = *f->cdsReportDataSet;
  const int n = rows.RecordCount();
  ASSERT_EQ(n, Db().Scalar("select count(*) from yz_act_order where patient_id = '000100001' and "
                           "long_once_flag = '1'").ToInt());
  ASSERT_GT(n, 25);
  ASSERT_LE(n, 50);
  std::vector<int> cancelled;
  int stopSigners = 0;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    if (rows.FieldByName("deleted_flag").AsString() == "1") cancelled.push_back(rows.RecNo());
    if (rows.RecNo() <= 25 && rows.FieldByName("d_signer2").AsString() == "张主任") ++stopSigners;
  }
  ASSERT_FALSE(cancelled.empty());
  ASSERT_GT(stopSigners, 0);

  // The sheet's heading labels carry no text of their own: the print window captions them from
  // the patient's row, as done here for every one of them.
  report::Layout& l = f->Layout();
  l.ElementByName("lbl_ordername").enabled = false;
  data::DataPacket patient = Db().Query(
      "select p.name, w.dept_name, w.ward_name, p.bed_no, p.inpatient_no from zy_actpatient p "
      "left join zy_adtward w on w.dept_sn = p.admiss_dept and w.ward_sn = p.admiss_ward "
      "where p.patient_id = '000100001' and p.admiss_times = 1");
  ASSERT_EQ(patient.rows.size(), 1u);
  const char* headings[] = {"lbl_name", "lbl_dept_name", "lbl_ward_name", "lbl_bed_no", "lbl_inpatient_no"};
  for (size_t i = 0; i < std::size(headings); ++i) {
    std::string value = patient.rows[0].values[i].ToString();
    ASSERT_FALSE(value.empty()) << headings[i];
    l.ElementByName(headings[i]).text = value;
  }
  f->FirstPageNumber = 3;
  f->BeforeRow = [&](report::RowContext& c) {
    c.report.ElementByName("txt_ordername").font.strikeOut = c.rows.Value("deleted_flag").ToString() == "1";
  };
  f->PreviewReport();
  ASSERT_TRUE(f->qrpView->HasDocument());
  EXPECT_EQ(f->qrpView->Zoom(), 100);
  const report::Document& doc = f->qrpView->GetDocument();
  ASSERT_EQ(doc.PageCount(), 2);
  EXPECT_EQ(doc.GetPage(0).RowCount(), 25);
  EXPECT_EQ(doc.GetPage(1).RowCount(), n - 25);
  EXPECT_EQ(doc.GetPage(0).TextsOf("sys_page"), std::vector<std::string>{"第3页"});
  EXPECT_EQ(doc.GetPage(1).TextsOf("sys_page"), std::vector<std::string>{"第4页"});
  EXPECT_EQ(doc.GetPage(1).TextsOf("lbl_title"), std::vector<std::string>{"长期医嘱单"});
  EXPECT_EQ(doc.GetPage(0).Find("lbl_ordername"), nullptr);
  EXPECT_NE(doc.GetPage(0).Find("lbl_d_signer"), nullptr);
  EXPECT_EQ(doc.GetPage(0).TextsOf("lbl_name"), std::vector<std::string>{"刘德明"});
  for (const auto& page : doc.pages)
    for (size_t i = 0; i < std::size(headings); ++i)
      EXPECT_EQ(page.TextsOf(headings[i]), std::vector<std::string>{patient.rows[0].values[i].ToString()})
          << headings[i] << " on page " << page.number;
  std::vector<int> struck;
  for (const auto& page : doc.pages)
    for (const auto& op : page.ops)
      if (op.element == "txt_ordername" && op.font.strikeOut) struck.push_back(op.row);
  EXPECT_EQ(struck, cancelled);
  auto signers = doc.GetPage(0).TextsOf("txt_d_signer2");
  EXPECT_EQ(std::count(signers.begin(), signers.end(), "张主任"), stopSigners);

  std::string pdf = ::testing::TempDir() + "yz_demo_long_sheet.pdf";
  std::string png = ::testing::TempDir() + "yz_demo_long_sheet_p1.png";
  report::RenderPdf(doc, pdf);
  report::RenderPng(doc, 0, png, 100);
  std::ifstream in(pdf, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_NE(ss.str().find("/Count 2"), std::string::npos);
  EXPECT_NE(ss.str().find("NotoSansCJK"), std::string::npos);
  EXPECT_GT(std::filesystem::file_size(png), 10000u);

  // Navigation and print set-up of the preview.
  f->qrpView->Next();
  EXPECT_EQ(f->qrpView->GetProperty("PageNumber"), "2");
  ui::App().ModalDriver = [](ui::Form& dlg) {
    auto& setup = dynamic_cast<report::PrinterSetupDialog&>(dlg);
    setup.edtCopies->SetText("2");
    setup.btnOK->Click();
  };
  f->print_set->Click();
  EXPECT_EQ(f->qrpView->Printer.copies, 2);

  // Printing runs every report of the layout again, with the same hooks.
  f->PrintReport();
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].doc.PageCount(), 2);
  EXPECT_EQ(printed[0].settings.copies, 2);
  EXPECT_EQ(printed[0].title, "rptLongOrder");
}

TEST_F(ChildPrintTest, OtherDemoSheetsLoadAndFetch) {
  auto f = Make();
  auto count = [&](const char* where) {
    return Db().Scalar(std::string("select count(*) from yz_act_order where patient_id = '000100001' and ") + where)
        .ToInt();
  };
  struct Case {
    int code;
    std::vector<std::pair<std::string, std::string>> params;
    int rows;
  } cases[] = {
      {501, {{"spid", "000100001"}}, count("long_once_flag = '0'")},
      {1000335, {{"spid", "000100001"}, {"times", "1"}}, count("admiss_times = 1 and print_order = '0' and deleted_flag = '0'")},
      {1000336, {{"order_no", "900038"}}, 1},  // the morphine order
      {1000336, {{"order_no", "900029"}}, 0},  // a blood count is no poison
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(f->LoadReport(c.code)) << c.code;
    for (const auto& [name, value] : c.params) {
      ASSERT_TRUE(f->cdsSQLParams->Locate("param_name", Variant(name), data::loPartialKey)) << name;
      f->cdsSQLParams->Edit();
      f->cdsSQLParams->FieldByName("param_defaultvalue").SetAsString(value);
      f->cdsSQLParams->Post();
    }
    ASSERT_TRUE(f->OpenReportData()) << c.code;
    EXPECT_EQ(f->cdsReportDataSet->RecordCount(), c.rows) << c.code;
    EXPECT_NO_THROW(f->RunReport()) << c.code;
  }
  EXPECT_EQ(f->cdsReportDataSet->RecordCount(), 0);
  ASSERT_TRUE(f->LoadReport(1000336));
  f->cdsSQLParams->First();
  f->cdsSQLParams->Edit();
  f->cdsSQLParams->FieldByName("param_defaultvalue").SetAsString("900038");
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_EQ(f->cdsReportDataSet->FieldByName("dose_text").AsString(), "10 mg");
  EXPECT_EQ(f->cdsReportDataSet->FieldByName("name").AsString(), "刘德明");
}

TEST_F(ChildPrintTest, ExportWritesLabelsAndRowsAndRestoresThePosition) {
  auto f = Make();
  ASSERT_TRUE(f->LoadReport(501));
  f->cdsSQLParams->First();
  f->cdsSQLParams->Edit();
  f->cdsSQLParams->FieldByName("param_defaultvalue").SetAsString("000100001");
  ASSERT_TRUE(f->OpenReportData());
  TClientDataSet& ds = *f->cdsReportDataSet;
  ds.FieldByName("order_name").SetDisplayLabel("医嘱内容");
  ds.SetRecNo(4);

  // The export command: the sheet is opened for the user.
  std::string shown;
  f->OnShowSheet = [&](const std::string& path) { shown = path; };
  f->Execl1->Click();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(std::filesystem::path(shown).extension(), ".xlsx");
  EXPECT_GT(std::filesystem::file_size(shown), 1000u);
  EXPECT_EQ(ds.RecNo(), 4);
  EXPECT_FALSE(ds.ControlsDisabled());
  std::filesystem::remove(shown);
  auto cells = report::SheetCells(ds, 0);
  ASSERT_EQ(cells.size(), static_cast<size_t>(ds.RecordCount()) + 1);  // labels, then one row per record
  EXPECT_EQ(cells[0][3], "医嘱内容");
  EXPECT_EQ(cells[0][0], "patient_id");
  ds.Last();
  EXPECT_EQ(cells.back()[3], ds.FieldByName("order_name").AsString());
  ds.SetRecNo(4);

  // Not visible without a file name: the save dialog asks (filter .xlsx); Cancel writes nothing.
  std::string filter;
  ui::App().ModalDriver = [&](ui::Form& dlg) {
    auto& save = dynamic_cast<TSheetSaveDialog&>(dlg);
    filter = save.Filter;
    save.btnCancel->Click();
  };
  EXPECT_FALSE(f->ExportToExcel(ds, 0, "", false));
  EXPECT_EQ(filter, "Microsoft Excel 文件(*.xlsx)|*.xlsx");
  std::string path = ::testing::TempDir() + "yz_once_sheet";
  std::filesystem::remove(path + ".xlsx");
  ui::App().ModalDriver = [&](ui::Form& dlg) {
    auto& save = dynamic_cast<TSheetSaveDialog&>(dlg);
    save.edtFileName->SetText(path);
    save.btnSave->Click();
  };
  EXPECT_TRUE(f->ExportToExcel(ds, 0, "", false));
  EXPECT_TRUE(std::filesystem::exists(path + ".xlsx"));
  EXPECT_EQ(ds.RecNo(), 4);
  EXPECT_EQ(ui::App().CursorHistory().back(), ui::crDefault);

  // A closed dataset: nothing happens.
  ds.Close();
  EXPECT_FALSE(f->ExportToExcel(ds, 0, path + "2.xlsx", false));
  EXPECT_FALSE(std::filesystem::exists(path + "2.xlsx"));
}

TEST_F(ChildPrintTest, ClosingReleasesTheDataAndThePrintConnection) {
  auto f = Make();
  ASSERT_TRUE(f->LoadReport(507));
  ASSERT_TRUE(f->OpenReportData());
  EXPECT_TRUE(f->cdsReportDataSet->Active());
  f->dmcUserPrintInterFace->Connect();
  EXPECT_EQ(f->dmcUserPrintInterFace->ComputerName(), "sqlite::memory:");
  f->Close();
  EXPECT_FALSE(f->cdsReportDataSet->Active());
  EXPECT_FALSE(f->dmcUserPrintInterFace->Connected());
  EXPECT_FALSE(f->DmcGetData->Connected());
}

}  // namespace
}  // namespace yz::test
