#include "boundary/module.h"

#include <algorithm>
#include <memory>

#include "framework/dmpatient.h"
#include "framework/session.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/base/variant.h"
#include "platform/os/profile.h"
#include "platform/ui/forms.h"
#include "servers/servers.h"

namespace yz {

namespace {
std::vector<ui::Form*> g_windows;
// The general query module of the latest session set-up; the previous one is released when a
// new set-up replaces it (nothing else refers to it).
std::unique_ptr<TdmPatient> g_sessionModule;
}  // namespace

const char* ReturnInfoText() {
  static const std::string text = text::ToGbk("返回信息");
  return text.c_str();
}

const char* CloseAnswer(bool closed) {
  static const char zero[] = "0";
  static const char one[] = "1";
  return closed ? zero : one;
}

ModuleState& Module() {
  static ModuleState state;
  return state;
}

std::vector<ui::Form*> ModuleWindows() {
  g_windows.erase(std::remove_if(g_windows.begin(), g_windows.end(),
                                 [](ui::Form* f) { return !ui::Component::Alive(f); }),
                  g_windows.end());
  return g_windows;
}

void AddModuleWindow(ui::Form* f) {
  // Windows still open when the module goes (the host ended without closing them) are freed
  // then. Made on first use, after the toolkit's application object, so it goes before it.
  struct Reaper {
    ~Reaper() {
      for (ui::Form* w : ModuleWindows()) w->Free();
    }
  };
  static Reaper reaper;
  g_windows.push_back(f);
}

void InitSession(const std::string& patientId, const std::string& admissTimes, const std::string& userCode) {
  auto& s = Session();
  // The admission number goes into SQL text unquoted: only a whole number may pass.
  int64_t times;
  if (!ParseInteger(admissTimes, &times) || text::Trim(admissTimes).find_first_of("xX$") != std::string::npos)
    throw Error("'" + admissTimes + "' is not a valid admission number");
  s.patient_id = patientId;
  s.admiss_times = text::Trim(admissTimes);

  os::ProfileFile ini(SettingsPath());
  ReadSettings(ini, s.settings);

  auto dm = std::make_unique<TdmPatient>(nullptr);
  SetSessionPatientModule(dm.get());
  g_sessionModule = std::move(dm);
  TdmPatient& q = *g_sessionModule;

  s.user_code = userCode;
  s.user_name = q.LookupValue("xt_user", "user_mi", "user_name", s.user_code);
  s.employee_name = q.LookupValue("a_employee_mi", "emp_sn", "name", s.user_code);
  s.admiss_dept = q.LookupValue("zy_actpatient", "patient_id", "admiss_dept", s.patient_id);
  s.admiss_ward = q.LookupValue("zy_actpatient", "patient_id", "admiss_ward", s.patient_id);
  s.dept_name = q.LookupValue("zy_adtward", "dept_sn", "dept_name", s.admiss_dept);
  s.ward_name = q.LookupValue("zy_adtward", "ward_sn", "ward_name", s.admiss_ward);

  auto permission = [&](const char* key) {
    q.Dmc_User_Manage->Disconnect();
    q.Dmc_User_Manage->Connect();
    bool answer = q.CheckUserFunc(s.user_name, s.settings.subsys_id, key);
    q.Dmc_User_Manage->Disconnect();
    return answer;
  };
  s.ovhk_yzstop_all = permission("ovhk_yzstop_all");
  s.ovhk_del_yzother = permission("ovhk_del_yzother");

  auto& state = q.Query("select patient_id from zy_actpatient where patient_id = " + text::SqlLiteral(s.patient_id) +
                        " and admiss_times = " + s.admiss_times);
  s.in_out = state.IsEmpty() ? "out" : "in";

  auto& level = q.Query(std::string("select  a.*,isnull(b.order_class,") + "'1'" + ") order_class " +
                        "from a_employee_mi a,a_employee_add_info b where a.emp_sn*=b.emp_sn and a.emp_sn = " +
                        text::SqlLiteral(s.user_code));
  level.First();
  data::Field* flag = level.FindField("order_flag");
  data::Field* cls = level.FindField("order_class");
  s.order_flag = flag && !level.IsEmpty() ? flag->AsString() : "";
  s.order_class = cls && !level.IsEmpty() ? text::Trim(cls->AsString()) : "";
}

}  // namespace yz

namespace {
// Loading the module makes the embedded reference servers reachable (connections with an
// empty computer name or "sqlite:<file>").
__attribute__((constructor)) void OnLoad() { yz::servers::InstallEmbeddedServers(); }
}  // namespace
