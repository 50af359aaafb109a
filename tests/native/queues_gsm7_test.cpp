#include "queues/gsm7.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/text_util.h"

namespace {

// Packs septets the way a sender does, after fillBits spare low bits.
std::string Pack(const std::vector<unsigned>& septets, unsigned fillBits = 0) {
  std::string hex;
  unsigned accumulator = 0;
  unsigned bits = fillBits;
  char pair[3];
  for (unsigned septet : septets) {
    accumulator |= (septet & 0x7F) << bits;
    for (bits += 7; bits >= 8; bits -= 8, accumulator >>= 8) {
      FormatText(pair, sizeof pair, "%02X", accumulator & 0xFF);
      hex += pair;
    }
  }
  if (bits > 0) {
    FormatText(pair, sizeof pair, "%02X", accumulator & 0xFF);
    hex += pair;
  }
  return hex;
}

std::string Decode(const char* header, const std::string& data, size_t cap = 256) {
  std::vector<char> out(cap + 1, 'x');
  DecodeGsm7Hex(header, data.c_str(), out.data(), cap);
  EXPECT_EQ(out[cap], 'x') << "written past the capacity";
  return out.data();
}

}  // namespace

TEST(Gsm7, DecodesPackedSeptetsAfterTheHeader) {
  const std::string udh5 = "050003A70201";  // six octets: one fill bit
  const struct Row {
    const char* header;
    std::string data;
    std::string text;
  } rows[] = {
      {"", "E8329BFD06", "hello"}, {"", "e8329bfd06", "hello"}, {nullptr, "E8329BFD06", "hello"},
      {"", "61F1985C369FD1", "abcdefgh"},  // eight septets fill seven octets
      // Default alphabet beyond ASCII, and the extension table after an escape.
      {"", Pack({0x00, 0x10, 0x01, 0x02, 0x11, 0x1C, 0x24, 0x7F}), "@\xCE\x94\xC2\xA3$_\xC3\x86\xC2\xA4\xC3\xA0"},
      {"", "B54D19", "5\xE2\x82\xAC"}, {"", Pack({0x1B, 0x0A, 0x1B, 0x14, 0x1B, 0x3C, 0x1B, 0x2F}), "\f^[\\"},
      {"", Pack({0x1B, 'x'}), "x"},  // an unknown extension shows the default character
      {"", Pack({0x1B, 0x1B, 'A'}), " A"}, {"", Pack({'a', 0x1B}), "a"},  // a dangling escape shows nothing
      // The header decides the fill bits; data that carries the header is read past it.
      {udh5.c_str(), "9069", "Hi"}, {"050003a70201", "9069", "Hi"}, {"", "9069", "\xCE\x94S"},
      {udh5.c_str(), udh5 + "9069", "Hi"}, {"06080400010201", Pack({'O', 'K'}), "OK"},
      {"03000102", Pack({'O', 'K', '!'}, 3), "OK!"}, {"Z5", "E8329BFD06", "hello"},
      // Spare bits of the last octet are no text: zero or CR padding.
      {"", "61F1985C369F01", "abcdefg"}, {"", Pack({'a', 'b', 'c', 'd', 'e', 'f', 'g', 0x0D}), "abcdefg"},
      {"", Pack({'a', 'b', 'c', 'd', 'e', 'f', 'g', 0x0D, 0x0D}), "abcdefg\r\r"},  // a wanted CR, doubled
      {"", Pack({'a', 'b', 'c', 'd', 'e', 'f', 0x0D}), "abcdef\r"}, {"03000102", Pack({'O', 'K'}, 3), "OK"},
      // Malformed or cut short: what came before stays.
      {"", "", ""}, {"", "E8329BFD0", "hell"}, {"", "E8329BFD", "hell"}, {"", "E832 9BFD06", "he"},
      {"", "G8329BFD06", ""}, {"", "E", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(Decode(row.header, row.data), row.text) << row.data;
}

TEST(Gsm7, CutsAtTheCapacityAtWholeCharacters) {
  EXPECT_EQ(Decode("", "E8329BFD06", 4), "hel");
  EXPECT_EQ(Decode("", "E8329BFD06", 1), "");
  EXPECT_EQ(Decode("", Pack({0x10, 0x10}), 4), "\xCE\x94") << "Delta takes two bytes";
  EXPECT_EQ(Decode("", "B54D19", 4), "5") << "the euro sign needs three bytes";
  char out[4] = "abc";
  EXPECT_FALSE(DecodeGsm7Hex("", "E8329BFD06", out, 0));
  EXPECT_STREQ(out, "abc") << "no room: untouched";
  EXPECT_FALSE(DecodeGsm7Hex("", "E8329BFD06", out, sizeof out));
  EXPECT_TRUE(DecodeGsm7Hex("", "E832", out, sizeof out));

  std::string hex = Pack(std::vector<unsigned>(5000, 0x10));  // 10000 bytes of Delta
  std::vector<char> big(20000, 'x');
  EXPECT_FALSE(DecodeGsm7Hex("", hex.c_str(), big.data(), big.size()));
  EXPECT_EQ(strlen(big.data()), kGsm7MaxOutput - 2) << "the decoder's limit, whole characters only";
}

TEST(Gsm7, DecodesIntoTheBufferThatHoldsTheData) {
  // Greek capitals take two bytes for seven bits: the text outgrows the digits.
  std::string hex = Pack(std::vector<unsigned>(40, 0x10));
  char buffer[128];
  CopyText(buffer, sizeof buffer, hex.c_str());
  EXPECT_TRUE(DecodeGsm7Hex("", buffer, buffer, sizeof buffer));
  std::string expected;
  for (int i = 0; i < 40; ++i) expected += "\xCE\x94";
  EXPECT_EQ(std::string(buffer), expected);

  char header[32] = "050003A70201";
  CopyText(buffer, sizeof buffer, "9069");
  DecodeGsm7Hex(header, buffer, header, sizeof header);
  EXPECT_STREQ(header, "Hi") << "the header buffer may be the output too";
}
