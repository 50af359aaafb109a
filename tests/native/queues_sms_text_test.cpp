#include "queues/sms_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/text_util.h"
#include "queues/compact_time.h"
#include "queues/sms_file.h"

TEST(DataCodingScheme, Gsm7AndUcs2AsTheCodingGroupsSay) {
  for (unsigned dcs : {0x00u, 0x01u, 0x10u, 0x20u, 0xC0u, 0xD1u, 0xF0u, 0xF8u})
    EXPECT_TRUE(IsGsm7Dcs(static_cast<uint8_t>(dcs)) && !IsUcs2Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
  for (unsigned dcs : {0x08u, 0x0Cu, 0x18u, 0xE0u})
    EXPECT_TRUE(!IsGsm7Dcs(static_cast<uint8_t>(dcs)) && IsUcs2Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
  for (unsigned dcs : {0x04u, 0x40u, 0x80u, 0xF4u, 0x14u, 0xBFu, 0xFCu})
    EXPECT_FALSE(IsGsm7Dcs(static_cast<uint8_t>(dcs)) || IsUcs2Dcs(static_cast<uint8_t>(dcs))) << std::hex << dcs;
}

TEST(UnescapeLineBreaks, OnlyBackslashRAndBackslashN) {
  const char* const rows[][2] = {{"line 1\\r\\nline 2", "line 1\r\nline 2"}, {"a\\tb", "a\\tb"},
                                 {"\\\\r", "\\\r"},  // the first backslash stays, the second pairs with r
                                 {"end\\", "end\\"}, {"\\R\\N", "\\R\\N"}, {"", ""}};
  for (const auto& row : rows) {
    char buffer[64];
    CopyText(buffer, sizeof buffer, row[0]);
    EXPECT_EQ(UnescapeLineBreaks(buffer), strlen(row[1])) << row[0];
    EXPECT_STREQ(buffer, row[1]);
  }
}

// The compact time's fallbacks are read through the SMS file's error detail.
TEST(CompactTime, FourteenDigitsWithoutRangeTestsAndTheRowText) {
  DateTimeRecord t;
  memset(&t, 0xFF, sizeof t);
  ParseCompactTime("20121399093005 trailing", &t);
  const DateTimeRecord parsed = {2012, 13, 0, 99, 9, 30, 5, 0};
  EXPECT_EQ(memcmp(&t, &parsed, sizeof t), 0);
  char text[kRowTimeChars];
  EXPECT_EQ(FormatRowTime({2012, 5, 2, 1, 9, 3, 5, 0}, text, sizeof text), 19u);
  EXPECT_STREQ(text, "2012-05-01 09:03:05");
}

TEST(DecodeSmsText, ChoosesTheDecoderByBinaryAndCodingSchemeAndCutsToTheRoom) {
  const struct {
    const char* data;
    bool binary;
    unsigned dcs;
    const char* udh;
    size_t room;
    const char* text;
  } rows[] = {
      {"Hello\r\n", false, 0x08, "", 64, "Hello\r\n"},  // not binary: the text, whatever dcs says
      {"00E9", false, 0x08, "", 64, "00E9"},
      {"E8329BFD06", true, 0x00, "", 64, "hello"},
      {"00E920AC", true, 0x08, "", 64, "\xC3\xA9\xE2\x82\xAC"},
      {"48656C6C6F", true, 0x04, "", 64, "48656C6C6F"},  // 8-bit data keeps its digits
      {"9069", true, 0xF0, "050003A70201", 64, "Hi"},
      {"004100E920AC", true, 0x08, "", 4, "A\xC3\xA9"},  // not the euro sign
  };
  for (const auto& row : rows) {
    SmsFileRecord record = {};
    CopyText(record.data, sizeof record.data, row.data);
    CopyText(record.udh, sizeof record.udh, row.udh);
    record.binary = row.binary ? 1 : 0;
    record.dcs = static_cast<uint8_t>(row.dcs);
    DecodeSmsText(&record, row.room);
    EXPECT_STREQ(record.data, row.text) << row.data;
  }
}
