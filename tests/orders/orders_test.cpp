#include <gtest/gtest.h>
#include <algorithm>

#include "fixture.h"
#include "framework/session.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "remote/callrecord.h"

namespace yz::test {
namespace {

using data::DataSet;

// ---- creation -----------------------------------------------------------------------

TEST_F(OrdersTest, CreationFillsTheCodeListsAndLocalSetsAndFetchesFeeItemsOnce) {
  EXPECT_EQ(CurrentOrderModule(), dm);
  EXPECT_EQ(remote::CallsNamed("GetOrderCharge").size(), 1u);
  EXPECT_FALSE(dm->dmcOrderCharge->Connected());
  EXPECT_TRUE(dm->dmc_sql->Connected());
  EXPECT_EQ(dm->dmcWsOrder->ComputerName(), "sqlite::memory:");
  EXPECT_EQ(dm->adoOrderCharge->RecordCount(), 7);

  auto rows = [](DataSet& ds) {
    std::vector<std::string> out;
    for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds["real_data"].AsString() + "=" + ds["display_data"].AsString());
    return out;
  };
  std::vector<std::string> fees = {"1=自备", "2=嘱托", "3=基数药", "0= "};
  EXPECT_EQ(rows(*dm->cdsfee), fees);
  EXPECT_EQ(rows(*dm->cdsSelfBuyDict), fees);
  EXPECT_EQ(rows(*dm->cds_status), (std::vector<std::string>{"1=录入", "2=确认", "3=执行", "4=执行", "5=停止"}));

  EXPECT_TRUE(dm->cdsPatternNo->Active());
  EXPECT_TRUE(dm->cdsPatternNo->IsEmpty());
  EXPECT_TRUE(dm->cdsdoseage_unit->Active());
  EXPECT_TRUE(dm->cdsdoseage_unit->IsEmpty());
  EXPECT_EQ(dm->cdsSingleOrder->RecordCount(), 1);
  EXPECT_EQ(dm->cdsFitFlag->RecordCount(), 2);
  auto wards = remote::CallsNamed("dsp_yp_ward_dtug");
  ASSERT_EQ(wards.size(), 1u);
  EXPECT_NE(wards[0].params.find("0101"), std::string::npos);
  EXPECT_EQ(dm->cds_yp_ward_dtug->RecordCount(), 2);

  // Exclusion definitions show only item 02579 until the filter changes.
  auto& ex = *dm->cds_exclusive_code;
  EXPECT_EQ(ex.Filter(), "trim(order_code )  like '02579'");
  ex.Open();
  EXPECT_EQ(ex.RecordCount(), 1);
  EXPECT_EQ(ex["order_code"].AsString(), "02579");
  ex.SetFiltered(false);
  EXPECT_EQ(ex.RecordCount(), 5);

