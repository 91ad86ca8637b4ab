// Toolkit core: focus, keys, mouse, forms, boxes, guard, timers, reflection, peers, handles.
#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

using namespace yz;
using namespace yz::ui;

namespace {

struct UiTest : ::testing::Test {
  ManualClock clock;
  void SetUp() override {
    SetClock(&clock);
    App().Reset();
  }
  void TearDown() override {
    App().ProcessMessages();
    App().Reset();
    SetClock(nullptr);
  }
  template <class T>
  T* Make(WinControl* parent, const char* name, int left = 0, int top = 0) {
    auto* c = new T(parent->GetParentForm());
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(left, top, 80, 20);
    return c;
  }
  std::vector<std::string> ErrorTexts() {
    std::vector<std::string> out;
    for (auto& b : App().Boxes())
      if (b.errorDisplay) out.push_back(b.text);
    return out;
  }
};

std::string FocusedName(Form& f) { return f.ActiveControl() ? f.ActiveControl()->Name() : "-"; }

}  // namespace

TEST_F(UiTest, TabOrderAndNextControl) {
  Owned<Form> f(Create<Form>());
  f->SetName("frm");
  auto* pnl = Make<Panel>(f.get(), "pnl");
  auto* a = Make<Edit>(pnl, "a");
  auto* b = Make<Edit>(pnl, "b");
  auto* c = Make<Edit>(f.get(), "c");
  Make<Button>(f.get(), "d");
  auto* skip = Make<Edit>(f.get(), "skip");
  skip->SetTabStop(false);
  b->SetTabOrder(0);  // b before a inside the panel
  c->SetTabOrder(0);  // c before the panel on the form
  f->Show();
  EXPECT_EQ(FocusedName(*f), "c");  // showing focuses the first control in tab order

  std::string seen;
  for (int i = 0; i < 5; ++i) {
    user::Press(VK_TAB);
    seen += FocusedName(*f);
  }
  EXPECT_EQ(seen, "badcb");  // panel children after c, wrapping around, `skip` left out
  user::Press(VK_TAB, ssShift);
  EXPECT_EQ(FocusedName(*f), "c");
  f->SelectNext(a);
  EXPECT_EQ(FocusedName(*f), "d");
  (void)skip;
}

TEST_F(UiTest, EnterAndExitEventsAndRefusingExit) {
  Owned<Form> f(Create<Form>());
  auto* a = Make<Edit>(f.get(), "a");
  auto* b = Make<Edit>(f.get(), "b");
  auto* save = Make<Button>(f.get(), "save");
  std::string log;
  a->OnEnter = [&](Component&) { log += "+a"; };
  b->OnEnter = [&](Component&) { log += "+b"; };
  b->OnExit = [&](Component&) { log += "-b"; };
  int saves = 0;
  save->OnClick = [&](Component&) { ++saves; };
  f->Show();
  EXPECT_EQ(log, "+a");
  a->OnExit = [&](Component&) { log += "-a"; };

  // Refusal by moving the focus back.
  a->OnExit = [&](Component&) {
    log += "-a";
    a->SetFocus();
  };
  log.clear();
  EXPECT_TRUE(user::Press(VK_TAB));
  EXPECT_EQ(FocusedName(*f), "a");
  EXPECT_EQ(log, "-a");
  // A click on a button while the exit refuses does not click.
  EXPECT_FALSE(user::Click(*save));
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(FocusedName(*f), "a");

  // Refusal by a silent abort: nothing shown, focus kept.
  a->OnExit = [&](Component&) { SilentAbort(); };
  EXPECT_FALSE(user::Focus(*b));
  EXPECT_EQ(FocusedName(*f), "a");
  EXPECT_TRUE(App().Boxes().empty());

  // An exit handler sending the focus to a third control wins over the Tab target.
  a->OnExit = [&](Component&) { save->SetFocus(); };
  user::Press(VK_TAB);
  EXPECT_EQ(FocusedName(*f), "save");

  a->OnExit = nullptr;
  log.clear();
  user::Focus(*a);
  user::Press(VK_TAB);
  EXPECT_EQ(log, "+a+b");
  EXPECT_TRUE(b->Focused());
}

