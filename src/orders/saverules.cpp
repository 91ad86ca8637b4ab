// The hospital's entry rules every posted act order row passes, the delete rule, the answer
// to rows the server rejects, and the reset after a post.
#include "framework/session.h"
#include "framework/showbox.h"
#include "orders/dmyzinput.h"
#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz {

namespace {

using text::Trim;

std::string Str(const data::DataSet& ds, const char* name) { return ds.FieldByName(name).AsString(); }
bool Blank(const data::DataSet& ds, const char* name) { return Trim(Str(ds, name)).empty(); }
bool Below(const data::DataSet& ds, const char* name, double v) {
  const data::Field& f = ds.FieldByName(name);
  return !f.IsNull() && f.AsFloat() < v;
}
bool Above(const data::DataSet& ds, const char* name, double v) {
  const data::Field& f = ds.FieldByName(name);
  return !f.IsNull() && f.AsFloat() > v;
}
bool IsOnceOrSt(const std::string& freq) { return freq == "ONCE" || freq == "ST"; }

// A text between quotes, its quotes doubled.
std::string Quoted(const data::DataSet& ds, const char* name) { return "'" + text::QuoteSql(Str(ds, name)) + "'"; }
std::string Quoted(const std::string& v) { return "'" + text::QuoteSql(v) + "'"; }
// An empty number goes as null: "0" would ask about a different order than the one entered.
std::string Number(const data::DataSet& ds, const char* name, bool whole = false) {
  const data::Field& f = ds.FieldByName(name);
  if (f.IsNull()) return "null";
  return whole ? std::to_string(f.AsInteger()) : FormatNumber(f.AsFloat());
}

}  // namespace

std::string LimitQueryText(const data::DataSet& r, const std::string& responceType) {
  const auto& s = Session();
  return "select dbo.Get_yz_limit(" + Quoted(r, "order_code") + "," + Quoted(r, "Serial") + "," +
         Quoted(r, "patient_id") + "," + Number(r, "admiss_times", true) + "," + Quoted(s.admiss_dept) + "," +
         Quoted(s.admiss_ward) + "," + Number(r, "act_order_no") + "," + Quoted(r, "frequ_code") + "," +
         Quoted(r, "supply_code") + "," + Quoted(r, "self_buy") + "," + Number(r, "charge_amount") + "," +
         Quoted(responceType) + "," + Quoted(r, "group_no") + ") as limit_info from a_hospital ";
}

void TdmYzInput::Refuse(const std::string& text, const char* focus, bool plain) {
  if (plain) ShowPlain(text);
  else ShowBox(text, 1, 1);
  if (focus && host_) host_->FocusControl(focus);
  SilentAbort();
}

