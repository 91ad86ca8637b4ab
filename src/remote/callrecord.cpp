#include "remote/callrecord.h"

#include "platform/base/text.h"

namespace yz::remote {
namespace {

struct Fault {
  std::string server, name, text;
};

std::vector<Fault>& Faults() {
  static std::vector<Fault> faults;
  return faults;
}

}  // namespace

std::vector<CallEntry>& CallRecord() {
  static std::vector<CallEntry> record;
  return record;
}

void ClearCallRecord() { CallRecord().clear(); }

std::vector<CallEntry> CallsNamed(const std::string& name) {
  std::vector<CallEntry> out;
  for (const auto& e : CallRecord())
    if (text::SameText(e.name, name) || (e.name.empty() && text::SameText(e.kind, name))) out.push_back(e);
  return out;
}

void SetFault(const std::string& name, const std::string& text) { SetFault(std::string(), name, text); }

void SetFault(const std::string& server, const std::string& name, const std::string& text) {
  for (auto& f : Faults())
    if (text::SameText(f.server, server) && text::SameText(f.name, name)) {
      f.text = text;
      return;
    }
  Faults().push_back({server, name, text});
}

void ClearFault(const std::string& name) {
  auto& f = Faults();
  std::erase_if(f, [&](const Fault& x) { return text::SameText(x.name, name); });
}

void ClearFaults() { Faults().clear(); }

// Used by the connection: the text of a fault set for this call, or null.
const std::string* FindFault(const std::string& server, const std::string& name) {
  for (const auto& f : Faults())
    if (text::SameText(f.name, name) && (f.server.empty() || text::SameText(f.server, server))) return &f.text;
  return nullptr;
}

}  // namespace yz::remote
