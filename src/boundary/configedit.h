// The parameter maintenance window: the workstation's settings in section `user` of
// omra.ini (department and ward, the six pharmacies, long/temporary mode, start-time rule,
// herbal options, printers, three switches).
#pragma once
#include <memory>
#include <string>

#include "framework/childform.h"
#include "platform/ui/dbcontrols.h"

namespace yz::os {
class ProfileFile;
}

namespace yz {

class TfrmConfigEdit : public TfrmChildForm {
 public:
  explicit TfrmConfigEdit(ui::Component* owner);
  ~TfrmConfigEdit() override;
  std::string ClassName() const override { return "TfrmConfigEdit"; }

  TDCOMConnection *dmcGetDept, *dmcGetInfo;
  TClientDataSet *cdsGetDept, *cdsGetWard, *cdsGetGroup;
  TClientDataSet *cdsYPzy, *cdsCydy, *cdsDsy, *cdsKf, *cdsZcy, *cdsCy;
  TDataSource *dsGetGroup, *dsYPzy, *dsCydy, *dsDsy, *dsKf, *dsZcy, *dsCy;

  ui::Panel *pnlMain, *Panel2, *Panel3, *Panel4, *pnlCaption;
  ui::Label *Label1, *lblReadIni;
  ui::ComboBox *cbxDept, *cbxWard, *cbxDetailPrinter, *cbxVisPrinter;
  ui::DBLookupComboBox *DBLookupComboBox1, *DBLookupComboBox2, *DBLookupComboBox3, *DBLookupComboBox4,
      *DBLookupComboBox5, *DBLookupComboBox6;
  ui::RadioGroup *RadioGroup1, *rgpStartTime, *grdCyNoNo, *grdCyInputType, *grdtimeset;
  ui::CheckBox *chkActOrderNo, *chkNoComfirmShow, *ckbAutoDrugOnceOrder;
  ui::Button *btnPost1, *btnCancel1, *btnQuit1;
  ui::ToolButton *btnCancel, *btnQuit;

  // Handlers.
  void Label1Click();
  void lblReadIniClick();
  void cbxDeptChange();
  void btnPost1Click();
  void btnCancel1Click();
  void btnQuit1Click();

  // Set when the user chose to restart the application after saving.
  static bool RestartRequested();
  static void ClearRestartRequest();

 protected:
  void FormCreate() override;
  void FormClose(ui::CloseAction& action) override;

 private:
  ui::Label* AddLabel(ui::WinControl* parent, const std::string& caption, int left, int top);
  ui::RadioGroup* AddRadio(ui::WinControl* parent, const std::string& name, const std::string& caption,
                           std::vector<std::string> items, int left, int top);
  void FillWards();
  void SaveSettings();
  std::unique_ptr<os::ProfileFile> ini_;
};

}  // namespace yz
