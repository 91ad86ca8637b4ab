// Data-aware controls and the data grid against in-memory datasets.
#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/ui/dbcontrols.h"
#include "platform/ui/dbgrid.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

using namespace yz;
using namespace yz::ui;
using yz::data::FieldDef;
using yz::data::FieldType;

namespace {

struct DbUiTest : ::testing::Test {
  data::DataSet orders{"cdsActOrder"};
  data::DataSource source{&orders};
  Owned<Form> form{Create<Form>()};

  void SetUp() override {
    App().Reset();
    orders.FieldDefs() = {
        FieldDef{"act_order_no", FieldType::Integer},
        FieldDef{"order_name", FieldType::String, 40},
        FieldDef{"status_flag", FieldType::String, 1},
        FieldDef{"check", FieldType::String, 1},
        FieldDef{"ypts_check", FieldType::String, 2},
    };
    orders.CreateDataSet();
    orders.AppendRecord({1, "阿莫西林", "1", "1", "2"});
    orders.AppendRecord({2, "维生素C", "2", "0", ""});
    orders.AppendRecord({3, "吸氧", "5", "1", "x"});
    orders.First();
    form->SetBounds(0, 0, 700, 500);
  }
  void TearDown() override {
    form.reset();
    App().ProcessMessages();
    App().Reset();
  }
};

}  // namespace

TEST_F(DbUiTest, EditWritesOnExitAndFollowsTheCursor) {
  auto* edt = new DBEdit(form.get());
  edt->SetParent(form.get());
  edt->SetDataSource(&source);
  edt->SetDataField("order_name");
  auto* other = new Edit(form.get());
  other->SetParent(form.get());
  EXPECT_EQ(edt->Text(), "阿莫西林");
  form->Show();
  ASSERT_TRUE(edt->Focused());

  user::Type("青霉素");
  EXPECT_EQ(orders["order_name"].AsString(), "阿莫西林");  // not written while typing
  EXPECT_EQ(orders.State(), data::DataSetState::Edit);
  user::Press(VK_TAB);
  EXPECT_EQ(orders["order_name"].AsString(), "青霉素");

  orders.Next();
  EXPECT_EQ(edt->Text(), "维生素C");

  // Enter writes too; Esc drops what was typed.
  user::Focus(*edt);
  user::Type("X");
  user::Press(VK_RETURN);
  EXPECT_EQ(orders["order_name"].AsString(), "X");
  user::Type("Y");
  user::Press(VK_ESCAPE);
  EXPECT_EQ(edt->Text(), "X");
  orders.Post();
  EXPECT_EQ(orders["order_name"].AsString(), "X");

  // A pending change is written when the row is posted by the program.
  user::Type("Z");  // the caret is at the end: typing appends
  orders.Post();
  EXPECT_EQ(orders["order_name"].AsString(), "XZ");

  // Disabled controls stay on the old row until enabled again.
  orders.DisableControls();
  orders.Last();
  EXPECT_EQ(edt->Text(), "XZ");
  orders.EnableControls();
  EXPECT_EQ(edt->Text(), "吸氧");
}

TEST_F(DbUiTest, ReadOnlyFieldRefusesTypingAndBadValueKeepsFocus) {
  auto* edt = new DBEdit(form.get());
  edt->SetParent(form.get());
  edt->SetDataSource(&source);
  edt->SetDataField("act_order_no");
  auto* other = new Edit(form.get());
  other->SetParent(form.get());
  form->Show();
  user::Type("abc");
  EXPECT_FALSE(user::Focus(*other));  // the value does not convert: error shown, focus kept
  EXPECT_TRUE(edt->Focused());
  ASSERT_FALSE(App().Boxes().empty());
  EXPECT_TRUE(App().Boxes().back().errorDisplay);
  user::Press(VK_ESCAPE);
  orders.Cancel();
  orders.FieldByName("act_order_no").SetReadOnly(true);
  user::Type("7");
  EXPECT_EQ(edt->Text(), "1");
  EXPECT_GE(App().BeepCount(), 1);
}

