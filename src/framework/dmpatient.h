// The general query data module: the session's connections, the general query set and the
// patient sets, and the one-value lookup the session set-up uses.
#pragma once
#include <string>

#include "framework/components.h"

namespace yz {

class TdmPatient : public TDataModule {
 public:
  // Builds the module and runs its creation steps (connections retargeted, ward list read);
  // throws when a server cannot be reached.
  explicit TdmPatient(ui::Component* owner);
  ~TdmPatient() override;
  std::string ClassName() const override { return "TdmPatient"; }

  TDCOMConnection *dmcActPatient, *DCOMConnection1, *dmc_sql, *Dmc_User_Manage;
  TClientDataSet *cdsSQL, *cdsActPatient, *cdsGetSinglePatient, *cdsGetSingleoutPatient,
      *cdsGetSinglePatient_bybedno, *cdsDeposit, *cdsChargeAll;

  // The general query: close, discard local data, set the SQL text as command text, open.
  // Answers cdsSQL, positioned on its first row.
  data::ClientDataSet& Query(const std::string& sql);
  // "select <result> from <table> where <key> = '<value trimmed>'"; the first column of the
  // first row trimmed, or "" when there is no row. Quotes inside the value are doubled so
  // that no value can change the statement.
  std::string LookupValue(const std::string& table, const std::string& keyColumn, const std::string& resultColumn,
                          const std::string& value);
  // The user-management server's permission question; the first two arguments go by reference.
  bool CheckUserFunc(const std::string& userName, const std::string& subsysId, const std::string& funcKey);

 private:
  void RetargetConnections();
  void ReadWardList();
};

// The current general query module: the session set-up's, or the entry window's while it
// lives. Null before the first session set-up.
TdmPatient* CurrentPatientModule();
void SetCurrentPatientModule(TdmPatient* dm);
// The module that session set-up made (kept so that the current module can fall back to it
// when a window's own module goes).
void SetSessionPatientModule(TdmPatient* dm);

}  // namespace yz
