// The preview control: shows a rendered report document one page at a time, with page
// navigation and a zoom, and the printer set-up dialog a preview offers. Both live in the
// headless toolkit: scripts and tests read them through reflection (PageCount, PageIndex,
// PageNumber, Zoom, HasDocument), a real front end draws PageImage().
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/report/document.h"
#include "platform/report/render.h"
#include "platform/ui/forms.h"

namespace yz::ui {
class ComboBox;
class Edit;
class Button;
class Label;
}  // namespace yz::ui

namespace yz::report {

// Where and how a preview prints.
struct PrintSettings {
  std::string destination;  // print destination; empty: the system's default
  int copies = 1;
};

class ReportPreview : public ui::WinControl {
 public:
  explicit ReportPreview(ui::Component* owner);
  std::string ClassName() const override { return "ReportPreview"; }
  void DescribeProps(ui::PropList& out) const override;

  // Shows a document from its first page; the zoom goes back to 100 whenever pages become
  // available.
  void SetDocument(Document doc);
  // Shows nothing any more.
  void Clear();
  bool HasDocument() const { return doc_ != nullptr; }
  const Document& GetDocument() const;  // throws yz::Error when nothing is shown

  int PageCount() const { return doc_ ? doc_->PageCount() : 0; }
  // 0-based index of the page shown; -1 without a document.
  int PageIndex() const { return doc_ ? index_ : -1; }
  // 1-based number of the page shown; 0 without a document.
  int PageNumber() const { return doc_ ? index_ + 1 : 0; }
  // Shows a page (0-based); throws yz::Error naming the page when it does not exist.
  void SetPageIndex(int index);
  const Page& CurrentPage() const;  // throws yz::Error when nothing is shown

  // Navigation; each does nothing without a document or at its end.
  void First();
  void Prior();
  void Next();
  void Last();

  // Percent; 10 to 400.
  int Zoom() const { return zoom_; }
  void SetZoom(int percent);

  // Pixels of the shown page at the zoom (96 dots per inch at 100).
  PageImage RenderPage() const;

  PrintSettings Printer;
  // Runs after the shown page or the document changed.
  ui::NotifyEvent OnPageChanged;

 private:
  void PageChanged();
  std::shared_ptr<const Document> doc_;
  int index_ = 0;
  int zoom_ = 100;
};

// The printer set-up dialog: destination list and copies, OK and Cancel. Shown modally.
class PrinterSetupDialog : public ui::Form {
 public:
  explicit PrinterSetupDialog(ui::Component* owner);
  std::string ClassName() const override { return "PrinterSetupDialog"; }

  ui::Label* lblPrinter;
  ui::ComboBox* cbxPrinter;  // "(默认打印机)" first, then the system's printers (os::Printers)
  ui::Label* lblCopies;
  ui::Edit* edtCopies;
  ui::Button* btnOK;
  ui::Button* btnCancel;

  // Shows the dialog on `settings`; on OK the chosen destination and copies are written back
  // and the answer is true. Copies that are not a whole number from 1 to 999 keep the old
  // value.
  static bool Execute(PrintSettings& settings, ui::Component* owner = nullptr);
};

}  // namespace yz::report
