#include "remote/catalogue.h"

#include "platform/base/text.h"

namespace yz::remote {

const std::vector<ServerInfo>& Catalogue() {
  static const std::vector<ServerInfo> servers = {
      {"qz_DataCom.qz_YzData", "{11A338C2-3081-4371-A6A4-C7B9FA7B0F9A}", {"dspFitIcd", "dspConfirmCheck"}, {}},
      {"qz_LogicCom.qz_com_yz_Config", "{61ABDDEB-B044-4664-AA58-EE1738B9BB02}", {},
       {"GetSysDateTime", "GetSysTime", "GetOrdercode", "GetMulOrdercode"}},
      {"qz_DataCom.rt_comYzConfiger", "{8EBC73EF-609C-4A3B-B970-1297D3196912}", {"dspYzConfigure"}, {}},
      {"yz_data.rt_comYzConfiger", "{7300ED5A-975C-4ABF-86C2-6B01DBF956AD}", {"dspYzConfigure"}, {}},
      {"qz_DataCom.qz_ActPatient", "{C42245F6-E405-4404-9A07-65215710A190}",
       {"dspActPatient", "dspGetSinglePatient", "dspGetSingleoutPatient", "dspGetSinglePatient_bybedno", "dspDeposit",
        "dspChargeAll"},
       {}},
      {"jx_mts_tagsql.jx_mts_tag_sql", "{88E4A433-CEE0-11D3-AFFB-0080AD1E1788}", {"DSP_dict"},
       {"NewSetsql", "SetADOSQL"}},
      {"user_manage_server.dll_user_manage_server", "{CDC88A63-7236-44F6-9540-8248EB385050}", {"dspUserForm"},
       {"CheckUserFunc", "UserLogin"}},
      {"yz_data.rt_comYzNeedZd", "{5021C28E-1D85-4D99-B429-DB4C90A0878C}",
       {"dspApplyTrans", "dsp_pattern", "dsp_yz_pattern", "dsp_yp_dict", "dsp_yp_unit"}, {}},
      {"yz_data.rt_com_yz_zy_detail_charge", "{45B995EA-5F23-413E-BB3A-F54B5CB8EB4A}", {"dspSingleChargeCount"}, {}},
      {"yz_data.rt_com_yz_supply_class", "{879B83CD-B02E-4471-AB31-479088A29AD5}", {"dsp_supply"}, {}},
      {"yz_data.yzNewInputData", "{A068E934-8419-49E6-84D3-5CEA4BAFC9A9}", {}, {"GetOrderCharge"}},
      {"pj_con_str.Con_Str", "{47304FEA-F0E2-11D3-A944-0080C87E8136}", {}, {"sGet_Code"}},
      {"yz_data.rt_com_yz_yz_act_order", "{A2E17975-6B35-4A96-982D-03E7959751B8}", {"dspCheckPagenoNew"}, {}},
      {"yz_logic.rt_com_EraseOrder", "{CA47F34D-7E7C-4F9E-8998-CD8E08F2154D}", {}, {"UpdateErase"}},
      {"yz_logic1.yzcom_inputgroup", "{82838397-29B1-4C67-9C24-5B98B7F0249B}", {},
       {"Get_pattern_code", "Get_p_act_order_no"}},
      {"yz_logic1.yz_comprint", "{90C6C631-4F48-4511-8856-1D1F6B30303B}", {},
       {"GetInfoForView", "GetPrintData", "Write_Return_PrintData", "Write_Print_Order", "ChangeStopFlag"}},
      {"yz_data.rt_com_yz_zy_actpatient", "{843DB138-05AB-423E-AB7D-5C06E68CCB47}", {"dsp_order_patient"}, {}},
      {"yz_data.rt_com_yz_yz_order_print", "{EAE61297-DA87-41F8-848E-655A4B7E3D0E}",
       {"dsp_page_no", "dsp_get_stoppage_no"}, {"ConVert_Print_Order", "UpdateStopOrder"}},
      {"Project_pu_out_mts.pu_out_mts_dll", "{07FA5EE6-3D7E-4772-BEEB-F7E1F20472E7}", {}, {}},
      {"qz_DataCom.qz_com_configure", "{2BC85E79-FBC8-4C26-82D2-CD979EFBDF3E}", {"dspGetDept", "dspGroupNo"}, {}},
      {"qz_DataCom.qz_zy_bl_patient_record", "{BC436C9E-D8BC-4B91-9752-12C25099D2DB}",
       {"dsp_patientjc", "dsp_patientjy"}, {}},
      {kAuthorizeServer, kAuthorizeClassId, {"dspPubSql"}, {}},
  };
  return servers;
}

const ServerInfo* FindServerByProgId(std::string_view progId) {
  for (const auto& s : Catalogue())
    if (text::SameText(s.progId, progId)) return &s;
  return nullptr;
}

const ServerInfo* FindServerByClassId(std::string_view classId) {
  std::string id = text::Trim(classId);
  if (!id.empty() && id.front() != '{') id = "{" + id + "}";
  for (const auto& s : Catalogue())
    if (text::SameText(s.classId, id)) return &s;
  return nullptr;
}

}  // namespace yz::remote
