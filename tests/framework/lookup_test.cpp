#include <gtest/gtest.h>

#include "fixture.h"
#include "framework/twpopupmenudd.h"
#include "lookup_window.h"
#include "platform/base/text.h"

namespace yz::test {
namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class LookupTest : public ModuleTest {
 protected:
  // The window with two order rows, the first current; `code` is the first row's order code.
  ui::Owned<TfrmLookupTest> Make(const char* code = nullptr) {
    ui::Owned<TfrmLookupTest> f(ui::Create<TfrmLookupTest>());
    auto& o = *f->cdsOrder;
    o.CreateDataSet();
    for (int i = 0; i < 2; ++i) {
      o.Append();
      o.Post();
    }
    o.First();
    if (code) {
      o.Edit();
      o.FieldByName("order_code").SetAsString(code);
      o.Post();
    }
    f->Show();
    ui::user::Focus(*f->edtNext);
    remote::ClearCallRecord();
    return f;
  }
  static std::vector<remote::CallEntry> ListRequests() {
    std::vector<remote::CallEntry> out;
    for (auto& c : remote::CallsNamed("DSP_dict"))
      if (c.kind == "GetRecords") out.push_back(c);
    return out;
  }
  static std::string Code(TfrmLookupTest& f, const char* field = "order_code") {
    return f.cdsOrder->FieldByName(field).AsString();
  }
  static bool IsNull(TfrmLookupTest& f, const char* field = "order_code") {
    return f.cdsOrder->FieldByName(field).IsNull();
  }
};

TEST_F(LookupTest, TypingQuicklyThenPausingSendsOneRequest) {
  auto f = Make();
  EXPECT_EQ(f->afterCreates, 1);
  SetUpLookupEdits(*f);  // a second run changes nothing
  EXPECT_EQ(f->afterCreates, 1);
  EXPECT_EQ(f->edtyzname->Hint(), "输入法=拼音");

  ASSERT_TRUE(ui::user::Focus(*f->edtyzname));
  EXPECT_EQ(f->edtyzname->DataField(), "order_code");
  ui::user::Type("a");
  ui::App().Advance(50);
  ui::user::Type("b");
  ui::App().Advance(120);
  EXPECT_TRUE(ListRequests().empty());  // the pause restarted with "b"
  EXPECT_FALSE(f->grd_order->Visible());
  ui::App().Advance(200);
  auto requests = ListRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(text::StartsWith(requests[0].params, "py_code='AB%'; d_code='%'; order_code='%'; order_name='%'; "
                                                   "order_code2='%'; yp_zy='1011'; yp_zc='1012'"))
      << requests[0].params;
  auto sets = remote::CallsNamed("SetADOSQL");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_TRUE(EndsWith(sets[0].args, "; 20")) << sets[0].args;
  EXPECT_TRUE(f->grd_order->Visible());
  EXPECT_TRUE(f->edtyzname->Pending());
  EXPECT_EQ(f->grd_order->Options, TtwDBGridDD::kDroppedOptions);
}

// The window's own creation handler runs after the lookup edits were set up.
class TfrmLookupCreation : public TfrmLookupTest {
 public:
  bool editsSetUpFirst = false;

 protected:
  void FormCreate() override {
    editsSetUpFirst = edtyzname->SetUp() && edtfrequency->SetUp() && edtbed->SetUp() && afterCreates == 1;
    TfrmLookupTest::FormCreate();
  }
};

TEST_F(LookupTest, CreationSetsUpTheEditsBeforeTheWindowsOwnHandler) {
  ui::Owned<TfrmLookupCreation> f(ui::Create<TfrmLookupCreation>());
  EXPECT_TRUE(f->editsSetUpFirst);
}

TEST_F(LookupTest, InputMethodChoosesTheSearchKey) {
  struct Case {
    int ends;  // End presses from pinyin
    const char* key;
  };
  for (Case c : {Case{0, "py_code='AB%'"}, Case{1, "d_code='AB%'"}, Case{2, "order_code='AB%'"},
                 Case{3, "order_name='%AB%%%%%'"}}) {
    auto f = Make();
    ui::user::Focus(*f->edtyzname);
    for (int i = 0; i < c.ends; ++i) ui::user::Press(ui::VK_END);
    EXPECT_EQ(f->edtyzname->InputMethod(), c.ends);
    ui::user::Type("ab");
    ui::App().Advance(200);
    auto requests = ListRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(text::Contains(requests[0].params, c.key)) << c.key << " in " << requests[0].params;
  }
}

TEST_F(LookupTest, ColumnWidthLaysOutFourColumnsAndPlacesTheGridUnderTheEdit) {
  auto f = Make();
  auto* grid = f->edtbed->DropDBGrid();
  ui::user::Focus(*f->edtbed);
  ui::user::Type("0");
  ui::App().Advance(200);
  ASSERT_TRUE(grid->Visible());
  EXPECT_EQ(f->cds_zd->RecordCount(), 2);  // beds 01 and 03 of the ward
  EXPECT_TRUE(text::Contains(ListRequests().back().params, "p_dept='0101'; p_ward='0111'"));
  ASSERT_EQ(grid->ColumnCount(), 4);
  const char* titles[] = {"床号", "姓名", "住院号", "ID号"};
  int widths[] = {60, 70, 60, 60};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(grid->Columns(i).Title, titles[i]);
    EXPECT_EQ(grid->Columns(i).Width, widths[i]);
    EXPECT_EQ(grid->Columns(i).TitleAlignment, ui::TitleAlign::Center);
  }
  EXPECT_EQ(grid->Width(), 290);
  ui::Point edit = f->edtbed->ClientToScreen({}), form = f->ClientToScreen({});
  EXPECT_EQ(grid->Parent(), f.get());
  EXPECT_EQ(grid->Left(), edit.X - form.X);
  EXPECT_EQ(grid->Top(), edit.Y - form.Y + f->edtbed->Height());

