qrp_add_bench(export_bench SOURCES export_bench.cpp LIBS qrp_export)
# The naive layout lives with the tests, which use it as their reference.
target_include_directories(export_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/export)
