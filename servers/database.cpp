#include "servers/database.h"

#include <sqlite3.h>

#include <cmath>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "servers/dialect.h"

namespace yz::servers {

extern const char* const kSchemaScripts[];
extern const char* const kDemoScripts[];

std::string DateTimeText(DateTime t) {
  int y, mo, d, h, mi, s, ms;
  t.Decode(&y, &mo, &d, &h, &mi, &s, &ms);
  return t.Format(ms ? "yyyy-mm-dd hh:nn:ss.zzz" : "yyyy-mm-dd hh:nn:ss");
}

namespace {

std::string ColumnText(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v))) : std::string();
}

// The date-time of a stored value, or false when it is no date-time.
bool ValueDateTime(sqlite3_value* v, DateTime* out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      *out = DateTime(sqlite3_value_double(v));
      return true;
    case SQLITE_TEXT: {
      auto dt = DateTime::Parse(text::Trim(ColumnText(v)));
      if (!dt) return false;
      *out = *dt;
      return true;
    }
    default:
      return false;
  }
}

void FnGetDate(sqlite3_context* ctx, int, sqlite3_value**) {
  std::string s = DateTimeText(GetClock().Now());
  sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// Canonical date-time text of a value; refuses texts that are no date-time.
void FnDt(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  if (sqlite3_value_type(v) == SQLITE_NULL) return sqlite3_result_null(ctx);
  if (sqlite3_value_type(v) == SQLITE_TEXT && text::Trim(ColumnText(v)).empty()) return sqlite3_result_null(ctx);
  DateTime dt;
  if (!ValueDateTime(v, &dt)) {
    std::string msg(1, '\'');
    msg.append(ColumnText(v)).append("' is not a valid date and time");
    return sqlite3_result_error(ctx, msg.c_str(), -1);
  }
  std::string s = DateTimeText(dt);
  sqlite3_result_text(ctx, s.c_str(), -1, SQLITE_TRANSIENT);
}

void DtStyle(sqlite3_context* ctx, sqlite3_value* v, const char* pattern) {
  if (sqlite3_value_type(v) == SQLITE_NULL) return sqlite3_result_null(ctx);
  DateTime dt;
  if (sqlite3_value_type(v) != SQLITE_TEXT || !ValueDateTime(v, &dt)) {
    sqlite3_result_value(ctx, v);  // not a date: converted as it stands
    return;
  }
  std::string s = dt.Format(pattern);
  sqlite3_result_text(ctx, s.c_str(), -1, SQLITE_TRANSIENT);
}
void FnDt121(sqlite3_context* ctx, int, sqlite3_value** argv) { DtStyle(ctx, argv[0], "yyyy-mm-dd hh:nn:ss.zzz"); }
void FnDt120(sqlite3_context* ctx, int, sqlite3_value** argv) { DtStyle(ctx, argv[0], "yyyy-mm-dd hh:nn:ss"); }

void FnText(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  std::string s;
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return sqlite3_result_null(ctx);
    case SQLITE_FLOAT:
      s = FormatNumber(sqlite3_value_double(v));
      break;
    default:
      s = ColumnText(v);
  }
  sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// dbo functions: each reads its rule table; an empty text means "no objection".
void Lookup(sqlite3_context* ctx, const char* sql, int argc, sqlite3_value** argv) {
  sqlite3* db = sqlite3_context_db_handle(ctx);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    return;
  }
  for (int i = 0; i < argc; ++i) sqlite3_bind_value(st, i + 1, argv[i]);
  std::string out;
  if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
    out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  sqlite3_result_text(ctx, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}
void FnYzLimit(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 2) return sqlite3_result_error(ctx, "dbo.Get_yz_limit needs the order code and the serial", -1);
  Lookup(ctx, "select limit_info from yz_limit_rule where order_code = ?1 and serial = ?2", 2, argv);
}
void FnAddInform(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 2) return sqlite3_result_error(ctx, "dbo.Get_yz_addinform needs the order code and the serial", -1);
  Lookup(ctx, "select inform from yz_addinform where order_code = ?1 and serial = ?2", 2, argv);
}
void FnStopLimit(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 1) return sqlite3_result_error(ctx, "dbo.Get_yz_stop_limit needs the order number", -1);
  Lookup(ctx, "select limit_info from yz_stop_limit where act_order_no = ?1", 1, argv);
}