TEST_F(DbUiTest, CheckBoxRadioGroupAndLookupCombo) {
  auto* chk = new DBCheckBox(form.get());
  chk->SetParent(form.get());
  chk->ValueChecked = "1";
  chk->ValueUnchecked = "0";
  chk->SetDataSource(&source);
  chk->SetDataField("check");
  auto* grp = new DBRadioGroup(form.get());
  grp->SetParent(form.get());
  grp->Items = {"录入", "确认", "停止"};
  grp->Values = {"1", "2", "5"};
  grp->SetDataSource(&source);
  grp->SetDataField("status_flag");

  data::DataSet status{"cds_status"};
  status.FieldDefs() = {FieldDef{"code", FieldType::String, 1}, FieldDef{"name", FieldType::String, 10}};
  status.CreateDataSet();
  status.AppendRecord({"1", "新开"});
  status.AppendRecord({"2", "已确认"});
  status.AppendRecord({"5", "已停止"});
  data::DataSource statusSource(&status);
  auto* cbx = new DBLookupComboBox(form.get());
  cbx->SetParent(form.get());
  cbx->ListSource = &statusSource;
  cbx->KeyField = "code";
  cbx->ListField = "name";
  cbx->SetDataSource(&source);
  cbx->SetDataField("status_flag");
  form->Show();

  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(grp->ItemIndex(), 0);
  EXPECT_EQ(cbx->Text(), "新开");
  orders.Next();
  EXPECT_FALSE(chk->Checked());
  EXPECT_EQ(grp->ItemIndex(), 1);
  EXPECT_EQ(cbx->Text(), "已确认");

  int clicks = 0;
  grp->OnClick = [&](Component&) { ++clicks; };
  user::Click(*chk);
  EXPECT_EQ(orders["check"].AsString(), "1");
  grp->ClickItem(2);
  EXPECT_EQ(orders["status_flag"].AsString(), "5");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(cbx->Text(), "已停止");  // the combo follows the field change
  status.SetRecNo(2);
  cbx->SelectByUser(0);
  EXPECT_EQ(orders["status_flag"].AsString(), "1");
  EXPECT_EQ(grp->ItemIndex(), 0);
  ASSERT_EQ(cbx->ListItems().size(), 3u);
  EXPECT_EQ(status.RecNo(), 2);  // listing the rows leaves the list's cursor where it was
}