TEST_F(UiTest, FormSeesKeysBeforeTheControl) {
  Owned<Form> f(Create<Form>());
  auto* e = Make<Edit>(f.get(), "e");
  auto* ok = Make<Button>(f.get(), "ok");
  auto* cancel = Make<Button>(f.get(), "cancel");
  auto* accel = Make<Button>(f.get(), "choosePatient");
  ok->Default = true;
  cancel->Cancel = true;
  accel->SetCaption("choosePatient&P");
  std::string log;
  ok->OnClick = [&](Component&) { log += "[ok]"; };
  cancel->OnClick = [&](Component&) { log += "[cancel]"; };
  accel->OnClick = [&](Component&) { log += "[P]"; };
  f->OnShortCut = [&](Form&, Word& key, ShiftState shift, bool& handled) {
    log += "S" + std::to_string(key) + (shift & ssAlt ? "a" : "");
    handled = key == VK_F2;
  };
  e->OnKeyDown = [&](Component&, Word& key, ShiftState) { log += "D" + std::to_string(key); };
  e->OnKeyPress = [&](Component&, char32_t& ch) { log += "P" + std::to_string(static_cast<int>(ch)); };
  f->Show();
  ASSERT_TRUE(e->Focused());

  struct Case {
    Word key;
    ShiftState shift;
    const char* log;
  } cases[] = {
      {VK_RETURN, 0, "S13[ok]"},          // short cut stage, then the default button
      {VK_ESCAPE, 0, "S27[cancel]"},      // short cut stage, then the cancel button
      {VK_F1, 0, "S112D112"},             // not a short cut: reaches the edit, types nothing
      {VK_F2, 0, "S113"},                 // taken by the form's short cut stage
      {'P', ssAlt, "S80a[P]"},            // Alt + accelerator clicks the button
      {'X', ssAlt, "S88aD88"},            // no accelerator: the control gets it, no character
      {'x', 0, "S120D120"},
  };
  for (auto& c : cases) {
    log.clear();
    user::Press(c.key, c.shift);
    EXPECT_EQ(log, c.log) << c.key;
  }

  // Key preview: the form's key handlers run first and may swallow the key.
  f->KeyPreview = true;
  f->OnKeyDown = [&](Component&, Word& key, ShiftState) {
    log += "F" + std::to_string(key);
    if (key == VK_F3) key = 0;
  };
  f->OnShortCut = nullptr;
  log.clear();
  user::Press(VK_F3);
  user::Press(VK_F4);
  EXPECT_EQ(log, "F114F115D115");
}

TEST_F(UiTest, DisabledPanelMakesChildrenUnfocusable) {
  Owned<Form> f(Create<Form>());
  auto* first = Make<Edit>(f.get(), "first");
  auto* pnl = Make<Panel>(f.get(), "pnl");
  auto* inner = Make<Edit>(pnl, "inner");
  auto* last = Make<Edit>(f.get(), "last");
  f->Show();
  pnl->SetEnabled(false);
  EXPECT_TRUE(inner->Enabled());
  EXPECT_FALSE(inner->IsEnabled());
  EXPECT_FALSE(inner->CanFocus());
  EXPECT_FALSE(user::Focus(*inner));
  ASSERT_EQ(ErrorTexts().size(), 1u);
  EXPECT_NE(ErrorTexts()[0].find("Cannot focus"), std::string::npos);
  EXPECT_FALSE(user::Click(*inner));  // clicks on disabled controls go nowhere
  user::Press(VK_TAB);
  EXPECT_EQ(FocusedName(*f), "last");
  // Disabling the panel that holds the focus leaves no control focused.
  pnl->SetEnabled(true);
  user::Focus(*inner);
  pnl->SetEnabled(false);
  EXPECT_EQ(f->ActiveControl(), nullptr);
  (void)first;
  (void)last;
}

