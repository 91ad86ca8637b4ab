// The order data module: connections, record sets with their fields and parameters, data
// sources, and the creation and destruction steps.
#include "orders/dmyzinput.h"

#include "framework/session.h"
#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz {

namespace {

using data::FieldKind;
using data::FieldType;

constexpr const char* kYzData = "qz_DataCom.qz_YzData";
constexpr const char* kYzConfig = "qz_LogicCom.qz_com_yz_Config";
constexpr const char* kTagSql = "jx_mts_tagsql.jx_mts_tag_sql";
constexpr const char* kYzConfiger = "qz_DataCom.rt_comYzConfiger";
constexpr const char* kDetailCharge = "yz_data.rt_com_yz_zy_detail_charge";
constexpr const char* kOrderCharge = "yz_data.yzNewInputData";
constexpr const char* kConStr = "pj_con_str.Con_Str";

TdmYzInput* g_current = nullptr;

data::FieldDef Def(const char* name, FieldType type, int size = 0, FieldKind kind = FieldKind::Data) {
  data::FieldDef d;
  d.name = name;
  d.type = type;
  d.size = size;
  d.kind = kind;
  return d;
}

data::Field& Add(data::DataSet& ds, const char* name, FieldType type, int size = 0, FieldKind kind = FieldKind::Data) {
  return ds.AddField(Def(name, type, size, kind));
}

data::Field& AddLookup(data::DataSet& ds, const char* name, const char* keyField, data::DataSet* list,
                       const char* listKey, const char* listResult, int size = 0) {
  data::FieldDef d = Def(name, FieldType::String, size, FieldKind::Lookup);
  d.keyFields = keyField;
  d.lookupDataSet = list;
  d.lookupKeyFields = listKey;
  d.lookupResultField = listResult;
  return ds.AddField(d);
}

void Params(data::ClientDataSet& ds, std::initializer_list<std::pair<const char*, FieldType>> list) {
  for (const auto& [name, type] : list) ds.GetParams().CreateParam(type, name);
}

void CodeList(data::DataSet& ds, int size = 0) {
  Add(ds, "real_data", FieldType::String, size);
  Add(ds, "display_data", FieldType::String, size);
}

}  // namespace

TdmYzInput* CurrentOrderModule() { return g_current; }

