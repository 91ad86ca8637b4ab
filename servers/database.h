// A SQLite database of the reference servers: statements prepared once and cached, rows
// answered as data packets, date-time columns kept as canonical text.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/variant.h"
#include "platform/data/packet.h"

struct sqlite3;
struct sqlite3_stmt;

namespace yz::servers {

class Database {
 public:
  // Opens (creating when needed) the file; ":memory:" for a private in-memory database.
  // Creates the schema and the demo ward when the database has no tables yet.
  explicit Database(const std::string& path, bool withDemo = true);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* Handle() const { return db_; }
  const std::string& Path() const { return path_; }

  // Runs SQLite text as it stands (several statements allowed, no parameters).
  void ExecScript(const std::string& sql);
  // Runs one SQLite statement with positional values; answers the rows (maxRows 0: all).
  data::DataPacket Query(const std::string& sql, const std::vector<Variant>& values = {}, int maxRows = 0);
  // Runs one SQLite statement with positional values; answers the number of changed rows.
  int Exec(const std::string& sql, const std::vector<Variant>& values = {});
  // First column of the first row, or null.
  Variant Scalar(const std::string& sql, const std::vector<Variant>& values = {});

  // Columns of a table (name, declared type, size, key) in table order; empty when the
  // table does not exist.
  std::vector<data::PacketColumn> TableColumns(const std::string& table);
  bool IsDateTimeColumn(const std::string& table, const std::string& column);

  // Creates the tables and the demo ward (each only when missing).
  void CreateSchema();
  void LoadDemo();

 private:
  sqlite3_stmt* Prepare(const std::string& sql);
  void Bind(sqlite3_stmt* st, const std::vector<Variant>& values);
  void AddDateTimeTriggers();

  sqlite3* db_ = nullptr;
  std::string path_;
  std::map<std::string, sqlite3_stmt*> cache_;
  std::map<std::string, std::vector<data::PacketColumn>> tableColumns_;
};

// The canonical text of a date-time stored in the database: "yyyy-mm-dd hh:nn:ss", with
// ".zzz" when there are milliseconds.
std::string DateTimeText(DateTime t);

}  // namespace yz::servers
