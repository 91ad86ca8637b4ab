#include "framework/showbox.h"

#include "platform/base/text.h"
#include "platform/ui/forms.h"

namespace yz {

int ShowBox(const std::string& text, int type, int kind) {
  const char* caption;
  ui::MsgIcon icon;
  switch (type) {
    case 1: caption = "提示"; icon = ui::MsgIcon::Warning; break;
    case 2: caption = "错误"; icon = ui::MsgIcon::Error; break;
    default: return 0;
  }
  unsigned buttons;
  switch (kind) {
    case 1: buttons = ui::mbOK; break;
    case 2: buttons = ui::mbOKCancel; break;
    case 3: buttons = ui::mbYesNo; break;
    case 4: buttons = ui::mbYesNoCancel; break;
    default: return 0;
  }
  return ui::App().MessageBox(text, caption, icon, buttons);
}

void ShowPlain(const std::string& text) { ui::App().ShowMessage(text); }

std::string RightText(const std::string& text, int n) {
  if (n <= 0) return "";
  return text::Right(text, static_cast<size_t>(n));
}

}  // namespace yz