TdmYzInput::TdmYzInput(ui::Component* owner, OrderEntryHost* host) : TDataModule(owner, "dmYzInput"), host_(host) {
  auto conn = [this](const char* name, const char* progId) { return new TDCOMConnection(this, name, progId); };
  dmcWsOrder = conn("dmcWsOrder", kYzData);
  dmcinput = conn("dmcinput", kYzConfig);
  dmc_zd = conn("dmc_zd", kTagSql);
  dmc_sql = conn("dmc_sql", kTagSql);
  dmc_bedzd = conn("dmc_bedzd", kTagSql);
  dmc_yz_config = conn("dmc_yz_config", kYzConfiger);
  dmcDetailCharge = conn("dmcDetailCharge", kDetailCharge);
  dmcOrderCharge = conn("dmcOrderCharge", kOrderCharge);
  dmcGetPy = conn("dmcGetPy", kConStr);

  auto set = [this](const char* name, TDCOMConnection* c = nullptr, const char* provider = nullptr) {
    auto* ds = new TClientDataSet(this, name);
    if (c) ds->Bind(c, provider);
    return ds;
  };
  // Local code lists first: the order sets' lookup fields point at them.
  cdsfee = set("cdsfee");
  CodeList(*cdsfee, 20);
  Params(*cdsfee, {{"scode", FieldType::String}});
  cdsSelfBuyDict = set("cdsSelfBuyDict");
  CodeList(*cdsSelfBuyDict, 20);
  Params(*cdsSelfBuyDict, {{"scode", FieldType::String}});
  cds_status = set("cds_status");
  CodeList(*cds_status);
  cdsdoseage_unit = set("cdsdoseage_unit");
  CodeList(*cdsdoseage_unit);
  Add(*cdsdoseage_unit, "fvalue", FieldType::Float);
  cdsypunit = set("cdsypunit", dmcWsOrder, "dsp_yp_unit");

  cdsActOrder = set("cdsActOrder", dmcWsOrder, "dspInputOrder");
  Params(*cdsActOrder, {{"ppid", FieldType::String}, {"ptimes", FieldType::Word}});
  cdsActOrder->SetIndexFieldNames("act_order_no");
  BuildActOrderFields();
  cdsBrowserOrder = set("cdsBrowserOrder", dmcWsOrder, "dspBrowserOrder");
  Params(*cdsBrowserOrder, {{"ppid", FieldType::String}, {"ptimes", FieldType::Word}});
  cdsBrowserOrder->SetIndexFieldNames("act_order_no");
  cds_actorder_parent = set("cds_actorder_parent");
  BuildBrowserFields();
  cds_actorder_parent->SetIndexFieldNames("act_order_no");

  cds_order_zd = set("cds_order_zd", dmc_zd, "DSP_dict");
  Params(*cds_order_zd, {{"py_code", FieldType::String}, {"d_code", FieldType::String}, {"order_code", FieldType::String},
                         {"order_name", FieldType::String}, {"order_code", FieldType::String}, {"yp_zy", FieldType::String},
                         {"yp_zc", FieldType::String}, {"yp_dsy", FieldType::String}, {"yp_kf", FieldType::String},
                         {"yp_cydy", FieldType::String}});
  cdsSQL = set("cdsSQL", dmc_sql, "DSP_dict");
  cdsZd = set("cdsZd", dmc_bedzd, "DSP_dict");
  {
    auto& p = cdsZd->GetParams();
    const std::pair<const char*, const char*> values[] = {{"py_code", "%"}, {"d_code", "%"}, {"code", "*"},
                                                          {"name", "%"},    {"code", "*"},   {"p_dept", "%"},
                                                          {"p_ward", "%"}};
    for (const auto& [name, value] : values) p.Add(data::Param(name, FieldType::String, Variant(value)));
  }
  cdsPatientInfo = set("cdsPatientInfo");
  Add(*cdsPatientInfo, "bed_no", FieldType::String, 8);
  AddLookup(*cdsPatientInfo, "lookup_bed", "bed_no", cdsZd, "床号", "床号");
  cds_yz_configure = set("cds_yz_configure", dmc_yz_config, "dspYzConfigure");
  cdsypdict = set("cdsypdict", dmcWsOrder, "dsp_yp_dict");
  Params(*cdsypdict, {{"sCode", FieldType::String}, {"sSerial", FieldType::String}});
  cds_exclusive_code = set("cds_exclusive_code", dmcWsOrder, "dsp_yz_exclusive_order");
  cds_exclusive_code->SetFilter("trim(order_code )  like '02579'");
  cds_exclusive_code->SetFiltered(true);
  cdsOweLimit = set("cdsOweLimit", dmcWsOrder, "dspSetOweLimit");
  Params(*cdsOweLimit, {{"p_dept_sn", FieldType::String}, {"p_ward_sn", FieldType::String}});
  cdsSupplyInfo = set("cdsSupplyInfo", dmcWsOrder, "dspSupplyInfo");
  Params(*cdsSupplyInfo, {{"p_code", FieldType::String}});
  cdsSingleOrderCharge = set("cdsSingleOrderCharge", dmcWsOrder, "dspSingleOrderCharge");
  Params(*cdsSingleOrderCharge, {{"p_order_code", FieldType::String}});
  {
    auto& s = *cdsSingleOrderCharge;
    Add(s, "name", FieldType::FixedChar, 60);
    Add(s, "charge_price", FieldType::Float);
    Add(s, "amount", FieldType::Float);
    Add(s, "COLUMN1", FieldType::String, 2).SetReadOnly(true);
    Add(s, "COLUMN2", FieldType::String, 2).SetReadOnly(true);
    Add(s, "exec_unit", FieldType::FixedChar, 7);
    Add(s, "charge_group", FieldType::String, 10);
  }
  adoOrderCharge = set("adoOrderCharge");
  cdsChargeCheck = set("cdsChargeCheck", dmcDetailCharge, "dspSingleChargeCount");
  Params(*cdsChargeCheck, {{"pid", FieldType::String}, {"times", FieldType::SmallInt}, {"charge_code", FieldType::String},
                           {"serial", FieldType::String}});
  cdsFiticd = set("cdsFiticd", dmcWsOrder, "dspFitIcd");
  Params(*cdsFiticd, {{"code", FieldType::String}});
  cdsFitFlag = set("cdsFitFlag", dmcWsOrder, "dspFitFlag");
  cds_yp_ward_dtug = set("cds_yp_ward_dtug", dmcWsOrder, "dsp_yp_ward_dtug");
  Params(*cds_yp_ward_dtug, {{"pdept", FieldType::String}, {"pward", FieldType::String}});
  cds_pattern = set("cds_pattern", dmcWsOrder, "dsp_yz_pattern");
  Params(*cds_pattern, {{"spatter_code", FieldType::String}});
  {
    auto& p = *cds_pattern;
    for (const char* name : {"pattern_code"}) Add(p, name, FieldType::String, 10);
    Add(p, "act_order_no", FieldType::Float);
    Add(p, "order_code", FieldType::String, 6);
    Add(p, "serial", FieldType::String, 2);
    Add(p, "order_name", FieldType::String, 128);
    Add(p, "frequ_code", FieldType::String, 30);
    Add(p, "order_type", FieldType::String, 1);
    Add(p, "supply_code", FieldType::String, 3);
    Add(p, "drug_specification", FieldType::String, 32);
    Add(p, "doseage", FieldType::Float);
    Add(p, "doseage_unit", FieldType::String, 4);
    Add(p, "charge_amount", FieldType::Float);
    Add(p, "drug_occ", FieldType::Float);
    Add(p, "mini_unit", FieldType::String, 4);
    Add(p, "parent_no", FieldType::Float);
    Add(p, "group_no", FieldType::String, 6);
    Add(p, "instruction", FieldType::String, 128);
    Add(p, "discription", FieldType::String, 128);
    Add(p, "frequency", FieldType::String, 32);
    Add(p, "supply_name", FieldType::String, 32);
    Add(p, "doseageunit", FieldType::String, 16);
    Add(p, "miniunit", FieldType::String, 16);
    Add(p, "select_flag", FieldType::String, 3, FieldKind::InternalCalc);
  }
  cdsPatternNo = set("cdsPatternNo");
  Add(*cdsPatternNo, "old_no", FieldType::Float);
  Add(*cdsPatternNo, "new_no", FieldType::Float);
  cds_yz_comment = set("cds_yz_comment", dmcWsOrder, "dsp_comment");
  cds_operatetime = set("cds_operatetime", dmcWsOrder, "dsp_op_time");
  cds_mzfs = set("cds_mzfs", dmcWsOrder, "dsp_mzfs");
  cds_mzfs->SetIndexFieldNames("name");
  cdsSingleOrder = set("cdsSingleOrder");
  {
    auto& s = *cdsSingleOrder;
    Add(s, "patient_id", FieldType::String, 12);
    Add(s, "admiss_times", FieldType::SmallInt);
    Add(s, "act_order_no", FieldType::Float);
    Add(s, "order_code", FieldType::String, 6);
    Add(s, "Serial", FieldType::String, 2);
    Add(s, "order_name", FieldType::String, 64);
    Add(s, "frequ_code", FieldType::String, 12);
    Add(s, "supply_code", FieldType::String, 3);
    Add(s, "order_type", FieldType::String, 1);
    Add(s, "charge_amount", FieldType::Float);
    Add(s, "doseage", FieldType::String, 4);
    Add(s, "lookup_supply", FieldType::String, 30);
    Add(s, "start_time", FieldType::DateTime);
    Add(s, "end_time_2", FieldType::DateTime);
    Add(s, "doseaseunitlookup", FieldType::String);
    Add(s, "status_flag", FieldType::String);
    Add(s, "parent_no", FieldType::Float);
    Add(s, "long_once_flag", FieldType::String);
  }

  auto src = [this](const char* name, data::DataSet* ds) { return new TDataSource(this, name, ds); };
  dtsactorder = src("dtsactorder", cdsActOrder);
  dtsBrowserOrder = src("dtsBrowserOrder", cdsBrowserOrder);
  dts_order_zd = src("dts_order_zd", cds_order_zd);
  dts_actorder_parent = src("dts_actorder_parent", cds_actorder_parent);
  dtsSingleOrderCharge = src("dtsSingleOrderCharge", cdsSingleOrderCharge);
  dtsFiticd = src("dtsFiticd", cdsFiticd);
  dtsFitFlag = src("dtsFitFlag", cdsFitFlag);
  dtsZd = src("dtsZd", cdsZd);
  dtsPatientInfo = src("dtsPatientInfo", cdsPatientInfo);
  dts_pattern = src("dts_pattern", cds_pattern);
  dts_yz_comment = src("dts_yz_comment", cds_yz_comment);
  dts_mzfs = src("dts_mzfs", cds_mzfs);
  dts_operatetime = src("dts_operatetime", cds_operatetime);

  cdsActOrder->BeforePost = [this](data::DataSet& ds) { ActOrderBeforePost(ds); };
  cdsActOrder->BeforeDelete = [this](data::DataSet& ds) { ActOrderBeforeDelete(ds); };
  cdsActOrder->AfterPost = [this](data::DataSet& ds) { ActOrderAfterPost(ds); };
  cdsActOrder->OnReconcileError = [this](data::DataSet& row, const std::string& error, data::UpdateKind kind) {
    return ActOrderReconcileError(row, error, kind);
  };

  g_current = this;
  try {
    Create();
  } catch (...) {
    g_current = nullptr;
    throw;
  }
}

