#include "platform/ui/forms.h"

#include <algorithm>
#include <climits>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/ui/controls.h"
#include "platform/ui/menus.h"

namespace yz::ui {

// ---------------------------------------------------------------- UTF-8

std::string CharToUtf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

std::u32string Utf8ToChars(std::string_view s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) {
      out += U'\uFFFD';  // an invalid byte becomes one replacement character
      ++i;
      continue;
    }
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (int k = 1; k < n; ++k) {
      unsigned char x = static_cast<unsigned char>(s[i + k]);
      if ((x & 0xC0) != 0x80) ok = false;
      c = c << 6 | (x & 0x3F);
    }
    if (!ok) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    out += c;
    i += n;
  }
  return out;
}

// ---------------------------------------------------------------- Form

static const char* CloseNames[] = {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"};
static const char* StateNames[] = {"wsNormal", "wsMinimized", "wsMaximized"};
static const char* PositionNames[] = {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                      "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};

template <size_t N>
static int EnumIndex(const char* (&names)[N], std::string_view v) {
  for (size_t i = 0; i < N; ++i)
    if (text::SameText(v, names[i])) return static_cast<int>(i);
  throw ConvertError("'" + std::string(v) + "' is not a valid value");
}

Form::Form(Component* owner) : WinControl(owner) {
  SetVisible(false);
  SetColor(clBtnFace);
}

Form::~Form() { App().FormGone(this); }

void Form::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(*this);
}

void Form::BeforeDestruction() {
  if (destroyed_) return;
  destroyed_ = true;
  if (OnDestroy) OnDestroy(*this);
  App().FormGone(this);
}

void Form::Activate() {
  App().SetActiveForm(this);
  if (OnActivate) OnActivate(*this);
}

void Form::Show() {
  bool was = Visible();
  SetVisible(true);
  if (!was && OnShow) OnShow(*this);
  Activate();
  if (!active_) SelectNext(nullptr, true, true);
}

void Form::Hide() {
  if (!Visible()) return;
  SetVisible(false);
  if (OnHide) OnHide(*this);
}

bool Form::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(*this, can);
  return can;
}

void Form::Close() {
  if (modal_) {
    SetModalResult(mrCancel);
    return;
  }
  if (closing_) return;
  closing_ = true;
  struct Reset {
    Form* f;
    ~Reset() { if (Alive(f)) f->closing_ = false; }
  } reset{this};
  if (!CloseQuery()) return;
  CloseAction action = CloseAction::Hide;
  if (OnClose) OnClose(*this, action);
  switch (action) {
    case CloseAction::None: break;
    case CloseAction::Hide: Hide(); break;
    case CloseAction::Minimize: SetWindowState(WindowState::Minimized); break;
    case CloseAction::Free: Hide(); Release(); break;
  }
}

void Form::Release() {
  Form* self = this;
  App().Post([self] {
    if (Alive(self)) self->Free();
  });
}

void Form::SetModalResult(ModalResult r) {
  modalResult_ = r;
  Changed("ModalResult");
  if (!modal_ || r == mrNone || closing_) return;
  // The modal loop closes the form as soon as a result is set; a refusing close query or a
  // close action of "none" keeps it open with the result cleared.
  closing_ = true;
  bool ok = false;
  try {
    CloseAction action = CloseAction::None;
    if (CloseQuery()) {
      action = CloseAction::Hide;
      if (OnClose) OnClose(*this, action);
    }
    closing_ = false;
    if (action == CloseAction::None) {
      modalResult_ = mrNone;
    } else {
      ok = true;
      if (action == CloseAction::Free) Release();
    }
  } catch (...) {
    closing_ = false;
    modalResult_ = mrNone;
    throw;
  }
  if (ok) {
    modal_ = false;
    Hide();
  }
}

