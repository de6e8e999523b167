# vorn_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [NEEDS_PG])
# A QtTest executable registered with CTest. GUI tests run offscreen; NEEDS_PG tests
# get the private PostgreSQL cluster's address from VORN_PG_* variables that
# scripts/test.sh exports, and skip themselves when it is absent.
function(vorn_add_test name)
  cmake_parse_arguments(T "NEEDS_PG" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set(env "QT_QPA_PLATFORM=offscreen" "LANG=ru_RU.UTF-8" "VORN_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
          "VORN_BINARY_DIR=${CMAKE_BINARY_DIR}")
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
  if(T_NEEDS_PG)
    set_tests_properties(${name} PROPERTIES LABELS pg)
  endif()
endfunction()
