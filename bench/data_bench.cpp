// Data-layer steps on 10,000 order rows, each paired with the bare loop the step needs
// (BM_Bare_*), so the report reads as a ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>

#include "platform/base/text.h"
#include "platform/data/dataset.h"

using namespace yz;
using namespace yz::data;

namespace {

constexpr int kRows = 10000;

const DataPacket& Packet() {
  static const DataPacket p = [] {
    DataPacket d;
    d.columns = {{"act_order_no", FieldType::Integer, 0, false, false, true},
                 {"order_code", FieldType::FixedChar, 6},
                 {"order_name", FieldType::String, 128},
                 {"doseage", FieldType::Float},
                 {"status_flag", FieldType::FixedChar, 1},
                 {"start_time", FieldType::DateTime}};
    for (int i = 0; i < kRows; ++i) {
      int h = (i * 7919) % kRows;
      d.rows.push_back({RowStatus::Unmodified,
                        {i, std::to_string(10000 + h % 500), "item " + std::to_string(h), (h % 300) * 1.5,
                         std::to_string(1 + h % 5), Variant(DateTime::FromParts(2024, 1, 1) + h % 200)}});
    }
    return d;
  }();
  return p;
}

void BM_OpenFromPacket(benchmark::State& st) {
  for (auto _ : st) {
    DataSet ds;
    ds.SetData(Packet());
    benchmark::DoNotOptimize(ds.RecordCount());
  }
}
BENCHMARK(BM_OpenFromPacket)->Unit(benchmark::kMicrosecond);

void BM_Bare_CopyRows(benchmark::State& st) {
  for (auto _ : st) {
    std::vector<std::vector<Variant>> rows;
    rows.reserve(Packet().rows.size());
    for (const auto& r : Packet().rows) rows.push_back(r.values);
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_Bare_CopyRows)->Unit(benchmark::kMicrosecond);

void BM_Filter(benchmark::State& st) {
  DataSet ds;
  ds.SetData(Packet());
  ds.SetFilter("trim(order_code) like '101%' and (status_flag < '3' or doseage >= 100)");
  for (auto _ : st) {
    ds.SetFiltered(true);
    benchmark::DoNotOptimize(ds.RecordCount());
    ds.SetFiltered(false);
  }
}
BENCHMARK(BM_Filter)->Unit(benchmark::kMicrosecond);

void BM_Bare_Filter(benchmark::State& st) {
  const auto& rows = Packet().rows;
  for (auto _ : st) {
    std::vector<const PacketRow*> out;
    for (const auto& r : rows) {
      std::string code = text::Trim(r.values[1].ToString());
      if (code.compare(0, 3, "101") == 0 &&
          (r.values[4].ToString() < "3" || r.values[3].ToDouble() >= 100))
        out.push_back(&r);
    }
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Bare_Filter)->Unit(benchmark::kMicrosecond);

void BM_Locate(benchmark::State& st) {
  DataSet ds;
  ds.SetData(Packet());
  std::vector<Variant> keys{Variant(std::to_string(10000 + 499)), Variant("item 9999")};
  for (auto _ : st) {
    ds.First();
    benchmark::DoNotOptimize(ds.Locate("order_code;order_name", keys));
  }
}
BENCHMARK(BM_Locate)->Unit(benchmark::kMicrosecond);

void BM_Bare_Locate(benchmark::State& st) {
  const auto& rows = Packet().rows;
  Variant code(std::to_string(10000 + 499)), name("item 9999");
  for (auto _ : st) {
    size_t found = rows.size();
    for (size_t i = 0; i < rows.size(); ++i)
      if (Variant::Compare(rows[i].values[1], code) == 0 && Variant::Compare(rows[i].values[2], name) == 0) {
        found = i;
        break;
      }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_Bare_Locate)->Unit(benchmark::kMicrosecond);

void BM_Sort(benchmark::State& st) {
  DataSet ds;
  ds.SetData(Packet());
  for (auto _ : st) {
    ds.SetIndexFieldNames("order_name");
    ds.SetIndexFieldNames("");
  }
}
BENCHMARK(BM_Sort)->Unit(benchmark::kMicrosecond);

void BM_Bare_Sort(benchmark::State& st) {
  const auto& rows = Packet().rows;
  for (auto _ : st) {
    std::vector<const PacketRow*> v;
    v.reserve(rows.size());
    for (const auto& r : rows) v.push_back(&r);
    std::sort(v.begin(), v.end(), [](const PacketRow* a, const PacketRow* b) {
      return Variant::Compare(a->values[2], b->values[2]) < 0;
    });
    // the unsorted order back, as the dataset's second step does
    std::vector<const PacketRow*> w;
    w.reserve(rows.size());
    for (const auto& r : rows) w.push_back(&r);
    benchmark::DoNotOptimize(v.data());
    benchmark::DoNotOptimize(w.data());
  }
}
BENCHMARK(BM_Bare_Sort)->Unit(benchmark::kMicrosecond);

}  // namespace
