// How a connection reaches its server. A transport activates one server instance per
// connection; the instance answers provider and method calls. The embedded transport runs
// the reference servers in this process; another transport (a socket to a server process)
// can be added behind the same interface without touching the callers.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/data/appserver.h"
#include "remote/catalogue.h"

namespace yz::remote {

// One activated server: provider calls and late-bound methods. By-reference arguments are
// written back into args.
class ServerInstance : public data::AppServer {
 public:
  virtual Variant Call(const std::string& method, VariantArray& args) = 0;
};

class Transport {
 public:
  virtual ~Transport() = default;
  // A new instance of the server; throws yz::Error with the server's text when it cannot
  // be activated.
  virtual std::unique_ptr<ServerInstance> Activate(const ServerInfo& server) = 0;
};

// Where the embedded servers keep their data, from a connection's computer name:
//   ""                  -> $YZ_DATABASE when set, else "yzdemo.db" in the current directory
//   "sqlite:<path>"     -> that file; "sqlite::memory:" is a private in-memory database
// Any other computer name is a remote computer (answers an empty location).
std::string EmbeddedLocation(const std::string& computerName);

// The process installs the embedded servers at start-up (the servers' library does it for
// its users); the factory answers the transport of a location and keeps it for later calls.
using EmbeddedFactory = std::function<std::shared_ptr<Transport>(const std::string& location)>;
void SetEmbeddedFactory(EmbeddedFactory factory);
bool HasEmbeddedFactory();

// The transport for a computer name; throws yz::Error naming the computer when no
// transport can reach it.
std::shared_ptr<Transport> TransportFor(const std::string& computerName);

}  // namespace yz::remote
