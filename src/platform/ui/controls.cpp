#include "platform/ui/controls.h"

#include <algorithm>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

namespace yz::ui {

#define YZ_GET(T, expr) [](const Component& cc) -> std::string { auto& c = static_cast<const T&>(cc); return expr; }
#define YZ_SET(T, stmt) [](Component& cc, std::string_view v) { auto& c = static_cast<T&>(cc); stmt; }
#define YZ_PROPS(T, Base, ...)                          \
  void T::DescribeProps(PropList& out) const {          \
    Base::DescribeProps(out);                           \
    static const PropDef props[] = {__VA_ARGS__};       \
    for (auto& p : props) out.push_back(&p);            \
  }

// ---------------------------------------------------------------- Label

bool Label::AcceleratorUsed() {
  if (!FocusControl || !FocusControl->CanFocus()) return false;
  FocusControl->SetFocus();
  return true;
}

// ---------------------------------------------------------------- Edit

// A parsed edit mask: one entry per position the edit shows.
struct Edit::Mask {
  struct Pos {
    char32_t kind = 0;  // 0: literal; else the mask character ('0', '9', '#', 'L', ...)
    char32_t ch = 0;    // the literal
    int textCase = 0;   // 1 upper, -1 lower
  };
  std::vector<Pos> pos;
  bool save = true;
  char32_t blank = '_';
  std::string source;  // the mask text as given (for messages)

  bool Editable(int i) const { return pos[static_cast<size_t>(i)].kind != 0; }
  int Size() const { return static_cast<int>(pos.size()); }
  int NextEditable(int from) const {
    for (int i = std::max(0, from); i < Size(); ++i)
      if (Editable(i)) return i;
    return -1;
  }
  int PrevEditable(int before) const {
    for (int i = std::min(before, Size()) - 1; i >= 0; --i)
      if (Editable(i)) return i;
    return -1;
  }
  static bool Required(char32_t kind) { return kind == '0' || kind == 'L' || kind == 'A' || kind == 'C'; }
  static bool Letter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80; }
  static bool Digit(char32_t c) { return c >= '0' && c <= '9'; }
  // The character as it goes into position i, or 0 when it does not fit there.
  char32_t Accept(int i, char32_t c) const {
    const Pos& p = pos[static_cast<size_t>(i)];
    if (p.textCase > 0 && c >= 'a' && c <= 'z') c -= 32;
    if (p.textCase < 0 && c >= 'A' && c <= 'Z') c += 32;
    bool ok = false;
    switch (p.kind) {
      case '0': case '9': ok = Digit(c); break;
      case '#': ok = Digit(c) || c == '+' || c == '-'; break;
      case 'L': case 'l': ok = Letter(c); break;
      case 'A': case 'a': ok = Letter(c) || Digit(c); break;
      case 'C': case 'c': ok = c >= 32; break;
      default: break;
    }
    return ok ? c : 0;
  }
  static Mask Parse(std::string_view text) {
    Mask m;
    m.source = std::string(text);
    std::u32string t = Utf8ToChars(text);
    int textCase = 0;
    size_t i = 0;
    for (; i < t.size(); ++i) {
      char32_t c = t[i];
      if (c == ';') break;
      Pos p;
      p.textCase = textCase;
      switch (c) {
        case '\\':
          if (i + 1 < t.size()) p.ch = t[++i], m.pos.push_back(p);
          continue;
        case '>':
          if (i + 1 < t.size() && t[i + 1] == '<') ++i, textCase = 0;
          else textCase = 1;
          continue;
        case '<': textCase = -1; continue;
        case '!': continue;
        case '_': p.ch = ' '; break;
        case '0': case '9': case '#': case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': p.kind = c; break;
        default: p.ch = c; break;
      }
      m.pos.push_back(p);
    }
    if (i < t.size()) {  // ";save-literals;blank"
      size_t j = i + 1;
      if (j < t.size() && t[j] != ';') m.save = t[j] != '0';
      size_t k = t.find(U';', j);
      if (k != std::u32string::npos && k + 1 < t.size()) m.blank = t[k + 1];
    }
    return m;
  }
  // Positions from a text: `stored` reads a text this mask produced (the literals are there
  // exactly when they are saved); otherwise a literal is skipped in the text where it stands.
  std::u32string Fit(std::string_view text, bool stored) const {
    std::u32string in = Utf8ToChars(text), cells(pos.size(), 0);
    size_t k = 0;
    for (int i = 0; i < Size(); ++i) {
      const Pos& p = pos[static_cast<size_t>(i)];
      if (p.kind == 0) {
        cells[static_cast<size_t>(i)] = p.ch;
        if (k < in.size() && (stored ? save : in[k] == p.ch)) ++k;
        continue;
      }
      if (k >= in.size()) continue;
      char32_t c = in[k++];
      if (c != blank && c != ' ') cells[static_cast<size_t>(i)] = Accept(i, c);
    }
    return cells;
  }
  std::string Shown(const std::u32string& cells) const {
    std::string out;
    for (int i = 0; i < Size(); ++i) out += CharToUtf8(cells[static_cast<size_t>(i)] ? cells[static_cast<size_t>(i)] : blank);
    return out;
  }
  std::string Stored(const std::u32string& cells) const {
    if (save) return Shown(cells);
    std::string out;
    for (int i = 0; i < Size(); ++i)
      if (Editable(i)) out += CharToUtf8(cells[static_cast<size_t>(i)] ? cells[static_cast<size_t>(i)] : blank);
    return out;
  }
};

