// Change log, delta, apply with reconcile, and provider datasets.
#include <gtest/gtest.h>

#include "fixture.h"

namespace yz::data {
namespace {

using testing::MemoryServer;
using testing::OrderPacket;

struct Provider {
  MemoryServer server;
  ClientDataSet cds{"cdsActOrder"};
  Provider() {
    server.tables["dspInputOrder"] = OrderPacket();
    cds.SetRemoteServer(&server);
    cds.SetProviderName("dspInputOrder");
    cds.Open();
  }
  void EditName(int id, const char* name) {
    ASSERT_TRUE(cds.Locate("act_order_no", id));
    cds.Edit();
    cds["order_name"].SetAsString(name);
    cds.Post();
  }
  std::string ServerName(int id) {
    for (const auto& r : server.tables["dspInputOrder"].rows)
      if (r.values[0].ToInt() == id) return r.values[2].ToString();
    return "<none>";
  }
};

TEST(ChangeLog, DeltaShowsOldThenNewRowsInsertsAndDeletes) {
  Provider p;
  ClientDataSet& ds = p.cds;
  p.EditName(2, "Saline 2");
  p.EditName(2, "Saline 3");  // a second edit of the same row is still one change
  ds.Append();
  ds["act_order_no"].SetAsInteger(6);
  ds["order_name"].SetAsString("new");
  ds.Post();
  ASSERT_TRUE(ds.Locate("act_order_no", 4));
  ds.Edit();
  ds["order_name"].SetAsString("gone");
  ds.Post();
  ds.Delete();
  ds.Append();
  ds["act_order_no"].SetAsInteger(7);
  ds.Post();
  ds.Delete();  // inserted then deleted: nothing to send
  EXPECT_EQ(ds.ChangeCount(), 3);

  DataPacket d = ds.Delta();
  ASSERT_EQ(d.rows.size(), 4u);
  EXPECT_TRUE(d.columns[0].key);
  EXPECT_EQ(d.rows[0].status, RowStatus::Unmodified);
  EXPECT_EQ(d.rows[0].values[2].ToString(), "Saline");
  EXPECT_EQ(d.rows[1].status, RowStatus::Modified);
  EXPECT_EQ(d.rows[1].values[2].ToString(), "Saline 3");
  for (size_t c : {0u, 1u, 3u, 4u, 5u, 6u, 7u}) EXPECT_TRUE(d.rows[1].values[c].IsUnassigned()) << c;
  EXPECT_EQ(d.rows[2].status, RowStatus::Inserted);
  EXPECT_EQ(d.rows[2].values[0].ToInt(), 6);
  EXPECT_EQ(d.rows[3].status, RowStatus::Deleted);
  EXPECT_EQ(d.rows[3].values[2].ToString(), "aspirin b") << "a deleted row carries its fetched values";

  // The delta loads into a set that reports each row's status.
  DataSet check("cdsCheck");
  check.SetData(DataPacket::FromJson(d.ToJson()));
  std::vector<RowStatus> st;
  for (check.First(); !check.Eof(); check.Next()) st.push_back(check.UpdateStatus());
  EXPECT_EQ(st, (std::vector<RowStatus>{RowStatus::Unmodified, RowStatus::Modified, RowStatus::Inserted,
                                        RowStatus::Deleted}));
  EXPECT_EQ(check.ChangeCount(), 0);
}

TEST(ChangeLog, CancelRevertMergeAndSavePoints) {
  Provider p;
  ClientDataSet& ds = p.cds;
  p.EditName(1, "a1");
  int sp = ds.SavePoint();
  p.EditName(2, "a2");
  ds.Append();
  ds["act_order_no"].SetAsInteger(6);
  ds.Post();
  ASSERT_TRUE(ds.Locate("act_order_no", 3));
  ds.Delete();
  EXPECT_EQ(ds.ChangeCount(), 4);
  ds.SetSavePoint(sp);
  EXPECT_EQ(ds.ChangeCount(), 1);
  EXPECT_EQ(ds.RecordCount(), 5);
  EXPECT_EQ(ds.Lookup("act_order_no", {2}, "order_name").ToString(), "Saline");
  EXPECT_EQ(ds.Lookup("act_order_no", {3}, "order_name").ToString(), "glucose");
  EXPECT_EQ(ds.Lookup("act_order_no", {1}, "order_name").ToString(), "a1");

  ASSERT_TRUE(ds.Locate("act_order_no", 1));
  EXPECT_EQ(ds.UpdateStatus(), RowStatus::Modified);
  ds.RevertRecord();
  EXPECT_EQ(ds["order_name"].AsString(), "Aspirin");
  EXPECT_EQ(ds.ChangeCount(), 0);

  p.EditName(5, "x");
  ASSERT_TRUE(ds.Locate("act_order_no", 4));
  ds.Delete();
  ds.CancelUpdates();
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_EQ(ds.RecordCount(), 5);
  std::vector<int> ids;
  for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds["act_order_no"].AsInteger());
  EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5})) << "a restored row comes back in its place";

  p.EditName(5, "merged");
  ds.MergeChangeLog();
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_EQ(ds.Lookup("act_order_no", {5}, "order_name").ToString(), "merged");
  EXPECT_EQ(ds["order_name"].OldValue().ToString(), "merged");
}

