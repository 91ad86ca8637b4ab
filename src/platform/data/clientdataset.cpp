// Provider datasets: open from an application server's provider, apply the change log back to
// it and reconcile the rows it refuses.
#include "platform/data/clientdataset.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/data/dataset_impl.h"

namespace yz::data {

namespace {

std::string Label(const ClientDataSet& ds) {
  return ds.Name.empty() ? std::string("ClientDataSet") : "ClientDataSet '" + ds.Name + "'";
}

}  // namespace

AppServer& ClientDataSet::Server() const {
  if (!server_) throw Error(Label(*this) + ": no application server for provider '" + providerName_ + "'");
  if (providerName_.empty()) throw Error(Label(*this) + ": no provider name");
  return *server_;
}

void ClientDataSet::InternalOpen() {
  if (!server_ && providerName_.empty()) {
    DataSet::InternalOpen();
    return;
  }
  DataPacket p = Server().GetRecords(providerName_, params_, commandText_);
  impl().LoadPacket(p);
}

void ClientDataSet::FetchParams() { params_ = Server().GetParams(providerName_); }

void ClientDataSet::SetCommandText(std::string sql) {
  if (sql == commandText_) return;
  commandText_ = std::move(sql);
  // Rows of the previous statement are dropped, so the next open shows only the new ones.
  if (!Active()) impl().ClearRows();
}

void ClientDataSet::Execute() { Server().Execute(providerName_, params_, commandText_); }

void ClientDataSet::Refresh() {
  auto& im = impl();
  if (!Active()) return;
  im.CheckBrowseMode();
  if (im.ChangeCount() > 0) throw Error(Label(*this) + ": must apply updates before refreshing data");
  // Remember the current row by its key columns, or by position when there are none.
  std::vector<int> keyIdx;
  for (int i = 0; i < FieldCount(); ++i) {
    const Field& f = FieldAt(i);
    if (f.IsData() && (f.Def().key || (static_cast<size_t>(i) < im.packetKey.size() && im.packetKey[static_cast<size_t>(i)])))
      keyIdx.push_back(i);
  }
  std::vector<Variant> keyVals;
  Row* c = im.CursorRow();
  if (c)
    for (int k : keyIdx) keyVals.push_back(c->v[static_cast<size_t>(k)]);
  int oldPos = im.cur;
  DataPacket p = Server().GetRecords(providerName_, params_, commandText_);
  im.LoadPacket(p);
  im.ApplySortSpec();
  im.PrepareFilter();
  im.cur = oldPos;
  im.RebuildView(nullptr);
  if (c && !keyIdx.empty()) {
    for (size_t i = 0; i < im.view.size(); ++i) {
      bool same = true;
      for (size_t k = 0; same && k < keyIdx.size(); ++k)
        same = im.view[i]->v[static_cast<size_t>(keyIdx[k])] == keyVals[k];
      if (same) {
        im.cur = static_cast<int>(i);
        break;
      }
    }
  }
  im.bof = im.eof = im.view.empty();
  im.CurrentChanged();
  im.Notify(LinkEvent::Changed);
}

int ClientDataSet::ApplyUpdates(int maxErrors) {
  auto& im = impl();
  im.CheckBrowseMode();
  std::vector<long long> ids;
  DataPacket delta = im.BuildDelta(&ids);
  if (delta.rows.empty()) return 0;
  // A throw here (server unreachable, provider failure) leaves the log untouched.
  ApplyResult res = Server().ApplyUpdates(providerName_, delta, maxErrors);

  std::unordered_map<long long, const ApplyError*> errorOf;
  for (const auto& e : res.errors)
    if (e.deltaRow >= 0 && static_cast<size_t>(e.deltaRow) < ids.size())
      errorOf.emplace(ids[static_cast<size_t>(e.deltaRow)], &e);

  std::vector<long long> order;
  std::unordered_set<long long> seen;
  for (long long id : ids)
    if (seen.insert(id).second) order.push_back(id);

  Row* c = im.CursorRow();
  long long keep = c ? c->id : -1;

  // Rows the server took become fetched rows.
  for (long long id : order)
    if (!errorOf.count(id)) im.MergeRow(id);

  // Data fields in packet column order.
  std::vector<size_t> dataIdx;
  for (size_t i = 0; i < im.fields.size(); ++i)
    if (im.fields[i]->IsData()) dataIdx.push_back(i);

  bool aborted = false;
  for (long long id : order) {
    auto it = errorOf.find(id);
    if (it == errorOf.end() || aborted) continue;
    const ApplyError& err = *it->second;
    // The packet row of this change: the new values (or the only row for inserts/deletes).
    size_t newRow = 0, oldRow = 0;
    bool haveOld = false;
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] != id) continue;
      if (delta.rows[i].status == RowStatus::Unmodified) {
        oldRow = i;
        haveOld = true;
      } else {
        newRow = i;
      }
    }
    const PacketRow& pr = delta.rows[newRow];
    UpdateKind kind = pr.status == RowStatus::Inserted  ? UpdateKind::Insert
                      : pr.status == RowStatus::Deleted ? UpdateKind::Delete
                                                        : UpdateKind::Modify;
    DataSet rowSet("ReconcileRow");
    rowSet.LogChanges = false;
    for (const auto& col : delta.columns) {
      FieldDef d;
      d.name = col.name;
      d.type = col.type;
      d.size = col.size;
      d.key = col.key;
      rowSet.FieldDefs().push_back(std::move(d));
    }
    rowSet.CreateDataSet();
    rowSet.Append();
    for (size_t k = 0; k < delta.columns.size(); ++k) {
      Variant v = pr.values[k];
      if (v.IsUnassigned() && haveOld) v = delta.rows[oldRow].values[k];
      if (!v.IsNull()) rowSet.FieldAt(static_cast<int>(k)).SetValue(v);
    }
    rowSet.Post();

    ReconcileAction action = ReconcileAction::Skip;
    if (OnReconcileError) {
      auto handler = OnReconcileError;
      action = handler(rowSet, err.message, kind);
    }
    if (rowSet.State() == DataSetState::Edit || rowSet.State() == DataSetState::Insert) rowSet.Post();
    bool haveServer = err.currentValues.size() == dataIdx.size();

    switch (action) {
      case ReconcileAction::Skip:
        break;
      case ReconcileAction::Abort:
        aborted = true;
        break;
      case ReconcileAction::Cancel:
        im.RevertRow(id);
        break;
      case ReconcileAction::Refresh:
        if (!haveServer) {
          im.RevertRow(id);
          break;
        }
        [[fallthrough]];
      case ReconcileAction::Merge: {
        if (!haveServer) break;  // nothing to merge with: the change stays pending
        Row* r = im.FindRow(id);
        if (!r) {
          // A deleted row: bring it back with the server's values when refreshing, else keep
          // the delete pending against the server's current values.
          for (auto& d : im.deletedRows) {
            if (d->id != id) continue;
            auto base = std::make_shared<std::vector<Variant>>(d->orig ? *d->orig : d->v);
            for (size_t k = 0; k < dataIdx.size(); ++k) (*base)[dataIdx[k]] = err.currentValues[k];
            d->v = *base;
            d->orig.reset();
            break;
          }
          if (action == ReconcileAction::Refresh) {
            im.RevertRow(id);  // restores the row (now holding the server's values)
          }
          break;
        }
        std::vector<Variant> server = r->v;
        for (size_t k = 0; k < dataIdx.size(); ++k) server[dataIdx[k]] = err.currentValues[k];
        if (action == ReconcileAction::Refresh) {
          r->v = std::move(server);
          r->status = RowStatus::Unmodified;
          r->orig.reset();
          im.DropLogOf(id);
        } else if (r->status == RowStatus::Modified) {
          // Fields this row changed keep the new values; the others take the server's, and
          // the change stays pending against the server's current row.
          const std::vector<Variant> o = r->orig ? *r->orig : r->v;
          for (size_t i : dataIdx)
            if (r->v[i] == o[i]) r->v[i] = server[i];
          r->orig = std::make_shared<const std::vector<Variant>>(std::move(server));
        }
        break;
      }
      case ReconcileAction::Correct: {
        Row* r = im.FindRow(id);
        if (!r) break;  // a delete has nothing to correct; it stays pending
        if (r->status == RowStatus::Unmodified) {
          r->orig = std::make_shared<const std::vector<Variant>>(r->v);
          r->status = RowStatus::Modified;
        }
        for (size_t k = 0; k < dataIdx.size(); ++k) {
          Variant v = rowSet.FieldAt(static_cast<int>(k)).Value();
          r->v[dataIdx[k]] = im.Convert(*im.fields[dataIdx[k]], v);
        }
        break;
      }
    }
  }
  RefreshAfterLogChange(keep);
  return std::max(res.errorCount, static_cast<int>(res.errors.size()));
}

}  // namespace yz::data
