qrp_add_bench(xlsx_bench SOURCES xlsx_bench.cpp LIBS qrp_export qrp_emf)