TEST(ApplyUpdates, OneOfThreeRejectedAndCancelled) {
  Provider p;
  ClientDataSet& ds = p.cds;
  p.EditName(1, "one");
  p.EditName(2, "two");
  p.EditName(3, "three");
  p.server.reject[2] = "Row changed by another user";
  std::vector<std::string> seen;
  ds.OnReconcileError = [&](DataSet& row, const std::string& error, UpdateKind kind) {
    seen.push_back(row["act_order_no"].AsString() + "|" + row["order_name"].AsString() + "|" + row["order_code"].AsString() + "|" +
                   error + "|" + (kind == UpdateKind::Modify ? "modify" : "other"));
    return ReconcileAction::Cancel;
  };
  ASSERT_TRUE(ds.Locate("act_order_no", 3));
  EXPECT_EQ(ds.ApplyUpdates(0), 1);
  EXPECT_EQ(seen, std::vector<std::string>{"2|two|10001|Row changed by another user|modify"});
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_EQ(ds.Lookup("act_order_no", {2}, "order_name").ToString(), "Saline") << "cancel restores fetched values";
  EXPECT_EQ(ds.Lookup("act_order_no", {1}, "order_name").ToString(), "one");
  EXPECT_EQ(p.ServerName(1), "one");
  EXPECT_EQ(p.ServerName(3), "three");
  EXPECT_EQ(p.ServerName(2), "Saline");
  EXPECT_EQ(ds["act_order_no"].AsInteger(), 3) << "the cursor stays on its row";
  EXPECT_EQ(ds.RecordCount(), 5);
}

TEST(ApplyUpdates, EachReconcileAction) {
  struct Case {
    ReconcileAction action;
    bool serverValues;
    int changesAfter;       // pending rows after the apply
    const char* localName;  // row 2's name afterwards
    const char* localCode;  // row 2's code afterwards
  } cases[] = {
      {ReconcileAction::Skip, true, 1, "two", "10001"},
      {ReconcileAction::Abort, true, 1, "two", "10001"},
      {ReconcileAction::Cancel, true, 0, "Saline", "10001"},
      {ReconcileAction::Refresh, true, 0, "server", "S2"},
      {ReconcileAction::Refresh, false, 0, "Saline", "10001"},
      {ReconcileAction::Merge, true, 1, "two", "S2"},
      {ReconcileAction::Merge, false, 1, "two", "10001"},
      {ReconcileAction::Correct, true, 1, "corrected", "10001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action));
    Provider p;
    p.EditName(2, "two");
    p.EditName(4, "four");
    p.server.reject[2] = "refused";
    p.server.reject[4] = "refused too";
    if (c.serverValues)
      p.server.serverRow[2] = {2, "S2", "server", 250.0, "5", Variant(), Variant(), Variant()};
    int calls = 0;
    p.cds.OnReconcileError = [&](DataSet& row, const std::string&, UpdateKind) {
      ++calls;
      if (row["act_order_no"].AsInteger() != 2) return ReconcileAction::Skip;
      if (c.action == ReconcileAction::Correct) {
        row.Edit();
        row["order_name"].SetAsString("corrected");
        row.Post();
      }
      return c.action;
    };
    EXPECT_EQ(p.cds.ApplyUpdates(-1), 2);
    EXPECT_EQ(calls, c.action == ReconcileAction::Abort ? 1 : 2);
    EXPECT_EQ(p.cds.ChangeCount(), c.changesAfter + 1);  // row 4 is always skipped and pending
    EXPECT_EQ(p.cds.Lookup("act_order_no", {2}, "order_name").ToString(), c.localName);
    EXPECT_EQ(p.cds.Lookup("act_order_no", {2}, "order_code").ToString(), c.localCode);
    if (c.action == ReconcileAction::Correct) {
      // The corrected row goes out on the next apply.
      p.server.reject.clear();
      EXPECT_EQ(p.cds.ApplyUpdates(0), 0);
      EXPECT_EQ(p.ServerName(2), "corrected");
      EXPECT_EQ(p.cds.ChangeCount(), 0);
    }
  }
}

TEST(ApplyUpdates, AFailingServerLosesNothingAndEditsArePostedFirst) {
  Provider p;
  ClientDataSet& ds = p.cds;
  p.EditName(1, "one");
  ds.Edit();
  ds["order_name"].SetAsString("pending");
  p.server.failApply = true;
  EXPECT_THROW(ds.ApplyUpdates(0), Error);
  EXPECT_EQ(ds.State(), DataSetState::Browse);
  EXPECT_EQ(ds.ChangeCount(), 1);
  EXPECT_EQ(ds["order_name"].AsString(), "pending");
  p.server.failApply = false;
  EXPECT_EQ(ds.ApplyUpdates(0), 0);
  EXPECT_EQ(p.ServerName(1), "pending");
  EXPECT_EQ(ds.ApplyUpdates(0), 0);
  EXPECT_EQ(p.server.applied.size(), 1u) << "nothing to send, nothing sent";

  // Inserts and deletes reach the server; the reopened set shows the result.
  ds.Append();
  ds["act_order_no"].SetAsInteger(6);
  ds["order_name"].SetAsString("six");
  ds.Post();
  ASSERT_TRUE(ds.Locate("act_order_no", 3));
  ds.Delete();
  EXPECT_EQ(ds.ApplyUpdates(0), 0);
  ds.Close();
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), 5);
  EXPECT_TRUE(ds.Locate("act_order_no", 6));
  EXPECT_FALSE(ds.Locate("act_order_no", 3));
}

