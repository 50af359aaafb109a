#include "settings/port_field.h"

#include <gtest/gtest.h>

#include <utility>

TEST(ParsePortField, SignedDecimalAfterBlanksShownUnsignedAndStoppedAtTheLimits) {
  const std::pair<const char*, unsigned> rows[] = {
      {"  2775", 2775}, {"12abc", 12}, {"+25", 25}, {"", 0}, {"abc", 0}, {"-", 0}, {"- 1", 0},
      {"-1", 4294967295u}, {"2147483647", 2147483647u}, {"99999999999999999999", 2147483647u},
      {"-99999999999999999999", 2147483648u}};
  for (const auto& row : rows) EXPECT_EQ(ParsePortField(row.first), row.second) << row.first;
}
