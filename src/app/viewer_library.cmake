# libqrpviewer.so: the viewer window and the functions host programs call, declared in
# include/qrpviewer.h. Only those C functions are exported; the static libraries inside
# stay private to it, so a host linking its own copies of them cannot mix the two.
include(GNUInstallDirs)

add_library(qrpviewer SHARED host_exports.cpp viewer_main.cpp)
target_include_directories(qrpviewer PUBLIC ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(qrpviewer PRIVATE qrp_viewer qrp_version)
set_target_properties(qrpviewer PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/include/qrpviewer.h)
target_link_options(qrpviewer PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)

# The program is the library's entry point and nothing else.
add_executable(qrpview main.cpp)
target_link_libraries(qrpview PRIVATE qrpviewer)
set_target_properties(qrpview PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
set_target_properties(qrpviewer PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS qrpview qrpviewer
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
