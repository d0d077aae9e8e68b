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

# AddressSanitizer and UndefinedBehaviorSanitizer for every target of the
# build, stopping at the first report. The library's own bounds checks
# (_GLIBCXX_ASSERTIONS) catch an out-of-range operator[] on a std::array or
# std::string inside an object, which the address checks cannot see.
# float-cast-overflow is not part of "undefined": a device value or a typed
# number too large for the integer it is cast to would otherwise pass.
if(ZOLIN6_SANITIZE OR ZOLIN6_FUZZ)
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

# The fuzz build: libFuzzer's coverage instrumentation on every library the
# fuzz targets link, which only clang provides.
if(ZOLIN6_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZOLIN6_FUZZ needs clang++ (configure with -DCMAKE_CXX_COMPILER=clang++-14)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
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
    # Two single-valued properties: a list in one property would be split
    # apart on its way through the discovery script.
    PROPERTIES ENVIRONMENT LANG=C.UTF-8 ENVIRONMENT_MODIFICATION QT_QPA_PLATFORM=set:offscreen
    DISCOVERY_TIMEOUT 60)
endfunction()
include(GoogleTest)
