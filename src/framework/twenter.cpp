#include "framework/twenter.h"

#include "platform/ui/dbgrid.h"
#include "platform/ui/forms.h"

namespace yz {

TTWEnter::TTWEnter(ui::Form* form) : ui::Component(form) {
  if (!form || form->Tag() == 1) return;
  auto previous = std::make_shared<ui::NotifyEvent>(std::move(form->OnCreate));
  form->OnCreate = [form, previous](ui::Component& sender) {
    // Clearing OnCreate destroys this handler: keep what it needs first.
    ui::Form* f = form;
    ui::NotifyEvent first = std::move(*previous);
    f->OnCreate = nullptr;  // the remembered handler runs once, then is forgotten
    if (first) first(sender);
    // The window's tag is final only once it is built (derived windows set it after the base).
    if (f->Tag() != 1) InstallOn(*f);
  };
}

void TTWEnter::InstallOn(ui::Form& form) {
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* c = dynamic_cast<ui::WinControl*>(form.Components(i));
    if (!c || c->ClassName() == "TtwDBEditDD") continue;
    c->OnKeyPress = NavigationKeyPress;
  }
}

void TTWEnter::NavigationKeyPress(ui::Component& sender, char32_t& key) {
  if (key != U'\r') return;
  if (auto* grid = dynamic_cast<ui::DBGrid*>(&sender)) {
    ui::Word tab = ui::VK_TAB;
    grid->DoKeyDown(tab, 0);
    return;
  }
  auto* control = dynamic_cast<ui::WinControl*>(&sender);
  if (!control || control->Tag() != 0) return;
  if (ui::Form* form = control->GetParentForm()) form->SelectNext(control, true, true);
}

}  // namespace yz
