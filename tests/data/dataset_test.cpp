// Dataset semantics: fields, states, event order, filters, search, sorting, local sets.
#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/base/error.h"
#include "platform/data/packet.h"

namespace yz::data {
namespace {

using testing::EventLog;
using testing::OrderPacket;

std::vector<int> Ids(DataSet& ds) {
  std::vector<int> out;
  auto bm = ds.GetBookmark();
  ds.DisableControls();
  for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds["act_order_no"].AsInteger());
  if (bm.Valid() && ds.BookmarkValid(bm)) ds.GotoBookmark(bm);
  ds.EnableControls();
  return out;
}

TEST(DataSetEvents, OrderOfEachOperation) {
  DataSet ds("cdsActOrder");
  EventLog ev;
  ev.Attach(ds);
  ds.SetData(OrderPacket());
  EXPECT_EQ(ev.Take(), "BeforeOpen AfterOpen AfterScroll");

  struct Case {
    const char* what;
    std::function<void()> run;
    const char* events;
  } cases[] = {
      {"next", [&] { ds.Next(); }, "BeforeScroll AfterScroll"},
      {"last", [&] { ds.Last(); }, "BeforeScroll AfterScroll"},
      {"next at the end", [&] { ds.Next(); }, "BeforeScroll"},
      {"first", [&] { ds.First(); }, "BeforeScroll AfterScroll"},
      {"recno", [&] { ds.SetRecNo(3); }, "BeforeScroll AfterScroll"},
      {"edit", [&] { ds.Edit(); }, "BeforeEdit AfterEdit"},
      {"post", [&] { ds["order_name"].SetAsString("x"); ds.Post(); }, "BeforePost AfterPost"},
      {"append", [&] { ds.Append(); }, "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll"},
      {"cancel insert", [&] { ds.Cancel(); }, "BeforeCancel AfterCancel AfterScroll"},
      {"insert", [&] { ds.Insert(); }, "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll"},
      {"implicit post on move",
       [&] { ds["act_order_no"].SetAsInteger(9); ds.Next(); },
       "BeforePost AfterPost BeforeScroll AfterScroll"},
      {"edit then cancel", [&] { ds.Edit(); ds.Cancel(); }, "BeforeEdit AfterEdit BeforeCancel AfterCancel"},
      {"delete", [&] { ds.Delete(); }, "BeforeDelete BeforeScroll AfterDelete AfterScroll"},
      {"filter on", [&] { ds.SetFilter("status_flag = '5'"); ds.SetFiltered(true); }, "AfterScroll"},
      {"filter changed while on", [&] { ds.SetFilter("status_flag = '1'"); }, "AfterScroll"},
      {"filter off", [&] { ds.SetFiltered(false); }, "AfterScroll"},
      {"locate found", [&] { ds.Locate("act_order_no", 4); }, "BeforeScroll AfterScroll"},
      {"locate not found", [&] { ds.Locate("act_order_no", 77); }, ""},
      {"close", [&] { ds.Close(); }, "BeforeClose AfterClose"},
  };
  for (auto& c : cases) {
    c.run();
    EXPECT_EQ(ev.Take(), c.events) << c.what;
  }
}

TEST(DataSetEvents, HandlersAreValuesThatCanBeChainedAndRunByHand) {
  DataSet ds;
  std::vector<std::string> seen;
  ds.AfterScroll = [&](DataSet&) { seen.push_back("first"); };
  auto previous = ds.AfterScroll;
  ds.AfterScroll = [&, previous](DataSet& d) {
    previous(d);
    seen.push_back("second");
  };
  ds.SetData(OrderPacket());
  ds.AfterScroll(ds);
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "first", "second"}));
}