ModalResult Form::ShowModal() {
  if (modal_ || Visible()) throw Error("Cannot make a visible window modal (" + Name() + ")");
  auto driver = App().ModalDriver;
  if (!driver) throw Error("No modal driver to work the window " + Name() + " \"" + Caption() + "\"");
  Form* previous = App().ActiveForm();
  struct Depth {
    Depth() { ++App().modalDepth_; }
    ~Depth() { --App().modalDepth_; }
  } depth;
  modalResult_ = mrNone;
  modal_ = true;
  Show();
  try {
    driver(*this);
  } catch (...) {
    if (Alive(this)) {
      modal_ = false;
      Hide();
    }
    if (Alive(previous)) previous->Activate();
    throw;
  }
  if (modal_) {
    // The driver left the window open: there is no user to end it, so say so loudly.
    modal_ = false;
    Hide();
    if (Alive(previous)) previous->Activate();
    throw Error("The modal window " + Name() + " \"" + Caption() + "\" was not closed by its driver");
  }
  if (Alive(previous)) previous->Activate();
  return modalResult_;
}

void Form::SetBorderStyle(BorderStyle b) {
  borderStyle_ = b;
  Changed("BorderStyle");
}

void Form::SetWindowState(WindowState w) {
  windowState_ = w;
  Changed("WindowState");
}

void Form::SetPosition(Position p) {
  position_ = p;
  Changed("Position");
}

void Form::SetActiveControl(WinControl* c) {
  if (!c) {
    active_ = nullptr;
    return;
  }
  c->SetFocus();
}

static void CollectTabs(const WinControl* w, std::vector<WinControl*>& out) {
  for (WinControl* c : w->TabList()) {
    out.push_back(c);
    CollectTabs(c, out);
  }
}

std::vector<WinControl*> Form::TabOrderList() const {
  std::vector<WinControl*> out;
  CollectTabs(this, out);
  return out;
}

void Form::SelectNext(WinControl* current, bool forward, bool checkTabStop) {
  if (!current) current = active_;
  auto list = TabOrderList();
  if (list.empty()) return;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[i] == current) start = i;
  if (start < 0) start = forward ? n - 1 : 0;
  for (int k = 1; k <= n; ++k) {
    int i = ((forward ? start + k : start - k) % n + n) % n;
    WinControl* w = list[i];
    if (w == current) break;
    if (w->CanFocus() && (!checkTabStop || w->TabStop())) {
      w->SetFocus();
      return;
    }
  }
}

static bool Contains(const WinControl* outer, const Control* inner) {
  for (const Control* c = inner; c; c = c->Parent())
    if (c == outer) return true;
  return false;
}

void Form::EnterChain(WinControl* c, WinControl* stop) {
  std::vector<WinControl*> chain;
  for (WinControl* w = c; w && w != this && w != stop; w = w->Parent()) chain.push_back(w);
  unsigned serial = focusSerial_;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    (*it)->DoEnter();
    if (serial != focusSerial_ || !Alive(this)) return;  // an enter handler moved the focus
  }
}

void Form::FocusControl(WinControl* c) {
  if (c == active_) {
    ++focusSerial_;
    if (Visible()) App().SetActiveForm(this);
    return;
  }
  WinControl* old = active_;
  if (exitDepth_ > 0) {
    // An exit handler moves the focus itself: it goes there at once.
    ++focusSerial_;
    active_ = c;
    Changed("ActiveControl");
    EnterChain(c, nullptr);
    return;
  }
  unsigned serial = ++focusSerial_;
  WinControl* common = nullptr;
  if (old) {
    for (WinControl* w = old->Parent(); w; w = w->Parent())
      if (Contains(w, c)) {
        common = w;
        break;
      }
    ++exitDepth_;
    try {
      for (WinControl* w = old; w && w != this && w != common; w = w->Parent()) {
        w->DoExit();
        if (serial != focusSerial_) break;
      }
    } catch (...) {
      --exitDepth_;
      throw;
    }
    --exitDepth_;
    if (serial != focusSerial_) return;
  }
  active_ = c;
  Changed("ActiveControl");
  if (Visible()) App().SetActiveForm(this);
  EnterChain(c, common);
}

