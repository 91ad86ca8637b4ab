#include "framework/twdbeditdd.h"

#include <algorithm>
#include <set>

#include "framework/components.h"
#include "framework/twdbgriddd.h"
#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "remote/connection.h"

namespace yz {

namespace {

constexpr std::int64_t kPauseMs = 130;

remote::Connection& ConnectionOf(data::ClientDataSet& list) {
  auto* conn = dynamic_cast<remote::Connection*>(list.RemoteServer());
  if (!conn) throw Error("The list record set '" + list.Name + "' has no connection to the SQL-tag server");
  if (!conn->Connected()) conn->Connect();
  return *conn;
}

template <class Fn>
void ForEachLookupEdit(ui::Form& form, Fn fn) {
  auto visit = [&](ui::Component& owner) {
    for (int i = 0; i < owner.ComponentCount(); ++i)
      if (auto* e = dynamic_cast<TtwDBEditDD*>(owner.Components(i))) fn(*e);
  };
  visit(form);
  for (int i = 0; i < form.ComponentCount(); ++i)
    if (auto* frame = dynamic_cast<ui::Frame*>(form.Components(i))) visit(*frame);
}

}  // namespace

TtwDBEditDD::TtwDBEditDD(ui::Component* owner) : ui::DBEdit(owner) {
  store_ = std::make_unique<data::ClientDataSet>("code_name_store");
  data::FieldDef code;
  code.name = "code";
  code.size = 50;
  store_->FieldDefs().push_back(code);
  data::FieldDef name;
  name.name = "name";
  name.size = 100;
  store_->FieldDefs().push_back(name);
  store_->LogChanges = false;
  store_->CreateDataSet();
  // The input-method menu records the edit's colour now and shows "输入法=拼音" as its hint.
  SetPopupMenu(new TtwPopupMenuDD(this));
}

TtwDBEditDD::~TtwDBEditDD() {
  if (grid_) grid_->BindEdit(nullptr);
}

void TtwDBEditDD::DescribeProps(ui::PropList& out) const {
  ui::DBEdit::DescribeProps(out);
  using C = ui::Component;
  static const ui::PropDef props[] = {
      {"DropDBGrid",
       [](const C& c) {
         auto* g = static_cast<const TtwDBEditDD&>(c).DropDBGrid();
         return g ? g->Name() : std::string();
       },
       [](C& c, std::string_view v) {
         auto& e = static_cast<TtwDBEditDD&>(c);
         TtwDBGridDD* g = nullptr;
         if (!v.empty()) {
           for (C* o = e.Owner(); o && !g; o = o->Owner()) g = dynamic_cast<TtwDBGridDD*>(o->FindComponent(v));
           if (!g) throw Error("No list grid named '" + std::string(v) + "' for " + e.Name());
         }
         e.SetDropDBGrid(g);
       }},
      {"DBGridVisible", [](const C& c) { return ui::BoolText(static_cast<const TtwDBEditDD&>(c).DBGridVisible()); },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).SetDBGridVisible(ui::ParseBool(v)); }},
      {"ListField", [](const C& c) { return static_cast<const TtwDBEditDD&>(c).ListField; },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).ListField = v; }},
      {"KeyField", [](const C& c) { return static_cast<const TtwDBEditDD&>(c).KeyField; },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).KeyField = v; }},
      {"LookUpKeyField", [](const C& c) { return static_cast<const TtwDBEditDD&>(c).LookUpKeyField; },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).LookUpKeyField = v; }},
      {"LookUpResultField", [](const C& c) { return static_cast<const TtwDBEditDD&>(c).LookUpResultField; },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).LookUpResultField = v; }},
      {"ColumnWidth", [](const C& c) { return static_cast<const TtwDBEditDD&>(c).ColumnWidth; },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).ColumnWidth = v; }},
      {"DropDown", [](const C& c) { return ui::BoolText(static_cast<const TtwDBEditDD&>(c).DropDown); },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).DropDown = ui::ParseBool(v); }},
      {"SqlTag", [](const C& c) { return std::to_string(static_cast<const TtwDBEditDD&>(c).SqlTag()); },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).SetSqlTag(ui::ParseInt(v)); }},
      {"SqlTagV", [](const C& c) { return std::to_string(static_cast<const TtwDBEditDD&>(c).SqlTagV); },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).SqlTagV = ui::ParseInt(v); }},
      {"FetchDataOnce", [](const C& c) { return ui::BoolText(static_cast<const TtwDBEditDD&>(c).FetchDataOnce); },
       [](C& c, std::string_view v) { static_cast<TtwDBEditDD&>(c).FetchDataOnce = ui::ParseBool(v); }},
  };
  for (auto& p : props) out.push_back(&p);
}

