// Menus, action lists, timers and image lists.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/component.h"

namespace yz::ui {

class ImageList;
class Action;

// A menu item: caption ("-" is a separator), tag, checked, enabled, visible, short cut and
// sub-items. Items belong to the component that made them; the menu tree only links them.
class MenuItem : public Component {
 public:
  explicit MenuItem(Component* owner);
  ~MenuItem() override;
  std::string ClassName() const override { return "MenuItem"; }
  void DescribeProps(PropList& out) const override;

  std::string Caption, Hint;
  bool Checked = false, Enabled = true, Visible = true, RadioItem = false;
  int GroupIndex = 0, ImageIndex = -1;
  ShortCut Shortcut = 0;
  bool IsSeparator() const { return Caption == "-"; }

  int Count() const { return static_cast<int>(items_.size()); }
  MenuItem* Items(int i) const { return items_.at(i); }
  MenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  void Add(MenuItem* item);
  void Insert(int index, MenuItem* item);
  void Remove(MenuItem* item);
  void Clear();  // frees the sub-items
  // Makes, adds and returns a sub-item owned by this item's owner.
  MenuItem* AddItem(std::string caption, int tag = 0, NotifyEvent onClick = {});
  MenuItem* Find(std::string_view caption) const;  // by caption without '&'

  // Runs OnClick (or, without one, executes the linked action) after the automatic check of
  // radio items; nothing for a disabled item.
  void Click();
  NotifyEvent OnClick;

  // A linked action: caption, hint, enabled, checked, visible, image index and short cut
  // follow it; clicking executes it.
  Action* GetAction() const { return action_; }
  void SetAction(Action* a);
  void Notification(Component* gone) override;

 private:
  Action* action_ = nullptr;
  MenuItem* parent_ = nullptr;
  std::vector<MenuItem*> items_;
};

class Menu : public Component {
 public:
  explicit Menu(Component* owner);
  MenuItem& Items() { return *root_; }
  ImageList* Images = nullptr;
  // The item whose short cut is `sc` (enabled and visible), or null.
  MenuItem* FindShortCut(ShortCut sc) const;

 private:
  MenuItem* root_;
};

class MainMenu : public Menu {
 public:
  using Menu::Menu;
  std::string ClassName() const override { return "MainMenu"; }
  // Alt + the accelerator letter of a visible, enabled top-level item: an item without
  // sub-items is clicked; an item with sub-items runs its OnClick and drops down (it is the
  // dropped item until CloseUp or another item drops down). False when no item has the letter.
  bool OpenAccelerator(char32_t letter);
  MenuItem* DroppedItem() const;
  void CloseUp() { dropped_ = nullptr; }

 private:
  MenuItem* dropped_ = nullptr;
};

class PopupMenu : public Menu {
 public:
  using Menu::Menu;
  std::string ClassName() const override { return "PopupMenu"; }
  // Pops up at screen position (x, y): OnPopup runs, then the menu is open until an item
  // is chosen (ChooseItem) or it is dismissed (Dismiss).
  void Popup(int x, int y);
  bool IsOpen() const { return open_; }
  void ChooseItem(MenuItem* item);  // closes the menu and clicks the item
  void Dismiss() { open_ = false; }
  Point PopupPoint() const { return point_; }
  Component* PopupComponent = nullptr;
  bool AutoPopup = true;
  NotifyEvent OnPopup;

 private:
  bool open_ = false;
  Point point_;
};

// An action: one command with its caption, hint, state and image, shared by the buttons,
// tool buttons and menu items linked to it. Every change of the action's properties is
// passed on to the linked controls at once.
class Action : public Component {
 public:
  // Going away, the action unlinks its controls (they keep their last state).
  explicit Action(Component* owner) : Component(owner) {}
  std::string ClassName() const override { return "Action"; }
  void DescribeProps(PropList& out) const override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  std::string Category;
  ShortCut Shortcut = 0;

  // Runs OnUpdate then, when enabled, OnExecute; true when it executed.
  bool Execute();
  NotifyEvent OnExecute, OnUpdate;

  // Linked controls (their SetAction links them): `changed` runs now and after every change.
  void AddClient(Component* client, std::function<void(Action&)> changed);
  void RemoveClient(Component* client);
  int ClientCount() const { return static_cast<int>(clients_.size()); }
  void Notification(Component* gone) override;

 private:
  void Notify();
  std::string caption_, hint_;
  bool enabled_ = true, checked_ = false, visible_ = true;
  int imageIndex_ = -1;
  std::vector<std::pair<Component*, std::function<void(Action&)>>> clients_;
};

class ActionList : public Component {
 public:
  explicit ActionList(Component* owner) : Component(owner) {}
  std::string ClassName() const override { return "ActionList"; }
  ImageList* Images = nullptr;
  // The actions are the Action components with this list as owner, in creation order.
  std::vector<Action*> Actions() const;
  Action* FindShortCut(ShortCut sc) const;
};

// Fires OnTimer every Interval milliseconds of the process clock while enabled (the
// application's Advance or RunDueTimers make it fire). Interval 0 never fires.
class Timer : public Component {
 public:
  explicit Timer(Component* owner);
  ~Timer() override;
  std::string ClassName() const override { return "Timer"; }
  void DescribeProps(PropList& out) const override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);      // (re)starts the interval from now
  int Interval() const { return interval_; }
  void SetInterval(int ms);     // restarts the interval from now
  std::int64_t Due() const { return due_; }
  bool Active() const { return enabled_ && interval_ > 0 && OnTimer != nullptr; }
  void Fire();  // runs OnTimer inside the event guard and schedules the next time
  NotifyEvent OnTimer;

 private:
  void Restart();
  bool enabled_ = true;
  int interval_ = 1000;
  std::int64_t due_ = 0;
};

// A list of images of one size; pictures are named so draw calls can be read.
class ImageList : public Component {
 public:
  explicit ImageList(Component* owner) : Component(owner) {}
  std::string ClassName() const override { return "ImageList"; }
  int Width = 16, Height = 16;
  std::vector<std::string> Images;  // names or files, by index
  int Count() const { return static_cast<int>(Images.size()); }
};

}  // namespace yz::ui
