#include "queues/sms_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

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
  for (size_t i = 0; i < sizeof record; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

}  // namespace

TEST(ParseSmsFile, TestRequestAsTheConsoleWritesIt) {
  auto r = Parse("[SMS]\r\nPhoneNumber=+4790000001\r\nData=ZedSMS Test Message\r\n");
  EXPECT_STREQ(r->phoneNumber, "+4790000001");
  EXPECT_STREQ(r->data, "ZedSMS Test Message");
  EXPECT_EQ(r->retryCount, 0);
  EXPECT_EQ(r->lastRetryTime.year, 0) << "no [ErrorDetail]: times stay clear";
}

TEST(ParseSmsFile, EveryKeyOfTheMessageSection) {
  auto r = Parse(
      "[SMS-IN]\n"
      "PhoneNumber=12345\nSender=+4711\nData=Hi\\r\\nthere\nudh=050003A70201\n"
      "SubmittedBy=web\nSubmitUser=admin\nServiceType=CMT\nBillingInfo=b1\nValidity=1d\n"
      "SMSCRoute=route\nSMPPOptions=opt\nRouteToLocalUser=bob\npid=3F\ndcs=F5\nbinary=Yes\n"
      "ReplyRequested=1\nReceiptRequested=y\nNonDelReceiptRequested=TRUE\n"
      "ReceiptMessageId=msg-1\nModemName=Modem A\n");
  EXPECT_STREQ(r->phoneNumber, "12345");
  EXPECT_STREQ(r->sender, "+4711");
  EXPECT_STREQ(r->data, "Hi\r\nthere") << "Data is unescaped";
  EXPECT_STREQ(r->udh, "050003A70201");
  EXPECT_STREQ(r->submittedBy, "web");
  EXPECT_STREQ(r->submitUser, "admin");
  EXPECT_STREQ(r->serviceType, "CMT");
  EXPECT_STREQ(r->billingInfo, "b1");
  EXPECT_STREQ(r->validity, "1d");
  EXPECT_STREQ(r->smscRoute, "route");
  EXPECT_STREQ(r->smppOptions, "opt");
  EXPECT_STREQ(r->routeToLocalUser, "bob");
  EXPECT_EQ(r->pid, 0x3F);
  EXPECT_EQ(r->dcs, 0xF5);
  EXPECT_EQ(r->binary, 1);
  EXPECT_EQ(r->flags, kFlagReplyRequested | kFlagReceiptRequested | kFlagNonDelReceiptRequested);
  EXPECT_STREQ(r->receiptMessageId, "msg-1");
  EXPECT_STREQ(r->modemName, "Modem A");
}

TEST(ParseSmsFile, KeysIgnoreCaseButNotABlankBeforeTheEquals) {
  EXPECT_STREQ(Parse("[sms]\nphonenumber=555\n")->phoneNumber, "555");
  EXPECT_STREQ(Parse("[SMS]\nPHONENUMBER=555\n")->phoneNumber, "555");
  EXPECT_STREQ(Parse("[SMS]\nPhoneNumber =555\n")->phoneNumber, "");
  EXPECT_STREQ(Parse("[SMS]\nPhoneNumberX=555\n")->phoneNumber, "");
}

TEST(ParseSmsFile, ValuesAreVerbatimAndTheLastOneWins) {
  auto r = Parse("[SMS]\nSender= +47 \t\nSender=first\nSender=second\nSubmitUser=\n");
  EXPECT_STREQ(r->sender, "second");
  r = Parse("[SMS]\nSender= +47 \t\n");
  EXPECT_STREQ(r->sender, " +47 \t") << "not trimmed";
  r = Parse("[SMS]\nData=a=b=c\n");
  EXPECT_STREQ(r->data, "a=b=c");
}

TEST(ParseSmsFile, LeadingControlCharactersAndEmptyLinesAreSkipped) {
  auto r = Parse("\r\n\r\n  \t[SMS]\r\n\r\n\t  PhoneNumber=1\r\n\x01\x02Sender=2\r\n");
  EXPECT_STREQ(r->phoneNumber, "1");
  EXPECT_STREQ(r->sender, "2");
}

TEST(ParseSmsFile, LineEndsOfEveryKind) {
  EXPECT_STREQ(Parse("[SMS]\rPhoneNumber=1\rSender=2")->sender, "2");
  EXPECT_STREQ(Parse("[SMS]\nPhoneNumber=1\nSender=2\n")->sender, "2");
  const char withNul[] = "[SMS]\nPhoneNumber=1\0Sender=2\n";
  auto r = Parse(std::string(withNul, sizeof withNul - 1));
  EXPECT_STREQ(r->phoneNumber, "1") << "a NUL ends a line";
  EXPECT_STREQ(r->sender, "2") << "and the lines after it are still read";
}