TEST_F(UiTest, ModalDialogWorkedByDriver) {
  Owned<Form> dlg(Create<Form>());
  dlg->SetName("dlgPick");
  dlg->SetCaption("选择");
  auto* ok = Make<Button>(dlg.get(), "ok");
  ok->ModalResult = mrOk;

  // Without a driver the call fails, naming the window.
  try {
    dlg->ShowModal();
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("dlgPick"), std::string::npos);
  }
  EXPECT_FALSE(dlg->Visible());

  bool refuse = true;
  dlg->OnCloseQuery = [&](Form&, bool& can) { can = !refuse; };
  App().ModalDriver = [&](Form& form) {
    EXPECT_TRUE(form.Modal());
    EXPECT_EQ(App().ActiveForm(), &form);
    user::Click(*ok);  // refused by the close query: still open, no result
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.GetModalResult(), mrNone);
    refuse = false;
    user::Click(*ok);
  };
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_FALSE(dlg->Visible());

  // Esc on a dialog without a cancel button: the driver closes it; Close means cancel.
  App().ModalDriver = [](Form& form) { form.Close(); };
  EXPECT_EQ(dlg->ShowModal(), mrCancel);

  // A driver that leaves the window open is an error, not a hang.
  App().ModalDriver = [](Form&) {};
  EXPECT_THROW(dlg->ShowModal(), Error);
  EXPECT_FALSE(dlg->Modal());
}

TEST_F(UiTest, MessageBoxesAnsweredFromQueueAndRecorded) {
  App().QueueAnswer(mrNo);
  EXPECT_EQ(App().MessageBox("数据没有保存，是否退出?", "提示", MsgIcon::Warning, mbYesNo), mrNo);
  ASSERT_EQ(App().Boxes().size(), 1u);
  const BoxRecord& r = App().Boxes()[0];
  EXPECT_EQ(r.caption, "提示");
  EXPECT_EQ(r.text, "数据没有保存，是否退出?");
  EXPECT_EQ(r.icon, MsgIcon::Warning);
  EXPECT_EQ(r.buttons, unsigned{mbYesNo});
  EXPECT_EQ(r.answer, mrNo);

  // An unexpected box, an answer the box cannot give, a box other than the expected one.
  EXPECT_THROW(App().MessageBox("请先选择病人", "提示", MsgIcon::Warning, mbOK), Error);
  App().QueueAnswer(mrYes);
  EXPECT_THROW(App().MessageBox("请先选择病人", "提示", MsgIcon::Warning, mbOK), Error);
  App().QueueAnswer(mrOk, "another text");
  EXPECT_THROW(App().MessageBox("请先选择病人", "提示", MsgIcon::Warning, mbOK), Error);

  // Inside a handler the unexpected box reaches the default error display, naming its text.
  App().ClearBoxes();
  Owned<Form> f(Create<Form>());
  auto* b = Make<Button>(f.get(), "b");
  b->OnClick = [](Component&) { App().MessageBox("医生不能为空，请输入！", "提示", MsgIcon::Warning, mbOK); };
  f->Show();
  EXPECT_FALSE(user::Click(*b));
  ASSERT_EQ(ErrorTexts().size(), 1u);
  EXPECT_EQ(ErrorTexts()[0], "Unexpected message box: 医生不能为空，请输入！");
}

TEST_F(UiTest, EventGuardShowsErrorsAndSwallowsSilentAbort) {
  Owned<Form> f(Create<Form>());
  auto* b = Make<Button>(f.get(), "b");
  auto* t = Make<ToolButton>(f.get(), "t");
  b->OnClick = [](Component&) { throw Error("'abc' is not a valid integer value"); };
  t->OnClick = [](Component&) { SilentAbort(); };
  f->Show();
  EXPECT_FALSE(user::Click(*b));
  EXPECT_FALSE(user::Click(*t) && false);
  ASSERT_EQ(App().Boxes().size(), 1u);
  EXPECT_TRUE(App().Boxes()[0].errorDisplay);
  EXPECT_EQ(App().Boxes()[0].text, "'abc' is not a valid integer value");
  EXPECT_EQ(App().Boxes()[0].icon, MsgIcon::Error);
  // A key handler's error is caught the same way: nothing escapes an input call.
  b->OnKeyDown = [](Component&, Word&, ShiftState) { throw std::runtime_error("boom"); };
  user::Focus(*b);
  EXPECT_FALSE(user::Press(VK_F5));
  EXPECT_EQ(ErrorTexts().back(), "boom");
}