void TtwDBEditDD::Notification(ui::Component* gone) {
  ui::DBEdit::Notification(gone);
  if (gone == grid_) grid_ = nullptr;
  if (gone && gone == listSourceComponent_) {
    listSource_ = nullptr;
    listSourceComponent_ = nullptr;
  }
  if (gone && gone == listSetComponent_) {
    listSet_ = nullptr;
    listSetComponent_ = nullptr;
  }
}

// ---------------------------------------------------------------- properties

void TtwDBEditDD::SetDropDBGrid(TtwDBGridDD* grid) {
  if (grid && sqlTag_ == 0) {
    ui::App().ShowMessage(Name() + ".SqlTag不能等于0");
    return;
  }
  if (grid_ == grid) return;
  if (grid_) {
    grid_->RemoveFreeNotification(this);
    grid_->BindEdit(nullptr);
  }
  grid_ = grid;
  if (!grid_) return;
  grid_->FreeNotification(this);
  grid_->BindEdit(this);
  grid_->SetDataSource(listSource_);
  if (!dbGridVisible_) {
    grid_->Hide();
    grid_->SetParent(nullptr);
  }
  data::DataSet* ds = RecordSet();
  data::Field* f = ds ? ds->FindField(DataField()) : nullptr;
  if (f && f->Kind() == data::FieldKind::Lookup) {
    KeyField = f->KeyFields();
    ListField = f->FieldName();
    LookUpKeyField = f->LookupKeyFields();
    LookUpResultField = f->LookupResultField();
  }
}

void TtwDBEditDD::SetListSource(data::DataSource* source) { AssignListSource(source, nullptr); }

void TtwDBEditDD::SetListSource(TDataSource* source) { AssignListSource(source, source); }

void TtwDBEditDD::AssignListSource(data::DataSource* source, ui::Component* asComponent) {
  // Sources and record sets that are components tell the edit when they go.
  if (listSourceComponent_) listSourceComponent_->RemoveFreeNotification(this);
  if (listSetComponent_) listSetComponent_->RemoveFreeNotification(this);
  listSource_ = source;
  listSet_ = source ? dynamic_cast<data::ClientDataSet*>(source->GetDataSet()) : nullptr;
  listSourceComponent_ = asComponent;
  listSetComponent_ = dynamic_cast<ui::Component*>(listSet_);
  if (listSourceComponent_) listSourceComponent_->FreeNotification(this);
  if (listSetComponent_) listSetComponent_->FreeNotification(this);
  if (grid_) grid_->SetDataSource(source);
}

void TtwDBEditDD::SetDBGridVisible(bool v) {
  dbGridVisible_ = v;
  if (!v && grid_) {
    grid_->Hide();
    grid_->SetParent(nullptr);
  }
}

void TtwDBEditDD::SetSqlTag(int tag) {
  sqlTag_ = tag;
  if (!setUp_) return;  // while the window is built the tag is only stored
  sql_.clear();
  cache_.Clear();
  cacheValid_ = false;
  if (!listSource_) {
    ui::App().ShowMessage("选择" + Name() + ".ListSource");
    return;
  }
  if (data::ClientDataSet* list = ListSet()) PrepareList("*", *list);
  if (grid_) {
    grid_->SetTop(Top() + Height());
    grid_->SetLeft(Left());
    grid_->SetDataSource(listSource_);
  }
}

