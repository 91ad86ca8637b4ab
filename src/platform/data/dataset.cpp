// The dataset core: fields, rows, cursor, states, events, filters, search and sorting.
#include <algorithm>
#include <cctype>

#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/data/dataset_impl.h"

namespace yz::data {

std::string LowerKey(std::string_view s) {
  std::string k(s);
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

namespace {

std::string SetLabel(const DataSet& ds) { return ds.Name.empty() ? std::string("Dataset") : "Dataset '" + ds.Name + "'"; }

bool IsEditing(DataSetState s) { return s == DataSetState::Edit || s == DataSetState::Insert; }

// Runs a handler, restoring a member after it whatever happens.
template <class T>
struct Restore {
  T& ref;
  T saved;
  Restore(T& r, T v) : ref(r), saved(r) { ref = v; }
  ~Restore() { ref = saved; }
};

}  // namespace

// ---------------------------------------------------------------------------- Impl helpers

Row* DataSet::Impl::ActiveRow() const {
  if (override) return override;
  if (IsEditing(ds.state_)) return const_cast<Row*>(&buf);
  return CursorRow();
}

int DataSet::Impl::FieldIndex(std::string_view name) const {
  auto it = byName.find(LowerKey(text::Trim(name)));
  return it == byName.end() ? -1 : it->second;
}

std::vector<int> DataSet::Impl::FieldList(std::string_view names) const {
  std::vector<int> out;
  for (const auto& part : text::Split(names, ';')) {
    if (text::Trim(part).empty()) continue;
    int i = FieldIndex(part);
    if (i < 0) throw Error(SetLabel(ds) + ": field '" + text::Trim(part) + "' not found");
    out.push_back(i);
  }
  return out;
}

void DataSet::Impl::RegisterFields() {
  byName.clear();
  hasCalc = hasLookup = hasInternal = false;
  for (size_t i = 0; i < fields.size(); ++i) {
    byName.emplace(LowerKey(fields[i]->FieldName()), static_cast<int>(i));
    switch (fields[i]->Kind()) {
      case FieldKind::Calculated: hasCalc = true; break;
      case FieldKind::Lookup: hasLookup = true; break;
      case FieldKind::InternalCalc: hasInternal = true; break;
      default: break;
    }
  }
  packetKey.assign(fields.size(), 0);
}

void DataSet::Impl::AddLookupUser(Field* f) {
  if (std::find(lookupUsers.begin(), lookupUsers.end(), f) == lookupUsers.end()) lookupUsers.push_back(f);
}

void DataSet::Impl::RemoveLookupUser(Field* f) {
  lookupUsers.erase(std::remove(lookupUsers.begin(), lookupUsers.end(), f), lookupUsers.end());
}

void DataSet::Impl::ClearRows() {
  rows.clear();
  deletedRows.clear();
  log.clear();
  view.clear();
  cur = -1;
  bof = eof = true;
  buf = Row{};
  editRow = insertBefore = nullptr;
  modified = false;
}

std::unique_ptr<Row> DataSet::Impl::MakeRow() {
  auto r = std::make_unique<Row>();
  r->id = nextId++;
  r->v.assign(fields.size(), Variant());
  return r;
}

Row* DataSet::Impl::FindRow(long long id) const {
  for (const auto& r : rows)
    if (r->id == id) return r.get();
  return nullptr;
}

int DataSet::Impl::RowIndex(long long id) const {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i]->id == id) return static_cast<int>(i);
  return -1;
}

void DataSet::Impl::InsertRowBySeq(std::unique_ptr<Row> r) {
  auto it = std::lower_bound(rows.begin(), rows.end(), r->seq,
                             [](const std::unique_ptr<Row>& a, double s) { return a->seq < s; });
  rows.insert(it, std::move(r));
}

std::unique_ptr<Row> DataSet::Impl::TakeRow(long long id) {
  int i = RowIndex(id);
  if (i < 0) return nullptr;
  auto r = std::move(rows[static_cast<size_t>(i)]);
  rows.erase(rows.begin() + i);
  view.erase(std::remove(view.begin(), view.end(), r.get()), view.end());
  return r;
}

void DataSet::Impl::CalcRow(Row* r) {
  if (!hasCalc && !ds.OnCalcFields) return;
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i]->Kind() == FieldKind::Calculated) r->v[i] = Variant();
  if (!ds.OnCalcFields) return;
  Restore<Row*> ov(override, r);
  Restore<DataSetState> st(ds.state_, DataSetState::CalcFields);
  auto handler = ds.OnCalcFields;
  handler(ds);
}

Variant DataSet::Impl::LookupValue(const Field& f, Row* r) {
  const FieldDef& d = f.Def();
  if (!d.lookupDataSet || !d.lookupDataSet->Active() || d.keyFields.empty()) return Variant();
  std::vector<Variant> keys;
  for (int k : FieldList(d.keyFields)) {
    const Variant& v = r->v[static_cast<size_t>(k)];
    if (v.IsNull()) return Variant();
    keys.push_back(v);
  }
  return d.lookupDataSet->Lookup(d.lookupKeyFields, keys, d.lookupResultField);
}