TdmYzInput::~TdmYzInput() {
  if (g_current == this) g_current = nullptr;
  // The three local code lists are released first; the lookup fields pointing at them let go.
  for (TClientDataSet** list : {&cdsfee, &cdsdoseage_unit, &cds_status}) {
    delete *list;
    *list = nullptr;
  }
}

void TdmYzInput::BuildActOrderFields() {
  auto& a = *cdsActOrder;
  Add(a, "act_order_no", FieldType::Float);
  Add(a, "order_name", FieldType::String, 128);
  Add(a, "patient_id", FieldType::FixedChar, 12);
  Add(a, "admiss_times", FieldType::SmallInt);
  Add(a, "order_code", FieldType::FixedChar, 6);
  Add(a, "Serial", FieldType::FixedChar, 2);
  data::Field& orderTime = Add(a, "order_time", FieldType::DateTime);
  orderTime.SetDisplayWidth(12);
  orderTime.SetEditMask("9999-99-99 99:99;1;_");
  Add(a, "enter_time", FieldType::DateTime);
  Add(a, "confirm_time", FieldType::DateTime);
  Add(a, "start_time", FieldType::DateTime).SetEditMask("9999-99-99 99:99:99;1;_");
  Add(a, "end_time", FieldType::DateTime);
  Add(a, "end_time_2", FieldType::DateTime).SetEditMask("9999-99-99 99:99;1;_");
  Add(a, "performance_time", FieldType::DateTime);
  for (const char* name : {"order_doctor", "stop_doctor", "enter_oper", "modifier", "confirm_opera", "stop_opera",
                           "stop_confirm_opera"})
    Add(a, name, FieldType::FixedChar, 5);
  data::Field& frequency = Add(a, "frequ_code", FieldType::FixedChar, 30);
  frequency.SetDisplayWidth(30);
  frequency.SetConstraintErrorMessage("医嘱必须有频率");
  Add(a, "order_type", FieldType::FixedChar, 1);
  Add(a, "status_flag", FieldType::FixedChar, 1);
  Add(a, "supply_code", FieldType::FixedChar, 3).SetDisplayWidth(30);
  Add(a, "drug_specification", FieldType::String, 32);
  Add(a, "doseage", FieldType::Float);
  Add(a, "doseage_unit", FieldType::String, 4);
  Add(a, "charge_amount", FieldType::Float);
  Add(a, "drug_occ", FieldType::Float);
  Add(a, "print_order_change", FieldType::FixedChar, 1);
  Add(a, "parent_no", FieldType::Float);
  Add(a, "print_order", FieldType::FixedChar, 1);
  Add(a, "exclusive_type", FieldType::FixedChar, 1);
  Add(a, "exclu_back_time", FieldType::DateTime);
  Add(a, "exclu_act_order_no", FieldType::Float);
  Add(a, "pay_self", FieldType::FixedChar, 1);
  Add(a, "group_no", FieldType::FixedChar, 6);
  for (const char* name : {"infant_flag", "emergency_flag", "ope_flag", "self_buy"}) Add(a, name, FieldType::FixedChar, 1);
  Add(a, "instruction", FieldType::String, 128);
  Add(a, "discription", FieldType::String, 128);
  Add(a, "deleted_flag", FieldType::FixedChar, 1);
  AddLookup(a, "lookup_fee", "self_buy", cdsfee, "real_data", "display_data");
  // The name lookups edited with drop-down lookup edits get their code-and-name store from
  // the edit; until then they answer null.
  AddLookup(a, "lookup_order", "order_code", nullptr, "", "", 128).SetDisplayWidth(128);
  AddLookup(a, "doseaseunitlookup", "doseage_unit", cdsdoseage_unit, "real_data", "display_data");
  AddLookup(a, "lookup_doctor", "order_doctor", nullptr, "", "");
  AddLookup(a, "look_enterman", "enter_oper", nullptr, "", "");
  AddLookup(a, "lookup_stopman", "stop_doctor", nullptr, "", "");
  AddLookup(a, "lookup_confirmman", "confirm_opera", nullptr, "", "");
  AddLookup(a, "lookup_status", "status_flag", cds_status, "real_data", "display_data");
  Add(a, "alter_print_order", FieldType::Float);
  Add(a, "back_flag", FieldType::FixedChar, 1);
  Add(a, "exec_unit", FieldType::String, 7);
  AddLookup(a, "exec_unit_lookup", "exec_unit", nullptr, "", "");
  Add(a, "dosa_display", FieldType::String, 12, FieldKind::Calculated);
  Add(a, "long_once_flag", FieldType::FixedChar, 1);
  AddLookup(a, "lookup_supply", "supply_code", nullptr, "", "", 30);
  AddLookup(a, "lookup_frequency", "frequ_code", nullptr, "", "", 30);
  Add(a, "fit_flag", FieldType::FixedChar, 1);
  Add(a, "mini_unit", FieldType::String, 4);
  Add(a, "drug_flag", FieldType::String, 1, FieldKind::InternalCalc);
  Add(a, "ypts_check", FieldType::Integer, 0, FieldKind::InternalCalc);
  Add(a, "poison_print_flag", FieldType::String, 1, FieldKind::InternalCalc);
  Add(a, "stop_doctor_name", FieldType::String, 20, FieldKind::InternalCalc);
}

