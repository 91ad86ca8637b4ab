# Data layer: open, filter, locate and sort on 10,000 rows, each next to a plain loop doing
# the same work over the same rows.
yz_bench(bench_data SOURCES data_bench.cpp LIBS yz_data)
