# brimalox_test(): a program or script test; brimalox_gtest(): a GoogleTest program. Nothing without tests.
if(NOT BRIMALOX_BUILD_TESTS)
  function(brimalox_test)
  endfunction()
  function(brimalox_gtest)
  endfunction()
  return()
endif()
enable_testing()
include(GoogleTest)
# Labelled by NAME up to its first dot; exit status 77 (a tool it needs is missing) is a skip.
function(brimalox_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "COMMAND;LABELS")
  string(REGEX REPLACE "\\..*" "" label ${name})
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS "${label};${arg_LABELS}" SKIP_RETURN_CODE 77 TIMEOUT ${arg_TIMEOUT}
    ENVIRONMENT "PYTHONPATH=${PROJECT_SOURCE_DIR}/tests;PYTHONDONTWRITEBYTECODE=1")
endfunction()
# Cases are listed when the tests run (building needs no display), named by their parameters' names,
# each after its program's PREFIX ("nec.Check.Case") and labelled by the prefix up to its first dot.
# Test code is built at -O0, the files in batches (unity build: less compiler time; GoogleTest is parsed once
# a batch, so precompiling it cost more than it saved).
function(brimalox_gtest name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX" "SOURCES;LIBRARIES;DEFINITIONS;INCLUDES;PROPERTIES;DEPENDS")
  if(NOT arg_PREFIX MATCHES "^[a-z]+(\\.[a-z]+)*\\.$")
    message(FATAL_ERROR "brimalox_gtest(${name}): give PREFIX \"folder.\" to name and label its tests")
  endif()
  string(REGEX REPLACE "\\..*" "" label ${arg_PREFIX})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
  target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  target_include_directories(${name} PRIVATE ${arg_INCLUDES})
  target_compile_options(${name} PRIVATE -O0)
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON)
  if(arg_DEPENDS)
    add_dependencies(${name} ${arg_DEPENDS})  # programs the tests run
  endif()
  gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       TEST_PREFIX "${arg_PREFIX}" PROPERTIES LABELS ${label} ${arg_PROPERTIES})
endfunction()
# The layout is .clang-format's (`clang-format -i FILE`); no include runs upward or sideways.
set(formatted app bench cli desktop dimensions fuzz nec numtext sheet tests vna web wiresize)
list(TRANSFORM formatted REPLACE ".+" "\\0/*.cpp;\\0/*.h")
file(GLOB_RECURSE formatted CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${formatted})
add_test(NAME format COMMAND ${BRIMALOX_CLANG_FORMAT} --dry-run --Werror ${formatted} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
add_test(NAME layering COMMAND ${BRIMALOX_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tests/layering.py ${PROJECT_SOURCE_DIR})
