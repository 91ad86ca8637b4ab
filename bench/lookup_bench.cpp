// The drop-down lookup edit. "Pause end to list shown": the refresh timer fires once the
// 130 ms pause is over; the edit sets the search keys, asks the SQL-tag server for tag 118
// (20 rows), lays out the columns, places and shows the grid. Its bare work is the same
// statement run on SQLite. "Keystroke": a typed character that only restarts the pause,
// next to the same character typed into a plain edit.
#include <benchmark/benchmark.h>

#include "bench_ward.h"

#include <string>

#include "framework/components.h"
#include "framework/session.h"
#include "framework/twdbeditdd.h"
#include "framework/twdbgriddd.h"
#include "platform/base/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "remote/callrecord.h"
#include "servers/database.h"
#include "servers/dialect.h"
#include "servers/servers.h"

namespace {

using namespace yz;

ManualClock& BenchClock() {
  static ManualClock clock;
  return clock;
}

// The bench ward, with the module's clock, application and session pointed at it.
std::shared_ptr<servers::Database> Ward() {
  SetClock(&BenchClock());
  ui::App().Reset();
  Session().settings.appserver = "sqlite::memory:";
  return bench::BenchWard();
}

class BenchForm : public ui::Form {
 public:
  BenchForm() {
    SetBounds(0, 0, 1000, 700);
    auto* conn = new TDCOMConnection(this, "dmc_zd", "jx_mts_tagsql.jx_mts_tag_sql");
    conn->SetComputerName("sqlite::memory:");
    list = new TClientDataSet(this, "cds_zd");
    list->Bind(conn, "DSP_dict");
    auto* listSource = new TDataSource(this, "dts_zd", list);
    orders = new TClientDataSet(this, "cdsOrder");
    data::FieldDef code;
    code.name = "order_code";
    code.size = 10;
    orders->AddField(code);
    data::FieldDef name;
    name.name = "lookup_order";
    name.size = 128;
    name.kind = data::FieldKind::Lookup;
    name.keyFields = "order_code";
    name.lookupDataSet = list;
    name.lookupKeyFields = "医嘱码";
    name.lookupResultField = "医嘱名";
    orders->AddField(name);
    auto* source = new TDataSource(this, "dtsOrder", orders);
    grid = new TtwDBGridDD(this);
    grid->SetName("grd_order");
    grid->SetParent(this);
    grid->SetExtendFormOnCreate(true);
    edit = new TtwDBEditDD(this);
    edit->SetName("edtyzname");
    edit->SetParent(this);
    edit->SetBounds(10, 10, 200, 21);
    edit->SetDataSource(source);
    edit->SetDataField("lookup_order");
    edit->SetListSource(listSource);
    edit->SetSqlTag(118);
    edit->SetDropDBGrid(grid);
    edit->ColumnWidth = "170,100,45,230,100,60,";
    edit->Params.Add(data::Param("yp_zy", data::FieldType::String, Variant("1011")));
    plain = new ui::Edit(this);
    plain->SetName("edtPlain");
    plain->SetParent(this);
    plain->SetBounds(10, 40, 200, 21);
  }
  TClientDataSet *list, *orders;
  TtwDBGridDD* grid;
  TtwDBEditDD* edit;
  ui::Edit* plain;
};

struct Window {
  std::shared_ptr<servers::Database> db = Ward();
  ui::Owned<BenchForm> form{ui::Create<BenchForm>()};
  Window() {
    form->orders->CreateDataSet();
    form->orders->Append();
    form->orders->Post();
    form->Show();
    ui::user::Focus(*form->edit);
    ui::user::Type("bench");
    ui::App().Advance(200);  // first list: SQL text, parameters, SetADOSQL
  }
  ~Window() {
    form.reset();
    ui::App().Reset();
    servers::CloseDatabases();
  }
};

void BM_PauseEndToListShown(benchmark::State& state) {
  Window w;
  bool upper = false;
  for (auto _ : state) {
    state.PauseTiming();
    w.form->grid->Hide();
    upper = !upper;
    w.form->edit->SetText(upper ? "BENCH" : "bench");  // restarts the pause
    BenchClock().Advance(131);
    remote::ClearCallRecord();
    state.ResumeTiming();
    ui::App().RunDueTimers();
    if (!w.form->grid->Visible() || w.form->list->RecordCount() != 20) state.SkipWithError("the list did not show 20 rows");
  }
}

void BM_PauseEndToListShown_SqliteQuery(benchmark::State& state) {
  auto db = Ward();
  std::string sql = db->Scalar("select sql_text from yz_sql_tag where tag = 118").ToString();
  servers::TranslatedSql t = servers::TranslateSql(sql);
  std::vector<Variant> values(t.params.size(), Variant("%"));
  values[0] = Variant("BENCH%");
  for (size_t i = 0; i < t.params.size(); ++i)
    if (t.params[i] == "yp_zy") values[i] = Variant("1011");
  for (auto _ : state) {
    data::DataPacket rows = servers::DatabaseAt(":memory:")->Query(t.sql, values, 20);
    if (rows.rows.size() != 20) state.SkipWithError("expected 20 rows");
    benchmark::DoNotOptimize(rows);
  }
  servers::CloseDatabases();
}

// A character typed and taken back: two keystrokes that only restart the pause.
void BM_KeystrokeRestartsPause(benchmark::State& state) {
  Window w;
  for (auto _ : state) {
    ui::user::Type(*w.form, "x");
    ui::user::Press(*w.form, ui::VK_BACK);
  }
  if (!w.form->edit->Typing()) state.SkipWithError("the edit is not typing");
}

void BM_KeystrokeRestartsPause_PlainEdit(benchmark::State& state) {
  Window w;
  ui::user::Focus(*w.form->plain);
  for (auto _ : state) {
    ui::user::Type(*w.form, "x");
    ui::user::Press(*w.form, ui::VK_BACK);
  }
}

BENCHMARK(BM_PauseEndToListShown)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PauseEndToListShown_SqliteQuery)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeRestartsPause)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeRestartsPause_PlainEdit)->Unit(benchmark::kMicrosecond);

}  // namespace
