// Laying out and rendering a 2,000-row order sheet (20 rows per page, 100 pages), per page,
// next to the bare work: writing the same texts with cairo and pango straight onto PDF pages.
#include <benchmark/benchmark.h>
#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <string>

#include "platform/report/engine.h"
#include "platform/report/layout.h"
#include "platform/report/render.h"

namespace {

using namespace yz;
using namespace yz::report;

constexpr int kRows = 2000;
const char* const kDrugs[] = {"0.9%氯化钠注射液 250ml 静滴 qd", "头孢呋辛钠 1.5g 静滴 bid",
                              "阿司匹林肠溶片 100mg 口服 qd", "一级护理", "低盐低脂饮食"};

std::shared_ptr<VectorRows> Rows() {
  auto rows = std::make_shared<VectorRows>(std::vector<std::string>{
      "start_date", "start_time", "order_name", "d_signer", "end_date", "end_time", "d_signer2"});
  for (int i = 1; i <= kRows; ++i)
    rows->Add({Variant("05-06"), Variant("09:30"), Variant(std::string(kDrugs[i % 5]) + " #" + std::to_string(i)),
               Variant("张医生"), Variant(i % 3 ? "" : "05-09"), Variant(i % 3 ? "" : "10:00"), Variant("")});
  return rows;
}

Layout Sheet() {
  Layout l = Layout::LoadFile(YZ_ORDER_SHEET);
  l.BindRows(Rows());
  l.ElementByName("lbl_name").text = "李明";
  return l;
}

std::string OutPath() { return "/tmp/yz_bench_report.pdf"; }

void PerPage(benchmark::State& state, int pages) {
  state.counters["pages"] = pages;
  state.counters["time_per_page"] =
      benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void BM_Layout(benchmark::State& state) {
  Layout l = Sheet();
  int pages = 0;
  for (auto _ : state) {
    Document doc = BandedEngine(l).Run();
    pages = doc.PageCount();
    benchmark::DoNotOptimize(doc);
  }
  PerPage(state, pages);
}

void BM_RenderPdf(benchmark::State& state) {
  Layout l = Sheet();
  Document doc = BandedEngine(l).Run();
  for (auto _ : state) RenderPdf(doc, OutPath());
  PerPage(state, doc.PageCount());
}

void BM_LayoutAndRenderPdf(benchmark::State& state) {
  Layout l = Sheet();
  int pages = 0;
  for (auto _ : state) {
    Document doc = BandedEngine(l).Run();
    RenderPdf(doc, OutPath());
    pages = doc.PageCount();
  }
  PerPage(state, pages);
}

// The bare work: the same texts at the same places, drawn straight with pango, no engine,
// no page model, no frame lines.
void BM_BarePangoPdf(benchmark::State& state) {
  Layout l = Sheet();
  Document doc = BandedEngine(l).Run();
  const double pt = 72.0 / 25.4;
  for (auto _ : state) {
    cairo_surface_t* s = cairo_pdf_surface_create(OutPath().c_str(), 210 * pt, 297 * pt);
    cairo_t* cr = cairo_create(s);
    cairo_scale(cr, pt, pt);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_cairo_context_set_resolution(pango_layout_get_context(layout), 25.4);
    pango_layout_context_changed(layout);
    PangoFontDescription* fd = pango_font_description_from_string("Noto Sans CJK SC 10");
    pango_layout_set_font_description(layout, fd);
    for (const Page& p : doc.pages) {
      for (const DrawOp& op : p.ops) {
        if (op.kind != OpKind::Text || op.text.empty()) continue;
        pango_layout_set_text(layout, op.text.c_str(), -1);
        cairo_move_to(cr, op.x, op.y);
        pango_cairo_show_layout(cr, layout);
      }
      cairo_show_page(cr);
    }
    pango_font_description_free(fd);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
  }
  PerPage(state, doc.PageCount());
}

BENCHMARK(BM_Layout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutAndRenderPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarePangoPdf)->Unit(benchmark::kMillisecond);

}  // namespace