Edit::Edit(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  SetColor(clWindow);
  focusOnClick_ = true;
}

YZ_PROPS(Edit, WinControl,
         {"ReadOnly", YZ_GET(Edit, BoolText(c.ReadOnly())), YZ_SET(Edit, c.SetReadOnly(ParseBool(v)))},
         {"MaxLength", YZ_GET(Edit, std::to_string(c.MaxLength)), YZ_SET(Edit, c.MaxLength = ParseInt(v))},
         {"EditMask", YZ_GET(Edit, c.EditMask), YZ_SET(Edit, { c.EditMask = v; c.FitTextToMask(); })},
         {"SelStart", YZ_GET(Edit, std::to_string(c.SelStart())), YZ_SET(Edit, c.SetSel(ParseInt(v), 0))},
         {"SelText", YZ_GET(Edit, c.SelText()), nullptr},
         {"DisplayText", YZ_GET(Edit, c.DisplayText()), nullptr})

void Edit::SetReadOnly(bool v) {
  readOnly_ = v;
  Changed("ReadOnly");
}

Edit::Mask Edit::CurrentMask() const { return Mask::Parse(ActiveMask()); }

std::u32string Edit::Cells(const Mask& m) const {
  return m.Fit(Text(), maskOfText_ == m.source && maskedText_ == Text());
}

void Edit::SetText(std::string v) {
  if (IsMasked()) {
    Mask m = CurrentMask();
    std::string t = m.Stored(m.Fit(v, false));
    bool same = t == Text();
    maskedText_ = t;
    maskOfText_ = m.source;
    if (same) return;
    WinControl::SetText(std::move(t));
    selStart_ = CaretLimit();
    selLength_ = 0;
    Change();
    return;
  }
  if (v == Text()) return;
  WinControl::SetText(std::move(v));
  selStart_ = static_cast<int>(text::Length(Text()));
  selLength_ = 0;
  Change();
}

void Edit::FitTextToMask() {
  if (!IsMasked()) return;
  Mask m = CurrentMask();
  std::string t = m.Stored(Cells(m));
  maskedText_ = t;
  maskOfText_ = m.source;
  if (t == Text()) return;
  SetTextSilently(std::move(t));
  Changed("Text");
  SetSel(selStart_, 0);
}

bool Edit::MaskBlank() const {
  if (!IsMasked()) return false;
  Mask m = CurrentMask();
  std::u32string cells = Cells(m);
  for (int i = 0; i < m.Size(); ++i)
    if (m.Editable(i) && cells[static_cast<size_t>(i)]) return false;
  return true;
}

