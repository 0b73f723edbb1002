# The preview's "next page" and "open a long report" times; needs the tests' fake printer.
if(QRP_BUILD_GUI AND TARGET qrp_fake_printer)
  qrp_add_bench(preview_bench
    SOURCES preview_bench.cpp ${PROJECT_SOURCE_DIR}/tests/preview/preview_pages.cpp
    LIBS qrp_preview qrp_fake_printer qrp_emf)
  target_include_directories(preview_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endif()
