// The print server: report definitions (SQL text or stored procedure, parameters, engine
// flag, layout), the rows of a report run with the parameter list the client sends, and
// stored procedures (kept as named SQL texts with numbered parameters).
//
// The client calls the methods on one connection and opens the result providers on
// another, so what a call prepared is kept per database, not per server instance.
#include <map>
#include <memory>
#include <mutex>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "servers/database.h"
#include "servers/dialect.h"
#include "servers/registry.h"

namespace yz::servers {

namespace {

using data::FieldType;

// A parameter of a report run: "name,type,value;" (the value may hold commas and
// semicolons: only the first two commas separate, and one trailing semicolon ends it).
struct RunParam {
  std::string name, type;
  Variant value;
};

Variant TypedValue(const std::string& type, const std::string& textValue, const std::string& name) {
  std::string t = text::Lower(text::Trim(type));
  if (t == "int" || t == "integer" || t == "smallint" || t == "word" || t == "bigint" || t == "number" ||
      t == "float" || t == "numeric") {
    if (text::Trim(textValue).empty()) return Variant();
    double d = 0;
    if (!ParseNumber(text::Trim(textValue), &d))
      throw Error("Report parameter '" + name + "' of type " + type + " has the value '" + textValue +
                  "', which is not a number");
    int64_t i = 0;
    if (ParseInteger(text::Trim(textValue), &i)) return Variant(static_cast<long long>(i));
    return Variant(d);
  }
  return Variant(textValue);
}

RunParam ParseListElement(const std::string& element) {
  size_t c1 = element.find(',');
  size_t c2 = c1 == std::string::npos ? std::string::npos : element.find(',', c1 + 1);
  if (c2 == std::string::npos || element.empty() || element.back() != ';')
    throw Error("Report parameter '" + element + "' is not of the form name,type,value;");
  RunParam p;
  p.name = text::Trim(element.substr(0, c1));
  p.type = text::Trim(element.substr(c1 + 1, c2 - c1 - 1));
  if (p.name.empty()) throw Error("Report parameter '" + element + "' has no name");
  p.value = TypedValue(p.type, element.substr(c2 + 1, element.size() - c2 - 2), p.name);
  return p;
}

// Runs dialect SQL binding each ':name' parameter by name (values are bound, never spliced
// into the text, so quotes in them change nothing).
data::DataPacket RunNamed(Database& db, const std::string& sql, const std::vector<RunParam>& params) {
  if (text::Trim(sql).empty()) throw Error("The report has no SQL text");
  TranslatedSql t = TranslateSql(sql);
  std::vector<Variant> values;
  for (const auto& name : t.params) {
    const RunParam* found = nullptr;
    for (const auto& p : params)
      if (text::SameText(p.name, name)) found = &p;
    if (!found) throw Error("The report SQL needs the parameter '" + name + "', which the parameter list does not hold");
    values.push_back(found->value);
  }
  return db.Query(t.sql, values);
}

// What the last sChangeSQL / sChangeStoreProc of a database prepared.
struct Prepared {
  std::weak_ptr<Database> db;
  std::string sql;
  std::vector<RunParam> params;
  bool proc = false;
  std::string procName;
};

std::mutex& PreparedMutex() {
  static std::mutex m;
  return m;
}
std::map<const Database*, Prepared>& PreparedCalls() {
  static std::map<const Database*, Prepared> calls;
  return calls;
}

void Remember(Instance& in, Prepared p) {
  std::lock_guard lock(PreparedMutex());
  p.db = in.db;
  auto& calls = PreparedCalls();
  for (auto it = calls.begin(); it != calls.end();)  // forget databases that are gone
    it = it->second.db.expired() ? calls.erase(it) : std::next(it);
  calls[in.db.get()] = std::move(p);
}

Prepared Recall(Instance& in, bool proc) {
  std::lock_guard lock(PreparedMutex());
  auto& calls = PreparedCalls();
  auto it = calls.find(in.db.get());
  if (it == calls.end() || it->second.db.lock() != in.db || it->second.proc != proc)
    throw Error(proc ? "No stored procedure was prepared with sChangeStoreProc"
                     : "No report SQL was prepared with sChangeSQL");
  return it->second;
}

struct ProcDef {
  std::string name, sql;
  std::vector<std::pair<std::string, std::string>> params;  // name, type; in parameter order
};

ProcDef FindProc(Database& db, const std::string& name) {
  data::DataPacket p = db.Query("select proc_name, sql_text from pu_store_proc where proc_name = ?1 collate nocase",
                                {Variant(text::Trim(name))});
  if (p.rows.empty()) throw Error("Stored procedure '" + text::Trim(name) + "' is not defined");
  ProcDef def;
  def.name = p.rows[0].values[0].ToString();
  def.sql = p.rows[0].values[1].ToString();
  data::DataPacket ps = db.Query(
      "select param_name, param_type from pu_store_proc_param where proc_name = ?1 collate nocase order by param_no",
      {Variant(def.name)});
  for (auto& r : ps.rows) def.params.emplace_back(r.values[0].ToString(), r.values[1].ToString());
  return def;
}

data::DataPacket RunPrepared(Instance& in, bool proc) {
  Prepared p = Recall(in, proc);
  if (!proc) return RunNamed(*in.db, p.sql, p.params);
  ProcDef def = FindProc(*in.db, p.procName);
  return RunNamed(*in.db, def.sql, p.params);
}

ServerDef PrintServer() {
  ServerDef s;
  s.providers["datasetprovider_sql_io"] = {"pu_report", "select * from pu_report where report_code = :code",
                                           {"report_code"}, {{"code", FieldType::Integer}}};
  s.providers["dspsqlparams"] = {"pu_report_param",
                                 "select * from pu_report_param where report_code = :code and param_name like :name "
                                 "and param_type like :type order by param_no",
                                 {"report_code", "param_no"},
                                 {{"code", FieldType::Integer}}};
  ProviderDef results;
  results.custom = [](Instance& in, const data::Params&) { return RunPrepared(in, false); };
  s.providers["datasetprovider_results"] = results;
  ProviderDef procResults;
  procResults.custom = [](Instance& in, const data::Params&) { return RunPrepared(in, true); };
  s.providers["datasetprovider_storeproc_results"] = procResults;

  // sChangeSQL(SQL text, parameter list, parameter count, out data packet).
  s.methods["schangesql"] = [](Instance& in, VariantArray& a) {
    NeedArgs("sChangeSQL", a, 4);
    int count = a[2].IsNull() ? 0 : a[2].ToInt();
    std::vector<RunParam> params;
    if (a[1].Type() == VarType::Array) {
      for (const Variant& e : a[1].AsArray()) params.push_back(ParseListElement(e.ToString()));
    } else if (!text::Trim(a[1].ToString()).empty()) {
      params.push_back(ParseListElement(text::Trim(a[1].ToString())));
    }
    if (count != static_cast<int>(params.size()))
      throw Error("sChangeSQL: the parameter count " + std::to_string(count) + " does not match the " +
                  std::to_string(params.size()) + " list elements");
    Prepared p;
    p.sql = a[0].ToString();
    p.params = params;
    data::DataPacket packet = RunNamed(*in.db, p.sql, p.params);
    Remember(in, std::move(p));
    a[3] = packet.ToVariant();
    return a[3];
  };
  // sGetStoreParamList(out count, procedure name, out names, out types): the names and
  // types of the procedure's parameters, each list joined with ';'.
  s.methods["sgetstoreparamlist"] = [](Instance& in, VariantArray& a) {
    NeedArgs("sGetStoreParamList", a, 4);
    ProcDef def = FindProc(*in.db, a[1].ToString());
    std::vector<std::string> names, types;
    for (auto& [n, t] : def.params) {
      names.push_back(n);
      types.push_back(t);
    }
    a[0] = Variant(static_cast<int>(def.params.size()));
    a[2] = Variant(text::Join(names, ";"));
    a[3] = Variant(text::Join(types, ";"));
    return a[0];
  };
  // sChangeStoreProc(procedure name, names, count, types, values): prepares the call; the
  // value i goes to the procedure's parameter i + 1.
  s.methods["schangestoreproc"] = [](Instance& in, VariantArray& a) {
    NeedArgs("sChangeStoreProc", a, 5);
    ProcDef def = FindProc(*in.db, a[0].ToString());
    int count = a[2].IsNull() ? 0 : a[2].ToInt();
    if (count != static_cast<int>(def.params.size()))
      throw Error("sChangeStoreProc: procedure " + def.name + " takes " + std::to_string(def.params.size()) +
                  " parameters, " + std::to_string(count) + " were given");
    VariantArray values = a[4].Type() == VarType::Array ? a[4].AsArray() : VariantArray{};
    if (static_cast<int>(values.size()) < count)
      throw Error("sChangeStoreProc: " + std::to_string(count) + " values expected, " +
                  std::to_string(values.size()) + " were given");
    Prepared p;
    p.proc = true;
    p.procName = def.name;
    for (size_t i = 0; i < def.params.size(); ++i)
      p.params.push_back({def.params[i].first, def.params[i].second,
                          TypedValue(def.params[i].second, values[i].ToString(), def.params[i].first)});
    RunNamed(*in.db, def.sql, p.params);  // refuses a bad call now, not at the next open
    Remember(in, std::move(p));
    return Variant(true);
  };
  return s;
}

}  // namespace

void AddPrintServers(ServerMap& m) { m["project_pu_out_mts.pu_out_mts_dll"] = PrintServer(); }

}  // namespace yz::servers
