#include "remote/connection.h"

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "remote/callrecord.h"
#include "remote/transport.h"

namespace yz::remote {

const std::string* FindFault(const std::string& server, const std::string& name);

namespace {

std::string ParamsText(const data::Params& params) {
  std::string out;
  for (const auto& p : params) {
    if (!out.empty()) out += "; ";
    out += p.Name() + "=" + p.Value().Debug();
  }
  return out;
}

std::string ArgsText(const VariantArray& args) {
  std::string out;
  for (const auto& a : args) {
    if (!out.empty()) out += "; ";
    out += a.Debug();
  }
  return out;
}

// Appends the entry, runs the call with the fault switch applied, and completes the answer.
template <class F>
auto Recorded(CallEntry entry, F&& call) {
  auto& record = CallRecord();
  record.push_back(entry);
  size_t index = record.size() - 1;
  try {
    if (const std::string* fault = FindFault(entry.server, entry.name.empty() ? entry.kind : entry.name))
      throw Error(*fault);
    return call(CallRecord()[index]);
  } catch (const std::exception& e) {
    CallRecord()[index].answer = std::string("error: ") + e.what();
    throw;
  }
}

}  // namespace

Connection::Connection(std::string progId, std::string classId, std::string computerName)
    : progId_(std::move(progId)), classId_(std::move(classId)), computer_(std::move(computerName)) {}

Connection::~Connection() = default;

void Connection::SetServerName(std::string progId) {
  if (progId != progId_) Disconnect();
  progId_ = std::move(progId);
}

void Connection::SetServerGUID(std::string classId) {
  if (classId != classId_) Disconnect();
  classId_ = std::move(classId);
}

void Connection::SetComputerName(std::string name) {
  if (name != computer_) Disconnect();
  computer_ = std::move(name);
}

std::string Connection::ResolvedServer() const {
  if (!progId_.empty()) {
    if (const ServerInfo* s = FindServerByProgId(progId_)) return s->progId;
  }
  if (!classId_.empty()) {
    if (const ServerInfo* s = FindServerByClassId(classId_)) return s->progId;
  }
  if (!progId_.empty()) return progId_;
  if (!classId_.empty()) throw Error("Class " + classId_ + " is not registered");
  throw Error("The connection names no application server");
}

void Connection::Connect() {
  if (instance_) return;
  std::string server = ResolvedServer();
  CallEntry e;
  e.server = server;
  e.kind = "Connect";
  e.args = computer_;
  Recorded(e, [&](CallEntry& rec) {
    ServerInfo info;
    if (const ServerInfo* s = FindServerByProgId(server)) info = *s;
    else info = {server, classId_, {}, {}};
    auto transport = TransportFor(computer_);
    instance_ = transport->Activate(info);
    transport_ = std::move(transport);
    ++connectCount_;
    rec.answer = "connected";
    return 0;
  });
}

void Connection::Disconnect() {
  instance_.reset();
  transport_.reset();
}

ServerInstance& Connection::Instance() {
  Connect();
  return *instance_;
}

Variant Connection::Call(const std::string& method) {
  VariantArray none;
  return Call(method, none);
}

Variant Connection::Call(const std::string& method, VariantArray& args) {
  ServerInstance& inst = Instance();
  CallEntry e;
  e.server = ResolvedServer();
  e.kind = "Call";
  e.name = method;
  e.args = ArgsText(args);
  return Recorded(e, [&](CallEntry& rec) {
    Variant v = inst.Call(method, args);
    rec.argsOut = ArgsText(args);
    rec.answer = v.Debug();
    return v;
  });
}

data::Params Connection::GetParams(const std::string& provider) {
  ServerInstance& inst = Instance();
  CallEntry e;
  e.server = ResolvedServer();
  e.kind = "GetParams";
  e.name = provider;
  return Recorded(e, [&](CallEntry& rec) {
    data::Params p = inst.GetParams(provider);
    rec.answer = ParamsText(p);
    return p;
  });
}

data::DataPacket Connection::GetRecords(const std::string& provider, const data::Params& params,
                                        const std::string& commandText) {
  ServerInstance& inst = Instance();
  CallEntry e;
  e.server = ResolvedServer();
  e.kind = "GetRecords";
  e.name = provider;
  e.params = ParamsText(params);
  e.commandText = commandText;
  return Recorded(e, [&](CallEntry& rec) {
    data::DataPacket p = inst.GetRecords(provider, params, commandText);
    rec.answer = std::to_string(p.rows.size()) + " rows";
    return p;
  });
}

data::ApplyResult Connection::ApplyUpdates(const std::string& provider, const data::DataPacket& delta, int maxErrors) {
  ServerInstance& inst = Instance();
  CallEntry e;
  e.server = ResolvedServer();
  e.kind = "ApplyUpdates";
  e.name = provider;
  e.params = std::to_string(delta.rows.size()) + " delta rows, maxErrors=" + std::to_string(maxErrors);
  return Recorded(e, [&](CallEntry& rec) {
    data::ApplyResult r = inst.ApplyUpdates(provider, delta, maxErrors);
    rec.answer = "errors " + std::to_string(r.errorCount);
    for (const auto& err : r.errors) rec.answer += "; row " + std::to_string(err.deltaRow) + ": " + err.message;
    return r;
  });
}

void Connection::Execute(const std::string& provider, const data::Params& params, const std::string& commandText) {
  ServerInstance& inst = Instance();
  CallEntry e;
  e.server = ResolvedServer();
  e.kind = "Execute";
  e.name = provider;
  e.params = ParamsText(params);
  e.commandText = commandText;
  Recorded(e, [&](CallEntry& rec) {
    inst.Execute(provider, params, commandText);
    rec.answer = "done";
    return 0;
  });
}

}  // namespace yz::remote
