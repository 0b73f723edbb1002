# Find in the viewer: the find bar, its search thread and the marks over the preview; needs
# the tests' fake printer.
if(QRP_BUILD_GUI AND TARGET qrp_fake_printer)
  qrp_add_bench(find_bench SOURCES find_bench.cpp LIBS qrp_viewer qrp_fake_printer)
  target_include_directories(find_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endif()
