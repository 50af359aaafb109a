# GoogleTest built with the cross compiler; the tests run under Wine through
# the toolchain's emulator, one CTest entry per executable with its results
# written as XML for the total that test.sh prints.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(test_support STATIC
  tests/support/message_box_answerer.cpp
  tests/support/test_env.cpp
  tests/support/test_main.cpp
  tests/support/window_driver.cpp
  tests/support/dialog_items.cpp
  tests/support/service_fixture.cpp
  tests/support/modem_cable.cpp
  tests/support/fake_telephony.cpp
  tests/support/modem_registry.cpp
  tests/support/fake_event_log.cpp
)
target_include_directories(test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(test_support PUBLIC GTest::gtest win_common console_lib modem_simulator)
target_include_directories(test_support PUBLIC ${CMAKE_SOURCE_DIR}/tools)

# Libraries standing in for GPRSLINK.DLL, complete and with entry points
# missing, to test the run-time binding.
foreach(variant full no_required no_optional)
  add_library(fake_gprslink_${variant} SHARED tests/support/fake_link_libraries.cpp)
  string(TOUPPER ${variant} upper)
  target_compile_definitions(fake_gprslink_${variant} PRIVATE FAKE_${upper})
  program_name(fake_gprslink_${variant} FAKE_GPRSLINK_${upper}.DLL)
endforeach()

function(wine_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${CONSOLE_RESOURCES})
  target_link_libraries(${name} PRIVATE test_support)
  program_name(${name} ${name}.exe)
  if(ARG_DEPENDS)
    add_dependencies(${name} ${ARG_DEPENDS})
  endif()
  # Relative: Wine takes a path without a drive letter as one on the current drive.
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:../results/${name}.xml
           WORKING_DIRECTORY ${PROGRAM_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
  if(ARG_SERIAL)
    # The service manager, the services and their ports are machine-wide.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK service_manager)
  endif()
endfunction()

wine_test(core_tests
  SOURCES
    tests/common/file_util_test.cpp
    tests/config/config_files_test.cpp
    tests/config/link_libraries_test.cpp
    tests/monitor/event_log_dialog_test.cpp
  DEPENDS fake_gprslink_full fake_gprslink_no_required fake_gprslink_no_optional)

wine_test(console_tests SERIAL
  SOURCES
    tests/services/service_control_test.cpp
    tests/app/console_test.cpp
    tests/app/setup_wizard_test.cpp
    tests/settings/server_page_test.cpp
    tests/monitor/status_page_test.cpp
    tests/monitor/test_message_page_test.cpp
  DEPENDS console smsgwsvc mmscsvc fwrule mmstest)

wine_test(modem_tests
  SOURCES
    tests/modem/modem_port_test.cpp)

# Benchmarks: built with the tests, run only by bench.sh.
add_executable(modem_bench bench/modem_bench.cpp ${CONSOLE_RESOURCES})
target_link_libraries(modem_bench PRIVATE test_support)
program_name(modem_bench modem_bench.exe)

# The message stores: scanners, viewers and the details dialog.
wine_test(queue_tests
  SOURCES
    tests/queues/queue_files_test.cpp
    tests/queues/queue_viewer_test.cpp
    tests/queues/queue_store.cpp)

add_executable(queue_bench bench/queue_bench.cpp tests/queues/queue_store.cpp ${CONSOLE_RESOURCES})
target_link_libraries(queue_bench PRIVATE test_support)
program_name(queue_bench queue_bench.exe)

add_executable(status_bench bench/status_bench.cpp tests/queues/queue_store.cpp ${CONSOLE_RESOURCES})
target_link_libraries(status_bench PRIVATE test_support)
program_name(status_bench status_bench.exe)