// ---------------------------------------------------------------- helpers

data::DataSet* TtwDBEditDD::RecordSet() const {
  data::DataSource* s = DataSource();
  return s ? s->GetDataSet() : nullptr;
}

data::Field* TtwDBEditDD::KeyFieldOf() const {
  data::DataSet* ds = RecordSet();
  return ds && !KeyField.empty() ? ds->FindField(KeyField) : nullptr;
}

data::ClientDataSet* TtwDBEditDD::ListSet() const {
  if (listSet_) return listSet_;
  return listSource_ ? dynamic_cast<data::ClientDataSet*>(listSource_->GetDataSet()) : nullptr;
}

bool TtwDBEditDD::RecordSetOpen() const {
  data::DataSet* ds = RecordSet();
  return ds && ds->Active();
}

bool TtwDBEditDD::ShowsKeyField() const { return !KeyField.empty() && text::SameText(DataField(), KeyField); }

bool TtwDBEditDD::IgnoresKeys() const { return ReadOnly() || !IsEnabled(); }

int TtwDBEditDD::InputMethod() const {
  TtwPopupMenuDD* m = InputMethodMenu();
  return m ? m->InputMethod() : 0;
}

int TtwDBEditDD::RowLimit() const {
  if (FetchDataOnce) return 0;
  TtwPopupMenuDD* m = InputMethodMenu();
  return m ? m->RowLimit() : 100;
}

TtwPopupMenuDD* TtwDBEditDD::InputMethodMenu() const { return dynamic_cast<TtwPopupMenuDD*>(GetPopupMenu()); }

void TtwDBEditDD::SetKeyNull() {
  data::DataSet* ds = RecordSet();
  data::Field* key = KeyFieldOf();
  if (!ds || !ds->Active() || !key) return;
  if (ds->State() == data::DataSetState::Browse) ds->Edit();
  key->Clear();
}

void TtwDBEditDD::AddPair(const std::string& code, const std::string& name) {
  if (store_->Locate("code;name", std::vector<Variant>{Variant(code), Variant(name)})) return;
  store_->AppendRecord({Variant(code), Variant(name)});
}

void TtwDBEditDD::CopyContextParams(data::Params& target) const {
  for (int i = 5; i < target.Count(); ++i) {
    if (const data::Param* p = Params.FindParam(target[i].Name()))
      target[i].SetValue(p->Value());
    else if (i - 5 < Params.Count())
      target[i].SetValue(Params[i - 5].Value());
  }
}

void TtwDBEditDD::EnsureSqlText(data::ClientDataSet& list) {
  remote::Connection& conn = ConnectionOf(list);
  if (!sql_.empty()) return;
  VariantArray args{Variant(SqlTagV != 0 ? SqlTagV : sqlTag_)};
  sql_ = conn.Call("NewSetsql", args).ToString();
}

void TtwDBEditDD::PrepareList(const std::string& search, data::ClientDataSet& list) {
  EnsureSqlText(list);
  std::string s = text::Trim(search);
  if (!cacheValid_) {
    list.FetchParams();
    data::Params& p = list.GetParams();
    int keys = std::min(p.Count(), p.Count() > 4 ? 5 : 4);
    for (int i = 0; i < keys; ++i) p[i].SetValue(Variant("%"));
    CopyContextParams(p);
    if (s != "%" && !s.empty() && p.Count() > 2) p[2].SetValue(Variant(s));
    cache_ = p;
    cacheValid_ = true;
  }
  if (s.empty()) return;
  // A failing request leaves the list as it was: its rows are put back.
  bool wasOpen = list.Active();
  data::DataPacket before = wasOpen ? list.Data() : data::DataPacket{};
  try {
    VariantArray args{Variant(sql_), Variant(RowLimit())};
    ConnectionOf(list).Call("SetADOSQL", args);
    list.GetParams() = cache_;
    CopyContextParams(list.GetParams());
    if (list.GetParams().Count() > 2) list.GetParams()[2].SetValue(Variant(search));
    list.Close();
    list.Open();
  } catch (const std::exception&) {
    try {
      if (wasOpen && !list.Active()) list.SetData(before);
    } catch (const std::exception&) {
      // The old rows cannot be shown again; the list stays closed.
    }
  }
}

