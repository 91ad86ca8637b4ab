#include "remote/transport.h"

#include <cstdlib>

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::remote {
namespace {

EmbeddedFactory& Factory() {
  static EmbeddedFactory factory;
  return factory;
}

}  // namespace

std::string EmbeddedLocation(const std::string& computerName) {
  std::string name = text::Trim(computerName);
  if (name.empty()) {
    const char* env = std::getenv("YZ_DATABASE");
    if (env && *env) return env;
    return "yzdemo.db";
  }
  if (text::StartsWith(text::Lower(name), "sqlite:")) return name.substr(7);
  return {};
}

void SetEmbeddedFactory(EmbeddedFactory factory) { Factory() = std::move(factory); }
bool HasEmbeddedFactory() { return static_cast<bool>(Factory()); }

std::shared_ptr<Transport> TransportFor(const std::string& computerName) {
  std::string location = EmbeddedLocation(computerName);
  if (location.empty())
    throw Error("Application server computer '" + computerName +
                "' cannot be reached: only the embedded servers are available (empty computer name or sqlite:<file>)");
  if (!Factory()) throw Error("No embedded application servers are installed in this process");
  auto t = Factory()(location);
  if (!t) throw Error("The embedded application servers cannot open '" + location + "'");
  return t;
}

}  // namespace yz::remote
