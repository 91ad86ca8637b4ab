// The order-entry module as yzhost sees it: the library loaded with dlopen and every export
// of yzinput.h and yzauto.h resolved by name. Only the two public headers are used.
#pragma once
#include <string>

#include "yzauto.h"
#include "yzinput.h"

namespace yzhost {

struct Module {
  void* handle = nullptr;
  std::string path;

  // yzinput.h
  decltype(&::YzinputInitVariant) YzinputInitVariant = nullptr;
  decltype(&::MaininputCreateForm) MaininputCreateForm = nullptr;
  decltype(&::GroupinputCreateForm) GroupinputCreateForm = nullptr;
  decltype(&::ConfigEditCreateForm) ConfigEditCreateForm = nullptr;
  decltype(&::MaininputOpenWindow) MaininputOpenWindow = nullptr;
  decltype(&::GroupinputOpenWindow) GroupinputOpenWindow = nullptr;
  decltype(&::ConfigEditOpenWindow) ConfigEditOpenWindow = nullptr;
  decltype(&::btnNew) btnNew = nullptr;
  decltype(&::btnSave) btnSave = nullptr;
  decltype(&::btnDel) btnDel = nullptr;
  decltype(&::btnCancel) btnCancel = nullptr;
  decltype(&::btnClose) btnClose = nullptr;

  // yzauto.h
  decltype(&::yzauto_last_error) last_error = nullptr;
  decltype(&::yzauto_set_time) set_time = nullptr;
  decltype(&::yzauto_advance) advance = nullptr;
  decltype(&::yzauto_process_messages) process_messages = nullptr;
  decltype(&::yzauto_sql) sql = nullptr;
  decltype(&::yzauto_host_window) host_window = nullptr;
  decltype(&::yzauto_focus) focus = nullptr;
  decltype(&::yzauto_set_text) set_text = nullptr;
  decltype(&::yzauto_type) type = nullptr;
  decltype(&::yzauto_key) key = nullptr;
  decltype(&::yzauto_click) click = nullptr;
  decltype(&::yzauto_dblclick) dblclick = nullptr;
  decltype(&::yzauto_menu) menu = nullptr;
  decltype(&::yzauto_grid_cell) grid_cell = nullptr;
  decltype(&::yzauto_get) get = nullptr;
  decltype(&::yzauto_set) set = nullptr;
  decltype(&::yzauto_field) field = nullptr;
  decltype(&::yzauto_dataset_row) dataset_row = nullptr;
  decltype(&::yzauto_windows) windows = nullptr;
  decltype(&::yzauto_open_demo) open_demo = nullptr;
  decltype(&::yzauto_dump) dump = nullptr;
  decltype(&::yzauto_queue_answer) queue_answer = nullptr;
  decltype(&::yzauto_box_count) box_count = nullptr;
  decltype(&::yzauto_box) box = nullptr;
  decltype(&::yzauto_clear_boxes) clear_boxes = nullptr;
  decltype(&::yzauto_on_modal) on_modal = nullptr;
  decltype(&::yzauto_close) close = nullptr;
  decltype(&::yzauto_call_count) call_count = nullptr;
  decltype(&::yzauto_call) call = nullptr;
  decltype(&::yzauto_clear_calls) clear_calls = nullptr;
  decltype(&::yzauto_fail_call) fail_call = nullptr;
  decltype(&::yzauto_session) session = nullptr;

  // The module's last error text, "" when it has none.
  std::string LastError() const;
};

// Loads the library at `path` and resolves every export. On failure returns false and says
// why in `error` (the dlopen message, or the first missing export by name). The library
// stays loaded for the life of the process.
bool LoadModule(const std::string& path, Module& m, std::string& error);

// The library to load when none is named: $YZINPUT_LIB, then the module built beside this
// program's build tree, then libyzinput.so next to the program, then the loader's search.
std::string DefaultLibraryPath(const std::string& exeDir);

}  // namespace yzhost
