// The twelve exports. Texts arrive and leave in GBK; nothing escapes as an exception: a
// failure ends the export early and is shown in the module's error box.
#include <yzinput.h>

#include "boundary/configedit.h"
#include "boundary/module.h"
#include "framework/session.h"
#include "platform/base/text.h"
#include "platform/ui/forms.h"

namespace {

using yz::Module;

std::string Arg(const char* gbk) { return gbk ? yz::text::FromGbk(gbk) : std::string(); }

// Runs an export's body; any error is shown and ends the export.
template <class Fn>
bool Guarded(Fn fn) {
  return yz::ui::App().Guard(fn);
}

void NoWindowYet(const char* exportName) { Module().withoutWindow.emplace_back(exportName); }

// Embeds a created window into the host's window.
YzWindow Embed(yz::ui::Form* f, YzWindow parent) {
  f->SetAlign(yz::ui::Align::Client);
  f->SetBorderStyle(yz::ui::BorderStyle::None);
  yz::os::SetParent(f->Handle(), parent);
  f->Show();
  return f->Handle();
}

}  // namespace

extern "C" {

YZINPUT_API bool YzinputInitVariant(const char* patient_id, const char* admiss_times, const char* user_code,
                                    int32_t /*reserved*/) {
  return Guarded([&] { yz::InitSession(Arg(patient_id), Arg(admiss_times), Arg(user_code)); });
}

YZINPUT_API YzWindow MaininputCreateForm(YzWindow parent, const char** info) {
  yz::Session().host_window = static_cast<long>(parent);
  NoWindowYet("MaininputCreateForm");
  if (info) *info = yz::ReturnInfoText();
  return 0;
}

YZINPUT_API YzWindow GroupinputCreateForm(YzWindow /*parent*/, const char** info) {
  NoWindowYet("GroupinputCreateForm");
  if (info) *info = yz::ReturnInfoText();
  return 0;
}

YZINPUT_API YzWindow ConfigEditCreateForm(YzWindow parent, const char** info) {
  YzWindow handle = 0;
  Guarded([&] {
    auto* f = yz::ui::Create<yz::TfrmConfigEdit>(nullptr);
    Module().configWindow = f;
    yz::AddModuleWindow(f);
    handle = Embed(f, parent);
    if (info) *info = yz::ReturnInfoText();
  });
  return handle;
}

YZINPUT_API bool MaininputOpenWindow(const char** info) {
  NoWindowYet("MaininputOpenWindow");
  if (info) *info = yz::ReturnInfoText();
  return true;
}

YZINPUT_API bool GroupinputOpenWindow(const char** info) {
  NoWindowYet("GroupinputOpenWindow");
  if (info) *info = yz::ReturnInfoText();
  return true;
}

YZINPUT_API bool ConfigEditOpenWindow(const char** info) {
  Guarded([&] {
    auto* f = yz::ui::Create<yz::TfrmConfigEdit>(nullptr);
    Module().configWindow = f;
    yz::AddModuleWindow(f);
    f->Hide();
    // The window releases itself on close (posted work); run that, then free what is left.
    auto release = [f] {
      yz::ui::App().ProcessMessages();
      if (yz::ui::Component::Alive(f)) f->Free();
    };
    try {
      f->ShowModal();
    } catch (...) {
      release();
      throw;
    }
    release();
    if (info) *info = yz::ReturnInfoText();
  });
  return true;
}

YZINPUT_API bool btnNew(void) {
  NoWindowYet("btnNew");
  return true;
}

YZINPUT_API bool btnSave(void) {
  NoWindowYet("btnSave");
  return true;
}

YZINPUT_API bool btnDel(void) {
  NoWindowYet("btnDel");
  return true;
}

YZINPUT_API bool btnCancel(void) {
  NoWindowYet("btnCancel");
  return true;
}

YZINPUT_API const char* btnClose(void) {
  // With no entry window open there is nothing to keep open.
  NoWindowYet("btnClose");
  return yz::CloseAnswer(true);
}

}  // extern "C"
