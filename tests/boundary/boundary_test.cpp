// A test host: loads the module with dlopen and drives it through its exports and the
// automation interface, each test in a fresh working directory with its own omra.ini and
// demo database.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <yzauto.h>
#include <yzinput.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/text.h"

namespace {

namespace fs = std::filesystem;
using yz::text::FromGbk;
using yz::text::ToGbk;

// The module's functions, resolved by name as a host does.
struct Module {
  void* handle = nullptr;
  template <class F>
  F Get(const char* name) {
    void* p = dlsym(handle, name);
    if (!p) throw std::runtime_error(std::string("missing export ") + name);
    return reinterpret_cast<F>(p);
  }
  decltype(&YzinputInitVariant) init;
  decltype(&ConfigEditOpenWindow) configOpen;
  decltype(&ConfigEditCreateForm) configCreate;
  decltype(&MaininputCreateForm) mainCreate;
  decltype(&btnClose) close;
  decltype(&btnSave) save;
  decltype(&yzauto_session) session;
  decltype(&yzauto_call_count) callCount;
  decltype(&yzauto_call) call;
  decltype(&yzauto_clear_calls) clearCalls;
  decltype(&yzauto_on_modal) onModal;
  decltype(&yzauto_get) get;
  decltype(&yzauto_set) set;
  decltype(&yzauto_click) click;
  decltype(&yzauto_queue_answer) answer;
  decltype(&yzauto_box_count) boxCount;
  decltype(&yzauto_box) box;
  decltype(&yzauto_clear_boxes) clearBoxes;
  decltype(&yzauto_close) closeWindow;
  decltype(&yzauto_sql) sql;
  decltype(&yzauto_host_window) hostWindow;
  decltype(&yzauto_last_error) lastError;
  decltype(&yzauto_set_text) setText;
  decltype(&yzauto_field) field;
  decltype(&yzauto_windows) windows;