void DataSet::Impl::FillComputed(Row* r, bool calc, bool lookup) {
  if (lookup && hasLookup) {
    for (size_t i = 0; i < fields.size(); ++i)
      if (fields[i]->Kind() == FieldKind::Lookup) r->v[i] = LookupValue(*fields[i], r);
  }
  if (calc) CalcRow(r);
}

bool DataSet::Impl::PassesFilter(Row* r) {
  if (filterExpr) {
    if (filterUsesComputed) FillComputed(r, true, true);
    if (!filterExpr->Match(r->v)) return false;
  }
  if (ds.OnFilterRecord) {
    Restore<Row*> ov(override, r);
    auto handler = ds.OnFilterRecord;
    if (!handler(ds)) return false;
  }
  return true;
}

void DataSet::Impl::PrepareFilter() {
  filterExpr.reset();
  filterUsesComputed = false;
  if (text::Trim(ds.filter_).empty() || fields.empty()) return;
  filter::Binding b{[this](std::string_view n) { return FieldIndex(n); },
                    [this](int i) { return fields[static_cast<size_t>(i)]->DataType(); }};
  filterExpr = filter::Expression::Parse(ds.filter_, b);
  for (int i : filterExpr->Fields()) {
    FieldKind k = fields[static_cast<size_t>(i)]->Kind();
    if (k == FieldKind::Calculated || k == FieldKind::Lookup) filterUsesComputed = true;
  }
}

void DataSet::Impl::ApplySortSpec() {
  sortFields.clear();
  sortDesc.clear();
  sortCI = false;
  if (!ds.indexName_.empty()) {
    const IndexDef* def = nullptr;
    for (const auto& d : ds.indexDefs_)
      if (text::SameText(d.name, ds.indexName_)) def = &d;
    if (!def) throw Error(SetLabel(ds) + ": index '" + ds.indexName_ + "' not found");
    sortFields = FieldList(def->fields);
    std::vector<int> desc = FieldList(def->descFields);
    for (int f : sortFields) sortDesc.push_back(std::find(desc.begin(), desc.end(), f) != desc.end());
    sortCI = def->caseInsensitive;
  } else if (!text::Trim(ds.indexFieldNames_).empty()) {
    sortFields = FieldList(ds.indexFieldNames_);
    sortDesc.assign(sortFields.size(), 0);
  }
}

void DataSet::Impl::SortView() {
  if (sortFields.empty()) return;
  bool computed = false;
  for (int f : sortFields) {
    FieldKind k = fields[static_cast<size_t>(f)]->Kind();
    if (k == FieldKind::Calculated || k == FieldKind::Lookup) computed = true;
  }
  if (computed)
    for (Row* r : view) FillComputed(r, true, true);
  auto less = [this](const Row* a, const Row* b) {
    for (size_t i = 0; i < sortFields.size(); ++i) {
      size_t f = static_cast<size_t>(sortFields[i]);
      int c;
      try {
        c = Variant::Compare(a->v[f], b->v[f], sortCI);
      } catch (const ConvertError&) {
        c = a->v[f].ToString().compare(b->v[f].ToString());
      }
      if (c != 0) return sortDesc[i] ? c > 0 : c < 0;
    }
    return a->seq < b->seq;
  };
  std::sort(view.begin(), view.end(), less);
}

void DataSet::Impl::RebuildView(Row* keep) {
  view.clear();
  view.reserve(rows.size());
  bool filt = ds.filtered_ && (filterExpr || ds.OnFilterRecord);
  for (auto& r : rows)
    if (!filt || PassesFilter(r.get())) view.push_back(r.get());
  SortView();
  if (keep) {
    auto it = std::find(view.begin(), view.end(), keep);
    if (it != view.end()) {
      cur = static_cast<int>(it - view.begin());
      return;
    }
  }
  if (view.empty()) cur = -1;
  else cur = std::clamp(cur, 0, static_cast<int>(view.size()) - 1);
}

void DataSet::Impl::CurrentChanged() {
  if (Row* r = CursorRow()) CalcRow(r);
}

void DataSet::Impl::Fire(DataSetEvent& e) {
  if (!e) return;
  auto handler = e;  // the handler may replace itself while it runs
  handler(ds);
}

void DataSet::Impl::Notify(LinkEvent e, Field* f, int distance) {
  if (ds.disableCount_ > 0) {
    pendingChange = true;
    if (e == LinkEvent::Active) pendingActive = true;
    return;
  }
  auto srcs = sources;
  for (DataSource* s : srcs) {
    if (!s->Enabled()) continue;
    auto links = s->Links();
    for (DataLink* l : links) {
      switch (e) {
        case LinkEvent::Active: l->ActiveChanged(); break;
        case LinkEvent::Changed: l->DataSetChanged(); break;
        case LinkEvent::Scrolled: l->DataSetScrolled(distance); break;
        case LinkEvent::Record: l->RecordChanged(f); break;
        case LinkEvent::State: l->EditingChanged(); break;
      }
    }
    if (e == LinkEvent::Active || e == LinkEvent::State) {
      if (s->OnStateChange) s->OnStateChange(*s);
    } else if (s->OnDataChange) {
      s->OnDataChange(*s, f);
    }
  }
}

