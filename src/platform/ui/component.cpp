#include "platform/ui/component.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/base/variant.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

namespace yz::ui {

namespace {

std::unordered_set<const Component*>& Live() {
  static std::unordered_set<const Component*> live;
  return live;
}

const char* AlignNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};

struct NamedColor {
  Color c;
  const char* name;
};
const NamedColor ColorNames[] = {
    {clBlack, "clBlack"},         {clMaroon, "clMaroon"},       {clGreen, "clGreen"},
    {clOlive, "clOlive"},         {clNavy, "clNavy"},           {clPurple, "clPurple"},
    {clTeal, "clTeal"},           {clGray, "clGray"},           {clSilver, "clSilver"},
    {clRed, "clRed"},             {clLime, "clLime"},           {clYellow, "clYellow"},
    {clBlue, "clBlue"},           {clFuchsia, "clFuchsia"},     {clAqua, "clAqua"},
    {clWhite, "clWhite"},         {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},         {clMedGray, "clMedGray"},     {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"}, {clWindow, "clWindow"},
    {clWindowText, "clWindowText"}, {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},     {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},     {clInfoBk, "clInfoBk"},       {clNone, "clNone"},
    {clDefault, "clDefault"},
};

// Classic default values of the system colours, by index.
const Color SystemRgb[] = {
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF,
};

}  // namespace

// ---------------------------------------------------------------- text conversions

std::string BoolText(bool v) { return v ? "True" : "False"; }

bool ParseBool(std::string_view text) {
  std::string t = text::Trim(text);
  if (text::SameText(t, "true") || t == "1") return true;
  if (text::SameText(t, "false") || t == "0") return false;
  throw ConvertError("'" + std::string(text) + "' is not a valid boolean value");
}

int ParseInt(std::string_view text) {
  int64_t v = 0;
  if (!ParseInteger(text::Trim(text), &v) || v < INT32_MIN || v > INT32_MAX)
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
  return static_cast<int>(v);
}

Color ColorToRGB(Color c) {
  if (c & clSystemColor) {
    unsigned i = c & 0xFF;
    return i < std::size(SystemRgb) ? SystemRgb[i] : 0;
  }
  return c;
}

std::string ColorToString(Color c) {
  for (auto& n : ColorNames)
    if (n.c == c) return n.name;
  char buf[16];
  snprintf(buf, sizeof buf, "$%08X", c);
  return buf;
}

Color StringToColor(std::string_view text) {
  std::string t = text::Trim(text);
  for (auto& n : ColorNames)
    if (text::SameText(t, n.name)) return n.c;
  if (!t.empty() && t[0] == '$') {
    char* end = nullptr;
    unsigned long v = strtoul(t.c_str() + 1, &end, 16);
    if (t.size() > 1 && *end == 0 && v <= 0xFFFFFFFFul) return static_cast<Color>(v);
  } else {
    int64_t v = 0;
    if (ParseInteger(t, &v) && v >= INT32_MIN && v <= UINT32_MAX) return static_cast<Color>(v);
  }
  throw ConvertError("'" + std::string(text) + "' is not a valid colour");
}

namespace {
struct KeyName {
  Word key;
  const char* name;
};
const KeyName KeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},
    {VK_HOME, "Home"},  {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},  {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};
}  // namespace

std::string ShortCutToText(ShortCut sc) {
  if (sc == 0) return {};
  std::string out;
  unsigned shift = sc >> 16;
  if (shift & ssShift) out += "Shift+";
  if (shift & ssCtrl) out += "Ctrl+";
  if (shift & ssAlt) out += "Alt+";
  Word key = sc & 0xFFFF;
  if (key >= VK_F1 && key <= VK_F12) return out + "F" + std::to_string(key - VK_F1 + 1);
  for (auto& k : KeyNames)
    if (k.key == key) return out + k.name;
  return out + std::string(1, static_cast<char>(key));
}

