if(QRP_BUILD_GUI)
  add_executable(print_bench print_bench.cpp)
  target_link_libraries(print_bench PRIVATE qrp_print qrp_emf)
endif()