TEST_F(DbUiTest, GridRecordsOwnerDrawingPerCell) {
  ImageList images(nullptr);
  images.Images = {"ok", "warn", "stop"};
  auto* pnl = new Panel(form.get());
  pnl->SetParent(form.get());
  pnl->SetBounds(10, 20, 600, 400);
  auto* grid = new DBGrid(form.get());
  grid->SetParent(pnl);
  grid->SetBounds(5, 5, 500, 200);
  grid->SetDataSource(&source);
  grid->AddColumn("ypts_check", "", 16);
  grid->AddColumn("check", "", 15).CheckBox = true;
  grid->AddColumn("order_name", "医嘱名称", 120);
  grid->ReadOnly = true;
  grid->DefaultDrawing = false;
  int scrolls = 0;
  orders.AfterScroll = [&](data::DataSet&) { ++scrolls; };
  grid->OnGetCellParams = [&](DBGrid&, data::Field*, Font& font, Color&, GridDrawState) {
    std::string s = orders["status_flag"].AsString();
    font.Color = s == "1" ? clHighlight : s == "2" ? RGB(0, 128, 0) : s == "5" ? clRed : font.Color;
  };
  grid->OnDrawColumnCell = [&](DBGrid& g, const Rect& r, int col, GridColumn& column, GridDrawState state) {
    Canvas& cv = g.GetCanvas();
    cv.BrushColor = orders["check"].AsString() == "1" && orders["status_flag"].AsString() != "1" ? clBlack : clBtnFace;
    g.DefaultDrawColumnCell(r, col, column, state);
    if (column.FieldName == "ypts_check") {
      int64_t index = 0;
      if (ParseInteger(orders["ypts_check"].AsString(), &index)) cv.Draw(r.Left, r.Top, images, static_cast<int>(index));
      else cv.FillRect(r);
    }
  };
  form->Show();
  orders.Next();  // the second row is current
  scrolls = 0;
  grid->Paint();
  EXPECT_EQ(scrolls, 0);  // drawing is not navigation
  EXPECT_EQ(orders.RecNo(), 2);

  struct Case {
    int row, col;
    const char* text;
    Color font, background;
    int image, check;
  } cases[] = {
      {0, 2, "阿莫西林", clHighlight, clBtnFace, -1, -1},
      {1, 2, "维生素C", RGB(0, 128, 0), clBtnFace, -1, -1},
      {2, 2, "吸氧", clRed, clBlack, -1, -1},  // marked and not new: black
      {0, 0, "2", clHighlight, clBtnFace, 2, -1},
      {2, 0, "x", clRed, clBlack, -1, -1},
      {0, 1, "", clHighlight, clBtnFace, -1, 1},
      {1, 1, "", RGB(0, 128, 0), clBtnFace, -1, 0},
  };
  for (auto& c : cases) {
    auto draws = grid->CellDraws(c.row, c.col);
    ASSERT_FALSE(draws.empty()) << c.row << "," << c.col;
    EXPECT_EQ(draws[0].kind, "cell");
    EXPECT_EQ(draws[0].text, c.text);
    EXPECT_EQ(draws[0].font.Color, c.font) << c.row << "," << c.col;
    EXPECT_EQ(draws[0].background, c.background) << c.row << "," << c.col;
    EXPECT_EQ(draws[0].checkState, c.check);
    int image = -1;
    for (auto& d : draws)
      if (d.kind == "image") image = d.imageIndex;
    EXPECT_EQ(image, c.image) << c.row << "," << c.col;
  }
  EXPECT_EQ(grid->DrawCalls()[2].kind, "title");
  EXPECT_EQ(grid->DrawCalls()[2].text, "医嘱名称");

  // Cell rectangle in screen coordinates: the grid sits at (15, 25) on the form.
  Rect cell = grid->CellRect(2, 1);
  Rect screen = grid->ScreenCellRect(2, 1);
  EXPECT_EQ(screen.Left - cell.Left, 15);
  EXPECT_EQ(screen.Top - cell.Top, 25);
  EXPECT_EQ(cell.Width(), 120);
}

TEST_F(DbUiTest, GridClicksKeysAndMultiSelect) {
  auto* grid = new DBGrid(form.get());
  grid->SetParent(form.get());
  grid->SetDataSource(&source);
  grid->AddColumn("check", "", 15).CheckBox = true;
  grid->AddColumn("order_name", "医嘱名称", 120);
  std::string log;
  grid->OnCellClick = [&](DBGrid&, GridColumn& c) { log += "cell:" + c.FieldName + " "; };
  grid->OnDblClick = [&](Component&) { log += "dbl:" + orders["act_order_no"].AsString() + " "; };
  grid->OnKeyDown = [&](Component&, Word& key, ShiftState) {
    if (key == VK_SPACE) {
      log += "space ";
      key = 0;
    }
  };
  form->Show();
  grid->ClickCell(1, 0);  // check-box column of the second row toggles it
  EXPECT_EQ(orders.RecNo(), 2);
  EXPECT_EQ(orders["check"].AsString(), "1");
  grid->DblClickCell(2, 1);
  EXPECT_EQ(grid->SelectedField()->FieldName(), "order_name");
  user::Press(VK_UP);
  user::Press(VK_SPACE);
  user::Press(VK_TAB, ssShift);
  EXPECT_EQ(orders.RecNo(), 2);
  EXPECT_EQ(grid->SelectedIndex(), 0);
  EXPECT_EQ(log, "cell:check cell:order_name dbl:3 space ");

  grid->Options |= dgMultiSelect;
  grid->ClickCell(0, 1, ssCtrl);
  grid->ClickCell(2, 1, ssCtrl);
  EXPECT_EQ(grid->SelectedRowsCount(), 2);
  grid->ClickCell(1, 1);
  EXPECT_EQ(grid->SelectedRowsCount(), 0);

  // Read-only grid: the check box is left alone.
  grid->ReadOnly = true;
  orders.First();
  grid->ClickCell(0, 0);
  EXPECT_EQ(orders["check"].AsString(), "1");
}

