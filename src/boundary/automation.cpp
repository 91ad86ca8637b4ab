// The automation interface: works the module's windows by component name for yzhost and
// acceptance scripts. Texts are UTF-8. Every function catches everything and reports through
// yzauto_last_error().
#include <yzauto.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <sstream>

#include "boundary/configedit.h"
#include "boundary/module.h"
#include "framework/components.h"
#include "framework/lookupdemo.h"
#include "framework/session.h"
#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/os/profile.h"
#include "platform/ui/controls.h"
#include "platform/ui/dbgrid.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "remote/callrecord.h"
#include "remote/transport.h"
#include "servers/database.h"
#include "servers/servers.h"

namespace yz {
namespace {

std::string g_error;
std::string g_out;
std::unique_ptr<ManualClock> g_clock;

const char* Out(std::string s) {
  g_out = std::move(s);
  return g_out.c_str();
}

std::string Str(const char* s) { return s ? s : ""; }

// Runs fn; answers 0, or -1 with the error kept for yzauto_last_error.
int Run(const std::function<void()>& fn) {
  try {
    g_error.clear();
    fn();
    return 0;
  } catch (const std::exception& e) {
    g_error = e.what();
  } catch (...) {
    g_error = "unknown error";
  }
  return -1;
}

const char* RunText(const std::function<std::string()>& fn) {
  try {
    g_error.clear();
    return Out(fn());
  } catch (const std::exception& e) {
    g_error = e.what();
  } catch (...) {
    g_error = "unknown error";
  }
  return nullptr;
}

// The open windows: the module's own and every dialog the toolkit knows, oldest first.
std::vector<ui::Form*> Windows() {
  std::vector<ui::Form*> all = ModuleWindows();
  for (ui::Form* f : ui::App().Forms())
    if (std::find(all.begin(), all.end(), f) == all.end()) all.push_back(f);
  return all;
}

ui::Form& FindWindow(const std::string& name) {
  if (name.empty() || name == "*") {
    if (ui::Form* f = ui::App().ActiveForm()) return *f;
    auto all = Windows();
    if (!all.empty()) return *all.back();
    throw Error("No window is open");
  }
  auto all = Windows();
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (text::SameText((*it)->Name(), name)) return **it;
  throw Error("No window named '" + name + "' is open");
}

// A component of the window by name; "a.b" looks into an owned component (a data module).
ui::Component& FindIn(ui::Form& w, const std::string& name) {
  if (name.empty()) return w;
  ui::Component* c = &w;
  for (auto& part : text::Split(name, '.')) {
    ui::Component* next = c->FindComponent(part);
    if (!next) throw Error("Window '" + w.Name() + "' has no component named '" + name + "'");
    c = next;
  }
  return *c;
}

template <class T>
T& As(ui::Component& c, const char* what) {
  auto* t = dynamic_cast<T*>(&c);
  if (!t) throw Error("'" + c.Name() + "' (" + c.ClassName() + ") is not " + what);
  return *t;
}

data::DataSet& FindDataSet(ui::Form& w, const std::string& name) {
  auto& c = FindIn(w, name);
  if (auto* cds = dynamic_cast<data::DataSet*>(&c)) return *cds;
  throw Error("'" + name + "' of window '" + w.Name() + "' is not a dataset");
}

struct KeyName {
  const char* name;
  ui::Word key;
};
const KeyName kKeys[] = {{"Enter", ui::VK_RETURN}, {"Return", ui::VK_RETURN}, {"Esc", ui::VK_ESCAPE},
                         {"Escape", ui::VK_ESCAPE}, {"Tab", ui::VK_TAB},       {"Up", ui::VK_UP},
                         {"Down", ui::VK_DOWN},     {"Left", ui::VK_LEFT},     {"Right", ui::VK_RIGHT},
                         {"Home", ui::VK_HOME},     {"End", ui::VK_END},       {"PageUp", ui::VK_PRIOR},
                         {"PageDown", ui::VK_NEXT}, {"Delete", ui::VK_DELETE}, {"Backspace", ui::VK_BACK},
                         {"Space", ui::VK_SPACE},   {"Insert", ui::VK_INSERT}};

void ParseKey(const std::string& keyText, ui::Word* key, ui::ShiftState* shift) {
  *shift = 0;
  std::string rest = keyText;
  for (;;) {
    if (text::StartsWith(text::Lower(rest), "alt+")) *shift |= ui::ssAlt, rest = rest.substr(4);
    else if (text::StartsWith(text::Lower(rest), "ctrl+")) *shift |= ui::ssCtrl, rest = rest.substr(5);
    else if (text::StartsWith(text::Lower(rest), "shift+")) *shift |= ui::ssShift, rest = rest.substr(6);
    else break;
  }
  for (auto& k : kKeys)
    if (text::SameText(rest, k.name)) {
      *key = k.key;
      return;
    }
  if ((rest[0] == 'F' || rest[0] == 'f') && rest.size() >= 2 && rest.size() <= 3) {
    int n = 0;
    for (size_t i = 1; i < rest.size(); ++i) n = rest[i] >= '0' && rest[i] <= '9' ? n * 10 + rest[i] - '0' : 99;
    if (n >= 1 && n <= 12) {
      *key = static_cast<ui::Word>(ui::VK_F1 + n - 1);
      return;
    }
  }
  if (rest.size() == 1 && ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= '0' && rest[0] <= '9') ||
                           (rest[0] >= 'a' && rest[0] <= 'z'))) {
    *key = static_cast<ui::Word>(text::Upper(rest)[0]);
    return;
  }
  throw Error("Unknown key '" + keyText + "'");
}

