#include "config/user_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> Record(const char* name, size_t size = kUserRecordBytes) {
  std::vector<unsigned char> record(size, 0);
  memcpy(record.data(), name, strlen(name));
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

TEST(RecordNames, AReadableNameIsTerminatedInsideItsFieldAndHasNoControlCharacters) {
  EXPECT_TRUE(IsReadableRecordName(Record("alice").data()));
  EXPECT_TRUE(IsReadableRecordName(Record(std::string(50, 'x').c_str()).data())) << "50 characters fit";
  EXPECT_FALSE(IsReadableRecordName(Record("").data())) << "no name";
  EXPECT_FALSE(IsReadableRecordName(Record("a\tb").data()));
  EXPECT_FALSE(IsReadableRecordName(Record("bad\x7f").data()));
  EXPECT_FALSE(IsReadableRecordName(nullptr));
  // 51 characters and the NUL only in the next field: the name runs past its field.
  auto unterminated = Record(std::string(60, 'x').c_str());
  EXPECT_FALSE(IsReadableRecordName(unterminated.data()));
  EXPECT_FALSE(RecordNameEquals(unterminated.data(), std::string(60, 'x').c_str()));
  EXPECT_FALSE(RecordNameStartsWith(unterminated.data(), "x"));
  EXPECT_TRUE(IsReadableRecordName(Record("J\xe9r\xf4me").data())) << "code page letters are text";
}

TEST(RecordNames, NamesToStoreFollowTheSameRule) {
  EXPECT_TRUE(IsValidAccountName("bob"));
  EXPECT_TRUE(IsValidAccountName(std::string(50, 'b').c_str()));
  EXPECT_FALSE(IsValidAccountName(std::string(51, 'b').c_str()));
  EXPECT_FALSE(IsValidAccountName(""));
  EXPECT_FALSE(IsValidAccountName("line\nbreak"));
  EXPECT_FALSE(IsValidAccountName(nullptr));
}

TEST(RecordNames, ComparedWithoutRegardToCase) {
  auto record = Record("Alice");
  EXPECT_TRUE(RecordNameEquals(record.data(), "alice"));
  EXPECT_TRUE(RecordNameEquals(record.data(), "ALICE"));
  EXPECT_FALSE(RecordNameEquals(record.data(), "alic"));
  EXPECT_FALSE(RecordNameEquals(record.data(), "alice2"));
  EXPECT_TRUE(RecordNameStartsWith(record.data(), "AL"));
  EXPECT_TRUE(RecordNameStartsWith(record.data(), ""));
  EXPECT_TRUE(RecordNameStartsWith(record.data(), "alice"));
  EXPECT_FALSE(RecordNameStartsWith(record.data(), "alicex"));
  EXPECT_FALSE(RecordNameStartsWith(record.data(), "b"));
  EXPECT_FALSE(RecordNameEquals(Record("").data(), ""));
}

TEST(RecordFiles, APartialLastRecordIsIgnored) {
  EXPECT_EQ(CompleteRecordCount(0, kUserRecordBytes), 0u);
  EXPECT_EQ(CompleteRecordCount(521, kUserRecordBytes), 0u);
  EXPECT_EQ(CompleteRecordCount(522, kUserRecordBytes), 1u);
  EXPECT_EQ(CompleteRecordCount(522 * 3 + 100, kUserRecordBytes), 3u);
  EXPECT_EQ(CompleteRecordCount(511 * 2, kVaspRecordBytes), 2u);
  EXPECT_EQ(CompleteRecordCount(1000, 0), 0u);
}

TEST(UserFolders, OnlyOnePlainComponentNamesAFolder) {
  EXPECT_TRUE(IsSafeFolderName("alice"));
  EXPECT_TRUE(IsSafeFolderName("Alice Smith"));
  EXPECT_TRUE(IsSafeFolderName("a.b"));
  for (const char* unsafe : {"", ".", "..", "..\\Windows", "a/b", "c:x", "a*", "a?", "x\"y", "<a>", "a|b",
                             "trailing.", "trailing ", "tab\tname"})
    EXPECT_FALSE(IsSafeFolderName(unsafe)) << unsafe;
  EXPECT_FALSE(IsSafeFolderName(nullptr));
}

TEST(UserRecord, WrittenFieldByFieldFromZero) {
  UserAccount account = Account();
  account.webLogin = true;
  account.smppLogin = true;
  account.webMenuIndex = 1;
  account.adminAccess = true;
  account.acceptReceived = true;
  std::vector<unsigned char> record(kUserRecordBytes, 0xEE);
  WriteUserAccount(account, record.data());

  std::vector<unsigned char> expected(kUserRecordBytes, 0);
  memcpy(&expected[0], "alice", 5);
  memcpy(&expected[51], "secret", 6);
  memcpy(&expected[102], "Alice Example", 13);
  expected[203] = 0;
  expected[204] = 1;
  memcpy(&expected[225], "10.0.0.1 10.0.0.2", 17);
  expected[419] = 0xB1;
  expected[420] = 'j';
  expected[421] = 1;
  EXPECT_EQ(record, expected) << "every other byte is cleared";
}

TEST(UserRecord, AdminAccessNeedsWebLoginAndTheMenuByteHasFiveValues) {
  UserAccount account = Account();
  account.webLogin = false;
  account.adminAccess = true;
  account.webMenuIndex = 7;
  unsigned char record[kUserRecordBytes];
  WriteUserAccount(account, record);
  EXPECT_EQ(record[203], 1) << "web login disabled";
  EXPECT_EQ(record[420], 0) << "no admin access without web login";
  EXPECT_EQ(record[419], 0xB0) << "an index beyond the options is the first option";
  EXPECT_EQ(record[204], 0);
  EXPECT_EQ(record[421], 0);

  for (unsigned value = 0; value < 256; ++value) {
    record[419] = static_cast<unsigned char>(value);
    UserAccount read;
    ReadUserAccount(record, &read);
    unsigned expected = (value >= 0xB0 && value <= 0xB4) ? value - 0xB0 : 0;
    EXPECT_EQ(read.webMenuIndex, expected) << value;
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
  EXPECT_TRUE(account.webLogin);
  EXPECT_TRUE(account.smppLogin);
  EXPECT_TRUE(account.adminAccess);
  EXPECT_FALSE(account.acceptReceived);
  record[420] = 'J';
  ReadUserAccount(record, &account);
  EXPECT_FALSE(account.adminAccess) << "only a lower-case j";
}

TEST(VaspRecord, TheConsoleFieldsAreSetAndTheRestKept) {
  std::vector<unsigned char> record(kVaspRecordBytes, 0x55);
  memset(&record[51], 'p', 51);  // an old, longer password leaves nothing behind
  UserAccount account = Account();
  FillVaspAccount(account, record.data());
  std::vector<unsigned char> expected(kVaspRecordBytes, 0x55);
  memset(&expected[0], 0, 51);
  memcpy(&expected[0], "alice", 5);
  memset(&expected[51], 0, 51);
  memcpy(&expected[51], "secret", 6);
  memset(&expected[102], 0, 101);
  memcpy(&expected[102], "Alice Example", 13);
  expected[203] = 1;
  expected[204] = 0;
  expected[205] = 1;
  expected[206] = 1;
  memset(&expected[267], 0, 50);
  memcpy(&expected[267], "10.0.0.1 10.0.0.2", 17);
  EXPECT_EQ(record, expected);
}

}  // namespace
