#include "common/ipv4_address.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(NormalizeIPv4Address, NormalFormOrRefusal) {
  // Parts fill from the left (unlike inet_addr); a refused text gives null.
  const char* const rows[][2] = {
      {"10", "10.0.0.0"}, {"127.1", "127.1.0.0"}, {"192.168.001.010", "192.168.1.10"}, {"1.2.3.", "1.2.3.0"},
      {"255.255.255.255", "255.255.255.255"}, {"0000000000000000001.2", "1.2.0.0"},
      {"  10.1.2.3 \t\r\n", "10.1.2.3"}, {"10. 1", nullptr}, {"localhost", nullptr}, {"1.2.3.4.5", nullptr},
      {"1.2.3.4:80", nullptr}, {"256.1.1.1", nullptr}, {"1.1.1.99999999999999999999", nullptr}, {"-1", nullptr}};
  for (const auto& row : rows) {
    char text[64];
    snprintf(text, sizeof text, "%s", row[0]);
    EXPECT_EQ(NormalizeIPv4Address(text, sizeof text), row[1] != nullptr) << row[0];
    if (row[1]) EXPECT_STREQ(text, row[1]) << row[0];
  }
  char fits[16] = "10", tight[16] = "10";
  EXPECT_TRUE(NormalizeIPv4Address(fits, 9));
  EXPECT_FALSE(NormalizeIPv4Address(tight, 8)) << "the normal form must fit";
  char blanks[4] = "10 ";
  EXPECT_FALSE(NormalizeIPv4Address(blanks, sizeof blanks));
  EXPECT_STREQ(blanks, "10") << "trailing blanks are taken off in place in any case";
}
