// The session context: who works, for which patient stay, in which department and ward, with
// which settings and permissions. One record per loaded module, overwritten by every
// YzinputInitVariant.
#pragma once
#include <cstdint>
#include <string>

namespace yz::os {
class ProfileFile;
}

namespace yz {

// Workstation settings read from omra.ini, each under its key name.
struct Settings {
  // [color]
  uint32_t yz_input = 2147483661u;  // system colour 13, the highlight colour
  uint32_t yz_confirm = 32768;
  uint32_t yz_proc = 16711680;
  uint32_t yz_stop = 255;
  // [user]
  std::string subsys_id, hospital;
  // [server]
  std::string appserver;
  // [user]
  std::string yz_frequence, yp_cy, yp_zy, yp_zc, yp_kf, yp_cydy, yp_dsy, yp_pjzx;
  std::string yp_nono = "0", yp_use = "0", starttime_falg = "0", calc_balance = "1";
  std::string act_order_no_table = "0", add_information = "0", yz_limit = "0", OrderInputN = "0";
  std::string ill_net_link_ip, ill_net_search1, ill_net_search2;
  bool Auto_InsertDrugOnceOrder = false;
  double ONCE_TOP = 0, ONCE_LEFT = 0, LONG_TOP = 0, LONG_LEFT = 0;
  double OWE_LIMIT = -13.13;  // -13.13 means "not set"
  int32_t Authorize_MaxTime = 0;
  // [report]
  int32_t NewOrder_report_code = 1000335;
  int32_t once_order_report_code = 501;
  int32_t long_order_report_code = 507;
  int32_t poison_report_code = 0;
  // [Selected]
  int32_t supply_sql_tag = 128;
};

// The site's default host of the illness-knowledge web search.
inline constexpr const char* kDefaultIllNetHost = "127.0.0.1";

// Reads every setting the session set-up reads, in its order, with its default. Throws
// yz::Error when a page offset or OWE_LIMIT is not a decimal number (the set-up then ends
// early); fields read before keep their new values, later ones their old values.
void ReadSettings(const os::ProfileFile& ini, Settings& s);

struct SessionContext {
  std::string patient_id, admiss_times, user_code;
  std::string user_name, employee_name;
  std::string admiss_dept, admiss_ward, dept_name, ward_name;
  std::string in_out;  // "in" or "out"
  std::string order_flag, order_class;
  bool ovhk_yzstop_all = false;
  bool ovhk_del_yzother = false;
  long host_window = 0;
  Settings settings;
};

// The module's one session context.
SessionContext& Session();

// Path of omra.ini: the process's current directory followed by "/omra.ini".
std::string SettingsPath();

}  // namespace yz
