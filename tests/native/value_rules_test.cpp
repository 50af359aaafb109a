#include "config/value_rules.h"

#include <gtest/gtest.h>

#include <climits>

TEST(IsTrueValue, FirstCharacterOrTrueInAnyCase) {
  for (const char* on : {"yes", "Y", "y", "1", "true", "TRUE", "True", "Yes please", "10"})
    EXPECT_TRUE(IsTrueValue(on)) << on;
  for (const char* off : {"No", "0", "", "false", "on", " yes", "TRUE ", "tru"})
    EXPECT_FALSE(IsTrueValue(off)) << off;
  EXPECT_FALSE(IsTrueValue(nullptr));
}

TEST(ParseLeadingNumber, TakesTheLeadingDigits) {
  EXPECT_EQ(ParseLeadingNumber("8800"), 8800u);
  EXPECT_EQ(ParseLeadingNumber("100abc"), 100u);
  EXPECT_EQ(ParseLeadingNumber("abc"), 0u);
  EXPECT_EQ(ParseLeadingNumber(""), 0u);
  EXPECT_EQ(ParseLeadingNumber(" 5"), 0u);
  EXPECT_EQ(ParseLeadingNumber("-5"), 0u);
  EXPECT_EQ(ParseLeadingNumber("4294967295"), UINT_MAX);
  EXPECT_EQ(ParseLeadingNumber("99999999999999999999"), UINT_MAX) << "saturates, never wraps";
}

TEST(NameToFileName, ReplacesColonsAndSlashes) {
  char name[] = "SMPP - smsc.example.com:2775/a\\b";
  NameToFileName(name);
  EXPECT_STREQ(name, "SMPP - smsc.example.com-2775-a-b");
}

TEST(EnsureTrailingBackslash, AppendsOnlyWhenMissingAndWhenThereIsRoom) {
  char path[8] = "C:\\Q";
  EXPECT_TRUE(EnsureTrailingBackslash(path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\");
  EXPECT_TRUE(EnsureTrailingBackslash(path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\");
  char full[5] = "C:\\Q";
  EXPECT_FALSE(EnsureTrailingBackslash(full, sizeof full));
  EXPECT_STREQ(full, "C:\\Q");
}
