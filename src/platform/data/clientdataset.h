// A dataset that fetches its rows from a provider of an application server and applies its
// change log back to it.
#pragma once
#include <string>

#include "platform/data/appserver.h"
#include "platform/data/dataset.h"
#include "platform/data/params.h"

namespace yz::data {

class ClientDataSet : public DataSet {
 public:
  explicit ClientDataSet(std::string name = {}) : DataSet(std::move(name)) {}

  // The server side; the remote layer's connection implements AppServer.
  AppServer* RemoteServer() const { return server_; }
  void SetRemoteServer(AppServer* s) { server_ = s; }
  const std::string& ProviderName() const { return providerName_; }
  void SetProviderName(std::string p) { providerName_ = std::move(p); }

  Params& GetParams() { return params_; }
  // Asks the provider for its parameter list and replaces Params with it.
  void FetchParams();
  // Command text sent with the next open; setting a different text while closed discards the
  // local rows before the next open.
  const std::string& CommandText() const { return commandText_; }
  void SetCommandText(std::string sql);

  // Sends the change log; each rejected row goes to OnReconcileError (default: Skip). Rows
  // applied are merged; rows rejected or skipped stay in the log unless the reconcile action
  // cancels them (Cancel) or takes the server's values (Refresh / Merge). Returns the error
  // count. A row being edited is posted first. Throws when the server cannot be reached;
  // nothing is lost then.
  int ApplyUpdates(int maxErrors);
  // Runs the provider's statement without rows.
  void Execute();
  // Re-fetches with the same params, keeping the cursor on the same key when possible.
  void Refresh();

 protected:
  void InternalOpen() override;

 private:
  AppServer& Server() const;  // throws when no server or provider is set

  AppServer* server_ = nullptr;
  std::string providerName_;
  Params params_;
  std::string commandText_;
};

}  // namespace yz::data
