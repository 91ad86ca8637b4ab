# The module's framework: the drop-down lookup edit from the end of the typing pause to the
# list shown, and a keystroke that only restarts the pause, next to the bare work.
yz_bench(bench_lookup SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/lookup_bench.cpp LIBS yz_framework yz_servers)
