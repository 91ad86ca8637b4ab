// Resolves a change packet into insert, update and delete statements by key fields. Each
// row is applied on its own (inside a savepoint): a rejected row is reported and the others
// still go in; nothing that passed is rolled back.
#include <cmath>
#include <map>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/data/appserver.h"
#include "servers/database.h"

namespace yz::servers {

namespace {

bool SameValue(const Variant& stored, const Variant& original, data::FieldType type) {
  if (stored.IsNull() || original.IsNull()) {
    auto empty = [](const Variant& v) { return v.IsNull(); };
    return empty(stored) == empty(original);
  }
  try {
    if (type == data::FieldType::DateTime || stored.Type() == VarType::DateTime || original.Type() == VarType::DateTime)
      return DateTimeText(stored.ToDateTime()) == DateTimeText(original.ToDateTime());
    if (stored.IsNumeric() && original.IsNumeric()) return std::fabs(stored.ToDouble() - original.ToDouble()) < 1e-9;
    if (data::IsNumericType(type)) {
      double a = 0, b = 0;
      if (ParseNumber(stored.ToString(), &a) && ParseNumber(original.ToString(), &b)) return std::fabs(a - b) < 1e-9;
    }
  } catch (const std::exception&) {
  }
  if (stored.Type() == VarType::Bytes || original.Type() == VarType::Bytes)
    return stored.Type() == original.Type() && stored.AsBytes() == original.AsBytes();
  return stored.ToString() == original.ToString();
}

struct Applier {
  Database& db;
  const std::string& table;
  std::vector<std::string> keys;
  const data::DataPacket& delta;
  std::vector<data::PacketColumn> tableCols;
  std::vector<int> colOfDelta;  // delta column -> table column index, -1 when not a table column

  int TableCol(const std::string& name) const {
    for (size_t i = 0; i < tableCols.size(); ++i)
      if (text::SameText(tableCols[i].name, name)) return static_cast<int>(i);
    return -1;
  }

  // Where clause on the keys from a row's (original) values.
  std::string KeyWhere(const data::PacketRow& row, std::vector<Variant>* values) const {
    std::string w;
    for (const auto& k : keys) {
      int dc = delta.ColumnIndex(k);
      if (dc < 0) throw Error("The change packet lacks the key field " + k + " of table " + table);
      const Variant& v = row.values[static_cast<size_t>(dc)];
      if (v.IsUnassigned()) throw Error("The change packet row has no value for the key field " + k);
      w += (w.empty() ? "" : " and ") + k + (v.IsNull() ? " is null" : " = ?");
      if (!v.IsNull()) values->push_back(v);
    }
    return w;
  }

  // Reads the stored row by the original keys and compares the original values; answers the
  // rejection text, or empty when the row may be changed.
  std::string Check(const data::PacketRow& original, std::vector<Variant>* current) {
    std::vector<Variant> keyValues;
    std::string where = KeyWhere(original, &keyValues);
    std::string cols;
    for (size_t i = 0; i < delta.columns.size(); ++i)
      if (colOfDelta[i] >= 0) cols += (cols.empty() ? "" : ", ") + delta.columns[i].name;
    auto stored = db.Query("select " + cols + " from " + table + " where " + where, keyValues, 2);
    if (stored.rows.empty()) return "Record not found or changed by another user";
    if (stored.rows.size() > 1) return "The key fields do not identify one row of " + table;
    const auto& s = stored.rows[0].values;
    current->assign(delta.columns.size(), Variant());
    size_t si = 0;
    std::string changed;
    for (size_t i = 0; i < delta.columns.size(); ++i) {
      if (colOfDelta[i] < 0) continue;
      const Variant& now = s[si++];
      (*current)[i] = now;
      const Variant& was = original.values[i];
      if (was.IsUnassigned()) continue;
      auto type = tableCols[static_cast<size_t>(colOfDelta[i])].type;
      if (!SameValue(now, was, type) && changed.empty())
        changed = delta.columns[i].name + " is now " + now.Debug() + ", was " + was.Debug();
    }
    if (!changed.empty()) return "Record changed by another user (" + changed + ")";
    return {};
  }

