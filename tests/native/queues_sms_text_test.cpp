#include "queues/sms_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/text_util.h"
#include "queues/compact_time.h"
#include "queues/sms_file.h"

TEST(DataCodingScheme, Gsm7AndUcs2AsTheCodingGroupsSay) {
  for (unsigned dcs : {0x00u, 0x01u, 0x10u, 0x20u, 0xC0u, 0xD1u, 0xF0u, 0xF8u}) {
    EXPECT_TRUE(IsGsm7Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
    EXPECT_FALSE(IsUcs2Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
  }
  for (unsigned dcs : {0x08u, 0x0Cu, 0x18u, 0xE0u}) {
    EXPECT_FALSE(IsGsm7Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
    EXPECT_TRUE(IsUcs2Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
  }
  for (unsigned dcs : {0x04u, 0x40u, 0x80u, 0xF4u, 0x14u, 0xBFu, 0xFCu}) {
    EXPECT_FALSE(IsGsm7Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
    EXPECT_FALSE(IsUcs2Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
  }
}

namespace {

std::string Unescape(const char* text) {
  char buffer[64];
  CopyText(buffer, sizeof buffer, text);
  size_t n = UnescapeLineBreaks(buffer);
  EXPECT_EQ(n, strlen(buffer));
  return buffer;
}

}  // namespace

TEST(UnescapeLineBreaks, OnlyBackslashRAndBackslashN) {
  EXPECT_EQ(Unescape("line 1\\r\\nline 2"), "line 1\r\nline 2");
  EXPECT_EQ(Unescape("a\\tb"), "a\\tb");
  EXPECT_EQ(Unescape("\\\\r"), "\\\r") << "the first backslash stays, the second pairs with r";
  EXPECT_EQ(Unescape("\\n\\r"), "\n\r");
  EXPECT_EQ(Unescape("end\\"), "end\\") << "a backslash at the very end stays";
  EXPECT_EQ(Unescape("\\R\\N"), "\\R\\N") << "upper case is no escape";
  EXPECT_EQ(Unescape(""), "");
}

TEST(ParseCompactTime, FourteenDigitsOrTheFallback) {
  DateTimeRecord t;
  memset(&t, 0xFF, sizeof t);
  ParseCompactTime("20120501093005", &t);
  EXPECT_EQ(t.year, 2012);
  EXPECT_EQ(t.month, 5);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 9);
  EXPECT_EQ(t.minute, 30);
  EXPECT_EQ(t.second, 5);
  EXPECT_EQ(t.dayOfWeek, 0);
  EXPECT_EQ(t.milliseconds, 0);

  memset(&t, 0xFF, sizeof t);
  ParseCompactTime("2012050109300", &t);
  const DateTimeRecord fallback = {2000, 1, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(memcmp(&t, &fallback, sizeof t), 0);

  ParseCompactTime("20121399093005 trailing", &t);
  EXPECT_EQ(t.month, 13) << "no range test";
  EXPECT_EQ(t.day, 99);
  ParseCompactTime("2012-05-01 09:30:05", &t);
  EXPECT_EQ(memcmp(&t, &fallback, sizeof t), 0);
  ParseCompactTime("", &t);
  EXPECT_EQ(memcmp(&t, &fallback, sizeof t), 0);
}

TEST(FormatRowTime, FixedWidthText) {
  char text[kRowTimeChars];
  const DateTimeRecord t = {2012, 5, 2, 1, 9, 3, 5, 0};
  EXPECT_EQ(FormatRowTime(t, text, sizeof text), 19u);
  EXPECT_STREQ(text, "2012-05-01 09:03:05");
}

namespace {

std::unique_ptr<SmsFileRecord> Message(const char* data, bool binary, unsigned dcs,
                                       const char* udh = "") {
  auto record = std::make_unique<SmsFileRecord>();
  memset(record.get(), 0, sizeof *record);
  CopyText(record->data, sizeof record->data, data);
  CopyText(record->udh, sizeof record->udh, udh);
  record->binary = binary ? 1 : 0;
  record->dcs = static_cast<uint8_t>(dcs);
  return record;
}

}  // namespace

TEST(DecodeSmsText, ChoosesTheDecoderByBinaryAndCodingScheme) {
  auto text = Message("Hello\r\n", false, 0x08);
  DecodeSmsText(text.get());
  EXPECT_STREQ(text->data, "Hello\r\n") << "binary false leaves the text, whatever dcs says";

  auto ucs2NotBinary = Message("00E9", false, 0x08);
  DecodeSmsText(ucs2NotBinary.get());
  EXPECT_STREQ(ucs2NotBinary->data, "00E9");

  auto gsm = Message("E8329BFD06", true, 0x00);
  DecodeSmsText(gsm.get());
  EXPECT_STREQ(gsm->data, "hello");

  auto ucs2 = Message("00E920AC", true, 0x08);
  DecodeSmsText(ucs2.get());
  EXPECT_STREQ(ucs2->data, "\xC3\xA9\xE2\x82\xAC");

  auto eightBit = Message("48656C6C6F", true, 0x04);
  DecodeSmsText(eightBit.get());
  EXPECT_STREQ(eightBit->data, "48656C6C6F") << "8-bit data keeps its digits";

  auto withHeader = Message("9069", true, 0xF0, "050003A70201");
  DecodeSmsText(withHeader.get());
  EXPECT_STREQ(withHeader->data, "Hi");
}

TEST(DecodeSmsText, CutsDecodedTextToTheRoomGiven) {
  auto ucs2 = Message("004100E920AC", true, 0x08);
  DecodeSmsText(ucs2.get(), 4);  // "A" and the two bytes of e-acute; not the euro sign
  EXPECT_STREQ(ucs2->data, "A\xC3\xA9");
}
