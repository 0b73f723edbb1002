if(QRP_BUILD_GUI)
  qrp_add_fuzzer(emf_render_fuzz emf_render_fuzz.cpp qrp_render)
endif()
