// The preview control: pages, navigation, zoom reset, reflection; the printer set-up dialog.
#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/base/error.h"
#include "platform/report/preview.h"
#include "platform/ui/controls.h"

namespace yz::report {
namespace {

Document Pages(int rows) {
  Layout l = testing::OrderSheet();
  l.BindRows(testing::OrderRows(rows));
  return BandedEngine(l).Run();
}

struct PreviewTest : ::testing::Test {
  void SetUp() override { ui::App().Reset(); }
  void TearDown() override { ui::App().Reset(); }
};

TEST_F(PreviewTest, NavigatesPagesAndShowsThemThroughReflection) {
  ui::Owned<ui::Form> form(ui::Create<ui::Form>());
  auto* view = new ReportPreview(form.get());
  view->SetName("qrpView");
  view->SetParent(form.get());
  int changes = 0;
  view->OnPageChanged = [&](ui::Component&) { ++changes; };

  // Nothing shown: navigation does nothing, reflection answers empty values.
  view->Next();
  view->Last();
  EXPECT_EQ(view->GetProperty("PageCount"), "0");
  EXPECT_EQ(view->GetProperty("PageIndex"), "-1");
  EXPECT_EQ(view->GetProperty("HasDocument"), "False");
  EXPECT_THROW(view->CurrentPage(), Error);
  EXPECT_EQ(changes, 0);

  view->SetZoom(150);
  view->SetDocument(Pages(45));  // 20 + 20 + 5 rows
  EXPECT_EQ(view->Zoom(), 100) << "a new document is shown at zoom 100";
  EXPECT_EQ(view->GetProperty("PageCount"), "3");
  EXPECT_EQ(view->PageIndex(), 0);

  struct Step {
    void (ReportPreview::*move)();
    int expected;
  } steps[] = {{&ReportPreview::Prior, 0}, {&ReportPreview::Next, 1}, {&ReportPreview::Next, 2},
               {&ReportPreview::Next, 2},  {&ReportPreview::First, 0}, {&ReportPreview::Last, 2},
               {&ReportPreview::Prior, 1}};
  for (const Step& s : steps) {
    (view->*s.move)();
    EXPECT_EQ(view->PageIndex(), s.expected);
  }
  EXPECT_EQ(view->CurrentPage().RowCount(), 20);
  EXPECT_EQ(view->GetProperty("PageNumber"), "2");

  view->SetProperty("PageNumber", "3");
  EXPECT_EQ(view->CurrentPage().RowCount(), 5);
  view->SetProperty("Zoom", "50");
  EXPECT_THROW(view->SetProperty("PageIndex", "3"), Error);
  EXPECT_THROW(view->SetZoom(5), Error);

  // Pixels follow the zoom: an A4 page at 96 dpi, halved.
  PageImage img = view->RenderPage();
  EXPECT_NEAR(img.width, 210 / 25.4 * 48, 2);
  EXPECT_NEAR(img.height, 297 / 25.4 * 48, 2);

  int before = changes;
  view->Clear();
  EXPECT_FALSE(view->HasDocument());
  EXPECT_EQ(view->PageCount(), 0);
  EXPECT_EQ(changes, before + 1);
}

TEST_F(PreviewTest, PrinterSetupDialogWritesBackOnlyOnOk) {
  PrintSettings settings{"ward-printer", 1};
  // The destination the service does not list stays chosen; copies are taken when valid.
  ui::App().ModalDriver = [](ui::Form& f) {
    auto& dlg = dynamic_cast<PrinterSetupDialog&>(f);
    EXPECT_EQ(dlg.cbxPrinter->Text(), "ward-printer");
    EXPECT_EQ(dlg.cbxPrinter->Items.front(), "(默认打印机)");
    dlg.edtCopies->SetText("3");
    dlg.btnOK->Click();
  };
  EXPECT_TRUE(PrinterSetupDialog::Execute(settings));
  EXPECT_EQ(settings.destination, "ward-printer");
  EXPECT_EQ(settings.copies, 3);

  ui::App().ModalDriver = [](ui::Form& f) {
    auto& dlg = dynamic_cast<PrinterSetupDialog&>(f);
    dlg.cbxPrinter->SetItemIndex(0);
    dlg.edtCopies->SetText("zwei");  // not a number: the old value stays
    dlg.btnOK->Click();
  };
  EXPECT_TRUE(PrinterSetupDialog::Execute(settings));
  EXPECT_EQ(settings.destination, "");
  EXPECT_EQ(settings.copies, 3);

  ui::App().ModalDriver = [](ui::Form& f) {
    auto& dlg = dynamic_cast<PrinterSetupDialog&>(f);
    dlg.edtCopies->SetText("7");
    dlg.btnCancel->Click();
  };
  EXPECT_FALSE(PrinterSetupDialog::Execute(settings));
  EXPECT_EQ(settings.copies, 3);
}

}  // namespace
}  // namespace yz::report