TEST(DataSetStates, RefusedPostKeepsTheRowAndLogsNothing) {
  DataSet ds;
  ds.SetData(OrderPacket());
  bool refuse = true;
  ds.BeforePost = [&](DataSet&) {
    if (refuse) throw Error("医嘱必须有频率");
  };
  ds.Append();
  ds["act_order_no"].SetAsInteger(6);
  EXPECT_EQ(ds.RecordCount(), 5) << "a row being inserted is not counted";
  EXPECT_EQ(ds.RecNo(), -1);
  EXPECT_THROW(ds.Post(), Error);
  EXPECT_EQ(ds.State(), DataSetState::Insert);
  EXPECT_EQ(ds["act_order_no"].AsInteger(), 6);
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_THROW(ds.Next(), Error) << "moving posts first, and the refusal stops the move";
  EXPECT_EQ(ds.State(), DataSetState::Insert);

  refuse = false;
  ds.Post();
  EXPECT_EQ(ds.State(), DataSetState::Browse);
  EXPECT_EQ(ds.RecordCount(), 6);
  EXPECT_EQ(ds.ChangeCount(), 1);

  // The same for an edit.
  refuse = true;
  ds.First();
  ds.Edit();
  ds["order_name"].SetAsString("changed");
  EXPECT_THROW(ds.Post(), Error);
  EXPECT_EQ(ds.State(), DataSetState::Edit);
  EXPECT_EQ(ds["order_name"].AsString(), "changed");
  EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST(DataSetStates, MovingAwayFromAnUntouchedNewRowDropsIt) {
  DataSet ds;
  ds.SetData(OrderPacket());
  ds.Append();
  ds.First();
  EXPECT_EQ(ds.RecordCount(), 5);
  EXPECT_EQ(ds.ChangeCount(), 0);
  // A row given values is posted by the move.
  ds.Append();
  ds["act_order_no"].SetAsInteger(6);
  ds.First();
  EXPECT_EQ(ds.RecordCount(), 6);
  ds.Last();
  EXPECT_EQ(ds["act_order_no"].AsInteger(), 6);
}

TEST(DataSetStates, InsertPlacesTheRowBeforeTheCurrentOne) {
  DataSet ds;
  ds.SetData(OrderPacket());
  ds.SetRecNo(2);
  ds.Insert();
  ds["act_order_no"].SetAsInteger(10);
  ds.Post();
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 10, 2, 3, 4, 5}));
  EXPECT_EQ(ds.Data().rows[1].values[0].ToInt(), 10);
}

TEST(DataSetNavigation, BofEofAndBookmarks) {
  DataSet ds;
  ds.SetData(OrderPacket());
  EXPECT_TRUE(ds.Bof());
  EXPECT_FALSE(ds.Eof());
  EXPECT_EQ(ds.MoveBy(10), 4);
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 5);
  EXPECT_EQ(ds.MoveBy(-2), -2);
  auto bm = ds.GetBookmark();
  ds.SetIndexFieldNames("order_name");
  EXPECT_EQ(ds["act_order_no"].AsInteger(), 3) << "changing the order keeps the current row";
  ds.First();
  ds.GotoBookmark(bm);
  EXPECT_EQ(ds["act_order_no"].AsInteger(), 3);
  ds.Delete();
  EXPECT_FALSE(ds.BookmarkValid(bm));
  EXPECT_THROW(ds.GotoBookmark(bm), Error);

  DataSet empty;
  empty.FieldDefs().push_back({"a", FieldType::Integer});
  empty.CreateDataSet();
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(empty.Bof() && empty.Eof());
  EXPECT_THROW(empty.Delete(), Error);
  empty.Append();
  EXPECT_FALSE(empty.IsEmpty());
  EXPECT_EQ(empty.RecordCount(), 0);
}

