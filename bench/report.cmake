find_package(ZLIB REQUIRED)  # only as the yardstick the codec is measured against
qrp_add_bench(codec_bench SOURCES codec_bench.cpp LIBS qrp_report ZLIB::ZLIB)
qrp_add_bench(page_walk_bench SOURCES page_walk_bench.cpp LIBS qrp_report)
