// Standard controls: labels, edits, check boxes, radio buttons and groups, combo and list
// boxes, buttons, tool bars, containers, pages, shapes, images, progress, status labels.
#pragma once
#include <string>
#include <vector>

#include "platform/base/datetime.h"
#include "platform/ui/component.h"

namespace yz::ui {

class ImageList;
class Action;

class Label : public Control {
 public:
  explicit Label(Component* owner) : Control(owner) { SetColor(clBtnFace); }
  std::string ClassName() const override { return "Label"; }
  WinControl* FocusControl = nullptr;  // Alt + accelerator focuses it
  bool AcceleratorUsed() override;
};

// Single-line edit: text with a caret and selection (characters, not bytes).
//
// Edit masks ("mask;save-literals;blank", e.g. "9999-99-99 99:99;1;_"): '0' a required digit,
// '9' an optional digit, '#' an optional digit or sign, 'L'/'l' a required/optional letter,
// 'A'/'a' a required/optional letter or digit, 'C'/'c' a required/optional character, '>' and
// '<' turn what follows into upper/lower case ("<>" stops that), '\' makes the next character
// a literal, '_' stands for a literal blank, any other character is a literal shown in place.
// While a mask is active the edit overwrites one position per character, the caret skips the
// literals, Backspace and Delete blank a position and Text() answers the positions with the
// literals (save-literals "1", the default) or without them ("0"), unfilled positions as the
// blank character ('_' by default). Leaving the edit after a change that leaves a required
// position unfilled fails with yz::Error and keeps the focus; a text with no position filled
// counts as empty. Assign EditMask before the text (a masked edit shows its text fitted to
// the mask; the reflection property refits at once).
class Edit : public WinControl {
 public:
  explicit Edit(Component* owner);
  std::string ClassName() const override { return "Edit"; }
  void DescribeProps(PropList& out) const override;
  void SetText(std::string v) override;

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  int MaxLength = 0;           // characters; 0 no limit
  char32_t PasswordChar = 0;   // shown instead of each character
  std::string EditMask;        // see above; empty: no mask
  bool AutoSelect = true;      // entering selects all
  bool Modified = false;       // changed by the user since last set
  int SelStart() const { return selStart_; }
  int SelLength() const { return selLength_; }
  void SetSel(int start, int length);
  void SelectAll();
  std::string SelText() const;
  void ClearSelection();
  // What the screen shows (password characters for a password edit; a masked edit shows its
  // positions with the literals and the blank character).
  std::string DisplayText() const;
  // The mask in force: EditMask here; a data-aware edit adds its field's mask while focused.
  virtual std::string ActiveMask() const { return EditMask; }
  bool IsMasked() const { return !ActiveMask().empty(); }
  // A masked edit with no position filled.
  bool MaskBlank() const;
  // Fails with yz::Error when a masked edit changed by the user leaves a required position
  // unfilled (a text with no position filled is accepted as empty).
  void ValidateEdit() const;

  NotifyEvent OnChange;

  void KeyDownDefault(Word& key, ShiftState shift) override;
  void KeyPressDefault(char32_t& key) override;
  bool WantsKey(Word key) const override { return key == VK_LEFT || key == VK_RIGHT; }
  void DoEnter() override;
  void DoExit() override;  // checks the mask first

 protected:
  // Called when the user is about to change the text; false refuses (read-only).
  virtual bool CanModify() { return !readOnly_; }
  virtual void Change();  // runs OnChange
  void ReplaceSelection(const std::string& s);
  // Refits the text to the active mask without a change event (a mask came into force).
  void FitTextToMask();

 private:
  struct Mask;
  Mask CurrentMask() const;
  std::u32string Cells(const Mask& m) const;
  void StoreCells(const Mask& m, const std::u32string& cells, int caret);
  void MaskKeyPress(const Mask& m, char32_t key);
  void MaskKeyDown(const Mask& m, Word key, ShiftState shift);
  int CaretLimit() const;
  bool readOnly_ = false;
  int selStart_ = 0, selLength_ = 0;
  // The text as last fitted to a mask, and that mask: while Text() still equals it, the text
  // is read back position by position; any other text is fitted afresh.
  std::string maskedText_, maskOfText_;
};

class MaskEdit : public Edit {
 public:
  using Edit::Edit;
  std::string ClassName() const override { return "MaskEdit"; }
};

enum class DateTimeKind { Date, Time };

class DateTimePicker : public WinControl {
 public:
  explicit DateTimePicker(Component* owner);
  std::string ClassName() const override { return "DateTimePicker"; }
  void DescribeProps(PropList& out) const override;
  DateTime Value() const { return value_; }
  void SetValue(DateTime v);  // runs OnChange when it differs
  DateTimeKind Kind = DateTimeKind::Date;
  std::string Format;  // empty: yyyy-mm-dd for dates, hh:nn:ss for times
  bool ShowCheckbox = false;
  bool Checked = true;
  NotifyEvent OnChange, OnDropDown, OnCloseUp;

