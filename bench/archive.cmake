# qrptool over an archive of reports, and the generator of such archives.
add_executable(make_archive make_archive.cpp)
target_link_libraries(make_archive PRIVATE qrp_report qrp_emf)
if(QRP_BUILD_GUI)
  qrp_add_bench(archive_bench SOURCES archive_bench.cpp LIBS qrp_report qrp_emf)
  target_compile_definitions(archive_bench PRIVATE QRPTOOL_PATH="$<TARGET_FILE:qrptool>")
  add_dependencies(archive_bench qrptool)
endif()
