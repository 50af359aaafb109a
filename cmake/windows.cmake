# Cross build of the program folder: console, libraries, stand-in services,
# firewall helper and the tests, all side by side in bin/ so that the program
# runs from there and the tests find it.
set(PROGRAM_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROGRAM_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROGRAM_DIR})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

add_compile_options(-Wall -Wextra -Wno-cast-function-type -Wno-missing-field-initializers)
add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600)
# No MinGW runtime DLL next to the program.
add_link_options(-static -static-libgcc -static-libstdc++)

function(program_name target name)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} PREFIX "" SUFFIX "")
endfunction()

set(GENERATED_RESOURCES_DIR ${CMAKE_BINARY_DIR}/generated)
set(RESOURCES_DIR ${CMAKE_SOURCE_DIR}/src/resources)

# A program or library we ship: its file name and its version resource, which
# carries the product's version from version.h.
function(shipped_binary target name description)
  program_name(${target} ${name})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(VERSION_FILE_TYPE VFT_DLL)
  else()
    set(VERSION_FILE_TYPE VFT_APP)
  endif()
  set(VERSION_FILE_NAME ${name})
  set(VERSION_DESCRIPTION ${description})
  set(rc ${GENERATED_RESOURCES_DIR}/version_${target}.rc)
  configure_file(${RESOURCES_DIR}/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES
    INCLUDE_DIRECTORIES ${RESOURCES_DIR} OBJECT_DEPENDS ${RESOURCES_DIR}/version.h)
endfunction()

add_library(portable_core STATIC ${PORTABLE_CORE_SOURCES})
target_include_directories(portable_core PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs)

add_library(win_common STATIC src/common/file_util.cpp)
target_link_libraries(win_common PUBLIC portable_core)

# Our import-linked core libraries.
add_library(gwcore SHARED libs/gwcore/directories.cpp libs/gwcore/ini_registration.cpp
  libs/gwcore/gsm7_export.cpp)
target_compile_definitions(gwcore PRIVATE GWCORE_BUILD)
target_link_libraries(gwcore PRIVATE win_common shell32 advapi32)
shipped_binary(gwcore GWCORE.DLL "Zed SMS/MMS Gateway core library")

add_library(mmsacct SHARED libs/mmsacct/mmsacct.cpp)
target_include_directories(mmsacct PRIVATE ${CMAKE_SOURCE_DIR}/src)
shipped_binary(mmsacct MMSACCT.DLL "Zed SMS/MMS Gateway VASP accounts library")

# Everything of the console but its entry point, so tests link the same code.
add_library(console_lib STATIC
  src/app/console.cpp
  src/app/main_sheet.cpp
  src/app/page_protocol.cpp
  src/app/setup_wizard.cpp
  src/common/file_viewer.cpp
  src/common/ui_util.cpp
  src/config/config_files.cpp
  src/config/link_libraries.cpp
  src/modem/at_channel.cpp
  src/modem/gprs_check.cpp
  src/modem/modem_check.cpp
  src/modem/modem_lines.cpp
  src/modem/modem_messages.cpp
  src/modem/modem_page.cpp
  src/modem/modem_port.cpp
  src/modem/modem_registry.cpp
  src/modem/modem_selection.cpp
  src/modem/telephony.cpp
  src/monitor/clock.cpp
  src/monitor/event_log.cpp
  src/monitor/event_log_dialog.cpp
  src/monitor/stat_files.cpp
  src/monitor/status_page.cpp
  src/monitor/test_message_page.cpp
  src/queues/message_delete.cpp
  src/queues/mms_details_dialog.cpp
  src/queues/queue_scanners.cpp
  src/queues/queue_sort.cpp
  src/queues/queue_viewer.cpp
  src/queues/request_files.cpp
  src/queues/store_walker.cpp
  src/services/rights.cpp
  src/services/service_control.cpp
  src/services/status_block.cpp
  src/settings/command_editor.cpp
  src/settings/debug_log_page.cpp
  src/settings/host_connect.cpp
  src/settings/mm7_dialog.cpp
  src/settings/php_support.cpp
  src/settings/server_page.cpp
  src/settings/two_way_page.cpp
  src/settings/user_editor.cpp
  src/settings/users_page.cpp
)
target_link_libraries(console_lib PUBLIC win_common gwcore mmsacct
  comctl32 comdlg32 shell32 advapi32 user32 gdi32 ws2_32 wsock32)

