# Native build: the portable core with its unit tests (and, on request, fuzzing).
add_compile_options(-Wall -Wextra -fsanitize=address,undefined -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)

add_library(portable_core STATIC ${PORTABLE_CORE_SOURCES})
target_include_directories(portable_core PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs)

# The serial cables of the simulated modems (pseudo-terminal pairs).
add_executable(ptyrelay ${CMAKE_SOURCE_DIR}/tools/ptyrelay/ptyrelay.c)
target_link_libraries(ptyrelay PRIVATE util)

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE portable_core GTest::gtest_main)
add_test(NAME native_tests COMMAND native_tests --gtest_output=xml:${CMAKE_BINARY_DIR}/results/native_tests.xml)

option(ZED_FUZZ "Build the libFuzzer targets of fuzz/ (needs clang)" OFF)
if(ZED_FUZZ)
  include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
endif()
