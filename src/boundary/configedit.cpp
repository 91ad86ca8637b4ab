#include "boundary/configedit.h"

#include "boundary/module.h"
#include "framework/session.h"
#include "framework/showbox.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/os/printers.h"
#include "platform/os/profile.h"

namespace yz {

namespace {
constexpr const char* kConfigureServer = "qz_DataCom.qz_com_configure";
bool g_restart = false;

// The code before the first blank of "code  name", trimmed, and the text from that blank on.
void SplitCodeName(const std::string& text, std::string* code, std::string* name) {
  size_t blank = text.find(' ');
  *code = text::Trim(text.substr(0, blank));
  *name = blank == std::string::npos ? std::string() : text::Trim(text.substr(blank));
}

int PositionOf(const std::string& value) {
  // A stored position that is not a whole number makes the window fail to open.
  return Variant(value).ToInt();
}
}  // namespace

bool TfrmConfigEdit::RestartRequested() { return g_restart; }
void TfrmConfigEdit::ClearRestartRequest() { g_restart = false; }

ui::Label* TfrmConfigEdit::AddLabel(ui::WinControl* parent, const std::string& caption, int left, int top) {
  auto* l = new ui::Label(this);
  l->SetParent(parent);
  l->SetCaption(caption);
  l->SetBounds(left, top, 72, 12);
  return l;
}

ui::RadioGroup* TfrmConfigEdit::AddRadio(ui::WinControl* parent, const std::string& name, const std::string& caption,
                                         std::vector<std::string> items, int left, int top) {
  auto* r = new ui::RadioGroup(this);
  r->SetName(name);
  r->SetParent(parent);
  r->SetCaption(caption);
  r->Items = std::move(items);
  r->Columns = static_cast<int>(r->Items.size());
  r->SetBounds(left, top, 300, 40);
  return r;
}

TfrmConfigEdit::TfrmConfigEdit(ui::Component* owner) : TfrmChildForm(owner, "frmConfigEdit") {
  SetCaption("系统参数维护");
  SetBounds(0, 0, 640, 480);
  SetPosition(ui::Position::ScreenCenter);
  SetWindowState(ui::WindowState::Normal);

  dmcGetDept = new TDCOMConnection(this, "dmcGetDept", kConfigureServer);
  dmcGetInfo = new TDCOMConnection(this, "dmcGetInfo", kConfigureServer);
  cdsGetDept = new TClientDataSet(this, "cdsGetDept");
  cdsGetDept->Bind(dmcGetDept, "dspGetDept");
  cdsGetWard = new TClientDataSet(this, "cdsGetWard");
  cdsGetGroup = new TClientDataSet(this, "cdsGetGroup");
  cdsGetGroup->Bind(dmcGetInfo, "dspGroupNo");
  dsGetGroup = new TDataSource(this, "dsGetGroup", cdsGetGroup);
  // The wards are the current department's nested rows.
  cdsGetDept->AfterScroll = [this](data::DataSet& d) {
    data::Field* nested = d.FindField("adqGetWard");
    if (nested && !nested->IsNull()) cdsGetWard->SetData(data::DataPacket::FromVariant(nested->Value()));
    else if (cdsGetWard->Active()) cdsGetWard->EmptyDataSet();
  };

  auto local = [this](const char* name, const char* source, TDataSource** ds) {
    auto* cds = new TClientDataSet(this, name);
    data::FieldDef def;
    def.name = "group_no";
    def.type = data::FieldType::String;
    def.size = 20;
    cds->AddField(def);
    *ds = new TDataSource(this, source, cds);
    return cds;
  };
  cdsYPzy = local("cdsYPzy", "dsYPzy", &dsYPzy);
  cdsCydy = local("cdsCydy", "dsCydy", &dsCydy);
  cdsDsy = local("cdsDsy", "dsDsy", &dsDsy);
  cdsKf = local("cdsKf", "dsKf", &dsKf);
  cdsZcy = local("cdsZcy", "dsZcy", &dsZcy);
  cdsCy = local("cdsCy", "dsCy", &dsCy);

  // Tool bar: caption panel and the two buttons.
  pnlCaption = new ui::Panel(this);
  pnlCaption->SetName("pnlCaption");
  pnlCaption->SetParent(tbrButtonBase);
  pnlCaption->SetCaption("系统初始化");
  btnCancel = new ui::ToolButton(this);
  btnCancel->SetName("btnCancel");
  btnCancel->SetParent(tbrButtonBase);
  btnCancel->SetCaption("放弃&C");
  btnCancel->OnClick = [this](ui::Component&) { btnCancel1Click(); };
  btnQuit = new ui::ToolButton(this);
  btnQuit->SetName("btnQuit");
  btnQuit->SetParent(tbrButtonBase);
  btnQuit->SetCaption("退出&Q");
  btnQuit->OnClick = [this](ui::Component&) { btnQuit1Click(); };

  Panel2 = new ui::Panel(this);
  Panel2->SetName("Panel2");
  Panel2->SetParent(stgChildStage);
  Panel2->SetColor(ui::clNavy);
  Panel2->SetWidth(150);
  Panel2->SetAlign(ui::Align::Left);
  Label1 = AddLabel(Panel2, "系统运行参数初始化", 12, 24);
  Label1->SetName("Label1");
  Label1->OnClick = [this](ui::Component&) { Label1Click(); };
  lblReadIni = AddLabel(Panel2, "系统其它变量初始化", 12, 56);
  lblReadIni->SetName("lblReadIni");
  lblReadIni->OnClick = [this](ui::Component&) { lblReadIniClick(); };

  pnlMain = new ui::Panel(this);
  pnlMain->SetName("pnlMain");
  pnlMain->SetParent(stgChildStage);
  pnlMain->SetAlign(ui::Align::Client);
  Panel4 = new ui::Panel(this);
  Panel4->SetName("Panel4");
  Panel4->SetParent(pnlMain);
  Panel4->SetAlign(ui::Align::Client);
  Panel3 = new ui::Panel(this);  // made last: on top
  Panel3->SetName("Panel3");
  Panel3->SetParent(pnlMain);
  Panel3->SetAlign(ui::Align::Client);

  // Run parameters.
  AddLabel(Panel3, "科室编码：", 16, 20);
  cbxDept = new ui::ComboBox(this);
  cbxDept->SetName("cbxDept");
  cbxDept->SetParent(Panel3);
  cbxDept->SetBounds(96, 16, 200, 20);
  cbxDept->SetTabStop(true);
  cbxDept->OnChange = [this](ui::Component&) { cbxDeptChange(); };
  AddLabel(Panel3, "病区编码：", 16, 48);
  cbxWard = new ui::ComboBox(this);
  cbxWard->SetName("cbxWard");
  cbxWard->SetParent(Panel3);
  cbxWard->SetBounds(96, 44, 200, 20);
  cbxWard->SetTabStop(true);
  struct Pharmacy {
    ui::DBLookupComboBox** box;
    const char* name;
    const char* label;
    TDataSource* source;
  } pharmacies[] = {{&DBLookupComboBox1, "DBLookupComboBox1", "住院西药：", dsYPzy},
                    {&DBLookupComboBox2, "DBLookupComboBox2", "出院带药：", dsCydy},
                    {&DBLookupComboBox3, "DBLookupComboBox3", "大输液：", dsDsy},
                    {&DBLookupComboBox4, "DBLookupComboBox4", "摆药室：", dsKf},
                    {&DBLookupComboBox5, "DBLookupComboBox5", "中成药：", dsZcy},
                    {&DBLookupComboBox6, "DBLookupComboBox6", "中草药：", dsCy}};
  int top = 76;
  for (auto& p : pharmacies) {
    AddLabel(Panel3, p.label, 16, top + 4);
    auto* box = new ui::DBLookupComboBox(this);
    box->SetName(p.name);
    box->SetParent(Panel3);
    box->SetBounds(96, top, 200, 20);
    box->SetTabStop(true);
    box->SetDataSource(p.source);
    box->SetDataField("group_no");
    box->ListSource = dsGetGroup;
    box->KeyField = "group_no";
    box->ListField = "dept_name";
    *p.box = box;
    top += 28;
  }
  RadioGroup1 = AddRadio(Panel3, "RadioGroup1", "医嘱长期\\临时选择", {"手动", "自动"}, 16, top);
  rgpStartTime = AddRadio(Panel3, "rgpStartTime", "医嘱开始时间设置", {"每天早八点", "当前时间", "上条时间"}, 16, top + 48);

  // Other values.
  grdCyNoNo = AddRadio(Panel4, "grdCyNoNo", "草药禁忌检测", {"否", "是"}, 16, 16);
  grdCyInputType = AddRadio(Panel4, "grdCyInputType", "草药录入方式", {"病区", "药房"}, 16, 64);
  grdtimeset = AddRadio(Panel4, "grdtimeset", "医嘱开始时间设置", {"系统设定", "当前时间"}, 16, 112);
  AddLabel(Panel4, "默认打印机", 16, 168);
  cbxDetailPrinter = new ui::ComboBox(this);
  cbxDetailPrinter->SetName("cbxDetailPrinter");
  cbxDetailPrinter->SetParent(Panel4);
  cbxDetailPrinter->Style = ui::ComboStyle::DropDownList;
  cbxDetailPrinter->SetBounds(96, 164, 240, 20);
  AddLabel(Panel4, "虚拟打印机", 16, 196);
  cbxVisPrinter = new ui::ComboBox(this);
  cbxVisPrinter->SetName("cbxVisPrinter");
  cbxVisPrinter->SetParent(Panel4);
  cbxVisPrinter->Style = ui::ComboStyle::DropDownList;
  cbxVisPrinter->SetBounds(96, 192, 240, 20);
  auto check = [this](const char* name, const char* caption, int t) {
    auto* c = new ui::CheckBox(this);
    c->SetName(name);
    c->SetParent(Panel4);
    c->SetCaption(caption);
    c->SetBounds(16, t, 400, 17);
    return c;
  };
  chkActOrderNo = check("chkActOrderNo", "医嘱号从yz_configure_yz中取(请勿擅自选择,后果严重)", 224);
  chkNoComfirmShow = check("chkNoComfirmShow", "提示有未确认的药品和未确认的诊疗项目", 248);
  ckbAutoDrugOnceOrder = check("ckbAutoDrugOnceOrder", "自动生成临时领药医嘱", 272);

  auto button = [this](const char* name, const char* caption, int left) {
    auto* b = new ui::Button(this);
    b->SetName(name);
    b->SetParent(pnlMain);
    b->SetCaption(caption);
    b->SetBounds(left, 400, 75, 25);
    return b;
  };
  btnPost1 = button("btnPost1", "保存&P", 200);
  btnPost1->OnClick = [this](ui::Component&) { btnPost1Click(); };
  btnCancel1 = button("btnCancel1", "放弃&C", 290);
  btnCancel1->OnClick = [this](ui::Component&) { btnCancel1Click(); };
  btnQuit1 = button("btnQuit1", "关闭&Q", 380);
  btnQuit1->OnClick = [this](ui::Component&) { btnQuit1Click(); };
}

TfrmConfigEdit::~TfrmConfigEdit() {
  if (Module().configWindow == this) Module().configWindow = nullptr;
}

void TfrmConfigEdit::FormCreate() {
  // This window keeps its design size and position: no stored arrangement, no maximising.
  auto& s = Session();
  dmcGetInfo->SetComputerName(AppServerName());
  dmcGetDept->SetComputerName(AppServerName());
  dmcGetInfo->Connect();
  dmcGetDept->Connect();
  ini_ = std::make_unique<os::ProfileFile>(SettingsPath());

  cdsGetDept->Close();
  cdsGetDept->Open();
  cbxDept->Items.clear();
  for (cdsGetDept->First(); !cdsGetDept->Eof(); cdsGetDept->Next())
    cbxDept->Items.push_back(cdsGetDept->FieldByName("dept_sn").AsString() + "  " +
                             cdsGetDept->FieldByName("dept_name").AsString());
  cdsGetDept->Locate("dept_sn", Variant(s.admiss_dept), data::loCaseInsensitive);
  FillWards();
  if (cdsGetWard->Active()) cdsGetWard->Locate("ward_sn", Variant(s.admiss_ward), data::loCaseInsensitive);
  cbxDept->SetText(s.admiss_dept + "  " + s.dept_name);
  cbxWard->SetText(s.admiss_ward + "  " + s.ward_name);

  grdCyNoNo->SetItemIndex(PositionOf(s.settings.yp_nono));
  grdCyInputType->SetItemIndex(PositionOf(s.settings.yp_use));

  cdsGetGroup->Close();
  cdsGetGroup->Open();
  auto fill = [](TClientDataSet* cds, const std::string& value) {
    if (cds->Active()) cds->Close();
    cds->CreateDataSet();
    cds->Append();
    cds->FieldByName("group_no").SetAsString(value);
    cds->Post();
  };
  fill(cdsYPzy, s.settings.yp_zy);
  fill(cdsCydy, s.settings.yp_cydy);
  fill(cdsDsy, s.settings.yp_dsy);
  fill(cdsKf, s.settings.yp_kf);
  fill(cdsZcy, s.settings.yp_zc);
  fill(cdsCy, s.settings.yp_cy);

  auto printers = os::Printers();
  cbxDetailPrinter->Items = printers;
  cbxVisPrinter->Items = printers;

  chkActOrderNo->SetChecked(ini_->ReadString("user", "act_order_no_table", "0") == "yz_configure_yz");
  chkNoComfirmShow->SetChecked(ini_->ReadString("user", "noconfirm_show", "0") == "0");

  int start = PositionOf(s.settings.starttime_falg);
  grdtimeset->SetItemIndex(std::min(start, static_cast<int>(grdtimeset->Items.size()) - 1));
  rgpStartTime->SetItemIndex(std::min(start, static_cast<int>(rgpStartTime->Items.size()) - 1));

  RadioGroup1->SetItemIndex(ini_->ReadString("user", "yz_frequence", "1") == "0" ? 0 : 1);
  auto choose = [](ui::ComboBox* box, int index) {
    box->SetItemIndex(index >= 0 && index < static_cast<int>(box->Items.size()) ? index : -1);
  };
  choose(cbxDetailPrinter, ini_->ReadInteger("user", "D_Printer_Index", 0));
  choose(cbxVisPrinter, ini_->ReadInteger("user", "V_Printer_Index", 0));
  ckbAutoDrugOnceOrder->SetChecked(ini_->ReadBool("user", "Auto_InsertDrugOnceOrder", false));
}

void TfrmConfigEdit::FillWards() {
  cbxWard->Items.clear();
  if (!cdsGetWard->Active()) return;
  for (cdsGetWard->First(); !cdsGetWard->Eof(); cdsGetWard->Next())
    cbxWard->Items.push_back(cdsGetWard->FieldByName("ward_sn").AsString() + "  " +
                             cdsGetWard->FieldByName("ward_name").AsString());
}

void TfrmConfigEdit::Label1Click() {
  Panel3->Show();
  Panel4->Hide();
}

void TfrmConfigEdit::lblReadIniClick() {
  Panel4->Show();
  Panel3->Hide();
}

void TfrmConfigEdit::cbxDeptChange() {
  std::string code, name;
  SplitCodeName(cbxDept->Text(), &code, &name);
  cdsGetDept->Locate("Dept_sn", Variant(code), data::loCaseInsensitive);
  FillWards();
  cbxWard->SetText(cbxWard->Items.empty() ? std::string() : cbxWard->Items.front());
}

void TfrmConfigEdit::SaveSettings() {
  auto& s = Session();
  auto& ini = *ini_;
  auto pos = [](int i) { return std::to_string(i); };
  ini.WriteString("user", "starttime_falg", pos(grdtimeset->ItemIndex()));
  ini.WriteString("user", "yz_frequence", pos(RadioGroup1->ItemIndex()));
  std::string code, name;
  SplitCodeName(cbxDept->Text(), &code, &name);
  if (code != s.admiss_dept) {
    ini.WriteString("user", "dept_sn", code);
    ini.WriteString("user", "dept_name", name);
  }
  SplitCodeName(cbxWard->Text(), &code, &name);
  if (code != s.admiss_ward) {
    ini.WriteString("user", "ward_sn", code);
    ini.WriteString("user", "ward_name", name);
  }
  ini.WriteString("user", "yp_nono", pos(grdCyNoNo->ItemIndex()));
  ini.WriteString("user", "yp_use", pos(grdCyInputType->ItemIndex()));
  ini.WriteString("user", "starttime_falg", pos(rgpStartTime->ItemIndex()));
  struct Pharmacy {
    TClientDataSet* cds;
    const char* key;
    const std::string& session;
  } pharmacies[] = {{cdsYPzy, "yp_zy", s.settings.yp_zy},     {cdsZcy, "yp_zc", s.settings.yp_zc},
                    {cdsCydy, "yp_Cydy", s.settings.yp_cydy}, {cdsDsy, "yp_dsy", s.settings.yp_dsy},
                    {cdsKf, "yp_kf", s.settings.yp_kf},       {cdsCy, "yp_cy", s.settings.yp_cy}};
  for (auto& p : pharmacies) {
    std::string chosen = p.cds->FieldByName("group_no").AsString();
    if (chosen != p.session) ini.WriteString("user", p.key, chosen);
  }
  ini.WriteString("user", "D_Printer_Index", pos(cbxDetailPrinter->ItemIndex()));
  ini.WriteString("user", "V_Printer_Index", pos(cbxVisPrinter->ItemIndex()));
  ini.WriteString("user", "act_order_no_table", chkActOrderNo->Checked() ? "yz_configure_yz" : "0");
  ini.WriteString("user", "noconfirm_show", chkNoComfirmShow->Checked() ? "0" : "1");
  ini.WriteString("user", "Auto_InsertDrugOnceOrder", ckbAutoDrugOnceOrder->Checked() ? "1" : "0");
}

void TfrmConfigEdit::btnPost1Click() {
  if (!ini_) ini_ = std::make_unique<os::ProfileFile>(SettingsPath());
  try {
    SaveSettings();
    ini_->Save();
  } catch (const std::exception&) {
    // What was written before the failure stays written, as the keys are written one by one.
    try {
      ini_->Save();
    } catch (const std::exception&) {
    }
    ShowBox("保存失败，请重试", 1, 1);
    return;
  }
  if (ShowBox("新参数必须在重启应用程序后才生效，是否重启？", 1, 2) == 1) {
    g_restart = true;
    Close();
  }
}

void TfrmConfigEdit::btnCancel1Click() { Close(); }
void TfrmConfigEdit::btnQuit1Click() { Close(); }

void TfrmConfigEdit::FormClose(ui::CloseAction& action) {
  TfrmChildForm::FormClose(action);
  action = ui::CloseAction::Free;
}

}  // namespace yz
