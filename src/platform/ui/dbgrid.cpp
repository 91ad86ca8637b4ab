#include "platform/ui/dbgrid.h"

#include <algorithm>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

namespace yz::ui {

using data::DataSetState;

struct DBGrid::Link : data::DataLink {
  DBGrid* grid;
  explicit Link(DBGrid* g) : grid(g) {}
  void ActiveChanged() override {
    grid->DropEditor();
    grid->Follow();
  }
  void DataSetChanged() override {
    grid->DropEditor();
    grid->Follow();
  }
  void DataSetScrolled(int) override {
    grid->DropEditor();
    grid->Follow();
  }
  void UpdateData() override { grid->CommitEditor(); }  // the row is about to be posted
};

// ---------------------------------------------------------------- Canvas

void Canvas::FillRect(const Rect& r) {
  if (!grid_) return;
  DrawCall d{"fill", grid_->drawRow_, grid_->drawCol_, r, {}, BrushColor, Font};
  grid_->draws_.push_back(d);
}

void Canvas::TextOut(int x, int y, const std::string& text) {
  if (!grid_) return;
  DrawCall d{"text", grid_->drawRow_, grid_->drawCol_, Rect{x, y, x, y}, text, BrushColor, Font};
  grid_->draws_.push_back(d);
}

void Canvas::Draw(int x, int y, const ImageList& images, int index) {
  if (!grid_) return;
  DrawCall d{"image", grid_->drawRow_, grid_->drawCol_, Rect{x, y, x + images.Width, y + images.Height}, {},
             BrushColor, Font};
  d.imageIndex = index;
  grid_->draws_.push_back(d);
}

// ---------------------------------------------------------------- DBGrid

DBGrid::DBGrid(Component* owner) : WinControl(owner), link_(std::make_unique<Link>(this)) {
  SetTabStop(true);
  focusOnClick_ = true;
  SetColor(clWindow);
  SetBounds(0, 0, 320, 120);
  canvas_.grid_ = this;
}

DBGrid::~DBGrid() = default;

void DBGrid::DescribeProps(PropList& out) const {
  WinControl::DescribeProps(out);
  static const PropDef props[] = {
      {"ReadOnly", [](const Component& c) { return BoolText(static_cast<const DBGrid&>(c).ReadOnly); },
       [](Component& c, std::string_view v) { static_cast<DBGrid&>(c).ReadOnly = ParseBool(v); }},
      {"SelectedIndex", [](const Component& c) { return std::to_string(static_cast<const DBGrid&>(c).SelectedIndex()); },
       [](Component& c, std::string_view v) { static_cast<DBGrid&>(c).SetSelectedIndex(ParseInt(v)); }},
      {"EditorMode", [](const Component& c) { return BoolText(static_cast<const DBGrid&>(c).EditorMode()); },
       [](Component& c, std::string_view v) { static_cast<DBGrid&>(c).SetEditorMode(ParseBool(v)); }},
      {"EditorText", [](const Component& c) { return static_cast<const DBGrid&>(c).EditorText(); }, nullptr},
  };
  for (auto& p : props) out.push_back(&p);
}

data::DataSource* DBGrid::DataSource() const { return link_->GetDataSource(); }
void DBGrid::SetDataSource(data::DataSource* s) { link_->SetDataSource(s); }
data::DataSet* DBGrid::DataSet() const { return link_->GetDataSet(); }

GridColumn& DBGrid::AddColumn(std::string fieldName, std::string title, int width) {
  auto c = std::make_unique<GridColumn>();
  c->FieldName = std::move(fieldName);
  c->Title = std::move(title);
  c->Width = width;
  columns_.push_back(std::move(c));
  return *columns_.back();
}

int DBGrid::ColumnCount() const {
  if (!columns_.empty()) return static_cast<int>(columns_.size());
  // The automatic columns follow the set's visible fields. They are rebuilt only when that
  // list changes, so a column reference a caller (or a draw handler) holds stays valid and
  // a width given to an automatic column is kept.
  std::vector<data::Field*> fields;
  data::DataSet* ds = DataSet();
  if (ds && ds->Active())
    for (int i = 0; i < ds->FieldCount(); ++i)
      if (data::Field& f = ds->FieldAt(i); f.Visible()) fields.push_back(&f);
  bool same = fields.size() == defaultColumns_.size();
  for (size_t i = 0; same && i < fields.size(); ++i) same = fields[i]->FieldName() == defaultColumns_[i]->FieldName;
  if (same) return static_cast<int>(defaultColumns_.size());
  std::vector<std::unique_ptr<GridColumn>> built;
  for (data::Field* f : fields) {
    auto old = std::find_if(defaultColumns_.begin(), defaultColumns_.end(),
                            [&](const std::unique_ptr<GridColumn>& c) { return c && c->FieldName == f->FieldName(); });
    if (old != defaultColumns_.end()) {
      built.push_back(std::move(*old));
      continue;
    }
    auto c = std::make_unique<GridColumn>();
    c->FieldName = f->FieldName();
    c->Width = f->DisplayWidth() * 7;
    built.push_back(std::move(c));
  }
  defaultColumns_ = std::move(built);
  return static_cast<int>(defaultColumns_.size());
}

GridColumn& DBGrid::Columns(int i) {
  if (i < 0 || i >= ColumnCount()) throw Error("Grid index out of range (" + std::to_string(i) + ")");
  return columns_.empty() ? *defaultColumns_[i] : *columns_[i];
}

void DBGrid::ClearColumns() { columns_.clear(); }

data::Field* DBGrid::ColumnField(int i) const {
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active() || i < 0 || i >= ColumnCount()) return nullptr;
  const GridColumn& c = columns_.empty() ? *defaultColumns_[i] : *columns_[i];
  return ds->FindField(c.FieldName);
}