void Edit::ValidateEdit() const {
  if (!Modified || !IsMasked() || MaskBlank()) return;
  Mask m = CurrentMask();
  std::u32string cells = Cells(m);
  for (int i = 0; i < m.Size(); ++i)
    if (Mask::Required(m.pos[static_cast<size_t>(i)].kind) && !cells[static_cast<size_t>(i)])
      throw Error("Invalid input value \"" + m.Shown(cells) + "\": position " + std::to_string(i + 1) +
                  " of the edit mask \"" + m.source + "\" must be filled");
}

void Edit::StoreCells(const Mask& m, const std::u32string& cells, int caret) {
  std::string t = m.Stored(cells);
  maskedText_ = t;
  maskOfText_ = m.source;
  if (t != Text()) {
    WinControl::SetText(std::move(t));
    Modified = true;
    selStart_ = std::clamp(caret, 0, m.Size());
    selLength_ = 0;
    Change();
  } else {
    selStart_ = std::clamp(caret, 0, m.Size());
    selLength_ = 0;
  }
}

int Edit::CaretLimit() const {
  if (IsMasked()) return CurrentMask().Size();
  return static_cast<int>(text::Length(Text()));
}

void Edit::Change() {
  if (OnChange) OnChange(*this);
}

void Edit::SetSel(int start, int length) {
  int n = CaretLimit();
  selStart_ = std::clamp(start, 0, n);
  selLength_ = std::clamp(length, 0, n - selStart_);
}

void Edit::SelectAll() { SetSel(0, CaretLimit()); }

std::string Edit::SelText() const {
  return text::Substr(IsMasked() ? DisplayText() : Text(), selStart_, selLength_);
}

void Edit::ClearSelection() {
  if (selLength_ == 0 || !CanModify()) return;
  if (IsMasked()) {
    Mask m = CurrentMask();
    std::u32string cells = Cells(m);
    for (int i = selStart_; i < selStart_ + selLength_ && i < m.Size(); ++i)
      if (m.Editable(i)) cells[static_cast<size_t>(i)] = 0;
    return StoreCells(m, cells, selStart_);
  }
  ReplaceSelection("");
}

std::string Edit::DisplayText() const {
  if (IsMasked()) {
    Mask m = CurrentMask();
    return m.Shown(Cells(m));
  }
  if (!PasswordChar) return Text();
  std::string out;
  for (size_t i = 0, n = text::Length(Text()); i < n; ++i) out += CharToUtf8(PasswordChar);
  return out;
}

void Edit::ReplaceSelection(const std::string& s) {
  std::string t = Text();
  std::string ins = s;
  if (MaxLength > 0) {
    int room = MaxLength - static_cast<int>(text::Length(t)) + selLength_;
    if (room < static_cast<int>(text::Length(ins))) ins = text::Left(ins, std::max(0, room));
  }
  std::string out = text::Left(t, selStart_) + ins + text::Substr(t, selStart_ + selLength_);
  int caret = selStart_ + static_cast<int>(text::Length(ins));
  if (out != t) {
    WinControl::SetText(out);
    Modified = true;
    selStart_ = caret;
    selLength_ = 0;
    Change();
  } else {
    selStart_ = caret;
    selLength_ = 0;
  }
}

void Edit::MaskKeyPress(const Mask& m, char32_t key) {
  if (key != 8 && key < 32) return;  // Enter, Esc, Tab and control characters type nothing
  if (!CanModify()) return;
  std::u32string cells = Cells(m);
  auto blankSelection = [&] {
    for (int i = selStart_; i < selStart_ + selLength_ && i < m.Size(); ++i)
      if (m.Editable(i)) cells[static_cast<size_t>(i)] = 0;
  };
  if (key == 8) {
    if (selLength_ > 0) {
      blankSelection();
      return StoreCells(m, cells, selStart_);
    }
    int p = m.PrevEditable(selStart_);
    if (p < 0) return App().Beep();
    cells[static_cast<size_t>(p)] = 0;
    return StoreCells(m, cells, p);
  }
  int p = m.NextEditable(selStart_);
  char32_t c = p < 0 ? 0 : m.Accept(p, key);
  if (!c) {
    // Typing the literal that stands at the caret steps over it.
    if (selLength_ == 0 && selStart_ < m.Size() && !m.Editable(selStart_) && m.pos[static_cast<size_t>(selStart_)].ch == key) {
      int next = m.NextEditable(selStart_ + 1);
      selStart_ = next < 0 ? m.Size() : next;
      return;
    }
    return App().Beep();
  }
  blankSelection();
  cells[static_cast<size_t>(p)] = c;
  int next = m.NextEditable(p + 1);
  StoreCells(m, cells, next < 0 ? p + 1 : next);
}

