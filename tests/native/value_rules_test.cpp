#include "config/value_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

TEST(ValueRules, TrueValuesAndLeadingNumbers) {
  for (const char* on : {"Y", "y", "1", "TRUE", "True", "Yes please", "10"}) EXPECT_TRUE(IsTrueValue(on)) << on;
  for (const char* off : {"No", "0", "", "false", "on", " yes", "TRUE ", "tru"}) EXPECT_FALSE(IsTrueValue(off)) << off;
  EXPECT_FALSE(IsTrueValue(nullptr));

  const std::pair<const char*, unsigned> numbers[] = {
      {"100abc", 100}, {"abc", 0}, {"", 0}, {" 5", 0}, {"-5", 0}, {"4294967295", UINT_MAX},
      {"99999999999999999999", UINT_MAX}};  // saturates, never wraps
  for (const auto& row : numbers) EXPECT_EQ(ParseLeadingNumber(row.first), row.second) << row.first;
}

TEST(ValueRules, FileNamesAndFolders) {
  char name[] = "SMPP - smsc.example.com:2775/a\\b";
  NameToFileName(name);
  EXPECT_STREQ(name, "SMPP - smsc.example.com-2775-a-b");

  char path[8] = "C:\\Q";
  EXPECT_TRUE(EnsureTrailingBackslash(path, sizeof path));
  EXPECT_TRUE(EnsureTrailingBackslash(path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\") << "only one";
  char full[5] = "C:\\Q";
  EXPECT_FALSE(EnsureTrailingBackslash(full, sizeof full));
  EXPECT_STREQ(full, "C:\\Q");
}

TEST(FindSectionValue, KeysWithoutRegardToCaseBlanksDroppedNeverPastTheLength) {
  const char section[] = "Modem1=COM5:\0 modem3 = SMPP - smsc:2775 \0WebPort=8800\0Empty=\0";
  size_t length = sizeof section - 1;
  char value[64];
  EXPECT_TRUE(FindSectionValue(section, length, "MODEM3", value, sizeof value));
  EXPECT_STREQ(value, "SMPP - smsc:2775");
  EXPECT_FALSE(FindSectionValue(section, length, "Modem2", value, sizeof value));
  EXPECT_STREQ(value, "");
  EXPECT_FALSE(FindSectionValue(section, length, "Modem", value, sizeof value)) << "whole keys only";
  EXPECT_TRUE(FindSectionValue(section, length, "Empty", value, sizeof value));
  char small[4];
  EXPECT_TRUE(FindSectionValue(section, length, "WebPort", small, sizeof small));
  EXPECT_STREQ(small, "880");

  const char unterminated[] = {'K', 'e', 'y', '=', 'v', 'a', 'l'};
  EXPECT_TRUE(FindSectionValue(unterminated, sizeof unterminated, "Key", value, sizeof value));
  EXPECT_STREQ(value, "val");
  EXPECT_FALSE(FindSectionValue(unterminated, 3, "Key", value, sizeof value));
}
