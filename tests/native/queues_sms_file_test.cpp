#include "queues/sms_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace {

// Parses the text from a heap block of exactly its size, so that the address
// sanitizer catches any read past the end of the file's bytes.
std::unique_ptr<SmsFileRecord> Parse(const std::string& text) {
  std::unique_ptr<char[]> bytes(new char[text.size() ? text.size() : 1]);
  memcpy(bytes.get(), text.data(), text.size());
  auto record = std::make_unique<SmsFileRecord>();
  memset(record.get(), 0x5A, sizeof *record);  // the parse must clear it
  ParseSmsFile(bytes.get(), text.size(), record.get());
  return record;
}

bool IsAllZero(const SmsFileRecord& record) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(&record);
  return std::all_of(p, p + sizeof record, [](unsigned char c) { return c == 0; });
}

}  // namespace

TEST(ParseSmsFile, EveryKeyOfTheMessageSection) {
  auto r = Parse(
      "[SMS-IN]\nPhoneNumber=12345\nSender=+4711\nData=Hi\\r\\nthere\nudh=050003A70201\n"
      "SubmittedBy=web\nSubmitUser=admin\nServiceType=CMT\nBillingInfo=b1\nValidity=1d\n"
      "SMSCRoute=route\nSMPPOptions=opt\nRouteToLocalUser=bob\npid=3F\ndcs=F5\nbinary=Yes\n"
      "ReplyRequested=1\nReceiptRequested=y\nNonDelReceiptRequested=TRUE\n"
      "ReceiptMessageId=msg-1\nModemName=Modem A\n");
  const std::pair<const char*, const char*> texts[] = {
      {r->phoneNumber, "12345"}, {r->sender, "+4711"}, {r->data, "Hi\r\nthere"}, {r->udh, "050003A70201"},
      {r->submittedBy, "web"}, {r->submitUser, "admin"}, {r->serviceType, "CMT"}, {r->billingInfo, "b1"},
      {r->validity, "1d"}, {r->smscRoute, "route"}, {r->smppOptions, "opt"}, {r->routeToLocalUser, "bob"},
      {r->receiptMessageId, "msg-1"}, {r->modemName, "Modem A"}};
  for (const auto& text : texts) EXPECT_STREQ(text.first, text.second);
  EXPECT_EQ(r->pid, 0x3F);
  EXPECT_EQ(r->dcs, 0xF5);
  EXPECT_EQ(r->binary, 1);
  EXPECT_EQ(r->flags, kFlagReplyRequested | kFlagReceiptRequested | kFlagNonDelReceiptRequested);
  EXPECT_EQ(r->retryCount, 0);
  EXPECT_EQ(r->lastRetryTime.year, 0) << "no [ErrorDetail]: times stay clear";
}

TEST(ParseSmsFile, WhichLinesCount) {
  const char withNul[] = "[SMS]\nPhoneNumber=1\0Sender=2\n";  // a NUL ends a line
  const struct {
    std::string file;
    const char* phone;
    const char* sender;
  } rows[] = {
      {"[sms]\nphonenumber=555\n", "555", ""}, {"[SMS]\nPhoneNumber =555\n", "", ""},
      {"[SMS]\nPhoneNumberX=555\n", "", ""}, {"[SMS]\nSender= +47 \t\n", "", " +47 \t"},  // not trimmed
      {"[SMS]\nSender=first\nSender=second\n", "", "second"},
      {"\r\n\r\n  \t[SMS]\r\n\r\n\t  PhoneNumber=1\r\n\x01\x02Sender=2\r\n", "1", "2"},
      {"[SMS]\rPhoneNumber=1\rSender=2", "1", "2"}, {std::string(withNul, sizeof withNul - 1), "1", "2"},
      {"[SMS-IN]\nPhoneNumber=1\n[SMS]\nPhoneNumber=2\nSender=x\n", "1", ""},  // the first section only
      {"[Other]\nPhoneNumber=0\n[SMS]\nPhoneNumber=1\n[Other]\nSender=x\n", "1", ""},
      {"[SMSX]\nPhoneNumber=1\n", "", ""}, {"[SMS] trailing\nPhoneNumber=1\n", "1", ""},
      {"[ErrorDetail]\nPhoneNumber=1\n", "", ""}, {"[SMS]\nPhoneNumber=777", "777", ""}, {"[SMS", "", ""},
  };
  for (const auto& row : rows) {
    auto r = Parse(row.file);
    EXPECT_STREQ(r->phoneNumber, row.phone) << row.file;
    EXPECT_STREQ(r->sender, row.sender) << row.file;
  }
  EXPECT_STREQ(Parse("[SMS]\nData=a=b=c\n")->data, "a=b=c");
  EXPECT_STREQ(Parse("[SMS]\nData=ab\\")->data, "ab\\");
}

TEST(ParseSmsFile, HexBooleanAndFlagValues) {
  EXPECT_EQ(Parse("[SMS]\ndcs=8\n")->dcs, 8);
  EXPECT_EQ(Parse("[SMS]\ndcs=1FF\n")->dcs, 0xFF);
  EXPECT_EQ(Parse("[SMS]\npid=zz\n")->pid, 0);
  EXPECT_EQ(Parse("[SMS]\ndcs=" + std::string(100, '0') + "8\n")->dcs, 8) << "long values are read whole";
  EXPECT_EQ(Parse("[SMS]\ndcs")->dcs, 0) << "a key cut short is no key";
  EXPECT_EQ(Parse("[SMS]\nbinary=1")->binary, 1);
  for (const char* yes : {"true", "y"}) EXPECT_EQ(Parse(std::string("[SMS]\nbinary=") + yes)->binary, 1) << yes;
  for (const char* no : {"on", "TRUEX", " yes"}) EXPECT_EQ(Parse(std::string("[SMS]\nbinary=") + no)->binary, 0) << no;
  EXPECT_EQ(Parse("[SMS]\nReceiptDelivered=yes\n")->flags, 0x0Cu);
  EXPECT_EQ(Parse("[SMS]\nReceiptIntransit=1\n")->flags, 0x14u);
  EXPECT_EQ(Parse("[SMS]\nReceiptFailed=yes\nReceiptFailed=no\n")->flags, 0x24u) << "a false value leaves the bits";
  EXPECT_EQ(Parse("[SMS]\nReplyRequested=on\nReceiptRequested=0\n")->flags, 0u);
}