ui::MenuItem* FindMenuItem(ui::MenuItem& root, const std::vector<std::string>& path, size_t at) {
  for (int i = 0; i < root.Count(); ++i) {
    ui::MenuItem* item = root.Items(i);
    std::string caption = text::ReplaceAll(item->Caption, "&", "");
    if (caption == path[at] || text::SameText(item->Name(), path[at])) {
      if (at + 1 == path.size()) return item;
      if (auto* found = FindMenuItem(*item, path, at + 1)) return found;
    }
  }
  return nullptr;
}

// A windowed control to type into, focused first.
ui::WinControl& Focused(ui::Form& w, const std::string& control) {
  if (!control.empty()) {
    auto& c = As<ui::WinControl>(FindIn(w, control), "a windowed control");
    if (!c.Focused() && !ui::user::Focus(c) && !c.Focused())
      throw Error("'" + control + "' cannot take the focus");
    return c;
  }
  if (auto* a = w.ActiveControl()) return *a;
  return w;
}

std::string SessionValue(const std::string& key) {
  auto& s = Session();
  auto& t = s.settings;
  auto b = [](bool v) { return std::string(v ? "1" : "0"); };
  auto n = [](double v) { return FormatNumber(v); };
  auto u = [](uint32_t v) { return std::to_string(v); };
  auto i = [](int32_t v) { return std::to_string(v); };
  const std::vector<std::pair<const char*, std::function<std::string()>>> table = {
      {"patient_id", [&] { return s.patient_id; }},
      {"admiss_times", [&] { return s.admiss_times; }},
      {"user_code", [&] { return s.user_code; }},
      {"user_name", [&] { return s.user_name; }},
      {"employee_name", [&] { return s.employee_name; }},
      {"admiss_dept", [&] { return s.admiss_dept; }},
      {"admiss_ward", [&] { return s.admiss_ward; }},
      {"dept_name", [&] { return s.dept_name; }},
      {"ward_name", [&] { return s.ward_name; }},
      {"in_out", [&] { return s.in_out; }},
      {"order_flag", [&] { return s.order_flag; }},
      {"order_class", [&] { return s.order_class; }},
      {"ovhk_yzstop_all", [&] { return b(s.ovhk_yzstop_all); }},
      {"ovhk_del_yzother", [&] { return b(s.ovhk_del_yzother); }},
      {"host_window", [&] { return std::to_string(s.host_window); }},
      {"yz_input", [&] { return u(t.yz_input); }},
      {"yz_confirm", [&] { return u(t.yz_confirm); }},
      {"yz_proc", [&] { return u(t.yz_proc); }},
      {"yz_stop", [&] { return u(t.yz_stop); }},
      {"subsys_id", [&] { return t.subsys_id; }},
      {"hospital", [&] { return t.hospital; }},
      {"appserver", [&] { return t.appserver; }},
      {"yz_frequence", [&] { return t.yz_frequence; }},
      {"yp_cy", [&] { return t.yp_cy; }},
      {"yp_zy", [&] { return t.yp_zy; }},
      {"yp_zc", [&] { return t.yp_zc; }},
      {"yp_kf", [&] { return t.yp_kf; }},
      {"yp_cydy", [&] { return t.yp_cydy; }},
      {"yp_dsy", [&] { return t.yp_dsy; }},
      {"yp_pjzx", [&] { return t.yp_pjzx; }},
      {"yp_nono", [&] { return t.yp_nono; }},
      {"yp_use", [&] { return t.yp_use; }},
      {"starttime_falg", [&] { return t.starttime_falg; }},
      {"calc_balance", [&] { return t.calc_balance; }},
      {"act_order_no_table", [&] { return t.act_order_no_table; }},
      {"add_information", [&] { return t.add_information; }},
      {"yz_limit", [&] { return t.yz_limit; }},
      {"OrderInputN", [&] { return t.OrderInputN; }},
      {"ill_net_link_ip", [&] { return t.ill_net_link_ip; }},
      {"ill_net_search1", [&] { return t.ill_net_search1; }},
      {"ill_net_search2", [&] { return t.ill_net_search2; }},
      {"Auto_InsertDrugOnceOrder", [&] { return b(t.Auto_InsertDrugOnceOrder); }},
      {"ONCE_TOP", [&] { return n(t.ONCE_TOP); }},
      {"ONCE_LEFT", [&] { return n(t.ONCE_LEFT); }},
      {"LONG_TOP", [&] { return n(t.LONG_TOP); }},
      {"LONG_LEFT", [&] { return n(t.LONG_LEFT); }},
      {"OWE_LIMIT", [&] { return n(t.OWE_LIMIT); }},
      {"Authorize_MaxTime", [&] { return i(t.Authorize_MaxTime); }},
      {"NewOrder_report_code", [&] { return i(t.NewOrder_report_code); }},
      {"once_order_report_code", [&] { return i(t.once_order_report_code); }},
      {"long_order_report_code", [&] { return i(t.long_order_report_code); }},
      {"poison_report_code", [&] { return i(t.poison_report_code); }},
      {"supply_sql_tag", [&] { return i(t.supply_sql_tag); }},
      {"exports_without_window", [] { return text::Join(Module().withoutWindow, ","); }},
      {"restart_requested", [&] { return b(TfrmConfigEdit::RestartRequested()); }},
  };
  for (auto& [name, get] : table)
    if (text::SameText(name, key)) return get();
  throw Error("The session has no value named '" + key + "'");
}

