// Datasets with the classic client-dataset semantics: an in-memory set of rows with a
// cursor, states, events, filters, lookup and calculated fields, sorting and a change log.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/variant.h"
#include "platform/data/field.h"
#include "platform/data/packet.h"

namespace yz::data {

class DataSet;
class DataSource;

enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };

enum LocateOption : unsigned { loNone = 0, loCaseInsensitive = 1, loPartialKey = 2 };
using LocateOptions = unsigned;

// Identifies a row independently of sorting and filtering.
struct Bookmark {
  long long id = -1;
  bool Valid() const { return id >= 0; }
  friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

struct IndexDef {
  std::string name;
  std::string fields;            // "a;b"
  std::string descFields;        // fields of `fields` sorted descending
  bool caseInsensitive = false;
};

enum class ReconcileAction { Skip, Abort, Merge, Correct, Cancel, Refresh };

using DataSetEvent = std::function<void(DataSet&)>;
// The rejected row is current in `row` (a one-row set with the packet's columns: new values,
// or the old value for a column the change did not touch). A handler answering Correct edits
// that row; its values replace the pending change, which stays in the log.
using ReconcileHandler = std::function<ReconcileAction(DataSet& row, const std::string& error, UpdateKind kind)>;

// A data-aware control's connection to a data source. The dataset calls these through its
// data sources; while controls are disabled only ActiveChanged and state changes are held
// back too, and one DataSetChanged is sent on EnableControls.
class DataLink {
 public:
  virtual ~DataLink();
  void SetDataSource(DataSource* source);
  DataSource* GetDataSource() const { return source_; }
  DataSet* GetDataSet() const;
  bool Active() const;

  virtual void ActiveChanged() {}
  virtual void DataSetChanged() {}          // rows or filter changed: redisplay everything
  virtual void DataSetScrolled(int /*distance*/) {}  // the cursor moved
  virtual void RecordChanged(Field* /*field*/) {}    // a field of the current row changed (null: whole row)
  virtual void EditingChanged() {}          // the state entered or left edit/insert
  virtual void UpdateData() {}              // write the control's pending text to the field (before post)

 private:
  DataSource* source_ = nullptr;
};

class DataSource {
 public:
  explicit DataSource(DataSet* dataSet = nullptr);
  ~DataSource();
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  DataSet* GetDataSet() const { return dataSet_; }
  void SetDataSet(DataSet* ds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  std::string Name;

  std::function<void(DataSource&, Field*)> OnDataChange;
  std::function<void(DataSource&)> OnStateChange;

  // Used by DataSet and DataLink.
  void AddLink(DataLink* l);
  void RemoveLink(DataLink* l);
  const std::vector<DataLink*>& Links() const { return links_; }

 private:
  DataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  std::vector<DataLink*> links_;
};

class DataSet {
 public:
  explicit DataSet(std::string name = {});
  virtual ~DataSet();
  DataSet(const DataSet&) = delete;
  DataSet& operator=(const DataSet&) = delete;

  std::string Name;
  int Tag = 0;

  // ---- structure
  // Adds a persistent field (before opening). Calculated and lookup fields need this.
  Field& AddField(FieldDef def);
  // Field definitions for CreateDataSet when no persistent fields exist.
  std::vector<FieldDef>& FieldDefs() { return fieldDefs_; }
  int FieldCount() const;
  Field& FieldAt(int i) const;
  Field* FindField(std::string_view name) const;  // case-insensitive; null when missing
  Field& FieldByName(std::string_view name) const;  // throws yz::Error "Field 'x' not found"
  Field& operator[](std::string_view name) const { return FieldByName(name); }

  // ---- open and close
  virtual void Open();
  virtual void Close();
  bool Active() const { return state_ != DataSetState::Inactive; }
  void SetActive(bool v) { v ? Open() : Close(); }
  void CreateDataSet();  // opens an empty local set from the field definitions / fields
  void EmptyDataSet();   // removes every row and the change log
  DataSetState State() const { return state_; }

  // ---- navigation (in the sorted and filtered view)
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);  // returns how far it moved
  bool Eof() const;
  bool Bof() const;
  int RecNo() const;  // 1-based; -1 when empty or inserting a row not yet posted
  void SetRecNo(int recNo);
  int RecordCount() const;  // posted rows of the filtered view
  bool IsEmpty() const;
  Bookmark GetBookmark() const;
  void GotoBookmark(const Bookmark& b);  // throws when the row is gone
  bool BookmarkValid(const Bookmark& b) const;

  // ---- editing
  void Edit();
  void Append();
  void Insert();
  void Post();
  void Cancel();
  void Delete();
  // Convenience: Append, assign values in field order, Post.
  void AppendRecord(const std::vector<Variant>& values);
  bool Modified() const;  // the current edit changed a field

  // ---- filters
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string expr);  // throws yz::Error naming the text when it does not parse
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool v);
  std::function<bool(DataSet&)> OnFilterRecord;

  // ---- search
  bool Locate(std::string_view keyFields, const Variant& keyValue, LocateOptions options = loNone);
  bool Locate(std::string_view keyFields, const std::vector<Variant>& keyValues, LocateOptions options = loNone);
  // Value(s) of resultFields of the first row matching, without moving the cursor; null when
  // none. Several result fields answer an Array.
  Variant Lookup(std::string_view keyFields, const std::vector<Variant>& keyValues, std::string_view resultFields);

  // ---- sorting
  const std::string& IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(std::string fields);
  std::vector<IndexDef>& IndexDefs() { return indexDefs_; }
  void AddIndex(IndexDef def);
  const std::string& IndexName() const { return indexName_; }
  void SetIndexName(std::string name);

  // ---- data-aware controls
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // ---- whole content
  DataPacket Data() const;                 // all rows (unfiltered), current values
  void SetData(const DataPacket& packet);  // replaces fields (unless persistent) and rows; opens
  void CopyFrom(const DataSet& other) { SetData(other.Data()); }

  // ---- change log
  bool LogChanges = true;
  int ChangeCount() const;
  DataPacket Delta() const;
  RowStatus UpdateStatus() const;  // of the current row
  void CancelUpdates();   // back to the fetched state
  void RevertRecord();    // the current row back to its fetched state
  void MergeChangeLog();  // current values become the fetched state
  int SavePoint() const;
  void SetSavePoint(int savePoint);  // undoes changes made after the save point

  // ---- events, in the classic order
  DataSetEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  DataSetEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  DataSetEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  DataSetEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  DataSetEvent OnNewRecord, OnCalcFields;
  ReconcileHandler OnReconcileError;

  // Internal interface for fields, data sources and the client dataset.
  struct Impl;
  Impl& impl() const { return *impl_; }
  void AttachSource(DataSource* s);
  void DetachSource(DataSource* s);

 protected:
  // Client datasets fill rows from their provider.
  virtual void InternalOpen();
  // After the log changed rows: rebuilds the view, keeping the row with that id current.
  void RefreshAfterLogChange(long long keepId);

  DataSetState state_ = DataSetState::Inactive;
  std::vector<FieldDef> fieldDefs_;
  std::string filter_;
  bool filtered_ = false;
  std::string indexFieldNames_;
  std::string indexName_;
  std::vector<IndexDef> indexDefs_;
  int disableCount_ = 0;
  std::unique_ptr<Impl> impl_;

 private:
  void OpenWith(const DataPacket* packet, bool local);
  void BeginInsert(bool append);
  int FindInView(std::string_view keyFields, const std::vector<Variant>& keyValues, LocateOptions options);
  void ResortKeepingRow();
};

}  // namespace yz::data
