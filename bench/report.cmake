# Report engine: laying out and rendering a 2,000-row order sheet.
yz_bench(bench_report SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_bench.cpp LIBS yz_report)
target_compile_definitions(bench_report PRIVATE
  YZ_ORDER_SHEET="${CMAKE_CURRENT_LIST_DIR}/../tests/report/order_sheet.json")
find_package(PkgConfig REQUIRED)
pkg_check_modules(YZ_BENCH_PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo cairo-pdf)
target_link_libraries(bench_report PRIVATE PkgConfig::YZ_BENCH_PANGOCAIRO)