void DataSet::Impl::CheckActive() const {
  if (!ds.Active()) throw Error(SetLabel(ds) + ": cannot perform this operation on a closed dataset");
}

void DataSet::Impl::CheckBrowseMode() {
  CheckActive();
  if (!IsEditing(ds.state_)) return;
  for (DataSource* s : sources)
    for (DataLink* l : s->Links()) l->UpdateData();
  // A row nobody changed is dropped rather than stored as an empty row.
  if (modified) ds.Post();
  else ds.Cancel();
}

std::vector<Variant> DataSet::Impl::DataValues(const Row& r) const {
  std::vector<Variant> out;
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i]->IsData()) out.push_back(r.v[i]);
  return out;
}

Variant DataSet::Impl::Convert(const Field& f, const Variant& v) const {
  if (v.IsNull()) return Variant();
  auto blankText = [&] { return v.IsText() && text::Trim(v.ToString()).empty(); };
  switch (f.DataType()) {
    case FieldType::String:
    case FieldType::FixedChar: {
      std::string s = v.ToString();
      if (s.empty()) return Variant();
      if (f.Size() > 0 && text::Length(s) > static_cast<size_t>(f.Size())) s = text::Left(s, static_cast<size_t>(f.Size()));
      return Variant(std::move(s));
    }
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::Word: {
      if (blankText()) return Variant();
      if (v.IsText()) {
        double d;
        if (!ParseNumber(v.ToString(), &d))
          throw ConvertError("'" + v.ToString() + "' is not a valid integer value");
        return Variant(Variant(d).ToInt());
      }
      return Variant(v.ToInt());
    }
    case FieldType::LargeInt: {
      if (blankText()) return Variant();
      return Variant(v.ToInt64());
    }
    case FieldType::Float: {
      if (blankText()) return Variant();
      return Variant(v.ToDouble());
    }
    case FieldType::Boolean: return Variant(v.ToBool());
    case FieldType::DateTime: {
      if (blankText()) return Variant();
      return Variant(v.ToDateTime());
    }
    case FieldType::Blob: return v;
  }
  return v;
}

void DataSet::Impl::SetFieldValue(int idx, const Variant& value) {
  Field& f = *fields[static_cast<size_t>(idx)];
  if (ds.state_ == DataSetState::CalcFields) {
    if (f.Kind() != FieldKind::Calculated && f.Kind() != FieldKind::InternalCalc)
      throw Error(SetLabel(ds) + ": field '" + f.FieldName() + "' cannot be modified while calculating fields");
    ActiveRow()->v[static_cast<size_t>(idx)] = Convert(f, value);
    return;
  }
  if (f.Kind() == FieldKind::Calculated || f.Kind() == FieldKind::Lookup)
    throw Error("Field '" + f.FieldName() + "' cannot be modified");
  if (f.ReadOnly()) throw Error("Field '" + f.FieldName() + "' cannot be modified");
  if (!IsEditing(ds.state_)) throw Error(SetLabel(ds) + " is not in edit or insert mode");
  Variant nv = Convert(f, value);
  Variant old = std::move(buf.v[static_cast<size_t>(idx)]);
  buf.v[static_cast<size_t>(idx)] = std::move(nv);
  if (f.OnValidate) {
    try {
      auto h = f.OnValidate;
      h(f);
    } catch (...) {
      buf.v[static_cast<size_t>(idx)] = std::move(old);
      throw;
    }
  }
  modified = true;
  CalcRow(&buf);
  if (f.OnChange) {
    auto h = f.OnChange;
    h(f);
  }
  Notify(LinkEvent::Record, &f);
}

void DataSet::Impl::LoadPacket(const DataPacket& p) {
  ClearRows();
  if (!persistent) {
    bool same = fields.size() == p.columns.size();
    for (size_t i = 0; same && i < fields.size(); ++i)
      same = text::SameText(fields[i]->FieldName(), p.columns[i].name) && fields[i]->DataType() == p.columns[i].type;
    if (!same) {
      for (auto& f : fields) retired.push_back(std::move(f));
      fields.clear();
      for (const auto& c : p.columns) {
        FieldDef d;
        d.name = c.name;
        d.type = c.type;
        d.size = c.size;
        d.required = c.required;
        d.readOnly = c.readOnly;
        d.key = c.key;
        fields.push_back(std::make_unique<Field>(ds, std::move(d), static_cast<int>(fields.size())));
      }
    }
    RegisterFields();
  }
  // Column of the packet for each field (-1: not in the packet, stays null).
  std::vector<int> col(fields.size(), -1);
  packetKey.assign(fields.size(), 0);
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!fields[i]->IsData()) continue;
    col[i] = p.ColumnIndex(fields[i]->FieldName());
    if (col[i] >= 0) packetKey[i] = p.columns[static_cast<size_t>(col[i])].key;
  }
  rows.reserve(p.rows.size());
  double seq = 0;
  for (const auto& pr : p.rows) {
    auto r = std::make_unique<Row>();
    r->id = nextId++;
    r->seq = seq++;
    r->pstatus = pr.status;
    r->v.resize(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
      int c = col[i];
      if (c < 0 || static_cast<size_t>(c) >= pr.values.size()) continue;
      const Variant& v = pr.values[static_cast<size_t>(c)];
      FieldType t = fields[i]->DataType();
      bool fits = v.IsNull() || (v.IsText() && (t == FieldType::String || t == FieldType::FixedChar)) ||
                  (v.IsNumeric() && IsNumericType(t)) ||
                  (v.Type() == VarType::DateTime && t == FieldType::DateTime) ||
                  (v.Type() == VarType::Bool && t == FieldType::Boolean) || t == FieldType::Blob;
      if (fits) {
        r->v[i] = v;
      } else {
        try {
          r->v[i] = Convert(*fields[i], v);
        } catch (const ConvertError& e) {
          throw Error(SetLabel(ds) + ": value " + v.Debug() + " of column '" + fields[i]->FieldName() +
                      "' does not fit its type (" + e.what() + ")");
        }
      }
    }
    rows.push_back(std::move(r));
  }
}

