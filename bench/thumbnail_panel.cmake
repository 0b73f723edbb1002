# The thumbnail panel on a long report: opening it shown, and scrolling it.
if(QRP_BUILD_GUI AND TARGET qrp_fake_printer)
  qrp_add_bench(thumbnail_panel_bench SOURCES thumbnail_panel_bench.cpp LIBS qrp_viewer qrp_fake_printer)
  target_include_directories(thumbnail_panel_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endif()
