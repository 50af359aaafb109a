#include "modem/connection_name.h"

#include <gtest/gtest.h>

TEST(ConnectionSectionName, ModemsGetAPrefixOtherLinksKeepTheirsBracketsAreEscaped) {
  const char* const rows[][2] = {{"Acme [USB]", "Modem - Acme \\x5BUSB\\x5D"}, {"", "Modem - "},
                                 {"SMPP - smsc:2775", "SMPP - smsc:2775"},     {"http - gw", "http - gw"},
                                 {"UCP - 10.0.0.1", "UCP - 10.0.0.1"},         {"CIMD - x", "CIMD - x"},
                                 {"SMPP-smsc", "Modem - SMPP-smsc"}};  // the link prefix needs its blanks
  char section[64];
  for (const auto& row : rows) {
    ConnectionSectionName(row[0], section, sizeof section);
    EXPECT_STREQ(section, row[1]) << row[0];
  }
  ConnectionSectionName("Acme [USB]", section, 12);
  EXPECT_STREQ(section, "Modem - Acm");
}