void DBGrid::SetSelectedIndex(int i) {
  if (i < 0 || i >= ColumnCount() || i == selectedIndex_) return;
  CommitEditor();
  selectedIndex_ = i;
  Changed("SelectedIndex");
  if (OnColEnter) OnColEnter(*this);
}

int DBGrid::VisibleRowCount() const {
  int title = (Options & dgTitles) ? TitleHeight : 0;
  return std::max(1, (Height() - title) / std::max(1, DefaultRowHeight));
}

void DBGrid::Follow() {
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active() || painting_) return;
  int rec = ds->RecNo();
  if (rec < 1) return;
  int n = VisibleRowCount();
  if (rec < top_) top_ = rec;
  if (rec >= top_ + n) top_ = rec - n + 1;
  top_ = std::max(1, std::min(top_, std::max(1, ds->RecordCount() - n + 1)));
}

int DBGrid::Row() const {
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->RecNo() < 1) return -1;
  return ds->RecNo() - top_;
}

Rect DBGrid::CellRect(int col, int row) const {
  int x = (Options & dgIndicator) ? IndicatorWidth + 1 : 0;
  auto* self = const_cast<DBGrid*>(this);
  for (int i = 0; i < col && i < ColumnCount(); ++i)
    if (self->Columns(i).Visible) x += self->Columns(i).Width + ((Options & dgColLines) ? 1 : 0);
  int w = col < ColumnCount() ? self->Columns(col).Width : 0;
  int rowH = DefaultRowHeight + ((Options & dgRowLines) ? 1 : 0);
  int y = ((Options & dgTitles) ? TitleHeight + 1 : 0) + row * rowH;
  return Rect{x, y, x + w, y + DefaultRowHeight};
}

Rect DBGrid::ScreenCellRect(int col, int row) const {
  Rect r = CellRect(col, row);
  Point p = ClientToScreen(Point{r.Left, r.Top});
  return Rect{p.X, p.Y, p.X + r.Width(), p.Y + r.Height()};
}

bool DBGrid::RowSelected() const {
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty()) return false;
  return std::find(selected_.begin(), selected_.end(), ds->GetBookmark()) != selected_.end();
}

void DBGrid::SetRowSelected(bool v) {
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty()) return;
  data::Bookmark b = ds->GetBookmark();
  auto it = std::find(selected_.begin(), selected_.end(), b);
  if (v && it == selected_.end()) selected_.push_back(b);
  if (!v && it != selected_.end()) selected_.erase(it);
}

