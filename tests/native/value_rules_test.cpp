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

TEST(FindSectionValue, KeysWithoutRegardToCaseAndBlanksDropped) {
  const char section[] = "Modem1=COM5:\0 modem3 = SMPP - smsc:2775 \0WebPort=8800\0Empty=\0";
  size_t length = sizeof section - 1;
  char value[64];
  EXPECT_TRUE(FindSectionValue(section, length, "Modem1", value, sizeof value));
  EXPECT_STREQ(value, "COM5:");
  EXPECT_TRUE(FindSectionValue(section, length, "MODEM3", value, sizeof value));
  EXPECT_STREQ(value, "SMPP - smsc:2775");
  EXPECT_FALSE(FindSectionValue(section, length, "Modem2", value, sizeof value));
  EXPECT_STREQ(value, "");
  EXPECT_FALSE(FindSectionValue(section, length, "Modem", value, sizeof value)) << "whole keys only";
  EXPECT_TRUE(FindSectionValue(section, length, "Empty", value, sizeof value));
  EXPECT_STREQ(value, "");
  char small[4];
  EXPECT_TRUE(FindSectionValue(section, length, "WebPort", small, sizeof small));
  EXPECT_STREQ(small, "880");
}

TEST(FindSectionValue, NeverReadsBeyondTheGivenLength) {
  const char unterminated[] = {'K', 'e', 'y', '=', 'v', 'a', 'l'};
  char value[16];
  EXPECT_TRUE(FindSectionValue(unterminated, sizeof unterminated, "Key", value, sizeof value));
  EXPECT_STREQ(value, "val");
  EXPECT_FALSE(FindSectionValue(unterminated, 3, "Key", value, sizeof value));
}