DataPacket DataSet::Impl::MakePacketColumns() const {
  DataPacket p;
  for (size_t i = 0; i < fields.size(); ++i) {
    const Field& f = *fields[i];
    if (!f.IsData()) continue;
    p.columns.push_back(PacketColumn{f.FieldName(), f.DataType(), f.Size(), f.Required(), f.ReadOnly(),
                                     f.Def().key || (i < packetKey.size() && packetKey[i] != 0)});
  }
  return p;
}

DataPacket DataSet::Impl::MakePacket() const {
  DataPacket p = MakePacketColumns();
  p.rows.reserve(rows.size());
  for (const auto& r : rows) {
    PacketRow pr;
    pr.values = DataValues(*r);
    p.rows.push_back(std::move(pr));
  }
  return p;
}

// ---------------------------------------------------------------------------- DataSet

DataSet::DataSet(std::string name) : Name(std::move(name)), impl_(std::make_unique<Impl>(*this)) {}

DataSet::~DataSet() {
  auto& im = *impl_;
  for (DataSource* s : std::vector<DataSource*>(im.sources)) s->SetDataSet(nullptr);
  for (Field* f : im.lookupUsers) DataSetImplAccess::Def(*f).lookupDataSet = nullptr;
  auto unhook = [this](std::vector<std::unique_ptr<Field>>& list) {
    for (auto& f : list)
      if (f->Def().lookupDataSet && f->Def().lookupDataSet != this)
        f->Def().lookupDataSet->impl().RemoveLookupUser(f.get());
  };
  unhook(im.fields);
  unhook(im.retired);
}

Field& DataSet::AddField(FieldDef def) {
  auto& im = *impl_;
  if (Active()) throw Error(SetLabel(*this) + ": fields cannot be added to an open dataset");
  if (im.FieldIndex(def.name) >= 0) throw Error(SetLabel(*this) + ": duplicate field name '" + def.name + "'");
  if (!im.persistent) {
    for (auto& f : im.fields) im.retired.push_back(std::move(f));
    im.fields.clear();
    im.persistent = true;
  }
  DataSet* target = def.lookupDataSet;
  im.fields.push_back(std::make_unique<Field>(*this, std::move(def), static_cast<int>(im.fields.size())));
  Field& f = *im.fields.back();
  if (target) target->impl().AddLookupUser(&f);
  im.RegisterFields();
  return f;
}

int DataSet::FieldCount() const { return static_cast<int>(impl_->fields.size()); }

Field& DataSet::FieldAt(int i) const {
  if (i < 0 || i >= FieldCount()) throw Error(SetLabel(*this) + ": field index " + std::to_string(i) + " out of range");
  return *impl_->fields[static_cast<size_t>(i)];
}

Field* DataSet::FindField(std::string_view name) const {
  int i = impl_->FieldIndex(name);
  return i < 0 ? nullptr : impl_->fields[static_cast<size_t>(i)].get();
}

Field& DataSet::FieldByName(std::string_view name) const {
  if (Field* f = FindField(name)) return *f;
  throw Error("Field '" + std::string(name) + "' not found" + (Name.empty() ? "" : " in " + Name));
}

void DataSet::InternalOpen() {
  auto& im = *impl_;
  if (im.fields.empty()) {
    if (fieldDefs_.empty()) throw Error(SetLabel(*this) + ": missing data provider or data packet");
    for (const auto& d : fieldDefs_)
      im.fields.push_back(std::make_unique<Field>(*this, d, static_cast<int>(im.fields.size())));
    im.RegisterFields();
  }
}

void DataSet::OpenWith(const DataPacket* packet, bool local) {
  auto& im = *impl_;
  im.Fire(BeforeOpen);
  try {
    im.ClearRows();
    if (packet) im.LoadPacket(*packet);
    else if (local) DataSet::InternalOpen();
    else InternalOpen();
    state_ = DataSetState::Browse;
    im.ApplySortSpec();
    im.PrepareFilter();
    im.cur = 0;
    im.RebuildView(nullptr);
  } catch (...) {
    state_ = DataSetState::Inactive;
    im.ClearRows();
    throw;
  }
  im.bof = true;
  im.eof = im.view.empty();
  im.CurrentChanged();
  im.Fire(AfterOpen);
  im.Notify(LinkEvent::Active);
  if (!IsEmpty()) im.Fire(AfterScroll);
}