servers::Database& ReferenceDatabase() {
  std::string appserver = Session().settings.appserver;
  if (appserver.empty()) appserver = os::ProfileFile(SettingsPath()).ReadString("server", "appserver", "");
  std::string location = remote::EmbeddedLocation(appserver);
  if (location.empty()) throw Error("The servers at '" + appserver + "' are not embedded: no database to reach");
  return *servers::DatabaseAt(location);
}

nlohmann::json ComponentJson(const ui::Component& c) {
  nlohmann::json props = nlohmann::json::object();
  for (auto& name : c.PropertyNames()) {
    try {
      props[name] = c.GetProperty(name);
    } catch (const std::exception& e) {
      props[name] = std::string("<") + e.what() + ">";
    }
  }
  nlohmann::json children = nlohmann::json::array();
  for (int i = 0; i < c.ComponentCount(); ++i) children.push_back(ComponentJson(*c.Components(i)));
  return {{"name", c.Name()}, {"class", c.ClassName()}, {"properties", props}, {"components", children}};
}

void ComponentText(const ui::Component& c, int depth, std::string& out) {
  out += std::string(static_cast<size_t>(depth) * 2, ' ') + c.ClassName() + " " + c.Name();
  std::string props;
  for (auto& name : c.PropertyNames()) {
    if (text::SameText(name, "Name")) continue;
    std::string v;
    try {
      v = c.GetProperty(name);
    } catch (const std::exception&) {
      continue;
    }
    if (v.empty()) continue;
    props += (props.empty() ? "" : "; ") + name + "=" + v;
  }
  if (!props.empty()) out += ": " + props;
  out += "\n";
  for (int i = 0; i < c.ComponentCount(); ++i) ComponentText(*c.Components(i), depth + 1, out);
}