  // The state list names both "3" and "4" "执行"; fee class "0" is a single blank.
  auto& a = Orders();
  ASSERT_TRUE(a.Locate("act_order_no", Variant(905)));
  EXPECT_EQ(a["lookup_status"].AsString(), "执行");
  EXPECT_EQ(a["lookup_fee"].AsString(), " ");
}

TEST_F(OrdersTest, TheActOrderFieldsCarryTheirEditMasksAndTheFrequencyMessage) {
  auto& a = Orders();
  struct Case {
    const char* field;
    const char* mask;
  } cases[] = {
      {"order_time", "9999-99-99 99:99;1;_"},
      {"start_time", "9999-99-99 99:99:99;1;_"},
      {"END_TIME_2", "9999-99-99 99:99;1;_"},
      {"end_time", ""},
      {"order_name", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(a.FieldByName(c.field).EditMask(), c.mask) << c.field;
  EXPECT_EQ(a["order_time"].DisplayWidth(), 12);
  EXPECT_EQ(a["frequ_code"].ConstraintErrorMessage(), "医嘱必须有频率");
  EXPECT_EQ(a["frequ_code"].DisplayWidth(), 30);
  EXPECT_EQ(a["supply_code"].ConstraintErrorMessage(), "");
}

TEST_F(OrdersTest, CreationFailsLoudlyWhenTheFeeItemsCannotBeFetched) {
  window.reset();
  remote::SetFault("GetOrderCharge", "server down");
  window.reset(ui::Create<StandInEntryWindow>());
  try {
    TdmYzInput second(window.get(), window.get());
    FAIL() << "creation should fail";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("server down"), std::string::npos);
  }
  EXPECT_EQ(CurrentOrderModule(), nullptr);
}

TEST_F(OrdersTest, ReferenceProvidersServeTheOrderSetsAndDictionaries) {
  auto& b = *dm->cdsBrowserOrder;
  b.GetParams().ParamByName("ppid").SetAsString("000100001");
  b.GetParams().ParamByName("ptimes").SetAsInteger(1);
  b.Open();
  EXPECT_EQ(b.RecordCount(), Db().Scalar("select count(*) from yz_act_order where patient_id = '000100001' and "
                                         "admiss_times = 1 and ifnull(deleted_flag, '0') = '0'")
                                 .ToInt());
  ASSERT_TRUE(b.Locate("act_order_no", Variant(904)));
  EXPECT_EQ(b["lookup_frequency"].AsString(), "每日两次");
  EXPECT_EQ(b["lookup_supply"].AsString(), "静脉滴注");
  EXPECT_EQ(b["d_signer1"].AsString(), "李医生");
  EXPECT_EQ(b["confirm_opera"].AsString(), "陈护士");
  EXPECT_EQ(b["parentno"].AsInteger(), 903);
  EXPECT_EQ(b["start_time_mm_dd"].AsString(), "05-02");
  EXPECT_EQ(b["start_time_tt"].AsString(), "08:00");
  EXPECT_EQ(b["exec_unit_name"].AsString(), "内科一病区");
  dm->cdsypunit->Open();
  EXPECT_EQ(b["lookup_doseage_unit"].AsString(), "毫升");

  auto open = [](TClientDataSet& ds, std::vector<std::pair<const char*, Variant>> params) {
    ds.Close();
    for (auto& [name, value] : params) ds.GetParams().ParamByName(name).SetValue(value);
    ds.Open();
    return ds.RecordCount();
  };
  EXPECT_EQ(open(*dm->cdsypdict, {{"sCode", Variant("Y0008")}, {"sSerial", Variant("02")}}), 1);
  EXPECT_EQ(open(*dm->cdsSupplyInfo, {{"p_code", Variant("091")}}), 1);
  EXPECT_EQ((*dm->cdsSupplyInfo)["class_code"].AsString(), "4");
  EXPECT_EQ(open(*dm->cdsSingleOrderCharge, {{"p_order_code", Variant("Z0005")}}), 2);
  EXPECT_EQ((*dm->cdsSingleOrderCharge)["COLUMN1"].AsString(), "0");
  EXPECT_EQ(open(*dm->cdsFiticd, {{"code", Variant("Y0002")}}), 2);
  EXPECT_EQ(open(*dm->cdsChargeCheck, {{"pid", Variant("000100001")}, {"times", Variant(1)},
                                       {"charge_code", Variant("120100001")}, {"serial", Variant("01")}}),
            1);
  EXPECT_EQ((*dm->cdsChargeCheck)["amount"].AsFloat(), 1);
  EXPECT_EQ(open(*dm->cds_pattern, {{"spatter_code", Variant("P001")}}), 2);
  EXPECT_EQ((*dm->cds_pattern)["frequency"].AsString(), "每日两次");
  EXPECT_EQ(open(*dm->cdsOweLimit, {{"p_dept_sn", Variant("0101")}, {"p_ward_sn", Variant("0111")}}), 2);
  EXPECT_EQ(open(*dm->cds_yz_comment, {}), 3);
  EXPECT_EQ(open(*dm->cds_operatetime, {}), 3);
  EXPECT_EQ((*dm->cds_operatetime)["手术时间"].AsString(), "08:00");
  EXPECT_EQ(open(*dm->cds_mzfs, {}), 3);
  EXPECT_EQ(open(*dm->cdsypunit, {}), 9);
  EXPECT_EQ(open(*dm->cds_yz_configure, {}), 1);

  // The limit function answers a listed item's text and nothing for the others.
  auto limit = [&](const char* code) {
    auto& q = dm->Query(std::string("select dbo.Get_yz_limit('") + code + "','01') as limit_info from a_hospital ");
    return q["limit_info"].AsString();
  };
  EXPECT_EQ(limit("Y0003"), "美罗培南注射液为特殊使用级抗菌药物，须经会诊后使用");
  EXPECT_EQ(limit("Y0008"), "");
}

// ---- save rules ---------------------------------------------------------------------

struct RuleCase {
  const char* name;
  std::function<void(Settings&, StandInEntryWindow&)> context;
  std::function<void(DataSet&)> row;  // changes to a passing new drug order
  std::string message;
  bool plain;
  std::vector<std::string> focus;
};

TEST_F(OrdersTest, EachRuleRefusesWithItsMessageAndFocusAndTheFirstMatchWins) {
  auto none = [](Settings&, StandInEntryWindow&) {};
  auto set = [](const char* f, Variant v) { return [f, v](DataSet& a) { a.FieldByName(f).SetValue(v); }; };
  auto both = [](std::function<void(DataSet&)> x, std::function<void(DataSet&)> y) {
    return [x, y](DataSet& a) { x(a); y(a); };
  };
  auto treatment = [](DataSet& a) {
    a["Serial"].SetAsString("**");
    a["order_code"].SetAsString("Z0004");
    a["order_type"].SetAsString("3");
    a["supply_code"].Clear();
  };
  const std::vector<RuleCase> cases = {
      {"R1 negative treatment item", [](Settings& s, StandInEntryWindow&) { s.OrderInputN = "1"; },
       both(treatment, set("charge_amount", Variant(-1))), "诊疗类医嘱不能录入负数，请在冲帐窗口中处理！", false, {}},
      // R2 comes before R8, which the QD frequency would also break.
      {"R2 negative admixture order", none, both(set("group_no", Variant("1017")), set("charge_amount", Variant(-1))),
       "配置药房的医嘱不能手工录入负数！", false, {}},
      {"R3 child from another pharmacy", [](Settings&, StandInEntryWindow& w) { w.parentGroup = "1017"; },
       set("parent_no", Variant(906)), "配给中心的父子药品的库房号必须一致！请删除后重新录入", true, {}},
      // R4 comes before R7, which the missing route would also break.
      {"R4 no item", none, both(set("order_code", Variant("")), set("supply_code", Variant(""))),
       "医嘱名称不能为空，请重新输入", false, {"edtyzname"}},
      {"R4 on the browse page", [](Settings&, StandInEntryWindow& w) { w.editPage = false; },
       set("order_code", Variant("")), "医嘱名称不能为空，请重新输入", false, {}},
      {"R5 limited item",
       [](Settings& s, StandInEntryWindow& w) {
         s.yz_limit = "1";
         w.entryCheck = true;
       },
       both(set("order_code", Variant("Y0003")), set("charge_amount", Variant(-1))),
       "美罗培南注射液为特殊使用级抗菌药物，须经会诊后使用", false, {"edtyzname"}},
      {"R6 return route with a positive quantity", none,
       both(treatment, both(set("supply_code", Variant("090")), set("charge_amount", Variant(2)))),
       "退药医嘱数量不能大于零！", false, {"edtll"}},
      {"R7 drug without route", none, set("supply_code", Variant("")), "药品医嘱必须录入给药方式！", false,
       {"edt_supply"}},
      {"R8 negative order not ONCE", none, both(treatment, set("charge_amount", Variant(-1))),
       "负医嘱频率必须是ONCE！", false, {"edt_frequency"}},
      {"R9 discharge route not ONCE", none, set("supply_code", Variant("091")), "出院带药医嘱频率必须是ONCE！", false,
       {"edt_frequency"}},
      {"R10 TPN without a bottle", none,
       both(set("supply_code", Variant("087")), both(set("order_type", Variant("d")), set("mini_unit", Variant("瓶")))),
       "TPN只能录入玻璃瓶包装的大输液！请修改医嘱：硝苯地平缓释片", false, {"edt_supply"}},
  };
  auto& a = Orders();
  const int before = a.RecordCount();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session().settings = Settings{};
    Session().settings.appserver = "sqlite::memory:";
    Session().settings.yp_pjzx = "1017";
    window->ResetState();
    c.context(Session().settings, *window);
    NewDrug(a);
    c.row(a);
    ui::App().ClearBoxes();
    ui::App().QueueAnswer(ui::mrOk, c.message);
    EXPECT_FALSE(PostGuarded(a));
    ASSERT_EQ(ui::App().Boxes().size(), 1u);
    const auto& box = ui::App().Boxes()[0];
    EXPECT_EQ(box.text, c.message);
    EXPECT_FALSE(box.errorDisplay);
    if (c.plain) {
      EXPECT_EQ(box.icon, ui::MsgIcon::None);
    } else {
      EXPECT_EQ(box.caption, "提示");
      EXPECT_EQ(box.icon, ui::MsgIcon::Warning);
    }
    EXPECT_EQ(window->focusMoves, c.focus);
    EXPECT_EQ(a.State(), data::DataSetState::Insert);  // the row stays for correction
    a.Cancel();
    EXPECT_EQ(a.RecordCount(), before);
  }
}

TEST_F(OrdersTest, RowsThatKeepTheRulesPass) {
  const std::vector<std::pair<const char*, std::function<void(DataSet&)>>> cases = {
      {"TPN in a bottle", [](DataSet& a) {
         a["supply_code"].SetAsString("087");
         a["order_type"].SetAsString("d");
         a["mini_unit"].SetAsString("BO ");
       }},
      {"discharge route once", [](DataSet& a) {
         a["supply_code"].SetAsString("091");
         a["frequ_code"].SetAsString("ONCE");
       }},
      {"negative once", [](DataSet& a) {
         a["frequ_code"].SetAsString("ONCE");
         a["charge_amount"].SetAsFloat(-2);
       }},
      {"limited item without the entry check", [](DataSet& a) { a["order_code"].SetAsString("Y0003"); }},
      // No admixture pharmacy configured: a negative order without a pharmacy is not one of its.
      {"negative order, no admixture pharmacy", [](DataSet& a) {
         Session().settings.yp_pjzx.clear();
         a["group_no"].Clear();
         a["frequ_code"].SetAsString("ONCE");
         a["charge_amount"].SetAsFloat(-1);
       }},
      // Nor is a child order from another pharmacy refused when no admixture pharmacy is
      // configured and no parent pharmacy is given.
      {"child order, no admixture pharmacy", [](DataSet& a) {
         Session().settings.yp_pjzx.clear();
         a["parent_no"].SetAsFloat(906);
       }},
  };
  Session().settings.yz_limit = "1";
  auto& a = Orders();
  int no = 2001;
  for (const auto& [name, change] : cases) {
    SCOPED_TRACE(name);
    NewDrug(a, no++);
    change(a);
    EXPECT_TRUE(PostGuarded(a));
  }
  EXPECT_TRUE(ui::App().Boxes().empty());
  // Outside New and Save the limit query is not asked.
  for (const auto& call : remote::CallRecord()) EXPECT_EQ(call.commandText.find("Get_yz_limit"), std::string::npos);
}

TEST_F(OrdersTest, TheFirstRowOfAnEmptyListSkipsTheRulesThatCompareWithOthers) {
  const std::vector<std::pair<const char*, std::function<void(DataSet&)>>> cases = {
      {"R4", [](DataSet& a) { a["order_code"].Clear(); }},
      {"R7", [](DataSet& a) { a["supply_code"].Clear(); }},
      {"R8", [](DataSet& a) { a["charge_amount"].SetAsFloat(-1); }},
      {"R9", [](DataSet& a) { a["supply_code"].SetAsString("091"); }},
  };
  for (const auto& [name, change] : cases) {
    SCOPED_TRACE(name);
    auto& a = Orders("000100002", 2);  // a patient without orders
    ASSERT_TRUE(a.IsEmpty());
    NewDrug(a);
    change(a);
    EXPECT_TRUE(PostGuarded(a));
    // The same row as the second of the list is refused.
    NewDrug(a, 2002);
    change(a);
    ui::App().QueueAnswer(ui::mrOk);
    EXPECT_FALSE(PostGuarded(a));
    a.Cancel();
    a.CancelUpdates();
  }
}

TEST_F(OrdersTest, AConfirmedRowPassesUntouched) {
  auto& a = Orders();
  ASSERT_TRUE(a.Locate("act_order_no", Variant(901)));
  a.Edit();
  a["charge_amount"].SetAsFloat(0);
  a["frequ_code"].SetAsString("QD");
  a["parent_no"].SetAsFloat(0);
  a["order_code"].Clear();
  a["end_time_2"].SetAsString("2024-05-08 08:00");
  EXPECT_TRUE(PostGuarded(a));
  EXPECT_EQ(a["charge_amount"].AsFloat(), 0);
  EXPECT_EQ(a["parent_no"].AsFloat(), 0);
  EXPECT_FALSE(a["parent_no"].IsNull());
  EXPECT_TRUE(a["end_time"].IsNull());
  EXPECT_TRUE(a["stop_doctor"].IsNull());
  EXPECT_TRUE(ui::App().Boxes().empty());
}

TEST_F(OrdersTest, CompletionsOfAPostedRow) {
  auto& a = Orders();
  // Quantity 0 becomes 1, parent 0 becomes none, an empty state becomes "1".
  NewDrug(a);
  a["charge_amount"].SetAsFloat(0);
  a["parent_no"].SetAsFloat(0);
  a["status_flag"].Clear();
  ASSERT_TRUE(PostGuarded(a));
  EXPECT_EQ(a["charge_amount"].AsFloat(), 1);
  EXPECT_TRUE(a["parent_no"].IsNull());
  EXPECT_EQ(a["status_flag"].AsString(), "1");

  // A temporary order takes its stop fields from its doctor and entering operator.
  NewDrug(a, 2002);
  a["frequ_code"].SetAsString("ONCE");
  a["long_once_flag"].SetAsString("1");
  ASSERT_TRUE(PostGuarded(a));
  EXPECT_EQ(a["long_once_flag"].AsString(), "0");
  EXPECT_EQ(a["stop_doctor"].AsString(), "00002");
  EXPECT_EQ(a["stop_opera"].AsString(), "00004");
  EXPECT_EQ(a["stop_confirm_opera"].AsString(), "00004");
  a.Edit();  // on every post
  a["enter_oper"].SetAsString("00001");
  ASSERT_TRUE(PostGuarded(a));
  EXPECT_EQ(a["stop_opera"].AsString(), "00001");
  EXPECT_EQ(a["stop_doctor"].AsString(), "00002");

  // A long-term order with a stop time: the user stops it; the nurse's confirmation is
  // filled only when stops need no confirmation.
  const DateTime stop = DateTime::FromParts(2024, 5, 8, 8, 0, 0);
  for (const char* stopConfirm : {"1", "0"}) {
    SCOPED_TRACE(stopConfirm);
    window->stopConfirm = stopConfirm;
    NewDrug(a, stopConfirm[0] == '1' ? 2003 : 2004);
    a["end_time_2"].SetAsDateTime(stop);
    ASSERT_TRUE(PostGuarded(a));
    EXPECT_EQ(a["end_time"].AsDateTime(), stop);
    EXPECT_EQ(a["stop_doctor"].AsString(), "00004");
    EXPECT_EQ(a["stop_opera"].AsString(), "00004");
    EXPECT_EQ(a["stop_confirm_opera"].AsString(), std::string(stopConfirm) == "0" ? "00004" : "");
  }
  // Its stop time removed, it loses the stop doctor, operators and end time.
  a.Edit();
  a["end_time_2"].Clear();
  ASSERT_TRUE(PostGuarded(a));
  EXPECT_TRUE(a["end_time"].IsNull());
  EXPECT_TRUE(a["stop_doctor"].IsNull());
  EXPECT_TRUE(a["stop_opera"].IsNull());
  EXPECT_TRUE(a["stop_confirm_opera"].IsNull());
}

TEST_F(OrdersTest, LongOrTemporaryFollowsTheFrequencySetting) {
  auto& a = Orders();
  NewDrug(a);
  a["long_once_flag"].SetAsString("0");
  ASSERT_TRUE(PostGuarded(a));  // QD with yz_frequence "0": the choice stays
  EXPECT_EQ(a["long_once_flag"].AsString(), "0");
  Session().settings.yz_frequence = "1";
  a.Edit();
  ASSERT_TRUE(PostGuarded(a));
  EXPECT_EQ(a["long_once_flag"].AsString(), "1");
  a.Edit();
  a["frequ_code"].SetAsString("ST");
  ASSERT_TRUE(PostGuarded(a));
  EXPECT_EQ(a["long_once_flag"].AsString(), "0");
}

TEST_F(OrdersTest, LimitQueryStatementEscapesQuotesAndSendsNullForAnEmptyNumber) {
  Session().settings.yz_limit = "1";
  window->entryCheck = true;
  window->responceType = "0'1";
  auto& a = Orders();
  NewDrug(a);
  a["charge_amount"].Clear();
  a["frequ_code"].SetAsString("Q'D");
  ASSERT_TRUE(PostGuarded(a));
  auto calls = remote::CallsNamed("DSP_dict");
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().commandText,
            "select dbo.Get_yz_limit('Y0008','01','000100001',1,'0101','0111',2001,'Q''D','01','0',null,'0''1',"
            "'1011') as limit_info from a_hospital ");
  EXPECT_EQ(calls.back().answer, "1 rows");
  EXPECT_FALSE(window->entryCheck);  // cleared after the post
  EXPECT_EQ(a["charge_amount"].AsFloat(), 1);