void Form::ControlGone(Control* c) {
  if (active_ && Contains(dynamic_cast<WinControl*>(c), active_)) active_ = nullptr;
  if (active_ == c) active_ = nullptr;
}

void Form::ControlHidden(Control* c) {
  auto* w = dynamic_cast<WinControl*>(c);
  if (w && active_ && Contains(w, active_)) active_ = nullptr;
}

bool Form::IsShortCut(Word& key, ShiftState shift) {
  bool handled = false;
  if (OnShortCut) OnShortCut(*this, key, shift, handled);
  if (handled || key == 0) return true;
  ShortCut sc = MakeShortCut(key, shift);
  if (Menu)
    if (MenuItem* item = Menu->FindShortCut(sc)) {
      item->Click();
      return true;
    }
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<ActionList*>(Components(i)))
      if (Action* a = list->FindShortCut(sc)) {
        a->Execute();
        return true;
      }
  return false;
}

static bool AccelIn(WinControl* w, char32_t ch) {
  for (int i = 0; i < w->ControlCount(); ++i) {
    Control* c = w->Controls(i);
    if (!c->Visible() || !c->Enabled()) continue;
    if (c->Accelerator() == ch && c->AcceleratorUsed()) return true;
    if (auto* cw = dynamic_cast<WinControl*>(c))
      if (AccelIn(cw, ch)) return true;
  }
  return false;
}

bool Form::DialogChar(char32_t ch) {
  if (ch >= 'a' && ch <= 'z') ch -= 32;
  // The controls' accelerators come first, then the main menu's top-level items.
  if (AccelIn(this, ch)) return true;
  return Menu && Alive(Menu) && Menu->OpenAccelerator(ch);
}

static Button* FindButton(WinControl* w, bool cancel) {
  for (int i = 0; i < w->ControlCount(); ++i) {
    Control* c = w->Controls(i);
    if (auto* b = dynamic_cast<Button*>(c); b && (cancel ? b->Cancel : b->Default) && b->Showing() && b->IsEnabled())
      return b;
    if (auto* cw = dynamic_cast<WinControl*>(c))
      if (Button* b = FindButton(cw, cancel)) return b;
  }
  return nullptr;
}

bool Form::DialogKey(Word key, ShiftState shift) {
  switch (key) {
    case VK_TAB:
      if (shift & (ssCtrl | ssAlt)) return false;
      SelectNext(active_, !(shift & ssShift), true);
      return true;
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
      if (!active_) return false;
      SelectNext(active_, key == VK_RIGHT || key == VK_DOWN, true);
      return true;
    case VK_RETURN: case VK_ESCAPE: {
      Button* b = nullptr;
      if (key == VK_RETURN) b = dynamic_cast<Button*>(active_);
      if (!b) b = FindButton(this, key == VK_ESCAPE);
      if (!b) return false;
      b->Click();
      return true;
    }
    default: return false;
  }
}

static const PropDef FormProps[] = {
    {"BorderStyle", [](const Component& c) -> std::string { return CloseNames[static_cast<int>(static_cast<const Form&>(c).GetBorderStyle())]; },
     [](Component& c, std::string_view v) { static_cast<Form&>(c).SetBorderStyle(static_cast<BorderStyle>(EnumIndex(CloseNames, v))); }},
    {"WindowState", [](const Component& c) -> std::string { return StateNames[static_cast<int>(static_cast<const Form&>(c).GetWindowState())]; },
     [](Component& c, std::string_view v) { static_cast<Form&>(c).SetWindowState(static_cast<WindowState>(EnumIndex(StateNames, v))); }},
    {"Position", [](const Component& c) -> std::string { return PositionNames[static_cast<int>(static_cast<const Form&>(c).GetPosition())]; },
     [](Component& c, std::string_view v) { static_cast<Form&>(c).SetPosition(static_cast<Position>(EnumIndex(PositionNames, v))); }},
    {"ModalResult", [](const Component& c) { return std::to_string(static_cast<const Form&>(c).GetModalResult()); },
     [](Component& c, std::string_view v) { static_cast<Form&>(c).SetModalResult(ParseInt(v)); }},
    {"KeyPreview", [](const Component& c) { return BoolText(static_cast<const Form&>(c).KeyPreview); },
     [](Component& c, std::string_view v) { static_cast<Form&>(c).KeyPreview = ParseBool(v); }},
    {"ActiveControl", [](const Component& c) { auto* a = static_cast<const Form&>(c).ActiveControl(); return a ? a->Name() : std::string(); }, nullptr},
};