TEST_F(UiTest, TimersFireWhenTheClockPassesThem) {
  Owned<Form> f(Create<Form>());
  std::string log;
  auto* t1 = new Timer(f.get());
  t1->SetInterval(300);
  t1->OnTimer = [&](Component&) { log += "a" + std::to_string(clock.Milliseconds()) + " "; };
  auto* t2 = new Timer(f.get());
  t2->SetInterval(500);
  t2->OnTimer = [&](Component&) {
    log += "b" + std::to_string(clock.Milliseconds()) + " ";
    t2->SetEnabled(false);
  };
  App().Advance(299);
  EXPECT_EQ(log, "");
  App().Advance(701);
  EXPECT_EQ(log, "a300 b500 a600 a900 ");
  EXPECT_EQ(clock.Milliseconds(), 1000);
  // A disabled timer and one with interval 0 stay quiet; a throwing handler is guarded.
  t1->SetInterval(0);
  t2->SetEnabled(true);
  t2->OnTimer = [](Component&) { throw Error("timer failed"); };
  App().Advance(500);
  EXPECT_EQ(log, "a300 b500 a600 a900 ");
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"timer failed"});
  // Work posted runs on ProcessMessages, in order.
  App().Post([&] { log += "p1 "; });
  App().Post([&] { log += "p2"; });
  App().ProcessMessages();
  EXPECT_EQ(log, "a300 b500 a600 a900 p1 p2");
}

TEST_F(UiTest, ReflectionReadsAndSetsByName) {
  Owned<Form> f(Create<Form>());
  f->SetName("frmMainInput");
  auto* e = Make<Edit>(f.get(), "edtjl", 10, 20);
  auto* c = Make<CheckBox>(f.get(), "chkYp");
  auto* r = Make<RadioGroup>(f.get(), "grp_long_once");
  r->Items = {"临时医嘱", "长期医嘱"};
  struct Case {
    Component* comp;
    const char* prop;
    const char* value;
  } cases[] = {
      {e, "Left", "33"},   {e, "Top", "44"},        {e, "Width", "120"},      {e, "Height", "21"},
      {e, "Visible", "False"}, {e, "Enabled", "False"}, {e, "Text", "剂量"}, {e, "ReadOnly", "True"},
      {e, "Color", "clYellow"}, {e, "Hint", "输入法=名称"}, {e, "Color", "$00F0CAA6"}, {e, "tag", "3"},
      {c, "Checked", "True"}, {r, "ItemIndex", "1"}, {f.get(), "WindowState", "wsMaximized"},
      {e, "Font.Color", "clRed"}, {f.get(), "Caption", "录入主窗口"},
  };
  for (auto& k : cases) {
    k.comp->SetProperty(k.prop, k.value);
    std::string expect = k.value;
    if (expect == "$00F0CAA6") expect = "clSkyBlue";
    EXPECT_EQ(k.comp->GetProperty(k.prop), expect) << k.prop;
  }
  EXPECT_EQ(e->Left(), 33);
  EXPECT_EQ(e->GetColor(), clSkyBlue);
  EXPECT_EQ(e->GetProperty("Parent"), "frmMainInput");
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToRGB(clBtnFace) & 0xFF000000u, 0u);
  EXPECT_THROW(e->GetProperty("NoSuch"), Error);
  EXPECT_THROW(e->SetProperty("Left", "abc"), ConvertError);
  EXPECT_THROW(e->SetProperty("Focused", "True"), Error);  // read-only
  EXPECT_THROW(c->SetName("EDTJL"), Error);                // names are unique per owner

  std::vector<std::string> listed;
  for (int i = 0; i < f->ComponentCount(); ++i)
    listed.push_back(f->Components(i)->ClassName() + ":" + f->Components(i)->Name());
  EXPECT_EQ(listed, (std::vector<std::string>{"Edit:edtjl", "CheckBox:chkYp", "RadioGroup:grp_long_once"}));
  EXPECT_EQ(f->FindComponent("CHKYP"), c);
}

