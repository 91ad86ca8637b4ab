// Core of the headless widget toolkit: components, controls, windowed controls, keys,
// colours, fonts, reflection by property name and peers.
//
// Ownership: a component owns the components created with it as owner and destroys them
// (last created first). Free() runs BeforeDestruction (a form's OnDestroy) and deletes.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/window.h"

namespace yz::ui {

class Component;
class Control;
class WinControl;
class Form;
class PopupMenu;

// ---- keys and mouse
using Word = std::uint16_t;
enum ShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssDouble = 32 };
using ShiftState = unsigned;
constexpr Word VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
               VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36,
               VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46,
               VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75,
               VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B;
// Letters and digits use their upper-case ASCII code ('A', '7').
enum class MouseButton { Left, Right, Middle };
// A short cut is a key code with ssShift/ssAlt/ssCtrl in the upper bits.
using ShortCut = std::uint32_t;
constexpr ShortCut MakeShortCut(Word key, ShiftState shift) { return key | (shift & 7u) << 16; }
// "F1", "Ctrl+S", "Alt+X"; empty text is no short cut. Unknown text fails with yz::Error.
ShortCut TextToShortCut(std::string_view text);
std::string ShortCutToText(ShortCut sc);
// The accelerator letter of a caption ("打印(&P)" -> 'P', upper case; "&&" is a plain '&'),
// 0 when none.
char32_t AcceleratorOf(std::string_view caption);

// ---- colours: 0x00BBGGRR, or a system colour 0x80000000 + index
using Color = std::uint32_t;
constexpr Color clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr Color clSystemColor = 0x80000000;
constexpr Color clScrollBar = 0x80000000, clBackground = 0x80000001, clActiveCaption = 0x80000002,
                clWindow = 0x80000005, clWindowText = 0x80000008, clHighlight = 0x8000000D,
                clHighlightText = 0x8000000E, clBtnFace = 0x8000000F, clBtnShadow = 0x80000010,
                clGrayText = 0x80000011, clBtnText = 0x80000012, clInfoBk = 0x80000018;
constexpr Color clNone = 0x1FFFFFFF, clDefault = 0x20000000;
constexpr Color RGB(unsigned r, unsigned g, unsigned b) { return (r & 255) | (g & 255) << 8 | (b & 255) << 16; }
// A system colour resolved to its RGB value (the classic defaults); other colours unchanged.
Color ColorToRGB(Color c);
// "clRed" for named colours, else "$00BBGGRR"; parsing also takes decimal numbers.
std::string ColorToString(Color c);
Color StringToColor(std::string_view text);  // throws yz::ConvertError

struct Font {
  std::string Name = "宋体";
  int Height = 12;  // pixels
  ui::Color Color = clWindowText;
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  int Charset = 134;  // GB2312
  friend bool operator==(const Font&, const Font&) = default;
};

struct Point {
  int X = 0, Y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
struct Rect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// ---- events (handlers are values: read, store, replace, chain, run by hand)
using NotifyEvent = std::function<void(Component& sender)>;
using KeyEvent = std::function<void(Component& sender, Word& key, ShiftState shift)>;
using KeyPressEvent = std::function<void(Component& sender, char32_t& key)>;
using MouseEvent = std::function<void(Component& sender, MouseButton button, ShiftState shift, int x, int y)>;

// ---- reflection
struct PropDef {
  const char* name;
  std::string (*get)(const Component&);
  void (*set)(Component&, std::string_view);  // null: read-only
};
using PropList = std::vector<const PropDef*>;

// Told of every property change of its control; may feed input back through the user
// input functions (forms.h) or SetProperty.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void PropertyChanged(Control& control, std::string_view name, const std::string& value) = 0;
};

class Component {
 public:
  explicit Component(Component* owner);
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  // Runs BeforeDestruction, then deletes the component (and what it owns).
  void Free();
  virtual void BeforeDestruction() {}
  bool Destroying() const { return destroying_; }

  Component* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Names are unique among the components of one owner (case-insensitive).
  void SetName(std::string name);
  int Tag() const { return tag_; }
  void SetTag(int v);

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  Component* Components(int i) const { return components_.at(i); }
  Component* FindComponent(std::string_view name) const;  // direct owned, case-insensitive
  // The class name shown by reflection; windows of the module override it with theirs.
  virtual std::string ClassName() const { return "Component"; }

  // Reflection by property name (case-insensitive). Unknown names fail with yz::Error naming
  // the property and the component; bad values with yz::ConvertError.
  std::vector<std::string> PropertyNames() const;
  bool HasProperty(std::string_view name) const;
  std::string GetProperty(std::string_view name) const;
  void SetProperty(std::string_view name, std::string_view value);
  virtual void DescribeProps(PropList& out) const;

  // Free notification: `other` is told through Notification when this component goes.
  void FreeNotification(Component* other);
  void RemoveFreeNotification(Component* other);
  virtual void Notification(Component* /*gone*/) {}

  // True while the component exists (tests use it to see a form freed).
  static bool Alive(const Component* c);

 protected:
  // Called after every property change; controls tell their peer.
  virtual void Changed(std::string_view /*property*/) {}

 private:
  friend class Control;
  friend class WinControl;
  Component* owner_;
  std::string name_;
  int tag_ = 0;
  bool destroying_ = false;
  std::vector<Component*> components_;
  std::vector<Component*> notifies_;
};

