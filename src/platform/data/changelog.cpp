// The change log: pending edits, inserts and deletes with the rows' fetched values, the
// delta built from them, reverting, merging and save points.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/base/error.h"
#include "platform/data/dataset_impl.h"

namespace yz::data {

int DataSet::Impl::ChangeCount() const {
  int n = static_cast<int>(deletedRows.size());
  for (const auto& r : rows)
    if (r->status != RowStatus::Unmodified) ++n;
  return n;
}

DataPacket DataSet::Impl::BuildDelta(std::vector<long long>* ids) const {
  DataPacket p = MakePacketColumns();
  std::unordered_map<long long, const Row*> live, gone;
  for (const auto& r : rows)
    if (r->status != RowStatus::Unmodified) live.emplace(r->id, r.get());
  for (const auto& r : deletedRows) gone.emplace(r->id, r.get());
  // Log order first (so a parent inserted before its child goes first), then anything else.
  std::vector<long long> order;
  std::unordered_set<long long> seen;
  for (const auto& e : log)
    if (seen.insert(e.id).second) order.push_back(e.id);
  for (const auto& r : rows)
    if (r->status != RowStatus::Unmodified && seen.insert(r->id).second) order.push_back(r->id);
  for (const auto& r : deletedRows)
    if (seen.insert(r->id).second) order.push_back(r->id);

  std::vector<size_t> dataIdx;
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i]->IsData()) dataIdx.push_back(i);
  auto push = [&](RowStatus s, std::vector<Variant> values, long long id) {
    p.rows.push_back(PacketRow{s, std::move(values)});
    if (ids) ids->push_back(id);
  };
  for (long long id : order) {
    if (auto it = live.find(id); it != live.end()) {
      const Row& r = *it->second;
      if (r.status == RowStatus::Inserted) {
        push(RowStatus::Inserted, DataValues(r), id);
      } else {
        const std::vector<Variant>& o = r.orig ? *r.orig : r.v;
        std::vector<Variant> oldv, newv;
        for (size_t i : dataIdx) {
          oldv.push_back(o[i]);
          newv.push_back(r.v[i] == o[i] ? Variant::Unassigned() : r.v[i]);
        }
        push(RowStatus::Unmodified, std::move(oldv), id);
        push(RowStatus::Modified, std::move(newv), id);
      }
    } else if (auto gt = gone.find(id); gt != gone.end()) {
      const Row& r = *gt->second;
      const std::vector<Variant>& o = r.orig ? *r.orig : r.v;
      std::vector<Variant> oldv;
      for (size_t i : dataIdx) oldv.push_back(o[i]);
      push(RowStatus::Deleted, std::move(oldv), id);
    }
  }
  return p;
}

void DataSet::Impl::DropLogOf(long long id) {
  log.erase(std::remove_if(log.begin(), log.end(), [id](const LogEntry& e) { return e.id == id; }), log.end());
}

void DataSet::Impl::MergeRow(long long id) {
  if (Row* r = FindRow(id)) {
    r->status = RowStatus::Unmodified;
    r->orig.reset();
  } else {
    deletedRows.erase(std::remove_if(deletedRows.begin(), deletedRows.end(),
                                     [id](const std::unique_ptr<Row>& d) { return d->id == id; }),
                      deletedRows.end());
  }
  DropLogOf(id);
}

void DataSet::Impl::RevertRow(long long id) {
  if (Row* r = FindRow(id)) {
    if (r->status == RowStatus::Inserted) {
      TakeRow(id);
    } else if (r->status == RowStatus::Modified) {
      if (r->orig) r->v = *r->orig;
      r->orig.reset();
      r->status = RowStatus::Unmodified;
    }
  } else {
    for (auto it = deletedRows.begin(); it != deletedRows.end(); ++it) {
      if ((*it)->id != id) continue;
      auto row = std::move(*it);
      deletedRows.erase(it);
      if (row->orig) row->v = *row->orig;
      row->orig.reset();
      row->status = RowStatus::Unmodified;
      InsertRowBySeq(std::move(row));
      break;
    }
  }
  DropLogOf(id);
}

void DataSet::Impl::UndoEntry(LogEntry& e) {
  switch (e.op) {
    case LogEntry::Edit:
      if (Row* r = FindRow(e.id)) {
        r->v = e.before.v;
        r->status = e.before.status;
        r->orig = e.before.orig;
      }
      break;
    case LogEntry::Insert:
      TakeRow(e.id);
      break;
    case LogEntry::Delete: {
      deletedRows.erase(std::remove_if(deletedRows.begin(), deletedRows.end(),
                                       [&](const std::unique_ptr<Row>& d) { return d->id == e.id; }),
                        deletedRows.end());
      if (!FindRow(e.id)) InsertRowBySeq(std::make_unique<Row>(e.before));
      break;
    }
  }
}

// ---------------------------------------------------------------------------- DataSet API

int DataSet::ChangeCount() const { return Active() ? impl_->ChangeCount() : 0; }

DataPacket DataSet::Delta() const { return impl_->BuildDelta(nullptr); }

RowStatus DataSet::UpdateStatus() const {
  if (state_ == DataSetState::Insert) return RowStatus::Inserted;
  Row* r = state_ == DataSetState::Edit ? impl_->editRow : impl_->ActiveRow();
  if (!r) return RowStatus::Unmodified;
  return r->status != RowStatus::Unmodified ? r->status : r->pstatus;
}

void DataSet::RefreshAfterLogChange(long long keepId) {
  auto& im = *impl_;
  Row* keep = keepId >= 0 ? im.FindRow(keepId) : nullptr;
  im.RebuildView(keep);
  im.bof = im.eof = im.view.empty();
  im.CurrentChanged();
  im.Notify(LinkEvent::Changed);
}

void DataSet::CancelUpdates() {
  auto& im = *impl_;
  if (!Active()) return;
  Cancel();
  Row* c = im.CursorRow();
  long long keep = c ? c->id : -1;
  std::vector<long long> ids;
  for (const auto& r : im.rows)
    if (r->status != RowStatus::Unmodified) ids.push_back(r->id);
  for (const auto& r : im.deletedRows) ids.push_back(r->id);
  for (long long id : ids) im.RevertRow(id);
  im.log.clear();
  RefreshAfterLogChange(keep);
}

void DataSet::RevertRecord() {
  auto& im = *impl_;
  im.CheckActive();
  Cancel();
  Row* r = im.CursorRow();
  if (!r) return;
  long long id = r->id;
  im.RevertRow(id);
  RefreshAfterLogChange(id);
}

void DataSet::MergeChangeLog() {
  auto& im = *impl_;
  if (!Active()) return;
  im.CheckBrowseMode();
  for (auto& r : im.rows) {
    r->status = RowStatus::Unmodified;
    r->orig.reset();
  }
  im.deletedRows.clear();
  im.log.clear();
}

int DataSet::SavePoint() const { return static_cast<int>(impl_->log.size()); }

void DataSet::SetSavePoint(int savePoint) {
  auto& im = *impl_;
  im.CheckActive();
  if (savePoint < 0 || savePoint > static_cast<int>(im.log.size()))
    throw Error("Invalid save point " + std::to_string(savePoint));
  Cancel();
  Row* c = im.CursorRow();
  long long keep = c ? c->id : -1;
  while (static_cast<int>(im.log.size()) > savePoint) {
    im.UndoEntry(im.log.back());
    im.log.pop_back();
  }
  RefreshAfterLogChange(keep);
}

}  // namespace yz::data