// ---------------------------------------------------------------- window creation

void TtwDBEditDD::HookHandlers() {
  if (hooked_ || !grid_) return;
  hooked_ = true;
  if (data::DataSet* ds = RecordSet(); ds && ds->Active()) ds->Close();
  if (data::DataSet* ds = RecordSet()) {
    data::Field* f = ds->FindField(ListField);
    if (f && f->Kind() == data::FieldKind::Lookup) f->SetLookup(KeyField, store_.get(), "code", "name");
  }
  prevEnter_ = std::move(OnEnter);
  prevExit_ = std::move(OnExit);
  prevKeyDown_ = std::move(OnKeyDown);
  OnEnter = [this](ui::Component&) {
    FocusEnter();
    if (prevEnter_) prevEnter_(*this);
  };
  OnExit = [this](ui::Component&) {
    FocusExit();
    if (prevExit_) prevExit_(*this);
  };
  OnKeyDown = [this](ui::Component&, ui::Word& key, ui::ShiftState shift) {
    KeyDownHook(key);
    if (prevKeyDown_) prevKeyDown_(*this, key, shift);
  };
}

void TtwDBEditDD::AfterWindowCreated() {
  if (setUp_ || !hooked_) return;
  setUp_ = true;
  if (!FetchDataOnce) return;
  data::ClientDataSet* list = ListSet();
  if (!list) return;
  fetched_ = std::make_unique<data::ClientDataSet>(Name() + "_fetched");
  fetched_->SetRemoteServer(list->RemoteServer());
  fetched_->SetProviderName(list->ProviderName());
  PrepareList("%", *fetched_);
}

void SetUpLookupEdits(ui::Form& form) {
  std::vector<TtwDBEditDD*> edits;
  ForEachLookupEdit(form, [&](TtwDBEditDD& e) {
    if (e.DropDBGrid() && !e.SetUp()) edits.push_back(&e);
  });
  for (TtwDBEditDD* e : edits) e->HookHandlers();
  std::set<data::DataSet*> chained;
  ui::Form* owner = &form;
  for (TtwDBEditDD* e : edits) {
    if (e->OnAfterCreate) e->OnAfterCreate(*e);
    data::DataSet* ds = e->DataSource() ? e->DataSource()->GetDataSet() : nullptr;
    if (ds && chained.insert(ds).second) {
      auto previous = std::move(ds->AfterScroll);
      ds->AfterScroll = [previous, owner](data::DataSet& set) {
        if (previous) previous(set);
        // The record set may belong to a data module that outlives the window.
        if (ui::Component::Alive(owner) && !owner->Destroying()) RefreshAllDisplays(*owner, &set);
      };
    }
    e->AfterWindowCreated();
  }
}

void RefreshAllDisplays(ui::Form& form, const data::DataSet* recordSet) {
  std::vector<TtwDBEditDD*> edits;
  ForEachLookupEdit(form, [&](TtwDBEditDD& e) {
    if (!e.DropDBGrid()) return;
    if (recordSet && (!e.DataSource() || e.DataSource()->GetDataSet() != recordSet)) return;
    edits.push_back(&e);
  });
  for (TtwDBEditDD* e : edits)
    if (ui::Component::Alive(e)) e->RefreshDisplay();
}

// ---------------------------------------------------------------- focus