void Edit::MaskKeyDown(const Mask& m, Word key, ShiftState shift) {
  int n = m.Size();
  switch (key) {
    case VK_LEFT: {
      if (selLength_) return SetSel(selStart_, 0);
      int p = m.PrevEditable(selStart_);
      if (p >= 0) SetSel(p, 0);
      break;
    }
    case VK_RIGHT: {
      if (selLength_) return SetSel(selStart_ + selLength_, 0);
      int p = m.NextEditable(selStart_ + 1);
      SetSel(p < 0 ? n : p, 0);
      break;
    }
    case VK_HOME: {
      int first = std::max(0, m.NextEditable(0));
      (shift & ssShift) ? SetSel(first, selStart_ - first) : SetSel(first, 0);
      break;
    }
    case VK_END: (shift & ssShift) ? SetSel(selStart_, n - selStart_) : SetSel(n, 0); break;
    case VK_DELETE: {
      if (!CanModify()) break;
      std::u32string cells = Cells(m);
      if (selLength_ > 0) {
        for (int i = selStart_; i < selStart_ + selLength_ && i < n; ++i)
          if (m.Editable(i)) cells[static_cast<size_t>(i)] = 0;
      } else if (int p = m.NextEditable(selStart_); p >= 0) {
        cells[static_cast<size_t>(p)] = 0;
      }
      StoreCells(m, cells, selStart_);
      break;
    }
    default: break;
  }
}

void Edit::KeyDownDefault(Word& key, ShiftState shift) {
  if (IsMasked()) return MaskKeyDown(CurrentMask(), key, shift);
  int n = static_cast<int>(text::Length(Text()));
  switch (key) {
    case VK_LEFT: SetSel(selStart_ - (selLength_ ? 0 : 1), 0); break;
    case VK_RIGHT: SetSel(selStart_ + (selLength_ ? selLength_ : 1), 0); break;
    case VK_HOME: SetSel(0, (shift & ssShift) ? selStart_ : 0); break;
    case VK_END: (shift & ssShift) ? SetSel(selStart_, n - selStart_) : SetSel(n, 0); break;
    case VK_DELETE:
      if (!CanModify()) break;
      if (selLength_ == 0 && selStart_ < n) selLength_ = 1;
      ReplaceSelection("");
      break;
    default: break;
  }
}

void Edit::KeyPressDefault(char32_t& key) {
  if (IsMasked()) return MaskKeyPress(CurrentMask(), key);
  if (key == 8) {
    if (!CanModify()) return;
    if (selLength_ == 0 && selStart_ > 0) {
      --selStart_;
      selLength_ = 1;
    }
    ReplaceSelection("");
    return;
  }
  if (key < 32) return;  // Enter, Esc, Tab and control characters type nothing
  if (!CanModify()) return;
  ReplaceSelection(CharToUtf8(key));
}

void Edit::DoEnter() {
  FitTextToMask();
  if (AutoSelect) SelectAll();
  WinControl::DoEnter();
}

void Edit::DoExit() {
  ValidateEdit();
  WinControl::DoExit();
}

// ---------------------------------------------------------------- DateTimePicker

DateTimePicker::DateTimePicker(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
  SetColor(clWindow);
  UpdateText();
}

YZ_PROPS(DateTimePicker, WinControl,
         {"DateTime", YZ_GET(DateTimePicker, c.Value().ToString()),
          YZ_SET(DateTimePicker, c.SetValue(DateTime::ParseOrThrow(v)))})

void DateTimePicker::SetValue(DateTime v) {
  if (v == value_) return;
  value_ = v;
  UpdateText();
  if (OnChange) OnChange(*this);
}