  // Near the right edge the grid ends at the window's edge; near the bottom it opens above.
  ui::user::Focus(*f->edtNext);
  f->edtbed->SetBounds(f->stgChildStage->Width() - 100, f->stgChildStage->Height() - 30, 120, 21);
  ui::user::Focus(*f->edtbed);
  ui::user::Type("0");
  ui::App().Advance(200);
  edit = f->edtbed->ClientToScreen({});
  EXPECT_EQ(grid->Left(), f->Width() - 290);
  EXPECT_EQ(grid->Top(), edit.Y - form.Y - grid->Height());
}

TEST_F(LookupTest, ColumnWidthSkipsEmptyAndNonPositiveWidths) {
  struct Case {
    const char* widths;
    std::vector<std::string> titles;
    int gridWidth;
  } cases[] = {
      {"60;,0,-5,50,", {"床号", "住院次数"}, 150},
      {"80,70", {"床号"}, 120},  // a final width without a separator is not used
  };
  for (const Case& c : cases) {
    auto f = Make();
    f->edtbed->ColumnWidth = c.widths;
    ui::user::Focus(*f->edtbed);
    ui::user::Type("0");
    ui::App().Advance(200);
    auto* grid = f->edtbed->DropDBGrid();
    ASSERT_TRUE(grid->Visible()) << c.widths;
    std::vector<std::string> titles;
    for (int i = 0; i < grid->ColumnCount(); ++i) titles.push_back(grid->Columns(i).Title);
    EXPECT_EQ(titles, c.titles) << c.widths;
    EXPECT_EQ(grid->Width(), c.gridWidth) << c.widths;
  }
}

TEST_F(LookupTest, DropDownShowsTheWholeListOnFocusWithoutAPause) {
  auto f = Make();
  f->edtbed->DropDown = true;
  ui::user::Focus(*f->edtbed);
  EXPECT_TRUE(f->edtbed->DropDBGrid()->Visible());
  ASSERT_EQ(ListRequests().size(), 1u);
  EXPECT_TRUE(text::StartsWith(ListRequests()[0].params, "py_code='%'"));
  EXPECT_EQ(f->cds_zd->RecordCount(), 2);
  ui::App().Advance(500);
  EXPECT_EQ(ListRequests().size(), 1u);  // no further request while nothing is typed
  ui::user::Press(ui::VK_DOWN);
  ui::user::Press(ui::VK_RETURN);
  EXPECT_EQ(Code(*f, "bed_no"), "03");
  EXPECT_EQ(f->edtbed->Text(), "孙秀英");
}

TEST_F(LookupTest, ListKeysMoveThroughTheListAndSwitchTheInputMethod) {
  auto f = Make();
  ui::user::Focus(*f->edtyzname);
  ui::user::Press(ui::VK_HOME);  // backward from pinyin: name
  EXPECT_EQ(f->edtyzname->InputMethod(), 3);
  EXPECT_EQ(f->edtyzname->Hint(), "输入法=名称");
  ui::user::Press(ui::VK_END);
  EXPECT_EQ(f->edtyzname->InputMethod(), 0);
  ui::user::Type("x");
  ui::App().Advance(200);
  ASSERT_TRUE(f->grd_order->Visible());
  ASSERT_EQ(f->cds_zd->RecordCount(), 4);
  ASSERT_EQ(f->cds_zd->RecNo(), 1);
  struct Step {
    ui::Word key;
    int recNo;
  } steps[] = {{ui::VK_NEXT, 4}, {ui::VK_UP, 3}, {ui::VK_PRIOR, 1}, {ui::VK_DOWN, 2}};
  for (Step s : steps) {
    ui::user::Press(s.key);
    EXPECT_EQ(f->cds_zd->RecNo(), s.recNo) << s.key;
  }
  EXPECT_EQ(f->edtyzname->Text(), "x");
  EXPECT_TRUE(f->edtyzname->Focused());
  std::string second = f->cds_zd->FieldByName("医嘱码").AsString();
  ui::user::Press(ui::VK_RETURN);
  EXPECT_EQ(Code(*f), second);
}