void DBGrid::DefaultDrawColumnCell(const Rect& rect, int col, GridColumn& column, GridDrawState state) {
  DrawCall d{"cell", drawRow_, col, rect, {}, canvas_.BrushColor, canvas_.Font};
  d.state = state;
  if (data::Field* f = ColumnField(col)) {
    if (column.CheckBox) d.checkState = text::SameText(f->AsString(), column.ValueChecked) ? 1 : 0;
    else d.text = f->DisplayText();
  }
  draws_.push_back(d);
}

std::vector<DrawCall> DBGrid::CellDraws(int row, int col) const {
  std::vector<DrawCall> out;
  for (auto& d : draws_)
    if (d.row == row && d.col == col) out.push_back(d);
  return out;
}

void DBGrid::Paint() {
  draws_.clear();
  int cols = ColumnCount();
  if (Options & dgTitles)
    for (int c = 0; c < cols; ++c) {
      GridColumn& col = Columns(c);
      if (!col.Visible) continue;
      data::Field* f = ColumnField(c);
      std::string title = !col.Title.empty() ? col.Title : f ? f->DisplayLabel() : col.FieldName;
      Rect r = CellRect(c, 0);
      r.Top = 0;
      r.Bottom = TitleHeight;
      draws_.push_back(DrawCall{"title", -1, c, r, title, clBtnFace, GetFont(), -1, -1, gdFixed});
    }
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty()) return;
  Follow();
  bool editing = ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert;
  int current = ds->RecNo();
  int first = top_, last = std::min(ds->RecordCount(), top_ + VisibleRowCount() - 1);
  if (editing || current < 1) first = last = current;  // moving away would post the row
  bool focused = Focused();

  // Each row is made current while it is drawn, with the set's scroll handlers held back so
  // that drawing is not taken for navigation.
  data::DataSetEvent before = ds->BeforeScroll, after = ds->AfterScroll;
  ds->BeforeScroll = nullptr;
  ds->AfterScroll = nullptr;
  painting_ = true;
  // Only a paint that walks other rows holds the controls back: enabling them again makes
  // every data-aware control show its field anew, which would drop text a person has typed
  // into one of them while the row is being edited.
  bool walks = first != last || first != current;
  if (walks) ds->DisableControls();
  struct Restore {
    data::DataSet* ds;
    data::DataSetEvent before, after;
    int rec;
    bool& painting;
    bool walks;
    ~Restore() {
      try {
        if (ds->RecNo() != rec && rec >= 1) ds->SetRecNo(rec);
      } catch (...) {
      }
      ds->BeforeScroll = before;
      ds->AfterScroll = after;
      painting = false;
      if (walks) ds->EnableControls();
    }
  } restore{ds, before, after, current, painting_, walks};

  for (int rec = first; rec <= last && rec >= 1; ++rec) {
    if (ds->RecNo() != rec) ds->SetRecNo(rec);
    drawRow_ = rec - top_;
    for (int c = 0; c < cols; ++c) {
      GridColumn& col = Columns(c);
      if (!col.Visible) continue;
      drawCol_ = c;
      GridDrawState state = 0;
      bool isCurrent = rec == current;
      if (isCurrent && (c == selectedIndex_ || (Options & dgRowSelect))) state |= gdSelected;
      if (isCurrent && focused && c == selectedIndex_) state |= gdFocused;
      canvas_.BrushColor = col.Color;
      canvas_.Font = GetFont();
      if ((state & gdSelected) && (focused || (Options & dgAlwaysShowSelection))) {
        canvas_.BrushColor = clHighlight;
        canvas_.Font.Color = clHighlightText;
      }
      if ((Options & dgMultiSelect) && RowSelected()) {
        canvas_.BrushColor = clHighlight;
        canvas_.Font.Color = clHighlightText;
      }
      if (OnGetCellParams) OnGetCellParams(*this, ColumnField(c), canvas_.Font, canvas_.BrushColor, state);
      Rect r = CellRect(c, drawRow_);
      if (DefaultDrawing) DefaultDrawColumnCell(r, c, col, state);
      if (OnDrawColumnCell) OnDrawColumnCell(*this, r, c, col, state);
      if (editing_ && isCurrent && c == selectedIndex_)
        draws_.push_back(DrawCall{"editor", drawRow_, c, r, editText_, clWindow, GetFont(), -1, -1, state});
    }
  }
  drawRow_ = drawCol_ = -1;
}

