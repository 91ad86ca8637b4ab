#include "platform/ui/menus.h"

#include <algorithm>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/ui/forms.h"

namespace yz::ui {

// ---------------------------------------------------------------- MenuItem

MenuItem::MenuItem(Component* owner) : Component(owner) {}

void MenuItem::SetAction(Action* a) {
  if (a == action_) return;
  if (action_) action_->RemoveClient(this);
  action_ = a;
  if (a)
    a->AddClient(this, [this](Action& x) {
      Caption = x.Caption();
      Hint = x.Hint();
      Enabled = x.Enabled();
      Checked = x.Checked();
      Visible = x.Visible();
      ImageIndex = x.ImageIndex();
      Shortcut = x.Shortcut;
    });
}

void MenuItem::Notification(Component* gone) {
  if (gone == action_) action_ = nullptr;
}

MenuItem::~MenuItem() {
  for (MenuItem* i : items_) i->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
}

void MenuItem::DescribeProps(PropList& out) const {
  Component::DescribeProps(out);
  static const PropDef props[] = {
      {"Caption", [](const Component& c) { return static_cast<const MenuItem&>(c).Caption; },
       [](Component& c, std::string_view v) { static_cast<MenuItem&>(c).Caption = v; }},
      {"Checked", [](const Component& c) { return BoolText(static_cast<const MenuItem&>(c).Checked); },
       [](Component& c, std::string_view v) { static_cast<MenuItem&>(c).Checked = ParseBool(v); }},
      {"Enabled", [](const Component& c) { return BoolText(static_cast<const MenuItem&>(c).Enabled); },
       [](Component& c, std::string_view v) { static_cast<MenuItem&>(c).Enabled = ParseBool(v); }},
      {"Visible", [](const Component& c) { return BoolText(static_cast<const MenuItem&>(c).Visible); },
       [](Component& c, std::string_view v) { static_cast<MenuItem&>(c).Visible = ParseBool(v); }},
      {"ShortCut", [](const Component& c) { return ShortCutToText(static_cast<const MenuItem&>(c).Shortcut); },
       [](Component& c, std::string_view v) { static_cast<MenuItem&>(c).Shortcut = TextToShortCut(v); }},
      {"Hint", [](const Component& c) { return static_cast<const MenuItem&>(c).Hint; },
       [](Component& c, std::string_view v) { static_cast<MenuItem&>(c).Hint = v; }},
      {"Action", [](const Component& c) { auto* a = static_cast<const MenuItem&>(c).GetAction(); return a ? a->Name() : std::string(); }, nullptr},
  };
  for (auto& p : props) out.push_back(&p);
}

int MenuItem::MenuIndex() const {
  if (!parent_) return -1;
  auto& v = parent_->items_;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void MenuItem::Add(MenuItem* item) { Insert(Count(), item); }

void MenuItem::Insert(int index, MenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void MenuItem::Remove(MenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->parent_ = nullptr;
}

void MenuItem::Clear() {
  while (!items_.empty()) items_.back()->Free();
}

MenuItem* MenuItem::AddItem(std::string caption, int tag, NotifyEvent onClick) {
  auto* item = new MenuItem(Owner() ? Owner() : this);
  item->Caption = std::move(caption);
  item->SetTag(tag);
  item->OnClick = std::move(onClick);
  Add(item);
  return item;
}

MenuItem* MenuItem::Find(std::string_view caption) const {
  for (MenuItem* i : items_)
    if (text::SameText(text::ReplaceAll(i->Caption, "&", ""), text::ReplaceAll(caption, "&", ""))) return i;
  return nullptr;
}

void MenuItem::Click() {
  if (!Enabled) return;
  if (RadioItem) {
    if (parent_)
      for (MenuItem* i : parent_->items_)
        if (i->RadioItem && i->GroupIndex == GroupIndex) i->Checked = false;
    Checked = true;
  }
  if (OnClick) OnClick(*this);
  else if (action_) action_->Execute();
}

// ---------------------------------------------------------------- menus

Menu::Menu(Component* owner) : Component(owner), root_(new MenuItem(this)) {}

static MenuItem* FindSc(const MenuItem& m, ShortCut sc) {
  for (int i = 0; i < m.Count(); ++i) {
    MenuItem* it = m.Items(i);
    if (!it->Visible || !it->Enabled) continue;
    if (it->Shortcut == sc) return it;
    if (MenuItem* r = FindSc(*it, sc)) return r;
  }
  return nullptr;
}

MenuItem* Menu::FindShortCut(ShortCut sc) const { return sc ? FindSc(*root_, sc) : nullptr; }

bool MainMenu::OpenAccelerator(char32_t letter) {
  if (letter >= 'a' && letter <= 'z') letter -= 32;
  MenuItem& root = Items();
  for (int i = 0; i < root.Count(); ++i) {
    MenuItem* it = root.Items(i);
    if (!it->Visible || !it->Enabled || it->IsSeparator() || AcceleratorOf(it->Caption) != letter) continue;
    if (it->Count() == 0) {
      dropped_ = nullptr;
      it->Click();
      return true;
    }
    dropped_ = it;
    if (it->OnClick) it->OnClick(*it);  // an item with sub-items may build them as it opens
    return true;
  }
  return false;
}

MenuItem* MainMenu::DroppedItem() const { return Alive(dropped_) ? dropped_ : nullptr; }

void PopupMenu::Popup(int x, int y) {
  point_ = Point{x, y};
  if (OnPopup) OnPopup(*this);
  open_ = true;
}

void PopupMenu::ChooseItem(MenuItem* item) {
  open_ = false;
  if (item && !item->IsSeparator() && item->Visible) item->Click();
}

// ---------------------------------------------------------------- actions

void Action::DescribeProps(PropList& out) const {
  Component::DescribeProps(out);
  static const PropDef props[] = {
      {"Caption", [](const Component& c) { return static_cast<const Action&>(c).Caption(); },
       [](Component& c, std::string_view v) { static_cast<Action&>(c).SetCaption(std::string(v)); }},
      {"Hint", [](const Component& c) { return static_cast<const Action&>(c).Hint(); },
       [](Component& c, std::string_view v) { static_cast<Action&>(c).SetHint(std::string(v)); }},
      {"Enabled", [](const Component& c) { return BoolText(static_cast<const Action&>(c).Enabled()); },
       [](Component& c, std::string_view v) { static_cast<Action&>(c).SetEnabled(ParseBool(v)); }},
      {"Checked", [](const Component& c) { return BoolText(static_cast<const Action&>(c).Checked()); },
       [](Component& c, std::string_view v) { static_cast<Action&>(c).SetChecked(ParseBool(v)); }},
      {"Visible", [](const Component& c) { return BoolText(static_cast<const Action&>(c).Visible()); },
       [](Component& c, std::string_view v) { static_cast<Action&>(c).SetVisible(ParseBool(v)); }},
      {"ImageIndex", [](const Component& c) { return std::to_string(static_cast<const Action&>(c).ImageIndex()); },
       [](Component& c, std::string_view v) { static_cast<Action&>(c).SetImageIndex(ParseInt(v)); }},
  };
  for (auto& p : props) out.push_back(&p);
}

void Action::SetCaption(std::string v) {
  if (v == caption_) return;
  caption_ = std::move(v);
  Notify();
}

void Action::SetHint(std::string v) {
  if (v == hint_) return;
  hint_ = std::move(v);
  Notify();
}

void Action::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Notify();
}

void Action::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Notify();
}

void Action::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Notify();
}

