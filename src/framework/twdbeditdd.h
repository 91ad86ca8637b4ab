// The drop-down lookup edit: a data-aware edit bound to a lookup field (a name) and a key
// field (its code). At rest it shows the name; focused it shows the code, and what the user
// types is sent, after a pause of 130 ms, as a search key of a numbered SQL text (the SQL
// tag) to the SQL-tag server; the answer fills the drop-down list grid. Enter, a click or a
// double click takes a row: its code goes into the key field, its name into the edit's
// code-and-name store (which answers the lookup field), and the focus moves on.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "framework/twpopupmenudd.h"
#include "platform/data/params.h"
#include "platform/ui/dbcontrols.h"

namespace yz {

namespace data {
class ClientDataSet;
}
namespace ui {
class DBGrid;
class Timer;
}
class TDataSource;
class TtwDBGridDD;

class TtwDBEditDD : public ui::DBEdit, public InputMethodHost {
 public:
  explicit TtwDBEditDD(ui::Component* owner);
  ~TtwDBEditDD() override;
  std::string ClassName() const override { return "TtwDBEditDD"; }
  void DescribeProps(ui::PropList& out) const override;
  void Notification(ui::Component* gone) override;

  // ---- published, in declaration order
  TtwDBGridDD* DropDBGrid() const { return grid_; }
  // Needs a nonzero SqlTag (else the message "<name>.SqlTag不能等于0" and no grid). Binds the
  // grid to this edit and to ListSource; a lookup data field supplies KeyField, ListField,
  // LookUpKeyField and LookUpResultField.
  void SetDropDBGrid(TtwDBGridDD* grid);
  data::DataSource* ListSource() const { return listSource_; }
  void SetListSource(data::DataSource* source);
  // A source that is a component of the window: the edit forgets it when it goes.
  void SetListSource(TDataSource* source);
  ui::NotifyEvent OnDBEditEnter;  // a list row was taken
  bool DBGridVisible() const { return dbGridVisible_; }
  // False detaches the grid from the window and hides it until it is dropped down.
  void SetDBGridVisible(bool v);
  std::string ListField;          // the lookup field shown at rest
  std::string KeyField;           // the key field edited while focused
  std::string LookUpKeyField;     // list column holding the code
  std::string LookUpResultField;  // list column holding the name
  ui::DBGrid* GenesisGrid = nullptr;  // kept; not used by the control
  std::string ColumnWidth;        // list column widths, each followed by ',' or ';'
  data::Params Params;            // context parameters of the SQL tag (by name, else by position)
  data::Params ParamsV;           // kept; not used by the control
  ui::NotifyEvent OnAfterCreate;  // raised once when the owning window is created
  bool DropDown = false;          // the list drops down at once on focus
  int SqlTag() const { return sqlTag_; }
  // Once the window is set up: clears the SQL text and the parameter cache, prepares the list
  // with "*" and places the grid under the edit (without a ListSource the message
  // "选择<name>.ListSource").
  void SetSqlTag(int tag);
  int SqlTagV = 0;                // when nonzero, fetches the SQL text instead of SqlTag
  bool FetchDataOnce = false;     // the whole list is fetched once and filtered locally

  // ---- operations
  // Makes the lookup field show the name of the current key value (from the store, else from
  // the fetched list or a list request).
  void RefreshDisplay();
  // The input method (0 pinyin, 1 custom code, 2 code, 3 name) of the edit's menu.
  int InputMethod() const;
  // Rows a list request returns: the menu's limit, 100 without an input-method menu, 0 (all)
  // for an edit that fetches its list once.
  int RowLimit() const;
  TtwPopupMenuDD* InputMethodMenu() const;
  // The code-and-name store (`code` text 50, `name` text 100), open for the edit's life.
  data::ClientDataSet& Store() const { return *store_; }
  // The edit's own list of all rows (FetchDataOnce), null until the window is set up.
  data::ClientDataSet* FetchedList() const { return fetched_.get(); }
  const std::string& SqlText() const { return sql_; }
  bool Pending() const { return pending_; }
  bool Typing() const { return typing_; }
  bool SetUp() const { return setUp_; }

  // Called by the window creation hook: step one (record set closed, lookup field pointed at
  // the store, focus and key handlers taken over), then step two (the fetched list of a
  // FetchDataOnce edit; the hook raises OnAfterCreate before). Each runs once per edit.
  void HookHandlers();
  void AfterWindowCreated();
  // The Enter of the list (from the edit or its grid).
  void EnterKey();

  // InputMethodHost
  bool FetchesListOnce() const override { return FetchDataOnce; }
  void RowLimitChanged(int limit) override;

  void KeyPressDefault(char32_t& key) override;
  bool WantsKey(ui::Word key) const override;

 private:
  void AssignListSource(data::DataSource* source, ui::Component* asComponent);
  data::DataSet* RecordSet() const;
  data::Field* KeyFieldOf() const;
  data::ClientDataSet* ListSet() const;
  bool RecordSetOpen() const;
  bool ShowsKeyField() const;
  bool IgnoresKeys() const;
  void SetKeyNull();
  void AddPair(const std::string& code, const std::string& name);
  void PrepareList(const std::string& search, data::ClientDataSet& list);
  void EnsureSqlText(data::ClientDataSet& list);
  void CopyContextParams(data::Params& target) const;
  void FocusEnter();
  void FocusExit();
  void KeyDownHook(ui::Word& key);
  void TextChanged();
  void TimerTick();
  void StopTimer();
  void RefreshList();
  void LayoutColumns();
  void PlaceGrid();
  void HideGrid();

  TtwDBGridDD* grid_ = nullptr;
  data::DataSource* listSource_ = nullptr;
  data::ClientDataSet* listSet_ = nullptr;
  ui::Component* listSourceComponent_ = nullptr;
  ui::Component* listSetComponent_ = nullptr;
  bool dbGridVisible_ = true;
  int sqlTag_ = 0;

  std::unique_ptr<data::ClientDataSet> store_;
  std::unique_ptr<data::ClientDataSet> fetched_;
  std::string sql_;
  data::Params cache_;
  bool cacheValid_ = false;
  bool typing_ = false, pending_ = false, setSql_ = false, taking_ = false;
  bool hooked_ = false, setUp_ = false, changeHooked_ = false;
  ui::Timer* timer_ = nullptr;
  std::int64_t lastKey_ = 0;  // process clock milliseconds of the last text change
  ui::NotifyEvent prevEnter_, prevExit_, prevChange_;
  ui::KeyEvent prevKeyDown_;
};

// Refreshes the display of every lookup edit of the window and of its frames; with a record
// set, only of the edits bound to it.
void RefreshAllDisplays(ui::Form& form, const data::DataSet* recordSet = nullptr);

// The creation set-up of a window's lookup edits (what the hooking list grid runs first).
// Edits already set up are passed over, so running it twice changes nothing.
void SetUpLookupEdits(ui::Form& form);

}  // namespace yz
