if(QRP_BUILD_GUI)
  qrp_add_bench(thumbnail_bench SOURCES thumbnail_bench.cpp)
  target_compile_definitions(thumbnail_bench PRIVATE QRPTOOL_PATH="$<TARGET_FILE:qrptool>"
                                                     QRP_SAMPLE_DIR="${PROJECT_BINARY_DIR}/samples")
  add_dependencies(thumbnail_bench qrptool samples)
endif()