void Form::DescribeProps(PropList& out) const {
  WinControl::DescribeProps(out);
  for (auto& p : FormProps) out.push_back(&p);
}

// ---------------------------------------------------------------- Application

Application& Application::Instance() {
  static Application app;
  return app;
}

void Application::Reset() {
  ModalDriver = nullptr;
  answers_.clear();
  boxes_.clear();
  posted_.clear();
  cursor_ = crDefault;
  cursorHistory_.clear();
  beeps_ = 0;
}

Form* Application::ActiveForm() const {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
    if ((*it)->Visible()) return *it;
  return nullptr;
}

void Application::SetActiveForm(Form* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  forms_.push_back(f);
}

void Application::FormGone(Form* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
}

void Application::QueueAnswer(ModalResult answer, std::string expectText) {
  answers_.emplace_back(answer, std::move(expectText));
}

static unsigned ButtonOf(ModalResult r) {
  switch (r) {
    case mrOk: return mbOK;
    case mrCancel: return mbCancel;
    case mrYes: return mbYes;
    case mrNo: return mbNo;
    case mrAbort: return mbAbort;
    case mrRetry: return mbRetry;
    case mrIgnore: return mbIgnore;
    default: return 0;
  }
}

ModalResult Application::MessageBox(const std::string& text, const std::string& caption, MsgIcon icon, unsigned buttons) {
  BoxRecord r{caption, text, icon, buttons, mrNone, false};
  if (answers_.empty()) {
    boxes_.push_back(r);
    throw Error("Unexpected message box: " + text);
  }
  auto [answer, expect] = answers_.front();
  answers_.pop_front();
  if (!expect.empty() && expect != text) {
    boxes_.push_back(r);
    throw Error("Message box \"" + text + "\" came where \"" + expect + "\" was expected");
  }
  if (!(ButtonOf(answer) & buttons)) {
    boxes_.push_back(r);
    throw Error("The answer " + std::to_string(answer) + " is not a button of the message box \"" + text + "\"");
  }
  r.answer = answer;
  boxes_.push_back(r);
  return answer;
}

void Application::ShowException(const std::string& text) {
  boxes_.push_back(BoxRecord{Title, text, MsgIcon::Error, mbOK, mrOk, true});
}

bool Application::Guard(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const Abort&) {
    return false;
  } catch (const std::exception& e) {
    ShowException(e.what());
    return false;
  } catch (...) {
    ShowException("Unknown error");
    return false;
  }
}

void Application::Post(std::function<void()> work) { posted_.push_back(std::move(work)); }

void Application::ProcessMessages() {
  while (!posted_.empty()) {
    auto work = std::move(posted_.front());
    posted_.pop_front();
    Guard(work);
  }
}

void Application::AddTimer(Timer* t) {
  if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) timers_.push_back(t);
}

void Application::RemoveTimer(Timer* t) { timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end()); }

Timer* Application::NextTimer(int64_t until) const {
  Timer* next = nullptr;
  for (Timer* t : timers_)
    if (t->Active() && t->Due() <= until && (!next || t->Due() < next->Due())) next = t;
  return next;
}

void Application::RunDueTimers() {
  int64_t now = GetClock().Milliseconds();
  while (Timer* next = NextTimer(now)) {
    next->Fire();
    ProcessMessages();
  }
}