void DateTimePicker::UpdateText() {
  std::string fmt = Format.empty() ? (Kind == DateTimeKind::Date ? "yyyy-mm-dd" : "hh:nn:ss") : Format;
  SetTextSilently(value_.Format(fmt));
  Changed("Text");
}

// ---------------------------------------------------------------- CheckBox

CheckBox::CheckBox(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
}

YZ_PROPS(CheckBox, WinControl,
         {"Checked", YZ_GET(CheckBox, BoolText(c.Checked())), YZ_SET(CheckBox, c.SetChecked(ParseBool(v)))},
         {"State", YZ_GET(CheckBox, std::to_string(static_cast<int>(c.State()))),
          YZ_SET(CheckBox, c.SetState(static_cast<CheckState>(std::clamp(ParseInt(v), 0, 2))))})

void CheckBox::SetState(CheckState s) {
  if (s == state_) return;
  state_ = s;
  Changed("Checked");
  Click();
}

void CheckBox::Toggle() {
  switch (state_) {
    case CheckState::Unchecked: SetState(CheckState::Checked); break;
    case CheckState::Checked: SetState(AllowGrayed ? CheckState::Grayed : CheckState::Unchecked); break;
    case CheckState::Grayed: SetState(CheckState::Unchecked); break;
  }
}

void CheckBox::UserClick() { Toggle(); }

bool CheckBox::AcceleratorUsed() {
  if (!CanFocus()) return false;
  SetFocus();
  if (Focused()) Toggle();
  return true;
}

void CheckBox::KeyPressDefault(char32_t& key) {
  if (key == ' ') Toggle();
}

// ---------------------------------------------------------------- RadioButton

RadioButton::RadioButton(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
}

YZ_PROPS(RadioButton, WinControl,
         {"Checked", YZ_GET(RadioButton, BoolText(c.Checked())), YZ_SET(RadioButton, c.SetChecked(ParseBool(v)))})

void RadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Changed("Checked");
  if (!v) return;
  if (Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* r = dynamic_cast<RadioButton*>(Parent()->Controls(i)); r && r != this) r->SetChecked(false);
  Click();
}

bool RadioButton::AcceleratorUsed() {
  if (!CanFocus()) return false;
  SetFocus();
  if (Focused()) SetChecked(true);
  return true;
}

// ---------------------------------------------------------------- RadioGroup

RadioGroup::RadioGroup(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
}

YZ_PROPS(RadioGroup, WinControl,
         {"ItemIndex", YZ_GET(RadioGroup, std::to_string(c.ItemIndex())), YZ_SET(RadioGroup, c.SetItemIndex(ParseInt(v)))},
         {"Items", YZ_GET(RadioGroup, text::Join(c.Items, "\n")), YZ_SET(RadioGroup, c.Items = text::Split(v, '\n'))})

void RadioGroup::SetItemIndex(int i) {
  if (i < -1 || i >= static_cast<int>(Items.size())) i = -1;
  if (i == itemIndex_) return;
  itemIndex_ = i;
  Changed("ItemIndex");
  if (i >= 0) Click();
}

void RadioGroup::ClickItem(int i) {
  if (!IsEnabled() || i < 0 || i >= static_cast<int>(Items.size())) return;
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  SetItemIndex(i);
}

void RadioGroup::KeyDownDefault(Word& key, ShiftState) {
  int n = static_cast<int>(Items.size());
  if (n == 0) return;
  if (key == VK_DOWN || key == VK_RIGHT) SetItemIndex(std::min(n - 1, itemIndex_ + 1));
  else if (key == VK_UP || key == VK_LEFT) SetItemIndex(std::max(0, itemIndex_ - 1));
}

// ---------------------------------------------------------------- ComboBox

ComboBox::ComboBox(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
  SetColor(clWindow);
}

YZ_PROPS(ComboBox, WinControl,
         {"ItemIndex", YZ_GET(ComboBox, std::to_string(c.ItemIndex())), YZ_SET(ComboBox, c.SetItemIndex(ParseInt(v)))},
         {"Items", YZ_GET(ComboBox, text::Join(c.Items, "\n")), YZ_SET(ComboBox, c.Items = text::Split(v, '\n'))},
         {"DroppedDown", YZ_GET(ComboBox, BoolText(c.DroppedDown())), YZ_SET(ComboBox, c.SetDroppedDown(ParseBool(v)))})

