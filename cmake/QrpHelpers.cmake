# The viewer's remembered settings go to the build tree, never to the user's own file.
set(qrp_test_config "XDG_CONFIG_HOME=set:${PROJECT_BINARY_DIR}/test-config")

# A test binary: the sources with the test support library and GoogleTest's main.
function(qrp_test_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qrp_test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    QRP_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    QRP_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus"
    QRP_BINARY_DIR="${PROJECT_BINARY_DIR}")
endfunction()

# qrp_add_test(NAME SOURCES... LIBS ... [LABELS ...] [LOCK resource])
# LOCK keeps the binary's tests from running beside others that hold the same resource
# (a shared print queue, for example).
# One test binary per source folder; every test case becomes its own CTest entry.
function(qrp_add_test name)
  cmake_parse_arguments(ARG "" "LOCK" "SOURCES;LIBS;LABELS" ${ARGN})
  qrp_test_executable(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS})
  set(lock)
  if(ARG_LOCK)
    set(lock RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "${qrp_test_config}" ${lock}
    DISCOVERY_TIMEOUT 60)
endfunction()

# qrp_add_session_test(NAME WRAPPER script SOURCES... LIBS ... [LABELS ...])
# A test binary that needs a session of its own (a virtual desktop, a private print
# scheduler): the wrapper script in tests/support starts it, runs the whole binary in it and
# stops it, as one CTest entry. Exit status 77 from the wrapper marks the test skipped.
function(qrp_add_session_test name)
  cmake_parse_arguments(ARG "" "WRAPPER" "SOURCES;LIBS;LABELS" ${ARGN})
  qrp_test_executable(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/support/${ARG_WRAPPER} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" SKIP_RETURN_CODE 77 TIMEOUT 300
                                           ENVIRONMENT_MODIFICATION "${qrp_test_config}")
endfunction()
