# The 2-Way page with its command editor, the MM7 receiver dialog with its
# connection test, and their tests.

set_property(SOURCE ${CONSOLE_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/resources/two_way_dialogs.rc
  ${CMAKE_SOURCE_DIR}/src/resources/two_way_ids.h)

wine_test(two_way_tests
  SOURCES
    tests/settings/two_way_page_test.cpp
    tests/accounts/account_files.cpp
  DEPENDS console)
target_link_libraries(two_way_tests PRIVATE ws2_32)