void DBGrid::ToggleCheck(int col) {
  GridColumn& column = Columns(col);
  data::Field* f = ColumnField(col);
  data::DataSet* ds = DataSet();
  if (!f || ReadOnly || column.ReadOnly || f->ReadOnly() || !(Options & dgEditing)) return;
  if (ds->State() == DataSetState::Browse) ds->Edit();
  f->SetAsString(text::SameText(f->AsString(), column.ValueChecked) ? column.ValueUnchecked : column.ValueChecked);
}

bool DBGrid::CanEditCell() const {
  data::DataSet* ds = DataSet();
  if (!(Options & dgEditing) || ReadOnly || !ds || !ds->Active() || selectedIndex_ >= ColumnCount()) return false;
  const GridColumn& c = const_cast<DBGrid*>(this)->Columns(selectedIndex_);
  data::Field* f = ColumnField(selectedIndex_);
  return f && !c.ReadOnly && !c.CheckBox && !f->ReadOnly() &&
         (f->Kind() == data::FieldKind::Data || f->Kind() == data::FieldKind::InternalCalc);
}

bool DBGrid::StartEditor(const std::string* typed) {
  if (editing_) return true;
  if (!CanEditCell()) {
    App().Beep();
    return false;
  }
  data::DataSet* ds = DataSet();
  data::Field* f = ColumnField(selectedIndex_);
  starting_ = true;
  try {
    if (ds->State() == DataSetState::Browse) ds->Edit();  // an empty set appends a row
  } catch (...) {
    starting_ = false;
    throw;
  }
  starting_ = false;
  f = ColumnField(selectedIndex_);
  editText_ = typed ? *typed : f ? f->AsString() : std::string();
  editing_ = true;
  Changed("EditorMode");
  return true;
}

void DBGrid::CommitEditor() {
  if (!editing_) return;
  data::DataSet* ds = DataSet();
  data::Field* f = ColumnField(selectedIndex_);
  if (ds && ds->Active() && f) {
    starting_ = true;
    try {
      if (ds->State() == DataSetState::Browse) ds->Edit();
      // A refused value throws: the editor stays open with its text.
      if (editText_ != f->AsString()) editText_.empty() ? f->Clear() : f->SetAsString(editText_);
    } catch (...) {
      starting_ = false;
      throw;
    }
    starting_ = false;
  }
  DropEditor();
}

void DBGrid::DropEditor() {
  if (!editing_ || starting_) return;
  editing_ = false;
  editText_.clear();
  Changed("EditorMode");
}

void DBGrid::CancelEditor() { DropEditor(); }

bool DBGrid::SetEditorMode(bool on) {
  if (!on) {
    CommitEditor();
    return true;
  }
  return StartEditor(nullptr);
}

void DBGrid::KeyPressDefault(char32_t& key) {
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active()) return;
  if (editing_) {
    if (key == 8) {
      std::u32string t = Utf8ToChars(editText_);
      if (!t.empty()) t.pop_back();
      editText_.clear();
      for (char32_t c : t) editText_ += CharToUtf8(c);
    } else if (key >= 32) {
      editText_ += CharToUtf8(key);
    }
    return;
  }
  if (key == ' ' && selectedIndex_ < ColumnCount() && Columns(selectedIndex_).CheckBox) return ToggleCheck(selectedIndex_);
  if (key < 32 || !(Options & dgEditing) || ReadOnly) return;
  std::string typed = CharToUtf8(key);
  StartEditor(&typed);
}

