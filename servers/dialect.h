// Turns SQL text written in the module's database dialect into SQLite text. Anything the
// translator does not know is refused with an error naming the construct.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/error.h"

namespace yz::servers {

struct TranslatedSql {
  std::string sql;                  // SQLite text; parameters as '?', in order
  std::vector<std::string> params;  // name of each ':name' parameter, in order (names may repeat)
};

// Throws yz::Error "SQL construct not supported: <construct>" for unknown constructs.
TranslatedSql TranslateSql(std::string_view text);

// Names of the 'dbo.' functions the servers provide (lower case, without "dbo.").
const std::vector<std::string>& DatabaseFunctions();

}  // namespace yz::servers