# The manifest names the processor architecture of this build.
if(ZED_WINDOWS_ARCH STREQUAL "x86_64")
  set(MANIFEST_ARCH amd64)
else()
  set(MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_SOURCE_DIR}/src/resources/console.manifest.in
  ${GENERATED_RESOURCES_DIR}/console.manifest @ONLY)

# The event source's message table, compiled from its text (ANSI, as it has
# always been stored).
find_program(WINDMC ${ZED_WINDOWS_ARCH}-w64-mingw32-windmc REQUIRED)
set(MESSAGE_TABLE ${GENERATED_RESOURCES_DIR}/MSG00409.bin)
add_custom_command(OUTPUT ${MESSAGE_TABLE}
  BYPRODUCTS ${GENERATED_RESOURCES_DIR}/messages.rc ${GENERATED_RESOURCES_DIR}/messages.h
  COMMAND ${WINDMC} -A -r ${GENERATED_RESOURCES_DIR} -h ${GENERATED_RESOURCES_DIR} ${RESOURCES_DIR}/messages.mc
  DEPENDS ${RESOURCES_DIR}/messages.mc)
add_custom_target(message_table ALL DEPENDS ${MESSAGE_TABLE})

set(CONSOLE_RESOURCES ${CMAKE_SOURCE_DIR}/src/resources/console.rc)
set_source_files_properties(${CONSOLE_RESOURCES} PROPERTIES
  INCLUDE_DIRECTORIES ${GENERATED_RESOURCES_DIR}
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/src/resources/pages.rc;${CMAKE_SOURCE_DIR}/src/resources/modem_dialogs.rc;${CMAKE_SOURCE_DIR}/src/resources/monitor_dialogs.rc;${MESSAGE_TABLE};${CMAKE_SOURCE_DIR}/src/resources/queue_dialogs.rc;${CMAKE_SOURCE_DIR}/src/resources/page_ids.h;${CMAKE_SOURCE_DIR}/src/resources/smsgw.ico;${GENERATED_RESOURCES_DIR}/console.manifest")

add_executable(console WIN32 src/app/main.cpp ${CONSOLE_RESOURCES})
target_link_libraries(console PRIVATE console_lib)
shipped_binary(console SMSGWCFG.EXE "Zed SMS/MMS Gateway configuration console")

# The message the Test Message page sends.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${PROGRAM_DIR}/MMSTEST.MMS
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/mmstest/make_mmstest.py ${PROGRAM_DIR}/MMSTEST.MMS
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/mmstest/make_mmstest.py)
add_custom_target(mmstest ALL DEPENDS ${PROGRAM_DIR}/MMSTEST.MMS)

# Test and demo equipment.
add_library(stand_in_service STATIC tools/gatewaysim/stand_in_service.cpp tools/gatewaysim/queue_worker.cpp)
target_link_libraries(stand_in_service PUBLIC console_lib ws2_32 advapi32)
add_executable(smsgwsvc tools/gatewaysim/smsgwsvc.cpp)
target_link_libraries(smsgwsvc PRIVATE stand_in_service)
shipped_binary(smsgwsvc SMSGWSVC.EXE "Zed SMS gateway stand-in service (demo)")
add_executable(mmscsvc tools/gatewaysim/mmscsvc.cpp)
target_link_libraries(mmscsvc PRIVATE stand_in_service)
shipped_binary(mmscsvc MMSCSVC.EXE "Zed MMS gateway stand-in service (demo)")

add_library(modem_simulator STATIC tools/modemsim/modem_simulator.cpp)
add_executable(modemsim tools/modemsim/modemsim_main.cpp)
target_link_libraries(modemsim PRIVATE modem_simulator)
program_name(modemsim MODEMSIM.EXE)

add_executable(fwrule tools/fwrule/fwrule.cpp)
target_link_libraries(fwrule PRIVATE win_common gwcore ole32 oleaut32)
shipped_binary(fwrule FWRULE.EXE "Zed SMS/MMS Gateway firewall rule helper")

include(cmake/windows_tests.cmake)
include(cmake/gwtls.cmake)
include(cmake/accounts.cmake)
include(cmake/gprslink.cmake)
include(cmake/two_way.cmake)
include(cmake/modem_page.cmake)
include(cmake/installer.cmake)
