# The setup program of this build, made with NSIS from the shipped files:
# build/windows-i686/installer/ZedSMS-Lite-Setup.exe and
# build/windows-x86_64/installer/ZedSMS-Lite-Setup-x64.exe.
include(cmake/help.cmake)
find_program(MAKENSIS makensis REQUIRED)
if(ZED_WINDOWS_ARCH STREQUAL "x86_64")
  set(SETUP_NAME ZedSMS-Lite-Setup-x64.exe)
else()
  set(SETUP_NAME ZedSMS-Lite-Setup.exe)
endif()
set(SETUP_DIR ${CMAKE_BINARY_DIR}/installer)
set(SETUP_PROGRAM ${SETUP_DIR}/${SETUP_NAME})
set(SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/zedsms-lite.nsi)
add_custom_command(OUTPUT ${SETUP_PROGRAM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SETUP_DIR}
  COMMAND ${MAKENSIS} -V2 -DARCH=${ZED_WINDOWS_ARCH} -DPROGRAM_DIR=${PROGRAM_DIR}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUTFILE=${SETUP_PROGRAM} "-DHELP_DOCUMENT=${HELP_DOCUMENT}"
          ${SETUP_SCRIPT}
  DEPENDS ${SETUP_SCRIPT} ${RESOURCES_DIR}/version.h ${RESOURCES_DIR}/smsgw.ico
          console gwcore mmsacct gprslink gwtls fwrule smsgwsvc mmscsvc
          ${PROGRAM_DIR}/OPERATORS.INI ${PROGRAM_DIR}/MMSTEST.MMS ${HELP_DOCUMENT}
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${SETUP_PROGRAM})

# Installs, upgrades and removes the product under Wine in a prefix of its own.
add_test(NAME installer_tests
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/installer/installer_test.sh ${ZED_WINDOWS_ARCH}
          ${SETUP_PROGRAM} ${CMAKE_BINARY_DIR}/results/installer_tests.xml help)
set_tests_properties(installer_tests PROPERTIES TIMEOUT 900 RESOURCE_LOCK service_manager)