TEST_F(UiTest, CodeSettingItemIndexOrCheckedRunsClick) {
  Owned<Form> f(Create<Form>());
  auto* chk = Make<CheckBox>(f.get(), "chk");
  auto* grp = Make<RadioGroup>(f.get(), "grp");
  auto* cbx = Make<ComboBox>(f.get(), "cbx");
  grp->Items = {"全部", "当前"};
  cbx->Items = {"门诊", "配置"};
  std::string log;
  chk->OnClick = [&](Component&) { log += "chk" + std::to_string(chk->Checked()) + " "; };
  grp->OnClick = [&](Component&) { log += "grp" + std::to_string(grp->ItemIndex()) + " "; };
  cbx->OnClick = [&](Component&) { log += "cbxclick "; };
  cbx->OnChange = [&](Component&) { log += "cbxchange "; };
  chk->SetChecked(true);
  chk->SetChecked(true);  // no change, no click
  grp->SetItemIndex(1);
  cbx->SetItemIndex(1);  // from code: no event
  EXPECT_EQ(log, "chk1 grp1 ");
  EXPECT_EQ(cbx->Text(), "配置");
  f->Show();
  log.clear();
  user::Click(*chk);
  grp->ClickItem(0);
  cbx->SelectByUser(0);
  EXPECT_EQ(log, "chk0 grp0 cbxclick cbxchange ");
}

TEST_F(UiTest, TypingIntoEditsIncludingChinese) {
  Owned<Form> f(Create<Form>());
  auto* e = Make<Edit>(f.get(), "e");
  auto* pw = Make<Edit>(f.get(), "pw");
  pw->PasswordChar = U'*';
  int changes = 0;
  e->OnChange = [&](Component&) { ++changes; };
  e->SetText("old");
  f->Show();
  changes = 0;
  user::Type("阿莫西林 ab");  // entering selected all: typing replaces the old text
  EXPECT_EQ(e->Text(), "阿莫西林 ab");
  EXPECT_EQ(changes, 7);
  user::Press(VK_BACK);
  user::Press(VK_LEFT);
  user::Press(VK_BACK);
  EXPECT_EQ(e->Text(), "阿莫西林a");
  user::Press(VK_DELETE);
  EXPECT_EQ(e->Text(), "阿莫西林");
  e->SetReadOnly(true);
  user::Type("x");
  EXPECT_EQ(e->Text(), "阿莫西林");
  user::Focus(*pw);
  user::Type("Pw1");
  EXPECT_EQ(pw->Text(), "Pw1");
  EXPECT_EQ(pw->DisplayText(), "***");
}

TEST_F(UiTest, CloseQueryAndCloseActions) {
  Form* f = Create<Form>();
  std::string log;
  f->OnShow = [&](Component&) { log += "show "; };
  f->OnClose = [&](Form&, CloseAction& a) {
    log += "close ";
    a = CloseAction::Free;
  };
  f->OnDestroy = [&](Component&) { log += "destroy"; };
  bool can = false;
  f->OnCloseQuery = [&](Form&, bool& c) { c = can; };
  f->Show();
  f->Close();
  EXPECT_TRUE(f->Visible());
  can = true;
  f->Close();
  EXPECT_FALSE(f->Visible());
  EXPECT_TRUE(Component::Alive(f));  // freed once pending work runs
  App().ProcessMessages();
  EXPECT_FALSE(Component::Alive(f));
  EXPECT_EQ(log, "show close destroy");
}

TEST_F(UiTest, PopupMenusAndShortCuts) {
  Owned<Form> f(Create<Form>());
  auto* e = Make<Edit>(f.get(), "e");
  auto* pm = new PopupMenu(f.get());
  int chosen = 0, popups = 0;
  pm->OnPopup = [&](Component&) {
    ++popups;
    if (pm->Items().Count() == 0) {
      pm->Items().AddItem("拼音", 1, [&](Component& s) { chosen = s.Tag(); });
      pm->Items().AddItem("-", 5);
      pm->Items().AddItem("名称", 4, [&](Component& s) { chosen = s.Tag(); })->Enabled = false;
    }
  };
  e->SetPopupMenu(pm);
  auto* mm = new MainMenu(f.get());
  auto* quit = mm->Items().AddItem("退出", 0, [&](Component&) { chosen = 99; });
  quit->Shortcut = TextToShortCut("Alt+X");
  f->Menu = mm;
  f->Show();
  user::RightClick(*e);
  user::RightClick(*e);
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(pm->Items().Count(), 3);
  EXPECT_TRUE(pm->Items().Items(1)->IsSeparator());
  pm->ChooseItem(pm->Items().Items(2));  // disabled: nothing
  EXPECT_EQ(chosen, 0);
  pm->ChooseItem(pm->Items().Find("拼音"));
  EXPECT_EQ(chosen, 1);
  user::Press('X', ssAlt);
  EXPECT_EQ(chosen, 99);
  EXPECT_EQ(ShortCutToText(quit->Shortcut), "Alt+X");
  EXPECT_THROW(TextToShortCut("Hyper+Q"), Error);
}

