// Window handles and messages. The module runs headless: a window handle is an integer the
// process hands out for each form (and for windows the host program owns), parent links are
// kept here, and messages sent to a handle are recorded so callers and tests can read them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace yz::os {

using HWND = std::intptr_t;  // 0: no window
constexpr unsigned WM_SETFOCUS = 7;
constexpr unsigned WM_KILLFOCUS = 8;
constexpr unsigned WM_CLOSE = 0x10;

struct SentMessage {
  HWND target = 0;
  unsigned message = 0;
  std::intptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

// A new handle for a window of this process; `object` is what the handle stands for (a
// toolkit control) and is answered by HandleObject.
HWND AllocateHandle(void* object, std::string className);
void ReleaseHandle(HWND h);
// A window owned by the host program (the module embeds its windows into it).
HWND CreateHostWindow(std::string className = "HostWindow");
bool IsWindow(HWND h);
void* HandleObject(HWND h);  // null for host windows and unknown handles
std::string WindowClassName(HWND h);

// Re-parents a window; returns the previous parent (0 when none). Unknown handles fail with
// yz::Error naming the handle.
HWND SetParent(HWND child, HWND parent);
HWND GetParent(HWND h);

// Records the message; windows of this process may also be told through a hook.
std::intptr_t SendMessage(HWND target, unsigned message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
const std::vector<SentMessage>& SentMessages();
void ClearSentMessages();

}  // namespace yz::os
