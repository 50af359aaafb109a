#include "config/user_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Record(const std::string& name) {
  std::vector<unsigned char> record(kUserRecordBytes, 0);
  memcpy(record.data(), name.data(), name.size());
  return record;
}

UserAccount Account() {
  UserAccount account = {};
  strcpy(account.name, "alice");
  strcpy(account.password, "secret");
  strcpy(account.fullName, "Alice Example");
  strcpy(account.ipRestriction, "10.0.0.1 10.0.0.2");
  return account;
}

TEST(RecordNames, ReadableInsideTheirFieldComparedWithoutCase) {
  for (const std::string& name : {std::string(50, 'x'), std::string("J\xe9r\xf4me")})
    EXPECT_TRUE(IsReadableRecordName(Record(name).data())) << name;
  // 60 characters run into the next field: no name at all.
  for (const std::string& name : {std::string(), std::string("a\tb"), std::string("bad\x7f"), std::string(60, 'x')})
    EXPECT_FALSE(IsReadableRecordName(Record(name).data())) << name;
  EXPECT_FALSE(IsReadableRecordName(nullptr));
  EXPECT_FALSE(RecordNameEquals(Record(std::string(60, 'x')).data(), std::string(60, 'x').c_str()));
  EXPECT_FALSE(RecordNameStartsWith(Record(std::string(60, 'x')).data(), "x"));
  EXPECT_TRUE(IsValidAccountName(std::string(50, 'b').c_str()));
  for (const char* bad : {"", "line\nbreak", static_cast<const char*>(nullptr)}) EXPECT_FALSE(IsValidAccountName(bad));
  EXPECT_FALSE(IsValidAccountName(std::string(51, 'b').c_str()));

  auto record = Record("Alice");
  EXPECT_TRUE(RecordNameEquals(record.data(), "ALICE"));
  EXPECT_FALSE(RecordNameEquals(record.data(), "alic"));
  EXPECT_TRUE(RecordNameStartsWith(record.data(), "aLiCe"));
  EXPECT_FALSE(RecordNameStartsWith(record.data(), "alicex"));
  EXPECT_FALSE(RecordNameEquals(Record("").data(), ""));
}

TEST(RecordFiles, PartialRecordsAndUnsafeFolderNames) {
  EXPECT_EQ(CompleteRecordCount(521, kUserRecordBytes), 0u);
  EXPECT_EQ(CompleteRecordCount(522 * 3 + 100, kUserRecordBytes), 3u);
  EXPECT_EQ(CompleteRecordCount(511 * 2, kVaspRecordBytes), 2u);
  EXPECT_EQ(CompleteRecordCount(1000, 0), 0u);
  for (const char* safe : {"alice", "Alice Smith", "a.b"}) EXPECT_TRUE(IsSafeFolderName(safe)) << safe;
  for (const char* unsafe : {"", ".", "..", "..\\Windows", "a/b", "c:x", "a*", "a?", "x\"y", "<a>", "a|b",
                             "trailing.", "trailing ", "tab\tname"})
    EXPECT_FALSE(IsSafeFolderName(unsafe)) << unsafe;
  EXPECT_FALSE(IsSafeFolderName(nullptr));
}

TEST(UserRecord, WrittenFieldByFieldFromZeroAndReadBack) {
  UserAccount account = Account();
  account.webLogin = account.smppLogin = account.adminAccess = account.acceptReceived = true;
  account.webMenuIndex = 1;
  std::vector<unsigned char> record(kUserRecordBytes, 0xEE);
  WriteUserAccount(account, record.data());
  std::vector<unsigned char> expected(kUserRecordBytes, 0);
  memcpy(&expected[0], "alice", 5);
  memcpy(&expected[51], "secret", 6);
  memcpy(&expected[102], "Alice Example", 13);
  expected[204] = 1;
  memcpy(&expected[225], "10.0.0.1 10.0.0.2", 17);
  expected[419] = 0xB1;
  expected[420] = 'j';
  expected[421] = 1;
  EXPECT_EQ(record, expected) << "every other byte is cleared";

  account.webLogin = false;
  account.webMenuIndex = 7;
  WriteUserAccount(account, record.data());
  EXPECT_EQ(record[203], 1) << "web login disabled";
  EXPECT_EQ(record[420], 0) << "no admin access without web login";
  EXPECT_EQ(record[419], 0xB0) << "an index beyond the options is the first option";
  for (unsigned value = 0; value < 256; ++value) {
    record[419] = static_cast<unsigned char>(value);
    UserAccount read;
    ReadUserAccount(record.data(), &read);
    EXPECT_EQ(read.webMenuIndex, (value >= 0xB0 && value <= 0xB4) ? value - 0xB0 : 0) << value;
  }
}

TEST(UserRecord, ReadBackWithEveryTextCutAtItsField) {
  unsigned char record[kUserRecordBytes];
  memset(record, 'z', sizeof record);  // no NUL anywhere
  record[203] = 0;
  record[204] = 2;
  record[420] = 'j';
  record[421] = 0;
  UserAccount account;
  ReadUserAccount(record, &account);
  EXPECT_EQ(std::string(account.name), std::string(50, 'z'));
  EXPECT_EQ(std::string(account.password), std::string(50, 'z'));
  EXPECT_EQ(std::string(account.fullName), std::string(100, 'z'));
  EXPECT_EQ(std::string(account.ipRestriction), std::string(49, 'z'));
  EXPECT_TRUE(account.webLogin && account.smppLogin && account.adminAccess);
  EXPECT_FALSE(account.acceptReceived);
  record[420] = 'J';
  ReadUserAccount(record, &account);
  EXPECT_FALSE(account.adminAccess) << "only a lower-case j";
}

TEST(VaspRecord, TheConsoleFieldsAreSetAndTheRestKept) {
  std::vector<unsigned char> record(kVaspRecordBytes, 0x55);
  memset(&record[51], 'p', 51);  // an old, longer password leaves nothing behind
  FillVaspAccount(Account(), record.data());
  std::vector<unsigned char> expected(kVaspRecordBytes, 0x55);
  memset(&expected[0], 0, 203);
  memcpy(&expected[0], "alice", 5);
  memcpy(&expected[51], "secret", 6);
  memcpy(&expected[102], "Alice Example", 13);
  expected[203] = 1;
  expected[204] = 0;
  expected[205] = expected[206] = 1;
  memset(&expected[267], 0, 50);
  memcpy(&expected[267], "10.0.0.1 10.0.0.2", 17);
  EXPECT_EQ(record, expected);
}

}  // namespace