 private:
  void UpdateText();
  DateTime value_;
};

enum class CheckState { Unchecked, Checked, Grayed };

class CheckBox : public WinControl {
 public:
  explicit CheckBox(Component* owner);
  std::string ClassName() const override { return "CheckBox"; }
  void DescribeProps(PropList& out) const override;
  bool Checked() const { return state_ == CheckState::Checked; }
  // Setting a different state runs OnClick, from code too.
  void SetChecked(bool v) { SetState(v ? CheckState::Checked : CheckState::Unchecked); }
  CheckState State() const { return state_; }
  virtual void SetState(CheckState s);
  bool AllowGrayed = false;
  void UserClick() override;
  bool AcceleratorUsed() override;
  void KeyPressDefault(char32_t& key) override;

 protected:
  virtual void Toggle();
  void SetStateSilently(CheckState s) { state_ = s; }

 private:
  CheckState state_ = CheckState::Unchecked;
};

class RadioButton : public WinControl {
 public:
  explicit RadioButton(Component* owner);
  std::string ClassName() const override { return "RadioButton"; }
  void DescribeProps(PropList& out) const override;
  bool Checked() const { return checked_; }
  // Checking unchecks the other radio buttons of the parent and runs OnClick.
  void SetChecked(bool v);
  void UserClick() override { SetChecked(true); }
  bool AcceleratorUsed() override;

 private:
  bool checked_ = false;
};

// A group of captioned choices; setting ItemIndex (from code too) runs OnClick.
class RadioGroup : public WinControl {
 public:
  explicit RadioGroup(Component* owner);
  std::string ClassName() const override { return "RadioGroup"; }
  void DescribeProps(PropList& out) const override;
  std::vector<std::string> Items;
  int Columns = 1;
  int ItemIndex() const { return itemIndex_; }
  virtual void SetItemIndex(int i);
  // A user click on item i (nothing when the group is disabled).
  void ClickItem(int i);
  void KeyDownDefault(Word& key, ShiftState shift) override;
  bool WantsKey(Word key) const override { return key >= VK_LEFT && key <= VK_DOWN; }

 private:
  int itemIndex_ = -1;
};

enum class ComboStyle { DropDown, DropDownList, Simple };

// Setting ItemIndex or Text from code runs no event; a user's choice runs OnClick, then
// OnSelect (or OnChange when OnSelect is not set), between OnDropDown and OnCloseUp.
class ComboBox : public WinControl {
 public:
  explicit ComboBox(Component* owner);
  std::string ClassName() const override { return "ComboBox"; }
  void DescribeProps(PropList& out) const override;
  std::vector<std::string> Items;
  ComboStyle Style = ComboStyle::DropDown;
  int DropDownCount = 8;
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i);
  void SetText(std::string v) override;
  bool DroppedDown() const { return dropped_; }
  void SetDroppedDown(bool v);  // runs OnDropDown / OnCloseUp
  // The user opens the list and picks item i.
  void SelectByUser(int i);
  NotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;
  void KeyDownDefault(Word& key, ShiftState shift) override;
  void KeyPressDefault(char32_t& key) override;
  bool WantsKey(Word key) const override { return key >= VK_LEFT && key <= VK_DOWN; }

 private:
  int itemIndex_ = -1;
  bool dropped_ = false;
};

class ListBox : public WinControl {
 public:
  explicit ListBox(Component* owner);
  std::string ClassName() const override { return "ListBox"; }
  void DescribeProps(PropList& out) const override;
  std::vector<std::string> Items;
  bool MultiSelect = false;
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i);  // no event
  bool Selected(int i) const;
  void SetSelected(int i, bool v);
  int SelCount() const;
  void ClickItem(int i, ShiftState shift = 0);  // user click: selects, OnClick
  void KeyDownDefault(Word& key, ShiftState shift) override;
  bool WantsKey(Word key) const override { return key >= VK_LEFT && key <= VK_DOWN; }

 private:
  int itemIndex_ = -1;
  std::vector<bool> selected_;
};

class Button : public WinControl {
 public:
  explicit Button(Component* owner);
  std::string ClassName() const override { return "Button"; }
  void DescribeProps(PropList& out) const override;
  bool Default = false;  // Enter in the form clicks it
  bool Cancel = false;   // Esc in the form clicks it
  int ModalResult = 0;   // set on the form when clicked
  // Sets the modal result, then runs OnClick (or, without one, executes the linked action).
  void Click() override;
  bool AcceleratorUsed() override;
  void KeyPressDefault(char32_t& key) override;  // Space clicks
  // A linked action: caption, hint, enabled and visible (and a bit button's image index)
  // follow it.
  Action* GetAction() const { return action_; }
  void SetAction(Action* a);
  void Notification(Component* gone) override;

 protected:
  virtual void ActionChange(Action& a);

 private:
  Action* action_ = nullptr;
};

