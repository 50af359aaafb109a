# The Modem page and the GPRS connection check: their tests.

# The page and the connection test against the real console, the dial-up
# stand-in and, for the modem hand-over, the stand-in services.
wine_test(modem_page_tests SERIAL
  SOURCES
    tests/modem/modem_page_test.cpp
    tests/gprslink/gprslink_fixture.cpp
  DEPENDS console smsgwsvc mmscsvc fwrule gprslink fakeras gprslink_child operator_list)
target_link_libraries(modem_page_tests PRIVATE ws2_32)