TEST(Fields, ValuesConversionsAndLimits) {
  DataSet ds;
  ds.SetData(OrderPacket());
  EXPECT_EQ(ds.FindField("ORDER_CODE"), &ds.FieldByName("order_code"));
  EXPECT_EQ(ds.FindField("missing"), nullptr);
  EXPECT_THROW(ds.FieldByName("missing"), Error);

  ds.Last();  // row 5: doseage null, end_time_2 null
  EXPECT_TRUE(ds["doseage"].IsNull());
  EXPECT_EQ(ds["doseage"].AsString(), "");
  EXPECT_EQ(ds["doseage"].AsInteger(), 0);
  EXPECT_EQ(ds["start_time"].AsString(), "2024-05-02");
  EXPECT_EQ(ds["order_code"].AsString(), "20000");
  ds.First();
  EXPECT_EQ(ds["order_code"].AsString(), "02579 ") << "fixed text stays as delivered";
  EXPECT_EQ(ds["doseage"].AsString(), "0.5");
  EXPECT_EQ(ds["doseage"].AsInteger(), 1) << "a float rounds to integer";

  EXPECT_THROW(ds["order_name"].SetAsString("x"), Error) << "not in edit mode";
  ds.Edit();
  struct Case {
    const char* field;
    Variant in;
    const char* text;
  } cases[] = {
      {"order_name", "一二三四五六七八九十十一", "一二三四五六七八九十"},  // cut by characters
      {"order_name", "short", "short"},
      {"doseage", "28.33", "28.33"},
      {"doseage", 1500, "1500"},
      {"act_order_no", "12", "12"},
      {"act_order_no", 2.5, "3"},
      {"start_time", "2024-05-06 08:30", "2024-05-06 08:30:00"},
      {"start_time", "", ""},
      {"doseage", "", ""},
  };
  for (const auto& c : cases) {
    ds[c.field].SetValue(c.in);
    EXPECT_EQ(ds[c.field].AsString(), c.text) << c.field << " <- " << c.in.Debug();
  }
  EXPECT_THROW(ds["doseage"].SetAsString("abc"), ConvertError);
  EXPECT_EQ(ds["doseage"].AsString(), "") << "a refused value leaves the old one";
  ds["order_name"].SetAsString("");
  EXPECT_TRUE(ds["order_name"].IsNull());
  EXPECT_EQ(ds["order_name"].OldValue().ToString(), "Aspirin");
  ds["order_name"].Clear();
  ds.Cancel();
  EXPECT_EQ(ds["order_name"].AsString(), "Aspirin");

  ds["order_name"].SetReadOnly(true);
  ds.Edit();
  try {
    ds["order_name"].SetAsString("x");
    FAIL() << "read-only field took a value";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("order_name"), std::string::npos);
  }
  ds.Cancel();
}

TEST(Fields, ValidateRefusesAndChangeFollows) {
  DataSet ds;
  ds.SetData(OrderPacket());
  std::vector<std::string> seen;
  ds["doseage"].OnValidate = [&](Field& f) {
    if (f.AsFloat() < 0) throw Error("dose must not be negative");
  };
  ds["doseage"].OnChange = [&](Field& f) { seen.push_back(f.AsString()); };
  ds.Edit();
  EXPECT_THROW(ds["doseage"].SetAsFloat(-1), Error);
  EXPECT_EQ(ds["doseage"].AsFloat(), 0.5);
  ds["doseage"].SetAsFloat(2);
  EXPECT_EQ(seen, std::vector<std::string>{"2"});
  EXPECT_FALSE(ds["doseage"].ReadOnly());
}

// A set with persistent fields of every kind.
struct KindsFixture {
  DataSet units{"cdsypunit"}, names{"cdsNames"}, orders{"cdsBrowserOrder"};
  int calcRuns = 0;
  KindsFixture() {
    units.FieldDefs() = {{"code", FieldType::String, 4}, {"name", FieldType::String, 10}};
    units.CreateDataSet();
    units.AppendRecord({"mg", "毫克"});
    units.AppendRecord({"ml", "毫升"});
    names.FieldDefs() = {{"code", FieldType::String, 4}, {"name", FieldType::String, 10}};
    names.CreateDataSet();
    names.AppendRecord({"mg", "milligram"});

    orders.AddField({"act_order_no", FieldType::Integer});
    orders.AddField({"doseage", FieldType::Float});
    orders.AddField({"doseage_unit", FieldType::String, 4});
    FieldDef lookup{"lookup_doseage_unit", FieldType::String, 10, FieldKind::Lookup};
    lookup.keyFields = "doseage_unit";
    lookup.lookupDataSet = &units;
    lookup.lookupKeyFields = "code";
    lookup.lookupResultField = "name";
    orders.AddField(lookup);
    orders.AddField({"dosa_display", FieldType::String, 12, FieldKind::Calculated});
    orders.AddField({"check", FieldType::String, 4, FieldKind::InternalCalc});
    orders.OnCalcFields = [this](DataSet& d) {
      ++calcRuns;
      d["dosa_display"].SetAsString(d["doseage"].AsString() + d["lookup_doseage_unit"].AsString());
    };
    DataPacket p;
    p.columns = {{"act_order_no", FieldType::Integer}, {"doseage", FieldType::Float},
                 {"doseage_unit", FieldType::String, 4}, {"extra", FieldType::String, 4}};
    p.rows = {{RowStatus::Unmodified, {1, 0.5, "mg", "x"}}, {RowStatus::Unmodified, {2, 10.0, "ml", "y"}}};
    orders.SetData(p);
  }
};