namespace {
struct RecordingPeer : Peer {
  std::vector<std::string> seen;
  void PropertyChanged(Control&, std::string_view name, const std::string& value) override {
    seen.push_back(std::string(name) + "=" + value);
  }
};
}  // namespace

TEST_F(UiTest, PeerToldOfChangesAndHandlesRecordMessages) {
  RecordingPeer peer;
  Owned<Form> f(Create<Form>());
  auto* b = Make<Button>(f.get(), "b");
  b->SetPeer(&peer);
  b->SetCaption("保存S");
  b->SetEnabled(false);
  b->SetProperty("Left", "7");
  EXPECT_EQ(peer.seen, (std::vector<std::string>{"Caption=保存S", "Text=保存S", "Enabled=False", "Left=7", "Top=0"}));

  os::HWND host = os::CreateHostWindow();
  os::HWND h = f->Handle();
  EXPECT_EQ(WinControl::FromHandle(h), f.get());
  EXPECT_EQ(WinControl::FromHandle(host), nullptr);
  EXPECT_EQ(os::SetParent(h, host), 0);
  EXPECT_EQ(os::GetParent(h), host);
  EXPECT_EQ(os::GetParent(b->Handle()), h);
  os::ClearSentMessages();
  os::SendMessage(host, os::WM_SETFOCUS, 0, 0);
  ASSERT_EQ(os::SentMessages().size(), 1u);
  EXPECT_EQ(os::SentMessages()[0].target, host);
  EXPECT_EQ(os::SentMessages()[0].message, 7u);
  EXPECT_THROW(os::SetParent(123456789, host), Error);
}

TEST_F(UiTest, AlignLaysOutChildren) {
  Owned<Form> f(Create<Form>());
  f->SetBounds(0, 0, 700, 572);
  auto* top = Make<Panel>(f.get(), "top");
  top->SetHeight(48);
  top->SetAlign(Align::Top);
  auto* client = Make<Panel>(f.get(), "client");
  client->SetAlign(Align::Client);
  auto* e = Make<Edit>(client, "e", 5, 6);
  EXPECT_EQ(top->BoundsRect(), (Rect{0, 0, 700, 48}));
  EXPECT_EQ(client->BoundsRect(), (Rect{0, 48, 700, 572}));
  EXPECT_EQ(e->ClientToScreen(Point{1, 1}), (Point{6, 55}));
  top->SetVisible(false);
  EXPECT_EQ(client->Top(), 0);
}

TEST_F(UiTest, EditMaskFitsTextsToItsPositions) {
  struct Case {
    const char* mask;
    const char* set;
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {"9999-99-99 99:99;1;_", "2024-01-05 08:30:00", "2024-01-05 08:30", "2024-01-05 08:30"},  // seconds dropped
      {"9999-99-99 99:99;1;_", "", "____-__-__ __:__", "____-__-__ __:__"},
      {"0000-99-99 99:99", "202401050830", "2024-01-05 08:30", "2024-01-05 08:30"},  // literals put in place
      {"000-000;0;*", "123456", "123456", "123-456"},                               // literals not saved
      {"000-000;0;*", "12", "12****", "12*-***"},
      {">LL-\\A", "xy", "XY-A", "XY-A"},    // upper case, escaped literal
      {"00:00", "1a:30", "1_:30", "1_:30"},  // a character that does not fit stays blank
  };
  Owned<Form> f(Create<Form>());
  for (const Case& c : cases) {
    auto* e = new MaskEdit(f.get());
    e->EditMask = c.mask;
    e->SetText(c.set);
    EXPECT_EQ(e->Text(), c.text) << c.mask << " <- " << c.set;
    EXPECT_EQ(e->DisplayText(), c.shown) << c.mask << " <- " << c.set;
  }
  // An edit without a mask keeps its text as given; the reflection property refits at once.
  auto* plain = new Edit(f.get());
  plain->SetText("2024-01-05 08:30:00");
  EXPECT_EQ(plain->Text(), "2024-01-05 08:30:00");
  plain->SetProperty("EditMask", "9999-99-99;1;_");
  EXPECT_EQ(plain->Text(), "2024-01-05");
}

