// A lookup through a numbered SQL list (tag 118, 20 rows) and a 500-row apply, each through
// a connection and the embedded servers, next to the same statements run directly on SQLite.
#include <benchmark/benchmark.h>

#include "bench_ward.h"
#include <sqlite3.h>

#include <string>

#include "platform/data/packet.h"
#include "platform/data/params.h"
#include "remote/callrecord.h"
#include "remote/connection.h"
#include "servers/database.h"
#include "servers/dialect.h"
#include "servers/servers.h"

namespace {

using namespace yz;


std::shared_ptr<servers::Database> Ward() { return bench::BenchWard(); }

data::Params ListParams(remote::Connection& c) {
  data::Params p = c.GetParams("DSP_dict");
  for (int i = 0; i < p.Count(); ++i) p[i].SetValue(Variant("%"));
  p[0].SetValue(Variant("BENCH%"));
  p.ParamByName("yp_zy").SetValue(Variant("1011"));
  return p;
}

void BM_Tag118Lookup_Connection(benchmark::State& state) {
  auto db = Ward();
  remote::Connection c("jx_mts_tagsql.jx_mts_tag_sql", "", "sqlite::memory:");
  VariantArray tag{Variant(118)};
  std::string sql = c.Call("NewSetsql", tag).ToString();
  data::Params p = ListParams(c);
  for (auto _ : state) {
    remote::ClearCallRecord();
    VariantArray set{Variant(sql), Variant(20)};
    c.Call("SetADOSQL", set);
    data::DataPacket rows = c.GetRecords("DSP_dict", p, "");
    if (rows.rows.size() != 20) state.SkipWithError("expected 20 rows");
    benchmark::DoNotOptimize(rows);
  }
}

void BM_Tag118Lookup_Sqlite(benchmark::State& state) {
  auto db = Ward();
  std::string sql = db->Scalar("select sql_text from yz_sql_tag where tag = 118").ToString();
  servers::TranslatedSql t = servers::TranslateSql(sql);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db->Handle(), t.sql.c_str(), -1, &st, nullptr);
  for (auto _ : state) {
    sqlite3_reset(st);
    for (int i = 1; i <= 10; ++i) sqlite3_bind_text(st, i, "%", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 1, "BENCH%", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 6, "1011", -1, SQLITE_STATIC);
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW && n < 20) {
      for (int c = 0; c < sqlite3_column_count(st); ++c) benchmark::DoNotOptimize(sqlite3_column_text(st, c));
      ++n;
    }
    if (n != 20) state.SkipWithError("expected 20 rows");
  }
  sqlite3_finalize(st);
}

// 500 inserted deposits, applied as one change packet; the next iteration deletes them again
// outside the timing.
data::DataPacket InsertDelta(remote::Connection& c) {
  data::Params p;
  p.Add(data::Param("p_id", data::FieldType::String, Variant("000100001")));
  p.Add(data::Param("p_times", data::FieldType::SmallInt, Variant(1)));
  data::DataPacket shape = c.GetRecords("dspDeposit", p, "");
  data::DataPacket delta;
  delta.columns = shape.columns;
  for (int i = 0; i < 500; ++i) {
    data::PacketRow r;
    r.status = data::RowStatus::Inserted;
    r.values = {Variant("000100001"), Variant(1), Variant(100 + i), Variant(10.5 + i),
                Variant(DateTime::FromParts(2024, 5, 6, 10, 0))};
    delta.rows.push_back(std::move(r));
  }
  return delta;
}

void BM_Apply500_Connection(benchmark::State& state) {
  auto db = Ward();
  remote::Connection c("qz_DataCom.qz_ActPatient", "", "sqlite::memory:");
  data::DataPacket delta = InsertDelta(c);
  for (auto _ : state) {
    state.PauseTiming();
    db->Exec("delete from zy_deposit where item_no >= 100");
    remote::ClearCallRecord();
    state.ResumeTiming();
    data::ApplyResult r = c.ApplyUpdates("dspDeposit", delta, 0);
    if (r.errorCount) state.SkipWithError(r.errors[0].message.c_str());
  }
}

void BM_Apply500_Sqlite(benchmark::State& state) {
  auto db = Ward();
  sqlite3* h = db->Handle();
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h,
                     "insert into zy_deposit (patient_id, admiss_times, item_no, depo_amount, depo_date) values "
                     "(?, ?, ?, ?, ?)",
                     -1, &st, nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    db->Exec("delete from zy_deposit where item_no >= 100");
    state.ResumeTiming();
    sqlite3_exec(h, "begin", nullptr, nullptr, nullptr);
    for (int i = 0; i < 500; ++i) {
      sqlite3_exec(h, "savepoint r", nullptr, nullptr, nullptr);
      sqlite3_reset(st);
      sqlite3_bind_text(st, 1, "000100001", -1, SQLITE_STATIC);
      sqlite3_bind_int(st, 2, 1);
      sqlite3_bind_int(st, 3, 100 + i);
      sqlite3_bind_double(st, 4, 10.5 + i);
      sqlite3_bind_text(st, 5, "2024-05-06 10:00:00", -1, SQLITE_STATIC);
      if (sqlite3_step(st) != SQLITE_DONE) state.SkipWithError(sqlite3_errmsg(h));
      sqlite3_exec(h, "release r", nullptr, nullptr, nullptr);
    }
    sqlite3_exec(h, "commit", nullptr, nullptr, nullptr);
  }
  sqlite3_finalize(st);
}

BENCHMARK(BM_Tag118Lookup_Connection);
BENCHMARK(BM_Tag118Lookup_Sqlite);
BENCHMARK(BM_Apply500_Connection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Apply500_Sqlite)->Unit(benchmark::kMillisecond);

}  // namespace