TEST_F(LookupTest, LeavingWithoutTakingARowOrPressingEscClearsTheCode) {
  {
    auto f = Make("Z0004");
    ui::user::Focus(*f->edtyzname);
    EXPECT_EQ(f->edtyzname->Text(), "Z0004");
    ui::user::Type("xc");
    ui::App().Advance(200);
    ASSERT_TRUE(f->grd_order->Visible());
    ui::user::Press(ui::VK_TAB);
    EXPECT_TRUE(IsNull(*f));
    EXPECT_FALSE(f->grd_order->Visible());
    EXPECT_EQ(f->edtyzname->DataField(), "lookup_order");
    EXPECT_TRUE(f->edtfrequency->Focused());
  }
  {
    auto f = Make("Z0004");
    ui::user::Focus(*f->edtyzname);
    ui::user::Press(ui::VK_ESCAPE);  // no list was shown
    EXPECT_TRUE(IsNull(*f));
    EXPECT_TRUE(f->edtyzname->Focused());
    EXPECT_FALSE(f->grd_order->Visible());
  }
}

TEST_F(LookupTest, EnterTakesTheRowAndTheNameStaysAfterTheCursorMoves) {
  auto f = Make();
  f->cdsOrder->Next();
  ui::user::Focus(*f->edtyzname);
  ui::user::Type("xd");
  ui::user::Press(ui::VK_RETURN);  // typed but not yet refreshed: ignored
  EXPECT_TRUE(f->edtyzname->Focused());
  EXPECT_EQ(f->rowsTaken, 0);
  ui::user::Press(ui::VK_BACK);
  ui::App().Advance(200);
  ASSERT_EQ(f->cds_zd->RecordCount(), 4);  // two strengths of one drug, 血常规, 心电图
  ui::user::Press(ui::VK_DOWN);
  ui::user::Press(ui::VK_DOWN);
  EXPECT_TRUE(f->edtyzname->Focused());
  ui::user::Press(ui::VK_RETURN);
  EXPECT_EQ(Code(*f), "Z0004");
  EXPECT_EQ(f->rowsTaken, 1);
  EXPECT_TRUE(f->edtfrequency->Focused());
  EXPECT_FALSE(f->grd_order->Visible());
  EXPECT_EQ(f->edtyzname->Text(), "血常规");

  remote::ClearCallRecord();
  f->cdsOrder->Prior();
  EXPECT_EQ(f->edtyzname->Text(), "");
  f->cdsOrder->Next();
  EXPECT_EQ(f->edtyzname->Text(), "血常规");
  EXPECT_EQ(f->cdsOrder->FieldByName("lookup_order").AsString(), "血常规");
  EXPECT_TRUE(ListRequests().empty());
}

TEST_F(LookupTest, ClickingAListRowTakesIt) {
  auto f = Make();
  ui::user::Focus(*f->edtyzname);
  ui::user::Type("xdt");
  ui::App().Advance(200);
  ASSERT_EQ(f->cds_zd->RecordCount(), 1);
  f->grd_order->DblClickCell(0, 0);
  EXPECT_EQ(Code(*f), "Z0005");
  EXPECT_EQ(f->rowsTaken, 1);  // the double click takes the row once
  EXPECT_EQ(f->edtyzname->Text(), "心电图");
  EXPECT_TRUE(f->edtfrequency->Focused());
}

TEST_F(LookupTest, ACodeShownASecondTimeIsNamedFromTheStore) {
  auto f = Make("Z0004");
  f->cdsOrder->Next();
  f->cdsOrder->First();
  EXPECT_EQ(ListRequests().size(), 1u);
  EXPECT_TRUE(text::Contains(ListRequests()[0].params, "order_code='Z0004'"));
  EXPECT_EQ(f->edtyzname->Text(), "血常规");
  EXPECT_EQ(f->cdsOrder->State(), data::DataSetState::Browse);  // naming changes no record
  remote::ClearCallRecord();
  f->cdsOrder->Next();
  f->cdsOrder->First();
  EXPECT_TRUE(ListRequests().empty());
  EXPECT_EQ(f->edtyzname->Text(), "血常规");
}

