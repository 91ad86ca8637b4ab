// How the reference servers are put together: each server is a set of providers and
// methods; each subsystem's file adds its servers to the map through its Add...Servers
// function, called once when the embedded servers are first used.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/variant.h"
#include "platform/data/packet.h"
#include "platform/data/params.h"

namespace yz::servers {

class Database;
struct Instance;

// A provider: a select over one table (changes resolved by key fields), a command provider
// that runs the SQL text the client sends (no table, no select), or a provider with its own
// code (custom).
struct ProviderDef {
  std::string table;   // empty for a command provider
  std::string select;  // ':name' parameters
  std::vector<std::string> keys;
  std::map<std::string, data::FieldType> paramTypes;
  std::function<data::DataPacket(Instance&, const data::Params&)> custom = {};
};

using Method = std::function<Variant(Instance&, VariantArray&)>;

struct ServerDef {
  std::map<std::string, ProviderDef> providers;  // keys in lower case
  std::map<std::string, Method> methods;         // keys in lower case
};

// Per-connection state of a server instance.
struct Instance {
  std::shared_ptr<Database> db;
  std::string progId;
  std::string adoSql;  // the SQL-tag server's current text and row limit
  int adoLimit = 0;
};

// Programmatic identifier in lower case -> server.
using ServerMap = std::map<std::string, ServerDef>;

// Throws a clear error when a method got fewer arguments than it needs.
void NeedArgs(const char* method, const VariantArray& args, size_t n);

void AddSessionServers(ServerMap& m);    // configuration, users, patients, SQL tags
void AddConfigureServers(ServerMap& m);  // departments, wards, pharmacies
void AddOrderServers(ServerMap& m);      // order sets and dictionaries
void AddPrintServers(ServerMap& m);      // report definitions and report rows

}  // namespace yz::servers