void ComboBox::SetItemIndex(int i) {
  if (i < -1 || i >= static_cast<int>(Items.size())) i = -1;
  itemIndex_ = i;
  WinControl::SetText(i >= 0 ? Items[i] : std::string());
  Changed("ItemIndex");
}

void ComboBox::SetText(std::string v) {
  auto it = std::find(Items.begin(), Items.end(), v);
  itemIndex_ = it == Items.end() ? -1 : static_cast<int>(it - Items.begin());
  WinControl::SetText(std::move(v));
}

void ComboBox::SetDroppedDown(bool v) {
  if (v == dropped_) return;
  if (v && OnDropDown) OnDropDown(*this);
  dropped_ = v;
  Changed("DroppedDown");
  if (!v && OnCloseUp) OnCloseUp(*this);
}

void ComboBox::SelectByUser(int i) {
  if (!IsEnabled() || i < 0 || i >= static_cast<int>(Items.size())) return;
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  SetDroppedDown(true);
  SetItemIndex(i);
  Click();
  if (OnSelect) OnSelect(*this);
  else if (OnChange) OnChange(*this);
  SetDroppedDown(false);
}

void ComboBox::KeyDownDefault(Word& key, ShiftState shift) {
  int n = static_cast<int>(Items.size());
  if (key == VK_DOWN && (shift & ssAlt)) return SetDroppedDown(!dropped_);
  if ((key == VK_DOWN || key == VK_UP) && n > 0) {
    int i = key == VK_DOWN ? std::min(n - 1, itemIndex_ + 1) : std::max(0, itemIndex_ - 1);
    if (i == itemIndex_) return;
    SetItemIndex(i);
    Click();
    if (OnSelect) OnSelect(*this);
    else if (OnChange) OnChange(*this);
  }
}

void ComboBox::KeyPressDefault(char32_t& key) {
  if (key == 13 && dropped_) return SetDroppedDown(false);
  if (Style == ComboStyle::DropDownList || key < 32) return;
  WinControl::SetText(Text() + CharToUtf8(key));
  auto it = std::find(Items.begin(), Items.end(), Text());
  itemIndex_ = it == Items.end() ? -1 : static_cast<int>(it - Items.begin());
  if (OnChange) OnChange(*this);
}

// ---------------------------------------------------------------- ListBox

ListBox::ListBox(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
  SetColor(clWindow);
}

YZ_PROPS(ListBox, WinControl,
         {"ItemIndex", YZ_GET(ListBox, std::to_string(c.ItemIndex())), YZ_SET(ListBox, c.SetItemIndex(ParseInt(v)))},
         {"Items", YZ_GET(ListBox, text::Join(c.Items, "\n")), YZ_SET(ListBox, c.Items = text::Split(v, '\n'))})

void ListBox::SetItemIndex(int i) {
  if (i < -1 || i >= static_cast<int>(Items.size())) i = -1;
  itemIndex_ = i;
  if (!MultiSelect) selected_.assign(Items.size(), false);
  if (i >= 0) SetSelected(i, true);
  Changed("ItemIndex");
}

bool ListBox::Selected(int i) const { return i >= 0 && i < static_cast<int>(selected_.size()) && selected_[i]; }

void ListBox::SetSelected(int i, bool v) {
  if (i < 0 || i >= static_cast<int>(Items.size())) throw Error("List index out of bounds (" + std::to_string(i) + ")");
  selected_.resize(Items.size(), false);
  selected_[i] = v;
}

int ListBox::SelCount() const { return static_cast<int>(std::count(selected_.begin(), selected_.end(), true)); }

void ListBox::ClickItem(int i, ShiftState shift) {
  if (!IsEnabled() || i < 0 || i >= static_cast<int>(Items.size())) return;
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  if (MultiSelect && (shift & ssCtrl)) {
    itemIndex_ = i;
    SetSelected(i, !Selected(i));
  } else {
    selected_.assign(Items.size(), false);
    SetItemIndex(i);
  }
  Click();
}

