// A small stand-in for libyzinput.so: the twelve exports and the automation interface over a
// few windows kept in memory. It lets yzhost's parser, actions, expectations, failure lines
// and dumps be tested without the module. It records what it is asked and keeps the rules of
// the real interface that yzhost relies on (texts owned by the library, -1 plus a last error
// naming the missing window or control, boxes answered from a queue, modal windows handed to
// the handler).
#define YZINPUT_BUILD 1
#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "yzauto.h"
#include "yzinput.h"

namespace {

struct Dataset {
  std::vector<std::map<std::string, std::string>> rows;
  int cursor = 0;
};

struct Window {
  std::string name, cls, caption;
  std::map<std::string, std::map<std::string, std::string>> controls;
  std::map<std::string, Dataset> datasets;
  bool modal = false;
  bool modified = false;
};

struct State {
  std::string error;
  std::string ret;  // the text handed back by the last call
  std::map<std::string, std::string> session;
  std::vector<Window> windows;  // open windows, oldest first
  std::deque<int> answers;
  std::vector<std::string> boxes;
  std::vector<std::string> calls;
  std::vector<std::string> fixtures;
  std::map<std::string, std::string> faults;
  yzauto_modal_handler handler = nullptr;
  void* handlerContext = nullptr;
  intptr_t nextHandle = 1000;
  long long clockMs = 0;
};

State& S() {
  static State s;
  return s;
}

const char kInfoGbk[] = "\xb7\xb5\xbb\xd8\xd0\xc5\xcf\xa2";  // "返回信息" in GBK

int Error(const std::string& e) {
  S().error = e;
  return -1;
}

const char* Text(const std::string& t) {
  S().ret = t;
  return S().ret.c_str();
}

Window* FindWindow(const char* name) {
  auto& ws = S().windows;
  if (!name || !*name) {
    for (auto it = ws.rbegin(); it != ws.rend(); ++it) {
      if (it->modal) return &*it;
    }
    if (!ws.empty()) return &ws.back();
    S().error = "no window is open";
    return nullptr;
  }
  for (auto& w : ws) {
    if (w.name == name) return &w;
  }
  S().error = std::string("no window ") + name + " is open";
  return nullptr;
}

std::map<std::string, std::string>* FindControl(const char* window, const char* control, Window** wOut = nullptr) {
  Window* w = FindWindow(window);
  if (!w) return nullptr;
  if (wOut) *wOut = w;
  auto it = w->controls.find(control ? control : "");
  if (it == w->controls.end()) {
    S().error = std::string("no control ") + (control ? control : "") + " in window " + w->name;
    return nullptr;
  }
  return &it->second;
}

Dataset* FindDataset(const char* window, const char* dataset) {
  Window* w = FindWindow(window);
  if (!w) return nullptr;
  auto it = w->datasets.find(dataset);
  if (it == w->datasets.end()) {
    S().error = std::string("no dataset ") + dataset + " in window " + w->name;
    return nullptr;
  }
  return &it->second;
}

// Records a server call; answers false when a fault was set for its provider.
bool Call(const std::string& kind, const std::string& name, const std::string& text, std::string* fault) {
  auto f = S().faults.find(name);
  bool failed = f != S().faults.end();
  S().calls.push_back("embedded\t" + kind + "\t" + name + "\t\t" + text + "\t" + (failed ? "error: " + f->second : "ok"));
  if (failed && fault) *fault = f->second;
  return !failed;
}

// Shows a box: kind 1 OK, 2 OK/Cancel, 3 Yes/No.
int Box(const std::string& caption, const std::string& text, int kind) {
  static const char* buttons[] = {"", "OK", "OK,Cancel", "Yes,No"};
  int answer;
  bool expected = !S().answers.empty();
  if (expected) {
    answer = S().answers.front();
    S().answers.pop_front();
  } else {
    answer = kind == 1 ? 1 : kind == 2 ? 2 : 7;
  }
  static const std::map<int, std::string> names = {{1, "OK"}, {2, "Cancel"}, {6, "Yes"}, {7, "No"}};
  S().boxes.push_back(caption + "\t" + text + "\t" + (caption == "错误" ? "error" : "warning") + "\t" +
                      buttons[kind] + "\t" + names.at(answer) + "\t" + (expected ? "expected" : "unexpected"));
  return answer;
}

void CloseWindow(const std::string& name) {
  auto& ws = S().windows;
  for (auto it = ws.begin(); it != ws.end(); ++it) {
    if (it->name == name) {
      ws.erase(it);
      return;
    }
  }
}

Window MakeConfig() {
  Window w{"frmConfigEdit", "TfrmConfigEdit", "系统参数维护", {}, {}, false, false};
  w.controls["cbxDept"] = {{"Text", "0101  内科"}, {"Items", "0101  内科\n0201  外科"}};
  w.controls["cbxWard"] = {{"Text", "0111  内科一病区"}};
  w.controls["RadioGroup1"] = {{"ItemIndex", "1"}};
  w.controls["btnPost1"] = {{"Caption", "保存&P"}};
  w.controls["btnQuit1"] = {{"Caption", "关闭&Q"}};
  w.datasets["cdsGetDept"].rows = {{{"dept_sn", "0101"}, {"dept_name", "内科"}},
                                   {{"dept_sn", "0201"}, {"dept_name", "外科"}}};
  return w;
}

Window MakeMain() {
  Window w{"frmMainInput", "TfrmMainInput", "医嘱录入", {}, {}, false, false};
  w.controls["edtInput"] = {{"Text", ""}};
  w.controls["btnsave"] = {{"Caption", "保存S"}, {"Enabled", "0"}};
  w.controls["dbgOrders"] = {{"Row", "1"}, {"Col", "0"}};
  w.datasets["dmYzInput.cdsActOrder"].rows = {{{"order_name", "阿莫西林胶囊"}, {"dose", "0.25"}},
                                              {{"order_name", "一级护理"}, {"dose", ""}}};
  return w;
}

Window MakeGroup() { return Window{"frm_groupyz_input", "Tfrm_groupyz_input", "组套医嘱", {}, {}, false, false}; }

YzWindow Create(Window w, const char** info) {
  S().windows.push_back(std::move(w));
  *info = kInfoGbk;
  return S().nextHandle++;
}

bool Modal(Window w, const char** info) {
  std::string name = w.name;
  w.modal = true;
  S().windows.push_back(std::move(w));
  if (!S().handler) {
    S().error = "no modal handler for " + name;
    Box("错误", S().error, 1);
    CloseWindow(name);
    return true;
  }
  S().handler(name.c_str(), S().handlerContext);
  if (FindWindow(name.c_str())) {  // the handler must close it
    Box("错误", "the modal window " + name + " was left open", 1);
    CloseWindow(name);
  }
  *info = kInfoGbk;
  return true;
}

std::string Escape(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == '"' || c == '\\') r += '\\';
    r += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return r;
}

}  // namespace

