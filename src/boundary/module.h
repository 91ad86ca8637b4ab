// The module's own state behind the exports: the session set-up, the windows it handed out
// and the constant texts it hands back.
#pragma once
#include <string>
#include <vector>

#include "platform/os/window.h"

namespace yz::ui {
class Form;
}

namespace yz {

class TfrmConfigEdit;

// Constant texts handed to the host, in GBK, valid while the module is loaded.
const char* ReturnInfoText();  // "返回信息"
const char* CloseAnswer(bool closed);  // "0" closed, "1" kept open

// The session set-up of YzinputInitVariant (texts in UTF-8). Throws on a failure that ends
// the set-up early; fields not yet filled keep their previous values.
void InitSession(const std::string& patientId, const std::string& admissTimes, const std::string& userCode);

struct ModuleState {
  ui::Form* entryWindow = nullptr;     // the target of the five commands
  ui::Form* groupWindow = nullptr;
  TfrmConfigEdit* configWindow = nullptr;
  bool windowClosed = false;
  // Exports that have no window to work on yet, in call order.
  std::vector<std::string> withoutWindow;
};
ModuleState& Module();

// Every window the exports created that is still alive, oldest first.
std::vector<ui::Form*> ModuleWindows();
void AddModuleWindow(ui::Form* f);

}  // namespace yz