ShortCut TextToShortCut(std::string_view text) {
  std::string t = text::Trim(text);
  if (t.empty()) return 0;
  ShiftState shift = 0;
  for (;;) {
    auto take = [&](const char* p, ShiftState f) {
      size_t n = strlen(p);
      if (t.size() > n && text::SameText(t.substr(0, n), p)) {
        shift |= f;
        t = t.substr(n);
        return true;
      }
      return false;
    };
    if (!take("Shift+", ssShift) && !take("Ctrl+", ssCtrl) && !take("Alt+", ssAlt)) break;
  }
  if (t.size() == 1 && isalnum(static_cast<unsigned char>(t[0])))
    return MakeShortCut(static_cast<Word>(toupper(static_cast<unsigned char>(t[0]))), shift);
  if ((t[0] == 'F' || t[0] == 'f') && t.size() <= 3) {
    int64_t n = 0;
    if (ParseInteger(t.substr(1), &n) && n >= 1 && n <= 12)
      return MakeShortCut(static_cast<Word>(VK_F1 + n - 1), shift);
  }
  for (auto& k : KeyNames)
    if (text::SameText(t, k.name)) return MakeShortCut(k.key, shift);
  throw Error("'" + std::string(text) + "' is not a valid short cut");
}

// ---------------------------------------------------------------- Component

Component::Component(Component* owner) : owner_(owner) {
  Live().insert(this);
  if (owner_) owner_->components_.push_back(this);
}

Component::~Component() {
  destroying_ = true;
  while (!components_.empty()) {
    Component* c = components_.back();
    c->BeforeDestruction();
    delete c;  // removes itself from components_
  }
  auto notifies = notifies_;
  for (Component* n : notifies) {
    if (!Alive(n)) continue;
    n->RemoveFreeNotification(this);
    n->Notification(this);
  }
  if (owner_) {
    auto& v = owner_->components_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  Live().erase(this);
}

void Component::Free() {
  BeforeDestruction();
  delete this;
}

bool Component::Alive(const Component* c) { return c && Live().count(c) != 0; }

void Component::SetName(std::string name) {
  if (name == name_) return;
  if (owner_ && !name.empty()) {
    Component* other = owner_->FindComponent(name);
    if (other && other != this) throw Error("A component named " + name + " already exists");
  }
  name_ = std::move(name);
  Changed("Name");
}

void Component::SetTag(int v) {
  tag_ = v;
  Changed("Tag");
}

Component* Component::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (Component* c : components_)
    if (text::SameText(c->name_, name)) return c;
  return nullptr;
}

void Component::FreeNotification(Component* other) {
  if (!other || other == this) return;
  if (std::find(notifies_.begin(), notifies_.end(), other) == notifies_.end()) notifies_.push_back(other);
  if (std::find(other->notifies_.begin(), other->notifies_.end(), this) == other->notifies_.end())
    other->notifies_.push_back(this);
}

void Component::RemoveFreeNotification(Component* other) {
  notifies_.erase(std::remove(notifies_.begin(), notifies_.end(), other), notifies_.end());
}

static const PropDef ComponentProps[] = {
    {"Name", [](const Component& c) { return c.Name(); }, [](Component& c, std::string_view v) { c.SetName(std::string(v)); }},
    {"Tag", [](const Component& c) { return std::to_string(c.Tag()); }, [](Component& c, std::string_view v) { c.SetTag(ParseInt(v)); }},
    {"ClassName", [](const Component& c) { return c.ClassName(); }, nullptr},
};

void Component::DescribeProps(PropList& out) const {
  for (auto& p : ComponentProps) out.push_back(&p);
}

static const PropDef* FindProp(const Component& c, std::string_view name) {
  PropList list;
  c.DescribeProps(list);
  // Later (more derived) definitions win.
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (text::SameText((*it)->name, name)) return *it;
  return nullptr;
}

std::vector<std::string> Component::PropertyNames() const {
  PropList list;
  DescribeProps(list);
  std::vector<std::string> out;
  for (auto* p : list)
    if (std::find(out.begin(), out.end(), p->name) == out.end()) out.push_back(p->name);
  return out;
}

bool Component::HasProperty(std::string_view name) const { return FindProp(*this, name) != nullptr; }

std::string Component::GetProperty(std::string_view name) const {
  const PropDef* p = FindProp(*this, name);
  if (!p) throw Error("Property " + std::string(name) + " does not exist in " + name_ + " (" + ClassName() + ")");
  return p->get(*this);
}

void Component::SetProperty(std::string_view name, std::string_view value) {
  const PropDef* p = FindProp(*this, name);
  if (!p) throw Error("Property " + std::string(name) + " does not exist in " + name_ + " (" + ClassName() + ")");
  if (!p->set) throw Error("Property " + std::string(name) + " of " + name_ + " is read-only");
  p->set(*this, value);
}

// ---------------------------------------------------------------- Control

Control::Control(Component* owner) : Component(owner) {}