TEST(ApplyUpdates, LocalFieldsNeverReachTheProvider) {
  MemoryServer server;
  server.tables["p"] = OrderPacket();
  ClientDataSet ds;
  ds.SetRemoteServer(&server);
  ds.SetProviderName("p");
  ds.AddField({"act_order_no", FieldType::Integer, 0, FieldKind::Data, false, false, true});
  ds.AddField({"order_name", FieldType::String, 10});
  ds.AddField({"missing_col", FieldType::String, 10});
  ds.AddField({"ypts_check", FieldType::Integer, 0, FieldKind::InternalCalc});
  ds.AddField({"name_len", FieldType::Integer, 0, FieldKind::Calculated});
  ds.OnCalcFields = [](DataSet& d) { d["name_len"].SetAsInteger(static_cast<int>(d["order_name"].AsString().size())); };
  ds.Open();
  EXPECT_TRUE(ds["missing_col"].IsNull());
  ds.Edit();
  ds["ypts_check"].SetAsInteger(3);
  ds["order_name"].SetAsString("x");
  ds.Post();
  EXPECT_EQ(ds.ApplyUpdates(0), 0);
  const DataPacket& sent = server.applied.at(0);
  std::vector<std::string> cols;
  for (const auto& c : sent.columns) cols.push_back(c.name);
  EXPECT_EQ(cols, (std::vector<std::string>{"act_order_no", "order_name", "missing_col"}));
  EXPECT_EQ(ds["ypts_check"].AsInteger(), 3);
  EXPECT_EQ(ds["name_len"].AsInteger(), 1);
}

TEST(ClientDataSet, ParamsCommandTextAndRefresh) {
  MemoryServer server;
  server.tables["DSP_dict"] = OrderPacket();
  server.providerParams.CreateParam(FieldType::String, "py_code");
  server.providerParams.CreateParam(FieldType::String, "code");
  server.providerParams.CreateParam(FieldType::String, "code");
  ClientDataSet ds("cdsZd");
  ds.SetRemoteServer(&server);
  ds.SetProviderName("DSP_dict");
  ds.FetchParams();
  ASSERT_EQ(ds.GetParams().Count(), 3);
  ds.GetParams().ParamByName("PY_CODE").SetAsString("%");
  ds.GetParams()[1].SetAsString("*");
  ds.GetParams()[2].SetAsString("02");
  EXPECT_THROW(ds.GetParams().ParamByName("nosuch"), Error);
  ds.SetCommandText("select * from t");
  ds.Open();
  const Params& sent = server.paramsSeen.back();
  EXPECT_EQ(sent.Count(), 3);
  EXPECT_EQ(sent[0].AsString(), "%");
  EXPECT_EQ(sent[1].AsString(), "*");
  EXPECT_EQ(sent[2].AsString(), "02");
  EXPECT_EQ(sent.FindParam("code")->AsString(), "*") << "by name answers the first of a repeated name";
  EXPECT_EQ(server.commandTexts.back(), "select * from t");

  // Refresh keeps the cursor on the same key even when rows move.
  ASSERT_TRUE(ds.Locate("act_order_no", 4));
  std::reverse(server.tables["DSP_dict"].rows.begin(), server.tables["DSP_dict"].rows.end());
  ds.Refresh();
  EXPECT_EQ(ds["act_order_no"].AsInteger(), 4);
  EXPECT_EQ(ds.RecNo(), 2);
  ds.Edit();
  ds["order_name"].SetAsString("x");
  ds.Post();
  EXPECT_THROW(ds.Refresh(), Error) << "pending changes are not thrown away";
  EXPECT_EQ(ds.ChangeCount(), 1);
  ds.CancelUpdates();

  // Another command text: the old rows go, the next open fetches the new statement.
  ds.Close();
  ds.SetCommandText("select 1");
  server.tables["DSP_dict"].rows.resize(1);
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(server.commandTexts.back(), "select 1");
  ds.Execute();
  EXPECT_EQ(server.commandTexts.back(), "exec:select 1");

  ClientDataSet noServer("x");
  noServer.SetProviderName("p");
  try {
    noServer.Open();
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("'p'"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(noServer.Active());
  ClientDataSet missing;
  missing.SetRemoteServer(&server);
  missing.SetProviderName("nosuch");
  EXPECT_THROW(missing.Open(), Error);
  EXPECT_FALSE(missing.Active());
}

}  // namespace
}  // namespace yz::data
