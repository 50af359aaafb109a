#include "modem/connection_name.h"

#include <gtest/gtest.h>

TEST(ConnectionSectionName, ModemsGetTheirPrefixAndBracketsAreEscaped) {
  char section[64];
  ConnectionSectionName("Acme [USB]", section, sizeof section);
  EXPECT_STREQ(section, "Modem - Acme \\x5BUSB\\x5D");
  ConnectionSectionName("COM3:", section, sizeof section);
  EXPECT_STREQ(section, "Modem - COM3:");
  ConnectionSectionName("", section, sizeof section);
  EXPECT_STREQ(section, "Modem - ");
}

TEST(ConnectionSectionName, OtherConnectionsKeepTheirOwnPrefix) {
  char section[64];
  for (const char* name : {"SMPP - smsc:2775", "http - gateway", "UCP - 10.0.0.1", "CIMD - x"}) {
    ConnectionSectionName(name, section, sizeof section);
    EXPECT_STREQ(section, name);
  }
  ConnectionSectionName("SMPP-smsc", section, sizeof section);
  EXPECT_STREQ(section, "Modem - SMPP-smsc") << "the prefix needs its spaces";
}

TEST(ConnectionSectionName, CutAtTheCapacity) {
  char section[12];
  ConnectionSectionName("Acme [USB]", section, sizeof section);
  EXPECT_STREQ(section, "Modem - Acm");
}