void ListBox::KeyDownDefault(Word& key, ShiftState) {
  int n = static_cast<int>(Items.size());
  if (n == 0) return;
  if (key == VK_DOWN) SetItemIndex(std::min(n - 1, itemIndex_ + 1)), Click();
  else if (key == VK_UP) SetItemIndex(std::max(0, itemIndex_ - 1)), Click();
}

// ---------------------------------------------------------------- Button

Button::Button(Component* owner) : WinControl(owner) {
  SetTabStop(true);
  focusOnClick_ = true;
}

YZ_PROPS(Button, WinControl,
         {"Default", YZ_GET(Button, BoolText(c.Default)), YZ_SET(Button, c.Default = ParseBool(v))},
         {"Cancel", YZ_GET(Button, BoolText(c.Cancel)), YZ_SET(Button, c.Cancel = ParseBool(v))},
         {"ModalResult", YZ_GET(Button, std::to_string(c.ModalResult)), YZ_SET(Button, c.ModalResult = ParseInt(v))},
         {"Action", YZ_GET(Button, c.GetAction() ? c.GetAction()->Name() : std::string()), nullptr})

void Button::Click() {
  Form* f = GetParentForm();
  if (f && ModalResult != 0) f->SetModalResult(ModalResult);
  if (OnClick || !action_) return Control::Click();
  action_->Execute();
}

void Button::SetAction(Action* a) {
  if (a == action_) return;
  if (action_) action_->RemoveClient(this);
  action_ = a;
  if (a) a->AddClient(this, [this](Action& x) { ActionChange(x); });
}

void Button::ActionChange(Action& a) {
  SetCaption(a.Caption());
  SetHint(a.Hint());
  SetEnabled(a.Enabled());
  SetVisible(a.Visible());
}

void BitBtn::ActionChange(Action& a) {
  Button::ActionChange(a);
  if (ImageIndex != a.ImageIndex()) {
    ImageIndex = a.ImageIndex();
    Changed("ImageIndex");
  }
}

void Button::Notification(Component* gone) {
  WinControl::Notification(gone);
  if (gone == action_) action_ = nullptr;
}

bool Button::AcceleratorUsed() {
  if (!IsEnabled()) return false;
  Click();
  return true;
}

void Button::KeyPressDefault(char32_t& key) {
  if (key == ' ') Click();
}

// ---------------------------------------------------------------- ToolButton

ToolButton::ToolButton(Component* owner) : Control(owner) {}

