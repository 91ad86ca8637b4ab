// Enter navigation: placed on a window, it makes Enter move the focus to the next control in
// every windowed control the window owns directly (and to the next column inside grids).
#pragma once
#include "platform/ui/component.h"

namespace yz::ui {
class Form;
}

namespace yz {

class TTWEnter : public ui::Component {
 public:
  // Installs itself on `form` unless the form's tag is 1: the form's creation handler is
  // remembered and replaced; on creation the remembered handler runs first, then the
  // navigation handler is given to the controls.
  explicit TTWEnter(ui::Form* form);
  std::string ClassName() const override { return "TTWEnter"; }

  // The navigation key handler given to each control.
  static void NavigationKeyPress(ui::Component& sender, char32_t& key);
  // Gives the handler to every windowed control the form owns directly (drop-down lookup
  // edits excepted: they handle Enter themselves).
  static void InstallOn(ui::Form& form);
};

}  // namespace yz
