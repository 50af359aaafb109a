# The help document, "ZedSMS Lite.pdf": docs/help/help.md with the pictures of
# the console's screens, printed to PDF. Kept out of the program folder, where
# the tests decide whether a help document is there; the setup takes it from here.
# Debian's own python3, which has the markdown and weasyprint modules.
find_program(DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(HELP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/docs/help)
set(HELP_DOCUMENT "${CMAKE_BINARY_DIR}/help/ZedSMS Lite.pdf")
file(GLOB HELP_PICTURES CONFIGURE_DEPENDS ${HELP_SOURCE_DIR}/screens/*.png)
add_custom_command(OUTPUT ${HELP_DOCUMENT}
  COMMAND ${DEBIAN_PYTHON} ${HELP_SOURCE_DIR}/make_help.py ${HELP_SOURCE_DIR} ${HELP_DOCUMENT}
  DEPENDS ${HELP_SOURCE_DIR}/make_help.py ${HELP_SOURCE_DIR}/help.md ${HELP_SOURCE_DIR}/help.css
          ${HELP_PICTURES}
  VERBATIM)
add_custom_target(help_document ALL DEPENDS ${HELP_DOCUMENT})