// Deleter that frees (so forms run OnDestroy); `Owned<T>` holds a top-level component.
struct FreeDeleter {
  void operator()(Component* c) const { if (c) c->Free(); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

enum class Align { None, Top, Bottom, Left, Right, Client };

class Control : public Component {
 public:
  explicit Control(Component* owner);
  ~Control() override;
  std::string ClassName() const override { return "Control"; }
  void DescribeProps(PropList& out) const override;
  void Notification(Component* gone) override;

  WinControl* Parent() const { return parent_; }
  virtual void SetParent(WinControl* parent);
  Form* GetParentForm() const;  // the top form this control sits on (itself for a form)

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  Rect BoundsRect() const { return Rect{left_, top_, left_ + width_, top_ + height_}; }
  Align GetAlign() const { return align_; }
  void SetAlign(Align a);
  Point ClientToScreen(Point p) const;
  Point ScreenToClient(Point p) const;

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Showing() const;  // visible with every parent visible
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);
  bool IsEnabled() const;  // enabled with every parent enabled

  Color GetColor() const { return color_; }
  void SetColor(Color c);
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& f);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string v);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  // Caption and Text are one text (labels and buttons call it caption, edits text).
  const std::string& Caption() const { return text_; }
  void SetCaption(std::string v) { SetText(std::move(v)); }
  const std::string& Text() const { return text_; }
  virtual void SetText(std::string v);
  // The accelerator letter of the caption ("&P" -> 'P'), 0 when none.
  char32_t Accelerator() const { return AcceleratorOf(Caption()); }
  PopupMenu* GetPopupMenu() const { return popup_; }
  void SetPopupMenu(PopupMenu* m);
  int Cursor() const { return cursor_; }
  void SetCursor(int c);

  // Stacking order among the parent's children: 0 is the bottom, the highest is drawn over
  // the others (new children go on top). -1 without a parent.
  int ZOrder() const;
  void BringToFront();
  void SendToBack();

  Peer* GetPeer() const { return peer_; }
  void SetPeer(Peer* p) { peer_ = p; }

  // Programmatic click: runs OnClick (buttons also set their form's modal result).
  virtual void Click();
  // What a user's click does (check boxes toggle, radio buttons check, then Click).
  virtual void UserClick() { Click(); }
  // Alt + the caption's accelerator letter; true when the control used it.
  virtual bool AcceleratorUsed() { return false; }
  virtual void DblClick();
  // Mouse events as delivered (used by the user input functions).
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  // Whether a user's mouse press moves the focus to this control.
  virtual bool TakesFocusOnClick() const { return false; }

  NotifyEvent OnClick, OnDblClick;
  MouseEvent OnMouseDown, OnMouseUp;

 protected:
  void Changed(std::string_view property) override;
  void SetTextSilently(std::string v) { text_ = std::move(v); }

 private:
  WinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  Align align_ = Align::None;
  bool visible_ = true, enabled_ = true, showHint_ = false;
  Color color_ = clBtnFace;
  Font font_;
  std::string hint_, text_;
  PopupMenu* popup_ = nullptr;
  int cursor_ = 0;
  Peer* peer_ = nullptr;
};

// A control that can hold the focus and contain other controls.
class WinControl : public Control {
 public:
  explicit WinControl(Component* owner);
  ~WinControl() override;
  std::string ClassName() const override { return "WinControl"; }
  void DescribeProps(PropList& out) const override;
  void SetParent(WinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  Control* Controls(int i) const { return controls_.at(i); }
  // Lays out aligned children (top, bottom, left, right, then client) in the client area.
  void Realign();
  // The topmost showing child whose bounds hold the point (client coordinates), or null.
  Control* ControlAtPos(Point p) const;

  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  // The windowed children in tab order.
  std::vector<WinControl*> TabList() const;

  // A handle in the window-system stand-in, made on first use.
  os::HWND Handle();
  bool HandleAllocated() const { return handle_ != 0; }
  static WinControl* FromHandle(os::HWND h);

  virtual bool CanFocus() const;  // showing and enabled (with parents) and on a form
  bool Focused() const;
  // Moves the focus here; fails with yz::Error when the control cannot take it. Enter and
  // exit handlers run; an exit handler may move the focus elsewhere or throw to refuse.
  void SetFocus();

  // Default handling after the handlers (the key is already past OnKeyDown/OnKeyPress).
  virtual void KeyDownDefault(Word& /*key*/, ShiftState /*shift*/) {}
  virtual void KeyPressDefault(char32_t& /*key*/) {}
  // Keys the control handles itself (else Tab/arrows/Enter/Esc go to the form first).
  virtual bool WantsKey(Word key) const;
  // Runs the control's own key stages (no form stages): OnKeyDown then default handling.
  void DoKeyDown(Word& key, ShiftState shift);
  void DoKeyPress(char32_t& key);
  void DoKeyUp(Word& key, ShiftState shift);

  // Focus events; called by the form.
  virtual void DoEnter();
  virtual void DoExit();

  NotifyEvent OnEnter, OnExit;
  KeyEvent OnKeyDown, OnKeyUp;
  KeyPressEvent OnKeyPress;

 bool TakesFocusOnClick() const override { return focusOnClick_; }

 protected:
  bool focusOnClick_ = false;

 private:
  friend class Control;
  std::vector<Control*> controls_;
  std::vector<Control*> stack_;  // children bottom first
  std::vector<WinControl*> tabs_;
  bool tabStop_ = false;
  os::HWND handle_ = 0;
};

// UTF-8 helpers for character input.
std::string CharToUtf8(char32_t c);
std::u32string Utf8ToChars(std::string_view s);

// Text conversions used by reflection.
std::string BoolText(bool v);
bool ParseBool(std::string_view text);  // "True"/"False"/"1"/"0", any case; else ConvertError
int ParseInt(std::string_view text);    // ConvertError naming the text

}  // namespace yz::ui
