// Data grid: rows of a data source in columns, the current row and column, per-cell colours
// and owner drawing recorded as draw calls, cell click, double click, keys, multi-select.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/dataset.h"
#include "platform/ui/component.h"

namespace yz::ui {

class ImageList;
class DBGrid;

enum class TitleAlign { Left, Right, Center };

struct GridColumn {
  std::string FieldName;
  std::string Title;  // the field's display label when empty
  TitleAlign TitleAlignment = TitleAlign::Left;
  int Width = 64;
  bool ReadOnly = false;
  bool Visible = true;
  bool CheckBox = false;  // shows a check box: ValueChecked / ValueUnchecked
  std::string ValueChecked = "1", ValueUnchecked = "0";
  ui::Color Color = clWindow;
};

enum GridOption : unsigned {
  dgEditing = 1, dgTitles = 2, dgIndicator = 4, dgColumnResize = 8, dgColLines = 16, dgRowLines = 32,
  dgTabs = 64, dgRowSelect = 128, dgAlwaysShowSelection = 256, dgConfirmDelete = 512,
  dgCancelOnExit = 1024, dgMultiSelect = 2048,
};
enum GridDrawFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using GridDrawState = unsigned;

// One recorded drawing step. kind: "title", "cell" (the default drawing of a data cell),
// "fill", "text", "image" (drawn by a handler on the canvas), "editor" (the in-cell editor
// over the current cell, with its text).
struct DrawCall {
  std::string kind;
  int row = -1;  // visible row (0 = first data row), -1 for titles
  int col = -1;  // index in Columns
  Rect rect;
  std::string text;
  Color background = clWindow;
  Font font;
  int imageIndex = -1;
  int checkState = -1;  // check-box columns: 0 or 1
  GridDrawState state = 0;
};

// The grid's drawing surface while a cell is drawn.
class Canvas {
 public:
  Color BrushColor = clWindow;
  ui::Font Font;
  void FillRect(const Rect& r);
  void TextOut(int x, int y, const std::string& text);
  void Draw(int x, int y, const ImageList& images, int index);

 private:
  friend class DBGrid;
  DBGrid* grid_ = nullptr;
};

class DBGrid : public WinControl {
 public:
  explicit DBGrid(Component* owner);
  ~DBGrid() override;
  std::string ClassName() const override { return "DBGrid"; }
  void DescribeProps(PropList& out) const override;

  data::DataSource* DataSource() const;
  void SetDataSource(data::DataSource* s);
  data::DataSet* DataSet() const;

  // Columns; with none added the grid shows every visible field of the set.
  GridColumn& AddColumn(std::string fieldName, std::string title = {}, int width = 64);
  int ColumnCount() const;
  GridColumn& Columns(int i);
  void ClearColumns();
  data::Field* ColumnField(int i) const;

  unsigned Options = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
                     dgConfirmDelete | dgCancelOnExit;
  bool ReadOnly = false;
  int DefaultRowHeight = 18, TitleHeight = 18, IndicatorWidth = 11;
  bool DefaultDrawing = true;

  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int i);
  data::Field* SelectedField() const { return ColumnField(selectedIndex_); }
  int Row() const;  // visible row of the current record
  int TopRecNo() const { return top_; }
  int VisibleRowCount() const;
  // Cell rectangle of visible row `row` and column `col`, in client or screen coordinates.
  Rect CellRect(int col, int row) const;
  Rect ScreenCellRect(int col, int row) const;

  // Multi-select (dgMultiSelect): Ctrl+click toggles the row, Shift+arrows extend.
  int SelectedRowsCount() const { return static_cast<int>(selected_.size()); }
  bool RowSelected() const;  // the current row
  void SetRowSelected(bool v);
  const std::vector<data::Bookmark>& SelectedRows() const { return selected_; }
  void ClearSelection() { selected_.clear(); }

  // Draws the visible cells: records draw calls and runs the cell handlers for each cell
  // with its row current (scroll events of the set are held back meanwhile).
  void Paint();
  const std::vector<DrawCall>& DrawCalls() const { return draws_; }
  std::vector<DrawCall> CellDraws(int row, int col) const;
  // The default drawing of the cell being drawn (handlers call it after setting colours).
  void DefaultDrawColumnCell(const Rect& rect, int col, GridColumn& column, GridDrawState state);
  Canvas& GetCanvas() { return canvas_; }

  // In-cell editing, for a grid with dgEditing that is not ReadOnly, on a column and field
  // that can be changed (not read-only, not calculated or lookup, not a check-box column):
  // typing a character starts it with that character, F2 or Enter with the field's text; the
  // set goes into edit state. Enter, Tab, moving to another cell or row, leaving the grid and
  // posting the row write the text to the field (a refused value keeps the editor open); Esc
  // drops the text. Check-box columns toggle on Space and on a click instead.
  bool EditorMode() const { return editing_; }
  // true starts the editor on the current cell (false when it cannot be edited); false writes.
  bool SetEditorMode(bool on);
  const std::string& EditorText() const { return editText_; }
  void CancelEditor();
  bool CanEditCell() const;

  // The user clicks a cell / double-clicks it.
  void ClickCell(int row, int col, ShiftState shift = 0);
  void DblClickCell(int row, int col);

  std::function<void(DBGrid&, data::Field*, Font&, Color& background, GridDrawState)> OnGetCellParams;
  std::function<void(DBGrid&, const Rect&, int dataCol, GridColumn&, GridDrawState)> OnDrawColumnCell;
  std::function<void(DBGrid&, GridColumn&)> OnCellClick;
  std::function<void(DBGrid&, GridColumn&)> OnTitleClick;
  NotifyEvent OnColEnter;

  void KeyDownDefault(Word& key, ShiftState shift) override;
  void KeyPressDefault(char32_t& key) override;
  bool WantsKey(Word key) const override;
  void DoExit() override;

 private:
  friend class Canvas;
  struct Link;
  void Follow();
  void ToggleCheck(int col);
  bool StartEditor(const std::string* typed);
  void CommitEditor();
  void DropEditor();
  bool editing_ = false, starting_ = false;
  std::string editText_;
  std::unique_ptr<Link> link_;
  std::vector<std::unique_ptr<GridColumn>> columns_;
  mutable std::vector<std::unique_ptr<GridColumn>> defaultColumns_;
  int selectedIndex_ = 0;
  int top_ = 1;  // record number shown in the first row
  std::vector<data::Bookmark> selected_;
  std::vector<DrawCall> draws_;
  Canvas canvas_;
  int drawRow_ = -1, drawCol_ = -1;
  bool painting_ = false;
};

}  // namespace yz::ui