TEST(ParseSmsFile, OnlyTheFirstMessageSectionCounts) {
  auto r = Parse("[SMS-IN]\nPhoneNumber=1\n[SMS]\nPhoneNumber=2\nSender=x\n");
  EXPECT_STREQ(r->phoneNumber, "1");
  EXPECT_STREQ(r->sender, "");
  r = Parse("[Other]\nPhoneNumber=0\n[SMS]\nPhoneNumber=1\n[Other]\nSender=x\n");
  EXPECT_STREQ(r->phoneNumber, "1") << "keys outside the section are not read";
  EXPECT_STREQ(r->sender, "");
  EXPECT_STREQ(Parse("[SMSX]\nPhoneNumber=1\n")->phoneNumber, "")
      << "the header must be [SMS] or [SMS-IN]";
  EXPECT_STREQ(Parse("[SMS] trailing\nPhoneNumber=1\n")->phoneNumber, "1")
      << "a line that begins with the header";
}

TEST(ParseSmsFile, HexBooleanAndFlagValues) {
  EXPECT_EQ(Parse("[SMS]\ndcs=08\n")->dcs, 8);
  EXPECT_EQ(Parse("[SMS]\ndcs=8\n")->dcs, 8);
  EXPECT_EQ(Parse("[SMS]\ndcs=1FF\n")->dcs, 0xFF);
  EXPECT_EQ(Parse("[SMS]\ndcs=\n")->dcs, 0);
  EXPECT_EQ(Parse("[SMS]\npid=zz\n")->pid, 0);
  EXPECT_EQ(Parse("[SMS]\ndcs=" + std::string(100, '0') + "8\n")->dcs, 8)
      << "long values are read whole";
  EXPECT_EQ(Parse("[SMS]\nReceiptDelivered=yes\n")->flags, 0x0Cu);
  EXPECT_EQ(Parse("[SMS]\nReceiptIntransit=1\n")->flags, 0x14u);
  EXPECT_EQ(Parse("[SMS]\nReceiptFailed=yes\nReceiptFailed=no\n")->flags, 0x24u)
      << "a false value leaves the bits";
  EXPECT_EQ(Parse("[SMS]\nReplyRequested=on\nReceiptRequested=0\n")->flags, 0u);
  for (const char* yes : {"yes", "1", "true", "TRUE", "True", "Y", "y"}) {
    EXPECT_EQ(Parse(std::string("[SMS]\nbinary=") + yes + "\n")->binary, 1) << yes;
  }
  for (const char* no : {"on", "no", "0", "", "TRUEX", " yes"}) {
    EXPECT_EQ(Parse(std::string("[SMS]\nbinary=") + no + "\n")->binary, 0) << no;
  }
}

TEST(ParseSmsFile, ErrorDetailSection) {
  auto r = Parse(
      "[SMS]\r\nPhoneNumber=1\r\n"
      "[ErrorDetail]\r\nRetryCount=3\r\nLastRetryTime=20120501093005\r\n"
      "FirstAttemptTime=20120430235959\r\nLastErrorInfo=No answer from modem\r\n");
  EXPECT_EQ(r->retryCount, 3);
  EXPECT_EQ(r->lastRetryTime.year, 2012);
  EXPECT_EQ(r->lastRetryTime.month, 5);
  EXPECT_EQ(r->lastRetryTime.second, 5);
  EXPECT_EQ(r->firstAttemptTime.day, 30);
  EXPECT_EQ(r->firstAttemptTime.hour, 23);
  EXPECT_STREQ(r->lastErrorInfo, "No answer from modem");
  EXPECT_STREQ(r->phoneNumber, "1");

  r = Parse("[errordetail]\nretrycount=  -2\nLastRetryTime=2012-05-01 09:30:05\n[SMS]\nPhoneNumber=9\n");
  EXPECT_EQ(r->retryCount, -2);
  EXPECT_EQ(r->lastRetryTime.year, 2000) << "dashes and colons read as the fallback time";
  EXPECT_EQ(r->lastRetryTime.month, 1);
  EXPECT_EQ(r->lastRetryTime.day, 1);
  EXPECT_STREQ(r->phoneNumber, "9") << "the sections are found in any order";

  r = Parse("[ErrorDetail]\nRetryCount=x\nPhoneNumber=1\n");
  EXPECT_EQ(r->retryCount, 0);
  EXPECT_STREQ(r->phoneNumber, "") << "message keys belong to the message section";
}

TEST(ParseSmsFile, EmptyOrSectionlessFilesGiveAClearRecord) {
  EXPECT_TRUE(IsAllZero(*Parse("")));
  EXPECT_TRUE(IsAllZero(*Parse("PhoneNumber=1\nData=x\n")));
  SmsFileRecord record;
  memset(&record, 1, sizeof record);
  ParseSmsFile(nullptr, 10, &record);
  EXPECT_TRUE(IsAllZero(record));
}