std::string DataSetDump(data::DataSet& ds, bool json) {
  if (!ds.Active()) throw Error("The dataset '" + ds.Name + "' is closed");
  data::DataPacket p = ds.Data();
  if (json) {
    nlohmann::json rows = nlohmann::json::array();
    for (auto& r : p.rows) {
      nlohmann::json row = nlohmann::json::object();
      for (size_t i = 0; i < p.columns.size(); ++i)
        row[p.columns[i].name] = r.values[i].IsNull() ? nlohmann::json(nullptr) : nlohmann::json(r.values[i].ToString());
      rows.push_back(row);
    }
    return rows.dump(2);
  }
  std::vector<std::string> header;
  for (auto& c : p.columns) header.push_back(c.name);
  std::string out = text::Join(header, "|") + "\n";
  for (auto& r : p.rows) {
    std::vector<std::string> cells;
    for (auto& v : r.values) cells.push_back(v.IsNull() ? "null" : v.ToString());
    out += text::Join(cells, "|") + "\n";
  }
  return out;
}

std::string KindOf(const std::string& kind) {
  if (kind == "GetRecords") return "open";
  if (kind == "ApplyUpdates") return "apply";
  if (kind == "Execute") return "execute";
  if (kind == "GetParams") return "params";
  if (kind == "Call") return "method";
  return text::Lower(kind);
}

std::string OneLine(std::string s) {
  for (auto& c : s)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return s;
}

yzauto_modal_handler g_modal = nullptr;
void* g_modalContext = nullptr;

}  // namespace
}  // namespace yz

using namespace yz;