  // A failing limit query ends the post with its error; the row stays in edit state.
  window->entryCheck = true;
  remote::SetFault("DSP_dict", "limit server down");
  a.Edit();
  EXPECT_FALSE(PostGuarded(a));
  ASSERT_EQ(ui::App().Boxes().size(), 1u);
  EXPECT_TRUE(ui::App().Boxes()[0].errorDisplay);
  EXPECT_NE(ui::App().Boxes()[0].text.find("limit server down"), std::string::npos);
  EXPECT_EQ(a.State(), data::DataSetState::Edit);
}

// ---- delete rule and child propagation --------------------------------------------

TEST_F(OrdersTest, ConfirmedOrdersCannotBeDeleted) {
  auto& a = Orders();
  const int before = a.RecordCount();
  ASSERT_TRUE(a.Locate("act_order_no", Variant(903)));
  ui::App().QueueAnswer(ui::mrOk, "此医嘱不能删除");
  EXPECT_FALSE(ui::App().Guard([&] { a.Delete(); }));
  EXPECT_EQ(a.RecordCount(), before);
  EXPECT_EQ(ui::App().Boxes().back().caption, "提示");
  ASSERT_TRUE(a.Locate("act_order_no", Variant(907)));
  EXPECT_TRUE(ui::App().Guard([&] { a.Delete(); }));
  EXPECT_EQ(a.RecordCount(), before - 1);
}

