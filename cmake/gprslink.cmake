# GPRSLINK.DLL, the modem hand-over of the SMS stand-in, the operator picker
# of GWCORE.DLL, and their tests.

# The hand-over objects, shared by the library and the SMS stand-in service.
set(GPRSLINK_HANDOVER_SOURCES
  libs/gprslink/modem_lease.cpp
  libs/gprslink/modem_com_port.cpp)
add_library(gprslink_handover STATIC ${GPRSLINK_HANDOVER_SOURCES})
target_include_directories(gprslink_handover PUBLIC ${CMAKE_SOURCE_DIR}/libs ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(gprslink_handover PUBLIC portable_core advapi32)

# The console's modem code the library and the stand-in link (driver registry
# walk, AT channel, reset sequence), without the console's application shell.
add_library(gprslink_console_modem STATIC
  src/modem/modem_lines.cpp
  src/modem/modem_messages.cpp
  src/modem/modem_port.cpp
  src/modem/modem_registry.cpp
  src/modem/telephony.cpp
  src/modem/at_channel.cpp
  libs/gprslink/library_messages.cpp)
target_link_libraries(gprslink_console_modem PUBLIC portable_core user32 advapi32)

add_library(gprslink SHARED
  libs/gprslink/modem_allocation.cpp
  libs/gprslink/modem_contexts.cpp
  libs/gprslink/modem_drivers.cpp
  libs/gprslink/ras_library.cpp
  libs/gprslink/gateway_probe.cpp
  libs/gprslink/dialup.cpp
  libs/gprslink/wsp_session.cpp)
target_link_libraries(gprslink PRIVATE gprslink_handover gprslink_console_modem ws2_32 advapi32 user32)
shipped_binary(gprslink GPRSLINK.DLL "Zed SMS/MMS Gateway modem and GPRS link library")

# The SMS stand-in holds its modems and hands them over. As sources, not the
# library: the stand-in has the console's modem code already (console_lib).
target_sources(smsgwsvc PRIVATE tools/gatewaysim/modem_handover.cpp ${GPRSLINK_HANDOVER_SOURCES})
target_include_directories(smsgwsvc PRIVATE ${CMAKE_SOURCE_DIR}/libs)

# The operator picker inside GWCORE.DLL, and the operator list it reads from
# the program folder.
target_sources(gwcore PRIVATE
  libs/gwcore/operator_picker.cpp
  libs/gwcore/operator_picker.rc)
target_link_libraries(gwcore PRIVATE user32)
add_custom_command(OUTPUT ${PROGRAM_DIR}/OPERATORS.INI
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/libs/gwcore/OPERATORS.INI ${PROGRAM_DIR}/OPERATORS.INI
  DEPENDS ${CMAKE_SOURCE_DIR}/libs/gwcore/OPERATORS.INI)
add_custom_target(operator_list ALL DEPENDS ${PROGRAM_DIR}/OPERATORS.INI)
add_dependencies(gwcore operator_list)

# A dial-up API for tests (the test system's own is a stub).
add_library(fakeras SHARED tests/support/fake_ras.cpp)
target_include_directories(fakeras PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(fakeras PRIVATE gwcore)
# Undecorated names, as the system's dial-up library exports them.
target_link_options(fakeras PRIVATE -Wl,--kill-at)
program_name(fakeras FAKERAS.DLL)

# A second process using the library, as the console's elevated test copy does.
add_executable(gprslink_child tests/gprslink/gprslink_child.cpp)
target_link_libraries(gprslink_child PRIVATE console_lib)
program_name(gprslink_child gprslink_child.exe)

wine_test(gprslink_tests SERIAL
  SOURCES
    tests/gprslink/modem_handover_test.cpp
    tests/gprslink/modem_contexts_test.cpp
    tests/gprslink/dialup_test.cpp
    tests/gprslink/gprslink_fixture.cpp
    ${GPRSLINK_HANDOVER_SOURCES}
    tools/gatewaysim/modem_handover.cpp
  DEPENDS gprslink fakeras smsgwsvc gprslink_child)
target_include_directories(gprslink_tests PRIVATE ${CMAKE_SOURCE_DIR}/libs ${CMAKE_SOURCE_DIR}/tools)

# The demo's telephony: TAPI32.DLL for the demo prefix only (./run.sh installs
# it there), kept out of the program folder so it is never shipped or tested.
add_library(demotapi SHARED tools/demotapi/demotapi.cpp)
target_link_libraries(demotapi PRIVATE gprslink_console_modem advapi32)
# Undecorated names, as the system's telephony library exports them.
target_link_options(demotapi PRIVATE -Wl,--kill-at)
set_target_properties(demotapi PROPERTIES OUTPUT_NAME tapi32 PREFIX "" SUFFIX ".dll"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/demo LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/demo)