Control::~Control() {
  destroying_ = true;
  if (Form* f = GetParentForm(); f && f != this) f->ControlGone(this);
  SetParent(nullptr);
}

void Control::Notification(Component* gone) {
  if (gone == popup_) popup_ = nullptr;
}

void Control::Changed(std::string_view property) {
  if (peer_ && !Destroying()) peer_->PropertyChanged(*this, property, HasProperty(property) ? GetProperty(property) : std::string());
}

void Control::SetParent(WinControl* parent) {
  if (parent == parent_) return;
  if (parent_) {
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    auto& z = parent_->stack_;
    z.erase(std::remove(z.begin(), z.end(), this), z.end());
    if (auto* w = dynamic_cast<WinControl*>(this)) {
      auto& t = parent_->tabs_;
      t.erase(std::remove(t.begin(), t.end(), w), t.end());
    }
    WinControl* old = parent_;
    parent_ = nullptr;
    if (!old->Destroying()) old->Realign();
  }
  parent_ = parent;
  if (parent_) {
    parent_->controls_.push_back(this);
    parent_->stack_.push_back(this);
    if (auto* w = dynamic_cast<WinControl*>(this)) parent_->tabs_.push_back(w);
    parent_->Realign();
  }
  if (!Destroying()) Changed("Parent");
}

Form* Control::GetParentForm() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<Form*>(const_cast<Control*>(c));
}

void Control::SetBounds(int left, int top, int width, int height) {
  bool moved = left != left_ || top != top_, sized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (moved) Changed("Left"), Changed("Top");
  if (sized) Changed("Width"), Changed("Height");
  if ((moved || sized) && parent_ && align_ != Align::None) parent_->Realign();
}

void Control::SetAlign(Align a) {
  align_ = a;
  if (parent_) parent_->Realign();
  Changed("Align");
}

Point Control::ClientToScreen(Point p) const {
  for (const Control* c = this; c; c = c->parent_) {
    p.X += c->left_;
    p.Y += c->top_;
  }
  return p;
}

Point Control::ScreenToClient(Point p) const {
  Point o = ClientToScreen(Point{});
  return Point{p.X - o.X, p.Y - o.Y};
}

void Control::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (!v)
    if (Form* f = GetParentForm(); f && f != this) f->ControlHidden(this);
  if (parent_) parent_->Realign();
  Changed("Visible");
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void Control::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  if (!v)
    if (Form* f = GetParentForm(); f && f != this) f->ControlHidden(this);
  Changed("Enabled");
}

bool Control::IsEnabled() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

void Control::SetColor(Color c) {
  color_ = c;
  Changed("Color");
}

void Control::SetFont(const Font& f) {
  font_ = f;
  Changed("Font");
}

void Control::SetHint(std::string v) {
  hint_ = std::move(v);
  Changed("Hint");
}

void Control::SetShowHint(bool v) {
  showHint_ = v;
  Changed("ShowHint");
}

void Control::SetText(std::string v) {
  if (v == text_) return;
  text_ = std::move(v);
  Changed("Caption");
  Changed("Text");
}

char32_t AcceleratorOf(std::string_view s) {
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '&') continue;
    if (s[i + 1] == '&') {
      ++i;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(s[i + 1]);
    return c < 0x80 ? static_cast<char32_t>(toupper(c)) : 0;
  }
  return 0;
}

int Control::ZOrder() const {
  if (!parent_) return -1;
  auto& z = parent_->stack_;
  return static_cast<int>(std::find(z.begin(), z.end(), this) - z.begin());
}

void Control::BringToFront() {
  if (!parent_) return;
  auto& z = parent_->stack_;
  z.erase(std::remove(z.begin(), z.end(), this), z.end());
  z.push_back(this);
  Changed("ZOrder");
}

void Control::SendToBack() {
  if (!parent_) return;
  auto& z = parent_->stack_;
  z.erase(std::remove(z.begin(), z.end(), this), z.end());
  z.insert(z.begin(), this);
  Changed("ZOrder");
}

void Control::SetPopupMenu(PopupMenu* m) {
  popup_ = m;
  if (m) FreeNotification(m);
  Changed("PopupMenu");
}

void Control::SetCursor(int c) {
  cursor_ = c;
  Changed("Cursor");
}

void Control::Click() {
  if (OnClick) OnClick(*this);
}

void Control::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

void Control::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void Control::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