extern "C" {

bool YzinputInitVariant(const char* patient, const char* admiss, const char* user, int32_t) {
  auto& s = S().session;
  s.clear();
  s["patient_id"] = patient;
  s["admiss_times"] = admiss;
  s["user_code"] = user;
  std::string fault;
  if (!Call("open", "DSP_dict", std::string("select user_name from xt_user where user_mi = '") + user + "'", &fault)) {
    Box("错误", fault, 1);
    return true;
  }
  bool known = std::string(user) == "00001";
  s["user_name"] = known ? "zhang" : "";
  s["employee_name"] = known ? "张主任" : "";
  s["dept_name"] = "内科";
  s["ward_name"] = "内科一病区";
  s["in_out"] = std::string(patient) == "000100001" ? "in" : "out";
  s["yz_input"] = "2147483661";
  s["OWE_LIMIT"] = "-13.13";
  Call("method", "CheckUserFunc", "", nullptr);
  return true;
}

YzWindow MaininputCreateForm(YzWindow, const char** info) { return Create(MakeMain(), info); }
YzWindow GroupinputCreateForm(YzWindow, const char** info) { return Create(MakeGroup(), info); }
YzWindow ConfigEditCreateForm(YzWindow, const char** info) { return Create(MakeConfig(), info); }
bool MaininputOpenWindow(const char** info) { return Modal(MakeMain(), info); }
bool GroupinputOpenWindow(const char** info) { return Modal(MakeGroup(), info); }
bool ConfigEditOpenWindow(const char** info) { return Modal(MakeConfig(), info); }

bool btnNew(void) {
  Call("method", "btnNew", "", nullptr);
  return true;
}
bool btnSave(void) {
  if (Window* w = FindWindow("frmMainInput")) {
    if (w->modified) Call("apply", "dspActOrder", "save orders", nullptr);
    w->modified = false;
  }
  return true;
}
bool btnDel(void) { return true; }
bool btnCancel(void) { return true; }
const char* btnClose(void) {
  Window* w = FindWindow("frmMainInput");
  if (!w) return "0";
  if (w->modified && Box("提示", "数据没有保存，是否退出?", 3) == 7) return "1";
  CloseWindow("frmMainInput");
  return "0";
}

const char* yzauto_last_error(void) { return S().error.c_str(); }

int yzauto_set_time(const char* t) {
  if (std::string(t).size() != 19) return Error(std::string("'") + t + "' is not a valid date and time");
  S().session["clock"] = t;
  S().clockMs = 0;
  return 0;
}
int yzauto_advance(int ms) {
  S().clockMs += ms;
  S().session["clock_ms"] = std::to_string(S().clockMs);
  return 0;
}
int yzauto_process_messages(void) { return 0; }

const char* yzauto_sql(const char* statement) {
  std::string q = statement;
  if (q.find("bad") != std::string::npos) {
    S().error = "near \"bad\": syntax error";
    return nullptr;
  }
  if (q.rfind("insert", 0) == 0) {
    S().fixtures.push_back(q);
    return Text("");
  }
  if (q == "select count(*) from fixtures") return Text(std::to_string(S().fixtures.size()) + "\n");
  if (q == "select * from fixtures") {
    std::string r;
    for (auto& f : S().fixtures) r += f + "|null\n";
    return Text(r);
  }
  return Text("");
}

intptr_t yzauto_host_window(void) { return S().nextHandle++; }

int yzauto_focus(const char* window, const char* control) {
  Window* w = nullptr;
  if (!FindControl(window, control, &w)) return -1;
  w->controls[""]["ActiveControl"] = control;
  return 0;
}
int yzauto_set_text(const char* window, const char* control, const char* text) {
  Window* w = nullptr;
  auto* c = FindControl(window, control, &w);
  if (!c) return -1;
  (*c)["Text"] = text;
  w->modified = true;
  return 0;
}
int yzauto_type(const char* window, const char* control, const char* chars) {
  Window* w = nullptr;
  auto* c = FindControl(window, control, &w);
  if (!c) return -1;
  (*c)["Text"] += chars;
  w->modified = true;
  return 0;
}
int yzauto_key(const char* window, const char* control, const char* key) {
  std::string k = key;
  if (k.empty() || k == "Bogus") return Error("unknown key " + k);
  if (*control) {
    auto* c = FindControl(window, control);
    if (!c) return -1;
    (*c)["LastKey"] = k;
  } else {
    Window* w = FindWindow(window);
    if (!w) return -1;
    w->controls[""]["LastKey"] = k;
  }
  return 0;
}
int yzauto_click(const char* window, const char* control) {
  Window* w = nullptr;
  auto* c = FindControl(window, control, &w);
  if (!c) return -1;
  std::string name = w->name;
  if (name == "frmConfigEdit" && std::string(control) == "btnPost1") {
    std::ofstream("omra.ini", std::ios::binary | std::ios::trunc)
        << "[user]\r\nyz_frequence=" << w->controls["RadioGroup1"]["ItemIndex"] << "\r\n";
    if (Box("提示", "新参数必须在重启应用程序后才生效，是否重启？", 2) == 1) CloseWindow(name);
  } else if (std::string(control) == "btnQuit1") {
    CloseWindow(name);
  } else {
    (*c)["Clicks"] = std::to_string(std::stoi((*c)["Clicks"].empty() ? "0" : (*c)["Clicks"]) + 1);
  }
  return 0;
}
int yzauto_dblclick(const char* window, const char* control) {
  auto* c = FindControl(window, control);
  if (!c) return -1;
  (*c)["DblClicks"] = "1";
  return 0;
}
int yzauto_menu(const char* window, const char* item) {
  Window* w = FindWindow(window);
  if (!w) return -1;
  if (std::string(item) != "打印|长期医嘱单" && std::string(item) != "miLongSheet")
    return Error(std::string("no menu item ") + item + " in window " + w->name);
  w->controls[""]["LastMenu"] = item;
  return 0;
}
int yzauto_grid_cell(const char* window, const char* grid, int row, int column) {
  auto* c = FindControl(window, grid);
  if (!c) return -1;
  (*c)["Row"] = std::to_string(row);
  (*c)["Col"] = std::to_string(column);
  return 0;
}

const char* yzauto_get(const char* window, const char* control, const char* property) {
  Window* w = FindWindow(window);
  if (!w) return nullptr;
  std::string p = property;
  if (!*control) {
    if (p == "Caption") return Text(w->caption);
    if (p == "Name") return Text(w->name);
    if (p == "ClassName") return Text(w->cls);
  }
  auto* c = FindControl(window, control);
  if (!c) return nullptr;
  auto it = c->find(p);
  if (it == c->end()) {
    S().error = "no property " + p + " on " + w->name + (*control ? std::string(".") + control : "");
    return nullptr;
  }
  return Text(it->second);
}
int yzauto_set(const char* window, const char* control, const char* property, const char* value) {
  Window* w = FindWindow(window);
  if (!w) return -1;
  if (!*control) {
    if (std::string(property) != "Caption") return Error(std::string("cannot set ") + property + " of " + w->name);
    w->caption = value;
    return 0;
  }
  auto* c = FindControl(window, control);
  if (!c) return -1;
  if (!c->count(property)) return Error(std::string("no property ") + property + " on " + w->name + "." + control);
  (*c)[property] = value;
  return 0;
}
const char* yzauto_field(const char* window, const char* dataset, const char* field) {
  Dataset* d = FindDataset(window, dataset);
  if (!d) return nullptr;
  if (d->rows.empty()) return Text("");
  auto& row = d->rows[d->cursor];
  auto it = row.find(field);
  if (it == row.end()) {
    S().error = std::string("no field ") + field + " in " + dataset;
    return nullptr;
  }
  return Text(it->second);
}
int yzauto_dataset_row(const char* window, const char* dataset, int row) {
  Dataset* d = FindDataset(window, dataset);
  if (!d) return -1;
  if (row < 1 || row > static_cast<int>(d->rows.size()))
    return Error(std::string(dataset) + " has no row " + std::to_string(row));
  d->cursor = row - 1;
  return 0;
}
int yzauto_open_demo(const char* name) { return Error(std::string("no demo window ") + name + " in the stand-in"); }
const char* yzauto_windows(void) {
  std::string r;
  for (auto& w : S().windows) r += w.name + "\t" + w.cls + "\t" + w.caption + "\n";
  return Text(r);
}
const char* yzauto_dump(const char* what, const char* format) {
  std::string wname = what, ds;
  size_t dot = wname.find('.');
  if (dot != std::string::npos) {
    ds = wname.substr(dot + 1);
    wname = wname.substr(0, dot);
  }
  Window* w = FindWindow(wname.c_str());
  if (!w) return nullptr;
  bool json = std::string(format) == "json";
  std::string r;
  if (!ds.empty()) {
    Dataset* d = FindDataset(wname.c_str(), ds.c_str());
    if (!d) return nullptr;
    r = json ? "[" : "";
    for (size_t i = 0; i < d->rows.size(); ++i) {
      r += json ? (i ? ", {" : "{") : "";
      bool first = true;
      for (auto& [k, v] : d->rows[i]) {
        r += json ? (first ? "" : ", ") + ("\"" + k + "\": \"" + Escape(v) + "\"") : (first ? "" : "\t") + k + "=" + v;
        first = false;
      }
      r += json ? "}" : "\n";
    }
    if (json) r += "]";
    return Text(r);
  }
  if (json) {
    r = "{\"name\": \"" + w->name + "\", \"class\": \"" + w->cls + "\", \"Caption\": \"" + Escape(w->caption) +
        "\", \"controls\": [";
    bool firstC = true;
    for (auto& [cname, props] : w->controls) {
      if (cname.empty()) continue;
      r += std::string(firstC ? "" : ", ") + "{\"name\": \"" + cname + "\"";
      for (auto& [k, v] : props) r += ", \"" + k + "\": \"" + Escape(v) + "\"";
      r += "}";
      firstC = false;
    }
    return Text(r + "]}");
  }
  r = w->name + " (" + w->cls + ") Caption=" + w->caption + "\n";
  for (auto& [cname, props] : w->controls) {
    if (cname.empty()) continue;
    r += "  " + cname;
    for (auto& [k, v] : props) r += " " + k + "=" + Escape(v);
    r += "\n";
  }
  return Text(r);
}

int yzauto_queue_answer(int answer) {
  if (answer != 1 && answer != 2 && answer != 6 && answer != 7) return Error("bad answer");
  S().answers.push_back(answer);
  return 0;
}
int yzauto_box_count(void) { return static_cast<int>(S().boxes.size()); }
const char* yzauto_box(int index) {
  if (index < 0 || index >= static_cast<int>(S().boxes.size())) return nullptr;
  return Text(S().boxes[index]);
}
int yzauto_clear_boxes(void) {
  S().boxes.clear();
  return 0;
}

int yzauto_on_modal(yzauto_modal_handler handler, void* context) {
  S().handler = handler;
  S().handlerContext = context;
  return 0;
}
int yzauto_close(const char* window, int) {
  Window* w = FindWindow(window);
  if (!w) return -1;
  CloseWindow(w->name);
  return 0;
}

int yzauto_call_count(void) { return static_cast<int>(S().calls.size()); }
const char* yzauto_call(int index) {
  if (index < 0 || index >= static_cast<int>(S().calls.size())) return nullptr;
  return Text(S().calls[index]);
}
int yzauto_clear_calls(void) {
  S().calls.clear();
  return 0;
}
int yzauto_fail_call(const char* name, const char* text) {
  if (!text || !*text) {
    S().faults.erase(name);
  } else {
    S().faults[name] = text;
  }
  return 0;
}

const char* yzauto_session(const char* key) {
  auto it = S().session.find(key);
  if (it == S().session.end()) {
    S().error = std::string("no session key ") + key;
    return nullptr;
  }
  return Text(it->second);
}

}  // extern "C"
