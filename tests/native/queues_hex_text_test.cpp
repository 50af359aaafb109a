#include "queues/hex_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(HexUcs2ToUtf8, UnitsToUtf8UntilAZeroUnitANonDigitOrTheEnd) {
  const char* const rows[][2] = {
      {"0041", "A"}, {"00E9", "\xC3\xA9"}, {"20AC", "\xE2\x82\xAC"}, {"07FF0800", "\xDF\xBF\xE0\xA0\x80"},
      {"D83DDE00", "\xED\xA0\xBD\xED\xB8\x80"},  // surrogates are encoded one by one
      {"004100000042", "A"}, {"0041 0042", "A"}, {"004", "\x04"}, {"", ""}, {"zz41", ""},
      {"00410", "A"},     // a trailing zero digit forms a zero unit
      {"004142", "AB"}};  // a short last group still forms a unit
  for (const auto& row : rows) {
    char out[64];
    HexUcs2ToUtf8(row[0], out, sizeof out);
    EXPECT_STREQ(out, row[1]) << row[0];
  }
}

TEST(HexUcs2ToUtf8, RunsInPlaceAndCutsAtWholeCharacters) {
  char buffer[32] = "00E920AC0041D83D";
  EXPECT_EQ(HexUcs2ToUtf8(buffer, buffer, sizeof buffer), 9u);
  EXPECT_STREQ(buffer, "\xC3\xA9\xE2\x82\xAC" "A\xED\xA0\xBD");

  char out[8];
  memset(out, 'x', sizeof out);
  // Room for 4 bytes and the NUL: "A" and the euro sign, not the e-acute.
  EXPECT_EQ(HexUcs2ToUtf8("004120AC00E9", out, 5), 4u);
  EXPECT_STREQ(out, "A\xE2\x82\xAC");
  EXPECT_EQ(out[5], 'x') << "nothing written past the capacity";
  EXPECT_EQ(HexUcs2ToUtf8("20AC", out, 3), 0u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(HexUcs2ToUtf8(nullptr, out, sizeof out), 0u);
}
