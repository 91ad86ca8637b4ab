// Order sets and dictionaries of the order data servers.
#include "servers/registry.h"

namespace yz::servers {

void AddOrderServers(ServerMap&) {}

}  // namespace yz::servers
