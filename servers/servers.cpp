#include "servers/servers.h"

#include <functional>
#include <map>
#include <mutex>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "remote/transport.h"
#include "servers/database.h"
#include "servers/dialect.h"
#include "servers/registry.h"

namespace yz::servers {

data::ApplyResult ApplyDeltaTo(Database& db, const std::string& table, const std::vector<std::string>& keys,
                               const data::DataPacket& delta);

void NeedArgs(const char* method, const VariantArray& args, size_t n) {
  if (args.size() < n)
    throw Error(std::string("Method ") + method + " expects " + std::to_string(n) + " arguments, " +
                std::to_string(args.size()) + " were given");
}

namespace {

using data::FieldType;

std::vector<Variant> BindValues(const std::string& what, const TranslatedSql& t, const data::Params& params) {
  if (static_cast<size_t>(params.Count()) < t.params.size())
    throw Error(what + ": the statement needs " + std::to_string(t.params.size()) + " parameters (" +
                text::Join(t.params, ", ") + "), " + std::to_string(params.Count()) + " were given");
  std::vector<Variant> values;
  for (size_t i = 0; i < t.params.size(); ++i) values.push_back(params[static_cast<int>(i)].Value());
  return values;
}

data::Params ParamsOf(const TranslatedSql& t, const std::map<std::string, FieldType>& types) {
  data::Params p;
  for (const auto& name : t.params) {
    auto it = types.find(text::Lower(name));
    p.Add(data::Param(name, it == types.end() ? FieldType::String : it->second));
  }
  return p;
}

// ---- order configuration server ------------------------------------------------------

Variant NextOrderNumbers(Instance& in, const std::string& kind, int count) {
  if (count <= 0) throw Error("The number of order numbers wanted must be above 0, not " + std::to_string(count));
  Database& db = *in.db;
  if (db.Exec("update yz_order_no set last_no = last_no + ?1 where kind = ?2", {Variant(count), Variant(kind)}) == 0)
    throw Error("Unknown order number kind '" + kind + "'");
  return Variant(db.Scalar("select last_no from yz_order_no where kind = ?1", {Variant(kind)}).ToInt());
}

ServerDef ConfigServer() {
  ServerDef s;
  s.methods["getsysdatetime"] = [](Instance&, VariantArray&) { return Variant(GetClock().Now()); };
  s.methods["getsystime"] = [](Instance&, VariantArray&) {
    return Variant(GetClock().Now().Format("yyyy-mm-dd hh:nn:ss"));
  };
  s.methods["getordercode"] = [](Instance& in, VariantArray& a) {
    NeedArgs("GetOrdercode", a, 1);
    return NextOrderNumbers(in, text::Trim(a[0].ToString()), 1);
  };
  s.methods["getmulordercode"] = [](Instance& in, VariantArray& a) {
    NeedArgs("GetMulOrdercode", a, 2);
    return NextOrderNumbers(in, text::Trim(a[0].ToString()), a[1].ToInt());
  };
  return s;
}

// ---- user-management server ----------------------------------------------------------

ServerDef UserServer() {
  ServerDef s;
  s.providers["dspuserform"] = {"yz_user_form",
                                "select form_id, form_name, subsys_id, form_com from yz_user_form where form_name = :form_name "
                                "and subsys_id = :subsys_id",
                                {"form_id"},
                                {}};
  s.methods["checkuserfunc"] = [](Instance& in, VariantArray& a) {
    NeedArgs("CheckUserFunc", a, 3);
    Variant n = in.db->Scalar(
        "select count(*) from xt_user_func where user_name = ?1 and (subsys_id = ?2 or subsys_id = '') and "
        "func_name = ?3",
        {Variant(text::Trim(a[0].ToString())), Variant(text::Trim(a[1].ToString())), Variant(text::Trim(a[2].ToString()))});
    return Variant(n.ToInt() > 0);
  };
  // UserLogin(login, subsys, password, reserved, out user code): the user code when the
  // password is right, else null.
  s.methods["userlogin"] = [](Instance& in, VariantArray& a) {
    NeedArgs("UserLogin", a, 3);
    Variant code = in.db->Scalar("select user_mi from xt_user where user_name = ?1 collate nocase and password = ?2",
                                 {Variant(text::Trim(a[0].ToString())), Variant(a[2].ToString())});
    if (a.size() >= 5) a[4] = code;
    return code;
  };
  return s;
}

// ---- patient server ------------------------------------------------------------------

ServerDef PatientServer() {
  const std::string days =
      "cast(julianday(date(getdate())) - julianday(date(admiss_date)) as integer) + 1 as days";
  const std::string cols = "p.*, admiss_dept as dept, admiss_ward as ward, " + days;
  std::map<std::string, FieldType> idTimes = {{"admiss_times", FieldType::SmallInt}};
  std::map<std::string, FieldType> pTimes = {{"p_times", FieldType::SmallInt}};
  std::vector<std::string> keys = {"patient_id", "admiss_times"};
  ServerDef s;
  s.providers["dspactpatient"] = {"zy_actpatient",
                                  "select " + cols + " from zy_actpatient p where admiss_dept = :dept and "
                                  "admiss_ward = :ward order by bed_no",
                                  keys, {}};
  s.providers["dspgetsinglepatient"] = {"zy_actpatient",
                                        "select " + cols + " from zy_actpatient p where patient_id = :patient_id "
                                        "and admiss_times = :admiss_times",
                                        keys, idTimes};
  s.providers["dspgetsingleoutpatient"] = {"zy_inactpatient",
                                           "select " + cols + " from zy_inactpatient p where patient_id = "
                                           ":patient_id and admiss_times = :admiss_times",
                                           keys, idTimes};
  s.providers["dspgetsinglepatient_bybedno"] = {"zy_actpatient",
                                                "select " + cols + " from zy_actpatient p where admiss_dept = "
                                                ":pdept_sn and admiss_ward = :pward_sn and bed_no = :pbed_no",
                                                keys, {}};
  s.providers["dspdeposit"] = {"zy_deposit",
                               "select * from zy_deposit where patient_id = :p_id and admiss_times = :p_times "
                               "order by item_no",
                               {"patient_id", "admiss_times", "item_no"}, pTimes};
  s.providers["dspchargeall"] = {"zy_detail_charge",
                                 "select * from zy_detail_charge where patient_id = :p_id and admiss_times = "
                                 ":p_times order by item_no",
                                 {"patient_id", "admiss_times", "item_no"}, pTimes};
  return s;
}

ServerDef YzConfigureServer() {
  ServerDef s;
  s.providers["dspyzconfigure"] = {"yz_configure", "select * from yz_configure", {"id"}, {}};
  return s;
}

// ---- SQL-tag server ------------------------------------------------------------------

ServerDef TagServer() {
  ServerDef s;
  s.providers["dsp_dict"] = {};
  s.methods["newsetsql"] = [](Instance& in, VariantArray& a) {
    NeedArgs("NewSetsql", a, 1);
    int tag = a[0].ToInt();
    Variant sql = in.db->Scalar("select sql_text from yz_sql_tag where tag = ?1", {Variant(tag)});
    if (sql.IsNull()) throw Error("SQL tag " + std::to_string(tag) + " is not defined");
    in.adoSql = sql.ToString();
    return sql;
  };
  s.methods["setadosql"] = [](Instance& in, VariantArray& a) {
    NeedArgs("SetADOSQL", a, 2);
    std::string sql = a[0].ToString();
    TranslateSql(sql);  // refuses an unknown construct now, naming it
    int limit = a[1].ToInt();
    if (limit < 0) throw Error("The row limit must not be negative, not " + std::to_string(limit));
    in.adoSql = sql;
    in.adoLimit = limit;
    return Variant(true);
  };
  return s;
}

ServerDef AuthorizeServer() {
  ServerDef s;
  s.providers["dsppubsql"] = {};
  return s;
}

}  // namespace

void AddSessionServers(ServerMap& m) {
  m["qz_logiccom.qz_com_yz_config"] = ConfigServer();
  m["user_manage_server.dll_user_manage_server"] = UserServer();
  m["qz_datacom.qz_actpatient"] = PatientServer();
  m["qz_datacom.rt_comyzconfiger"] = YzConfigureServer();
  m["yz_data.rt_comyzconfiger"] = YzConfigureServer();
  m["jx_mts_tagsql.jx_mts_tag_sql"] = TagServer();
  m[text::Lower(remote::kAuthorizeServer)] = AuthorizeServer();
}

namespace {

const ServerMap& Servers() {
  static const ServerMap servers = [] {
    ServerMap m;
    AddSessionServers(m);
    AddConfigureServers(m);
    AddOrderServers(m);
    AddPrintServers(m);
    return m;
  }();
  return servers;
}

class EmbeddedServer : public remote::ServerInstance {
 public:
  EmbeddedServer(std::shared_ptr<Database> db, const ServerDef& def, std::string progId) : def_(def) {
    in_.db = std::move(db);
    in_.progId = std::move(progId);
  }