TEST_F(UiTest, MaskedEditTypingSkipsLiteralsAndChecksOnExit) {
  Owned<Form> f(Create<Form>());
  auto* e = Make<MaskEdit>(f.get(), "met_time");
  auto* next = Make<Edit>(f.get(), "next");
  e->EditMask = "0000-99-99 99:99";
  f->Show();
  ASSERT_TRUE(e->Focused());
  EXPECT_EQ(e->Text(), "____-__-__ __:__");  // entering shows the positions

  user::Type("202401050830");
  EXPECT_EQ(e->Text(), "2024-01-05 08:30");
  EXPECT_EQ(e->SelStart(), 16);
  user::Press(VK_BACK);  // blanks the last position
  EXPECT_EQ(e->Text(), "2024-01-05 08:3_");
  user::Press(VK_LEFT);
  user::Press(VK_LEFT);  // over the ':'
  EXPECT_EQ(e->SelStart(), 12);
  int beeps = App().BeepCount();
  user::Type("x");  // not a digit: refused
  EXPECT_EQ(e->Text(), "2024-01-05 08:3_");
  EXPECT_EQ(App().BeepCount(), beeps + 1);
  user::Type("9");  // overwrites, the caret jumps the literal
  EXPECT_EQ(e->Text(), "2024-01-05 09:3_");
  EXPECT_EQ(e->SelStart(), 14);

  // Home, two steps right, Delete: a required digit is blanked and leaving is refused.
  user::Press(VK_HOME);
  user::Press(VK_RIGHT);
  user::Press(VK_RIGHT);
  user::Press(VK_DELETE);
  EXPECT_EQ(e->Text(), "20_4-01-05 09:3_");
  EXPECT_FALSE(user::Focus(*next));
  EXPECT_TRUE(e->Focused());
  ASSERT_FALSE(ErrorTexts().empty());
  EXPECT_NE(ErrorTexts().back().find("Invalid input value \"20_4-01-05 09:3_\""), std::string::npos);
  user::Type("2");
  EXPECT_TRUE(user::Focus(*next));  // optional positions may stay blank

  // Typing the literal that stands at the caret steps over it; all blank counts as empty.
  user::Focus(*e);
  e->SetSel(4, 0);
  user::Type("-");
  EXPECT_EQ(e->SelStart(), 5);
  e->SelectAll();
  user::Press(VK_DELETE);
  EXPECT_TRUE(e->MaskBlank());
  EXPECT_TRUE(user::Focus(*next));
}

TEST_F(UiTest, ActionsDriveTheirLinkedControls) {
  Owned<Form> f(Create<Form>());
  auto* list = new ActionList(f.get());
  auto* act = new Action(list);
  act->SetName("actPrint");
  act->SetCaption("打印P");
  act->SetHint("打印医嘱单");
  act->SetImageIndex(3);
  int executed = 0;
  act->OnExecute = [&](Component&) { ++executed; };
  auto* btn = Make<BitBtn>(f.get(), "btnprint");
  auto* tool = new ToolButton(f.get());
  tool->SetParent(f.get());
  auto* mm = new MainMenu(f.get());
  MenuItem* item = mm->Items().AddItem("x");
  btn->SetAction(act);
  tool->SetAction(act);
  item->SetAction(act);
  EXPECT_EQ(btn->Caption(), "打印P");
  EXPECT_EQ(tool->Hint(), "打印医嘱单");
  EXPECT_EQ(item->Caption, "打印P");
  EXPECT_EQ(btn->ImageIndex, 3);
  EXPECT_EQ(btn->GetProperty("Action"), "actPrint");

  // Every change of the action reaches each linked control.
  act->SetEnabled(false);
  act->SetChecked(true);
  act->SetImageIndex(5);
  EXPECT_FALSE(btn->Enabled());
  EXPECT_FALSE(tool->Enabled());
  EXPECT_FALSE(item->Enabled);
  EXPECT_TRUE(tool->Down);
  EXPECT_TRUE(item->Checked);
  EXPECT_EQ(tool->ImageIndex, 5);
  act->SetProperty("Visible", "False");
  EXPECT_FALSE(btn->Visible());
  EXPECT_FALSE(item->Visible);
  act->SetVisible(true);
  act->SetEnabled(true);
  act->SetCaption("打印(&P)");
  EXPECT_EQ(tool->Caption(), "打印(&P)");

  // Clicking any of them executes the action; a control's own OnClick comes instead.
  f->Show();
  user::Click(*btn);
  user::Click(*tool);
  item->Click();
  EXPECT_EQ(executed, 3);
  int own = 0;
  btn->OnClick = [&](Component&) { ++own; };
  user::Click(*btn);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(executed, 3);
  act->OnUpdate = [&](Component& a) { static_cast<Action&>(a).SetEnabled(false); };
  tool->Click();  // the update disables it before it runs
  EXPECT_EQ(executed, 3);
  EXPECT_FALSE(tool->Enabled());

  // Freed, the action leaves its controls unlinked.
  act->Free();
  EXPECT_EQ(btn->GetAction(), nullptr);
  EXPECT_EQ(tool->GetAction(), nullptr);
  EXPECT_EQ(item->GetAction(), nullptr);
  item->Click();
  EXPECT_EQ(executed, 3);
}

