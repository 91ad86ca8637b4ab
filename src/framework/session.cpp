#include "framework/session.h"

#include <unistd.h>

#include <climits>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/base/variant.h"
#include "platform/os/profile.h"

namespace yz {

namespace {

double ReadDecimal(const os::ProfileFile& ini, const char* section, const char* key, const char* def) {
  std::string t = ini.ReadString(section, key, def);
  double v;
  if (!ParseNumber(t, &v)) throw Error("'" + t + "' is not a valid floating point value");
  return v;
}

}  // namespace

void ReadSettings(const os::ProfileFile& ini, Settings& s) {
  auto color = [&](const char* key, uint32_t def) {
    return static_cast<uint32_t>(ini.ReadInteger("color", key, static_cast<int32_t>(def)));
  };
  auto str = [&](const char* section, const char* key, const char* def) { return ini.ReadString(section, key, def); };
  s.yz_input = color("yz_input", 2147483661u);
  s.yz_confirm = color("yz_confirm", 32768);
  s.yz_proc = color("yz_proc", 16711680);
  s.yz_stop = color("yz_stop", 255);
  s.subsys_id = str("user", "subsys_id", "");
  s.hospital = str("user", "hospital", "");
  s.appserver = str("server", "appserver", "");
  s.yz_frequence = str("user", "yz_frequence", "");
  s.yp_cy = str("user", "yp_cy", "");
  s.yp_zy = str("user", "yp_zy", "");
  s.yp_zc = str("user", "yp_zc", "");
  s.yp_kf = str("user", "yp_kf", "");
  s.yp_cydy = str("user", "yp_cydy", "");
  s.yp_dsy = str("user", "yp_dsy", "");
  s.yp_pjzx = str("user", "yp_pjzx", "");
  s.yp_nono = str("user", "yp_nono", "0");
  s.yp_use = str("user", "yp_use", "0");
  s.starttime_falg = str("user", "starttime_falg", "0");
  s.calc_balance = str("user", "calc_balance", "1");
  s.act_order_no_table = str("user", "act_order_no_table", "0");
  s.add_information = str("user", "add_information", "0");
  s.yz_limit = str("user", "yz_limit", "0");
  s.OrderInputN = str("user", "OrderInputN", "0");
  s.ill_net_link_ip = str("user", "ill_net_link_ip", kDefaultIllNetHost);
  std::string search = "http://" + s.ill_net_link_ip + "/Pexlink/Trans.aspx?mode=2&SearchString=";
  s.ill_net_search1 = str("user", "ill_net_search1", search.c_str());
  s.ill_net_search2 = str("user", "ill_net_search2", search.c_str());
  s.Auto_InsertDrugOnceOrder = ini.ReadBool("user", "Auto_InsertDrugOnceOrder", false);
  s.ONCE_TOP = ReadDecimal(ini, "user", "ONCE_TOP", "0");
  s.ONCE_LEFT = ReadDecimal(ini, "user", "ONCE_LEFT", "0");
  s.LONG_TOP = ReadDecimal(ini, "user", "LONG_TOP", "0");
  s.LONG_LEFT = ReadDecimal(ini, "user", "LONG_LEFT", "0");
  if (str("user", "OWE_LIMIT", "").empty()) s.OWE_LIMIT = -13.13;
  else s.OWE_LIMIT = ReadDecimal(ini, "user", "OWE_LIMIT", "0");
  s.Authorize_MaxTime = ini.ReadInteger("user", "Authorize_MaxTime", 0);
  s.NewOrder_report_code = ini.ReadInteger("report", "NewOrder_report_code", 1000335);
  s.once_order_report_code = ini.ReadInteger("report", "once_order_report_code", 501);
  s.long_order_report_code = ini.ReadInteger("report", "long_order_report_code", 507);
  s.poison_report_code = ini.ReadInteger("report", "poison_report_code", 0);
  s.supply_sql_tag = ini.ReadInteger("Selected", "supply_sql_tag", 128);
}

SessionContext& Session() {
  static SessionContext s;
  return s;
}

std::string SettingsPath() {
  char buf[PATH_MAX];
  if (!getcwd(buf, sizeof buf)) return "omra.ini";
  return std::string(buf) + "/omra.ini";
}

}  // namespace yz
