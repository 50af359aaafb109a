#include "queues/queue_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "queues/sms_file.h"

namespace {

using Fields = std::vector<std::string>;

Fields Split(const char* row, size_t count) {
  Fields fields;
  for (size_t i = 0; i < count; ++i) fields.push_back(QueueRowField(row, count, i));
  return fields;
}

std::unique_ptr<SmsFileRecord> Parsed(const std::string& text) {
  auto record = std::make_unique<SmsFileRecord>();
  ParseSmsFile(text.data(), text.size(), record.get());
  return record;
}

}  // namespace

TEST(AssembleQueueRow, FieldsThenAnEmptyStringCutSoThatEveryFieldFits) {
  const char* fields[] = {"key", "", "c"};
  char row[16];
  memset(row, 'x', sizeof row);
  EXPECT_EQ(AssembleQueueRow(fields, 3, row, sizeof row), 8u);
  EXPECT_EQ(memcmp(row, "key\0\0c\0\0", 8), 0);
  EXPECT_EQ(row[15], '\0') << "the buffer is cleared first";
  EXPECT_STREQ(QueueRowField(row, 3, 3), "") << "no field beyond the row";
  EXPECT_STREQ(QueueRowField(nullptr, 3, 0), "");

  std::string longText(10000, 't');
  const char* last[] = {"k", "f", longText.c_str()};
  char full[kQueueRowBytes];
  EXPECT_EQ(AssembleQueueRow(last, 3, full, sizeof full), kQueueRowBytes);
  EXPECT_EQ(Split(full, 3), (Fields{"k", "f", longText.substr(0, kQueueRowBytes - 6)}));
  EXPECT_EQ(full[kQueueRowBytes - 2], '\0');
  const char* middle[] = {"k", longText.c_str(), "after"};
  char small[32];
  EXPECT_EQ(AssembleQueueRow(middle, 3, small, sizeof small), sizeof small);
  EXPECT_EQ(Split(small, 3), (Fields{"k", longText.substr(0, 27), ""})) << "later fields empty but present";
  EXPECT_EQ(AssembleQueueRow(last, 3, small, 3), 0u) << "no room for three fields";
  EXPECT_EQ(AssembleQueueRow(last, 3, small, 4), 4u);
}

TEST(QueueRows, StatusAndKeyTexts) {
  const struct {
    int32_t retries;
    const char* error;
    const char* status;
  } rows[] = {{0, "ignored", "Queued"}, {3, "", "Retry -  3 attempt(s)"}, {5, nullptr, "Retry -  5 attempt(s)"},
              {12, "Modem not responding", "Retry - 12 attempt(s) - Modem not responding"},
              {-1, "", "Retry - 4294967295 attempt(s)"}};  // the count is shown unsigned
  char status[64];
  for (const auto& row : rows) {
    FormatOutboundStatus(row.retries, row.error, status, sizeof status);
    EXPECT_STREQ(status, row.status);
  }
  FormatOutboundStatus(3, "error", status, 8);
  EXPECT_STREQ(status, "Retry -");

  char key[16];
  EXPECT_TRUE(FormatMessageKey(nullptr, "A1.REQ", key, sizeof key));
  EXPECT_STREQ(key, "A1.REQ");
  EXPECT_TRUE(FormatMessageKey("route", "A1.REQ", key, sizeof key));
  EXPECT_STREQ(key, "route\\A1.REQ");
  EXPECT_FALSE(FormatMessageKey("longroute", "A1234.REQ", key, sizeof key));
}

TEST(QueueRows, ReceivedSmsTextCutAtAWholeCharacterWithinTheRow) {
  // 4000 Greek capitals decode to 8000 bytes; with the other fields in front
  // the row has less room, and the text stops before a split character.
  std::string data;
  for (int i = 0; i < 500; ++i) data += "10080402814020";  // Delta x 8 per 7 octets
  auto record = Parsed("[SMS]\nSender=" + std::string(149, 's') + "\nPhoneNumber=" + std::string(149, 'p') +
                       "\nbinary=yes\ndcs=0\nData=" + data + "\n");
  char row[kQueueRowBytes];
  std::string key(300, 'k');
  EXPECT_EQ(BuildReceivedSmsRow(key.c_str(), "x.SMS", record.get(), "2012-05-01 09:30:05", "Received", row, sizeof row),
            kQueueRowBytes);
  std::string text = QueueRowField(row, kReceivedSmsRowFields, 6);
  EXPECT_EQ(text.size() % 2, 0u);
  EXPECT_EQ(text.substr(text.size() - 2), "\xCE\x94");
}