// A grid with automatic columns painted while a data-aware edit holds typed text: the paint
// neither invalidates the columns it is drawing nor drops the text being typed.
TEST_F(DbUiTest, PaintWithAutomaticColumnsKeepsTypedText) {
  auto* edt = new DBEdit(form.get());
  edt->SetParent(form.get());
  edt->SetDataSource(&source);
  edt->SetDataField("order_name");
  auto* grid = new DBGrid(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 50, 500, 200);
  grid->SetDataSource(&source);
  form->Show();
  ASSERT_TRUE(edt->Focused());
  user::Type("青霉素");
  grid->Paint();
  EXPECT_EQ(grid->CellDraws(0, 1).at(0).text, "阿莫西林");  // the row as posted
  EXPECT_EQ(edt->Text(), "青霉素");
  user::Press(VK_TAB);
  EXPECT_EQ(orders["order_name"].AsString(), "青霉素");

  // Browsing: every visible row is drawn and the cursor comes back.
  orders.Post();
  orders.Last();
  grid->Paint();
  EXPECT_EQ(grid->CellDraws(1, 1).at(0).text, "维生素C");
  EXPECT_EQ(orders.RecNo(), 3);
  EXPECT_EQ(edt->Text(), "吸氧");
  grid->Columns(1).Width = 200;  // an automatic column keeps what it is given
  grid->Paint();
  EXPECT_EQ(grid->Columns(1).Width, 200);
}

// A data-aware edit uses its field's edit mask while focused and shows the field plainly
// otherwise; an all-blank masked text clears the field, a half-typed time is refused.
TEST_F(DbUiTest, EditUsesTheFieldsEditMaskWhileFocused) {
  data::DataSet times{"times"};
  times.FieldDefs() = {FieldDef{"end_time_2", FieldType::DateTime}};
  times.CreateDataSet();
  times.AppendRecord({DateTime::FromParts(2024, 1, 5, 8, 30)});
  times.AppendRecord({DateTime::FromParts(2024, 1, 6)});
  times.First();
  times["end_time_2"].SetEditMask("9999-99-99 99:99;1;_");
  data::DataSource src(&times);
  auto* edt = new DBEdit(form.get());
  edt->SetParent(form.get());
  edt->SetDataSource(&src);
  edt->SetDataField("end_time_2");
  auto* other = new Edit(form.get());
  other->SetParent(form.get());
  EXPECT_EQ(edt->Text(), "2024-01-05 08:30:00");
  EXPECT_FALSE(edt->IsMasked());
  form->Show();
  ASSERT_TRUE(edt->Focused());
  EXPECT_EQ(edt->Text(), "2024-01-05 08:30");

  user::Type("202402061015");
  EXPECT_EQ(edt->Text(), "2024-02-06 10:15");
  ASSERT_TRUE(user::Focus(*other));
  EXPECT_EQ(times["end_time_2"].AsDateTime(), DateTime::FromParts(2024, 2, 6, 10, 15));
  EXPECT_EQ(edt->Text(), "2024-02-06 10:15:00");

  // Midnight shows its time in the mask too; clearing every position clears the field.
  times.Next();
  user::Focus(*edt);
  EXPECT_EQ(edt->Text(), "2024-01-06 00:00");
  user::Press(VK_DELETE);  // entering selected everything
  EXPECT_EQ(edt->Text(), "____-__-__ __:__");
  ASSERT_TRUE(user::Focus(*other));
  EXPECT_TRUE(times["end_time_2"].IsNull());

  // Optional digits left blank make no date: the field refuses it and the focus stays.
  user::Focus(*edt);
  user::Type("2024010");
  App().ClearBoxes();
  EXPECT_FALSE(user::Focus(*other));
  EXPECT_TRUE(edt->Focused());
  ASSERT_EQ(App().Boxes().size(), 1u);
  EXPECT_TRUE(times["end_time_2"].IsNull());
  user::Press(VK_ESCAPE);
  EXPECT_TRUE(user::Focus(*other));
}