void RegisterFunctions(sqlite3* db) {
  struct F {
    const char* name;
    int argc;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
  };
  const F fns[] = {{"yz_getdate", 0, FnGetDate, false},  {"yz_dt", 1, FnDt, true},
                   {"yz_dt121", 1, FnDt121, true},       {"yz_dt120", 1, FnDt120, true},
                   {"yz_text", 1, FnText, true},         {"dbo_get_yz_limit", -1, FnYzLimit, false},
                   {"dbo_get_yz_addinform", -1, FnAddInform, false}, {"dbo_get_yz_stop_limit", -1, FnStopLimit, false}};
  for (const auto& f : fns)
    sqlite3_create_function_v2(db, f.name, f.argc, SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0), nullptr,
                               f.fn, nullptr, nullptr, nullptr);
}

data::FieldType TypeOfDecl(const std::string& declIn, int* size) {
  std::string decl = text::Lower(declIn);
  *size = 0;
  size_t p = decl.find('(');
  if (p != std::string::npos) {
    int64_t n = 0;
    size_t e = decl.find_first_of(",)", p);
    if (ParseInteger(decl.substr(p + 1, e - p - 1), &n)) *size = static_cast<int>(n);
    decl = text::Trim(decl.substr(0, p));
  }
  using data::FieldType;
  if (decl == "datetime" || decl == "smalldatetime" || decl == "date") return FieldType::DateTime;
  if (decl == "smallint" || decl == "tinyint") return FieldType::SmallInt;
  if (decl == "int" || decl == "integer") return FieldType::Integer;
  if (decl == "bigint") return FieldType::LargeInt;
  if (decl == "numeric" || decl == "decimal" || decl == "float" || decl == "real" || decl == "money") {
    *size = 0;
    return FieldType::Float;
  }
  if (decl == "blob" || decl == "image" || decl == "varbinary") return FieldType::Blob;
  if (decl == "char" || decl == "nchar") return FieldType::FixedChar;
  return FieldType::String;
}

}  // namespace

Database::Database(const std::string& path, bool withDemo) : path_(path) {
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw Error("Cannot open the database '" + path + "': " + msg);
  }
  sqlite3_busy_timeout(db_, 5000);
  RegisterFunctions(db_);
  bool fresh = Scalar("select count(*) from sqlite_master where type = 'table'").ToInt() == 0;
  CreateSchema();
  if (fresh && withDemo) LoadDemo();
}

Database::~Database() {
  for (auto& [sql, st] : cache_) sqlite3_finalize(st);
  sqlite3_close(db_);
}

void Database::ExecScript(const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = err ? err : "error";
    sqlite3_free(err);
    throw Error(msg);
  }
}

void Database::CreateSchema() {
  for (const char* const* script = kSchemaScripts; *script; ++script) ExecScript(*script);
  AddDateTimeTriggers();
  tableColumns_.clear();
}

void Database::LoadDemo() {
  ExecScript("begin");
  try {
    for (const char* const* script = kDemoScripts; *script; ++script) ExecScript(*script);
    ExecScript("commit");
  } catch (...) {
    ExecScript("rollback");
    throw;
  }
}

