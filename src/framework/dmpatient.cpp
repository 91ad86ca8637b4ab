#include "framework/dmpatient.h"

#include "framework/session.h"
#include "platform/base/text.h"
#include "platform/ui/forms.h"

namespace yz {

namespace {
constexpr const char* kActPatient = "qz_DataCom.qz_ActPatient";
constexpr const char* kTagSql = "jx_mts_tagsql.jx_mts_tag_sql";
constexpr const char* kUserManage = "user_manage_server.dll_user_manage_server";

TdmPatient* g_current = nullptr;
TdmPatient* g_session = nullptr;

void AddParam(data::ClientDataSet& cds, const char* name, data::FieldType type) {
  cds.GetParams().CreateParam(type, name);
}
}  // namespace

TdmPatient* CurrentPatientModule() { return g_current; }
void SetCurrentPatientModule(TdmPatient* dm) { g_current = dm ? dm : g_session; }
void SetSessionPatientModule(TdmPatient* dm) {
  // An earlier session module stays alive (the host may still hold windows using it) but is
  // no longer the fallback.
  g_session = dm;
  g_current = dm;
}

TdmPatient::TdmPatient(ui::Component* owner) : TDataModule(owner, "dmPatient") {
  using data::FieldType;
  dmcActPatient = new TDCOMConnection(this, "dmcActPatient", kActPatient);
  DCOMConnection1 = new TDCOMConnection(this, "DCOMConnection1", kActPatient);
  dmc_sql = new TDCOMConnection(this, "dmc_sql", kTagSql);
  Dmc_User_Manage = new TDCOMConnection(this, "Dmc_User_Manage", kUserManage);

  cdsSQL = new TClientDataSet(this, "cdsSQL");
  cdsSQL->Bind(dmc_sql, "DSP_dict");
  cdsActPatient = new TClientDataSet(this, "cdsActPatient");
  cdsActPatient->Bind(DCOMConnection1, "dspActPatient");
  cdsActPatient->SetIndexFieldNames("bed_no");
  AddParam(*cdsActPatient, "dept", FieldType::String);
  AddParam(*cdsActPatient, "ward", FieldType::String);
  cdsActPatient->OnReconcileError = [](data::DataSet&, const std::string& error, data::UpdateKind) {
    ui::App().ShowMessage(error);
    return data::ReconcileAction::Skip;
  };
  cdsGetSinglePatient = new TClientDataSet(this, "cdsGetSinglePatient");
  cdsGetSinglePatient->Bind(dmcActPatient, "dspGetSinglePatient");
  cdsGetSingleoutPatient = new TClientDataSet(this, "cdsGetSingleoutPatient");
  cdsGetSingleoutPatient->Bind(dmcActPatient, "dspGetSingleoutPatient");
  for (auto* cds : {cdsGetSinglePatient, cdsGetSingleoutPatient}) {
    AddParam(*cds, "patient_id", FieldType::String);
    AddParam(*cds, "admiss_times", FieldType::SmallInt);
  }
  cdsGetSinglePatient_bybedno = new TClientDataSet(this, "cdsGetSinglePatient_bybedno");
  cdsGetSinglePatient_bybedno->Bind(dmcActPatient, "dspGetSinglePatient_bybedno");
  AddParam(*cdsGetSinglePatient_bybedno, "pdept_sn", FieldType::String);
  AddParam(*cdsGetSinglePatient_bybedno, "pward_sn", FieldType::String);
  AddParam(*cdsGetSinglePatient_bybedno, "pbed_no", FieldType::String);
  cdsDeposit = new TClientDataSet(this, "cdsDeposit");
  cdsDeposit->Bind(dmcActPatient, "dspDeposit");
  cdsChargeAll = new TClientDataSet(this, "cdsChargeAll");
  cdsChargeAll->Bind(dmcActPatient, "dspChargeAll");
  for (auto* cds : {cdsDeposit, cdsChargeAll}) {
    AddParam(*cds, "p_id", FieldType::String);
    AddParam(*cds, "p_times", FieldType::SmallInt);
  }

  RetargetConnections();
  ReadWardList();
}

TdmPatient::~TdmPatient() {
  if (g_current == this) g_current = g_session == this ? nullptr : g_session;
  if (g_session == this) g_session = nullptr;
}

void TdmPatient::RetargetConnections() {
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* c = dynamic_cast<TDCOMConnection*>(Components(i));
    if (!c) continue;
    c->SetComputerName(AppServerName());
    if (text::SameText(c->ServerName(), kTagSql)) c->Connect();
  }
}

void TdmPatient::ReadWardList() {
  auto& s = Session();
  cdsActPatient->Close();
  cdsActPatient->GetParams().ParamByName("dept").SetAsString(s.admiss_dept);
  cdsActPatient->GetParams().ParamByName("ward").SetAsString(s.admiss_ward);
  cdsActPatient->Open();
  cdsActPatient->First();
  while (!cdsActPatient->Eof()) {
    cdsGetSinglePatient->Close();
    cdsGetSinglePatient->GetParams().ParamByName("patient_id").SetValue(cdsActPatient->FieldByName("patient_id").Value());
    cdsGetSinglePatient->GetParams().ParamByName("admiss_times").SetValue(
        cdsActPatient->FieldByName("admiss_times").Value());
    cdsGetSinglePatient->Open();
    data::Field* status = cdsGetSinglePatient->FindField("bed_status");
    std::string bed = status ? status->AsString() : "";
    if (bed == "5" || bed == "6") cdsActPatient->Delete();
    else cdsActPatient->Next();
  }
  // Rows left out are local only: they must never reach the server.
  cdsActPatient->MergeChangeLog();
}

data::ClientDataSet& TdmPatient::Query(const std::string& sql) {
  cdsSQL->Close();
  cdsSQL->SetCommandText(sql);
  cdsSQL->Open();
  return *cdsSQL;
}

std::string TdmPatient::LookupValue(const std::string& table, const std::string& keyColumn,
                                    const std::string& resultColumn, const std::string& value) {
  auto& q = Query("select " + resultColumn + " from " + table + " where " + keyColumn + " = " +
                  text::SqlLiteral(text::Trim(value)));
  if (q.IsEmpty() || q.FieldCount() == 0) return "";
  q.First();
  return text::Trim(q.FieldAt(0).AsString());
}

bool TdmPatient::CheckUserFunc(const std::string& userName, const std::string& subsysId, const std::string& funcKey) {
  VariantArray args{Variant(userName), Variant(subsysId), Variant(funcKey)};
  return Dmc_User_Manage->Call("CheckUserFunc", args).ToBool();
}

}  // namespace yz
