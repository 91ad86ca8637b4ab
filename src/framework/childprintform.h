// The child window with report printing: loads a report definition from the print server
// by its code, fetches the report's rows (SQL text with a parameter list, or a stored
// procedure), previews, prints and exports them. The print windows derive from it.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/childform.h"
#include "platform/base/variant.h"
#include "platform/report/engine.h"
#include "platform/report/preview.h"

namespace yz {

// The current report: overwritten by every load (one for the whole module).
struct Trec_Report_data {
  int report_code = 0;
  std::string report_sql;
  std::string report_flag;
};
Trec_Report_data& Report_data();

// Asks for the file a sheet is saved to: file name edit, filter, OK and Cancel. Modal.
class TSheetSaveDialog : public ui::Form {
 public:
  explicit TSheetSaveDialog(ui::Component* owner);
  std::string ClassName() const override { return "TSheetSaveDialog"; }
  ui::Label* lblFilter;
  ui::Edit* edtFileName;
  ui::Button* btnSave;
  ui::Button* btnCancel;
  std::string Filter;
  std::string DefaultExt = "xlsx";
  // The chosen file (with the default extension added when it has none); empty on Cancel or
  // an empty name.
  static std::string Execute(const std::string& filter, ui::Component* owner = nullptr);
};

class TfrmChildprintForm : public TfrmChildForm {
 public:
  static constexpr const char* kPrintServer = "Project_pu_out_mts.pu_out_mts_dll";
  static constexpr const char* kPrintServerGuid = "{07FA5EE6-3D7E-4772-BEEB-F7E1F20472E7}";
  // The export's save filter: the workbook is written as .xlsx.
  static constexpr const char* kSheetFilter = "Microsoft Excel 文件(*.xlsx)|*.xlsx";

  TfrmChildprintForm(ui::Component* owner, const std::string& name);
  ~TfrmChildprintForm() override;
  std::string ClassName() const override { return "TfrmChildprintForm"; }

  TDCOMConnection* DmcGetData;             // datasets
  TDCOMConnection* dmcUserPrintInterFace;  // server methods
  TClientDataSet* cdsUpdateSQL;            // the definition (DataSetProvider_SQL_io)
  TClientDataSet* cdsSQLParams;            // its parameter rows (dspSQLParams)
  TClientDataSet* cdsReportDataSet;        // rows of SQL reports ("1", "x")
  TClientDataSet* cdsReportStoreProcDataSet;  // rows of stored-procedure reports ("6")
  ui::Panel* stgReport;                    // hidden stage of the loaded layout
  report::ReportPreview* qrpView;          // preview of the banded engine
  report::ReportPreview* ppView;           // viewer of the template engine
  ui::PopupMenu* PopupMenu1;
  ui::MenuItem* print_set;  // "打印设置"
  ui::MenuItem* Execl1;     // "导出Execl"

  // Loads the definition of `code` and installs its layout; false (after its box) when it
  // cannot. A failed load leaves no layout installed.
  bool LoadReport(int code);
  // Fetches the loaded report's rows with the current parameter rows; false (after its box)
  // when they could not be fetched, and for an engine flag that fetches nothing.
  bool OpenReportData();
  // Prints every report of the loaded layout to the preview's printer without preview.
  void PrintReport();
  // Writes the dataset into a workbook: with `visible` it is opened for the user; else saved
  // under `fileName` (asked for when empty). False when nothing was written.
  bool ExportToExcel(data::DataSet& ds, int maxFieldTag, const std::string& fileName, bool visible);

  // ---- what the print windows build on
  // The layout loaded into stgReport; null when none is installed.
  report::Layout* ReportLayout() const { return layout_.get(); }
  report::Layout& Layout() const;  // throws yz::Error when no report is loaded
  bool IsTemplateReport() const { return Report_data().report_flag == "x"; }
  // The template name of the template engine (the definition's short_name).
  const std::string& TemplateName() const { return templateName_; }
  // The dataset the loaded report reads.
  TClientDataSet* ReportDataSet() const;
  // Parameter list and count as the next (or last) sChangeSQL sends them.
  const std::vector<std::string>& ParamList() const { return paramList_; }
  int ParamCount() const { return paramCount_; }

  // Row hooks and page settings used by every run of a report (RunReport, previews, prints).
  report::RowHook BeforeRow, AfterRow;
  int FirstPageNumber = 1;
  // Lays out report `index` of the loaded layout over its rows.
  report::Document RunReport(int index = 0);
  // Runs the first report and shows it in its viewer (qrpView, or ppView for the template
  // engine) at zoom 100.
  void PreviewReport();
  // Prints a document to the preview's printer; by default through the print service.
  // Tests and a host without a print service may take the documents here instead.
  std::function<void(const report::Document&, const report::PrintSettings&, const std::string& title)> OnPrintDocument;
  // Opens a written workbook for the user (default: the desktop's opener, xdg-open). Throws
  // when that is not possible.
  std::function<void(const std::string& path)> OnShowSheet;

 protected:
  void FormCreate() override;
  void FormClose(ui::CloseAction& action) override;
  // "打印设置": the printer set-up of the preview shown in qrpView, when one is shown.
  void PrintSetup();

 private:
  void FailBox(const std::string& text);
  void ClearParams();
  void SendDocument(const report::Document& doc, const std::string& title);

  std::unique_ptr<report::Layout> layout_;
  std::string templateName_;
  std::vector<std::string> paramList_;
  int paramCount_ = 0;
};

}  // namespace yz
