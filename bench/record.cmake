qrp_add_bench(record_bench SOURCES record_bench.cpp LIBS qrp_document)