void TtwDBEditDD::FocusEnter() {
  if (taking_ || !grid_ || !RecordSetOpen()) return;
  pending_ = false;
  SetDataField(KeyField);
  setSql_ = true;
  SelectAll();
  grid_->SetDataSource(listSource_);
  if (listSource_) {
    data::DataSet* list = FetchDataOnce && fetched_ ? static_cast<data::DataSet*>(fetched_.get()) : ListSet();
    if (list && listSource_->GetDataSet() != list) listSource_->SetDataSet(list);
  }
  if (!timer_) {
    timer_ = new ui::Timer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(1);
    timer_->OnTimer = [this](ui::Component&) { TimerTick(); };
  }
  if (!changeHooked_) {
    changeHooked_ = true;
    prevChange_ = std::move(OnChange);
    OnChange = [this](ui::Component&) { TextChanged(); };
  }
  data::DataSet* ds = RecordSet();
  if (ds->State() == data::DataSetState::Browse) ds->Edit();
  if (DropDown) {
    if (!typing_) SetText("");
    typing_ = true;
    RefreshList();
  }
}

void TtwDBEditDD::FocusExit() {
  if (grid_ && grid_->TakeMouseFocusing()) return;  // the user is picking from the list
  if (!hooked_) return;
  if (ShowsKeyField() && pending_) SetKeyNull();
  if (!ListField.empty()) SetDataField(ListField);
  HideGrid();
  if (timer_) {
    ui::Timer* t = timer_;
    timer_ = nullptr;
    t->Free();
  }
  if (changeHooked_) {
    changeHooked_ = false;
    OnChange = std::move(prevChange_);
    prevChange_ = nullptr;
  }
}

void TtwDBEditDD::HideGrid() {
  if (grid_ && grid_->Visible()) grid_->Hide();
}

// ---------------------------------------------------------------- typing and the pause

void TtwDBEditDD::TextChanged() {
  lastKey_ = GetClock().Milliseconds();
  pending_ = false;
  if (timer_) {
    timer_->SetInterval(1);
    timer_->SetEnabled(true);
  }
}

void TtwDBEditDD::StopTimer() {
  if (timer_) timer_->SetEnabled(false);
}

void TtwDBEditDD::TimerTick() {
  data::DataSet* list = listSource_ ? listSource_->GetDataSet() : nullptr;
  bool listEmpty = !list || !list->Active() || list->IsEmpty();
  bool wanted = typing_ && grid_ && RecordSetOpen() &&
                (!text::Trim(Text()).empty() || listEmpty || !grid_->Visible());
  if (!wanted) {
    StopTimer();  // nothing to refresh: the next change starts the pause again
    return;
  }
  if (!DropDown && GetClock().Milliseconds() - lastKey_ < kPauseMs) return;
  StopTimer();
  RefreshList();
}

void TtwDBEditDD::RefreshList() {
  if (!grid_) return;
  data::ClientDataSet* list = FetchDataOnce && fetched_ ? fetched_.get() : ListSet();
  if (!list) throw Error(Name() + " has no list record set (ListSource)");
  if (!cacheValid_) PrepareList("", *list);
  std::string t = text::Upper(text::Trim(Text()));
  int method = InputMethod();
  if (FetchDataOnce && fetched_) {
    static constexpr int kColumnOf[4] = {2, 3, 0, 1};
    int col = kColumnOf[std::clamp(method, 0, 3)];
    if (col >= list->FieldCount())
      throw Error("The list of " + Name() + " has no column " + std::to_string(col + 1) + " to search in");
    list->SetFilter(list->FieldAt(col).FieldName() + " LIKE '" + text::QuoteSql(t) + (method == 2 ? "%%%%%'" : "%'"));
    list->SetFiltered(true);
  } else {
    list->GetParams() = cache_;
    data::Params& p = list->GetParams();
    int n = p.Count();
    int keys = n == 4 || n == 5 ? n : n >= 6 && n <= 13 ? 5 : 0;
    for (int i = 0; i < keys; ++i) p[i].SetValue(Variant("%"));
    std::string upper = text::Upper(Text());
    switch (method) {
      case 0: if (n > 0) p[0].SetValue(Variant(t + "%")); break;
      case 1: if (n > 1) p[1].SetValue(Variant(upper + "%")); break;
      case 2: if (n > 2) p[2].SetValue(Variant(upper + "%")); break;
      case 3: if (n > 3) p[3].SetValue(Variant("%" + upper + "%%%%%")); break;
      default: break;
    }
    CopyContextParams(p);
    if (setSql_) {
      VariantArray args{Variant(sql_), Variant(RowLimit())};
      ConnectionOf(*list).Call("SetADOSQL", args);
      setSql_ = false;
    }
    list->Close();
    list->Open();
  }
  pending_ = true;
  if (!grid_->Visible()) {
    LayoutColumns();
    PlaceGrid();
    grid_->Show();
    grid_->BringToFront();
  }
  if (prevChange_) prevChange_(*this);
}

