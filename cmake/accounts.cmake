# The account stores of GWCORE.DLL and MMSACCT.DLL, the Users page with its
# user editor, and their tests.

# Files of fixed account records, shared by both libraries.
add_library(record_file STATIC libs/gwcore/record_file.cpp)
target_include_directories(record_file PUBLIC ${CMAKE_SOURCE_DIR}/libs)
target_link_libraries(record_file PUBLIC portable_core)

target_sources(gwcore PRIVATE libs/gwcore/user_file.cpp)
target_link_libraries(gwcore PRIVATE record_file)

target_link_libraries(mmsacct PRIVATE gwcore record_file)

set_property(SOURCE ${CONSOLE_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/resources/users_dialogs.rc
  ${CMAKE_SOURCE_DIR}/src/resources/user_editor_ids.h)

# Reads the user file from a process of its own while a test changes it.
add_executable(user_file_reader tests/accounts/user_file_reader.cpp)
target_include_directories(user_file_reader PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(user_file_reader PRIVATE gwcore portable_core)
program_name(user_file_reader USER_FILE_READER.EXE)

wine_test(account_tests
  SOURCES
    tests/accounts/account_stores_test.cpp
    tests/accounts/account_files.cpp
  DEPENDS user_file_reader)

wine_test(users_tests
  SOURCES
    tests/settings/users_page_test.cpp
    tests/accounts/account_files.cpp)
