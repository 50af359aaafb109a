#include "common/ipv4_address.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The text after normalising, or "<invalid>".
std::string Normal(const char* input, size_t cap = 64) {
  char text[64];
  snprintf(text, sizeof text, "%s", input);
  return NormalizeIPv4Address(text, cap) ? std::string(text) : "<invalid>";
}

}  // namespace

TEST(NormalizeIPv4Address, MissingPartsAreZeroAndLeadingZerosGo) {
  EXPECT_EQ(Normal("10"), "10.0.0.0");
  EXPECT_EQ(Normal("127.1"), "127.1.0.0") << "parts fill from the left, unlike inet_addr";
  EXPECT_EQ(Normal("192.168.001.010"), "192.168.1.10");
  EXPECT_EQ(Normal("1.2.3."), "1.2.3.0");
  EXPECT_EQ(Normal("255.255.255.255"), "255.255.255.255");
  EXPECT_EQ(Normal("0000000000000000001.2"), "1.2.0.0");
}

TEST(NormalizeIPv4Address, BlanksAroundAreIgnored) {
  EXPECT_EQ(Normal("  10.1.2.3"), "10.1.2.3");
  EXPECT_EQ(Normal("10.1.2.3 \t\r\n"), "10.1.2.3");
  EXPECT_EQ(Normal("10. 1"), "<invalid>") << "a blank inside is another character";
}

TEST(NormalizeIPv4Address, NamesPortsAndLargePartsAreRefused) {
  EXPECT_EQ(Normal("localhost"), "<invalid>");
  EXPECT_EQ(Normal("1.2.3.4.5"), "<invalid>") << "a fourth dot";
  EXPECT_EQ(Normal("1.2.3.4:80"), "<invalid>");
  EXPECT_EQ(Normal("256.1.1.1"), "<invalid>");
  EXPECT_EQ(Normal("1.1.1.99999999999999999999"), "<invalid>") << "no overflow back into range";
  EXPECT_EQ(Normal("-1"), "<invalid>");
}

TEST(NormalizeIPv4Address, TheNormalFormMustFit) {
  EXPECT_EQ(Normal("10", 9), "10.0.0.0");
  EXPECT_EQ(Normal("10", 8), "<invalid>");
  char text[4] = "10 ";
  EXPECT_FALSE(NormalizeIPv4Address(text, sizeof text));
  EXPECT_STREQ(text, "10") << "trailing blanks are taken off in place in any case";
}