void TdmYzInput::ActOrderBeforePost(data::DataSet& ds) {
  const std::string status = Str(ds, "status_flag");
  // Confirmed, executed and stopped orders pass as they are.
  if (status > "1") return;
  const Settings& set = Session().settings;
  const std::string serial = Str(ds, "Serial");
  const bool drug = serial != "**";
  const std::string group = Str(ds, "group_no");
  // Rows already posted; the first row entered into an empty list skips the rules that
  // compare it with the others.
  const bool hasRows = ds.RecordCount() > 0;

  if (serial == "**" && Below(ds, "charge_amount", 0) && set.OrderInputN == "1")
    Refuse("诊疗类医嘱不能录入负数，请在冲帐窗口中处理！", nullptr);
  // Without an admixture pharmacy configured no order belongs to it.
  if (Below(ds, "charge_amount", 0) && !set.yp_pjzx.empty() && group == set.yp_pjzx)
    Refuse("配置药房的医嘱不能手工录入负数！", nullptr);
  {
    const std::string parentGroup = host_ ? host_->ParentGroupNo() : std::string();
    const data::Field& parent = ds.FieldByName("parent_no");
    bool child = !parent.IsNull() && parent.AsFloat() != 0;
    if (drug && child && group != parentGroup && !parentGroup.empty() && parentGroup == set.yp_pjzx &&
        !Blank(ds, "order_code") && status == "1")
      Refuse("配给中心的父子药品的库房号必须一致！请删除后重新录入", nullptr, true);
  }
  if (hasRows && Blank(ds, "order_code"))
    Refuse("医嘱名称不能为空，请重新输入", host_ && host_->EditPageShowing() ? "edtyzname" : nullptr);
  if (set.yz_limit == "1" && host_ && host_->EntryCheck()) {
    // A failing limit query ends the post with its error text.
    auto& q = Query(LimitQueryText(ds, host_->ResponceType()));
    data::Field* info = q.FindField("limit_info");
    std::string limit = info && !q.IsEmpty() ? info->AsString() : std::string();
    if (!Trim(limit).empty()) Refuse(limit, "edtyzname");
  }
  const std::string route = Str(ds, "lookup_supply");
  if (text::Contains(route, "退药") && Above(ds, "charge_amount", 0)) Refuse("退药医嘱数量不能大于零！", "edtll");
  if (hasRows && drug && Blank(ds, "supply_code")) Refuse("药品医嘱必须录入给药方式！", "edt_supply");
  const std::string freq = Trim(Str(ds, "frequ_code"));
  if (hasRows && freq != "ONCE" && Below(ds, "charge_amount", 0)) Refuse("负医嘱频率必须是ONCE！", "edt_frequency");
  if (hasRows && freq != "ONCE" && text::Contains(route, "出院"))
    Refuse("出院带药医嘱频率必须是ONCE！", "edt_frequency");

  // Completions.
  {
    data::Field& parent = ds.FieldByName("parent_no");
    if (!parent.IsNull() && parent.AsFloat() == 0) parent.Clear();
  }
  data::Field& longOnce = ds.FieldByName("long_once_flag");
  if (set.yz_frequence == "1") longOnce.SetAsString(IsOnceOrSt(freq) ? "0" : "1");
  else if (IsOnceOrSt(freq)) longOnce.SetAsString("0");

  if (!Blank(ds, "order_code")) {
    const std::string user = Session().user_code;
    data::Field& endTime2 = ds.FieldByName("end_time_2");
    ds.FieldByName("end_time").SetValue(endTime2.Value());
    data::Field& stopDoctor = ds.FieldByName("stop_doctor");
    data::Field& stopOpera = ds.FieldByName("stop_opera");
    data::Field& stopConfirm = ds.FieldByName("stop_confirm_opera");
    if (longOnce.AsString() != "0") {
      if (!endTime2.IsNull()) {
        if (Trim(stopDoctor.AsString()).empty()) stopDoctor.SetAsString(user);
        if (stopOpera.AsString().empty()) stopOpera.SetAsString(user);
        std::string stopConfirmSetting = host_ ? host_->StopConfirm() : std::string();
        if (stopConfirm.AsString().empty() && stopConfirmSetting == "0") stopConfirm.SetAsString(user);
      } else {
        stopOpera.Clear();
        stopConfirm.Clear();
        stopDoctor.Clear();
        ds.FieldByName("end_time").Clear();
      }
    } else {
      if (Trim(stopDoctor.AsString()).empty()) stopDoctor.SetValue(ds.FieldByName("order_doctor").Value());
      stopOpera.SetValue(ds.FieldByName("enter_oper").Value());
      stopConfirm.SetValue(ds.FieldByName("enter_oper").Value());
    }
  }
  if (!Blank(ds, "act_order_no")) {
    data::Field& amount = ds.FieldByName("charge_amount");
    if (amount.IsNull() || amount.AsFloat() == 0) amount.SetAsFloat(1);
    if (Blank(ds, "status_flag")) ds.FieldByName("status_flag").SetAsString("1");
  }

  if (Trim(Str(ds, "mini_unit")) != "BO" && Str(ds, "supply_code") == "087" && Str(ds, "order_type") == "d" &&
      Str(ds, "status_flag") == "1")
    Refuse("TPN只能录入玻璃瓶包装的大输液！请修改医嘱：" + Str(ds, "order_name"), "edt_supply");
}

void TdmYzInput::ActOrderBeforeDelete(data::DataSet& ds) {
  if (Str(ds, "status_flag") > "1") {
    ShowBox("此医嘱不能删除", 1, 1);
    SilentAbort();
  }
}

void TdmYzInput::ActOrderAfterPost(data::DataSet&) {
  if (host_) host_->SetEntryCheck(false);
}

data::ReconcileAction TdmYzInput::ActOrderReconcileError(data::DataSet& row, const std::string& error,
                                                         data::UpdateKind kind) {
  const std::string no = Trim(Str(row, "act_order_no"));
  const std::string name = Str(row, "order_name");
  if (kind == data::UpdateKind::Insert) {
    // A new order the server did not take stays in the list, still pending, so that the
    // doctor's entry is not lost and the next save sends it again.
    ShowPlain("医嘱号：" + no + " 医嘱名称：" + name + "未能保存（" + error + "），该条医嘱仍保留在列表中，请检查后重新保存");
    return data::ReconcileAction::Skip;
  }
  // A changed or deleted order that someone else changed meanwhile: the local change is
  // dropped and the row shows what is stored now, so that saving it again does not run into
  // the same conflict.
  if (!no.empty())
    ShowPlain("医嘱号：" + no + " 医嘱名称：" + name + "可能已经被其他用户修改，系统将自动取消您对该条医嘱的修改，请重新保存");
  return data::ReconcileAction::Refresh;
}

}  // namespace yz
