// Internal state of a dataset: fields, rows, the sorted and filtered view, the cursor, the
// edit buffer and the change log. Only the data layer's own sources include this.
#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/data/dataset.h"
#include "platform/data/filter.h"

namespace yz::data {

struct Row {
  long long id = -1;
  double seq = 0;  // natural (arrival) order; stays with a deleted row so it can come back in place
  RowStatus status = RowStatus::Unmodified;  // Unmodified, Modified or Inserted for live rows
  RowStatus pstatus = RowStatus::Unmodified; // status the row had in the packet it came from (a delta)
  std::vector<Variant> v;                    // one slot per field; calculated slots are a cache
  std::shared_ptr<const std::vector<Variant>> orig;  // values as fetched; null for inserted rows
};

struct LogEntry {
  enum Op { Edit, Insert, Delete } op;
  long long id;
  Row before;  // the row as it was before the change (Edit, Delete)
};

enum class LinkEvent { Active, Changed, Scrolled, Record, State };

struct DataSet::Impl {
  explicit Impl(DataSet& d) : ds(d) {}
  DataSet& ds;

  // ---- fields
  std::vector<std::unique_ptr<Field>> fields;
  std::vector<std::unique_ptr<Field>> retired;  // replaced dynamic fields, kept so old pointers stay valid
  std::unordered_map<std::string, int> byName;  // lower-case name -> index
  bool persistent = false;
  std::vector<char> packetKey;  // key flag a packet gave the column
  bool hasCalc = false, hasLookup = false, hasInternal = false;

  // ---- rows
  std::vector<std::unique_ptr<Row>> rows;         // live rows in natural order
  std::vector<std::unique_ptr<Row>> deletedRows;  // deleted fetched rows (for the delta)
  std::vector<LogEntry> log;
  long long nextId = 0;

  // ---- view and cursor
  std::vector<Row*> view;
  int cur = -1;
  bool bof = true, eof = true;

  // ---- editing
  Row buf;
  Row* editRow = nullptr;       // row being edited (Edit state)
  Row* insertBefore = nullptr;  // Insert: the row the new one goes before; null: append
  bool modified = false;
  Row* override = nullptr;      // row fields read while filtering, sorting or looking up
  DataSetState savedState = DataSetState::Browse;

  // ---- filter and sort
  std::unique_ptr<filter::Expression> filterExpr;
  bool filterUsesComputed = false;
  std::vector<int> sortFields;
  std::vector<char> sortDesc;
  bool sortCI = false;

  // ---- data sources, and lookup fields of other sets that read this one
  std::vector<DataSource*> sources;
  std::vector<Field*> lookupUsers;
  void AddLookupUser(Field* f);
  void RemoveLookupUser(Field* f);
  bool pendingChange = false, pendingActive = false;

  // ---- helpers (dataset.cpp)
  Row* ActiveRow() const;
  Row* CursorRow() const { return cur >= 0 && cur < static_cast<int>(view.size()) ? view[cur] : nullptr; }
  int FieldIndex(std::string_view name) const;
  std::vector<int> FieldList(std::string_view names) const;  // "a;b" -> indices, throws when missing
  void RegisterFields();
  void ClearRows();
  Row* NewRow();
  std::unique_ptr<Row> MakeRow();
  void CalcRow(Row* r);  // runs OnCalcFields for r (calculated slots cleared first)
  void FillComputed(Row* r, bool calc, bool lookup);
  Variant LookupValue(const Field& f, Row* r);
  bool PassesFilter(Row* r);
  void RebuildView(Row* keep);
  void SortView();
  void ApplySortSpec();
  void PrepareFilter();
  void CurrentChanged();  // recalculates the cursor row
  void Notify(LinkEvent e, Field* f = nullptr, int distance = 0);
  void Fire(DataSetEvent& e);
  void CheckBrowseMode();
  void CheckActive() const;
  std::vector<Variant> DataValues(const Row& r) const;  // data fields only
  void LoadPacket(const DataPacket& p);
  DataPacket MakePacketColumns() const;  // columns of the data fields, no rows
  DataPacket MakePacket() const;
  Row* FindRow(long long id) const;
  int RowIndex(long long id) const;
  void InsertRowBySeq(std::unique_ptr<Row> r);
  std::unique_ptr<Row> TakeRow(long long id);
  void SetFieldValue(int idx, const Variant& v);
  Variant Convert(const Field& f, const Variant& v) const;

  // ---- change log (changelog.cpp)
  int ChangeCount() const;
  // The delta and, per packet row, the id of the row it came from.
  DataPacket BuildDelta(std::vector<long long>* ids) const;
  void MergeRow(long long id);    // the row's current values become its fetched values
  void RevertRow(long long id);   // the row back to its fetched values
  void DropLogOf(long long id);
  void UndoEntry(LogEntry& e);
};

// Case-insensitive key for the field-name map.
std::string LowerKey(std::string_view s);

}  // namespace yz::data

namespace yz::data {
// Lets the dataset re-point a field's lookup definition when its lookup set goes away.
struct DataSetImplAccess {
  static FieldDef& Def(Field& f) { return f.def_; }
};
}  // namespace yz::data
