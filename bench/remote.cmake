# Server round trips through the embedded transport next to the same statements on SQLite.
yz_bench(bench_remote SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/remote_bench.cpp LIBS yz_servers yz_remote)