void DataSet::Open() {
  if (Active()) return;
  OpenWith(nullptr, false);
}

void DataSet::Close() {
  if (!Active()) return;
  auto& im = *impl_;
  im.CheckBrowseMode();
  im.Fire(BeforeClose);
  state_ = DataSetState::Inactive;
  im.ClearRows();
  im.Fire(AfterClose);
  im.Notify(LinkEvent::Active);
}

void DataSet::CreateDataSet() {
  auto& im = *impl_;
  if (Active()) Close();
  if (!im.persistent && !fieldDefs_.empty()) {
    for (auto& f : im.fields) im.retired.push_back(std::move(f));
    im.fields.clear();
  }
  if (im.fields.empty() && fieldDefs_.empty())
    throw Error(SetLabel(*this) + ": no fields defined for CreateDataSet");
  OpenWith(nullptr, true);
}

void DataSet::EmptyDataSet() {
  auto& im = *impl_;
  im.CheckActive();
  if (IsEditing(state_)) Cancel();
  im.ClearRows();
  im.Notify(LinkEvent::Changed);
}

// ---- navigation

void DataSet::First() {
  auto& im = *impl_;
  im.CheckBrowseMode();
  im.Fire(BeforeScroll);
  int old = im.cur;
  im.cur = im.view.empty() ? -1 : 0;
  im.bof = true;
  im.eof = im.view.empty();
  im.CurrentChanged();
  im.Fire(AfterScroll);
  im.Notify(LinkEvent::Scrolled, nullptr, im.cur - old);
}

void DataSet::Last() {
  auto& im = *impl_;
  im.CheckBrowseMode();
  im.Fire(BeforeScroll);
  int old = im.cur;
  im.cur = static_cast<int>(im.view.size()) - 1;
  im.eof = true;
  im.bof = im.view.empty();
  im.CurrentChanged();
  im.Fire(AfterScroll);
  im.Notify(LinkEvent::Scrolled, nullptr, im.cur - old);
}

void DataSet::Next() { MoveBy(1); }
void DataSet::Prior() { MoveBy(-1); }

int DataSet::MoveBy(int distance) {
  auto& im = *impl_;
  im.CheckBrowseMode();
  if (distance == 0) return 0;
  im.Fire(BeforeScroll);
  if ((distance > 0 && im.eof) || (distance < 0 && im.bof)) return 0;
  int n = static_cast<int>(im.view.size());
  int old = im.cur;
  int target = im.cur + distance;
  im.bof = im.eof = false;
  if (target >= n) {
    target = n - 1;
    im.eof = true;
  }
  if (target < 0) {
    target = n > 0 ? 0 : -1;
    im.bof = true;
  }
  if (n == 0) im.bof = im.eof = true;
  im.cur = target;
  int moved = im.cur - old;
  if (moved != 0) im.CurrentChanged();
  im.Fire(AfterScroll);
  if (moved != 0) im.Notify(LinkEvent::Scrolled, nullptr, moved);
  return moved;
}

bool DataSet::Eof() const { return !Active() || impl_->eof; }
bool DataSet::Bof() const { return !Active() || impl_->bof; }

int DataSet::RecNo() const {
  if (!Active() || state_ == DataSetState::Insert || impl_->view.empty()) return -1;
  return impl_->cur + 1;
}

void DataSet::SetRecNo(int recNo) {
  auto& im = *impl_;
  im.CheckBrowseMode();
  if (im.view.empty()) return;
  int target = std::clamp(recNo, 1, static_cast<int>(im.view.size())) - 1;
  if (target == im.cur) return;
  im.Fire(BeforeScroll);
  int old = im.cur;
  im.cur = target;
  im.bof = im.eof = false;
  im.CurrentChanged();
  im.Fire(AfterScroll);
  im.Notify(LinkEvent::Scrolled, nullptr, im.cur - old);
}

int DataSet::RecordCount() const { return Active() ? static_cast<int>(impl_->view.size()) : 0; }

bool DataSet::IsEmpty() const { return !Active() || (impl_->view.empty() && state_ != DataSetState::Insert); }

Bookmark DataSet::GetBookmark() const {
  if (!Active() || state_ == DataSetState::Insert) return {};
  Row* r = impl_->CursorRow();
  return r ? Bookmark{r->id} : Bookmark{};
}

bool DataSet::BookmarkValid(const Bookmark& b) const {
  if (!Active() || !b.Valid()) return false;
  for (Row* r : impl_->view)
    if (r->id == b.id) return true;
  return false;
}

void DataSet::GotoBookmark(const Bookmark& b) {
  auto& im = *impl_;
  im.CheckBrowseMode();
  int pos = -1;
  for (size_t i = 0; i < im.view.size(); ++i)
    if (im.view[i]->id == b.id) pos = static_cast<int>(i);
  if (pos < 0) throw Error(SetLabel(*this) + ": record not found");
  im.Fire(BeforeScroll);
  int old = im.cur;
  im.cur = pos;
  im.bof = im.eof = false;
  im.CurrentChanged();
  im.Fire(AfterScroll);
  im.Notify(LinkEvent::Scrolled, nullptr, im.cur - old);
}

