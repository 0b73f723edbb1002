qrp_add_bench(search_bench SOURCES search_bench.cpp LIBS qrp_export)