  data::Params GetParams(const std::string& provider) override {
    const ProviderDef& p = Provider(provider);
    if (p.table.empty()) return in_.adoSql.empty() ? data::Params() : ParamsOf(TranslateSql(in_.adoSql), {});
    return ParamsOf(TranslateSql(p.select), p.paramTypes);
  }

  data::DataPacket GetRecords(const std::string& provider, const data::Params& params,
                              const std::string& commandText) override {
    const ProviderDef& p = Provider(provider);
    if (p.custom) return p.custom(in_, params);
    int limit = 0;
    std::string sql = commandText;
    if (sql.empty()) {
      if (p.table.empty()) {
        if (in_.adoSql.empty()) throw Error("No SQL text was set for " + provider);
        sql = in_.adoSql;
        limit = in_.adoLimit;
      } else {
        sql = p.select;
      }
    }
    TranslatedSql t = TranslateSql(sql);
    data::DataPacket packet = in_.db->Query(t.sql, BindValues(provider, t, params), limit);
    for (auto& c : packet.columns)
      for (const auto& k : p.keys)
        if (text::SameText(c.name, k)) c.key = true;
    return packet;
  }

  data::ApplyResult ApplyUpdates(const std::string& provider, const data::DataPacket& delta, int) override {
    const ProviderDef& p = Provider(provider);
    if (p.table.empty()) throw Error("Provider " + provider + " runs SQL text and takes no changes");
    return ApplyDeltaTo(*in_.db, p.table, p.keys, delta);
  }

