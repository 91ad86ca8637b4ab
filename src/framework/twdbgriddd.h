// The drop-down list grid of a lookup edit: hidden until the edit drops it down, it shows the
// rows answered for the typed text; Enter, a click or a double click takes the current row
// into the edit. One list grid per window also hooks the window's creation to set up every
// lookup edit of the window.
#pragma once
#include <string>

#include "platform/ui/dbgrid.h"

namespace yz {

class TtwDBEditDD;

class TtwDBGridDD : public ui::DBGrid {
 public:
  explicit TtwDBGridDD(ui::Component* owner);
  std::string ClassName() const override { return "TtwDBGridDD"; }
  void DescribeProps(ui::PropList& out) const override;

  // Options at rest and while dropped down.
  static constexpr unsigned kRestOptions = ui::dgTitles | ui::dgIndicator | ui::dgColumnResize | ui::dgColLines |
                                           ui::dgRowLines | ui::dgAlwaysShowSelection | ui::dgConfirmDelete |
                                           ui::dgCancelOnExit;
  static constexpr unsigned kDroppedOptions = ui::dgTitles | ui::dgIndicator | ui::dgColumnResize |
                                              ui::dgColLines | ui::dgRowSelect | ui::dgAlwaysShowSelection |
                                              ui::dgConfirmDelete | ui::dgCancelOnExit;

  // Published.
  bool FixPosition = false;  // true keeps the grid where it was designed
  bool AutoScroll = true;
  bool ExtendFormOnCreate() const { return extendFormOnCreate_; }
  // True hooks the owning window's creation: the set-up of its lookup edits runs first, then
  // the window's own creation handler. A window hooks at most once.
  void SetExtendFormOnCreate(bool v);

  // The edit this grid drops down for (set by the edit's DropDBGrid assignment).
  TtwDBEditDD* Edit() const { return edit_; }
  void BindEdit(TtwDBEditDD* edit);

  // True once, right after a mouse press on the grid started moving the focus into it (the
  // edit's exit handler asks, to keep its state while the user picks from the list).
  bool TakeMouseFocusing();

  void SetVisible(bool v) override;
  bool WantsKey(ui::Word key) const override;
  void KeyDownDefault(ui::Word& key, ui::ShiftState shift) override;
  void MouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y) override;
  void MouseUp(ui::MouseButton button, ui::ShiftState shift, int x, int y) override;
  void Click() override;
  void DblClick() override;
  void Notification(ui::Component* gone) override;

 private:
  bool ListHasRows() const;
  void TakeRow();
  TtwDBEditDD* edit_ = nullptr;
  bool extendFormOnCreate_ = false;
  bool hooked_ = false;
  bool mouseFocusing_ = false;
};

}  // namespace yz
