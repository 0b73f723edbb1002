# qrp_add_test(NAME SOURCES... LIBS ... [LABELS ...] [LOCK resource])
# LOCK keeps the binary's tests from running beside others that hold the same resource
# (a shared print queue, for example).
# One test binary per source folder; every test case becomes its own CTest entry.
function(qrp_add_test name)
  cmake_parse_arguments(ARG "" "LOCK" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qrp_test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    QRP_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    QRP_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus"
    QRP_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(lock)
  if(ARG_LOCK)
    set(lock RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${lock}
    DISCOVERY_TIMEOUT 60)
endfunction()