TEST(ParseSmsFile, ErrorDetailSectionInEitherOrder) {
  auto r = Parse(
      "[SMS]\r\nPhoneNumber=1\r\n[ErrorDetail]\r\nRetryCount=3\r\nLastRetryTime=20120501093005\r\n"
      "FirstAttemptTime=20120430235959\r\nLastErrorInfo=No answer from modem\r\n");
  EXPECT_EQ(r->retryCount, 3);
  EXPECT_EQ(r->lastRetryTime.month, 5);
  EXPECT_EQ(r->lastRetryTime.second, 5);
  EXPECT_EQ(r->firstAttemptTime.day, 30);
  EXPECT_STREQ(r->lastErrorInfo, "No answer from modem");

  r = Parse("[errordetail]\nretrycount=  -2\nLastRetryTime=2012-05-01 09:30:05\n[SMS]\nPhoneNumber=9\n");
  EXPECT_EQ(r->retryCount, -2);
  EXPECT_EQ(r->lastRetryTime.year, 2000) << "dashes and colons read as the fallback time";
  EXPECT_STREQ(r->phoneNumber, "9");
  EXPECT_EQ(Parse("[ErrorDetail]\nRetryCount=x\n")->retryCount, 0);
  EXPECT_EQ(Parse("[ErrorDetail]\nRetryCount=12")->retryCount, 12);
  EXPECT_EQ(Parse("[ErrorDetail]\nLastRetryTime=2012050109300")->lastRetryTime.year, 2000) << "13 digits at the end";
  EXPECT_EQ(Parse("[ErrorDetail]\nLastRetryTime=20120501093005")->lastRetryTime.year, 2012);
}

TEST(ParseSmsFile, EmptyOrSectionlessFilesGiveAClearRecord) {
  EXPECT_TRUE(IsAllZero(*Parse("")));
  EXPECT_TRUE(IsAllZero(*Parse("PhoneNumber=1\nData=x\n")));
  EXPECT_TRUE(IsAllZero(*Parse("[SMS]")));
  SmsFileRecord record;
  memset(&record, 1, sizeof record);
  ParseSmsFile(nullptr, 10, &record);
  EXPECT_TRUE(IsAllZero(record));
}

TEST(ParseSmsFile, ValuesAreCutAtTheirCapacity) {
  auto r = Parse("[SMS]\nPhoneNumber=" + std::string(400, '1') + "\nSubmitUser=" + std::string(300, 'u') +
                 "\nValidity=" + std::string(60, 'v') + "\nudh=" + std::string(600, 'A') + "\nModemName=" +
                 std::string(200, 'm') + "\n[ErrorDetail]\nLastErrorInfo=" + std::string(300, 'e') + "\n");
  const std::pair<const char*, size_t> lengths[] = {{r->phoneNumber, 149}, {r->submitUser, 249}, {r->validity, 49},
                                                    {r->udh, 499}, {r->modemName, 149}, {r->lastErrorInfo, 199}};
  for (const auto& field : lengths) EXPECT_EQ(strlen(field.first), field.second);

  // Data keeps 8191 characters, then each "\n" pair among them becomes one.
  EXPECT_EQ(strlen(Parse("[SMS]\nData=" + std::string(9000, 'd') + "\n")->data), 8191u);
  r = Parse("[SMS]\nData=" + std::string(8189, 'd') + "\\n\\n\n");
  EXPECT_EQ(strlen(r->data), 8190u);
  EXPECT_EQ(r->data[8189], '\n');
  r = Parse("[SMS]\nData=" + std::string(8190, 'd') + "\\n\n");
  EXPECT_EQ(strlen(r->data), 8191u);
  EXPECT_EQ(r->data[8190], '\\') << "a pair cut in two stays a backslash";
}

TEST(ParseSmsFile, FilesAroundTheFixedBufferSize) {
  for (size_t size : {8191u, 8192u, 8193u, 20000u}) {
    std::string head = "[SMS]\r\nPhoneNumber=42\r\nSender=";
    auto r = Parse(head + std::string(size - head.size(), 'x'));
    EXPECT_STREQ(r->phoneNumber, "42") << size;
    EXPECT_EQ(strlen(r->sender), 149u) << size;
  }
  // A file of exactly 8192 bytes whose last line is a key with its value.
  std::string text = "[SMS]\n" + std::string(8192 - 6 - 14, ';') + "\nPhoneNumber=5";
  ASSERT_EQ(text.size(), 8192u);
  EXPECT_STREQ(Parse(text)->phoneNumber, "5");
}

TEST(ParseSignedDecimal, BlanksSignDigitsAndLimits) {
  const std::pair<const char*, int32_t> rows[] = {{"  -7x", -7}, {"\t+3", 3}, {"", 0}, {"-", 0}, {"x1", 0}, {"- 1", 0},
                                                  {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN},
                                                  {"-99999999999", INT_MIN}};
  for (const auto& row : rows) EXPECT_EQ(ParseSignedDecimal(row.first), row.second) << row.first;
  EXPECT_EQ(ParseSignedDecimal(nullptr), 0);
}