void TdmYzInput::BuildBrowserFields() {
  // The parent list gets the browse copy's served fields, so both are built from one list.
  for (data::DataSet* ds : {static_cast<data::DataSet*>(cdsBrowserOrder), static_cast<data::DataSet*>(cds_actorder_parent)}) {
    bool browse = ds == cdsBrowserOrder;
    auto& b = *ds;
    auto local = [&](const char* name, FieldType type, int size, FieldKind kind) {
      if (browse) Add(b, name, type, size, kind);
    };
    Add(b, "patient_id", FieldType::FixedChar, 12);
    Add(b, "admiss_times", FieldType::SmallInt);
    Add(b, "order_code", FieldType::FixedChar, 6);
    Add(b, "start_time", FieldType::DateTime);
    Add(b, "order_name", FieldType::String, 128);
    Add(b, "charge_amount", FieldType::Float);
    Add(b, "lookup_frequency", FieldType::String, 16);
    Add(b, "lookup_supply", FieldType::String, 32);
    Add(b, "doseage", FieldType::Float);
    Add(b, "doseage_unit", FieldType::String, 4);
    for (const char* name : {"d_signer1", "n_signer1", "d_signer2", "n_signer2"}) Add(b, name, FieldType::String, 32);
    Add(b, "end_time", FieldType::DateTime);
    Add(b, "act_order_no", FieldType::Float);
    Add(b, "parent_no", FieldType::Float);
    Add(b, "parentno", FieldType::Float).SetReadOnly(true);
    Add(b, "status_flag", FieldType::FixedChar, 1);
    Add(b, "frequ_code", FieldType::FixedChar, 10);
    Add(b, "order_type", FieldType::FixedChar, 1);
    Add(b, "alter_print_order", FieldType::Float);
    if (browse) AddLookup(b, "lookup_doseage_unit", "doseage_unit", cdsypunit, "code", "name");
    local("display_order_name", FieldType::String, 128, FieldKind::InternalCalc);
    Add(b, "instruction", FieldType::String, 128);
    Add(b, "long_once_flag", FieldType::FixedChar, 1);
    local("long_once_flag_name", FieldType::String, 4, FieldKind::Calculated);
    local("status_name", FieldType::String, 4, FieldKind::Calculated);
    local("check", FieldType::String, 4, FieldKind::InternalCalc);
    Add(b, "drug_specification", FieldType::String, 32);
    Add(b, "self_buy", FieldType::FixedChar, 1);
    Add(b, "exec_unit", FieldType::FixedChar, 7);
    Add(b, "exec_unit_name", FieldType::String, 32);
    local("self_buy_name", FieldType::String, 6, FieldKind::Calculated);
    for (const char* name : {"infant_flag", "pay_self", "ope_flag", "emergency_flag"}) Add(b, name, FieldType::FixedChar, 1);
    Add(b, "confirm_opera", FieldType::String, 32);
    Add(b, "start_time_mm_dd", FieldType::String, 61);
    Add(b, "start_time_tt", FieldType::String, 5);
    Add(b, "end_time_mm_dd", FieldType::String, 61);
    Add(b, "end_time_tt", FieldType::String, 5);
    Add(b, "fit_flag", FieldType::FixedChar, 1);
    Add(b, "end_time_2", FieldType::DateTime);
    Add(b, "Serial", FieldType::FixedChar, 2);
    local("ypts_check", FieldType::Integer, 0, FieldKind::InternalCalc);
  }
}