TEST_F(OrdersTest, ChildPropagationCopiesAValueToTheChildrenAndRestoresTheList) {
  auto& a = Orders();
  a.SetFilter("status_flag <> '5'");
  a.SetFiltered(true);
  ASSERT_TRUE(a.Locate("act_order_no", Variant(903)));
  dm->PropagateToChildren("frequ_code", Variant("TID"), "903");
  EXPECT_EQ(a["act_order_no"].AsInteger(), 903);
  EXPECT_EQ(a.Filter(), "status_flag <> '5'");
  EXPECT_TRUE(a.Filtered());
  EXPECT_EQ(a["frequ_code"].AsString(), "BID");  // the parent itself is the caller's
  ASSERT_TRUE(a.Locate("act_order_no", Variant(904)));
  EXPECT_EQ(a["frequ_code"].AsString(), "TID");
  // A child order passes nothing on.
  dm->PropagateToChildren("frequ_code", Variant("QID"), "904");
  EXPECT_EQ(a["frequ_code"].AsString(), "TID");
}

// ---- the reject answer --------------------------------------------------------------

TEST_F(OrdersTest, SaveAgainstAnOrderAnotherUserChangedKeepsEverythingElse) {
  auto& a = Orders();
  ASSERT_TRUE(a.Locate("act_order_no", Variant(906)));
  a.Edit();
  a["instruction"].SetAsString("饭前服");
  ASSERT_TRUE(PostGuarded(a));
  ASSERT_TRUE(a.Locate("act_order_no", Variant(907)));
  a.Edit();
  a["instruction"].SetAsString("加急");
  ASSERT_TRUE(PostGuarded(a));
  NewDrug(a, 2001);
  a["instruction"].SetAsString("新开");
  ASSERT_TRUE(PostGuarded(a));
  NewDrug(a, 2002);
  a["order_name"].SetAsString("硝苯地平缓释片(医生新录)");
  ASSERT_TRUE(PostGuarded(a));

  // Meanwhile another workstation changes order 906 and takes number 2002.
  Db().Exec("update yz_act_order set charge_amount = 3, modifier = '00001' where act_order_no = 906");
  Db().Exec("insert into yz_act_order (act_order_no, patient_id, admiss_times, order_name) values "
            "(2002, '000100001', 1, '他人医嘱')");

  const std::string reject = "医嘱号：906 医嘱名称：硝苯地平缓释片可能已经被其他用户修改，系统将自动取消您对该条医嘱的修改，请重新保存";
  ui::App().QueueAnswer(ui::mrOk);
  ui::App().QueueAnswer(ui::mrOk);
  EXPECT_EQ(a.ApplyUpdates(-1), 2);
  std::vector<std::string> texts;
  for (const auto& b : ui::App().Boxes()) texts.push_back(b.text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(std::find(texts.begin(), texts.end(), reject), texts.end());
  const bool toldAboutNew = std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
    return text::StartsWith(t, "医嘱号：2002 医嘱名称：硝苯地平缓释片(医生新录)") && text::Contains(t, "仍保留");
  });
  EXPECT_TRUE(toldAboutNew);

  // 906: the doctor's change is dropped and the row shows what is stored now.
  ASSERT_TRUE(a.Locate("act_order_no", Variant(906)));
  EXPECT_EQ(a["instruction"].AsString(), "饭后服");
  EXPECT_EQ(a["charge_amount"].AsFloat(), 3);
  EXPECT_EQ(a.UpdateStatus(), data::RowStatus::Unmodified);
  // The other rows went in.
  EXPECT_EQ(Db().Scalar("select instruction from yz_act_order where act_order_no = 907").ToString(), "加急");
  EXPECT_EQ(Db().Scalar("select instruction from yz_act_order where act_order_no = 2001").ToString(), "新开");
  // The rejected new order is still there, pending, with what the doctor wrote.
  ASSERT_TRUE(a.Locate("act_order_no", Variant(2002)));
  EXPECT_EQ(a["order_name"].AsString(), "硝苯地平缓释片(医生新录)");
  EXPECT_EQ(a.UpdateStatus(), data::RowStatus::Inserted);
  EXPECT_EQ(a.ChangeCount(), 1);

  // Once the number is free the next save sends it, and 906 can be changed again.
  Db().Exec("delete from yz_act_order where act_order_no = 2002");
  ASSERT_TRUE(a.Locate("act_order_no", Variant(906)));
  a.Edit();
  a["instruction"].SetAsString("饭前服");
  ASSERT_TRUE(PostGuarded(a));
  EXPECT_EQ(a.ApplyUpdates(-1), 0);
  EXPECT_EQ(a.ChangeCount(), 0);
  EXPECT_EQ(Db().Scalar("select order_name from yz_act_order where act_order_no = 2002").ToString(),
            "硝苯地平缓释片(医生新录)");
  EXPECT_EQ(Db().Scalar("select instruction from yz_act_order where act_order_no = 906").ToString(), "饭前服");
}

TEST_F(OrdersTest, ARejectedDeletionBringsTheRowBack) {
  auto& a = Orders();
  ASSERT_TRUE(a.Locate("act_order_no", Variant(907)));
  ASSERT_TRUE(ui::App().Guard([&] { a.Delete(); }));
  Db().Exec("update yz_act_order set instruction = '他人修改' where act_order_no = 907");
  ui::App().QueueAnswer(ui::mrOk);
  EXPECT_EQ(a.ApplyUpdates(-1), 1);
  EXPECT_TRUE(text::StartsWith(ui::App().Boxes().back().text, "医嘱号：907 医嘱名称：心电图可能已经被其他用户修改"));
  ASSERT_TRUE(a.Locate("act_order_no", Variant(907)));
  EXPECT_EQ(a["instruction"].AsString(), "他人修改");
  EXPECT_EQ(a.ChangeCount(), 0);
  EXPECT_EQ(Db().Scalar("select count(*) from yz_act_order where act_order_no = 907").ToInt(), 1);
}

}  // namespace
}  // namespace yz::test