// ---- editing

void DataSet::Edit() {
  auto& im = *impl_;
  im.CheckActive();
  if (IsEditing(state_)) return;
  if (im.view.empty()) {
    Append();
    return;
  }
  im.Fire(BeforeEdit);
  im.editRow = im.CursorRow();
  im.buf = *im.editRow;
  im.modified = false;
  state_ = DataSetState::Edit;
  im.Notify(LinkEvent::State);
  im.Fire(AfterEdit);
}

void DataSet::BeginInsert(bool append) {
  auto& im = *impl_;
  im.CheckBrowseMode();
  im.Fire(BeforeInsert);
  im.Fire(BeforeScroll);
  im.insertBefore = append ? nullptr : im.CursorRow();
  im.buf = Row{};
  im.buf.v.assign(im.fields.size(), Variant());
  im.buf.status = RowStatus::Inserted;
  im.modified = false;
  state_ = DataSetState::Insert;
  im.Notify(LinkEvent::State);
  try {
    im.CalcRow(&im.buf);
    im.Fire(OnNewRecord);
  } catch (...) {
    state_ = DataSetState::Browse;
    im.buf = Row{};
    im.insertBefore = nullptr;
    im.Notify(LinkEvent::State);
    throw;
  }
  im.modified = false;
  im.Fire(AfterInsert);
  im.Fire(AfterScroll);
  im.Notify(LinkEvent::Changed);
}

void DataSet::Append() { BeginInsert(true); }
void DataSet::Insert() { BeginInsert(false); }

void DataSet::Post() {
  auto& im = *impl_;
  im.CheckActive();
  for (DataSource* s : std::vector<DataSource*>(im.sources))
    for (DataLink* l : std::vector<DataLink*>(s->Links())) l->UpdateData();
  if (!IsEditing(state_)) return;
  im.Fire(BeforePost);
  for (size_t i = 0; i < im.fields.size(); ++i) {
    const Field& f = *im.fields[i];
    if (f.Required() && f.IsData() && im.buf.v[i].IsNull())
      throw Error("Field '" + f.DisplayLabel() + "' must have a value");
  }
  Row* posted;
  bool simple = !(filtered_ && (im.filterExpr || OnFilterRecord)) && im.sortFields.empty();
  if (state_ == DataSetState::Edit) {
    Row* r = im.editRow;
    if (LogChanges) {
      im.log.push_back(LogEntry{LogEntry::Edit, r->id, *r});
      if (r->status == RowStatus::Unmodified) {
        r->orig = std::make_shared<const std::vector<Variant>>(r->v);
        r->status = RowStatus::Modified;
      }
    }
    r->v = std::move(im.buf.v);
    posted = r;
    if (!simple) im.RebuildView(r);
  } else {
    auto nr = im.MakeRow();
    nr->v = std::move(im.buf.v);
    nr->status = LogChanges ? RowStatus::Inserted : RowStatus::Unmodified;
    Row* before = im.insertBefore;
    int idx = before ? im.RowIndex(before->id) : -1;
    if (idx >= 0) {
      double prev = idx > 0 ? im.rows[static_cast<size_t>(idx) - 1]->seq : before->seq - 1;
      nr->seq = (prev + before->seq) / 2;
      im.rows.insert(im.rows.begin() + idx, std::move(nr));
      posted = im.rows[static_cast<size_t>(idx)].get();
    } else {
      nr->seq = im.rows.empty() ? 0 : im.rows.back()->seq + 1;
      im.rows.push_back(std::move(nr));
      posted = im.rows.back().get();
    }
    if (LogChanges) im.log.push_back(LogEntry{LogEntry::Insert, posted->id, {}});
    if (simple) {
      int at = before ? std::max(im.cur, 0) : static_cast<int>(im.view.size());
      if (before) {
        auto it = std::find(im.view.begin(), im.view.end(), before);
        if (it != im.view.end()) at = static_cast<int>(it - im.view.begin());
      }
      im.view.insert(im.view.begin() + at, posted);
      im.cur = at;
    } else {
      im.RebuildView(posted);
    }
  }
  state_ = DataSetState::Browse;
  im.buf = Row{};
  im.editRow = im.insertBefore = nullptr;
  im.modified = false;
  im.bof = im.eof = false;
  if (im.view.empty()) im.bof = im.eof = true;
  im.CurrentChanged();
  im.Notify(LinkEvent::State);
  im.Fire(AfterPost);
  im.Notify(LinkEvent::Changed);
}

void DataSet::Cancel() {
  auto& im = *impl_;
  if (!IsEditing(state_)) return;
  im.Fire(BeforeCancel);
  bool wasInsert = state_ == DataSetState::Insert;
  state_ = DataSetState::Browse;
  im.buf = Row{};
  im.editRow = im.insertBefore = nullptr;
  im.modified = false;
  im.CurrentChanged();
  im.Notify(LinkEvent::State);
  im.Fire(AfterCancel);
  im.Notify(LinkEvent::Changed);
  if (wasInsert) im.Fire(AfterScroll);
}

