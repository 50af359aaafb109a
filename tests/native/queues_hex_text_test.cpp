#include "queues/hex_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(HexDigitValue, DigitsInEitherCaseAndZeroForTheRest) {
  const char digits[] = "0123456789abcdefABCDEF";
  const unsigned values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
  for (size_t i = 0; i + 1 < sizeof digits; ++i) EXPECT_EQ(HexDigitValue(digits[i]), values[i]);
  for (char other : {'g', 'G', ' ', '\xC3', '\0'}) EXPECT_EQ(HexDigitValue(other), 0u);
}

TEST(ParseHexNumber, LeadingDigitsOnly) {
  EXPECT_EQ(ParseHexNumber("F5"), 245u);
  EXPECT_EQ(ParseHexNumber("f5x"), 245u);
  EXPECT_EQ(ParseHexNumber("x5"), 0u);
  EXPECT_EQ(ParseHexNumber(""), 0u);
  EXPECT_EQ(ParseHexNumber(" 8"), 0u) << "no blank is skipped";
  EXPECT_EQ(ParseHexNumber("0x10"), 0u) << "no prefix is accepted";
  EXPECT_EQ(ParseHexNumber("1FF") & 0xFF, 0xFFu);
  EXPECT_EQ(ParseHexNumber("123456789A") & 0xFF, 0x9Au) << "overlong values keep their low bits";
  EXPECT_EQ(ParseHexSpan("F5F5", 2), 245u) << "the span ends the digits";
}

namespace {

std::string Ucs2(const char* hex, size_t cap = 64) {
  char out[64];
  HexUcs2ToUtf8(hex, out, cap);
  return out;
}

}  // namespace

TEST(HexUcs2ToUtf8, EncodesOneTwoAndThreeByteUnits) {
  EXPECT_EQ(Ucs2("0041"), "A");
  EXPECT_EQ(Ucs2("00E9"), "\xC3\xA9");
  EXPECT_EQ(Ucs2("20AC"), "\xE2\x82\xAC");
  EXPECT_EQ(Ucs2("07FF0800"), "\xDF\xBF\xE0\xA0\x80");
  EXPECT_EQ(Ucs2("00410062"), "Ab");
}

TEST(HexUcs2ToUtf8, SurrogatesAreEncodedOneByOne) {
  EXPECT_EQ(Ucs2("D83DDE00"), "\xED\xA0\xBD\xED\xB8\x80");
}

TEST(HexUcs2ToUtf8, StopsAtAZeroUnitANonDigitOrTheEnd) {
  EXPECT_EQ(Ucs2("004100000042"), "A");
  EXPECT_EQ(Ucs2("0041 0042"), "A");
  EXPECT_EQ(Ucs2("004"), "\x04");
  EXPECT_EQ(Ucs2(""), "");
  EXPECT_EQ(Ucs2("zz41"), "");
  EXPECT_EQ(Ucs2("00410"), "A") << "a trailing zero digit forms a zero unit";
  EXPECT_EQ(Ucs2("004142"), "AB") << "a short last group still forms a unit";
}

TEST(HexUcs2ToUtf8, RunsInPlace) {
  char buffer[32] = "00E920AC0041D83D";
  size_t n = HexUcs2ToUtf8(buffer, buffer, sizeof buffer);
  EXPECT_EQ(n, 9u);
  EXPECT_STREQ(buffer, "\xC3\xA9\xE2\x82\xAC" "A\xED\xA0\xBD");
}

TEST(HexUcs2ToUtf8, CutsAtWholeCharactersWithinTheCapacity) {
  char out[8];
  memset(out, 'x', sizeof out);
  // Room for 4 bytes and the NUL: "A", then the euro sign fits (3), then
  // the e-acute (2) does not.
  EXPECT_EQ(HexUcs2ToUtf8("004120AC00E9", out, 5), 4u);
  EXPECT_STREQ(out, "A\xE2\x82\xAC");
  EXPECT_EQ(out[5], 'x') << "nothing written past the capacity";
  EXPECT_EQ(HexUcs2ToUtf8("20AC", out, 3), 0u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(HexUcs2ToUtf8("0041", out, 1), 0u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(HexUcs2ToUtf8(nullptr, out, sizeof out), 0u);
  EXPECT_STREQ(out, "");
}