// ---------------------------------------------------------------- the list grid

void TtwDBEditDD::LayoutColumns() {
  grid_->ClearColumns();
  if (ColumnWidth.empty()) return;
  data::DataSet* list = listSource_ ? listSource_->GetDataSet() : nullptr;
  int total = 0;
  size_t pos = 0;
  for (int col = 0; list && col < list->FieldCount(); ++col) {
    size_t sep = ColumnWidth.find_first_of(",;", pos);
    if (sep == std::string::npos) break;  // a last width without a separator is not used
    std::string w = text::Trim(ColumnWidth.substr(pos, sep - pos));
    pos = sep + 1;
    int64_t width = 0;
    if (w.empty() || !ParseInteger(w, &width) || width <= 0 || width > 10000) continue;
    data::Field& f = list->FieldAt(col);
    ui::GridColumn& c = grid_->AddColumn(f.FieldName(), f.DisplayLabel(), static_cast<int>(width));
    c.TitleAlignment = ui::TitleAlign::Center;
    total += static_cast<int>(width);
  }
  grid_->SetWidth(total + 40);
}

void TtwDBEditDD::PlaceGrid() {
  ui::Form* form = GetParentForm();
  if (!form) return;
  if (grid_->FixPosition) {
    if (!grid_->Parent()) grid_->SetParent(form);
    return;
  }
  grid_->SetParent(form);
  ui::Point origin = ClientToScreen(ui::Point{});
  ui::Point formOrigin = form->ClientToScreen(ui::Point{});
  int editLeft = origin.X - formOrigin.X, editTop = origin.Y - formOrigin.Y;
  int width = grid_->Width(), height = grid_->Height();
  int left = editLeft, top = editTop + Height();
  if (left + width > form->Width()) left = form->Width() - width;
  if (left < 0) {
    left = 0;
    width = form->Width();
  }
  if (top + height > form->Height()) top = editTop - height;
  grid_->SetBounds(left, top, width, height);
}

// ---------------------------------------------------------------- keys

bool TtwDBEditDD::WantsKey(ui::Word key) const {
  if (hooked_ && (key == ui::VK_RETURN || key == ui::VK_ESCAPE)) return true;
  if (hooked_ && grid_ && grid_->Visible() && (key == ui::VK_UP || key == ui::VK_DOWN)) return true;
  return ui::DBEdit::WantsKey(key);
}

void TtwDBEditDD::KeyDownHook(ui::Word& key) {
  if (IgnoresKeys()) return;
  bool shown = grid_ && grid_->Visible();
  data::DataSet* list = shown && listSource_ ? listSource_->GetDataSet() : nullptr;
  bool listOpen = list && list->Active();
  switch (key) {
    case ui::VK_PRIOR:
    case ui::VK_NEXT:
      if (!shown) break;
      if (listOpen) list->MoveBy(key == ui::VK_PRIOR ? -5 : 5);
      StopTimer();
      break;
    case ui::VK_UP:
    case ui::VK_DOWN:
      if (!shown) break;
      if (listOpen) key == ui::VK_UP ? list->Prior() : list->Next();
      StopTimer();
      break;
    case ui::VK_END:
      if (TtwPopupMenuDD* m = InputMethodMenu()) m->NextMethod();
      break;
    case ui::VK_HOME:
      if (TtwPopupMenuDD* m = InputMethodMenu()) m->PriorMethod();
      break;
    default: break;
  }
}

