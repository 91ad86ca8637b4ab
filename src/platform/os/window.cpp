#include "platform/os/window.h"

#include <map>

#include "platform/base/error.h"

namespace yz::os {
namespace {

struct Window {
  void* object = nullptr;
  std::string className;
  HWND parent = 0;
};

struct Registry {
  std::map<HWND, Window> windows;
  HWND next = 0x100;
  std::vector<SentMessage> sent;
};

Registry& Reg() {
  static Registry r;
  return r;
}

Window& Find(HWND h) {
  auto it = Reg().windows.find(h);
  if (it == Reg().windows.end()) throw Error("Invalid window handle " + std::to_string(h));
  return it->second;
}

}  // namespace

HWND AllocateHandle(void* object, std::string className) {
  HWND h = Reg().next++;
  Reg().windows[h] = Window{object, std::move(className), 0};
  return h;
}

void ReleaseHandle(HWND h) {
  auto& w = Reg().windows;
  w.erase(h);
  for (auto& [k, v] : w)
    if (v.parent == h) v.parent = 0;
}

HWND CreateHostWindow(std::string className) { return AllocateHandle(nullptr, std::move(className)); }

bool IsWindow(HWND h) { return Reg().windows.count(h) != 0; }

void* HandleObject(HWND h) {
  auto it = Reg().windows.find(h);
  return it == Reg().windows.end() ? nullptr : it->second.object;
}

std::string WindowClassName(HWND h) {
  auto it = Reg().windows.find(h);
  return it == Reg().windows.end() ? std::string() : it->second.className;
}

HWND SetParent(HWND child, HWND parent) {
  Window& w = Find(child);
  if (parent != 0) Find(parent);
  HWND old = w.parent;
  w.parent = parent;
  return old;
}

HWND GetParent(HWND h) {
  auto it = Reg().windows.find(h);
  return it == Reg().windows.end() ? 0 : it->second.parent;
}

std::intptr_t SendMessage(HWND target, unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
  Reg().sent.push_back(SentMessage{target, message, wParam, lParam});
  return 0;
}

const std::vector<SentMessage>& SentMessages() { return Reg().sent; }
void ClearSentMessages() { Reg().sent.clear(); }

}  // namespace yz::os