  void Load() {
    handle = dlopen(YZINPUT_LIB, RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw std::runtime_error(dlerror());
    init = Get<decltype(init)>("YzinputInitVariant");
    configOpen = Get<decltype(configOpen)>("ConfigEditOpenWindow");
    configCreate = Get<decltype(configCreate)>("ConfigEditCreateForm");
    mainCreate = Get<decltype(mainCreate)>("MaininputCreateForm");
    close = Get<decltype(close)>("btnClose");
    save = Get<decltype(save)>("btnSave");
    session = Get<decltype(session)>("yzauto_session");
    callCount = Get<decltype(callCount)>("yzauto_call_count");
    call = Get<decltype(call)>("yzauto_call");
    clearCalls = Get<decltype(clearCalls)>("yzauto_clear_calls");
    onModal = Get<decltype(onModal)>("yzauto_on_modal");
    get = Get<decltype(get)>("yzauto_get");
    set = Get<decltype(set)>("yzauto_set");
    click = Get<decltype(click)>("yzauto_click");
    answer = Get<decltype(answer)>("yzauto_queue_answer");
    boxCount = Get<decltype(boxCount)>("yzauto_box_count");
    box = Get<decltype(box)>("yzauto_box");
    clearBoxes = Get<decltype(clearBoxes)>("yzauto_clear_boxes");
    closeWindow = Get<decltype(closeWindow)>("yzauto_close");
    sql = Get<decltype(sql)>("yzauto_sql");
    hostWindow = Get<decltype(hostWindow)>("yzauto_host_window");
    lastError = Get<decltype(lastError)>("yzauto_last_error");
    setText = Get<decltype(setText)>("yzauto_set_text");
    field = Get<decltype(field)>("yzauto_field");
    windows = Get<decltype(windows)>("yzauto_windows");
  }
};

Module& M() {
  static Module m = [] {
    Module x;
    x.Load();
    return x;
  }();
  return m;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class Boundary : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("yzb-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    old_ = fs::current_path();
    fs::current_path(dir_);
    M().clearCalls();
    M().clearBoxes();
  }
  void TearDown() override {
    M().onModal(nullptr, nullptr);
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  // omra.ini in GBK; each test keeps its own database file through the appserver value.
  void Ini(const std::string& utf8, bool withServer = true) {
    std::string text = utf8;
    if (withServer) text = "[server]\r\nappserver=sqlite:" + (dir_ / "ward.db").string() + "\r\n" + text;
    std::ofstream(dir_ / "omra.ini", std::ios::binary) << ToGbk(text);
  }
  void RawIni(const std::string& bytes) { std::ofstream(dir_ / "omra.ini", std::ios::binary) << bytes; }
  bool Init(const std::string& patient, const std::string& times, const std::string& user) {
    return M().init(ToGbk(patient).c_str(), ToGbk(times).c_str(), ToGbk(user).c_str(), 0x5A5A5A5A);
  }
  std::string S(const char* key) {
    const char* v = M().session(key);
    return v ? v : std::string("<error: ") + M().lastError() + ">";
  }
  std::vector<std::string> Calls(const std::string& kind = {}) {
    std::vector<std::string> out;
    for (int i = 0; i < M().callCount(); ++i) {
      std::string c = M().call(i);
      if (kind.empty() || c.find("\t" + kind + "\t") != std::string::npos) out.push_back(c);
    }
    return out;
  }
  std::vector<std::string> Statements() {
    std::vector<std::string> out;
    for (auto& c : Calls("open")) out.push_back(yz::text::Split(c, '\t')[4]);
    return out;
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (int i = 0; i < M().boxCount(); ++i) out.push_back(M().box(i));
    return out;
  }
  std::string Ini() { return FromGbk(Read(dir_ / "omra.ini")); }

  fs::path dir_, old_;
};

// Runs a std::function as the modal handler.
struct ModalWork {
  std::function<void(const std::string&)> fn;
  static int Call(const char* window, void* self) {
    static_cast<ModalWork*>(self)->fn(window);
    return 0;
  }
};

TEST_F(Boundary, NoSettingsFileGivesEveryDefault) {
  ASSERT_TRUE(Init("000100001", "1", "00001"));  // the embedded demo database in this directory
  struct {
    const char* key;
    const char* value;
  } cases[] = {{"yz_input", "2147483661"},          {"yz_confirm", "32768"},
               {"yz_proc", "16711680"},             {"yz_stop", "255"},
               {"NewOrder_report_code", "1000335"}, {"once_order_report_code", "501"},
               {"long_order_report_code", "507"},   {"poison_report_code", "0"},
               {"supply_sql_tag", "128"},           {"OWE_LIMIT", "-13.13"},
               {"appserver", ""},                   {"calc_balance", "1"},
               {"starttime_falg", "0"},             {"yz_limit", "0"},
               {"Auto_InsertDrugOnceOrder", "0"},   {"ONCE_TOP", "0"},
               {"ill_net_search1", "http://127.0.0.1/Pexlink/Trans.aspx?mode=2&SearchString="}};
  for (auto& c : cases) EXPECT_EQ(S(c.key), c.value) << c.key;
  EXPECT_EQ(S("employee_name"), "张主任");
  EXPECT_TRUE(fs::exists(dir_ / "yzdemo.db"));
}

TEST_F(Boundary, SettingsValuesAndNumberForms) {
  struct Case {
    const char* ini;
    const char* key;
    const char* value;
  } cases[] = {{"[user]\r\nOWE_LIMIT=\r\n", "OWE_LIMIT", "-13.13"},
               {"[user]\r\nOWE_LIMIT=0\r\n", "OWE_LIMIT", "0"},
               {"[user]\r\nowe_limit=-500.5\r\n", "OWE_LIMIT", "-500.5"},
               {"[COLOR]\r\nYZ_INPUT=0x8000000D\r\n", "yz_input", "2147483661"},
               {"[color]\r\nyz_confirm=16711680\r\n", "yz_confirm", "16711680"},
               {"[color]\r\nyz_stop=$FF00\r\n", "yz_stop", "65280"},
               {"[report]\r\nlong_order_report_code=abc\r\n", "long_order_report_code", "507"},
               {"[report]\r\nonce_order_report_code=2147483648\r\n", "once_order_report_code", "501"},
               {"[user]\r\nill_net_link_ip=10.1.1.1\r\n", "ill_net_search2",
                "http://10.1.1.1/Pexlink/Trans.aspx?mode=2&SearchString="},
               {"[user]\r\nward_name=内科\r\nsubsys_id=yz\r\n", "subsys_id", "yz"}};
  for (auto& c : cases) {
    Ini(c.ini);
    ASSERT_TRUE(Init("000100001", "1", "00001")) << c.ini;
    EXPECT_EQ(S(c.key), c.value) << c.ini;
  }
}

TEST_F(Boundary, SessionStatementsAndLookups) {
  Ini("[user]\r\nsubsys_id=yz\r\n");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  EXPECT_EQ(S("user_name"), "zhang");
  EXPECT_EQ(S("admiss_dept"), "0101");
  EXPECT_EQ(S("ward_name"), "内科一病区");
  EXPECT_EQ(S("in_out"), "in");
  EXPECT_EQ(S("order_class"), "3");
  auto st = Statements();
  std::vector<std::string> expected = {
      "select user_name from xt_user where user_mi = '00001'",
      "select name from a_employee_mi where emp_sn = '00001'",
      "select admiss_dept from zy_actpatient where patient_id = '000100001'",
      "select admiss_ward from zy_actpatient where patient_id = '000100001'",
      "select dept_name from zy_adtward where dept_sn = '0101'",
      "select ward_name from zy_adtward where ward_sn = '0111'",
      "select patient_id from zy_actpatient where patient_id = '000100001' and admiss_times = 1",
      "select  a.*,isnull(b.order_class,'1') order_class from a_employee_mi a,a_employee_add_info b where "
      "a.emp_sn*=b.emp_sn and a.emp_sn = '00001'"};
  ASSERT_GE(st.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(st.end() - static_cast<long>(expected.size()), st.end()), expected);
  auto methods = Calls("method");
  ASSERT_EQ(methods.size(), 2u);
  EXPECT_NE(methods[0].find("CheckUserFunc\t'zhang'; 'yz'; 'ovhk_yzstop_all'"), std::string::npos) << methods[0];
  EXPECT_NE(methods[1].find("'ovhk_del_yzother'"), std::string::npos);
}

TEST_F(Boundary, UnknownUserAndDischargedAdmission) {
  Ini("");
  ASSERT_TRUE(Init("000100002", "1", "99999"));
  EXPECT_EQ(S("user_name"), "");
  EXPECT_EQ(S("employee_name"), "");
  EXPECT_EQ(S("order_class"), "");
  EXPECT_EQ(S("in_out"), "out");  // this admission is no longer in the ward
  auto methods = Calls("method");
  ASSERT_EQ(methods.size(), 2u);
  EXPECT_NE(methods[0].find("CheckUserFunc\t''; ''; 'ovhk_yzstop_all'"), std::string::npos) << methods[0];
}

TEST_F(Boundary, QuotesInHostTextsCannotChangeAStatement) {
  Ini("");
  ASSERT_TRUE(Init("0001' or '1'='1", "1", "00001' --"));
  EXPECT_EQ(S("in_out"), "out");
  EXPECT_EQ(S("user_name"), "");
  for (auto& st : Statements()) {
    // Every quote that came from the host is doubled, so each literal stays one literal.
    if (st.find("0001") != std::string::npos && st.find("zy_actpatient") != std::string::npos) {
      EXPECT_NE(st.find("'0001'' or ''1''=''1'"), std::string::npos) << st;
    }
  }
  // An admission number that is not a whole number never reaches SQL: the call ends early.
  M().clearCalls();
  EXPECT_FALSE(Init("000100001", "1 or 1=1", "00001"));
  EXPECT_TRUE(Statements().empty());
  auto boxes = Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_NE(boxes.back().find("is not a valid admission number"), std::string::npos);
}

TEST_F(Boundary, BadSettingsFileLoadsDefaultsOrEndsEarly) {
  // Invalid GBK bytes, an overlong value and a non-numeric integer: defaults, no crash.
  RawIni("[server]\r\nappserver=sqlite:" + (dir_ / "ward.db").string() + "\r\n[user]\r\nsubsys_id=a\xFF\xFE" +
         "b\r\nhospital=" + std::string(5000, 'h') + "\r\nAuthorize_MaxTime=12x\r\n[Selected]\r\nsupply_sql_tag=\xB2\xBB\r\n");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  EXPECT_EQ(S("Authorize_MaxTime"), "0");
  EXPECT_EQ(S("supply_sql_tag"), "128");
  EXPECT_EQ(S("hospital").size(), 2047u);
  EXPECT_EQ(S("subsys_id").substr(0, 1), "a");
  // A page offset that is not a number ends the set-up early: the export returns false,
  // shows why, and the fields read before keep their new values.
  Ini("[user]\r\nyz_limit=1\r\nONCE_TOP=abc\r\n");
  M().clearBoxes();
  EXPECT_FALSE(Init("000100002", "1", "00001"));
  EXPECT_EQ(S("patient_id"), "000100002");
  EXPECT_EQ(S("yz_limit"), "1");
  ASSERT_EQ(M().boxCount(), 1);
  EXPECT_NE(std::string(M().box(0)).find("'abc' is not a valid floating point value"), std::string::npos);
}

TEST_F(Boundary, WindowExportsWithoutTheirWindowYet) {
  const char* info = nullptr;
  EXPECT_EQ(M().mainCreate(M().hostWindow(), &info), 0);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(FromGbk(info), "返回信息");
  EXPECT_TRUE(M().save());
  EXPECT_STREQ(M().close(), "0");
  EXPECT_NE(S("exports_without_window").find("MaininputCreateForm,btnSave,btnClose"), std::string::npos);
}

class ConfigWindow : public Boundary {
 protected:
  // Opens the parameter window modally; `work` runs while it is open.
  void Open(const std::function<void()>& work) {
    ModalWork w{[&](const std::string& window) {
      EXPECT_EQ(window, "frmConfigEdit");
      work();
      if (std::string(M().windows()).find("frmConfigEdit") != std::string::npos) M().closeWindow("frmConfigEdit", 2);
    }};
    M().onModal(&ModalWork::Call, &w);
    const char* info = nullptr;
    EXPECT_TRUE(M().configOpen(&info));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(FromGbk(info), "返回信息");
  }
  std::string Get(const char* control, const char* prop) {
    const char* v = M().get("frmConfigEdit", control, prop);
    return v ? v : std::string("<error: ") + M().lastError() + ">";
  }
};

TEST_F(ConfigWindow, LoadsTheSessionValues) {
  Ini("[user]\r\nyp_zy=1011\r\nyp_nono=1\r\nstarttime_falg=5\r\nact_order_no_table=yz_configure_yz\r\n");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  Open([&] {
    EXPECT_EQ(Get("", "Caption"), "系统参数维护");
    EXPECT_EQ(Get("cbxDept", "Text"), "0101  内科");
    EXPECT_EQ(Get("cbxWard", "Text"), "0111  内科一病区");
    EXPECT_EQ(Get("grdCyNoNo", "ItemIndex"), "1");
    EXPECT_EQ(Get("rgpStartTime", "ItemIndex"), "2");  // beyond the last item: the last
    EXPECT_EQ(Get("grdtimeset", "ItemIndex"), "1");
    EXPECT_EQ(Get("RadioGroup1", "ItemIndex"), "1");  // absent yz_frequence shows 自动
    EXPECT_EQ(Get("chkActOrderNo", "Checked"), "True");
    EXPECT_EQ(Get("chkNoComfirmShow", "Checked"), "True");
    EXPECT_STREQ(M().field("frmConfigEdit", "cdsYPzy", "group_no"), "1011");
    EXPECT_EQ(Get("DBLookupComboBox1", "Text"), "住院西药房");
  });
}

TEST_F(ConfigWindow, SaveWithoutChangesWritesOnlyItsKeys) {
  Ini("");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  std::string before = Ini();
  Open([&] {
    M().set("frmConfigEdit", "grdtimeset", "ItemIndex", "1");  // not what is saved
    M().answer(2);  // Cancel: stay
    EXPECT_EQ(M().click("frmConfigEdit", "btnPost1"), 0) << M().lastError();
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(yz::text::Split(boxes[0], '\t')[1], "新参数必须在重启应用程序后才生效，是否重启？");
    // The window stays open with the values already written.
    EXPECT_NE(std::string(M().windows()).find("frmConfigEdit"), std::string::npos);
  });
  std::string after = Ini();
  for (const char* line : {"starttime_falg=0", "yz_frequence=1", "yp_nono=0", "yp_use=0", "D_Printer_Index=",
                           "V_Printer_Index=", "act_order_no_table=0", "noconfirm_show=0",
                           "Auto_InsertDrugOnceOrder=0"})
    EXPECT_NE(after.find(line), std::string::npos) << line << "\n" << after;
  for (const char* key : {"dept_sn", "ward_sn", "dept_name", "yp_zy", "yp_Cydy", "yp_cy"})
    EXPECT_EQ(after.find(std::string(key) + "="), std::string::npos) << key;
  EXPECT_EQ(after.find(before.substr(0, before.find("[server]") + 8)), 0u);
}

TEST_F(ConfigWindow, PrinterListsShowAndSaveTheirPositions) {
  setenv("YZ_PRINTERS", "病区打印机;PDF", 1);
  Ini("[user]\r\nD_Printer_Index=1\r\nV_Printer_Index=7\r\n");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  Open([&] {
    EXPECT_EQ(Get("cbxDetailPrinter", "Items"), "病区打印机\nPDF");
    EXPECT_EQ(Get("cbxDetailPrinter", "ItemIndex"), "1");
    EXPECT_EQ(Get("cbxVisPrinter", "ItemIndex"), "-1");  // beyond the list: none chosen
    M().set("frmConfigEdit", "cbxVisPrinter", "ItemIndex", "0");
    M().answer(2);
    M().click("frmConfigEdit", "btnPost1");
  });
  unsetenv("YZ_PRINTERS");
  EXPECT_NE(Ini().find("D_Printer_Index=1"), std::string::npos);
  EXPECT_NE(Ini().find("V_Printer_Index=0"), std::string::npos);
}

TEST_F(ConfigWindow, ChangedValuesAndRestart) {
  Ini("");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  Open([&] {
    M().set("frmConfigEdit", "rgpStartTime", "ItemIndex", "2");
    M().set("frmConfigEdit", "RadioGroup1", "ItemIndex", "0");
    M().setText("frmConfigEdit", "cbxDept", "0201  外科");
    EXPECT_EQ(Get("cbxWard", "Text"), "0211  外科一病区");
    M().answer(1);  // OK: restart
    M().click("frmConfigEdit", "btnPost1");
  });
  std::string ini = Ini();
  EXPECT_NE(ini.find("starttime_falg=2"), std::string::npos);
  EXPECT_NE(ini.find("yz_frequence=0"), std::string::npos);
  EXPECT_NE(ini.find("dept_sn=0201"), std::string::npos);
  EXPECT_NE(ini.find("dept_name=外科"), std::string::npos);
  EXPECT_NE(ini.find("ward_sn=0211"), std::string::npos);
  EXPECT_EQ(S("restart_requested"), "1");
}

TEST_F(ConfigWindow, FailedSaveSaysSoAndStaysOpen) {
  Ini("");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  fs::create_directories(dir_ / "omra.ini.tmp");  // the file cannot be replaced
  Open([&] {
    M().answer(1);
    M().click("frmConfigEdit", "btnPost1");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(yz::text::Split(boxes[0], '\t')[1], "保存失败，请重试");
    EXPECT_NE(std::string(M().windows()).find("frmConfigEdit"), std::string::npos);
  });
}

TEST_F(ConfigWindow, EmbeddedIntoAHostWindow) {
  Ini("");
  ASSERT_TRUE(Init("000100001", "1", "00001"));
  intptr_t host = M().hostWindow();
  const char* info = nullptr;
  YzWindow w = M().configCreate(host, &info);
  EXPECT_NE(w, 0);
  EXPECT_EQ(FromGbk(info), "返回信息");
  EXPECT_EQ(Get("", "Align"), "alClient");
  EXPECT_EQ(Get("", "BorderStyle"), "bsNone");
  M().closeWindow("frmConfigEdit", 0);
  EXPECT_EQ(std::string(M().windows()).find("frmConfigEdit"), std::string::npos);
}

}  // namespace