void DataSet::Delete() {
  auto& im = *impl_;
  im.CheckActive();
  if (state_ == DataSetState::Insert) {
    Cancel();
    return;
  }
  if (im.view.empty()) throw Error(SetLabel(*this) + ": cannot perform this operation on an empty dataset");
  im.Fire(BeforeDelete);
  im.Fire(BeforeScroll);
  if (state_ == DataSetState::Edit) {
    state_ = DataSetState::Browse;
    im.buf = Row{};
    im.editRow = nullptr;
    im.modified = false;
    im.Notify(LinkEvent::State);
  }
  Row* r = im.CursorRow();
  long long id = r->id;
  bool fetched = r->status != RowStatus::Inserted;
  auto owned = im.TakeRow(id);
  if (LogChanges) {
    im.log.push_back(LogEntry{LogEntry::Delete, id, *owned});
    if (fetched) im.deletedRows.push_back(std::move(owned));
  }
  if (im.view.empty()) {
    im.cur = -1;
    im.bof = im.eof = true;
  } else {
    if (im.cur >= static_cast<int>(im.view.size())) {
      im.cur = static_cast<int>(im.view.size()) - 1;
      im.eof = true;
    }
  }
  im.CurrentChanged();
  im.Fire(AfterDelete);
  im.Fire(AfterScroll);
  im.Notify(LinkEvent::Changed);
}

void DataSet::AppendRecord(const std::vector<Variant>& values) {
  Append();
  auto& im = *impl_;
  size_t vi = 0;
  try {
    for (size_t i = 0; i < im.fields.size() && vi < values.size(); ++i) {
      if (!im.fields[i]->IsData() && im.fields[i]->Kind() != FieldKind::InternalCalc) continue;
      im.fields[i]->SetValue(values[vi++]);
    }
    Post();
  } catch (...) {
    Cancel();
    throw;
  }
}

bool DataSet::Modified() const { return impl_->modified; }

// ---- filters

void DataSet::SetFilter(std::string expr) {
  auto& im = *impl_;
  if (!im.fields.empty() && !text::Trim(expr).empty()) {
    // Parse before anything changes, so a bad text leaves the old filter working.
    filter::Binding b{[&im](std::string_view n) { return im.FieldIndex(n); },
                      [&im](int i) { return im.fields[static_cast<size_t>(i)]->DataType(); }};
    filter::Expression::Parse(expr, b);
  }
  if (Active() && filtered_) im.CheckBrowseMode();
  filter_ = std::move(expr);
  im.PrepareFilter();
  if (Active() && filtered_) {
    im.cur = 0;
    im.RebuildView(nullptr);
    im.cur = im.view.empty() ? -1 : 0;
    im.bof = true;
    im.eof = im.view.empty();
    im.CurrentChanged();
    im.Notify(LinkEvent::Changed);
    im.Fire(AfterScroll);
  }
}

void DataSet::SetFiltered(bool v) {
  auto& im = *impl_;
  if (v == filtered_) return;
  if (Active()) im.CheckBrowseMode();
  filtered_ = v;
  if (!Active()) return;
  if (v && !im.filterExpr) im.PrepareFilter();
  im.cur = 0;
  im.RebuildView(nullptr);
  im.cur = im.view.empty() ? -1 : 0;
  im.bof = true;
  im.eof = im.view.empty();
  im.CurrentChanged();
  im.Notify(LinkEvent::Changed);
  im.Fire(AfterScroll);
}

// ---- search

namespace {

bool KeyMatches(const Variant& fv, const Variant& kv, LocateOptions opt) {
  if (kv.IsNull()) return fv.IsNull();
  if (fv.IsNull()) return false;
  bool ci = opt & loCaseInsensitive;
  if ((opt & loPartialKey) && kv.IsText()) {
    std::string f = fv.ToString(), k = kv.ToString();
    if (f.size() < k.size()) return false;
    return ci ? text::SameText(std::string_view(f).substr(0, k.size()), k) : f.compare(0, k.size(), k) == 0;
  }
  try {
    return Variant::Compare(fv, kv, ci) == 0;
  } catch (const ConvertError&) {
    return false;
  }
}

}  // namespace

int DataSet::FindInView(std::string_view keyFields, const std::vector<Variant>& keyValues, LocateOptions options) {
  auto& im = *impl_;
  std::vector<int> idx = im.FieldList(keyFields);
  if (idx.empty()) throw Error(SetLabel(*this) + ": no key fields given");
  if (idx.size() != keyValues.size())
    throw Error(SetLabel(*this) + ": " + std::to_string(idx.size()) + " key fields but " +
                std::to_string(keyValues.size()) + " values");
  bool computed = false;
  for (int f : idx) {
    FieldKind k = im.fields[static_cast<size_t>(f)]->Kind();
    if (k == FieldKind::Calculated || k == FieldKind::Lookup) computed = true;
  }
  for (size_t i = 0; i < im.view.size(); ++i) {
    Row* r = im.view[i];
    if (computed) im.FillComputed(r, true, true);
    bool ok = true;
    for (size_t k = 0; ok && k < idx.size(); ++k) ok = KeyMatches(r->v[static_cast<size_t>(idx[k])], keyValues[k], options);
    if (ok) return static_cast<int>(i);
  }
  return -1;
}

