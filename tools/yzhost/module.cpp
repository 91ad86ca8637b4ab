#include "module.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>

namespace yzhost {

std::string Module::LastError() const {
  const char* e = last_error ? last_error() : nullptr;
  return e ? e : "";
}

namespace {

template <typename F>
bool Resolve(void* h, const char* name, F& out, std::string& error) {
  void* p = dlsym(h, name);
  if (!p) {
    if (error.empty()) error = std::string("the module has no export ") + name;
    return false;
  }
  out = reinterpret_cast<F>(p);
  return true;
}

bool IsFile(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool LoadModule(const std::string& path, Module& m, std::string& error) {
  dlerror();
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char* e = dlerror();
    error = "cannot load " + path + ": " + (e ? e : "unknown error");
    return false;
  }
  m.handle = h;
  m.path = path;
  error.clear();
  bool ok = true;
#define YZ_RESOLVE(member, symbol) ok = Resolve(h, #symbol, m.member, error) && ok
  YZ_RESOLVE(YzinputInitVariant, YzinputInitVariant);
  YZ_RESOLVE(MaininputCreateForm, MaininputCreateForm);
  YZ_RESOLVE(GroupinputCreateForm, GroupinputCreateForm);
  YZ_RESOLVE(ConfigEditCreateForm, ConfigEditCreateForm);
  YZ_RESOLVE(MaininputOpenWindow, MaininputOpenWindow);
  YZ_RESOLVE(GroupinputOpenWindow, GroupinputOpenWindow);
  YZ_RESOLVE(ConfigEditOpenWindow, ConfigEditOpenWindow);
  YZ_RESOLVE(btnNew, btnNew);
  YZ_RESOLVE(btnSave, btnSave);
  YZ_RESOLVE(btnDel, btnDel);
  YZ_RESOLVE(btnCancel, btnCancel);
  YZ_RESOLVE(btnClose, btnClose);
  YZ_RESOLVE(last_error, yzauto_last_error);
  YZ_RESOLVE(set_time, yzauto_set_time);
  YZ_RESOLVE(advance, yzauto_advance);
  YZ_RESOLVE(process_messages, yzauto_process_messages);
  YZ_RESOLVE(sql, yzauto_sql);
  YZ_RESOLVE(host_window, yzauto_host_window);
  YZ_RESOLVE(focus, yzauto_focus);
  YZ_RESOLVE(set_text, yzauto_set_text);
  YZ_RESOLVE(type, yzauto_type);
  YZ_RESOLVE(key, yzauto_key);
  YZ_RESOLVE(click, yzauto_click);
  YZ_RESOLVE(dblclick, yzauto_dblclick);
  YZ_RESOLVE(menu, yzauto_menu);
  YZ_RESOLVE(grid_cell, yzauto_grid_cell);
  YZ_RESOLVE(get, yzauto_get);
  YZ_RESOLVE(set, yzauto_set);
  YZ_RESOLVE(field, yzauto_field);
  YZ_RESOLVE(dataset_row, yzauto_dataset_row);
  YZ_RESOLVE(windows, yzauto_windows);
  YZ_RESOLVE(open_demo, yzauto_open_demo);
  YZ_RESOLVE(dump, yzauto_dump);
  YZ_RESOLVE(queue_answer, yzauto_queue_answer);
  YZ_RESOLVE(box_count, yzauto_box_count);
  YZ_RESOLVE(box, yzauto_box);
  YZ_RESOLVE(clear_boxes, yzauto_clear_boxes);
  YZ_RESOLVE(on_modal, yzauto_on_modal);
  YZ_RESOLVE(close, yzauto_close);
  YZ_RESOLVE(call_count, yzauto_call_count);
  YZ_RESOLVE(call, yzauto_call);
  YZ_RESOLVE(clear_calls, yzauto_clear_calls);
  YZ_RESOLVE(fail_call, yzauto_fail_call);
  YZ_RESOLVE(session, yzauto_session);
#undef YZ_RESOLVE
  if (!ok) error = path + ": " + error;
  return ok;
}

std::string DefaultLibraryPath(const std::string& exeDir) {
  if (const char* env = std::getenv("YZINPUT_LIB"); env && *env) return env;
  if (!exeDir.empty()) {
    std::string built = exeDir + "/../../src/boundary/libyzinput.so";
    if (IsFile(built)) return built;
    std::string beside = exeDir + "/libyzinput.so";
    if (IsFile(beside)) return beside;
  }
  return "libyzinput.so";
}

}  // namespace yzhost
