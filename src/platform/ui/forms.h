// Forms, the application object (loop, timers, modal driver, message boxes, event guard,
// busy cursor, beeps) and the user input functions that drive windows as a person would.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/ui/component.h"

namespace yz::ui {

class MainMenu;
class Timer;
class Button;

using ModalResult = int;
constexpr ModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                      mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11;

enum class CloseAction { None, Hide, Free, Minimize };
enum class BorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
enum class WindowState { Normal, Minimized, Maximized };
enum class Position { Designed, Default, DefaultPosOnly, DefaultSizeOnly, ScreenCenter, DesktopCenter, MainFormCenter, OwnerFormCenter };

using CloseEvent = std::function<void(Form& sender, CloseAction& action)>;
using CloseQueryEvent = std::function<void(Form& sender, bool& canClose)>;
using ShortCutEvent = std::function<void(Form& sender, Word& key, ShiftState shift, bool& handled)>;

class Form : public WinControl {
 public:
  explicit Form(Component* owner = nullptr);
  ~Form() override;
  std::string ClassName() const override { return "Form"; }
  void DescribeProps(PropList& out) const override;

  // Runs OnCreate; call once the window's components are built (Create<T> does it).
  void AfterConstruction();
  // Runs OnDestroy (once); Free and an owner's destruction call it.
  void BeforeDestruction() override;

  void Show();           // visible, OnShow, becomes the active form
  void Hide();
  void Close();          // close query, OnClose, then the close action
  bool CloseQuery();     // OnCloseQuery of the form (false keeps it open)
  void Release();        // frees the form once pending work has run
  ModalResult ShowModal();  // worked by the application's modal driver
  bool Modal() const { return modal_; }
  void Activate();       // makes it the active form

  ModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(ModalResult r);
  bool KeyPreview = false;
  BorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(BorderStyle b);
  WindowState GetWindowState() const { return windowState_; }
  void SetWindowState(WindowState w);
  Position GetPosition() const { return position_; }
  void SetPosition(Position p);
  MainMenu* Menu = nullptr;

  // Focus within the form.
  WinControl* ActiveControl() const { return active_; }
  void SetActiveControl(WinControl* c);  // as SetFocus on c (null clears the focus)
  // Moves the focus to the next (or previous) focusable control in tab order after `current`
  // (the active control when null), wrapping around.
  void SelectNext(WinControl* current = nullptr, bool forward = true, bool checkTabStop = true);
  // Windowed controls of the form in tab order (depth first).
  std::vector<WinControl*> TabOrderList() const;

  // Key stages of the form: short cuts (OnShortCut, main menu, action lists), accelerators
  // (Alt+letter on captions with &: the controls first, then the main menu), dialog keys (Tab, arrows, Enter to the default button,
  // Esc to the cancel button). Return true when the key was used.
  virtual bool IsShortCut(Word& key, ShiftState shift);
  virtual bool DialogChar(char32_t ch);
  virtual bool DialogKey(Word key, ShiftState shift);

  NotifyEvent OnCreate, OnShow, OnHide, OnDestroy, OnActivate, OnDeactivate;
  CloseEvent OnClose;
  CloseQueryEvent OnCloseQuery;
  ShortCutEvent OnShortCut;

  // Used by controls.
  void FocusControl(WinControl* c);
  void ControlGone(Control* c);
  void ControlHidden(Control* c);

 private:
  void EnterChain(WinControl* c, WinControl* stop);
  WinControl* active_ = nullptr;
  ModalResult modalResult_ = mrNone;
  BorderStyle borderStyle_ = BorderStyle::Sizeable;
  WindowState windowState_ = WindowState::Normal;
  Position position_ = Position::Designed;
  bool modal_ = false, created_ = false, destroyed_ = false, closing_ = false;
  unsigned focusSerial_ = 0;
  int exitDepth_ = 0;
};

// Makes a form (or any component) and runs its creation event.
template <class T, class... A>
T* Create(A&&... args) {
  T* f = new T(std::forward<A>(args)...);
  if constexpr (std::is_base_of_v<Form, T>) f->AfterConstruction();
  return f;
}

// ---- message boxes
enum class MsgIcon { None, Error, Warning, Information, Question };
enum MsgButton : unsigned { mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64 };
constexpr unsigned mbOKCancel = mbOK | mbCancel, mbYesNo = mbYes | mbNo, mbYesNoCancel = mbYes | mbNo | mbCancel,
                   mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

struct BoxRecord {
  std::string caption, text;
  MsgIcon icon = MsgIcon::None;
  unsigned buttons = mbOK;
  ModalResult answer = mrNone;
  bool errorDisplay = false;  // shown by the default error display
};

// ---- the application
class Application {
 public:
  static Application& Instance();
  // Back to a fresh state (tests): forgets boxes, answers, driver, beeps, cursor, posted work.
  void Reset();