// Every DATETIME column keeps the canonical text: whatever is inserted or written (a text
// literal in any accepted form, a day number) is normalised, and a text that is no date-time
// is refused.
void Database::AddDateTimeTriggers() {
  auto tables = Query("select name from sqlite_master where type = 'table' and name not like 'sqlite_%'");
  std::string script;
  for (const auto& row : tables.rows) {
    std::string t = row.values[0].ToString();
    for (const auto& c : TableColumns(t)) {
      if (c.type != data::FieldType::DateTime) continue;
      std::string base = "yzdt_" + t + "_" + c.name;
      std::string when = " when new." + c.name + " is not null and new." + c.name + " is not yz_dt(new." + c.name + ")";
      std::string body = " begin update " + t + " set " + c.name + " = yz_dt(new." + c.name +
                         ") where rowid = new.rowid; end;\n";
      script += "create trigger if not exists " + base + "_i after insert on " + t + " for each row" + when + body;
      script += "create trigger if not exists " + base + "_u after update of " + c.name + " on " + t + " for each row" +
                when + body;
    }
  }
  ExecScript(script);
}

sqlite3_stmt* Database::Prepare(const std::string& sql) {
  auto it = cache_.find(sql);
  if (it != cache_.end()) {
    sqlite3_reset(it->second);
    sqlite3_clear_bindings(it->second);
    return it->second;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    std::string msg = sqlite3_errmsg(db_);
    sqlite3_finalize(st);
    throw Error(msg + " (in: " + sql + ")");
  }
  if (!st) throw Error("Empty SQL text");
  if (cache_.size() > 500) {  // keep the cache bounded for ad-hoc texts
    for (auto& [s, old] : cache_) sqlite3_finalize(old);
    cache_.clear();
  }
  cache_[sql] = st;
  return st;
}

void Database::Bind(sqlite3_stmt* st, const std::vector<Variant>& values) {
  int count = sqlite3_bind_parameter_count(st);
  if (count != static_cast<int>(values.size()))
    throw Error("The statement expects " + std::to_string(count) + " parameters, " + std::to_string(values.size()) +
                " were given");
  for (int i = 0; i < count; ++i) {
    const Variant& v = values[static_cast<size_t>(i)];
    int k = i + 1;
    switch (v.Type()) {
      case VarType::Unassigned:
      case VarType::Null:
        sqlite3_bind_null(st, k);
        break;
      case VarType::Bool:
        sqlite3_bind_int(st, k, v.ToBool() ? 1 : 0);
        break;
      case VarType::Int:
      case VarType::Int64:
        sqlite3_bind_int64(st, k, v.ToInt64());
        break;
      case VarType::Double:
        sqlite3_bind_double(st, k, v.ToDouble());
        break;
      case VarType::DateTime: {
        std::string s = DateTimeText(v.ToDateTime());
        sqlite3_bind_text(st, k, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
      }
      case VarType::Bytes:
        sqlite3_bind_blob(st, k, v.AsBytes().data.data(), static_cast<int>(v.AsBytes().data.size()), SQLITE_TRANSIENT);
        break;
      case VarType::Array:
        throw Error("An array cannot be a statement parameter");
      default: {
        std::string s = v.ToString();
        sqlite3_bind_text(st, k, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      }
    }
  }
}

data::DataPacket Database::Query(const std::string& sql, const std::vector<Variant>& values, int maxRows) {
  sqlite3_stmt* st = Prepare(sql);
  Bind(st, values);
  data::DataPacket p;
  int n = sqlite3_column_count(st);
  std::vector<bool> typed(static_cast<size_t>(n), false);
  for (int c = 0; c < n; ++c) {
    data::PacketColumn col;
    col.name = sqlite3_column_name(st, c);
    if (const char* decl = sqlite3_column_decltype(st, c)) {
      col.type = TypeOfDecl(decl, &col.size);
      typed[static_cast<size_t>(c)] = true;
    }
    p.columns.push_back(col);
  }
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    if (maxRows > 0 && static_cast<int>(p.rows.size()) >= maxRows) break;
    data::PacketRow row;
    row.values.reserve(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
      auto& col = p.columns[static_cast<size_t>(c)];
      switch (sqlite3_column_type(st, c)) {
        case SQLITE_NULL:
          row.values.emplace_back();
          break;
        case SQLITE_INTEGER:
          if (col.type == data::FieldType::Float) row.values.emplace_back(sqlite3_column_double(st, c));
          else row.values.emplace_back(static_cast<int64_t>(sqlite3_column_int64(st, c)));
          if (!typed[static_cast<size_t>(c)]) {
            col.type = data::FieldType::Integer;
            typed[static_cast<size_t>(c)] = true;
          }
          break;
        case SQLITE_FLOAT:
          row.values.emplace_back(sqlite3_column_double(st, c));
          if (!typed[static_cast<size_t>(c)] || col.type == data::FieldType::Integer) {
            col.type = data::FieldType::Float;
            typed[static_cast<size_t>(c)] = true;
          }
          break;
        case SQLITE_BLOB: {
          const char* b = static_cast<const char*>(sqlite3_column_blob(st, c));
          row.values.emplace_back(Bytes{std::string(b ? b : "", static_cast<size_t>(sqlite3_column_bytes(st, c)))});
          if (!typed[static_cast<size_t>(c)]) {
            col.type = data::FieldType::Blob;
            typed[static_cast<size_t>(c)] = true;
          }
          break;
        }
        default: {
          std::string s(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                        static_cast<size_t>(sqlite3_column_bytes(st, c)));
          if (col.type == data::FieldType::DateTime) {
            auto dt = DateTime::Parse(s);
            if (dt) row.values.emplace_back(*dt);
            else if (text::Trim(s).empty()) row.values.emplace_back();
            else row.values.emplace_back(std::move(s));
          } else {
            row.values.emplace_back(std::move(s));
          }
          typed[static_cast<size_t>(c)] = true;
        }
      }
    }
    p.rows.push_back(std::move(row));
  }
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    std::string msg = sqlite3_errmsg(db_);
    sqlite3_reset(st);
    throw Error(msg);
  }
  // Integer columns whose values were stored as integers stay Integer; a column typed Float
  // after an Integer start converts the earlier values (they compare equal anyway).
  sqlite3_reset(st);
  return p;
}