bool DataSet::Locate(std::string_view keyFields, const Variant& keyValue, LocateOptions options) {
  if (keyValue.Type() == VarType::Array) return Locate(keyFields, keyValue.AsArray(), options);
  return Locate(keyFields, std::vector<Variant>{keyValue}, options);
}

bool DataSet::Locate(std::string_view keyFields, const std::vector<Variant>& keyValues, LocateOptions options) {
  auto& im = *impl_;
  im.CheckBrowseMode();
  int pos = FindInView(keyFields, keyValues, options);
  if (pos < 0) return false;
  im.Fire(BeforeScroll);
  int old = im.cur;
  im.cur = pos;
  im.bof = im.eof = false;
  im.CurrentChanged();
  im.Fire(AfterScroll);
  im.Notify(LinkEvent::Scrolled, nullptr, im.cur - old);
  return true;
}

Variant DataSet::Lookup(std::string_view keyFields, const std::vector<Variant>& keyValues,
                        std::string_view resultFields) {
  auto& im = *impl_;
  if (!Active()) return Variant();
  std::vector<int> res = im.FieldList(resultFields);
  int pos = FindInView(keyFields, keyValues, loNone);
  if (pos < 0) return Variant();
  Row* r = im.view[static_cast<size_t>(pos)];
  Restore<Row*> ov(im.override, r);
  bool computed = false;
  for (int f : res)
    if (im.fields[static_cast<size_t>(f)]->Kind() == FieldKind::Calculated) computed = true;
  if (computed) im.CalcRow(r);
  if (res.size() == 1) return im.fields[static_cast<size_t>(res[0])]->Value();
  VariantArray out;
  for (int f : res) out.push_back(im.fields[static_cast<size_t>(f)]->Value());
  return Variant(std::move(out));
}

// ---- sorting

void DataSet::ResortKeepingRow() {
  auto& im = *impl_;
  if (!Active()) return;
  im.CheckBrowseMode();
  Row* keep = im.CursorRow();
  im.ApplySortSpec();
  im.RebuildView(keep);
  im.CurrentChanged();
  im.Notify(LinkEvent::Changed);
}

void DataSet::SetIndexFieldNames(std::string fields) {
  auto& im = *impl_;
  if (Active()) im.FieldList(fields);  // a missing field is refused before anything changes
  indexFieldNames_ = std::move(fields);
  indexName_.clear();
  ResortKeepingRow();
}

void DataSet::AddIndex(IndexDef def) {
  for (auto& d : indexDefs_) {
    if (text::SameText(d.name, def.name)) {
      d = std::move(def);
      if (text::SameText(d.name, indexName_)) ResortKeepingRow();
      return;
    }
  }
  indexDefs_.push_back(std::move(def));
}

void DataSet::SetIndexName(std::string name) {
  if (!name.empty()) {
    bool found = false;
    for (const auto& d : indexDefs_) found = found || text::SameText(d.name, name);
    if (!found) throw Error(SetLabel(*this) + ": index '" + name + "' not found");
  }
  indexName_ = std::move(name);
  indexFieldNames_.clear();
  ResortKeepingRow();
}

// ---- data-aware controls

void DataSet::DisableControls() {
  if (disableCount_ == 0) {
    impl_->pendingChange = false;
    impl_->pendingActive = false;
  }
  ++disableCount_;
}

void DataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0) return;
  auto& im = *impl_;
  if (im.pendingActive) im.Notify(LinkEvent::Active);
  if (Active()) im.Notify(LinkEvent::Changed);
  im.pendingChange = im.pendingActive = false;
}

// ---- whole content

DataPacket DataSet::Data() const {
  return impl_->MakePacket();
}

void DataSet::SetData(const DataPacket& packet) {
  auto& im = *impl_;
  if (!Active()) {
    OpenWith(&packet, true);
    return;
  }
  if (IsEditing(state_)) {
    state_ = DataSetState::Browse;
    im.Notify(LinkEvent::State);
  }
  DataPacket copy = packet;  // the packet may be this set's own Data()
  im.LoadPacket(copy);
  im.ApplySortSpec();
  im.PrepareFilter();
  im.cur = 0;
  im.RebuildView(nullptr);
  im.cur = im.view.empty() ? -1 : 0;
  im.bof = true;
  im.eof = im.view.empty();
  im.CurrentChanged();
  im.Notify(LinkEvent::Changed);
  if (!IsEmpty()) im.Fire(AfterScroll);
}

// ---- sources

void DataSet::AttachSource(DataSource* s) {
  auto& v = impl_->sources;
  if (std::find(v.begin(), v.end(), s) == v.end()) v.push_back(s);
}

void DataSet::DetachSource(DataSource* s) {
  auto& v = impl_->sources;
  v.erase(std::remove(v.begin(), v.end(), s), v.end());
}

}  // namespace yz::data