#define YZ_GET(T, expr) [](const Component& cc) -> std::string { auto& c = static_cast<const T&>(cc); return expr; }
#define YZ_SET(T, stmt) [](Component& cc, std::string_view v) { auto& c = static_cast<T&>(cc); stmt; }

static const PropDef ControlProps[] = {
    {"Left", YZ_GET(Control, std::to_string(c.Left())), YZ_SET(Control, c.SetLeft(ParseInt(v)))},
    {"Top", YZ_GET(Control, std::to_string(c.Top())), YZ_SET(Control, c.SetTop(ParseInt(v)))},
    {"Width", YZ_GET(Control, std::to_string(c.Width())), YZ_SET(Control, c.SetWidth(ParseInt(v)))},
    {"Height", YZ_GET(Control, std::to_string(c.Height())), YZ_SET(Control, c.SetHeight(ParseInt(v)))},
    {"Align", YZ_GET(Control, AlignNames[static_cast<int>(c.GetAlign())]),
     [](Component& cc, std::string_view v) {
       for (int i = 0; i < 6; ++i)
         if (text::SameText(v, AlignNames[i])) return static_cast<Control&>(cc).SetAlign(static_cast<Align>(i));
       throw ConvertError("'" + std::string(v) + "' is not a valid alignment");
     }},
    {"Visible", YZ_GET(Control, BoolText(c.Visible())), YZ_SET(Control, c.SetVisible(ParseBool(v)))},
    {"Enabled", YZ_GET(Control, BoolText(c.Enabled())), YZ_SET(Control, c.SetEnabled(ParseBool(v)))},
    {"Color", YZ_GET(Control, ColorToString(c.GetColor())), YZ_SET(Control, c.SetColor(StringToColor(v)))},
    {"Hint", YZ_GET(Control, c.Hint()), YZ_SET(Control, c.SetHint(std::string(v)))},
    {"ShowHint", YZ_GET(Control, BoolText(c.ShowHint())), YZ_SET(Control, c.SetShowHint(ParseBool(v)))},
    {"Caption", YZ_GET(Control, c.Caption()), YZ_SET(Control, c.SetCaption(std::string(v)))},
    {"Text", YZ_GET(Control, c.Text()), YZ_SET(Control, c.SetText(std::string(v)))},
    {"Font.Name", YZ_GET(Control, c.GetFont().Name), YZ_SET(Control, { Font f = c.GetFont(); f.Name = v; c.SetFont(f); })},
    {"Font.Height", YZ_GET(Control, std::to_string(c.GetFont().Height)), YZ_SET(Control, { Font f = c.GetFont(); f.Height = ParseInt(v); c.SetFont(f); })},
    {"Font.Color", YZ_GET(Control, ColorToString(c.GetFont().Color)), YZ_SET(Control, { Font f = c.GetFont(); f.Color = StringToColor(v); c.SetFont(f); })},
    {"Font.Bold", YZ_GET(Control, BoolText(c.GetFont().Bold)), YZ_SET(Control, { Font f = c.GetFont(); f.Bold = ParseBool(v); c.SetFont(f); })},
    {"Parent", YZ_GET(Control, c.Parent() ? c.Parent()->Name() : std::string()), nullptr},
    {"PopupMenu", YZ_GET(Control, c.GetPopupMenu() ? c.GetPopupMenu()->Name() : std::string()), nullptr},
    {"Cursor", YZ_GET(Control, std::to_string(c.Cursor())), YZ_SET(Control, c.SetCursor(ParseInt(v)))},
    {"ZOrder", YZ_GET(Control, std::to_string(c.ZOrder())), nullptr},
};

void Control::DescribeProps(PropList& out) const {
  Component::DescribeProps(out);
  for (auto& p : ControlProps) out.push_back(&p);
}

// ---------------------------------------------------------------- WinControl

WinControl::WinControl(Component* owner) : Control(owner) {}

WinControl::~WinControl() {
  destroying_ = true;
  if (Form* f = GetParentForm(); f && f != this) f->ControlGone(this);
  // Children owned elsewhere lose their parent rather than pointing at a dead one.
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  SetParent(nullptr);
  if (handle_) os::ReleaseHandle(handle_);
}

void WinControl::SetParent(WinControl* parent) {
  Control::SetParent(parent);
  if (handle_) os::SetParent(handle_, parent ? parent->Handle() : 0);
}

