# GWTLS.DLL, the TLS library the console binds at run time, and its tests
# against openssl servers on loopback.
add_library(gwtls SHARED
  libs/gwtls/gwtls.cpp
  libs/gwtls/tls_session.cpp
  libs/gwtls/tls_socket.cpp
  libs/gwtls/tls_certificate.cpp
  libs/gwtls/gwtls.def)
target_include_directories(gwtls PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/libs/gwtls)
target_link_libraries(gwtls PRIVATE portable_core secur32 crypt32 ncrypt advapi32 ws2_32)
program_name(gwtls GWTLS.DLL)

wine_test(tls_tests
  SOURCES
    tests/tls/tls_test_servers.cpp
    tests/tls/tls_test.cpp
  DEPENDS gwtls)
target_include_directories(tls_tests PRIVATE ${CMAKE_SOURCE_DIR}/libs)
target_link_libraries(tls_tests PRIVATE ws2_32 crypt32)