static const char* ToolStyleNames[] = {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"};

YZ_PROPS(ToolButton, Control,
         {"Style", YZ_GET(ToolButton, ToolStyleNames[static_cast<int>(c.Style)]), nullptr},
         {"ImageIndex", YZ_GET(ToolButton, std::to_string(c.ImageIndex)), YZ_SET(ToolButton, c.ImageIndex = ParseInt(v))},
         {"Down", YZ_GET(ToolButton, BoolText(c.Down)), YZ_SET(ToolButton, c.Down = ParseBool(v))},
         {"DropdownMenu", YZ_GET(ToolButton, c.DropdownMenu ? c.DropdownMenu->Name() : std::string()), nullptr},
         {"Action", YZ_GET(ToolButton, c.GetAction() ? c.GetAction()->Name() : std::string()), nullptr})

void ToolButton::Click() {
  if (OnClick || !action_) return Control::Click();
  action_->Execute();
}

void ToolButton::SetAction(Action* a) {
  if (a == action_) return;
  if (action_) action_->RemoveClient(this);
  action_ = a;
  if (a)
    a->AddClient(this, [this](Action& x) {
      SetCaption(x.Caption());
      SetHint(x.Hint());
      SetEnabled(x.Enabled());
      SetVisible(x.Visible());
      if (ImageIndex != x.ImageIndex()) ImageIndex = x.ImageIndex(), Changed("ImageIndex");
      if (Down != x.Checked()) Down = x.Checked(), Changed("Down");
    });
}

void ToolButton::Notification(Component* gone) {
  Control::Notification(gone);
  if (gone == action_) action_ = nullptr;
}

void ToolButton::UserClick() {
  if (Style == ToolButtonStyle::Separator || Style == ToolButtonStyle::Divider) return;
  if (Style == ToolButtonStyle::Check) {
    Down = !Down;
    Changed("Down");
  }
  Click();
}

void ToolButton::DropDownArrow() {
  if (!IsEnabled() || !DropdownMenu) return;
  Point at = ClientToScreen(Point{0, Height()});
  DropdownMenu->PopupComponent = this;
  DropdownMenu->Popup(at.X, at.Y);
}

ToolBar::ToolBar(Component* owner) : WinControl(owner) {}

// ---------------------------------------------------------------- pages

PageControl* TabSheet::GetPageControl() const { return dynamic_cast<PageControl*>(Parent()); }

void TabSheet::SetPageControl(PageControl* pc) {
  if (PageControl* old = GetPageControl()) {
    auto& v = old->pages_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (old->active_ == this) old->active_ = nullptr;
  }
  SetParent(pc);
  if (pc) {
    pc->pages_.push_back(this);
    SetAlign(Align::Client);
    if (!pc->active_) pc->SetActivePage(this);
    else SetVisible(false);
  }
}

int TabSheet::PageIndex() const {
  PageControl* pc = GetPageControl();
  if (!pc) return -1;
  for (int i = 0; i < pc->PageCount(); ++i)
    if (pc->Pages(i) == this) return i;
  return -1;
}

YZ_PROPS(TabSheet, WinControl,
         {"TabVisible", YZ_GET(TabSheet, BoolText(c.TabVisible)), YZ_SET(TabSheet, c.TabVisible = ParseBool(v))},
         {"PageIndex", YZ_GET(TabSheet, std::to_string(c.PageIndex())), nullptr})

YZ_PROPS(PageControl, WinControl,
         {"ActivePageIndex", YZ_GET(PageControl, std::to_string(c.ActivePageIndex())),
          YZ_SET(PageControl, c.SetActivePageIndex(ParseInt(v)))},
         {"ActivePage", YZ_GET(PageControl, c.ActivePage() ? c.ActivePage()->Name() : std::string()), nullptr})

void PageControl::SetActivePage(TabSheet* p) {
  if (p && p->GetPageControl() != this) throw Error("The page " + p->Name() + " is not a page of " + Name());
  active_ = p;
  for (TabSheet* s : pages_) s->SetVisible(s == p);
  Changed("ActivePageIndex");
}

int PageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void PageControl::SetActivePageIndex(int i) {
  SetActivePage(i >= 0 && i < PageCount() ? pages_[i] : nullptr);
}

void PageControl::SelectTabByUser(int i) {
  if (!IsEnabled() || i < 0 || i >= PageCount() || !pages_[i]->TabVisible || pages_[i] == active_) return;
  bool allow = true;
  if (OnChanging) OnChanging(*this, allow);
  if (!allow) return;
  SetActivePageIndex(i);
  if (OnChange) OnChange(*this);
}

// ---------------------------------------------------------------- the rest

YZ_PROPS(Shape, Control,
         {"Brush.Color", YZ_GET(Shape, ColorToString(c.BrushColor())), YZ_SET(Shape, c.SetBrushColor(StringToColor(v)))})

void Shape::SetBrushColor(Color c) {
  brush_ = c;
  Changed("Brush.Color");
}

YZ_PROPS(ProgressBar, WinControl,
         {"Position", YZ_GET(ProgressBar, std::to_string(c.Position())), YZ_SET(ProgressBar, c.SetPosition(ParseInt(v)))},
         {"Max", YZ_GET(ProgressBar, std::to_string(c.Max)), YZ_SET(ProgressBar, c.Max = ParseInt(v))},
         {"Min", YZ_GET(ProgressBar, std::to_string(c.Min)), YZ_SET(ProgressBar, c.Min = ParseInt(v))})

void ProgressBar::SetPosition(int p) {
  position_ = std::clamp(p, Min, std::max(Min, Max));
  Changed("Position");
}

}  // namespace yz::ui