TEST_F(DbUiTest, GridEditsTheCurrentCellInPlace) {
  auto* grid = new DBGrid(form.get());
  grid->SetParent(form.get());
  grid->SetDataSource(&source);
  grid->AddColumn("order_name", "医嘱名称", 120);
  grid->AddColumn("act_order_no", "医嘱号", 60);
  grid->AddColumn("check", "", 15).CheckBox = true;
  grid->AddColumn("status_flag", "", 15).ReadOnly = true;
  form->Show();
  ASSERT_TRUE(grid->Focused());

  // Typing starts the edit with the typed text; Enter writes it, the row stays in edit.
  user::Type("青霉素");
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(orders.State(), data::DataSetState::Edit);
  EXPECT_EQ(orders["order_name"].AsString(), "阿莫西林");
  grid->Paint();
  auto draws = grid->CellDraws(0, 0);
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back().kind, "editor");
  EXPECT_EQ(draws.back().text, "青霉素");
  EXPECT_EQ(grid->GetProperty("EditorText"), "青霉素");
  user::Press(VK_RETURN);
  EXPECT_EQ(grid->GetProperty("EditorMode"), "False");
  EXPECT_EQ(orders["order_name"].AsString(), "青霉素");

  // F2 starts with the field's text; Esc drops the edit.
  user::Press(VK_F2);
  EXPECT_EQ(grid->EditorText(), "青霉素");
  user::Press(VK_BACK);
  user::Type("X");
  EXPECT_EQ(grid->EditorText(), "青霉X");
  user::Press(VK_ESCAPE);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(orders["order_name"].AsString(), "青霉素");

  // Moving to the next row writes the cell and posts the row; Tab writes and moves on.
  user::Type("Y");
  user::Press(VK_DOWN);
  EXPECT_EQ(orders.RecNo(), 2);
  orders.First();
  EXPECT_EQ(orders["order_name"].AsString(), "Y");
  EXPECT_EQ(orders.State(), data::DataSetState::Browse);
  user::Type("Z");
  user::Press(VK_TAB);
  EXPECT_EQ(orders["order_name"].AsString(), "Z");
  EXPECT_EQ(grid->SelectedIndex(), 1);

  // A value the field refuses keeps the editor open with its text.
  user::Type("abc");
  App().ClearBoxes();
  EXPECT_FALSE(user::Press(VK_RETURN));
  EXPECT_EQ(App().Boxes().size(), 1u);
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(grid->EditorText(), "abc");
  user::Press(VK_ESCAPE);
  EXPECT_EQ(orders["act_order_no"].AsInteger(), 1);

  // Space toggles a check-box column; a read-only column or grid does not start an edit.
  user::Press(VK_TAB);
  user::Press(VK_SPACE);
  EXPECT_EQ(orders["check"].AsString(), "0");
  EXPECT_FALSE(grid->EditorMode());
  user::Press(VK_TAB);
  user::Type("9");
  EXPECT_FALSE(grid->EditorMode());
  grid->SetSelectedIndex(0);
  grid->ReadOnly = true;
  user::Type("Q");
  user::Press(VK_F2);
  EXPECT_FALSE(grid->EditorMode());
  grid->ReadOnly = false;
  grid->Options &= ~dgEditing;  // as the lookup edit's list grid
  user::Type("Q");
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(orders["order_name"].AsString(), "Z");
}