TEST(Fields, LookupCalculatedAndInternalKinds) {
  KindsFixture f;
  DataSet& o = f.orders;
  EXPECT_EQ(o.FieldCount(), 6) << "persistent fields are kept; packet columns without a field are ignored";
  EXPECT_EQ(o["lookup_doseage_unit"].AsString(), "毫克");
  EXPECT_EQ(o["dosa_display"].AsString(), "0.5毫克");

  // Re-pointing the lookup at run time takes effect on the next read.
  o["lookup_doseage_unit"].SetLookup("doseage_unit", &f.names, "code", "name");
  EXPECT_EQ(o["lookup_doseage_unit"].AsString(), "milligram");
  o.Next();
  EXPECT_TRUE(o["lookup_doseage_unit"].IsNull());
  EXPECT_THROW(o["lookup_doseage_unit"].SetAsString("x"), Error);

  // Calculated fields follow each field change; internal ones keep their stored value.
  o.First();
  o.Edit();
  o["check"].SetAsString("√");
  o["doseage"].SetAsFloat(2);
  EXPECT_EQ(o["dosa_display"].AsString(), "2milligram");
  o.Post();
  int runs = f.calcRuns;
  o.Next();
  o.First();
  EXPECT_GT(f.calcRuns, runs);
  EXPECT_EQ(o["check"].AsString(), "√");
  EXPECT_EQ(o["dosa_display"].AsString(), "2milligram");
  EXPECT_THROW(o["dosa_display"].SetAsString("x"), Error);

  // Only data fields travel in packets.
  DataPacket d = o.Data();
  ASSERT_EQ(d.columns.size(), 3u);
  EXPECT_EQ(d.ColumnIndex("check"), -1);
  DataPacket delta = o.Delta();
  EXPECT_EQ(delta.columns.size(), 3u);

  // A lookup set that goes away leaves the field null, not dangling.
  {
    DataSet temp;
    temp.FieldDefs() = {{"code", FieldType::String, 4}, {"name", FieldType::String, 10}};
    temp.CreateDataSet();
    temp.AppendRecord({"mg", "t"});
    o["lookup_doseage_unit"].SetLookup("doseage_unit", &temp, "code", "name");
    EXPECT_EQ(o["lookup_doseage_unit"].AsString(), "t");
  }
  EXPECT_EQ(o["lookup_doseage_unit"].LookupDataSet(), nullptr);
  EXPECT_TRUE(o["lookup_doseage_unit"].IsNull());
}

class CountingLink : public DataLink {
 public:
  int changed = 0, scrolled = 0, record = 0, active = 0, editing = 0;
  void ActiveChanged() override { ++active; }
  void DataSetChanged() override { ++changed; }
  void DataSetScrolled(int) override { ++scrolled; }
  void RecordChanged(Field*) override { ++record; }
  void EditingChanged() override { ++editing; }
};

TEST(DataLinks, DisableControlsSilencesLinksOnlyAndNests) {
  DataSet ds;
  DataSource src(&ds);
  CountingLink link;
  link.SetDataSource(&src);
  int afterScroll = 0;
  ds.AfterScroll = [&](DataSet&) { ++afterScroll; };
  ds.SetData(OrderPacket());
  EXPECT_GE(link.active, 2);
  ds.Next();
  EXPECT_EQ(link.scrolled, 1);
  ds.Edit();
  ds["order_name"].SetAsString("x");
  EXPECT_EQ(link.record, 1);
  ds.Post();

  link = CountingLink();
  link.SetDataSource(&src);
  int scrollsBefore = afterScroll;
  ds.DisableControls();
  ds.DisableControls();
  ds.First();
  ds.Next();
  ds.EnableControls();
  EXPECT_TRUE(ds.ControlsDisabled());
  ds.Last();
  EXPECT_EQ(link.scrolled + link.changed, 0);
  EXPECT_EQ(afterScroll - scrollsBefore, 3) << "dataset events keep running";
  ds.EnableControls();
  EXPECT_FALSE(ds.ControlsDisabled());
  EXPECT_EQ(link.changed, 1);
  EXPECT_EQ(link.scrolled, 0);

  // A disabled data source passes nothing on; a dead dataset detaches its sources.
  src.SetEnabled(false);
  ds.First();
  EXPECT_EQ(link.scrolled, 0);
  src.SetEnabled(true);
  auto* tmp = new DataSet;
  src.SetDataSet(tmp);
  delete tmp;
  EXPECT_EQ(src.GetDataSet(), nullptr);
  EXPECT_FALSE(link.Active());
}