void DBGrid::ClickCell(int row, int col, ShiftState shift) {
  if (!Showing() || !IsEnabled()) return;
  App().Guard([&] {
    MouseDown(MouseButton::Left, shift | ssLeft, CellRect(col, row).Left + 1, CellRect(col, row).Top + 1);
    if (!Alive(this)) return;
    if (CanFocus() && !Focused()) {
      SetFocus();
      if (!Alive(this) || !Focused()) return;
    }
    CommitEditor();  // a click on any cell ends the cell's edit
    data::DataSet* ds = DataSet();
    if (ds && ds->Active() && !ds->IsEmpty()) {
      int target = top_ + row;
      if (target < 1 || target > ds->RecordCount()) return;
      if (ds->RecNo() != target) ds->MoveBy(target - ds->RecNo());
      if (Options & dgMultiSelect) {
        if (shift & ssCtrl) SetRowSelected(!RowSelected());
        else if (!(shift & ssShift)) ClearSelection();
      }
    }
    SetSelectedIndex(col);
    if (col >= 0 && col < ColumnCount() && Columns(col).CheckBox) ToggleCheck(col);
    MouseUp(MouseButton::Left, shift | ssLeft, 1, 1);
    if (!Alive(this)) return;
    if (OnCellClick && col >= 0 && col < ColumnCount()) OnCellClick(*this, Columns(col));
    if (!Alive(this)) return;
    Click();
  });
}

void DBGrid::DblClickCell(int row, int col) {
  ClickCell(row, col);
  if (!Alive(this) || !Showing() || !IsEnabled()) return;
  App().Guard([&] { DblClick(); });
}

bool DBGrid::WantsKey(Word key) const {
  if (editing_ && (key == VK_RETURN || key == VK_ESCAPE)) return true;
  if (key == VK_TAB) return (Options & dgTabs) != 0;
  return key >= VK_LEFT && key <= VK_DOWN;
}

void DBGrid::KeyDownDefault(Word& key, ShiftState shift) {
  data::DataSet* ds = DataSet();
  if (!ds || !ds->Active()) return;
  int cols = ColumnCount();
  if (editing_) {
    if (key == VK_RETURN) return CommitEditor();
    if (key == VK_ESCAPE) return CancelEditor();
    if (key == VK_F2) return;
    if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) CommitEditor();  // then move
  } else if (key == VK_F2 || key == VK_RETURN) {
    if (CanEditCell()) StartEditor(nullptr);
    return;
  }
  auto moveRows = [&](int by) {
    if (ds->IsEmpty()) return;
    if ((Options & dgMultiSelect) && (shift & ssShift)) SetRowSelected(true);
    ds->MoveBy(by);
    if ((Options & dgMultiSelect) && (shift & ssShift)) SetRowSelected(true);
  };
  switch (key) {
    case VK_UP: moveRows(-1); break;
    case VK_DOWN: moveRows(1); break;
    case VK_PRIOR: moveRows(-VisibleRowCount()); break;
    case VK_NEXT: moveRows(VisibleRowCount()); break;
    case VK_HOME: (shift & ssCtrl) ? ds->First() : SetSelectedIndex(0); break;
    case VK_END: (shift & ssCtrl) ? ds->Last() : SetSelectedIndex(cols - 1); break;
    case VK_LEFT: SetSelectedIndex(selectedIndex_ - 1); break;
    case VK_RIGHT: SetSelectedIndex(selectedIndex_ + 1); break;
    case VK_TAB:
      if (shift & ssShift) {
        if (selectedIndex_ > 0) SetSelectedIndex(selectedIndex_ - 1);
        else if (!ds->Bof() && ds->RecNo() > 1) ds->Prior(), SetSelectedIndex(cols - 1);
      } else if (selectedIndex_ < cols - 1) {
        SetSelectedIndex(selectedIndex_ + 1);
      } else if (ds->RecNo() < ds->RecordCount()) {
        ds->Next();
        SetSelectedIndex(0);
      }
      break;
    default: break;
  }
}

void DBGrid::DoExit() {
  CommitEditor();  // a refused value keeps the focus in the grid
  data::DataSet* ds = DataSet();
  // Leaving the grid with an untouched new row drops it.
  if ((Options & dgCancelOnExit) && ds && ds->State() == DataSetState::Insert && !ds->Modified()) ds->Cancel();
  WinControl::DoExit();
}

}  // namespace yz::ui
