// The base of every window the module hands to the host: connections pointed at the
// configured application server, the stored arrangement of its controls, a maximised start,
// and on close a guard against unsaved changes and the release of its data.
#pragma once
#include <string>

#include "framework/components.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

namespace yz {

class TTWEnter;

class TfrmChildForm : public ui::Form {
 public:
  // `name` is the window's component name (the key of its stored arrangement).
  TfrmChildForm(ui::Component* owner, const std::string& name);
  std::string ClassName() const override { return "TfrmChildForm"; }

  ui::Panel* stgChildStage;
  ui::Dock* docChildFormDock;
  ui::ToolBar* tbrGeneral;
  ui::ToolBar* tbrButtonBase;
  ui::ImageList* lstChildFormImage_Color;
  TDCOMConnection* dmcUserInterFace;
  TClientDataSet* cdsUserInterFace;
  TTWEnter* TWEnter1;
  ui::ActionList* aclChildForm;

  // The save hook of the unsaved-change guard; nothing here.
  virtual void SaveChanges() {}

  // Every remote connection of the window (and of its frames) is pointed at the appserver
  // setting; the SQL-tag server's connections connect at once. The window moves to 0, 0.
  void RetargetConnections();
  // Reads the stored arrangement for this window and subsystem and applies it when there is
  // exactly one row with an arrangement. Lines "control.Property=value" ('#' starts a
  // comment); a line naming an unknown control or property is passed over.
  void LoadLayout();
  // Applies an arrangement text; answers how many lines were applied.
  int ApplyLayout(const std::string& arrangement);
  // Closes every client record set, then every connection, of the window and its frames.
  void ReleaseData();

 protected:
  // Creation: RetargetConnections, LoadLayout, maximised. Derived windows run this first.
  virtual void FormCreate();
  // Close: the unsaved-change guard, else ReleaseData.
  virtual void FormClose(ui::CloseAction& action);
};

// Every connection owned by `owner`, in component order (used for frames and modules too).
template <class Fn>
void ForEachOwned(ui::Component& owner, Fn fn) {
  for (int i = 0; i < owner.ComponentCount(); ++i) fn(owner.Components(i));
}

}  // namespace yz