  void Insert(const data::PacketRow& row) {
    std::string cols, marks;
    std::vector<Variant> values;
    for (size_t i = 0; i < delta.columns.size(); ++i) {
      if (colOfDelta[i] < 0 || row.values[i].IsUnassigned()) continue;
      cols += (cols.empty() ? "" : ", ") + delta.columns[i].name;
      marks += marks.empty() ? "?" : ", ?";
      values.push_back(row.values[i]);
    }
    if (cols.empty()) throw Error("The inserted row has no values for table " + table);
    db.Exec("insert into " + table + " (" + cols + ") values (" + marks + ")", values);
  }

  void Update(const data::PacketRow& original, const data::PacketRow& changed) {
    std::string sets;
    std::vector<Variant> values;
    for (size_t i = 0; i < delta.columns.size(); ++i) {
      if (colOfDelta[i] < 0 || changed.values[i].IsUnassigned()) continue;
      sets += (sets.empty() ? "" : ", ") + delta.columns[i].name + " = ?";
      values.push_back(changed.values[i]);
    }
    if (sets.empty()) return;
    std::string where = KeyWhere(original, &values);
    if (db.Exec("update " + table + " set " + sets + " where " + where, values) != 1)
      throw Error("Record not found or changed by another user");
  }

  void Delete(const data::PacketRow& original) {
    std::vector<Variant> values;
    std::string where = KeyWhere(original, &values);
    if (db.Exec("delete from " + table + " where " + where, values) != 1)
      throw Error("Record not found or changed by another user");
  }
};

}  // namespace

data::ApplyResult ApplyDeltaTo(Database& db, const std::string& table, const std::vector<std::string>& keysIn,
                               const data::DataPacket& delta) {
  Applier a{db, table, keysIn, delta, db.TableColumns(table), {}};
  if (a.tableCols.empty()) throw Error("Table " + table + " does not exist");
  if (a.keys.empty())
    for (const auto& c : a.tableCols)
      if (c.key) a.keys.push_back(c.name);
  if (a.keys.empty()) throw Error("Table " + table + " has no key fields to apply changes by");
  for (const auto& c : delta.columns) a.colOfDelta.push_back(a.TableCol(c.name));

  data::ApplyResult result;
  bool ownTransaction = true;
  try {
    db.ExecScript("begin");
  } catch (const std::exception&) {
    ownTransaction = false;  // already inside a transaction
  }
  for (size_t r = 0; r < delta.rows.size(); ++r) {
    const auto& row = delta.rows[r];
    const data::PacketRow* original = nullptr;
    data::UpdateKind kind = data::UpdateKind::Modify;
    switch (row.status) {
      case data::RowStatus::Unmodified:
        continue;  // the old values of the next (modified) row
      case data::RowStatus::Modified:
        if (r == 0 || delta.rows[r - 1].status != data::RowStatus::Unmodified) {
          result.errors.push_back({static_cast<int>(r), kind, "A modified row comes without its original values", {}});
          continue;
        }
        original = &delta.rows[r - 1];
        break;
      case data::RowStatus::Inserted:
        kind = data::UpdateKind::Insert;
        break;
      case data::RowStatus::Deleted:
        kind = data::UpdateKind::Delete;
        original = &row;
        break;
    }
    std::vector<Variant> current;
    db.ExecScript("savepoint yz_row");
    try {
      if (original) {
        std::string why = a.Check(*original, &current);
        if (!why.empty()) throw Error(why);
      }
      if (kind == data::UpdateKind::Insert) a.Insert(row);
      else if (kind == data::UpdateKind::Delete) a.Delete(row);
      else a.Update(*original, row);
      db.ExecScript("release yz_row");
    } catch (const std::exception& e) {
      db.ExecScript("rollback to yz_row; release yz_row");
      result.errors.push_back({static_cast<int>(r), kind, e.what(), std::move(current)});
    }
  }
  if (ownTransaction) db.ExecScript("commit");
  result.errorCount = static_cast<int>(result.errors.size());
  return result;
}

}  // namespace yz::servers