extern "C" {

YZAUTO_API const char* yzauto_last_error(void) { return g_error.c_str(); }

YZAUTO_API int yzauto_set_time(const char* datetime) {
  return Run([&] {
    DateTime t = DateTime::ParseOrThrow(Str(datetime));
    if (!g_clock) g_clock = std::make_unique<ManualClock>(t);
    g_clock->Set(t);
    SetClock(g_clock.get());
  });
}

YZAUTO_API int yzauto_advance(int milliseconds) {
  return Run([&] {
    if (!g_clock) {
      g_clock = std::make_unique<ManualClock>(GetClock().Now());
      SetClock(g_clock.get());
    }
    ui::App().Advance(milliseconds);
  });
}

YZAUTO_API int yzauto_process_messages(void) {
  return Run([] { ui::App().ProcessMessages(); });
}

YZAUTO_API const char* yzauto_sql(const char* statement) {
  return RunText([&] {
    servers::InstallEmbeddedServers();
    data::DataPacket p = ReferenceDatabase().Query(Str(statement));
    std::string out;
    for (auto& r : p.rows) {
      std::vector<std::string> cells;
      for (auto& v : r.values) cells.push_back(v.IsNull() ? "null" : v.ToString());
      out += text::Join(cells, "|") + "\n";
    }
    if (!out.empty()) out.pop_back();
    return out;
  });
}

YZAUTO_API intptr_t yzauto_host_window(void) { return os::CreateHostWindow(); }

YZAUTO_API int yzauto_open_demo(const char* name) {
  return Run([&] {
    if (!text::SameText(Str(name), "lookup")) throw Error("There is no demo window '" + Str(name) + "' (lookup)");
    TfrmLookupDemo* f = nullptr;
    if (!ui::App().Guard([&] { f = TfrmLookupDemo::Open(); }) || !f)
      throw Error("The demo window could not be opened: " + ui::App().Boxes().back().text);
    AddModuleWindow(f);
  });
}

YZAUTO_API int yzauto_focus(const char* window, const char* control) {
  return Run([&] { Focused(FindWindow(Str(window)), Str(control)); });
}

YZAUTO_API int yzauto_set_text(const char* window, const char* control, const char* value) {
  return Run([&] {
    auto& c = As<ui::Control>(FindIn(FindWindow(Str(window)), Str(control)), "a control");
    if (!c.IsEnabled()) throw Error("'" + c.Name() + "' is disabled");
    ui::App().Guard([&] {
      if (auto* combo = dynamic_cast<ui::ComboBox*>(&c)) {
        // A text that is one of the items is picked from the list; any other text is typed.
        std::string v = Str(value);
        for (size_t i = 0; i < combo->Items.size(); ++i)
          if (combo->Items[i] == v) return combo->SelectByUser(static_cast<int>(i));
        combo->SetText(v);
        if (combo->OnChange) combo->OnChange(*combo);
        return;
      }
      c.SetText(Str(value));
    });
  });
}

YZAUTO_API int yzauto_type(const char* window, const char* control, const char* characters) {
  return Run([&] {
    auto& w = FindWindow(Str(window));
    Focused(w, Str(control));
    ui::user::Type(w, Str(characters));
  });
}

YZAUTO_API int yzauto_key(const char* window, const char* control, const char* key) {
  return Run([&] {
    auto& w = FindWindow(Str(window));
    ui::Word k;
    ui::ShiftState shift;
    ParseKey(Str(key), &k, &shift);
    Focused(w, Str(control));
    ui::user::Press(w, k, shift);
  });
}

YZAUTO_API int yzauto_click(const char* window, const char* control) {
  return Run([&] {
    auto& c = FindIn(FindWindow(Str(window)), Str(control));
    if (auto* item = dynamic_cast<ui::MenuItem*>(&c)) {
      ui::App().Guard([&] { item->Click(); });
      return;
    }
    auto& ctl = As<ui::Control>(c, "a control");
    if (!ctl.Showing() || !ctl.IsEnabled()) throw Error("'" + ctl.Name() + "' cannot be clicked (hidden or disabled)");
    ui::user::Click(ctl);
  });
}

YZAUTO_API int yzauto_dblclick(const char* window, const char* control) {
  return Run([&] { ui::user::DblClick(As<ui::Control>(FindIn(FindWindow(Str(window)), Str(control)), "a control")); });
}

YZAUTO_API int yzauto_menu(const char* window, const char* item) {
  return Run([&] {
    auto& w = FindWindow(Str(window));
    std::string itemPath = Str(item);
    if (auto* mi = dynamic_cast<ui::MenuItem*>(w.FindComponent(itemPath))) {
      ui::App().Guard([&] { mi->Click(); });
      return;
    }
    auto path = text::Split(itemPath, '|');
    for (int i = 0; i < w.ComponentCount(); ++i)
      if (auto* menu = dynamic_cast<ui::Menu*>(w.Components(i)))
        if (auto* found = FindMenuItem(menu->Items(), path, 0)) {
          ui::App().Guard([&] { found->Click(); });
          return;
        }
    throw Error("Window '" + w.Name() + "' has no menu item '" + itemPath + "'");
  });
}

YZAUTO_API int yzauto_grid_cell(const char* window, const char* grid, int row, int column) {
  return Run([&] {
    auto& g = As<ui::DBGrid>(FindIn(FindWindow(Str(window)), Str(grid)), "a data grid");
    ui::App().Guard([&] { g.ClickCell(row, column); });
  });
}

YZAUTO_API const char* yzauto_get(const char* window, const char* control, const char* property) {
  return RunText([&] { return FindIn(FindWindow(Str(window)), Str(control)).GetProperty(Str(property)); });
}

YZAUTO_API int yzauto_set(const char* window, const char* control, const char* property, const char* value) {
  return Run([&] {
    auto& c = FindIn(FindWindow(Str(window)), Str(control));
    ui::App().Guard([&] { c.SetProperty(Str(property), Str(value)); });
  });
}

YZAUTO_API const char* yzauto_field(const char* window, const char* dataset, const char* field) {
  return RunText([&] {
    auto& ds = FindDataSet(FindWindow(Str(window)), Str(dataset));
    if (!ds.Active()) throw Error("The dataset '" + Str(dataset) + "' is closed");
    return ds.FieldByName(Str(field)).AsString();
  });
}

YZAUTO_API int yzauto_dataset_row(const char* window, const char* dataset, int row) {
  return Run([&] {
    auto& ds = FindDataSet(FindWindow(Str(window)), Str(dataset));
    ui::App().Guard([&] { ds.SetRecNo(row); });
  });
}

YZAUTO_API const char* yzauto_windows(void) {
  return RunText([] {
    std::string out;
    for (ui::Form* f : Windows()) out += f->Name() + "\t" + f->ClassName() + "\t" + f->Caption() + "\n";
    return out;
  });
}

YZAUTO_API const char* yzauto_dump(const char* what, const char* format) {
  return RunText([&] {
    bool json = text::SameText(Str(format), "json");
    std::string target = Str(what);
    size_t dot = target.find('.');
    auto& w = FindWindow(target.substr(0, dot));
    if (dot != std::string::npos) return DataSetDump(FindDataSet(w, target.substr(dot + 1)), json);
    if (json) return ComponentJson(w).dump(2);
    std::string out;
    ComponentText(w, 0, out);
    return out;
  });
}

YZAUTO_API int yzauto_queue_answer(int answer) {
  return Run([&] { ui::App().QueueAnswer(answer); });
}

YZAUTO_API int yzauto_box_count(void) { return static_cast<int>(ui::App().Boxes().size()); }

YZAUTO_API const char* yzauto_box(int index) {
  return RunText([&] {
    auto& boxes = ui::App().Boxes();
    if (index < 0 || index >= static_cast<int>(boxes.size()))
      throw Error("There is no message box " + std::to_string(index));
    auto& b = boxes[static_cast<size_t>(index)];
    static const char* icons[] = {"none", "error", "warning", "information", "question"};
    std::vector<std::string> buttons;
    if (b.buttons & ui::mbOK) buttons.push_back("OK");
    if (b.buttons & ui::mbCancel) buttons.push_back("Cancel");
    if (b.buttons & ui::mbYes) buttons.push_back("Yes");
    if (b.buttons & ui::mbNo) buttons.push_back("No");
    bool unexpected = b.answer == ui::mrNone && !b.errorDisplay;
    return OneLine(b.caption) + "\t" + OneLine(b.text) + "\t" + icons[static_cast<int>(b.icon)] + "\t" +
           text::Join(buttons, ",") + "\t" + std::to_string(b.answer) + "\t" +
           (unexpected ? "unexpected" : "expected");
  });
}

YZAUTO_API int yzauto_clear_boxes(void) {
  return Run([] { ui::App().ClearBoxes(); });
}

YZAUTO_API int yzauto_on_modal(yzauto_modal_handler handler, void* context) {
  return Run([&] {
    g_modal = handler;
    g_modalContext = context;
    if (!handler) {
      ui::App().ModalDriver = nullptr;
      return;
    }
    ui::App().ModalDriver = [](ui::Form& f) {
      std::string name = f.Name();
      g_modal(name.c_str(), g_modalContext);
    };
  });
}

YZAUTO_API int yzauto_close(const char* window, int modal_result) {
  return Run([&] {
    auto& w = FindWindow(Str(window));
    ui::App().Guard([&] {
      if (w.Modal() && modal_result != 0) w.SetModalResult(modal_result);
      else w.Close();
    });
    // A window released on close goes now, unless a modal window is still running (it goes
    // when its modal call returns).
    if (ui::App().ModalDepth() == 0) ui::App().ProcessMessages();
  });
}

YZAUTO_API int yzauto_call_count(void) { return static_cast<int>(remote::CallRecord().size()); }

YZAUTO_API const char* yzauto_call(int index) {
  return RunText([&] {
    auto& calls = remote::CallRecord();
    if (index < 0 || index >= static_cast<int>(calls.size()))
      throw Error("There is no call " + std::to_string(index));
    auto& c = calls[static_cast<size_t>(index)];
    std::string args = c.kind == "Call" ? c.args : c.params;
    return OneLine(c.server) + "\t" + KindOf(c.kind) + "\t" + OneLine(c.name) + "\t" + OneLine(args) + "\t" +
           OneLine(c.commandText) + "\t" + OneLine(c.answer);
  });
}

YZAUTO_API int yzauto_clear_calls(void) {
  return Run([] { remote::ClearCallRecord(); });
}

YZAUTO_API int yzauto_fail_call(const char* name, const char* text) {
  return Run([&] {
    if (!text || !*text) remote::ClearFault(Str(name));
    else remote::SetFault(Str(name), Str(text));
  });
}

YZAUTO_API const char* yzauto_session(const char* key) {
  return RunText([&] { return SessionValue(Str(key)); });
}

}  // extern "C"
