# How tests are declared, for every folder: brimalox_test() for a program or script, brimalox_gtest()
# for a folder's GoogleTest program. With the tests off both declare nothing.
if(NOT BRIMALOX_BUILD_TESTS)
  function(brimalox_test)
  endfunction()
  function(brimalox_gtest)
  endfunction()
  return()
endif()
enable_testing()
include(GoogleTest)

# Its label (the part of NAME before the first dot), its time limit, exit status 77 for "the tool it
# needs is not installed here" (reported as skipped), and tests/ on PYTHONPATH for the harness package.
function(brimalox_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "COMMAND;LABELS")
  string(REGEX REPLACE "\\..*" "" label ${name})
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS "${label};${arg_LABELS}" SKIP_RETURN_CODE 77 TIMEOUT ${arg_TIMEOUT}
    ENVIRONMENT "PYTHONPATH=${PROJECT_SOURCE_DIR}/tests;PYTHONDONTWRITEBYTECODE=1")
endfunction()

# Its cases are listed when the tests run (so building needs no display) and named by their
# parameters' names, never by raw values. Built for building speed (half the time): the code under
# test keeps the build type's flags.
function(brimalox_gtest name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX" "SOURCES;LIBRARIES;DEFINITIONS;INCLUDES;PROPERTIES")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
  target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  target_include_directories(${name} PRIVATE ${arg_INCLUDES})
  target_compile_options(${name} PRIVATE -O0)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
  if(arg_PROPERTIES)
    set(arg_PROPERTIES PROPERTIES ${arg_PROPERTIES})
  endif()
  gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       TEST_PREFIX "${arg_PREFIX}" ${arg_PROPERTIES})
endfunction()

# The code's layout is .clang-format's: a change that does not follow it fails this test
# (`clang-format -i FILE` lays a file out).
set(formatted app bench cli desktop dimensions fuzz nec numtext sheet tests web wiresize)
list(TRANSFORM formatted REPLACE ".+" "\\0/*.cpp;\\0/*.h")
file(GLOB_RECURSE formatted CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${formatted})
add_test(NAME format COMMAND ${BRIMALOX_CLANG_FORMAT} --dry-run --Werror ${formatted} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
# No include runs upward or sideways between the folders.
add_test(NAME layering COMMAND ${BRIMALOX_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tests/layering.py ${PROJECT_SOURCE_DIR})
