#include "settings/port_field.h"

#include <gtest/gtest.h>

TEST(ParsePortField, SignedDecimalWithLeadingBlanks) {
  EXPECT_EQ(ParsePortField("8800"), 8800u);
  EXPECT_EQ(ParsePortField("  2775"), 2775u);
  EXPECT_EQ(ParsePortField("12abc"), 12u);
  EXPECT_EQ(ParsePortField("+25"), 25u);
  EXPECT_EQ(ParsePortField(""), 0u);
  EXPECT_EQ(ParsePortField("abc"), 0u);
  EXPECT_EQ(ParsePortField("-"), 0u);
  EXPECT_EQ(ParsePortField("-1"), 4294967295u) << "printed unsigned as the gateway stores it";
  EXPECT_EQ(ParsePortField("- 1"), 0u);
}

TEST(ParsePortField, HugeNumbersStopAtTheLimits) {
  EXPECT_EQ(ParsePortField("99999999999999999999"), 2147483647u);
  EXPECT_EQ(ParsePortField("-99999999999999999999"), 2147483648u);
  EXPECT_EQ(ParsePortField("2147483647"), 2147483647u);
}
