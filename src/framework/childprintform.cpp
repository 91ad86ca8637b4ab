#include "framework/childprintform.h"

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>

#include "framework/session.h"
#include "framework/showbox.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/data/packet.h"
#include "platform/report/dataset_rows.h"
#include "platform/report/layout.h"
#include "platform/report/print.h"
#include "platform/ui/controls.h"

extern char** environ;

namespace yz {

namespace {

constexpr const char* kServerFault = "可能中间层服务器不正常";
constexpr const char* kDataFault = "或SQL语句或参数不正确!";
constexpr const char* kNotOne = "该报表定义不是1个。";
constexpr const char* kNoSheet = "无法调用Excel!";
constexpr const char* kInstallSheet = "请检查是否安装了Excel";

// Disconnects a connection when the scope ends, however it ends.
struct DisconnectAtEnd {
  TDCOMConnection* conn;
  ~DisconnectAtEnd() { conn->Disconnect(); }
};

std::string FieldText(data::DataSet& ds, const char* name) {
  data::Field* f = ds.FindField(name);
  return f ? f->AsString() : std::string();
}

// Opens a file with the desktop's opener without waiting for it.
void OpenWithDesktop(const std::string& path) {
  pid_t pid = 0;
  std::string prog = "xdg-open";
  std::vector<char*> argv{prog.data(), const_cast<char*>(path.c_str()), nullptr};
  if (posix_spawnp(&pid, prog.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    throw Error("The spreadsheet " + path + " cannot be opened: xdg-open is not available");
  int status = 0;
  waitpid(pid, &status, 0);  // xdg-open hands the file over and ends
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw Error("The spreadsheet " + path + " cannot be opened: no program opens .xlsx files");
}

std::string TempSheetPath(const std::string& base) {
  static std::atomic<int> serial{0};
  std::filesystem::path dir = std::filesystem::temp_directory_path();
  std::string stem = base.empty() ? "report" : base;
  return (dir / (stem + "_" + std::to_string(getpid()) + "_" + std::to_string(++serial) + ".xlsx")).string();
}

}  // namespace

Trec_Report_data& Report_data() {
  static Trec_Report_data record;
  return record;
}

// ---------------------------------------------------------------- TSheetSaveDialog

TSheetSaveDialog::TSheetSaveDialog(ui::Component* owner) : ui::Form(owner) {
  SetName("SaveDialog1");
  SetCaption("另存为");
  SetBorderStyle(ui::BorderStyle::Dialog);
  SetPosition(ui::Position::ScreenCenter);
  SetBounds(0, 0, 420, 130);
  edtFileName = new ui::Edit(this);
  edtFileName->SetName("edtFileName");
  edtFileName->SetParent(this);
  edtFileName->SetBounds(12, 12, 390, 22);
  lblFilter = new ui::Label(this);
  lblFilter->SetName("lblFilter");
  lblFilter->SetParent(this);
  lblFilter->SetBounds(12, 44, 390, 20);
  btnSave = new ui::Button(this);
  btnSave->SetName("btnSave");
  btnSave->SetParent(this);
  btnSave->SetCaption("保存");
  btnSave->SetBounds(240, 72, 75, 25);
  btnSave->Default = true;
  btnSave->ModalResult = ui::mrOk;
  btnCancel = new ui::Button(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(this);
  btnCancel->SetCaption("取消");
  btnCancel->SetBounds(325, 72, 75, 25);
  btnCancel->Cancel = true;
  btnCancel->ModalResult = ui::mrCancel;
}

std::string TSheetSaveDialog::Execute(const std::string& filter, ui::Component* owner) {
  ui::Owned<TSheetSaveDialog> dlg(ui::Create<TSheetSaveDialog>(owner));
  dlg->Filter = filter;
  // The filter's description part ("text|pattern").
  dlg->lblFilter->SetCaption(filter.substr(0, filter.find('|')));
  if (dlg->ShowModal() != ui::mrOk) return {};
  std::string name = text::Trim(dlg->edtFileName->Text());
  if (name.empty()) return {};
  if (std::filesystem::path(name).extension().empty()) name += "." + dlg->DefaultExt;
  return name;
}

// ---------------------------------------------------------------- TfrmChildprintForm

TfrmChildprintForm::TfrmChildprintForm(ui::Component* owner, const std::string& name)
    : TfrmChildForm(owner, name) {
  DmcGetData = new TDCOMConnection(this, "DmcGetData", kPrintServer, kPrintServerGuid);
  dmcUserPrintInterFace = new TDCOMConnection(this, "dmcUserPrintInterFace", kPrintServer, kPrintServerGuid);
  cdsUpdateSQL = new TClientDataSet(this, "cdsUpdateSQL");
  cdsUpdateSQL->Bind(DmcGetData, "DataSetProvider_SQL_io");
  cdsSQLParams = new TClientDataSet(this, "cdsSQLParams");
  cdsSQLParams->Bind(DmcGetData, "dspSQLParams");
  cdsReportDataSet = new TClientDataSet(this, "cdsReportDataSet");
  cdsReportDataSet->Bind(DmcGetData, "DataSetProvider_Results");
  cdsReportStoreProcDataSet = new TClientDataSet(this, "cdsReportStoreProcDataSet");
  cdsReportStoreProcDataSet->Bind(DmcGetData, "DataSetProvider_StoreProc_Results");

  stgReport = new ui::Panel(this);
  stgReport->SetName("stgReport");
  stgReport->SetParent(stgChildStage);
  stgReport->SetVisible(false);

  qrpView = new report::ReportPreview(this);
  qrpView->SetName("qrpView");
  qrpView->SetParent(stgChildStage);
  qrpView->SetAlign(ui::Align::Client);
  ppView = new report::ReportPreview(this);
  ppView->SetName("ppView");
  ppView->SetParent(stgChildStage);
  ppView->SetAlign(ui::Align::Client);
  ppView->SetVisible(false);

  PopupMenu1 = new ui::PopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  print_set = PopupMenu1->Items().AddItem("打印设置", 0, [this](ui::Component&) { PrintSetup(); });
  print_set->SetName("print_set");
  Execl1 = PopupMenu1->Items().AddItem(
      "导出Execl", 0, [this](ui::Component&) { ExportToExcel(*cdsReportDataSet, 0, "", true); });
  Execl1->SetName("Execl1");
  tbrButtonBase->SetPopupMenu(PopupMenu1);

  OnShowSheet = OpenWithDesktop;
}

TfrmChildprintForm::~TfrmChildprintForm() = default;

void TfrmChildprintForm::FormCreate() {
  TfrmChildForm::FormCreate();
  dmcUserPrintInterFace->SetComputerName(AppServerName());
  // The layout reader knows every element class (labels to data images, the template
  // engine's bands) by its class name, so nothing needs registering here.
}

void TfrmChildprintForm::FormClose(ui::CloseAction& action) {
  TfrmChildForm::FormClose(action);
  dmcUserPrintInterFace->Disconnect();
}

void TfrmChildprintForm::FailBox(const std::string& text) {
  ui::App().MessageBox(text, "失败", ui::MsgIcon::Error, ui::mbOK);
}

void TfrmChildprintForm::ClearParams() {
  paramList_.clear();
  paramCount_ = 0;
  if (layout_) layout_->Env().ClearParamFunctions();
}

report::Layout& TfrmChildprintForm::Layout() const {
  if (!layout_) throw Error(Name() + ": no report is loaded");
  return *layout_;
}

TClientDataSet* TfrmChildprintForm::ReportDataSet() const {
  const std::string& flag = Report_data().report_flag;
  return flag == "1" || flag == "x" ? cdsReportDataSet : cdsReportStoreProcDataSet;
}

bool TfrmChildprintForm::LoadReport(int code) {
  DisconnectAtEnd atEnd{dmcUserPrintInterFace};
  // Nothing of an earlier definition outlives a new load: its layout, template and
  // parameters go first.
  layout_.reset();
  templateName_.clear();
  ClearParams();
  qrpView->Clear();
  ppView->Clear();

  cdsUpdateSQL->Close();
  try {
    cdsUpdateSQL->FetchParams();
    if (cdsUpdateSQL->GetParams().Count() > 0) cdsUpdateSQL->GetParams()[0].SetValue(Variant(code));
    cdsUpdateSQL->Open();
  } catch (const std::exception&) {
    FailBox(kServerFault);
    return false;
  }

  Trec_Report_data& rec = Report_data();
  bool hasRow = !cdsUpdateSQL->IsEmpty();
  if (hasRow) cdsUpdateSQL->First();
  data::Field* codeField = cdsUpdateSQL->FindField("report_code");
  rec.report_code = hasRow && codeField ? codeField->AsInteger() : 0;
  rec.report_sql = hasRow ? FieldText(*cdsUpdateSQL, "report_sql") : std::string();
  rec.report_flag = hasRow ? FieldText(*cdsUpdateSQL, "report_flag") : std::string();
  if (cdsUpdateSQL->RecordCount() != 1) {
    FailBox(kNotOne);
    return false;
  }

  cdsSQLParams->Close();
  try {
    cdsSQLParams->FetchParams();
    auto& params = cdsSQLParams->GetParams();
    if (params.Count() > 0) {
      if (auto* p = params.FindParam("code")) p->SetValue(Variant(rec.report_code));
      if (auto* p = params.FindParam("name")) p->SetValue(Variant("%"));
      if (auto* p = params.FindParam("type")) p->SetValue(Variant("%"));
    }
    cdsSQLParams->Open();
  } catch (const std::exception&) {
    cdsSQLParams->Close();
    FailBox(kServerFault);  // loading goes on without parameter rows
  }

  const std::string where = "Report " + std::to_string(rec.report_code);
  if (rec.report_flag == "x") {
    templateName_ = FieldText(*cdsUpdateSQL, "short_name");
    data::Field* tmpl = cdsUpdateSQL->FindField("sql_view");
    qrpView->Hide();
    ppView->Show();
    if (!tmpl || tmpl->IsNull() || text::Trim(tmpl->AsString()).empty()) return false;
    layout_ = std::make_unique<report::Layout>(report::Layout::FromJson(tmpl->AsString()));
    if (layout_->engine != report::EngineKind::Template)
      throw Error(where + ": the template '" + templateName_ + "' is not a template engine layout");
  } else {
    ppView->Hide();
    qrpView->Show();
    data::Field* stream = cdsUpdateSQL->FindField("report_com");
    if (!stream || stream->IsNull()) return false;
    auto layout = std::make_unique<report::Layout>(report::Layout::FromJson(stream->AsString()));
    if (layout->engine != report::EngineKind::Banded)
      throw Error(where + ": report_com holds a template engine layout, not a banded one");
    layout_ = std::move(layout);
  }
  if (layout_->reports.empty()) throw Error(where + ": the layout holds no report");
  report::BindDataSet(*layout_, *ReportDataSet());
  return true;
}

bool TfrmChildprintForm::OpenReportData() {
  const Trec_Report_data& rec = Report_data();
  if (cdsSQLParams->Active() && !cdsSQLParams->IsEmpty()) {
    std::vector<std::pair<std::string, std::string>> fns;
    paramList_.clear();
    for (cdsSQLParams->First(); !cdsSQLParams->Eof(); cdsSQLParams->Next()) {
      std::string name = text::Trim(FieldText(*cdsSQLParams, "param_name"));
      std::string type = text::Trim(FieldText(*cdsSQLParams, "param_type"));
      std::string value = text::Trim(FieldText(*cdsSQLParams, "param_defaultvalue"));
      fns.emplace_back(name, value);
      paramList_.push_back(name + "," + type + "," + value + ";");
    }
    paramCount_ = static_cast<int>(paramList_.size());
    if (layout_) layout_->Env().SetParamFunctions(fns);
    cdsReportDataSet->Close();
    if (rec.report_flag == "x" && layout_) {
      for (const auto& [name, value] : fns)
        for (report::Element* label : layout_->ElementsOf(report::ElementClass::Label))
          if (label->name == name) label->text = value;
    }
  } else {
    // Without parameter rows nothing is sent. The functions stay those of the definition now
    // loaded (a load starts with none): a stored-procedure run closes the parameter rows, and
    // running that report again must still print its Params_ values.
    paramList_.clear();
    paramCount_ = 0;
  }

  const std::string& flag = rec.report_flag;
  if (flag == "1" || flag == "x") {
    cdsReportDataSet->Close();
    DisconnectAtEnd atEnd{dmcUserPrintInterFace};
    try {
      dmcUserPrintInterFace->Connect();
      VariantArray args;
      if (paramCount_ > 0) {
        VariantArray list;
        for (const auto& e : paramList_) list.emplace_back(e);
        args = {Variant(rec.report_sql), Variant(std::move(list)), Variant(paramCount_), Variant()};
      } else {
        args = {Variant(rec.report_sql), Variant(std::string()), Variant(0), Variant()};
      }
      dmcUserPrintInterFace->Call("sChangeSQL", args);
      cdsReportDataSet->SetData(data::DataPacket::FromVariant(args[3]));
    } catch (const std::exception&) {
      FailBox(std::string(kServerFault) + "\n" + kDataFault);
      return false;
    }
    return true;
  }
  if (flag == "6") {
    DisconnectAtEnd atEnd{dmcUserPrintInterFace};
    try {
      std::string proc = text::Trim(rec.report_sql);
      VariantArray listArgs{Variant(), Variant(proc), Variant(), Variant()};
      dmcUserPrintInterFace->Call("sGetStoreParamList", listArgs);
      int count = listArgs[0].IsNull() ? 0 : listArgs[0].ToInt();
      if (count < 0) throw Error("sGetStoreParamList answered a negative parameter count");
      // The values the window put into the parameter rows are the ones sent: open rows are
      // read as they stand (a refetch would bring back the definition's defaults); closed
      // ones are fetched again.
      if (cdsSQLParams->Active()) {
        if (cdsSQLParams->State() != data::DataSetState::Browse) cdsSQLParams->Post();
      } else {
        cdsSQLParams->Open();
      }
      // The procedure takes the values from the last parameter row backwards; when it
      // wants more values than there are rows, the rest stay null.
      std::vector<std::string> rowValues;
      for (cdsSQLParams->First(); !cdsSQLParams->Eof(); cdsSQLParams->Next())
        rowValues.push_back(text::Trim(FieldText(*cdsSQLParams, "param_defaultvalue")));
      VariantArray values(static_cast<size_t>(count));
      for (size_t i = 0; i < values.size() && i < rowValues.size(); ++i)
        values[i] = Variant(rowValues[rowValues.size() - 1 - i]);
      cdsSQLParams->Close();
      cdsReportStoreProcDataSet->Close();
      VariantArray callArgs{Variant(proc), listArgs[2], Variant(count), listArgs[3], Variant(std::move(values))};
      dmcUserPrintInterFace->Call("sChangeStoreProc", callArgs);
      cdsReportStoreProcDataSet->Open();
    } catch (const std::exception&) {
      FailBox(std::string(kServerFault) + "\n" + kDataFault);
      return false;
    }
    return true;
  }
  return false;
}

report::Document TfrmChildprintForm::RunReport(int index) {
  report::Layout& l = Layout();
  if (index < 0 || index >= static_cast<int>(l.reports.size()))
    throw Error(Name() + ": the loaded layout has no report " + std::to_string(index));
  std::unique_ptr<report::ReportEngine> engine;
  if (l.engine == report::EngineKind::Template)
    engine = std::make_unique<report::TemplateEngine>(l, index);
  else
    engine = std::make_unique<report::BandedEngine>(l, index);
  engine->BeforeRow = BeforeRow;
  engine->AfterRow = AfterRow;
  engine->SetFirstPageNumber(FirstPageNumber);
  return engine->Run();
}

void TfrmChildprintForm::PreviewReport() {
  report::Document doc = RunReport(0);
  (IsTemplateReport() ? ppView : qrpView)->SetDocument(std::move(doc));
}

void TfrmChildprintForm::SendDocument(const report::Document& doc, const std::string& title) {
  const report::PrintSettings& settings = (IsTemplateReport() ? ppView : qrpView)->Printer;
  if (OnPrintDocument) {
    OnPrintDocument(doc, settings, title);
    return;
  }
  report::PrintDocument(doc, settings.destination, title, settings.copies);
}

void TfrmChildprintForm::PrintReport() {
  report::Layout& l = Layout();
  if (IsTemplateReport()) {
    SendDocument(RunReport(0), templateName_.empty() ? Caption() : templateName_);
    return;
  }
  ui::BusyCursor busy;
  for (int i = 0; i < static_cast<int>(l.reports.size()); ++i) {
    const std::string& name = l.reports[static_cast<size_t>(i)].name;
    SendDocument(RunReport(i), name.empty() ? Caption() : name);
  }
}

void TfrmChildprintForm::PrintSetup() {
  if (IsTemplateReport() || !qrpView->HasDocument()) return;
  report::PrinterSetupDialog::Execute(qrpView->Printer, this);
}

bool TfrmChildprintForm::ExportToExcel(data::DataSet& ds, int maxFieldTag, const std::string& fileName, bool visible) {
  if (!ds.Active()) return false;
  ui::BusyCursor busy;
  std::string target = fileName;
  if (!visible && target.empty()) {
    target = TSheetSaveDialog::Execute(kSheetFilter, this);
    if (target.empty()) return false;
  }
  if (visible && target.empty()) target = TempSheetPath(ds.Name);
  try {
    if (!report::ExportToXlsx(ds, maxFieldTag, target)) return false;
    if (visible && OnShowSheet) OnShowSheet(target);
  } catch (const std::exception&) {
    ui::App().MessageBox(std::string(kNoSheet) + "\n" + kInstallSheet, "提示", ui::MsgIcon::Information, ui::mbOK);
    return false;
  }
  return true;
}

}  // namespace yz
