# Project-wide compiler settings and the one helper that registers every test.

add_library(zolin6_warnings INTERFACE)
target_compile_options(zolin6_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wshadow -Wnon-virtual-dtor)
# GCC 12 reports a -Wrestrict overlap inside libstdc++'s inlined
# std::string assignment from a literal (a known false positive of that
# release at -O2); it says nothing about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(zolin6_warnings INTERFACE -Wno-restrict)
endif()
if(ZOLIN6_WERROR)
  target_compile_options(zolin6_warnings INTERFACE -Werror)
endif()

if(ZOLIN6_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# add_zolin6_test(NAME SOURCES src... LIBS lib...)
# Builds one GoogleTest program and registers its tests with CTest, each run
# with a fixed UTF-8 locale and the offscreen Qt platform so that results do
# not depend on the machine's environment.
function(add_zolin6_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zolin6_warnings GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "LANG=C.UTF-8;QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()
include(GoogleTest)