int Database::Exec(const std::string& sql, const std::vector<Variant>& values) {
  sqlite3_stmt* st = Prepare(sql);
  Bind(st, values);
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    std::string msg = sqlite3_errmsg(db_);
    sqlite3_reset(st);
    throw Error(msg);
  }
  sqlite3_reset(st);
  return sqlite3_changes(db_);
}

Variant Database::Scalar(const std::string& sql, const std::vector<Variant>& values) {
  auto p = Query(sql, values, 1);
  if (p.rows.empty() || p.rows[0].values.empty()) return Variant();
  return p.rows[0].values[0];
}

std::vector<data::PacketColumn> Database::TableColumns(const std::string& table) {
  auto it = tableColumns_.find(text::Lower(table));
  if (it != tableColumns_.end()) return it->second;
  std::vector<data::PacketColumn> cols;
  sqlite3_stmt* st = nullptr;
  std::string sql = "pragma table_info(" + text::SqlLiteral(table) + ")";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      data::PacketColumn c;
      c.name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
      const unsigned char* decl = sqlite3_column_text(st, 2);
      c.type = TypeOfDecl(decl ? reinterpret_cast<const char*>(decl) : "", &c.size);
      c.required = sqlite3_column_int(st, 3) != 0;
      c.key = sqlite3_column_int(st, 5) != 0;
      cols.push_back(c);
    }
  }
  sqlite3_finalize(st);
  tableColumns_[text::Lower(table)] = cols;
  return cols;
}

bool Database::IsDateTimeColumn(const std::string& table, const std::string& column) {
  for (const auto& c : TableColumns(table))
    if (text::SameText(c.name, column)) return c.type == data::FieldType::DateTime;
  return false;
}

}  // namespace yz::servers