TEST_F(UiTest, AltAcceleratorOpensMainMenuItems) {
  Owned<Form> f(Create<Form>());
  Make<Edit>(f.get(), "e");
  auto* mm = new MainMenu(f.get());
  std::string log;
  MenuItem* file = mm->Items().AddItem("文件(&F)", 0, [&](Component&) { log += "file "; });
  file->AddItem("退出(&X)", 0, [&](Component&) { log += "exit "; });
  mm->Items().AddItem("打印(&P)", 0, [&](Component&) { log += "print "; });
  mm->Items().AddItem("配置(&C)", 0, [&](Component&) { log += "config "; })->Enabled = false;
  f->Menu = mm;
  f->Show();
  user::Press('P', ssAlt);
  EXPECT_EQ(log, "print ");
  EXPECT_EQ(mm->DroppedItem(), nullptr);
  user::Press('F', ssAlt);  // an item with sub-items opens
  EXPECT_EQ(log, "print file ");
  EXPECT_EQ(mm->DroppedItem(), file);
  mm->CloseUp();
  user::Press('C', ssAlt);  // disabled
  user::Press('Z', ssAlt);  // nobody's letter
  EXPECT_EQ(log, "print file ");
  // A control's accelerator comes before the menu's.
  auto* b = Make<Button>(f.get(), "choosePatient");
  b->SetCaption("choosePatient&P");
  b->OnClick = [&](Component&) { log += "button "; };
  user::Press('P', ssAlt);
  EXPECT_EQ(log, "print file button ");
}

TEST_F(UiTest, StackingOrderOfChildren) {
  Owned<Form> f(Create<Form>());
  f->SetBounds(0, 0, 300, 200);
  auto* a = Make<Panel>(f.get(), "a", 10, 10);
  auto* b = Make<Panel>(f.get(), "b", 20, 15);
  auto* c = Make<Label>(f.get(), "c", 200, 100);
  EXPECT_EQ(a->ZOrder(), 0);
  EXPECT_EQ(c->ZOrder(), 2);
  EXPECT_EQ(f->ControlAtPos(Point{25, 20}), b);  // the later one lies over the earlier
  a->BringToFront();
  EXPECT_EQ(a->GetProperty("ZOrder"), "2");
  EXPECT_EQ(b->ZOrder(), 0);
  EXPECT_EQ(f->ControlAtPos(Point{25, 20}), a);
  c->SendToBack();
  EXPECT_EQ(c->ZOrder(), 0);
  EXPECT_EQ(a->ZOrder(), 2);
  b->SetParent(nullptr);  // leaving the parent closes the gap
  EXPECT_EQ(b->ZOrder(), -1);
  EXPECT_EQ(a->ZOrder(), 1);
  a->SetVisible(false);
  EXPECT_EQ(f->ControlAtPos(Point{25, 20}), nullptr);
  EXPECT_EQ(f->ControlAtPos(Point{205, 105}), c);
  b->Free();
}
