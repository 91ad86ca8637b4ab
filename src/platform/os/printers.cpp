#include "platform/os/printers.h"

#include <cups/cups.h>

#include <cstdlib>
#include <optional>

#include "platform/base/text.h"

namespace yz::os {

namespace {
std::optional<std::vector<std::string>> g_installed;
}

std::vector<std::string> Printers() {
  if (g_installed) return *g_installed;
  std::vector<std::string> names;
  if (const char* env = std::getenv("YZ_PRINTERS")) {
    for (auto& name : text::Split(env, ';'))
      if (!text::Trim(name).empty()) names.push_back(text::Trim(name));
    return names;
  }
  cups_dest_t* dests = nullptr;
  int n = cupsGetDests(&dests);
  for (int i = 0; i < n; ++i) {
    std::string name = dests[i].name ? dests[i].name : "";
    if (dests[i].instance) name += "/" + std::string(dests[i].instance);
    names.push_back(std::move(name));
  }
  cupsFreeDests(n, dests);
  return names;
}

void SetPrinters(std::vector<std::string> names) { g_installed = std::move(names); }
void ClearInstalledPrinters() { g_installed.reset(); }

}  // namespace yz::os
