if(QRP_BUILD_GUI)
  qrp_add_bench(render_bench SOURCES render_bench.cpp LIBS qrp_render)
  qrp_add_bench(render_text_bench SOURCES render_text_bench.cpp LIBS qrp_render)
endif()
