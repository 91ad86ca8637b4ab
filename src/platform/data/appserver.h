// What a provider record set needs of the server side. The remote layer implements it for a
// connection; tests may implement it with a small in-test provider.
#pragma once
#include <string>
#include <vector>

#include "platform/data/packet.h"
#include "platform/data/params.h"

namespace yz::data {

// One row the server refused while applying a change packet.
struct ApplyError {
  int deltaRow = 0;       // index of the row in the change packet (the new-values row of a modification)
  UpdateKind kind = UpdateKind::Modify;
  std::string message;    // the server's text
  // The row as it stands on the server now, when the server knows it (for "refresh").
  std::vector<Variant> currentValues;
};

struct ApplyResult {
  int errorCount = 0;
  std::vector<ApplyError> errors;
};

class AppServer {
 public:
  virtual ~AppServer() = default;
  // Parameters the provider expects (names and types), for FetchParams.
  virtual Params GetParams(const std::string& provider) = 0;
  // Rows of the provider for the given parameters; commandText, when not empty, replaces the
  // provider's own statement.
  virtual DataPacket GetRecords(const std::string& provider, const Params& params, const std::string& commandText) = 0;
  // Applies a change packet row by row, each row on its own: a rejected row is reported in
  // errors and the others are still applied (nothing that passed is rolled back). maxErrors
  // is the caller's tolerance; it is forwarded for the record, and the client decides from
  // errorCount whether the apply as a whole failed.
  virtual ApplyResult ApplyUpdates(const std::string& provider, const DataPacket& delta, int maxErrors) = 0;
  // Runs the provider's statement (or commandText) without answering rows.
  virtual void Execute(const std::string& provider, const Params& params, const std::string& commandText) = 0;
};

}  // namespace yz::data