  void Execute(const std::string& provider, const data::Params& params, const std::string& commandText) override {
    const ProviderDef& p = Provider(provider);
    std::string sql = commandText.empty() && p.table.empty() ? in_.adoSql : commandText;
    if (sql.empty()) throw Error("No SQL text to execute for " + provider);
    TranslatedSql t = TranslateSql(sql);
    in_.db->Exec(t.sql, BindValues(provider, t, params));
  }

  Variant Call(const std::string& method, VariantArray& args) override {
    auto it = def_.methods.find(text::Lower(method));
    if (it == def_.methods.end()) {
      const remote::ServerInfo* info = remote::FindServerByProgId(in_.progId);
      if (info)
        for (const auto& m : info->methods)
          if (text::SameText(m, method))
            throw Error("Method " + method + " of " + in_.progId + " is not implemented by the reference servers yet");
      throw Error("Method '" + method + "' is not known to server " + in_.progId);
    }
    return it->second(in_, args);
  }

 private:
  const ProviderDef& Provider(const std::string& name) {
    auto it = def_.providers.find(text::Lower(name));
    if (it != def_.providers.end()) return it->second;
    const remote::ServerInfo* info = remote::FindServerByProgId(in_.progId);
    if (info)
      for (const auto& p : info->providers)
        if (text::SameText(p, name))
          throw Error("Provider " + name + " of " + in_.progId + " is not implemented by the reference servers yet");
    throw Error("Provider '" + name + "' is not exported by server " + in_.progId);
  }

  const ServerDef& def_;
  Instance in_;
};

class EmbeddedTransport : public remote::Transport {
 public:
  explicit EmbeddedTransport(std::shared_ptr<Database> db) : db_(std::move(db)) {}
  std::unique_ptr<remote::ServerInstance> Activate(const remote::ServerInfo& server) override {
    auto it = Servers().find(text::Lower(server.progId));
    if (it == Servers().end()) {
      if (remote::FindServerByProgId(server.progId))
        throw Error("Server " + server.progId + " is not implemented by the reference servers yet");
      throw Error("Server '" + server.progId + "' is not registered");
    }
    return std::make_unique<EmbeddedServer>(db_, it->second, server.progId);
  }

 private:
  std::shared_ptr<Database> db_;
};

std::map<std::string, std::shared_ptr<Database>>& Open() {
  static std::map<std::string, std::shared_ptr<Database>> open;
  return open;
}

}  // namespace

std::shared_ptr<Database> DatabaseAt(const std::string& location) {
  auto& open = Open();
  auto it = open.find(location);
  if (it != open.end()) return it->second;
  auto db = std::make_shared<Database>(location);
  open[location] = db;
  return db;
}

void CloseDatabases() { Open().clear(); }

void InstallEmbeddedServers() {
  remote::SetEmbeddedFactory([](const std::string& location) -> std::shared_ptr<remote::Transport> {
    return std::make_shared<EmbeddedTransport>(DatabaseAt(location));
  });
}

}  // namespace yz::servers
