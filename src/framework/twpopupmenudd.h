// The input-method menu of a drop-down lookup edit: holds how typed text is matched (the
// input method, in the menu's tag) and how many rows a list shows, shows the method in the
// edit's hint and colour, and lets the user change both.
#pragma once
#include <string>

#include "platform/ui/menus.h"

namespace yz {

// What the menu needs of the edit that owns it.
class InputMethodHost {
 public:
  virtual ~InputMethodHost() = default;
  // An edit that fetches its list once ignores row-limit changes.
  virtual bool FetchesListOnce() const = 0;
  // The row limit changed (0: no limit): the edit sends it to the server at once.
  virtual void RowLimitChanged(int limit) = 0;
};

class TtwPopupMenuDD : public ui::PopupMenu {
 public:
  // `edit` is the owning control; its colour now is the colour of input method 0.
  explicit TtwPopupMenuDD(ui::Control* edit);
  std::string ClassName() const override { return "TtwPopupMenuDD"; }

  enum Method { Pinyin = 0, CustomCode = 1, Code = 2, Name = 3 };
  static constexpr ui::Color kColors[4] = {0, 0xF0CAA6, 0xC0DCC0, 0x00FFFF};

  int InputMethod() const { return Tag(); }
  // Stores the method; the edit's colour and hint follow it.
  void SetInputMethod(int method);
  // End: 0 -> 1 -> 2 -> 3 -> 0; Home: 0 -> 3 -> 2 -> 1 -> 0.
  void NextMethod();
  void PriorMethod();
  // The tag of the first checked item from the separator on (-1 counts as 0); 20 before the
  // menu was first shown.
  int RowLimit() const;
  bool ItemsBuilt() const { return built_; }
  // Builds the items once (first popup does it).
  void BuildItems();

  static std::string HintFor(int method);

 private:
  void MethodClick(ui::MenuItem& item);
  void LimitClick(ui::MenuItem& item);
  ui::Control* edit_;
  ui::Color firstColor_;
  bool built_ = false;
};

}  // namespace yz
