#include "platform/report/preview.h"

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/base/variant.h"
#include "platform/os/printers.h"
#include "platform/ui/controls.h"

namespace yz::report {

namespace {
constexpr const char* kDefaultPrinter = "(默认打印机)";
}

// ---------------------------------------------------------------- ReportPreview

ReportPreview::ReportPreview(ui::Component* owner) : ui::WinControl(owner) { SetColor(ui::clBtnFace); }

void ReportPreview::DescribeProps(ui::PropList& out) const {
  ui::WinControl::DescribeProps(out);
  using ui::Component;
  static const ui::PropDef props[] = {
      {"PageCount", [](const Component& c) { return std::to_string(static_cast<const ReportPreview&>(c).PageCount()); },
       nullptr},
      {"PageIndex", [](const Component& c) { return std::to_string(static_cast<const ReportPreview&>(c).PageIndex()); },
       [](Component& c, std::string_view v) { static_cast<ReportPreview&>(c).SetPageIndex(ui::ParseInt(v)); }},
      {"PageNumber",
       [](const Component& c) { return std::to_string(static_cast<const ReportPreview&>(c).PageNumber()); },
       [](Component& c, std::string_view v) { static_cast<ReportPreview&>(c).SetPageIndex(ui::ParseInt(v) - 1); }},
      {"Zoom", [](const Component& c) { return std::to_string(static_cast<const ReportPreview&>(c).Zoom()); },
       [](Component& c, std::string_view v) { static_cast<ReportPreview&>(c).SetZoom(ui::ParseInt(v)); }},
      {"HasDocument",
       [](const Component& c) { return ui::BoolText(static_cast<const ReportPreview&>(c).HasDocument()); }, nullptr},
      {"Printer", [](const Component& c) { return static_cast<const ReportPreview&>(c).Printer.destination; },
       [](Component& c, std::string_view v) { static_cast<ReportPreview&>(c).Printer.destination = std::string(v); }},
  };
  for (auto& p : props) out.push_back(&p);
}

void ReportPreview::SetDocument(Document doc) {
  doc_ = std::make_shared<const Document>(std::move(doc));
  index_ = 0;
  zoom_ = 100;
  Changed("Zoom");
  PageChanged();
}

void ReportPreview::Clear() {
  if (!doc_) return;
  doc_.reset();
  index_ = 0;
  PageChanged();
}

const Document& ReportPreview::GetDocument() const {
  if (!doc_) throw Error("Preview " + Name() + ": no report is shown");
  return *doc_;
}

const Page& ReportPreview::CurrentPage() const { return GetDocument().GetPage(index_); }

void ReportPreview::SetPageIndex(int index) {
  const Document& doc = GetDocument();
  if (index < 0 || index >= doc.PageCount())
    throw Error("Preview " + Name() + ": there is no page " + std::to_string(index + 1) + " (the report has " +
                std::to_string(doc.PageCount()) + ")");
  if (index == index_) return;
  index_ = index;
  PageChanged();
}

void ReportPreview::First() {
  if (doc_ && PageCount() > 0) SetPageIndex(0);
}
void ReportPreview::Prior() {
  if (doc_ && index_ > 0) SetPageIndex(index_ - 1);
}
void ReportPreview::Next() {
  if (doc_ && index_ + 1 < PageCount()) SetPageIndex(index_ + 1);
}
void ReportPreview::Last() {
  if (doc_ && PageCount() > 0) SetPageIndex(PageCount() - 1);
}

void ReportPreview::SetZoom(int percent) {
  if (percent < 10 || percent > 400)
    throw Error("Preview " + Name() + ": zoom " + std::to_string(percent) + " is outside 10 to 400");
  if (percent == zoom_) return;
  zoom_ = percent;
  Changed("Zoom");
}

PageImage ReportPreview::RenderPage() const {
  const Document& doc = GetDocument();
  return RenderPageImage(doc, index_, 96.0 * zoom_ / 100.0);
}

void ReportPreview::PageChanged() {
  Changed("PageIndex");
  if (OnPageChanged) OnPageChanged(*this);
}

// ---------------------------------------------------------------- PrinterSetupDialog

PrinterSetupDialog::PrinterSetupDialog(ui::Component* owner) : ui::Form(owner) {
  SetName("PrinterSetupDialog");
  SetCaption("打印设置");
  SetBorderStyle(ui::BorderStyle::Dialog);
  SetPosition(ui::Position::ScreenCenter);
  SetBounds(0, 0, 360, 150);

  lblPrinter = new ui::Label(this);
  lblPrinter->SetName("lblPrinter");
  lblPrinter->SetParent(this);
  lblPrinter->SetCaption("打印机:");
  lblPrinter->SetBounds(12, 16, 60, 20);

  cbxPrinter = new ui::ComboBox(this);
  cbxPrinter->SetName("cbxPrinter");
  cbxPrinter->SetParent(this);
  cbxPrinter->Style = ui::ComboStyle::DropDownList;
  cbxPrinter->SetBounds(80, 12, 260, 22);
  cbxPrinter->SetTabStop(true);

  lblCopies = new ui::Label(this);
  lblCopies->SetName("lblCopies");
  lblCopies->SetParent(this);
  lblCopies->SetCaption("份数:");
  lblCopies->SetBounds(12, 48, 60, 20);

  edtCopies = new ui::Edit(this);
  edtCopies->SetName("edtCopies");
  edtCopies->SetParent(this);
  edtCopies->SetBounds(80, 44, 60, 22);

  btnOK = new ui::Button(this);
  btnOK->SetName("btnOK");
  btnOK->SetParent(this);
  btnOK->SetCaption("确定");
  btnOK->SetBounds(180, 90, 75, 25);
  btnOK->Default = true;
  btnOK->ModalResult = ui::mrOk;

  btnCancel = new ui::Button(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(this);
  btnCancel->SetCaption("取消");
  btnCancel->SetBounds(265, 90, 75, 25);
  btnCancel->Cancel = true;
  btnCancel->ModalResult = ui::mrCancel;
}

bool PrinterSetupDialog::Execute(PrintSettings& settings, ui::Component* owner) {
  ui::Owned<PrinterSetupDialog> dlg(ui::Create<PrinterSetupDialog>(owner));
  dlg->cbxPrinter->Items.push_back(kDefaultPrinter);
  for (const std::string& p : os::Printers()) dlg->cbxPrinter->Items.push_back(p);
  int chosen = 0;
  for (size_t i = 1; i < dlg->cbxPrinter->Items.size(); ++i)
    if (dlg->cbxPrinter->Items[i] == settings.destination) chosen = static_cast<int>(i);
  if (chosen == 0 && !settings.destination.empty()) {
    // A destination the service does not list (any more) stays choosable.
    dlg->cbxPrinter->Items.push_back(settings.destination);
    chosen = static_cast<int>(dlg->cbxPrinter->Items.size()) - 1;
  }
  dlg->cbxPrinter->SetItemIndex(chosen);
  dlg->edtCopies->SetText(std::to_string(settings.copies));
  if (dlg->ShowModal() != ui::mrOk) return false;
  int index = dlg->cbxPrinter->ItemIndex();
  settings.destination = index <= 0 ? std::string() : dlg->cbxPrinter->Items[static_cast<size_t>(index)];
  int64_t copies = 0;
  if (ParseInteger(text::Trim(dlg->edtCopies->Text()), &copies) && copies >= 1 && copies <= 999)
    settings.copies = static_cast<int>(copies);
  return true;
}

}  // namespace yz::report