  std::string Title = "yzinput";

  // Forms shown, the active one first gets keys.
  Form* ActiveForm() const;
  // Every form activated so far and still alive, the most recently activated last.
  const std::vector<Form*>& Forms() const { return forms_; }
  void SetActiveForm(Form* f);
  void FormGone(Form* f);

  // Modal driver: works a modal form's controls and ends it (modal result or Close).
  std::function<void(Form&)> ModalDriver;
  // How many ShowModal calls are running (posted work that frees forms must wait for 0).
  int ModalDepth() const { return modalDepth_; }

  // Message boxes, answered from the queue. `expectText`, when given, must be the box text.
  void QueueAnswer(ModalResult answer, std::string expectText = {});
  int PendingAnswers() const { return static_cast<int>(answers_.size()); }
  ModalResult MessageBox(const std::string& text, const std::string& caption, MsgIcon icon, unsigned buttons);
  void ShowMessage(const std::string& text) { MessageBox(text, Title, MsgIcon::None, mbOK); }
  const std::vector<BoxRecord>& Boxes() const { return boxes_; }
  void ClearBoxes() { boxes_.clear(); }
  // The default error display: a recorded error box with the text (needs no answer).
  void ShowException(const std::string& text);

  // The event guard: runs `action`; a silent abort ends it quietly, any other error goes to
  // the default error display. Returns false when it did not finish.
  bool Guard(const std::function<void()>& action);

  // Posted work, run by ProcessMessages in order.
  void Post(std::function<void()> work);
  void ProcessMessages();
  // Timers: Advance moves the process clock (a ManualClock) by ms, firing each due timer at
  // its time, in order; RunDueTimers fires what is due at the clock's present time.
  void Advance(std::int64_t ms);
  void RunDueTimers();
  void AddTimer(Timer* t);
  void RemoveTimer(Timer* t);

  // Busy cursor (crHourGlass while work runs) and its history of changes.
  int Cursor() const { return cursor_; }
  void SetCursor(int c);
  const std::vector<int>& CursorHistory() const { return cursorHistory_; }

  void Beep() { ++beeps_; }
  int BeepCount() const { return beeps_; }

 private:
  std::vector<Form*> forms_;  // most recently activated last
  std::deque<std::pair<ModalResult, std::string>> answers_;
  std::vector<BoxRecord> boxes_;
  std::deque<std::function<void()>> posted_;
  std::vector<Timer*> timers_;
  friend class Form;
  // The active timer due first, at or before `until`; null when none.
  Timer* NextTimer(std::int64_t until) const;
  int modalDepth_ = 0;
  int cursor_ = 0;
  std::vector<int> cursorHistory_;
  int beeps_ = 0;
};
inline Application& App() { return Application::Instance(); }

constexpr int crDefault = 0, crHourGlass = -11, crArrow = -2, crHandPoint = -21, crSQLWait = -17;

// Sets the hourglass for the life of the object and restores the previous cursor.
class BusyCursor {
 public:
  BusyCursor() : old_(App().Cursor()) { App().SetCursor(crHourGlass); }
  ~BusyCursor() { App().SetCursor(old_); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  int old_;
};

// ---- user input, as the platform delivers it. Each call runs inside the event guard and
// returns false when the input did nothing (disabled or hidden target) or an error ended it.
namespace user {
// A key pressed and released in the active form: short cuts, accelerators, dialog keys,
// key preview, the focused control's key down, the character (if the key makes one), key up.
bool Press(Word key, ShiftState shift = 0);
bool Press(Form& form, Word key, ShiftState shift = 0);
bool KeyDown(Form& form, Word key, ShiftState shift = 0);
bool KeyPress(Form& form, char32_t ch);
bool KeyUp(Form& form, Word key, ShiftState shift = 0);
// Types UTF-8 text into the focused control of the active form, one character at a time.
bool Type(const std::string& text);
bool Type(Form& form, const std::string& text);
// Mouse: press (focus moves to controls that take it on click), release, click.
bool Click(Control& c, ShiftState shift = 0);
bool RightClick(Control& c);  // mouse down with the right button, then the popup menu
bool DblClick(Control& c);
bool MouseDown(Control& c, MouseButton button, int x = 1, int y = 1, ShiftState shift = 0);
// Focus as by clicking into the control (enter/exit handlers run inside the guard).
bool Focus(WinControl& c);
}  // namespace user

}  // namespace yz::ui
