// The record of every call a connection makes, and the fault switch that makes chosen calls
// fail. Tests and scenarios read the record to see the exact SQL text and params sent.
#pragma once
#include <string>
#include <vector>

namespace yz::remote {

struct CallEntry {
  std::string server;       // programmatic identifier
  std::string kind;         // Connect, GetParams, GetRecords, ApplyUpdates, Execute, Call
  std::string name;         // provider or method name ("" for Connect)
  std::string params;       // "name=value; ..." in order (values as Variant::Debug)
  std::string commandText;  // SQL text sent with the call
  std::string args;         // method arguments in, "a; b; c"
  std::string argsOut;      // method arguments after the call (by-reference values)
  std::string answer;       // "3 rows", "errors 1; row 1: text", the method result, or "error: text"
};

std::vector<CallEntry>& CallRecord();
void ClearCallRecord();
// Entries whose name (or kind, for Connect) matches, case-insensitive.
std::vector<CallEntry> CallsNamed(const std::string& name);

// Makes every call named `name` (a provider, method, or "Connect") fail with `text`; with a
// server, only calls to that server. Stays until cleared.
void SetFault(const std::string& name, const std::string& text);
void SetFault(const std::string& server, const std::string& name, const std::string& text);
void ClearFault(const std::string& name);
void ClearFaults();

}  // namespace yz::remote