void TdmYzInput::Create() {
  auto& s = Session();
  // 1. Every connection goes to the session's server; the SQL-tag connections stay open.
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* c = dynamic_cast<TDCOMConnection*>(Components(i));
    if (!c) continue;
    c->SetComputerName(AppServerName());
    if (c == dmc_zd || c == dmc_sql || c == dmc_bedzd) c->Connect();
  }
  // 2. Pairs of old and new order numbers of a group copy.
  cdsPatternNo->CreateDataSet();
  // 3. Drugs kept in the ward stock.
  cds_yp_ward_dtug->Close();
  cds_yp_ward_dtug->GetParams().ParamByName("pdept").SetAsString(s.admiss_dept);
  cds_yp_ward_dtug->GetParams().ParamByName("pward").SetAsString(s.admiss_ward);
  cds_yp_ward_dtug->Open();
  // 4. Fee items of every order item, fetched once and filtered locally later.
  dmcOrderCharge->Connect();
  {
    VariantArray args;
    Variant packet = dmcOrderCharge->Call("GetOrderCharge", args);
    adoOrderCharge->SetData(data::DataPacket::FromVariant(packet));
  }
  dmcOrderCharge->Disconnect();
  // 5. Fee classes; "4" and "5" are named only by the browse copy.
  cdsfee->CreateDataSet();
  const std::pair<const char*, const char*> fees[] = {{"1", "自备"}, {"2", "嘱托"}, {"3", "基数药"}, {"0", " "}};
  for (const auto& [code, name] : fees) cdsfee->AppendRecord({Variant(code), Variant(name)});
  cdsSelfBuyDict->SetData(cdsfee->Data());
  // 6. Indication answers.
  cdsFitFlag->Open();
  // 7. Dose units of the current drug, filled per row.
  cdsdoseage_unit->CreateDataSet();
  // 8. Order states.
  cds_status->CreateDataSet();
  const std::pair<const char*, const char*> states[] = {{"1", "录入"}, {"2", "确认"}, {"3", "执行"}, {"4", "执行"}, {"5", "停止"}};
  for (const auto& [code, name] : states) cds_status->AppendRecord({Variant(code), Variant(name)});
  // 9. The template rows' calculated-field handler.
  patternCalcFields = cds_pattern->OnCalcFields;
  // 10. One empty row for the drug-knowledge library.
  cdsSingleOrder->CreateDataSet();
  cdsSingleOrder->Append();
  cdsSingleOrder->Post();
}