void Action::SetImageIndex(int v) {
  if (v == imageIndex_) return;
  imageIndex_ = v;
  Notify();
}

void Action::Notify() {
  auto clients = clients_;  // a client may unlink itself while it follows
  for (auto& [c, changed] : clients)
    if (Alive(c) && changed) changed(*this);
}

void Action::AddClient(Component* client, std::function<void(Action&)> changed) {
  if (!client) return;
  RemoveClient(client);
  clients_.emplace_back(client, std::move(changed));
  FreeNotification(client);
  if (clients_.back().second) clients_.back().second(*this);
}

void Action::RemoveClient(Component* client) {
  auto it = std::find_if(clients_.begin(), clients_.end(), [&](auto& e) { return e.first == client; });
  if (it == clients_.end()) return;
  clients_.erase(it);
  RemoveFreeNotification(client);
  if (Alive(client)) client->RemoveFreeNotification(this);
}

void Action::Notification(Component* gone) {
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(), [&](auto& e) { return e.first == gone; }),
                 clients_.end());
}

bool Action::Execute() {
  if (OnUpdate) OnUpdate(*this);
  if (!enabled_ || !OnExecute) return false;
  OnExecute(*this);
  return true;
}

std::vector<Action*> ActionList::Actions() const {
  std::vector<Action*> out;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* a = dynamic_cast<Action*>(Components(i))) out.push_back(a);
  return out;
}

Action* ActionList::FindShortCut(ShortCut sc) const {
  if (!sc) return nullptr;
  for (Action* a : Actions())
    if (a->Shortcut == sc && a->Enabled()) return a;
  return nullptr;
}

// ---------------------------------------------------------------- Timer

Timer::Timer(Component* owner) : Component(owner) {
  Restart();
  App().AddTimer(this);
}

Timer::~Timer() { App().RemoveTimer(this); }

void Timer::DescribeProps(PropList& out) const {
  Component::DescribeProps(out);
  static const PropDef props[] = {
      {"Enabled", [](const Component& c) { return BoolText(static_cast<const Timer&>(c).Enabled()); },
       [](Component& c, std::string_view v) { static_cast<Timer&>(c).SetEnabled(ParseBool(v)); }},
      {"Interval", [](const Component& c) { return std::to_string(static_cast<const Timer&>(c).Interval()); },
       [](Component& c, std::string_view v) { static_cast<Timer&>(c).SetInterval(ParseInt(v)); }},
  };
  for (auto& p : props) out.push_back(&p);
}

void Timer::Restart() { due_ = GetClock().Milliseconds() + interval_; }

void Timer::SetEnabled(bool v) {
  enabled_ = v;
  Restart();
}

void Timer::SetInterval(int ms) {
  interval_ = std::max(0, ms);
  Restart();
}

void Timer::Fire() {
  Restart();
  NotifyEvent handler = OnTimer;  // the handler may replace itself or free the timer
  if (handler) App().Guard([&] { handler(*this); });
}

}  // namespace yz::ui