TEST(Filters, ExpressionsSelectTheRightRows) {
  DataSet ds;
  ds.SetData(OrderPacket());
  struct Case {
    const char* expr;
    std::vector<int> ids;
  } cases[] = {
      {"trim(order_code )  like '02579'", {1, 4}},
      {"order_code like '02579'", {4}},
      {"parent_no=Null", {1, 2, 4}},
      {"parent_no = '100'", {3, 5}},
      {"PARENT_NO is not null", {3, 5}},
      {"end_time_2 is null", {1, 5}},
      {"end_time_2 is not null and ((status_flag < '5') or ((status_flag = '5') and (start_time >= '2024-05-06')))",
       {2, 3, 4}},
      {"status_flag <> '5' AND NOT (doseage > 50)", {1, 5}},  // a null compares false
      {"doseage >= 100 or order_name like 'a%'", {2, 3, 4}},
      {"upper(order_name) like '%ASPIRIN%'", {1, 4}},
      {"lower(order_name) = 'saline'", {2}},
      {"order_name like '_lucose'", {3}},
      {"order_name not like '%a%'", {1, 3, 5}},  // like is case-sensitive
      {"act_order_no <= 2", {1, 2}},
      {"act_order_no > -1 and doseage < 1", {1}},
      {"start_time < '2024-05-03'", {1, 5}},
      {"[order_name] = \"Saline\"", {2}},
      {"order_name = 'O''Brien'", {}},
  };
  for (const auto& c : cases) {
    ds.SetFilter(c.expr);
    ds.SetFiltered(true);
    EXPECT_EQ(Ids(ds), c.ids) << c.expr;
    EXPECT_EQ(ds.RecordCount(), static_cast<int>(c.ids.size())) << c.expr;
    ds.SetFiltered(false);
  }
  EXPECT_EQ(ds.RecordCount(), 5);
}

TEST(Filters, BadTextIsRefusedByNameAndTheOldFilterStays) {
  DataSet ds;
  ds.SetData(OrderPacket());
  ds.SetFilter("status_flag = '5'");
  ds.SetFiltered(true);
  for (const char* bad : {"status_flag = ", "nosuch = 1", "(status_flag = '1'", "status_flag = 'abc",
                          "act_order_no = 'x'", "frob(order_name) = 1", "status_flag = '1' junk"}) {
    try {
      ds.SetFilter(bad);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
    }
    EXPECT_EQ(ds.Filter(), "status_flag = '5'");
    EXPECT_EQ(ds.RecordCount(), 2);
  }
  ds.SetFilter("");
  EXPECT_EQ(ds.RecordCount(), 5);
}

TEST(Filters, OnFilterRecordAndEditsUnderAFilter) {
  DataSet ds;
  ds.SetData(OrderPacket());
  ds.OnFilterRecord = [](DataSet& d) { return d["doseage"].AsFloat() > 0.5; };
  ds.SetFiltered(true);
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 3, 4}));
  ds.First();
  ds.Edit();
  ds["doseage"].SetAsFloat(0);
  ds.Post();
  EXPECT_EQ(Ids(ds), (std::vector<int>{3, 4}));
  EXPECT_EQ(ds["act_order_no"].AsInteger(), 3);
}

