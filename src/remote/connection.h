// A connection to one application server, named by programmatic identifier and/or class
// identifier, on a computer. Provider record sets use it as their AppServer; methods are
// called late-bound by name.
#pragma once
#include <memory>
#include <string>

#include "platform/data/appserver.h"

namespace yz::remote {

class ServerInstance;
class Transport;

class Connection : public data::AppServer {
 public:
  explicit Connection(std::string progId = {}, std::string classId = {}, std::string computerName = {});
  ~Connection() override;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& ServerName() const { return progId_; }  // programmatic identifier
  void SetServerName(std::string progId);
  const std::string& ServerGUID() const { return classId_; }  // class identifier
  void SetServerGUID(std::string classId);
  const std::string& ComputerName() const { return computer_; }
  // Changing the computer of a connected connection disconnects it.
  void SetComputerName(std::string name);

  // Activates the server (throws yz::Error with the server's text when that fails).
  void Connect();
  void Disconnect();
  bool Connected() const { return instance_ != nullptr; }
  void SetConnected(bool v) { v ? Connect() : Disconnect(); }
  // How many times this connection was activated.
  int ConnectCount() const { return connectCount_; }

  // Late-bound method call. Arguments are positional; the server may write back by-reference
  // arguments into args. Connects first when needed.
  Variant Call(const std::string& method, VariantArray& args);
  Variant Call(const std::string& method);

  // AppServer (each connects first when needed).
  data::Params GetParams(const std::string& provider) override;
  data::DataPacket GetRecords(const std::string& provider, const data::Params& params,
                              const std::string& commandText) override;
  data::ApplyResult ApplyUpdates(const std::string& provider, const data::DataPacket& delta, int maxErrors) override;
  void Execute(const std::string& provider, const data::Params& params, const std::string& commandText) override;

  // The programmatic identifier the calls go to (from the class identifier when only that
  // is given); throws when neither names a known server.
  std::string ResolvedServer() const;

 private:
  ServerInstance& Instance();

  std::string progId_, classId_, computer_;
  std::shared_ptr<Transport> transport_;
  std::unique_ptr<ServerInstance> instance_;
  int connectCount_ = 0;
};

}  // namespace yz::remote
