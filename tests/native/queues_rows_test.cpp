#include "queues/queue_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/text_util.h"
#include "queues/mms_header.h"
#include "queues/sms_file.h"

namespace {

std::string Field(const char* row, size_t count, size_t index) {
  return QueueRowField(row, count, index);
}

std::unique_ptr<SmsFileRecord> Parsed(const std::string& text) {
  auto record = std::make_unique<SmsFileRecord>();
  ParseSmsFile(text.data(), text.size(), record.get());
  return record;
}

}  // namespace

TEST(AssembleQueueRow, FieldsThenAnEmptyString) {
  const char* fields[] = {"key", "", "c"};
  char row[16];
  memset(row, 'x', sizeof row);
  EXPECT_EQ(AssembleQueueRow(fields, 3, row, sizeof row), 8u);
  EXPECT_EQ(memcmp(row, "key\0\0c\0\0", 8), 0);
  EXPECT_EQ(row[15], '\0') << "the buffer is cleared first";
  EXPECT_EQ(Field(row, 3, 1), "") << "an empty field is still a field";
  EXPECT_EQ(Field(row, 3, 2), "c");
  EXPECT_EQ(Field(row, 3, 3), "") << "no field beyond the row";
  EXPECT_EQ(Field(nullptr, 3, 0), "");
}

TEST(AssembleQueueRow, CutsSoThatEveryFieldAndTheFinalNulFit) {
  std::string longText(10000, 't');
  const char* fields[] = {"k", "f", longText.c_str()};
  char row[kQueueRowBytes];
  EXPECT_EQ(AssembleQueueRow(fields, 3, row, sizeof row), kQueueRowBytes);
  EXPECT_EQ(Field(row, 3, 2).size(), kQueueRowBytes - 2 - 2 - 2);
  EXPECT_EQ(row[kQueueRowBytes - 1], '\0');
  EXPECT_EQ(row[kQueueRowBytes - 2], '\0');

  // A long field in the middle leaves the later fields empty but present.
  const char* middle[] = {"k", longText.c_str(), "after"};
  char small[32];
  EXPECT_EQ(AssembleQueueRow(middle, 3, small, sizeof small), sizeof small);
  EXPECT_EQ(Field(small, 3, 1).size(), sizeof small - 2 - 3);
  EXPECT_EQ(Field(small, 3, 2), "");

  EXPECT_EQ(AssembleQueueRow(fields, 3, small, 3), 0u) << "no room for three fields";
  EXPECT_EQ(AssembleQueueRow(fields, 3, small, 4), 4u);
  EXPECT_EQ(Field(small, 3, 0), "");
}

TEST(FormatOutboundStatus, QueuedOrRetryWithTheLastError) {
  char status[64];
  FormatOutboundStatus(0, "ignored", status, sizeof status);
  EXPECT_STREQ(status, "Queued");
  FormatOutboundStatus(3, "", status, sizeof status);
  EXPECT_STREQ(status, "Retry -  3 attempt(s)");
  FormatOutboundStatus(12, "Modem not responding", status, sizeof status);
  EXPECT_STREQ(status, "Retry - 12 attempt(s) - Modem not responding");
  FormatOutboundStatus(5, nullptr, status, sizeof status);
  EXPECT_STREQ(status, "Retry -  5 attempt(s)");
  FormatOutboundStatus(-1, "", status, sizeof status);
  EXPECT_STREQ(status, "Retry - 4294967295 attempt(s)") << "the count is shown unsigned";
  char tiny[8];
  FormatOutboundStatus(3, "error", tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "Retry -");
}

TEST(FormatMessageKey, SubdirectoryBackslashFileName) {
  char key[16];
  EXPECT_TRUE(FormatMessageKey("", "A1.REQ", key, sizeof key));
  EXPECT_STREQ(key, "A1.REQ");
  EXPECT_TRUE(FormatMessageKey(nullptr, "A1.REQ", key, sizeof key));
  EXPECT_STREQ(key, "A1.REQ");
  EXPECT_TRUE(FormatMessageKey("route", "A1.REQ", key, sizeof key));
  EXPECT_STREQ(key, "route\\A1.REQ");
  EXPECT_FALSE(FormatMessageKey("longroute", "A1234.REQ", key, sizeof key));
}

