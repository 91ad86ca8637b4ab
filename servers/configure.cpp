// The configuration data server: departments with their wards nested, and pharmacies.
#include "platform/base/text.h"
#include "servers/database.h"
#include "servers/registry.h"

namespace yz::servers {

void AddConfigureServers(ServerMap& m) {
  ServerDef s;
  // Departments, each row carrying its wards as a nested packet in column adqGetWard.
  ProviderDef dept;
  dept.custom = [](Instance& in, const data::Params&) {
    data::DataPacket depts = in.db->Query(
        "select distinct dept_sn, dept_name from zy_adtward order by dept_sn");
    for (auto& c : depts.columns) {
      if (text::SameText(c.name, "dept_name")) {
        c.readOnly = true;
        c.size = 32;
      }
      if (text::SameText(c.name, "dept_sn")) {
        c.type = data::FieldType::FixedChar;
        c.size = 7;
        c.key = true;
      }
    }
    data::PacketColumn nested;
    nested.name = "adqGetWard";
    nested.type = data::FieldType::Blob;
    depts.columns.push_back(nested);
    int code = depts.ColumnIndex("dept_sn");
    for (auto& row : depts.rows) {
      data::DataPacket wards = in.db->Query(
          "select ward_sn, ward_name from zy_adtward where dept_sn = ?1 order by ward_sn", {row.values[code]});
      row.values.push_back(wards.ToVariant());
    }
    return depts;
  };
  s.providers["dspgetdept"] = dept;
  s.providers["dspgroupno"] = {"yp_group", "select group_no, group_name as dept_name from yp_group order by group_no",
                               {"group_no"}, {}};
  m["qz_datacom.qz_com_configure"] = s;
}

}  // namespace yz::servers