void Application::Advance(int64_t ms) {
  auto* clock = dynamic_cast<ManualClock*>(&GetClock());
  if (!clock) throw Error("Advance needs the manual clock installed as the process clock");
  int64_t end = clock->Milliseconds() + ms;
  while (Timer* next = NextTimer(end)) {
    if (next->Due() > clock->Milliseconds()) clock->Advance(next->Due() - clock->Milliseconds());
    next->Fire();
    ProcessMessages();
  }
  if (end > clock->Milliseconds()) clock->Advance(end - clock->Milliseconds());
  ProcessMessages();
}

void Application::SetCursor(int c) {
  cursor_ = c;
  cursorHistory_.push_back(c);
}

// ---------------------------------------------------------------- user input

namespace user {
namespace {

char32_t CharOf(Word key, ShiftState shift) {
  if (shift & (ssCtrl | ssAlt)) return 0;
  switch (key) {
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_SPACE: return ' ';
    default: break;
  }
  if (key >= 'A' && key <= 'Z') return (shift & ssShift) ? key : key + 32;
  if (key >= '0' && key <= '9' && !(shift & ssShift)) return key;
  return 0;
}

bool IsDialogKey(Word key) {
  return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || (key >= VK_LEFT && key <= VK_DOWN);
}

WinControl* Target(Form& form) {
  WinControl* t = form.ActiveControl();
  return t ? t : &form;
}

void DoKeyDown(Form& form, WinControl* t, Word& key, ShiftState shift) {
  if (form.KeyPreview && t != &form && form.OnKeyDown) form.OnKeyDown(form, key, shift);
  if (key && Component::Alive(t)) t->DoKeyDown(key, shift);
}

void DoKeyPress(Form& form, WinControl* t, char32_t ch) {
  if (form.KeyPreview && t != &form && form.OnKeyPress) form.OnKeyPress(form, ch);
  if (ch && Component::Alive(t)) t->DoKeyPress(ch);
}

void DoKeyUp(Form& form, Word key, ShiftState shift) {
  if (!Component::Alive(&form)) return;
  WinControl* t = Target(form);
  if (form.KeyPreview && t != &form && form.OnKeyUp) form.OnKeyUp(form, key, shift);
  if (key && Component::Alive(t)) t->DoKeyUp(key, shift);
}

// One key as the platform delivers it; `ch` is the character it types (0: none).
void Deliver(Form& form, Word key, ShiftState shift, char32_t ch) {
  WinControl* t = Target(form);
  if (key) {
    Word k = key;
    if (form.IsShortCut(k, shift)) return DoKeyUp(form, key, shift);
    if (!Component::Alive(&form)) return;
    if ((shift & ssAlt) && !(shift & ssCtrl) && form.DialogChar(key)) return DoKeyUp(form, key, shift);
    if (!Component::Alive(&form)) return;
    t = Target(form);
    if (IsDialogKey(key) && !(shift & ssAlt) && !t->WantsKey(key) && form.DialogKey(key, shift))
      return DoKeyUp(form, key, shift);
    if (!Component::Alive(&form)) return;
    t = Target(form);
    DoKeyDown(form, t, k, shift);
    if (!Component::Alive(&form)) return;
  }
  if (ch) DoKeyPress(form, t, ch);
  if (key) DoKeyUp(form, key, shift);
}

Form* ActiveOrFail() {
  Form* f = App().ActiveForm();
  if (!f) throw Error("No window is active to receive the input");
  return f;
}

}  // namespace

bool Press(Form& form, Word key, ShiftState shift) {
  return App().Guard([&] { Deliver(form, key, shift, CharOf(key, shift)); });
}

bool Press(Word key, ShiftState shift) {
  return App().Guard([&] { Deliver(*ActiveOrFail(), key, shift, CharOf(key, shift)); });
}

bool KeyDown(Form& form, Word key, ShiftState shift) {
  return App().Guard([&] {
    Word k = key;
    if (form.IsShortCut(k, shift)) return;
    WinControl* t = Target(form);
    if (IsDialogKey(key) && !t->WantsKey(key) && form.DialogKey(key, shift)) return;
    DoKeyDown(form, Target(form), k, shift);
  });
}

bool KeyPress(Form& form, char32_t ch) {
  return App().Guard([&] { DoKeyPress(form, Target(form), ch); });
}

bool KeyUp(Form& form, Word key, ShiftState shift) {
  return App().Guard([&] { DoKeyUp(form, key, shift); });
}

bool Type(Form& form, const std::string& text) {
  return App().Guard([&] {
    for (char32_t ch : Utf8ToChars(text)) {
      if (!Component::Alive(&form)) return;
      if (ch < 0x80 && isalnum(static_cast<int>(ch))) {
        bool upper = ch >= 'A' && ch <= 'Z';
        Word key = static_cast<Word>(toupper(static_cast<int>(ch)));
        Deliver(form, key, upper ? ShiftState{ssShift} : ShiftState{0}, ch);
      } else if (ch == ' ') {
        Deliver(form, VK_SPACE, 0, ch);
      } else {
        Deliver(form, 0, 0, ch);  // through the input method: a character only
      }
    }
  });
}

bool Type(const std::string& text) {
  Form* f = App().ActiveForm();
  if (!f) {
    App().ShowException("No window is active to receive the input");
    return false;
  }
  return Type(*f, text);
}

static bool Usable(Control& c) {
  if (!c.Showing() || !c.IsEnabled()) return false;
  Form* f = c.GetParentForm();
  return !f || f->Visible() || f == &c;
}

bool MouseDown(Control& c, MouseButton button, int x, int y, ShiftState shift) {
  if (!Usable(c)) return false;
  return App().Guard([&] { c.MouseDown(button, shift, x, y); });
}

bool Click(Control& c, ShiftState shift) {
  if (!Usable(c)) return false;
  bool done = false;
  App().Guard([&] {
    c.MouseDown(MouseButton::Left, shift | ssLeft, 1, 1);
    if (!Component::Alive(&c)) return;
    if (auto* w = dynamic_cast<WinControl*>(&c); w && w->TakesFocusOnClick() && w->CanFocus() && !w->Focused()) {
      w->SetFocus();
      // The focus was refused (an exit handler kept it elsewhere): the click does not happen.
      if (!Component::Alive(&c) || !w->Focused()) return;
    }
    c.MouseUp(MouseButton::Left, shift | ssLeft, 1, 1);
    if (!Component::Alive(&c)) return;
    c.UserClick();
    done = true;
  });
  return done;
}

bool RightClick(Control& c) {
  if (!Usable(c)) return false;
  return App().Guard([&] {
    c.MouseDown(MouseButton::Right, ssRight, 1, 1);
    if (!Component::Alive(&c)) return;
    c.MouseUp(MouseButton::Right, ssRight, 1, 1);
    for (Control* p = &c; p; p = p->Parent())
      if (PopupMenu* m = p->GetPopupMenu(); m && m->AutoPopup) {
        Point at = c.ClientToScreen(Point{1, 1});
        m->PopupComponent = &c;
        m->Popup(at.X, at.Y);
        return;
      }
  });
}

bool DblClick(Control& c) {
  if (!Click(c)) return false;
  return App().Guard([&] {
    c.MouseDown(MouseButton::Left, ssLeft | ssDouble, 1, 1);
    if (!Component::Alive(&c)) return;
    c.DblClick();
    if (!Component::Alive(&c)) return;
    c.MouseUp(MouseButton::Left, ssLeft, 1, 1);
  });
}

bool Focus(WinControl& c) {
  bool ok = App().Guard([&] { c.SetFocus(); });
  return ok && Component::Alive(&c) && c.Focused();
}

}  // namespace user

}  // namespace yz::ui