TEST_F(LookupTest, EnterOnAnEmptyListNullsTheKeyAndBeeps) {
  auto f = Make("Z0004");
  ui::user::Focus(*f->edtyzname);
  ui::user::Type("qqq");
  ui::App().Advance(200);
  ASSERT_TRUE(f->grd_order->Visible());
  ASSERT_TRUE(f->cds_zd->IsEmpty());
  ui::user::Press(ui::VK_RETURN);
  EXPECT_TRUE(IsNull(*f));
  EXPECT_EQ(ui::App().BeepCount(), 1);
  EXPECT_EQ(f->rowsTaken, 0);
}

TEST_F(LookupTest, FailingListRequestsAreSwallowedAndTheListKeepsItsRows) {
  for (const char* failing : {"SetADOSQL", "DSP_dict"}) {
    auto f = Make();
    ui::user::Focus(*f->edtyzname);
    ui::user::Type("x");
    ui::App().Advance(200);
    ui::user::Focus(*f->edtNext);
    ASSERT_EQ(f->cds_zd->RecordCount(), 4);
    f->cdsOrder->Edit();
    f->cdsOrder->FieldByName("order_code").SetAsString("Z0001");  // not among the rows shown
    f->cdsOrder->Post();
    remote::SetFault(failing, "server down");
    f->edtyzname->RefreshDisplay();
    EXPECT_EQ(f->cds_zd->RecordCount(), 4) << failing;
    EXPECT_EQ(f->edtyzname->Text(), "") << failing;
    EXPECT_TRUE(ui::App().Boxes().empty()) << failing;
    remote::ClearFaults();
  }
}

TEST_F(LookupTest, RowLimitItemSendsTheLimitAtOnce) {
  auto f = Make();
  auto* menu = f->edtyzname->InputMethodMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(f->edtyzname->RowLimit(), 20);
  menu->Popup(0, 0);
  menu->ChooseItem(menu->Items().Find("所有纪录"));
  auto sets = remote::CallsNamed("SetADOSQL");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_TRUE(EndsWith(sets[0].args, "; 0")) << sets[0].args;
  EXPECT_EQ(f->edtyzname->RowLimit(), 0);

  // A list fetched once ignores the limit; without an input-method menu the limit is 100.
  auto* once = f->edtfrequency->InputMethodMenu();
  once->Popup(0, 0);
  once->ChooseItem(once->Items().Find("显示记录数=10"));
  EXPECT_EQ(remote::CallsNamed("SetADOSQL").size(), 1u);
  EXPECT_EQ(f->edtfrequency->RowLimit(), 0);
  ui::PopupMenu* own = f->edtbed->GetPopupMenu();
  f->edtbed->SetPopupMenu(new ui::PopupMenu(f.get()));
  EXPECT_EQ(f->edtbed->RowLimit(), 100);
  f->edtbed->SetPopupMenu(own);
}

TEST_F(LookupTest, FetchedOnceListIsFilteredLocally) {
  auto f = Make();
  ASSERT_NE(f->edtfrequency->FetchedList(), nullptr);
  EXPECT_EQ(f->edtfrequency->FetchedList()->RecordCount(), 10);
  ui::user::Focus(*f->edtfrequency);
  ui::user::Type("m'");
  ui::App().Advance(200);
  EXPECT_TRUE(ui::App().Boxes().empty());  // a quote in the text is matched, not parsed
  EXPECT_EQ(f->edtfrequency->FetchedList()->RecordCount(), 0);
  ui::user::Press(ui::VK_BACK);
  ui::user::Type("r");
  ui::App().Advance(200);
  EXPECT_EQ(f->edtfrequency->FetchedList()->Filter(), "拼音码 LIKE 'MR%'");
  EXPECT_EQ(f->edtfrequency->FetchedList()->RecordCount(), 4);
  EXPECT_TRUE(ListRequests().empty());
  ui::user::Press(ui::VK_RETURN);
  EXPECT_EQ(Code(*f, "frequ_code"), "QD");
  EXPECT_EQ(f->edtfrequency->Text(), "每日一次");
}

TEST_F(LookupTest, MissingTagOrListSourceIsReported) {
  auto f = Make();
  auto* e = new TtwDBEditDD(f.get());
  e->SetName("edtNoTag");
  ui::App().QueueAnswer(ui::mrOk, "edtNoTag.SqlTag不能等于0");
  e->SetDropDBGrid(f->grd_order);
  EXPECT_EQ(e->DropDBGrid(), nullptr);
  EXPECT_EQ(f->grd_order->Edit(), f->edtyzname);

  f->edtyzname->SetListSource(static_cast<data::DataSource*>(nullptr));
  ui::App().QueueAnswer(ui::mrOk, "选择edtyzname.ListSource");
  f->edtyzname->SetSqlTag(132);
  EXPECT_EQ(ui::App().PendingAnswers(), 0);
  EXPECT_EQ(ui::App().Boxes().size(), 2u);
}

}  // namespace
}  // namespace yz::test
