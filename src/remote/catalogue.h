// The application servers the module reaches: programmatic identifier, class identifier and
// the providers and methods each one offers.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace yz::remote {

struct ServerInfo {
  std::string progId;
  std::string classId;  // "{...}" in upper case
  std::vector<std::string> providers;
  std::vector<std::string> methods;
};

// Every known server, in a fixed order.
const std::vector<ServerInfo>& Catalogue();
// Lookups by programmatic identifier or class identifier (case-insensitive, braces
// optional for the class identifier); null when unknown.
const ServerInfo* FindServerByProgId(std::string_view progId);
const ServerInfo* FindServerByClassId(std::string_view classId);

// Programmatic identifier of the authorization server, which the module addresses by class
// identifier only.
inline constexpr const char* kAuthorizeServer = "ovhk_authorize.ovhk_pub_sql";
inline constexpr const char* kAuthorizeClassId = "{ECD17B08-D536-49D5-936A-C8F5D23B968A}";

}  // namespace yz::remote