TEST(Search, LocateAndLookupOnOneOrSeveralFields) {
  DataSet ds;
  ds.SetData(OrderPacket());
  struct Case {
    const char* fields;
    std::vector<Variant> keys;
    LocateOptions opt;
    int found;  // 0: not found
  } cases[] = {
      {"act_order_no", {3}, loNone, 3},
      {"act_order_no", {"4"}, loNone, 4},
      {"order_name", {"aspirin"}, loNone, 0},
      {"order_name", {"aspirin"}, loCaseInsensitive, 1},
      {"order_name", {"asp"}, loPartialKey, 4},
      {"order_name", {"ASP"}, loPartialKey | loCaseInsensitive, 1},
      {"order_code;status_flag", {"02579", "5"}, loNone, 4},
      {"ORDER_CODE;Status_Flag", {"02579", "1"}, loNone, 0},
      {"parent_no", {Variant()}, loNone, 1},
  };
  for (const auto& c : cases) {
    ds.Last();
    bool ok = ds.Locate(c.fields, c.keys, c.opt);
    EXPECT_EQ(ok, c.found != 0) << c.fields;
    EXPECT_EQ(ds["act_order_no"].AsInteger(), c.found ? c.found : 5) << c.fields;
  }
  EXPECT_THROW(ds.Locate("nosuch", 1), Error);
  EXPECT_THROW(ds.Locate("order_code;status_flag", std::vector<Variant>{"1"}), Error);

  ds.First();
  EXPECT_EQ(ds.Lookup("order_code;status_flag", {"02579", "5"}, "order_name").ToString(), "aspirin b");
  Variant two = ds.Lookup("act_order_no", {2}, "order_name;doseage");
  ASSERT_EQ(two.Type(), VarType::Array);
  EXPECT_EQ(two.AsArray()[1].ToDouble(), 250.0);
  EXPECT_TRUE(ds.Lookup("act_order_no", {99}, "order_name").IsNull());
  EXPECT_EQ(ds.RecNo(), 1) << "Lookup does not move the cursor";
}

TEST(Sorting, IndexFieldNamesAndNamedIndexesSurviveNewData) {
  DataSet ds;
  ds.SetData(OrderPacket());
  ds.SetIndexFieldNames("status_flag;start_time");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 3, 5, 4, 2}));
  ds.AddIndex({"byName", "order_name", "", true});
  ds.AddIndex({"byCodeDesc", "order_code;act_order_no", "act_order_no"});
  ds.SetIndexName("byName");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 4, 5, 3, 2}));
  ds.SetIndexName("byCodeDesc");
  EXPECT_EQ(Ids(ds), (std::vector<int>{4, 1, 2, 3, 5}));
  EXPECT_THROW(ds.SetIndexName("nosuch"), Error);
  EXPECT_THROW(ds.SetIndexFieldNames("nosuch"), Error);
  EXPECT_EQ(ds.IndexName(), "byCodeDesc");

  ds.SetIndexFieldNames("act_order_no");
  DataPacket p = OrderPacket();
  std::reverse(p.rows.begin(), p.rows.end());
  ds.SetData(p);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2, 3, 4, 5}));
  // A new row goes to its place in the order.
  ds.Append();
  ds["act_order_no"].SetAsInteger(0);
  ds.Post();
  EXPECT_EQ(ds.RecNo(), 1);
}

TEST(LocalSets, CreateEmptyAndCopy) {
  DataSet fee("cdsfee"), selfBuy("cdsSelfBuyDict");
  fee.FieldDefs() = {{"real_data", FieldType::String, 20}, {"display_data", FieldType::String, 20}};
  fee.CreateDataSet();
  for (auto [code, name] : {std::pair{"1", "自备"}, {"2", "嘱托"}, {"3", "基数药"}, {"0", " "}})
    fee.AppendRecord({code, name});
  selfBuy.SetData(fee.Data());
  EXPECT_EQ(selfBuy.RecordCount(), 4);
  EXPECT_EQ(selfBuy.ChangeCount(), 0);
  EXPECT_EQ(selfBuy.Lookup("real_data", {"0"}, "display_data").ToString(), " ");
  selfBuy.CopyFrom(selfBuy);
  EXPECT_EQ(selfBuy.RecordCount(), 4);

  // A record set handed over as one value.
  DataSet charges("adoOrderCharge");
  charges.SetData(DataPacket::FromVariant(fee.Data().ToVariant()));
  EXPECT_EQ(charges.RecordCount(), 4);

  fee.EmptyDataSet();
  EXPECT_TRUE(fee.IsEmpty());
  EXPECT_EQ(fee.ChangeCount(), 0);
  fee.AppendRecord({"9", "x"});
  EXPECT_EQ(fee.RecordCount(), 1);

  DataSet nothing;
  EXPECT_THROW(nothing.Open(), Error);
  EXPECT_THROW(nothing.CreateDataSet(), Error);
}

