// Shared fixtures of the data-layer tests: an order-like packet, an event recorder and a
// small in-memory application server.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/base/error.h"
#include "platform/data/appserver.h"
#include "platform/data/clientdataset.h"
#include "platform/data/dataset.h"

namespace yz::data::testing {

inline DataPacket OrderPacket() {
  DataPacket p;
  p.columns = {{"act_order_no", FieldType::Integer, 0, false, false, true},
               {"order_code", FieldType::FixedChar, 6},
               {"order_name", FieldType::String, 10},
               {"doseage", FieldType::Float},
               {"status_flag", FieldType::FixedChar, 1},
               {"start_time", FieldType::DateTime},
               {"end_time_2", FieldType::DateTime},
               {"parent_no", FieldType::Integer}};
  auto dt = [](int y, int m, int d) { return Variant(DateTime::FromParts(y, m, d)); };
  p.rows = {
      {RowStatus::Unmodified, {1, "02579 ", "Aspirin", 0.5, "1", dt(2024, 5, 1), Variant(), Variant()}},
      {RowStatus::Unmodified, {2, "10001", "Saline", 250.0, "5", dt(2024, 5, 7), dt(2024, 5, 9), Variant()}},
      {RowStatus::Unmodified, {3, "10002", "glucose", 100.0, "2", dt(2024, 5, 3), dt(2024, 5, 4), 100}},
      {RowStatus::Unmodified, {4, "02579", "aspirin b", 1.0, "5", dt(2024, 5, 6), dt(2024, 5, 8), Variant()}},
      {RowStatus::Unmodified, {5, "20000", "Bed rest", Variant(), "3", dt(2024, 5, 2), Variant(), 100}},
  };
  return p;
}

// Records dataset events by name.
struct EventLog {
  std::vector<std::string> names;
  void Attach(DataSet& ds) {
    auto rec = [this](const char* n) { return [this, n](DataSet&) { names.push_back(n); }; };
    ds.BeforeOpen = rec("BeforeOpen");
    ds.AfterOpen = rec("AfterOpen");
    ds.BeforeClose = rec("BeforeClose");
    ds.AfterClose = rec("AfterClose");
    ds.BeforeInsert = rec("BeforeInsert");
    ds.AfterInsert = rec("AfterInsert");
    ds.BeforeEdit = rec("BeforeEdit");
    ds.AfterEdit = rec("AfterEdit");
    ds.BeforePost = rec("BeforePost");
    ds.AfterPost = rec("AfterPost");
    ds.BeforeCancel = rec("BeforeCancel");
    ds.AfterCancel = rec("AfterCancel");
    ds.BeforeDelete = rec("BeforeDelete");
    ds.AfterDelete = rec("AfterDelete");
    ds.BeforeScroll = rec("BeforeScroll");
    ds.AfterScroll = rec("AfterScroll");
    ds.OnNewRecord = rec("OnNewRecord");
  }
  std::string Take() {
    std::string s;
    for (const auto& n : names) s += (s.empty() ? "" : " ") + n;
    names.clear();
    return s;
  }
};

// An application server holding one packet per provider. Apply checks each delta row against
// the stored rows by key and rejects rows listed in `reject` (by key value) with a text.
class MemoryServer : public AppServer {
 public:
  std::map<std::string, DataPacket> tables;
  std::map<int, std::string> reject;  // key value -> error text
  std::map<int, std::vector<Variant>> serverRow;  // current values reported for a rejected key
  std::vector<DataPacket> applied;
  std::vector<std::string> commandTexts;
  std::vector<Params> paramsSeen;
  bool failApply = false;
  Params providerParams;

  Params GetParams(const std::string&) override { return providerParams; }
  DataPacket GetRecords(const std::string& provider, const Params& params, const std::string& cmd) override {
    commandTexts.push_back(cmd);
    paramsSeen.push_back(params);
    auto it = tables.find(provider);
    if (it == tables.end()) throw Error("Provider '" + provider + "' not found");
    return it->second;
  }
  ApplyResult ApplyUpdates(const std::string& provider, const DataPacket& delta, int) override {
    if (failApply) throw Error("Connection lost");
    applied.push_back(delta);
    ApplyResult res;
    DataPacket& t = tables.at(provider);
    for (size_t i = 0; i < delta.rows.size(); ++i) {
      const PacketRow& r = delta.rows[i];
      if (r.status == RowStatus::Unmodified) continue;
      const std::vector<Variant>& keyRow =
          r.status == RowStatus::Modified ? delta.rows[i - 1].values : r.values;
      int key = keyRow[0].ToInt();
      if (auto rj = reject.find(key); rj != reject.end()) {
        ApplyError e;
        e.deltaRow = static_cast<int>(i);
        e.kind = r.status == RowStatus::Inserted ? UpdateKind::Insert
                 : r.status == RowStatus::Deleted ? UpdateKind::Delete
                                                  : UpdateKind::Modify;
        e.message = rj->second;
        if (auto sr = serverRow.find(key); sr != serverRow.end()) e.currentValues = sr->second;
        res.errors.push_back(std::move(e));
        continue;
      }
      auto found = std::find_if(t.rows.begin(), t.rows.end(),
                                [&](const PacketRow& x) { return x.values[0].ToInt() == key; });
      if (r.status == RowStatus::Inserted) {
        t.rows.push_back(PacketRow{RowStatus::Unmodified, r.values});
      } else if (r.status == RowStatus::Deleted) {
        if (found != t.rows.end()) t.rows.erase(found);
      } else if (found != t.rows.end()) {
        for (size_t c = 0; c < r.values.size(); ++c)
          if (!r.values[c].IsUnassigned()) found->values[c] = r.values[c];
      }
    }
    res.errorCount = static_cast<int>(res.errors.size());
    return res;
  }
  void Execute(const std::string&, const Params& params, const std::string& cmd) override {
    commandTexts.push_back("exec:" + cmd);
    paramsSeen.push_back(params);
  }
};

}  // namespace yz::data::testing
