// Order sets and dictionaries of the order data servers.
#include "platform/base/text.h"
#include "servers/database.h"
#include "servers/registry.h"

namespace yz::servers {

namespace {

using data::FieldType;

// The browse copy: the act orders with the names the browse list shows (frequency, route,
// signers, executing ward) and the start and stop times split into day and clock texts.
const char* const kBrowserOrder =
    "select o.patient_id, o.admiss_times, o.order_code, o.start_time, o.order_name, o.charge_amount, "
    "f.frequ_name as lookup_frequency, s.supply_name as lookup_supply, o.doseage, o.doseage_unit, "
    "d1.name as d_signer1, n1.name as n_signer1, d2.name as d_signer2, n2.name as n_signer2, o.end_time, "
    "o.act_order_no, o.parent_no, o.parent_no as parentno, o.status_flag, o.frequ_code, o.order_type, "
    "o.alter_print_order, o.instruction, o.long_once_flag, o.drug_specification, o.self_buy, o.exec_unit, "
    "(select max(w.ward_name) from zy_adtward w where w.ward_sn = o.exec_unit) as exec_unit_name, "
    "o.infant_flag, o.pay_self, o.ope_flag, o.emergency_flag, n1.name as confirm_opera, "
    "substring(convert(varchar(19), o.start_time, 120), 6, 5) as start_time_mm_dd, "
    "substring(convert(varchar(19), o.start_time, 120), 12, 5) as start_time_tt, "
    "substring(convert(varchar(19), o.end_time, 120), 6, 5) as end_time_mm_dd, "
    "substring(convert(varchar(19), o.end_time, 120), 12, 5) as end_time_tt, "
    "o.fit_flag, o.end_time_2, o.serial as Serial "
    "from yz_act_order o "
    "left join yz_frequency f on f.frequ_code = o.frequ_code "
    "left join yz_supply s on s.supply_code = o.supply_code "
    "left join a_employee_mi d1 on d1.emp_sn = o.order_doctor "
    "left join a_employee_mi n1 on n1.emp_sn = o.confirm_opera "
    "left join a_employee_mi d2 on d2.emp_sn = o.stop_doctor "
    "left join a_employee_mi n2 on n2.emp_sn = o.stop_confirm_opera "
    "where o.patient_id = :ppid and o.admiss_times = :ptimes and isnull(o.deleted_flag, '0') = '0' "
    "order by o.act_order_no";

const char* const kPattern =
    "select p.pattern_code, p.act_order_no, p.order_code, p.serial, p.order_name, p.frequ_code, p.order_type, "
    "p.supply_code, p.drug_specification, p.doseage, p.doseage_unit, p.charge_amount, p.drug_occ, p.mini_unit, "
    "p.parent_no, p.group_no, p.instruction, p.discription, f.frequ_name as frequency, s.supply_name, "
    "u.name as doseageunit, m.name as miniunit "
    "from yz_pattern_order p "
    "left join yz_frequency f on f.frequ_code = p.frequ_code "
    "left join yz_supply s on s.supply_code = p.supply_code "
    "left join yp_unit_name u on u.code = p.doseage_unit "
    "left join yp_unit_name m on m.code = p.mini_unit "
    "where p.pattern_code = :spatter_code order by p.act_order_no";

const char* const kOrderCharge =
    "select order_code, charge_code, name, charge_price, amount, self_flag as COLUMN1, expensive as COLUMN2, "
    "charge_group, exec_unit from yz_order_charge order by order_code, item_no";

const data::Param* ParamAt(const data::Params& p, const char* name, int pos) {
  if (const data::Param* found = p.FindParam(name)) return found;
  return pos < p.Count() ? &p[pos] : nullptr;
}

Variant ParamValue(const data::Params& p, const char* name, int pos) {
  const data::Param* found = ParamAt(p, name, pos);
  return found ? found->Value() : Variant();
}

ServerDef& OrderDataServer(ServerMap& m) {
  // Other subsystems add their own providers to the same server.
  ServerDef& s = m["qz_datacom.qz_yzdata"];
  std::map<std::string, FieldType> times = {{"ptimes", FieldType::Word}};
  s.providers["dspinputorder"] = {"yz_act_order",
                                  "select * from yz_act_order where patient_id = :ppid and admiss_times = :ptimes "
                                  "and isnull(deleted_flag, '0') = '0' order by act_order_no",
                                  {"act_order_no"}, times};
  s.providers["dspbrowserorder"] = {"yz_act_order", kBrowserOrder, {"act_order_no"}, times};
  s.providers["dsp_yp_dict"] = {"yp_dict", "select * from yp_dict where charge_code = :sCode and serial = :sSerial",
                                {"charge_code", "serial"}, {}};
  s.providers["dsp_yp_unit"] = {"yp_unit_name", "select code, name from yp_unit_name order by code", {"code"}, {}};
  s.providers["dspsupplyinfo"] = {"yz_supply",
                                  "select supply_code, supply_name, supply_class as class_code from yz_supply "
                                  "where supply_code = :p_code",
                                  {"supply_code"}, {}};
  s.providers["dspsingleordercharge"] = {"yz_order_charge",
                                         "select name, charge_price, amount, self_flag as COLUMN1, expensive as "
                                         "COLUMN2, exec_unit, charge_group from yz_order_charge where order_code = "
                                         ":p_order_code order by item_no",
                                         {}, {}};
  s.providers["dspfiticd"] = {"yp_fit_icd", "select icd_name from yp_fit_icd where charge_code = :code order by item_no",
                              {}, {}};
  s.providers["dspfitflag"] = {"yz_fit_flag", "select code, name from yz_fit_flag order by code", {"code"}, {}};
  s.providers["dsp_yp_ward_dtug"] = {"yp_ward_drug",
                                     "select charge_code, serial, amount from yp_ward_drug where dept_sn = :pdept "
                                     "and ward_sn = :pward order by charge_code, serial",
                                     {"charge_code", "serial"}, {}};
  s.providers["dsp_yz_pattern"] = {"yz_pattern_order", kPattern, {"pattern_code", "act_order_no"}, {}};
  s.providers["dsp_comment"] = {"yz_comment_dict",
                                "select comment as name, py_code, d_code from yz_comment_dict order by code", {}, {}};
  s.providers["dsp_op_time"] = {"yz_op_time", "select time_text as 手术时间 from yz_op_time order by time_no", {}, {}};
  s.providers["dsp_mzfs"] = {"yz_mzfs", "select code, name, d_code, py_code from yz_mzfs order by name", {"code"}, {}};
  s.providers["dsp_yz_exclusive_order"] = {"yz_exclusive_order",
                                           "select order_code, exclu_code from yz_exclusive_order order by exclu_code, "
                                           "order_code",
                                           {"order_code", "exclu_code"}, {}};
  s.providers["dspsetowelimit"] = {"zy_actpatient",
                                   "select patient_id, admiss_times, name, bed_no, owe_limit from zy_actpatient "
                                   "where admiss_dept = :p_dept_sn and admiss_ward = :p_ward_sn order by bed_no",
                                   {"patient_id", "admiss_times"}, {}};
  return s;
}

}  // namespace

void AddOrderServers(ServerMap& m) {
  OrderDataServer(m);

  // Fee items of every order item, as one record set object.
  m["yz_data.yznewinputdata"].methods["getordercharge"] =
      [](Instance& in, VariantArray&) { return in.db->Query(kOrderCharge).ToVariant(); };

  // Charged amount of a drug for a patient stay. The ward's charge lines carry no package
  // form of the drug, so the serial asked about is answered back as it came.
  ProviderDef count;
  count.table = "zy_detail_charge";
  count.custom = [](Instance& in, const data::Params& p) {
    return in.db->Query(
        "select ?3 as charge_code, ?4 as serial, ifnull(sum(amount), 0) as amount from zy_detail_charge "
        "where patient_id = ?1 and admiss_times = ?2 and charge_code = ?3",
        {Variant(text::Trim(ParamValue(p, "pid", 0).ToString())), ParamValue(p, "times", 1),
         Variant(text::Trim(ParamValue(p, "charge_code", 2).ToString())),
         Variant(text::Trim(ParamValue(p, "serial", 3).ToString()))});
  };
  m["yz_data.rt_com_yz_zy_detail_charge"].providers["dspsinglechargecount"] = count;
}

}  // namespace yz::servers