TEST(Packets, JsonRoundTripAndBadInput) {
  DataPacket p = OrderPacket();
  p.columns.push_back({"blob", FieldType::Blob});
  p.columns.push_back({"flag", FieldType::Boolean});
  for (auto& r : p.rows) {
    r.values.push_back(Variant(Bytes{std::string("\0\xff\x01z", 4)}));
    r.values.push_back(true);
  }
  p.rows[1].status = RowStatus::Modified;
  p.rows[1].values[2] = Variant::Unassigned();
  p.rows[2].values[2] = "床号 \"quoted\" 'x'";
  p.rows[3].values[0] = Variant(static_cast<int64_t>(1) << 40);
  DataPacket q = DataPacket::FromJson(p.ToJson());
  ASSERT_EQ(q.columns.size(), p.columns.size());
  EXPECT_TRUE(q.columns[0].key);
  EXPECT_EQ(q.columns[1].type, FieldType::FixedChar);
  ASSERT_EQ(q.rows.size(), p.rows.size());
  for (size_t i = 0; i < p.rows.size(); ++i) {
    EXPECT_EQ(q.rows[i].status, p.rows[i].status);
    for (size_t c = 0; c < p.columns.size(); ++c) {
      EXPECT_EQ(q.rows[i].values[c].Type(), p.rows[i].values[c].Type()) << i << "," << c;
      EXPECT_TRUE(q.rows[i].values[c] == p.rows[i].values[c] ||
                  (q.rows[i].values[c].IsNull() && p.rows[i].values[c].IsNull()))
          << i << "," << c;
    }
  }
  for (const char* bad : {"", "{", "[]", "{\"version\":2,\"columns\":[],\"rows\":[]}",
                          "{\"version\":1,\"columns\":[{\"name\":\"a\",\"type\":\"Nope\"}],\"rows\":[]}",
                          "{\"version\":1,\"columns\":[{\"name\":\"a\",\"type\":\"String\"}],\"rows\":[{\"v\":[]}]}",
                          "{\"version\":1,\"columns\":[],\"rows\":[{\"s\":\"q\",\"v\":[]}]}"})
    EXPECT_THROW(DataPacket::FromJson(bad), Error) << bad;
  EXPECT_THROW(DataPacket::FromVariant(Variant(3)), Error);
}

// The edit mask and the constraint message are carried by the field (from its definition or
// set later) and kept when the set is filled anew; nothing checks the constraint message.
TEST(Fields, EditMaskAndConstraintMessageAreFieldProperties) {
  DataSet ds;
  FieldDef start{"start_time", FieldType::DateTime};
  start.editMask = "9999-99-99 99:99:99;1;_";
  ds.AddField(start);
  FieldDef code{"order_code", FieldType::FixedChar, 6};
  code.constraintErrorMessage = "医嘱必须有频率";
  ds.AddField(code);
  ds.AddField({"end_time_2", FieldType::DateTime}).SetEditMask("9999-99-99 99:99;1;_");
  ds.SetData(OrderPacket());
  EXPECT_EQ(ds["start_time"].EditMask(), "9999-99-99 99:99:99;1;_");
  EXPECT_EQ(ds["end_time_2"].EditMask(), "9999-99-99 99:99;1;_");
  EXPECT_EQ(ds["order_code"].EditMask(), "");
  EXPECT_EQ(ds["order_code"].ConstraintErrorMessage(), "医嘱必须有频率");
  ds.Edit();
  ds["order_code"].SetAsString("");  // the message alone refuses nothing
  ds.Post();
  ds.SetData(OrderPacket());
  EXPECT_EQ(ds["end_time_2"].EditMask(), "9999-99-99 99:99;1;_");
  ds["order_code"].SetConstraintErrorMessage("");
  EXPECT_EQ(ds["order_code"].ConstraintErrorMessage(), "");
}

}  // namespace
}  // namespace yz::data