TEST(QueueRows, OutboundSms) {
  auto record = Parsed(
      "[SMS]\r\nPhoneNumber=+4790000001\r\nSubmitUser=admin\r\nData=x\r\n"
      "[ErrorDetail]\r\nRetryCount=2\r\nLastErrorInfo=Timeout\r\n");
  char row[kQueueRowBytes];
  size_t used = BuildOutboundSmsRow("r1\\A.REQ", "A.REQ", *record, "2012-05-01 09:30:05", row,
                                    sizeof row);
  const size_t n = kOutboundSmsRowFields;
  EXPECT_EQ(Field(row, n, 0), "r1\\A.REQ");
  EXPECT_EQ(Field(row, n, 1), "A.REQ");
  EXPECT_EQ(Field(row, n, 2), "admin");
  EXPECT_EQ(Field(row, n, 3), "+4790000001");
  EXPECT_EQ(Field(row, n, 4), "2012-05-01 09:30:05");
  EXPECT_EQ(Field(row, n, 5), "Retry -  2 attempt(s) - Timeout");
  EXPECT_EQ(used, strlen("r1\\A.REQ") + 1 + 6 + 6 + 12 + 20 + 32 + 1);
}

TEST(QueueRows, OutboundMms) {
  char row[kQueueRowBytes];
  BuildOutboundMmsRow("M.MMS", "M.MMS", "+4711", "1, 2", "2012-05-01 09:30:05", " 4", "No GPRS",
                      row, sizeof row);
  EXPECT_EQ(Field(row, kOutboundMmsRowFields, 2), "+4711");
  EXPECT_EQ(Field(row, kOutboundMmsRowFields, 3), "1, 2");
  EXPECT_EQ(Field(row, kOutboundMmsRowFields, 5), "Retry -  4 attempt(s) - No GPRS");
  BuildOutboundMmsRow("M.MMS", "M.MMS", "", "", "t", "", "", row, sizeof row);
  EXPECT_EQ(Field(row, kOutboundMmsRowFields, 5), "Queued");
}

TEST(QueueRows, ReceivedSmsDecodesTheText) {
  auto record = Parsed("[SMS-IN]\nSender=+4711\nPhoneNumber=+4722\nbinary=1\ndcs=8\nData=00E9\n");
  char row[kQueueRowBytes];
  BuildReceivedSmsRow("B.SMS", "B.SMS", record.get(), "t", kReceivedSmsWalks[2].status, row,
                      sizeof row);
  const size_t n = kReceivedSmsRowFields;
  EXPECT_EQ(Field(row, n, 2), "+4711");
  EXPECT_EQ(Field(row, n, 3), "+4722");
  EXPECT_EQ(Field(row, n, 5), "Received");
  EXPECT_EQ(Field(row, n, 6), "\xC3\xA9");

  auto empty = Parsed("no section at all\n");
  BuildReceivedSmsRow("C.IN", "C.IN", empty.get(), "t", kReceivedSmsWalks[0].status, row,
                      sizeof row);
  EXPECT_EQ(Field(row, n, 0), "C.IN");
  EXPECT_EQ(Field(row, n, 2), "");
  EXPECT_EQ(Field(row, n, 3), "");
  EXPECT_EQ(Field(row, n, 5), "Queued");
  EXPECT_EQ(Field(row, n, 6), "");
}

TEST(QueueRows, ReceivedSmsTextCutAtAWholeCharacterWithinTheRow) {
  // 4000 Greek capitals decode to 8000 bytes; with the other fields in front
  // the row has less room, and the text stops before a split character.
  std::string data;
  for (int i = 0; i < 500; ++i) data += "10080402814020";  // Delta x 8 per 7 octets
  auto record = Parsed("[SMS]\nSender=" + std::string(149, 's') + "\nPhoneNumber=" +
                       std::string(149, 'p') + "\nbinary=yes\ndcs=0\nData=" + data + "\n");
  char row[kQueueRowBytes];
  std::string key(300, 'k');
  EXPECT_EQ(BuildReceivedSmsRow(key.c_str(), "x.SMS", record.get(), "2012-05-01 09:30:05",
                                "Received", row, sizeof row),
            kQueueRowBytes);
  std::string text = Field(row, kReceivedSmsRowFields, 6);
  EXPECT_EQ(text.size() % 2, 0u);
  EXPECT_EQ(text.substr(0, 2), "\xCE\x94");
  EXPECT_EQ(text.substr(text.size() - 2), "\xCE\x94");
}

TEST(QueueRows, ReceivedMms) {
  MmsHeaderInfo header = {};
  CopyText(header.from, sizeof header.from, "+4711");
  CopyText(header.to, sizeof header.to, "+4722");
  CopyText(header.subject, sizeof header.subject, "Hello");
  char row[kQueueRowBytes];
  BuildReceivedMmsRow("D.HDR", "D.HDR", header, "t", row, sizeof row);
  const size_t n = kReceivedMmsRowFields;
  EXPECT_EQ(Field(row, n, 2), "+4711");
  EXPECT_EQ(Field(row, n, 3), "+4722");
  EXPECT_EQ(Field(row, n, 4), "t");
  EXPECT_EQ(Field(row, n, 5), "Hello");
}
