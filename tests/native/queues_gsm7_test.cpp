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
    bits += 7;
    while (bits >= 8) {
      FormatText(pair, sizeof pair, "%02X", accumulator & 0xFF);
      hex += pair;
      accumulator >>= 8;
      bits -= 8;
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

TEST(Gsm7, PlainTextPacked) {
  EXPECT_EQ(Decode("", "E8329BFD06"), "hello");
  EXPECT_EQ(Decode("", "e8329bfd06"), "hello") << "lower-case digits";
  EXPECT_EQ(Decode(nullptr, "E8329BFD06"), "hello");
  EXPECT_EQ(Decode("", Pack({0x00})), "@");
  EXPECT_EQ(Decode("", Pack({0x00, 'b'})), "@b");
  EXPECT_EQ(Decode("", "61F1985C369FD1"), "abcdefgh") << "eight septets fill seven octets";
}

TEST(Gsm7, DefaultAlphabetBeyondAscii) {
  EXPECT_EQ(Decode("", Pack({0x10, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A})),
            "\xCE\x94\xCE\xA6\xCE\x93\xCE\x9B\xCE\xA9\xCE\xA0\xCE\xA8\xCE\xA3\xCE\x98\xCE\x9E");
  EXPECT_EQ(Decode("", Pack({0x01, 0x02, 0x03, 0x04, 0x05, 0x09, 0x0A, 0x0D, 0x11, 0x24})),
            "\xC2\xA3$\xC2\xA5\xC3\xA8\xC3\xA9\xC3\x87\n\r_\xC2\xA4");
  EXPECT_EQ(Decode("", Pack({0x1C, 0x1D, 0x1E, 0x1F, 0x40, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F})),
            "\xC3\x86\xC3\xA6\xC3\x9F\xC3\x89\xC2\xA1\xC3\x84\xC3\x96\xC3\x91\xC3\x9C\xC2\xA7");
  EXPECT_EQ(Decode("", Pack({0x06, 0x07, 0x08, 0x0B, 0x0C, 0x0E, 0x0F})),
            "\xC3\xB9\xC3\xAC\xC3\xB2\xC3\x98\xC3\xB8\xC3\x85\xC3\xA5");
  EXPECT_EQ(Decode("", Pack({0x60, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F})),
            "\xC2\xBF\xC3\xA4\xC3\xB6\xC3\xB1\xC3\xBC\xC3\xA0");
}

TEST(Gsm7, ExtensionTableThroughEscape) {
  EXPECT_EQ(Decode("", "B54D19"), "5\xE2\x82\xAC");
  EXPECT_EQ(Decode("", Pack({0x1B, 0x0A, 0x1B, 0x14, 0x1B, 0x28, 0x1B, 0x29, 0x1B, 0x2F, 0x1B, 0x3C,
                             0x1B, 0x3D, 0x1B, 0x3E, 0x1B, 0x40, 0x1B, 0x65})),
            "\f^{}\\[~]|\xE2\x82\xAC");
  EXPECT_EQ(Decode("", Pack({0x1B, 'x'})), "x") << "unknown extension shows the default character";
  EXPECT_EQ(Decode("", Pack({0x1B, 0x1B, 'A'})), " A");
  EXPECT_EQ(Decode("", Pack({'a', 0x1B})), "a") << "a dangling escape shows nothing";
}

TEST(Gsm7, HeaderFillBitsAlignTheFirstSeptet) {
  // UDH length 5: six octets, 48 bits, one fill bit before the first septet.
  EXPECT_EQ(Pack({'H', 'i'}, 1), "9069");
  EXPECT_EQ(Decode("050003A70201", "9069"), "Hi");
  EXPECT_EQ(Decode("", "9069"), "\xCE\x94S") << "without the header the bits are off";
  // Data that carries the header octets in front is read past them.
  EXPECT_EQ(Decode("050003A70201", "050003A702019069"), "Hi");
  // UDH length 6: seven octets, 56 bits, no fill.
  EXPECT_EQ(Decode("06080400010201", Pack({'O', 'K'})), "OK");
  // UDH length 3: four octets, 32 bits, three fill bits.
  EXPECT_EQ(Decode("03000102", Pack({'O', 'K', '!'}, 3)), "OK!");
  EXPECT_EQ(Decode("050003a70201", "9069"), "Hi") << "header digits in lower case";
}

TEST(Gsm7, SpareBitsOfTheLastOctetAreNotAText) {
  EXPECT_EQ(Pack({'a', 'b', 'c', 'd', 'e', 'f', 'g'}), "61F1985C369F01");
  EXPECT_EQ(Decode("", "61F1985C369F01"), "abcdefg") << "zero padding";
  EXPECT_EQ(Decode("", Pack({'a', 'b', 'c', 'd', 'e', 'f', 'g', 0x0D})), "abcdefg")
      << "CR padding";
  EXPECT_EQ(Decode("", Pack({'a', 'b', 'c', 'd', 'e', 'f', 'g', 0x0D, 0x0D})), "abcdefg\r\r")
      << "a sender doubles a wanted CR on the octet boundary; both are real";
  EXPECT_EQ(Decode("", Pack({'a', 'b', 'c', 'd', 'e', 'f', 0x0D})), "abcdef\r")
      << "a CR away from the boundary is text";
  EXPECT_EQ(Decode("03000102", Pack({'O', 'K'}, 3)), "OK") << "padding after fill bits";
}

TEST(Gsm7, MalformedAndTruncatedData) {
  EXPECT_EQ(Decode("", ""), "");
  EXPECT_EQ(Decode("", "E8329BFD0"), "hell") << "an odd last digit is dropped";
  EXPECT_EQ(Decode("", "E8329BFD"), "hell") << "a septet cut short is dropped";
  EXPECT_EQ(Decode("", "E832 9BFD06"), "he") << "reading stops at a non-digit";
  EXPECT_EQ(Decode("", "G8329BFD06"), "");
  EXPECT_EQ(Decode("", "E"), "");
  EXPECT_EQ(Decode("Z5", "E8329BFD06"), "hello") << "a header without digits counts as none";
}

TEST(Gsm7, CutsAtTheCapacityAtWholeCharacters) {
  EXPECT_EQ(Decode("", "E8329BFD06", 4), "hel");
  EXPECT_EQ(Decode("", "E8329BFD06", 1), "");
  // Delta takes two bytes: with room for three only one fits.
  EXPECT_EQ(Decode("", Pack({0x10, 0x10}), 4), "\xCE\x94");
  EXPECT_EQ(Decode("", "B54D19", 4), "5") << "the euro sign needs three bytes";
  char out[4] = "abc";
  EXPECT_FALSE(DecodeGsm7Hex("", "E8329BFD06", out, 0));
  EXPECT_STREQ(out, "abc") << "no room: untouched";
  EXPECT_FALSE(DecodeGsm7Hex("", "E8329BFD06", out, sizeof out));
  EXPECT_TRUE(DecodeGsm7Hex("", "E832", out, sizeof out));
  EXPECT_STREQ(out, "he");
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

TEST(Gsm7, LongTextStopsAtTheDecoderLimit) {
  std::string hex = Pack(std::vector<unsigned>(5000, 0x10));  // 10000 bytes of Delta
  std::vector<char> out(20000, 'x');
  EXPECT_FALSE(DecodeGsm7Hex("", hex.c_str(), out.data(), out.size()));
  EXPECT_EQ(strlen(out.data()), kGsm7MaxOutput - 2) << "whole two-byte characters only";
}
