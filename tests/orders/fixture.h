// The order data module on the embedded servers with the demo ward, served by a small
// stand-in entry window that records where the rules move the focus.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../framework/fixture.h"
#include "orders/dmyzinput.h"
#include "platform/ui/controls.h"

namespace yz::test {

class StandInEntryWindow : public ui::Form, public OrderEntryHost {
 public:
  StandInEntryWindow() {
    SetName("frmMainInput");
    int top = 10;
    for (const char* name : {"edtyzname", "edtll", "edt_supply", "edt_frequency"}) {
      auto* e = new ui::Edit(this);
      e->SetName(name);
      e->SetParent(this);
      e->SetBounds(10, top, 100, 20);
      e->SetTabStop(true);
      top += 30;
    }
  }
  bool EntryCheck() const override { return entryCheck; }
  void SetEntryCheck(bool v) override { entryCheck = v; }
  std::string StopConfirm() const override { return stopConfirm; }
  std::string ParentGroupNo() const override { return parentGroup; }
  std::string ResponceType() const override { return responceType; }
  bool EditPageShowing() const override { return editPage; }
  void FocusControl(const std::string& name) override {
    focusMoves.push_back(name);
    auto* c = dynamic_cast<ui::WinControl*>(FindComponent(name));
    if (c && c->CanFocus()) c->SetFocus();
  }

  void ResetState() {
    entryCheck = false;
    stopConfirm = "1";
    parentGroup.clear();
    responceType = "01";
    editPage = true;
    focusMoves.clear();
  }

  bool entryCheck = false;
  std::string stopConfirm = "1";
  std::string parentGroup;
  std::string responceType = "01";
  bool editPage = true;
  std::vector<std::string> focusMoves;
};

class OrdersTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    auto& s = Session();
    s.patient_id = "000100001";
    s.admiss_times = "1";
    s.user_code = "00004";
    s.admiss_dept = "0101";
    s.admiss_ward = "0111";
    s.settings.yp_pjzx = "1017";
    s.settings.yp_cydy = "1015";
    window.reset(ui::Create<StandInEntryWindow>());
    window->Show();
    dm = new TdmYzInput(window.get(), window.get());
    // Route names as the route edit's store would answer them.
    routes = new TClientDataSet(window.get(), "routes");
    routes->FieldDefs() = {Text("code"), Text("name")};
    routes->CreateDataSet();
    for (auto [code, name] : {std::pair{"01", "口服"}, {"02", "静脉滴注"}, {"087", "TPN"}, {"090", "退药"}, {"091", "出院带药"}})
      routes->AppendRecord({Variant(code), Variant(name)});
    dm->cdsActOrder->FieldByName("lookup_supply").SetLookup("supply_code", routes, "code", "name");
  }
  void TearDown() override {
    window.reset();
    ModuleTest::TearDown();
  }
  static data::FieldDef Text(const char* name) {
    data::FieldDef d;
    d.name = name;
    return d;
  }

  data::ClientDataSet& Orders(const std::string& pid = "000100001", int times = 1) {
    auto& a = *dm->cdsActOrder;
    a.Close();
    a.GetParams().ParamByName("ppid").SetAsString(pid);
    a.GetParams().ParamByName("ptimes").SetAsInteger(times);
    a.Open();
    return a;
  }
  // A new long-term drug order that passes every rule, left in insert state.
  static void NewDrug(data::DataSet& a, int no = 2001) {
    a.Append();
    auto set = [&](const char* f, Variant v) { a.FieldByName(f).SetValue(v); };
    set("act_order_no", Variant(no));
    set("patient_id", Variant("000100001"));
    set("admiss_times", Variant(1));
    set("order_code", Variant("Y0008"));
    set("Serial", Variant("01"));
    set("order_name", Variant("硝苯地平缓释片"));
    set("frequ_code", Variant("QD"));
    set("order_type", Variant("c"));
    set("status_flag", Variant("1"));
    set("supply_code", Variant("01"));
    set("charge_amount", Variant(1));
    set("group_no", Variant("1011"));
    set("mini_unit", Variant("片"));
    set("order_doctor", Variant("00002"));
    set("enter_oper", Variant("00004"));
    set("long_once_flag", Variant("1"));
    set("self_buy", Variant("0"));
  }
  // Posts as the editor panel does: inside the event guard. True when the post went through.
  static bool PostGuarded(data::DataSet& a) { return ui::App().Guard([&] { a.Post(); }); }

  ui::Owned<StandInEntryWindow> window;
  TdmYzInput* dm = nullptr;
  TClientDataSet* routes = nullptr;
};

}  // namespace yz::test
