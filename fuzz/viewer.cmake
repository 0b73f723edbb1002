if(QRP_BUILD_GUI)
  qrp_add_fuzzer(viewer_path_fuzz viewer_path_fuzz.cpp qrp_render qrp_export)
endif()