TEST(ParseSmsFile, TextValuesAreCutAtTheirCapacity) {
  auto r = Parse("[SMS]\nPhoneNumber=" + std::string(400, '1') + "\nSender=" +
                 std::string(149, 's') + "\nLastErrorInfo=x\n[ErrorDetail]\nLastErrorInfo=" +
                 std::string(300, 'e') + "\n");
  EXPECT_EQ(strlen(r->phoneNumber), 149u);
  EXPECT_EQ(strlen(r->sender), 149u);
  EXPECT_EQ(strlen(r->lastErrorInfo), 199u);
  r = Parse("[SMS]\nSubmitUser=" + std::string(300, 'u') + "\nValidity=" + std::string(60, 'v') +
            "\nudh=" + std::string(600, 'A') + "\nModemName=" + std::string(200, 'm') + "\n");
  EXPECT_EQ(strlen(r->submitUser), 249u);
  EXPECT_EQ(strlen(r->validity), 49u);
  EXPECT_EQ(strlen(r->udh), 499u);
  EXPECT_EQ(strlen(r->modemName), 149u);
}

TEST(ParseSmsFile, DataIsCutAtItsCapacityBeforeUnescaping) {
  auto r = Parse("[SMS]\nData=" + std::string(9000, 'd') + "\n");
  EXPECT_EQ(strlen(r->data), 8191u);
  // 8191 characters kept, then each "\n" pair among them becomes one character.
  r = Parse("[SMS]\nData=" + std::string(8189, 'd') + "\\n\\n\n");
  EXPECT_EQ(strlen(r->data), 8190u);
  EXPECT_EQ(r->data[8189], '\n');
  r = Parse("[SMS]\nData=" + std::string(8190, 'd') + "\\n\n");
  EXPECT_EQ(strlen(r->data), 8191u);
  EXPECT_EQ(r->data[8190], '\\') << "a pair cut in two stays a backslash";
}

TEST(ParseSmsFile, NoReadPastTheBytes) {
  // No terminator on the last line, the value at the very end.
  EXPECT_STREQ(Parse("[SMS]\nPhoneNumber=777")->phoneNumber, "777");
  EXPECT_STREQ(Parse("[SMS]\nPhoneNumber=")->phoneNumber, "");
  EXPECT_EQ(Parse("[SMS]\ndcs")->dcs, 0) << "a key cut short is no key";
  EXPECT_EQ(Parse("[SMS]\nbinary=1")->binary, 1);
  EXPECT_EQ(Parse("[ErrorDetail]\nRetryCount=12")->retryCount, 12);
  EXPECT_EQ(Parse("[ErrorDetail]\nLastRetryTime=2012050109300")->lastRetryTime.year, 2000)
      << "thirteen digits at the end of the file";
  EXPECT_EQ(Parse("[ErrorDetail]\nLastRetryTime=20120501093005")->lastRetryTime.year, 2012);
  EXPECT_STREQ(Parse("[SMS")->phoneNumber, "");
  EXPECT_STREQ(Parse("[SMS]")->phoneNumber, "");
  EXPECT_STREQ(Parse("[SMS]\nData=ab\\")->data, "ab\\");
}

TEST(ParseSmsFile, FilesAroundTheFixedBufferSize) {
  for (size_t size : {8191u, 8192u, 8193u, 20000u}) {
    std::string head = "[SMS]\r\nPhoneNumber=42\r\nSender=";
    std::string text = head + std::string(size - head.size(), 'x');
    ASSERT_EQ(text.size(), size);
    auto r = Parse(text);
    EXPECT_STREQ(r->phoneNumber, "42") << size;
    EXPECT_EQ(strlen(r->sender), 149u) << size;
  }
  // A file of exactly 8192 bytes whose last line is a key with its value.
  std::string filler = "[SMS]\n" + std::string(8192 - 6 - 14, ';');
  std::string text = filler + "\nPhoneNumber=5";
  ASSERT_EQ(text.size(), 8192u);
  EXPECT_STREQ(Parse(text)->phoneNumber, "5");
}

TEST(ParseSignedDecimal, BlanksSignDigitsAndLimits) {
  EXPECT_EQ(ParseSignedDecimal("  -7x"), -7);
  EXPECT_EQ(ParseSignedDecimal("\t+3"), 3);
  for (const char* none : {"", "-", "x1", "- 1"}) EXPECT_EQ(ParseSignedDecimal(none), 0) << none;
  EXPECT_EQ(ParseSignedDecimal(nullptr), 0);
  EXPECT_EQ(ParseSignedDecimal("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseSignedDecimal("-2147483648"), INT_MIN);
  EXPECT_EQ(ParseSignedDecimal("-99999999999"), INT_MIN);
}
