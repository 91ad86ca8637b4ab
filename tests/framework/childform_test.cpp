#include <gtest/gtest.h>

#include "fixture.h"
#include "framework/childform.h"
#include "framework/dmpatient.h"
#include "framework/showbox.h"
#include "framework/twenter.h"
#include "framework/twpopupmenudd.h"
#include "platform/ui/controls.h"

namespace yz::test {
namespace {

// A small window on the child window base.
class TfrmTest : public TfrmChildForm {
 public:
  explicit TfrmTest(int tag = 0) : TfrmChildForm(nullptr, "frmTest") {
    SetTag(tag);
    edtName = Add<ui::Edit>("edtName", 10);
    chkA = Add<ui::CheckBox>("chkA", 40);
    chkB = Add<ui::CheckBox>("chkB", 70);
    chkB->SetTag(2);
    edtLast = Add<ui::Edit>("edtLast", 100);
    edtLast->OnKeyPress = [this](ui::Component&, char32_t&) { ++designHandlerRuns; };
    cdsOrders = new TClientDataSet(this, "cdsOrders");
    data::FieldDef f;
    f.name = "code";
    f.size = 10;
    cdsOrders->AddField(f);
  }
  template <class T>
  T* Add(const char* name, int top) {
    auto* c = new T(this);
    c->SetName(name);
    c->SetParent(stgChildStage);
    c->SetBounds(10, top, 100, 20);
    c->SetTabStop(true);
    return c;
  }
  int saves = 0;
  int designHandlerRuns = 0;
  void SaveChanges() override { ++saves; }
  ui::Edit *edtName, *edtLast;
  ui::CheckBox *chkA, *chkB;
  TClientDataSet* cdsOrders;
};

class ChildFormTest : public ModuleTest {
 protected:
  ui::Owned<TfrmTest> Make(int tag = 0) {
    ui::Owned<TfrmTest> f(ui::Create<TfrmTest>(tag));
    f->Show();
    return f;
  }
  void StoreLayout(const std::string& form, const std::string& text) {
    Db().Exec("insert into yz_user_form (form_name, subsys_id, form_com) values (?1, ?2, ?3)",
              {Variant(form), Variant(Session().settings.subsys_id), Variant(text)});
  }
};

TEST_F(ChildFormTest, CreationRetargetsLoadsNoLayoutAndMaximises) {
  auto f = Make();
  EXPECT_EQ(f->GetWindowState(), ui::WindowState::Maximized);
  EXPECT_EQ(f->dmcUserInterFace->ComputerName(), "sqlite::memory:");
  EXPECT_FALSE(f->dmcUserInterFace->Connected());  // disconnected after reading the layout
  EXPECT_EQ(f->edtName->Left(), 10);
  auto opens = remote::CallsNamed("dspUserForm");
  ASSERT_FALSE(opens.empty());
  EXPECT_NE(opens.back().params.find("frmTest"), std::string::npos);
}

TEST_F(ChildFormTest, StoredArrangementMovesAndHidesControls) {
  Session().settings.subsys_id = "yz";
  StoreLayout("frmTest", "edtName.Left=200\nedtName.Width=150\n# a comment\nchkA.Visible=False\nnoSuch.Left=1\n"
                         "edtLast.NoSuchProperty=3\nedtLast.Top=abc\n");
  auto f = Make();
  EXPECT_EQ(f->edtName->Left(), 200);
  EXPECT_EQ(f->edtName->Width(), 150);
  EXPECT_FALSE(f->chkA->Visible());
  EXPECT_EQ(f->edtLast->Top(), 100);  // a value the control does not take leaves it as designed
}

TEST_F(ChildFormTest, TwoArrangementsForTheSameWindowApplyNone) {
  StoreLayout("frmTest", "edtName.Left=200");
  StoreLayout("frmTest", "edtName.Left=300");
  auto f = Make();
  EXPECT_EQ(f->edtName->Left(), 10);
}

TEST_F(ChildFormTest, CloseReleasesDataUnlessATagOneSetHasChanges) {
  {
    auto f = Make();
    f->cdsOrders->CreateDataSet();
    f->cdsOrders->AppendRecord({Variant("A")});
    f->Close();
    EXPECT_FALSE(f->cdsOrders->Active());  // tag 0: released without a question
  }
  for (int answer : {ui::mrYes, ui::mrNo}) {
    auto f = Make();
    f->cdsOrders->SetTag(1);
    f->cdsOrders->CreateDataSet();
    f->cdsOrders->AppendRecord({Variant("A")});
    ui::App().QueueAnswer(answer, "是否需要保存!");
    f->Close();
    EXPECT_TRUE(f->cdsOrders->Active()) << answer;
    EXPECT_EQ(f->saves, answer == ui::mrYes ? 1 : 0);
    EXPECT_EQ(ui::App().Boxes().back().caption, "提示");
  }
}

TEST_F(ChildFormTest, EnterMovesFocusByTagAndReplacesDesignHandlers) {
  auto f = Make();
  ASSERT_TRUE(ui::user::Focus(*f->chkA));
  ui::user::Press(ui::VK_RETURN);
  EXPECT_EQ(f->ActiveControl(), f->chkB);
  ui::user::Press(ui::VK_RETURN);  // tag 2: Enter stays
  EXPECT_EQ(f->ActiveControl(), f->chkB);
  ui::user::Focus(*f->edtLast);
  ui::user::Press(ui::VK_RETURN);
  EXPECT_EQ(f->designHandlerRuns, 0);
  EXPECT_NE(f->ActiveControl(), f->edtLast);
}

TEST_F(ChildFormTest, WindowWithTagOneHasNoEnterNavigation) {
  auto f = Make(1);
  ui::user::Focus(*f->chkA);
  ui::user::Press(ui::VK_RETURN);
  EXPECT_EQ(f->ActiveControl(), f->chkA);
}

// An edit that owns an input-method menu and records what the menu asks of it.
class MenuHostEdit : public ui::Edit, public InputMethodHost {
 public:
  using ui::Edit::Edit;
  bool once = false;
  std::vector<int> limits;
  bool FetchesListOnce() const override { return once; }
  void RowLimitChanged(int limit) override { limits.push_back(limit); }
};

TEST(InputMethodMenu, MethodsColourHintAndRowLimits) {
  ui::Owned<ui::Form> form(ui::Create<ui::Form>());
  auto* edit = new MenuHostEdit(form.get());
  edit->SetColor(ui::clWindow);
  auto* menu = new TtwPopupMenuDD(edit);
  EXPECT_EQ(edit->Hint(), "输入法=拼音");
  EXPECT_EQ(menu->RowLimit(), 20);
  menu->Popup(0, 0);
  ASSERT_EQ(menu->Items().Count(), 9);
  menu->ChooseItem(menu->Items().Items(3));  // 名称
  EXPECT_EQ(menu->InputMethod(), 3);
  EXPECT_EQ(edit->GetColor(), ui::clYellow);
  EXPECT_EQ(edit->Hint(), "输入法=名称");
  EXPECT_TRUE(edit->ShowHint());
  menu->NextMethod();  // End from name goes back to pinyin
  EXPECT_EQ(menu->InputMethod(), 0);
  EXPECT_EQ(edit->GetColor(), ui::clWindow);
  menu->PriorMethod();
  EXPECT_EQ(menu->InputMethod(), 3);
  menu->Popup(0, 0);
  EXPECT_TRUE(menu->Items().Items(3)->Checked);
  EXPECT_FALSE(menu->Items().Items(0)->Checked);
  menu->ChooseItem(menu->Items().Items(8));  // 所有纪录
  EXPECT_EQ(edit->limits, std::vector<int>{0});
  EXPECT_EQ(menu->RowLimit(), 0);
  edit->once = true;  // an edit that fetches once ignores limit changes
  menu->ChooseItem(menu->Items().Items(5));
  EXPECT_EQ(menu->RowLimit(), 0);
  EXPECT_EQ(edit->limits.size(), 1u);
}

TEST(ShowBoxTest, TypesKindsAndAnswers) {
  ui::App().Reset();
  struct Case {
    int type, kind, answer;
    const char* caption;
    unsigned buttons;
  } cases[] = {{1, 1, ui::mrOk, "提示", ui::mbOK},
               {2, 2, ui::mrCancel, "错误", ui::mbOKCancel},
               {1, 3, ui::mrNo, "提示", ui::mbYesNo},
               {1, 4, ui::mrYes, "提示", ui::mbYesNoCancel}};
  for (auto& c : cases) {
    ui::App().QueueAnswer(c.answer);
    EXPECT_EQ(ShowBox("x", c.type, c.kind), c.answer);
    EXPECT_EQ(ui::App().Boxes().back().caption, c.caption);
    EXPECT_EQ(ui::App().Boxes().back().buttons, c.buttons);
  }
  size_t shown = ui::App().Boxes().size();
  EXPECT_EQ(ShowBox("x", 3, 1), 0);
  EXPECT_EQ(ShowBox("x", 1, 5), 0);
  EXPECT_EQ(ui::App().Boxes().size(), shown);
  EXPECT_EQ(RightText("长期医嘱单", 3), "医嘱单");
  ui::App().Reset();
}

TEST_F(ChildFormTest, LookupValueCannotBeChangedByAQuote) {
  TdmPatient dm(nullptr);
  EXPECT_EQ(dm.LookupValue("a_employee_mi", "emp_sn", "name", " 00001 "), "张主任");
  remote::ClearCallRecord();
  EXPECT_EQ(dm.LookupValue("a_employee_mi", "emp_sn", "name", "x' or '1'='1"), "");
  EXPECT_EQ(Statements().back(), "select name from a_employee_mi where emp_sn = 'x'' or ''1''=''1'");
}

}  // namespace
}  // namespace yz::test

namespace yz::test {
namespace {

TEST_F(ChildFormTest, WardListLeavesOutBedsInTransferAndSendsNothing) {
  Session().admiss_dept = "0101";
  Session().admiss_ward = "0111";
  TdmPatient dm(nullptr);
  EXPECT_TRUE(dm.dmc_sql->Connected());  // the SQL-tag server connects at once
  EXPECT_FALSE(dm.Dmc_User_Manage->Connected());
  auto& ward = *dm.cdsActPatient;
  EXPECT_EQ(ward.RecordCount(), 1);  // 000100002 lies in a bed with status 5
  EXPECT_EQ(ward.FieldByName("patient_id").AsString(), "000100001");
  EXPECT_EQ(ward.ChangeCount(), 0);  // the rows left out can never reach the server
  EXPECT_EQ(ward.ApplyUpdates(0), 0);
  EXPECT_TRUE(remote::CallsNamed("dspActPatient").back().kind != "ApplyUpdates");
}

}  // namespace
}  // namespace yz::test