enum class BitBtnKind { Custom, OK, Cancel, Help, Yes, No, Close, Abort, Retry, Ignore, All };

class BitBtn : public Button {
 public:
  explicit BitBtn(Component* owner) : Button(owner) {}
  std::string ClassName() const override { return "BitBtn"; }
  BitBtnKind Kind = BitBtnKind::Custom;
  int ImageIndex = -1;

 protected:
  void ActionChange(Action& a) override;
};

class PopupMenu;
enum class ToolButtonStyle { Button, Check, DropDown, Separator, Divider };

// A tool bar button does not take the focus: clicking it leaves the focused control as is.
class ToolButton : public Control {
 public:
  explicit ToolButton(Component* owner);
  std::string ClassName() const override { return "ToolButton"; }
  void DescribeProps(PropList& out) const override;
  ToolButtonStyle Style = ToolButtonStyle::Button;
  int ImageIndex = -1;
  bool Down = false;
  PopupMenu* DropdownMenu = nullptr;
  void UserClick() override;
  void Click() override;  // OnClick, or without one the linked action
  // The user presses the drop-down arrow: the menu pops up.
  void DropDownArrow();
  // A linked action: caption, hint, enabled, visible, image index and Down (its checked
  // state) follow it.
  Action* GetAction() const { return action_; }
  void SetAction(Action* a);
  void Notification(Component* gone) override;

 private:
  Action* action_ = nullptr;
};

class ToolBar : public WinControl {
 public:
  explicit ToolBar(Component* owner);
  std::string ClassName() const override { return "ToolBar"; }
  ImageList* Images = nullptr;
  ImageList* DisabledImages = nullptr;
  int ButtonWidth = 23, ButtonHeight = 22;
  bool ShowCaptions = false, Flat = false;
};

class Dock : public WinControl {
 public:
  explicit Dock(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "Dock"; }
};

enum class Bevel { None, Lowered, Raised, Space };

class Panel : public WinControl {
 public:
  explicit Panel(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "Panel"; }
  Bevel BevelOuter = Bevel::Raised, BevelInner = Bevel::None;
};

class GroupBox : public WinControl {
 public:
  explicit GroupBox(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "GroupBox"; }
};

// A frame: a container with components of its own, placed on a form.
class Frame : public WinControl {
 public:
  explicit Frame(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "Frame"; }
};

class PageControl;

class TabSheet : public WinControl {
 public:
  explicit TabSheet(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "TabSheet"; }
  void DescribeProps(PropList& out) const override;
  PageControl* GetPageControl() const;
  void SetPageControl(PageControl* pc);
  bool TabVisible = true;
  int PageIndex() const;
};

enum class TabStyle { Tabs, Buttons, FlatButtons };

// Pages: only the active page shows.
class PageControl : public WinControl {
 public:
  explicit PageControl(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "PageControl"; }
  void DescribeProps(PropList& out) const override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TabSheet* Pages(int i) const { return pages_.at(i); }
  TabSheet* ActivePage() const { return active_; }
  void SetActivePage(TabSheet* p);  // no event from code
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  // The user clicks a tab: OnChanging (may refuse), switch, OnChange.
  void SelectTabByUser(int i);
  TabStyle Style = TabStyle::Tabs;
  NotifyEvent OnChange;
  std::function<void(Component&, bool& allowChange)> OnChanging;

 private:
  friend class TabSheet;
  std::vector<TabSheet*> pages_;
  TabSheet* active_ = nullptr;
};

enum class ShapeType { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };

class Shape : public Control {
 public:
  explicit Shape(Component* owner) : Control(owner) {}
  std::string ClassName() const override { return "Shape"; }
  void DescribeProps(PropList& out) const override;
  Color BrushColor() const { return brush_; }
  void SetBrushColor(Color c);
  Color PenColor = clBlack;
  ShapeType Type = ShapeType::Rectangle;

 private:
  Color brush_ = clWhite;
};

class Image : public Control {
 public:
  explicit Image(Component* owner) : Control(owner) {}
  std::string ClassName() const override { return "Image"; }
  ImageList* Images = nullptr;
  int ImageIndex = -1;
  std::string PictureFile;
};

class ProgressBar : public WinControl {
 public:
  explicit ProgressBar(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "ProgressBar"; }
  void DescribeProps(PropList& out) const override;
  int Min = 0, Max = 100;
  int Position() const { return position_; }
  void SetPosition(int p);

 private:
  int position_ = 0;
};

// A status text (sunken label) that shows messages to the user.
class StatusLabel : public WinControl {
 public:
  explicit StatusLabel(Component* owner) : WinControl(owner) {}
  std::string ClassName() const override { return "StatusLabel"; }
};

class Splitter : public Control {
 public:
  explicit Splitter(Component* owner) : Control(owner) {}
  std::string ClassName() const override { return "Splitter"; }
  int MinSize = 30;
};

}  // namespace yz::ui