void TtwDBEditDD::KeyPressDefault(char32_t& key) {
  if (IgnoresKeys()) {
    key = 0;
    return;
  }
  if (!hooked_) {
    ui::DBEdit::KeyPressDefault(key);
    return;
  }
  if (key == U'\r') {
    key = 0;
    EnterKey();
    return;
  }
  if (key == 27) {
    key = 0;
    SetKeyNull();
    pending_ = typing_ = false;
    HideGrid();
    return;
  }
  typing_ = true;
  ui::DBEdit::KeyPressDefault(key);
}

void TtwDBEditDD::EnterKey() {
  if (typing_ && !pending_ && !text::Trim(Text()).empty()) return;  // the list comes first
  ui::Form* form = GetParentForm();
  if (!grid_ || !grid_->Visible()) {
    if (form) form->SelectNext(this, true, true);
    return;
  }
  pending_ = typing_ = false;
  if (!ShowsKeyField()) return;
  data::DataSet* list = listSource_ ? listSource_->GetDataSet() : nullptr;
  if (!list || !list->Active() || list->IsEmpty()) {
    SetKeyNull();
    ui::App().Beep();
    return;
  }
  std::string code = text::Trim(list->FieldByName(LookUpKeyField).AsString());
  std::string name = text::Trim(list->FieldByName(LookUpResultField).AsString());
  AddPair(code, name);
  data::DataSet* ds = RecordSet();
  data::Field* key = KeyFieldOf();
  if (!ds || !key) throw Error(Name() + ": the key field '" + KeyField + "' is not in the record set");
  if (ds->State() == data::DataSetState::Browse) ds->Edit();
  key->SetAsString(code);
  // While the row is taken, focusing the edit again does not start a new entry.
  struct Taking {
    TtwDBEditDD* edit;
    ~Taking() {
      if (Alive(edit)) edit->taking_ = false;
    }
  } taking{this};
  taking_ = true;
  if (OnDBEditEnter) OnDBEditEnter(*this);
  if (!Alive(this)) return;
  if (CanFocus() && !Focused()) SetFocus();
  if (form && Alive(form) && Alive(this)) form->SelectNext(this, true, true);
  if (Alive(this)) HideGrid();
}

// ---------------------------------------------------------------- display

void TtwDBEditDD::RefreshDisplay() {
  if (!grid_ || !RecordSetOpen()) return;
  data::Field* key = KeyFieldOf();
  if (!key) return;
  std::string value = text::Trim(key->AsString());
  if (value.empty()) return;
  constexpr data::LocateOptions kPrefix = data::loCaseInsensitive | data::loPartialKey;
  if (!store_->Locate("code", Variant(value), kPrefix)) {
    data::DataSet* found = nullptr;
    if (FetchDataOnce) {
      if (fetched_ && fetched_->Active() && fetched_->FindField(LookUpKeyField) &&
          fetched_->Locate(LookUpKeyField, Variant(value), kPrefix))
        found = fetched_.get();
    } else if (data::ClientDataSet* list = ListSet()) {
      if (listSource_ && listSource_->GetDataSet() != list) listSource_->SetDataSet(list);
      PrepareList(value, *list);
      if (list->Active() && !list->IsEmpty() && list->FindField(LookUpKeyField) &&
          list->Locate(LookUpKeyField, Variant(value), kPrefix))
        found = list;
    }
    if (!found) return;
    AddPair(text::Trim(found->FieldByName(LookUpKeyField).AsString()),
            text::Trim(found->FieldByName(LookUpResultField).AsString()));
  }
  // The lookup field reads the store each time it is shown: showing it again is enough, and
  // the record is neither put into edit state nor marked as changed.
  if (!Focused()) Reset();
}

// ---------------------------------------------------------------- input-method menu

void TtwDBEditDD::RowLimitChanged(int limit) {
  data::ClientDataSet* list = ListSet();
  if (!list || FetchDataOnce) return;
  EnsureSqlText(*list);
  VariantArray args{Variant(sql_), Variant(limit)};
  ConnectionOf(*list).Call("SetADOSQL", args);
}

}  // namespace yz
