#include "fixture.h"

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::test {
namespace {

using data::DataPacket;
using data::FieldType;
using data::Param;
using data::Params;
using data::RowStatus;

TEST_F(ServersTest, EmployeeStatementOfTheSessionUsesTheOuterJoin) {
  // 00003 has no a_employee_add_info row, 00004 a row with a null class, 00002 class 2.
  struct Case {
    const char* emp, *flag, *cls;
  } cases[] = {{"00003", "0", "1"}, {"00004", "1", "1"}, {"00002", "2", "2"}};
  for (const auto& c : cases) {
    DataPacket p = Sql(std::string("select  a.*,isnull(b.order_class,'1') order_class from a_employee_mi a,"
                                   "a_employee_add_info b where a.emp_sn*=b.emp_sn and a.emp_sn = '") +
                       c.emp + "'");
    ASSERT_EQ(p.rows.size(), 1u) << c.emp;
    EXPECT_EQ(Cell(p, 0, "order_flag"), c.flag) << c.emp;
    EXPECT_EQ(Cell(p, 0, "order_class"), c.cls) << c.emp;
  }
  EXPECT_TRUE(Sql("select  a.*,isnull(b.order_class,'1') order_class from a_employee_mi a,a_employee_add_info b "
                  "where a.emp_sn*=b.emp_sn and a.emp_sn = 'nobody'")
                  .rows.empty());
}

TEST_F(ServersTest, AuthorizationStatementsStoreServerTimeAndAnswerTheLatestRow) {
  auto store = [&](const char* begin, const char* end) {
    tags.Execute("DSP_dict", Params(),
                 std::string("insert into ovhk_authorize (request_opera,request_time,auth_doctor,order_class,order_flag,"
                             "begin_time,end_time,deleted_flag ) values ('00003', convert(varchar(19),GetDate(),121) ,"
                             "'00001','1','1','") + begin + "','" + end + "','0')");
  };
  store("2024-05-06 09:00:00", "2024-05-06 17:00:00");
  clock.Advance(60000);
  store("2024-05-06 09:31:15", "2024-5-6 12:00");  // a shorter text form is kept as a date-time too

  DataPacket p = Sql("select top 1 * from ovhk_authorize where request_opera = '00003' and begin_time<=getDate() "
                     "and end_time > GetDate() and deleted_flag<>'1' order by request_time desc ");
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(Cell(p, 0, "request_time"), "2024-05-06 09:31:15");
  EXPECT_EQ(Cell(p, 0, "end_time"), "2024-05-06 12:00:00");
  EXPECT_EQ(p.rows[0].values[static_cast<size_t>(p.ColumnIndex("begin_time"))].Type(), VarType::DateTime);

  // After noon only the first authorization runs.
  clock.Set(DateTime::FromParts(2024, 5, 6, 12, 30));
  p = Sql("select top 1 * from ovhk_authorize where request_opera = '00003' and begin_time<=getDate() and "
          "end_time > GetDate()  order by request_time desc ");
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(Cell(p, 0, "request_time"), "2024-05-06 09:30:15");

  // The ending statement closes every running row at the server time.
  tags.Execute("DSP_dict", Params(),
               "update ovhk_authorize set end_time =convert(varchar(19),getdate(),121)  where request_opera = '00003' "
               "and  end_time > getdate() ");
  EXPECT_EQ(Db().Scalar("select max(end_time) from ovhk_authorize").ToString(), "2024-05-06 12:30:00");
}

TEST_F(ServersTest, TextThatIsNoDateIsRefusedForADateTimeColumn) {
  try {
    Sql("insert into ovhk_authorize (request_opera, begin_time) values ('x', 'tomorrow')");
    FAIL() << "accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("'tomorrow' is not a valid date and time"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Db().Scalar("select count(*) from ovhk_authorize").ToInt(), 0);
}

TEST_F(ServersTest, UnknownConstructReachesTheCallerWithItsName) {
  try {
    Sql("select datediff(day, admiss_date, getdate()) from zy_actpatient");
    FAIL() << "accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("datediff"), std::string::npos) << e.what();
  }
  EXPECT_NE(remote::CallRecord().back().answer.find("datediff"), std::string::npos);
}

// The deposit provider of the patient server, resolved by (patient_id, admiss_times, item_no).
class ResolverTest : public ServersTest {
 protected:
  Params DepositParams() {
    Params p;
    p.Add(Param("p_id", FieldType::String, Variant("000100001")));
    p.Add(Param("p_times", FieldType::SmallInt, Variant(1)));
    return p;
  }
  DataPacket Deposits() { return patient.GetRecords("dspDeposit", DepositParams(), ""); }
  static data::PacketRow Row(const DataPacket& base, RowStatus s) {
    data::PacketRow r;
    r.status = s;
    r.values.assign(base.columns.size(), Variant::Unassigned());
    return r;
  }
  static void Set(const DataPacket& p, data::PacketRow& r, const char* col, Variant v) {
    r.values[static_cast<size_t>(p.ColumnIndex(col))] = std::move(v);
  }
  remote::Connection patient{kPatientServer, "", kMemory};
};

TEST_F(ResolverTest, AppliesInsertModificationAndDeletion) {
  DataPacket rows = Deposits();
  ASSERT_EQ(rows.rows.size(), 2u);
  EXPECT_TRUE(rows.columns[static_cast<size_t>(rows.ColumnIndex("item_no"))].key);

  DataPacket delta;
  delta.columns = rows.columns;
  data::PacketRow ins = Row(rows, RowStatus::Inserted);
  Set(rows, ins, "patient_id", "000100001");
  Set(rows, ins, "admiss_times", 1);
  Set(rows, ins, "item_no", 3);
  Set(rows, ins, "depo_amount", 1000.5);
  Set(rows, ins, "depo_date", DateTime::FromParts(2024, 5, 6, 10, 0));
  data::PacketRow old = rows.rows[0];
  old.status = RowStatus::Unmodified;
  data::PacketRow mod = Row(rows, RowStatus::Modified);
  Set(rows, mod, "depo_amount", 2100);
  data::PacketRow del = rows.rows[1];
  del.status = RowStatus::Deleted;
  delta.rows = {ins, old, mod, del};

  data::ApplyResult r = patient.ApplyUpdates("dspDeposit", delta, 0);
  EXPECT_EQ(r.errorCount, 0) << (r.errors.empty() ? "" : r.errors[0].message);
  DataPacket after = Deposits();
  ASSERT_EQ(after.rows.size(), 2u);
  EXPECT_EQ(Cell(after, 0, "depo_amount"), "2100");
  EXPECT_EQ(Cell(after, 1, "item_no"), "3");
  EXPECT_EQ(Cell(after, 1, "depo_amount"), "1000.5");
  EXPECT_EQ(Cell(after, 1, "depo_date"), "2024-05-06 10:00:00");
}

TEST_F(ResolverTest, RejectsAModificationOfAChangedRowAndAppliesTheOthers) {
  DataPacket rows = Deposits();
  // Another user changes the first deposit after it was read.
  Db().Exec("update zy_deposit set depo_amount = 1999 where item_no = 1");

  DataPacket delta;
  delta.columns = rows.columns;
  data::PacketRow old = rows.rows[0];
  old.status = RowStatus::Unmodified;
  data::PacketRow mod = Row(rows, RowStatus::Modified);
  Set(rows, mod, "depo_amount", 2100);
  data::PacketRow ins = Row(rows, RowStatus::Inserted);
  Set(rows, ins, "patient_id", "000100001");
  Set(rows, ins, "admiss_times", 1);
  Set(rows, ins, "item_no", 9);
  Set(rows, ins, "depo_amount", 50);
  data::PacketRow dup = ins;  // the same key again: refused by the table
  data::PacketRow old2 = rows.rows[1];
  old2.status = RowStatus::Unmodified;
  data::PacketRow mod2 = Row(rows, RowStatus::Modified);
  Set(rows, mod2, "depo_amount", 600);
  delta.rows = {old, mod, ins, dup, old2, mod2};

  data::ApplyResult r = patient.ApplyUpdates("dspDeposit", delta, -1);
  ASSERT_EQ(r.errorCount, 2);
  EXPECT_EQ(r.errors[0].deltaRow, 1);
  EXPECT_EQ(r.errors[0].kind, data::UpdateKind::Modify);
  EXPECT_NE(r.errors[0].message.find("changed by another user"), std::string::npos) << r.errors[0].message;
  EXPECT_NE(r.errors[0].message.find("depo_amount"), std::string::npos) << r.errors[0].message;
  ASSERT_EQ(r.errors[0].currentValues.size(), rows.columns.size());
  EXPECT_EQ(r.errors[0].currentValues[static_cast<size_t>(rows.ColumnIndex("depo_amount"))].ToString(), "1999");
  EXPECT_EQ(r.errors[1].deltaRow, 3);
  EXPECT_EQ(r.errors[1].kind, data::UpdateKind::Insert);

  EXPECT_EQ(Db().Scalar("select depo_amount from zy_deposit where item_no = 1").ToString(), "1999");
  EXPECT_EQ(Db().Scalar("select depo_amount from zy_deposit where item_no = 9").ToString(), "50");
  EXPECT_EQ(Db().Scalar("select depo_amount from zy_deposit where item_no = 2").ToString(), "600");
}

TEST_F(ResolverTest, RejectsADeletionOfARowThatIsGone) {
  DataPacket rows = Deposits();
  Db().Exec("delete from zy_deposit where item_no = 2");
  DataPacket delta;
  delta.columns = rows.columns;
  data::PacketRow del = rows.rows[1];
  del.status = RowStatus::Deleted;
  delta.rows = {del};
  data::ApplyResult r = patient.ApplyUpdates("dspDeposit", delta, 0);
  ASSERT_EQ(r.errorCount, 1);
  EXPECT_EQ(r.errors[0].kind, data::UpdateKind::Delete);
  EXPECT_NE(r.errors[0].message.find("Record not found"), std::string::npos);
}

TEST_F(ServersTest, RepeatedParameterNamesAreBoundByPosition) {
  VariantArray args{Variant("select :code || '-' || :code as pair, :name as n"), Variant(0)};
  tags.Call("SetADOSQL", args);
  Params fetched = tags.GetParams("DSP_dict");
  ASSERT_EQ(fetched.Count(), 3);
  EXPECT_EQ(fetched[0].Name(), "code");
  EXPECT_EQ(fetched[1].Name(), "code");
  Params p;
  p.Add(Param("code", FieldType::String, Variant("A")));
  p.Add(Param("code", FieldType::String, Variant("B")));
  p.Add(Param("name", FieldType::String, Variant("O'Brien")));  // a bound value: the quote cannot change the text
  DataPacket r = tags.GetRecords("DSP_dict", p, "");
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(Cell(r, 0, "pair"), "A-B");
  EXPECT_EQ(Cell(r, 0, "n"), "O'Brien");
  EXPECT_NE(remote::CallRecord().back().params.find("code='A'; code='B'"), std::string::npos)
      << remote::CallRecord().back().params;

  p.Clear();
  p.Add(Param("code", FieldType::String, Variant("A")));
  EXPECT_THROW(tags.GetRecords("DSP_dict", p, ""), Error);
}

// The list flow of the drop-down edit: NewSetsql, fetch params, keys to '%', SetADOSQL with
// the row limit, open.
class TagTest : public ServersTest {
 protected:
  DataPacket List(int tag, const std::map<int, std::string>& values, const std::map<std::string, std::string>& context,
                  int limit, Params* used = nullptr) {
    VariantArray a{Variant(tag)};
    std::string sql = tags.Call("NewSetsql", a).ToString();
    Params p = tags.GetParams("DSP_dict");
    EXPECT_GE(p.Count(), 4) << tag;
    for (int i = 0; i < p.Count() && i < 5; ++i) p[i].SetValue(Variant("%"));
    for (auto& [i, v] : values) p[i].SetValue(Variant(v));
    for (auto& [name, v] : context) p.ParamByName(name).SetValue(Variant(v));
    VariantArray s{Variant(sql), Variant(limit)};
    tags.Call("SetADOSQL", s);
    if (used) *used = p;
    return tags.GetRecords("DSP_dict", p, "");
  }
};

TEST_F(TagTest, EveryTagAnswersTheColumnsItsEditsName) {
  struct Case {
    int tag;
    const char* key;
    const char* name;
    std::map<std::string, std::string> context;
    const char* someKey;
  } cases[] = {
      {8, "编号", "姓名", {}, "00001"},
      {118, "医嘱码", "医嘱名", {{"yp_zy", "1011"}, {"yp_zc", "1012"}, {"yp_dsy", "1016"}, {"yp_kf", "1014"}, {"yp_cydy", "1011"}}, "Y0001"},
      {128, "给药方式码", "给药方式名称", {}, "02"},
      {132, "频率码", "频率名称", {}, "BID"},
      {164, "部门编码", "部门名称", {}, "0101"},
      {321, "编码", "名称", {{"group_no", "1013"}, {"infusion_flag", "%"}}, "Y0007"},
      {463, "床号", "姓名", {{"p_dept", "0101"}, {"p_ward", "0111"}}, "01"},
      {846, "医生代码", "医生姓名", {{"mycode", "00003"}}, "00001"},
  };
  for (const auto& c : cases) {
    DataPacket p = List(c.tag, {}, c.context, 0);
    ASSERT_GE(p.ColumnIndex(c.key), 0) << c.tag;
    ASSERT_GE(p.ColumnIndex(c.name), 0) << c.tag;
    bool found = false;
    for (size_t r = 0; r < p.rows.size(); ++r) found |= Cell(p, r, c.key) == c.someKey;
    EXPECT_TRUE(found) << "tag " << c.tag << " lacks " << c.someKey;
  }
}

TEST_F(TagTest, OrderItemsSearchByPinyinWithPharmacyAndLimit) {
  std::map<std::string, std::string> pharmacy = {
      {"yp_zy", "1011"}, {"yp_zc", "1012"}, {"yp_dsy", "1016"}, {"yp_kf", "1014"}, {"yp_cydy", "1011"}};
  Params used;
  DataPacket p = List(118, {{0, "AMX%"}}, pharmacy, 20, &used);
  EXPECT_EQ(used.Count(), 10);
  EXPECT_EQ(used[0].Name(), "py_code");
  EXPECT_EQ(used[5].Name(), "yp_zy");
  ASSERT_EQ(p.rows.size(), 2u);  // the inpatient pharmacy and the dispensing room
  EXPECT_EQ(Cell(p, 0, "医嘱名"), "阿莫西林胶囊");
  EXPECT_EQ(Cell(p, 0, "药品序列号"), "01");
  for (const char* col : {"医嘱类型", "排斥类型", "库号", "医嘱描述", "贵重", "毒麻", "库存", "yp_order_class",
                          "处方上限", "价格", "exec_unit", "ward_sn"})
    EXPECT_GE(p.ColumnIndex(col), 0) << col;

  // Treatment items answer "**" as serial; the limit cuts the list.
  p = List(118, {{0, "%"}}, pharmacy, 3);
  EXPECT_EQ(p.rows.size(), 3u);
  p = List(118, {{3, "%护理%%%%%"}}, pharmacy, 20);
  ASSERT_EQ(p.rows.size(), 2u);
  EXPECT_EQ(Cell(p, 0, "药品序列号"), "**");
  // The code key "*" of a fresh edit matches nothing.
  EXPECT_TRUE(List(118, {{2, "*"}}, pharmacy, 20).rows.empty());
  VariantArray unknown{Variant(9999)};
  EXPECT_THROW(tags.Call("NewSetsql", unknown), Error);
}

TEST_F(ServersTest, FirstMethodsAnswer) {
  remote::Connection config(kConfigServer, "", kMemory);
  EXPECT_EQ(config.Call("GetSysDateTime").ToDateTime(), clock.Now());
  EXPECT_EQ(config.Call("GetSysTime").ToString(), "2024-05-06 09:30:15");
  VariantArray kind{Variant("new")};
  EXPECT_EQ(config.Call("GetOrdercode", kind).ToInt(), 1001);
  EXPECT_EQ(config.Call("GetOrdercode", kind).ToInt(), 1002);
  VariantArray one{Variant("new1")};
  EXPECT_EQ(config.Call("GetOrdercode", one).ToInt(), 5001);
  VariantArray mul{Variant("new"), Variant(3)};
  EXPECT_EQ(config.Call("GetMulOrdercode", mul).ToInt(), 1005);
  EXPECT_EQ(mul[1].ToInt(), 3);
  VariantArray bad{Variant("other")};
  EXPECT_THROW(config.Call("GetOrdercode", bad), Error);

  remote::Connection user(kUserServer, "", kMemory);
  VariantArray q{Variant("zhang"), Variant(""), Variant("ovhk_yzstop_all")};
  EXPECT_TRUE(user.Call("CheckUserFunc", q).ToBool());
  VariantArray q2{Variant("wang"), Variant(""), Variant("ovhk_yzstop_all")};
  EXPECT_FALSE(user.Call("CheckUserFunc", q2).ToBool());

  VariantArray login{Variant("zhang"), Variant(""), Variant("1234"), Variant(""), Variant()};
  EXPECT_EQ(user.Call("UserLogin", login).ToString(), "00001");
  EXPECT_EQ(login[4].ToString(), "00001");  // the by-reference argument came back changed
  VariantArray wrong{Variant("zhang"), Variant(""), Variant("x' or '1'='1"), Variant(""), Variant()};
  EXPECT_TRUE(user.Call("UserLogin", wrong).IsNull());

  Params form;
  form.Add(Param("form_name", FieldType::String, Variant("frmMainInput")));
  form.Add(Param("subsys_id", FieldType::String, Variant("")));
  EXPECT_TRUE(user.GetRecords("dspUserForm", form, "").rows.empty());
  EXPECT_EQ(user.GetParams("dspUserForm").Count(), 2);
}

TEST_F(ServersTest, PatientProvidersAnswerTheWard) {
  remote::Connection pat(kPatientServer, "", kMemory);
  Params ward;
  ward.Add(Param("dept", FieldType::String, Variant("0101")));
  ward.Add(Param("ward", FieldType::String, Variant("0111")));
  DataPacket all = pat.GetRecords("dspActPatient", ward, "");
  ASSERT_EQ(all.rows.size(), 2u);

  Params single = pat.GetParams("dspGetSinglePatient");
  ASSERT_EQ(single.Count(), 2);
  EXPECT_EQ(single[1].DataType(), FieldType::SmallInt);
  single[0].SetValue(Variant("000100002"));
  single[1].SetValue(Variant(2));
  DataPacket p = pat.GetRecords("dspGetSinglePatient", single, "");
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(Cell(p, 0, "bed_status"), "5");
  for (const char* col : {"patient_id", "admiss_times", "bed_no", "bed_status", "name", "sex_name", "responce_name",
                          "charge_type_name", "admiss_date", "days", "admiss_diag_name", "age", "inpatient_no",
                          "balance", "total_charge", "dept", "ward"})
    EXPECT_GE(p.ColumnIndex(col), 0) << col;
  EXPECT_EQ(Cell(p, 0, "days"), "4");  // admitted 3 May, today 6 May

  single[0].SetValue(Variant("000100003"));
  single[1].SetValue(Variant(1));
  EXPECT_TRUE(pat.GetRecords("dspGetSinglePatient", single, "").rows.empty());
  DataPacket out = pat.GetRecords("dspGetSingleoutPatient", single, "");
  ASSERT_EQ(out.rows.size(), 1u);
  EXPECT_EQ(Cell(out, 0, "name"), "周建国");

  Params bed = pat.GetParams("dspGetSinglePatient_bybedno");
  bed[0].SetValue(Variant("0101"));
  bed[1].SetValue(Variant("0111"));
  bed[2].SetValue(Variant("01"));
  DataPacket b = pat.GetRecords("dspGetSinglePatient_bybedno", bed, "");
  ASSERT_EQ(b.rows.size(), 1u);
  EXPECT_EQ(Cell(b, 0, "patient_id"), "000100001");

  Params money;
  money.Add(Param("p_id", FieldType::String, Variant("000100001")));
  money.Add(Param("p_times", FieldType::SmallInt, Variant(1)));
  double deposit = 0, charge = 0;
  for (auto& r : pat.GetRecords("dspDeposit", money, "").rows) deposit += r.values[3].ToDouble();
  DataPacket ch = pat.GetRecords("dspChargeAll", money, "");
  for (size_t r = 0; r < ch.rows.size(); ++r) charge += std::stod(Cell(ch, r, "charge"));
  EXPECT_EQ(deposit, 2500);
  EXPECT_EQ(charge, 170.5);
}

TEST_F(ServersTest, FileDatabaseIsMadeWithTheDemoWardOnFirstUse) {
  std::string path = ::testing::TempDir() + "yz_remote_test_ward.db";
  std::remove(path.c_str());
  {
    remote::Connection c(kTagServer, "", "sqlite:" + path);
    c.Execute("DSP_dict", Params(), "update a_hospital set hospital_name = '改名医院'");
  }
  servers::CloseDatabases();
  remote::Connection c(kTagServer, "", "sqlite:" + path);
  DataPacket p = c.GetRecords("DSP_dict", Params(), "select hospital_name, (select count(*) from zy_bed) beds from a_hospital");
  EXPECT_EQ(Cell(p, 0, "hospital_name"), "改名医院");
  EXPECT_EQ(Cell(p, 0, "beds"), "5");
  c.Disconnect();
  servers::CloseDatabases();
  std::remove(path.c_str());
}

}  // namespace
}  // namespace yz::test