data::ClientDataSet& TdmYzInput::Query(const std::string& sql) {
  cdsSQL->Close();
  cdsSQL->SetCommandText(sql);
  cdsSQL->Open();
  return *cdsSQL;
}

void TdmYzInput::PropagateToChildren(const std::string& fieldName, const Variant& value, const std::string& orderNo) {
  auto& a = *cdsActOrder;
  if (!a.Active() || a.IsEmpty()) return;
  if (!a["parent_no"].IsNull() || a["Serial"].AsString() == "**" || a["status_flag"].AsString() == "5") return;
  double no = 0;
  if (!ParseNumber(text::Trim(orderNo), &no)) return;
  if (a.Lookup("parent_no", {Variant(no)}, "act_order_no").IsNull()) return;

  const std::string oldFilter = a.Filter();
  const bool oldFiltered = a.Filtered();
  const data::Bookmark at = a.GetBookmark();
  a.DisableControls();
  auto restore = [&] {
    if (a.State() != data::DataSetState::Browse) a.Cancel();
    a.SetFilter(oldFilter);
    a.SetFiltered(oldFiltered);
    if (a.BookmarkValid(at)) a.GotoBookmark(at);
    a.EnableControls();
  };
  try {
    std::string child = "parent_no=" + FormatNumber(no);
    a.SetFilter(oldFiltered && !text::Trim(oldFilter).empty() ? oldFilter + " and " + child : child);
    a.SetFiltered(true);
    a.First();
    while (!a.Eof()) {
      a.Edit();
      a.FieldByName(fieldName).SetValue(value);
      a.Post();
      a.Next();
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

}  // namespace yz
