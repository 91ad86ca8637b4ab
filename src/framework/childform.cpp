#include "framework/childform.h"

#include "framework/session.h"
#include "framework/showbox.h"
#include "framework/twenter.h"
#include "platform/base/text.h"

namespace yz {

namespace {
constexpr const char* kTagSql = "jx_mts_tagsql.jx_mts_tag_sql";
}

TfrmChildForm::TfrmChildForm(ui::Component* owner, const std::string& name) : ui::Form(owner) {
  SetName(name);
  SetCaption("应用程序子窗口");
  SetBounds(0, 0, 700, 572);
  SetWindowState(ui::WindowState::Minimized);
  SetPosition(ui::Position::Default);

  lstChildFormImage_Color = new ui::ImageList(this);
  lstChildFormImage_Color->SetName("lstChildFormImage_Color");
  lstChildFormImage_Color->Width = lstChildFormImage_Color->Height = 24;

  docChildFormDock = new ui::Dock(this);
  docChildFormDock->SetName("docChildFormDock");
  docChildFormDock->SetParent(this);
  docChildFormDock->SetHeight(48);
  docChildFormDock->SetAlign(ui::Align::Top);

  tbrGeneral = new ui::ToolBar(this);
  tbrGeneral->SetName("tbrGeneral");
  tbrGeneral->SetCaption("通用控制工具栏");
  tbrGeneral->SetParent(docChildFormDock);
  tbrGeneral->SetAlign(ui::Align::Client);

  tbrButtonBase = new ui::ToolBar(this);
  tbrButtonBase->SetName("tbrButtonBase");
  tbrButtonBase->SetCaption("按钮基板工具栏");
  tbrButtonBase->SetParent(tbrGeneral);
  tbrButtonBase->ButtonWidth = tbrButtonBase->ButtonHeight = 31;
  tbrButtonBase->ShowCaptions = true;
  tbrButtonBase->Flat = true;
  tbrButtonBase->Images = tbrButtonBase->DisabledImages = lstChildFormImage_Color;

  stgChildStage = new ui::Panel(this);
  stgChildStage->SetName("stgChildStage");
  stgChildStage->SetParent(this);
  stgChildStage->BevelOuter = ui::Bevel::None;
  stgChildStage->SetAlign(ui::Align::Client);

  dmcUserInterFace = new TDCOMConnection(this, "dmcUserInterFace", "user_manage_server.dll_user_manage_server");
  cdsUserInterFace = new TClientDataSet(this, "cdsUserInterFace");
  cdsUserInterFace->Bind(dmcUserInterFace, "dspUserForm");

  aclChildForm = new ui::ActionList(this);
  aclChildForm->SetName("aclChildForm");

  OnCreate = [this](ui::Component&) { FormCreate(); };
  OnClose = [this](ui::Form&, ui::CloseAction& action) { FormClose(action); };
  // Enter navigation hooks the creation handler set above.
  TWEnter1 = new TTWEnter(this);
  TWEnter1->SetName("TWEnter1");
}

void TfrmChildForm::FormCreate() {
  RetargetConnections();
  LoadLayout();
  SetWindowState(ui::WindowState::Maximized);
}

void TfrmChildForm::RetargetConnections() {
  ForEachOwned(*this, [](ui::Component* c) {
    auto* conn = dynamic_cast<TDCOMConnection*>(c);
    if (!conn) return;
    conn->Disconnect();
    conn->SetComputerName(AppServerName());
    if (text::SameText(conn->ServerName(), kTagSql)) conn->Connect();
  });
  ForEachOwned(*this, [](ui::Component* c) {
    auto* frame = dynamic_cast<ui::Frame*>(c);
    if (!frame) return;
    ForEachOwned(*frame, [](ui::Component* fc) {
      auto* conn = dynamic_cast<TDCOMConnection*>(fc);
      if (!conn) return;
      conn->SetComputerName(AppServerName());
      if (text::SameText(conn->ServerName(), kTagSql)) conn->Connect();
    });
  });
  SetLeft(0);
  SetTop(0);
}

void TfrmChildForm::LoadLayout() {
  dmcUserInterFace->SetComputerName(AppServerName());
  dmcUserInterFace->Connect();
  cdsUserInterFace->FetchParams();
  auto& params = cdsUserInterFace->GetParams();
  if (auto* p = params.FindParam("form_name")) p->SetValue(Variant(Name()));
  if (auto* p = params.FindParam("subsys_id")) p->SetValue(Variant(Session().settings.subsys_id));
  cdsUserInterFace->Close();
  cdsUserInterFace->Open();
  std::string arrangement;
  bool apply = false;
  if (cdsUserInterFace->RecordCount() == 1) {
    cdsUserInterFace->First();
    data::Field* f = cdsUserInterFace->FindField("form_com");
    if (f && !f->IsNull()) {
      arrangement = f->AsString();
      apply = true;
    }
  }
  cdsUserInterFace->Close();
  dmcUserInterFace->Disconnect();
  if (apply) ApplyLayout(arrangement);
}

int TfrmChildForm::ApplyLayout(const std::string& arrangement) {
  int applied = 0;
  for (auto& raw : text::Split(arrangement, '\n')) {
    std::string line = text::Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    size_t dot = line.find('.');
    if (eq == std::string::npos || dot == std::string::npos || dot > eq) continue;
    std::string control = text::Trim(line.substr(0, dot));
    std::string prop = text::Trim(line.substr(dot + 1, eq - dot - 1));
    std::string value = line.substr(eq + 1);
    ui::Component* target = text::SameText(control, Name()) ? this : FindComponent(control);
    if (!target || !target->HasProperty(prop)) continue;
    try {
      target->SetProperty(prop, value);
      ++applied;
    } catch (const std::exception&) {
      // A value the control does not take leaves that property as designed.
    }
  }
  return applied;
}

void TfrmChildForm::ReleaseData() {
  auto closeSets = [](ui::Component* c) {
    if (auto* cds = dynamic_cast<TClientDataSet*>(c); cds && cds->Active()) cds->Close();
  };
  auto closeConnections = [](ui::Component* c) {
    if (auto* conn = dynamic_cast<TDCOMConnection*>(c)) conn->Disconnect();
  };
  ForEachOwned(*this, closeSets);
  ForEachOwned(*this, [&](ui::Component* c) {
    if (auto* frame = dynamic_cast<ui::Frame*>(c)) ForEachOwned(*frame, closeSets);
  });
  ForEachOwned(*this, closeConnections);
  ForEachOwned(*this, [&](ui::Component* c) {
    if (auto* frame = dynamic_cast<ui::Frame*>(c)) ForEachOwned(*frame, closeConnections);
  });
}

void TfrmChildForm::FormClose(ui::CloseAction&) {
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* cds = dynamic_cast<TClientDataSet*>(Components(i));
    if (cds && cds->Tag() == 1 && cds->Active() && cds->ChangeCount() > 0) {
      if (ShowBox("是否需要保存!", 1, 3) == 6) SaveChanges();
      return;  // the sets and connections stay as they are
    }
  }
  ReleaseData();
}

}  // namespace yz