void WinControl::SetBounds(int left, int top, int width, int height) {
  bool sized = width != Width() || height != Height();
  Control::SetBounds(left, top, width, height);
  if (sized) Realign();
}

void WinControl::Realign() {
  if (Destroying()) return;
  int l = 0, t = 0, r = Width(), b = Height();
  auto place = [&](Align which) {
    for (Control* c : controls_) {
      if (c->GetAlign() != which || !c->Visible()) continue;
      switch (which) {
        case Align::Top: c->Control::SetBounds(l, t, r - l, c->Height()); t += c->Height(); break;
        case Align::Bottom: b -= c->Height(); c->Control::SetBounds(l, b, r - l, c->Height()); break;
        case Align::Left: c->Control::SetBounds(l, t, c->Width(), b - t); l += c->Width(); break;
        case Align::Right: r -= c->Width(); c->Control::SetBounds(r, t, c->Width(), b - t); break;
        case Align::Client: c->Control::SetBounds(l, t, std::max(0, r - l), std::max(0, b - t)); break;
        default: break;
      }
      if (auto* w = dynamic_cast<WinControl*>(c)) w->Realign();
    }
  };
  place(Align::Top);
  place(Align::Bottom);
  place(Align::Left);
  place(Align::Right);
  place(Align::Client);
}

Control* WinControl::ControlAtPos(Point p) const {
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
    Control* c = *it;
    if (c->Visible() && p.X >= c->Left() && p.X < c->Left() + c->Width() && p.Y >= c->Top() &&
        p.Y < c->Top() + c->Height())
      return c;
  }
  return nullptr;
}

int WinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& t = Parent()->tabs_;
  return static_cast<int>(std::find(t.begin(), t.end(), this) - t.begin());
}

void WinControl::SetTabOrder(int order) {
  if (!Parent()) return;
  auto& t = Parent()->tabs_;
  t.erase(std::remove(t.begin(), t.end(), this), t.end());
  order = std::clamp(order, 0, static_cast<int>(t.size()));
  t.insert(t.begin() + order, this);
  Changed("TabOrder");
}

void WinControl::SetTabStop(bool v) {
  tabStop_ = v;
  Changed("TabStop");
}

std::vector<WinControl*> WinControl::TabList() const { return tabs_; }

os::HWND WinControl::Handle() {
  if (!handle_) {
    handle_ = os::AllocateHandle(this, ClassName());
    if (Parent()) os::SetParent(handle_, Parent()->Handle());
  }
  return handle_;
}

WinControl* WinControl::FromHandle(os::HWND h) {
  auto* c = static_cast<WinControl*>(os::HandleObject(h));
  return Alive(c) ? c : nullptr;
}

bool WinControl::CanFocus() const {
  Form* f = GetParentForm();
  return f && Showing() && IsEnabled() && f->Visible();
}

bool WinControl::Focused() const {
  Form* f = GetParentForm();
  return f && f->ActiveControl() == this;
}

void WinControl::SetFocus() {
  Form* f = GetParentForm();
  if (f == this) {
    f->Activate();
    return;
  }
  if (!CanFocus()) throw Error("Cannot focus a disabled or invisible window (" + Name() + ")");
  f->FocusControl(this);
}

bool WinControl::WantsKey(Word) const { return false; }

void WinControl::DoKeyDown(Word& key, ShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (key) KeyDownDefault(key, shift);
}

void WinControl::DoKeyPress(char32_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
  if (key) KeyPressDefault(key);
}

void WinControl::DoKeyUp(Word& key, ShiftState shift) {
  if (OnKeyUp) OnKeyUp(*this, key, shift);
}

void WinControl::DoEnter() {
  if (OnEnter) OnEnter(*this);
}

void WinControl::DoExit() {
  if (OnExit) OnExit(*this);
}

static const PropDef WinControlProps[] = {
    {"TabOrder", YZ_GET(WinControl, std::to_string(c.TabOrder())), YZ_SET(WinControl, c.SetTabOrder(ParseInt(v)))},
    {"TabStop", YZ_GET(WinControl, BoolText(c.TabStop())), YZ_SET(WinControl, c.SetTabStop(ParseBool(v)))},
    {"Focused", YZ_GET(WinControl, BoolText(c.Focused())), nullptr},
};

void WinControl::DescribeProps(PropList& out) const {
  Control::DescribeProps(out);
  for (auto& p : WinControlProps) out.push_back(&p);
}

}  // namespace yz::ui
