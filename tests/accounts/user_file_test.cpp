// The user file of GWCORE.DLL: its records, names, order, damaged files and
// readers that share it.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "accounts/account_files.h"
#include "config/gwcore_api.h"
#include "support/test_env.h"

namespace {

constexpr size_t kRecord = sizeof(SmsUserRecord);
typedef std::vector<std::string> Names;

class UserFileTest : public testing::Test {
 protected:
  // The names the library hands out, by index.
  static Names Listed(HANDLE file) {
    Names names;
    for (int i = 0; i < SMSGetRecordCount(file); ++i) {
      SmsUserRecord record;
      names.push_back(SMSGetUserRecord(file, i, &record) ? RecordName(record.bytes) : "<unreadable>");
    }
    return names;
  }
  static void Add(HANDLE file, std::initializer_list<const char*> names) {
    for (const char* name : names) {
      SmsUserRecord record = PatternUser(name);
      ASSERT_TRUE(SMSAddUser(file, &record)) << name;
    }
  }

  TempDataDirectory dir_{"userfile"};
};

TEST_F(UserFileTest, AFreshFileIsCreatedEmptyInThePrivateDataDirectory) {
  std::string other = dir_.Path() + "private\\";
  dir_.SetPrivateDirectory(other);
  OpenUserFile file;
  ASSERT_TRUE(file.opened());
  EXPECT_TRUE(FileExists(other + "SMSUSERS.DAT"));
  EXPECT_FALSE(FileExists(dir_.File("SMSUSERS.DAT"))) << "not with the configuration";
  EXPECT_EQ(SMSGetRecordCount(file.handle()), 0);
  SmsUserRecord record;
  EXPECT_FALSE(SMSGetUserRecord(file.handle(), 0, &record));
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "", &record), -1);
  OpenUserFile reader(GENERIC_READ);
  EXPECT_TRUE(reader.opened()) << "a reader may open a fresh file too";
}

TEST_F(UserFileTest, RecordsAreStoredWholeAndFoundByIndexAndName) {
  OpenUserFile file;
  Add(file.handle(), {"alice", "Bob", "carol"});
  EXPECT_EQ(SMSGetRecordCount(file.handle()), 3);
  EXPECT_EQ(Listed(file.handle()), (Names{"alice", "Bob", "carol"})) << "in the order added";
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), 3 * kRecord) << "nothing but the records";

  SmsUserRecord record;
  ASSERT_TRUE(SMSGetUserRecord(file.handle(), 1, &record));
  SmsUserRecord expected = PatternUser("Bob");
  EXPECT_EQ(memcmp(record.bytes, expected.bytes, kRecord), 0) << "all 522 bytes come back";
  EXPECT_FALSE(SMSGetUserRecord(file.handle(), 3, &record));
  EXPECT_FALSE(SMSGetUserRecord(file.handle(), -1, &record));

  memset(&record, 0, sizeof record);
  EXPECT_TRUE(SMSFindUserRecord(file.handle(), "BOB", &record)) << "names compare without regard to case";
  EXPECT_EQ(memcmp(record.bytes, expected.bytes, kRecord), 0);
  EXPECT_TRUE(SMSFindUserRecord(file.handle(), "Carol", nullptr));
  EXPECT_FALSE(SMSFindUserRecord(file.handle(), "bo", &record)) << "a whole name";
  EXPECT_FALSE(SMSFindUserRecord(file.handle(), "", &record));
  EXPECT_FALSE(SMSFindUserRecord(file.handle(), nullptr, &record));

  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "C", &record), 2);
  EXPECT_EQ(RecordName(record.bytes), "carol");
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "b", &record), 1);
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "", &record), 0) << "every name begins with nothing";
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "dave", &record), -1);
}

TEST_F(UserFileTest, AddingAnExistingNameReplacesItInPlace) {
  OpenUserFile file;
  Add(file.handle(), {"alice", "bob", "carol"});
  SmsUserRecord renamed = PatternUser("BOB");
  renamed.bytes[300] = 0x42;
  ASSERT_TRUE(SMSAddUser(file.handle(), &renamed));
  EXPECT_EQ(Listed(file.handle()), (Names{"alice", "BOB", "carol"})) << "same place, new letter case";
  SmsUserRecord stored;
  ASSERT_TRUE(SMSGetUserRecord(file.handle(), 1, &stored));
  EXPECT_EQ(stored.bytes[300], 0x42);
}

TEST_F(UserFileTest, DeletingKeepsTheOrderOfTheOthers) {
  OpenUserFile file;
  Add(file.handle(), {"a1", "a2", "a3", "a4"});
  SmsUserRecord victim = PatternUser("A2");
  EXPECT_TRUE(SMSDeleteUser(file.handle(), &victim));
  EXPECT_EQ(Listed(file.handle()), (Names{"a1", "a3", "a4"}));
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), 3 * kRecord) << "the file shrinks";
  EXPECT_FALSE(SMSDeleteUser(file.handle(), &victim)) << "a missing user gives 0";
  SmsUserRecord unnamed = {};
  EXPECT_FALSE(SMSDeleteUser(file.handle(), &unnamed));
  SmsUserRecord last = PatternUser("a4");
  EXPECT_TRUE(SMSDeleteUser(file.handle(), &last));
  EXPECT_EQ(Listed(file.handle()), (Names{"a1", "a3"}));
  Add(file.handle(), {"a2"});
  EXPECT_EQ(Listed(file.handle()), (Names{"a1", "a3", "a2"})) << "a new user goes to the end";
}

TEST_F(UserFileTest, ARecordWithoutAReadableNameIsRefused) {
  OpenUserFile file;
  SmsUserRecord empty = {};
  EXPECT_FALSE(SMSAddUser(file.handle(), &empty));
  SmsUserRecord unterminated;
  memset(unterminated.bytes, 'x', sizeof unterminated.bytes);
  EXPECT_FALSE(SMSAddUser(file.handle(), &unterminated)) << "no NUL in the name field";
  EXPECT_FALSE(SMSAddUser(file.handle(), nullptr));
  EXPECT_EQ(SMSGetRecordCount(file.handle()), 0);
}

TEST_F(UserFileTest, AReadOnlyHandleReadsButNeverWrites) {
  {
    OpenUserFile writer;
    Add(writer.handle(), {"alice", "bob"});
  }
  OpenUserFile reader(GENERIC_READ);
  ASSERT_TRUE(reader.opened());
  EXPECT_EQ(Listed(reader.handle()), (Names{"alice", "bob"}));
  SmsUserRecord record = PatternUser("carol");
  EXPECT_FALSE(SMSAddUser(reader.handle(), &record));
  SmsUserRecord bob = PatternUser("bob");
  EXPECT_FALSE(SMSDeleteUser(reader.handle(), &bob));
  EXPECT_EQ(StoredNames(UserFilePath(), kRecord), (Names{"alice", "bob"}));
}

TEST_F(UserFileTest, InvalidHandlesFailQuietly) {
  SmsUserRecord record = PatternUser("alice");
  EXPECT_EQ(SMSGetRecordCount(nullptr), 0);
  EXPECT_FALSE(SMSGetUserRecord(nullptr, 0, &record));
  EXPECT_EQ(SMSFindFirstUserRecord(INVALID_HANDLE_VALUE, "a", &record), -1);
  EXPECT_FALSE(SMSAddUser(nullptr, &record));
  EXPECT_FALSE(SMSDeleteUser(nullptr, &record));
  EXPECT_FALSE(SMSOpenUserFile(nullptr, GENERIC_READ));
  SMSCloseUserFile(nullptr);
}

TEST_F(UserFileTest, APartialLastRecordIsIgnoredAndOverwrittenByTheNextUser) {
  SmsUserRecord alice = PatternUser("alice");
  SmsUserRecord bob = PatternUser("bob");
  std::vector<unsigned char> bytes(kRecord + 300);
  memcpy(&bytes[0], alice.bytes, kRecord);
  memcpy(&bytes[kRecord], bob.bytes, 300);  // cut short
  WriteBytes(UserFilePath(), bytes);
  OpenUserFile file;
  EXPECT_EQ(SMSGetRecordCount(file.handle()), 1);
  EXPECT_FALSE(SMSFindUserRecord(file.handle(), "bob", nullptr));
  Add(file.handle(), {"carol"});
  EXPECT_EQ(Listed(file.handle()), (Names{"alice", "carol"}));
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), 2 * kRecord) << "the partial record is gone";
}

TEST_F(UserFileTest, UnreadableRecordsKeepTheirPlaceButAreNeverHandedOut) {
  std::vector<unsigned char> bytes;
  auto append = [&](const unsigned char* record) { bytes.insert(bytes.end(), record, record + kRecord); };
  SmsUserRecord alice = PatternUser("alice");
  append(alice.bytes);
  std::vector<unsigned char> garbage(kRecord, 0xA5);  // no NUL within the name field
  append(garbage.data());
  std::vector<unsigned char> control(kRecord, 0);
  memcpy(control.data(), "bob\x01", 4);  // a control character in the name
  append(control.data());
  std::vector<unsigned char> nameless(kRecord, 0);
  nameless[60] = 'x';
  append(nameless.data());
  SmsUserRecord carol = PatternUser("carol");
  append(carol.bytes);
  WriteBytes(UserFilePath(), bytes);

  OpenUserFile file;
  EXPECT_EQ(SMSGetRecordCount(file.handle()), 5) << "counted, so indexes stay those of the file";
  EXPECT_EQ(Listed(file.handle()), (Names{"alice", "<unreadable>", "<unreadable>", "<unreadable>", "carol"}));
  SmsUserRecord record;
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "b", &record), -1) << "the damaged bob is not matched";
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "c", &record), 4);
  // Changes around them leave them where they are.
  SmsUserRecord victim = PatternUser("alice");
  EXPECT_TRUE(SMSDeleteUser(file.handle(), &victim));
  Add(file.handle(), {"dave"});
  EXPECT_EQ(Listed(file.handle()), (Names{"<unreadable>", "<unreadable>", "<unreadable>", "carol", "dave"}));
  std::vector<unsigned char> after = ReadBytes(UserFilePath());
  ASSERT_EQ(after.size(), 5 * kRecord);
  EXPECT_TRUE(std::equal(garbage.begin(), garbage.end(), after.begin())) << "moved, not changed";
}

TEST_F(UserFileTest, AFileOfGarbageReadsAsRecordsThatCannotBeRead) {
  std::vector<unsigned char> bytes(kRecord * 4 + 17);
  unsigned seed = 12345;
  for (auto& b : bytes) {
    seed = seed * 1103515245 + 12345;
    b = static_cast<unsigned char>((seed >> 16) | 0x80);  // never a NUL
  }
  WriteBytes(UserFilePath(), bytes);
  OpenUserFile file;
  EXPECT_EQ(SMSGetRecordCount(file.handle()), 4);
  EXPECT_EQ(Listed(file.handle()), Names(4, "<unreadable>"));
  SmsUserRecord record;
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "", &record), -1);
  Add(file.handle(), {"alice"});
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "", &record), 4);
}

// A reader that keeps the file open all along, as a gateway service does.
TEST_F(UserFileTest, ReadersHoldingTheFileOpenSeeEveryChange) {
  OpenUserFile writer;
  OpenUserFile reader(GENERIC_READ);
  HANDLE foreign = CreateFileA(UserFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(foreign, INVALID_HANDLE_VALUE) << "a plain reader sharing read and write";
  Add(writer.handle(), {"alice", "bob", "carol"});
  SmsUserRecord bob = PatternUser("bob");
  EXPECT_TRUE(SMSDeleteUser(writer.handle(), &bob)) << "while others hold the file open";
  EXPECT_EQ(Listed(reader.handle()), (Names{"alice", "carol"}));
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(foreign, &size));
  EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(2 * kRecord));
  CloseHandle(foreign);
}

// Two writers at once, as the console and a service may be: no change of one
// is lost to the other (an addition cut off by a deletion's shortening, say).
TEST_F(UserFileTest, ConcurrentWritersLoseNoChange) {
  auto write = [](char prefix) {
    OpenUserFile writer;
    char name[16];
    for (int round = 0; round < 60; ++round) {
      wsprintfA(name, "%c%d", prefix, round);
      SmsUserRecord record = PatternUser(name);
      EXPECT_TRUE(SMSAddUser(writer.handle(), &record));
      if (round % 2) continue;
      wsprintfA(name, "%c%d", prefix, round);
      SmsUserRecord victim = PatternUser(name);
      EXPECT_TRUE(SMSDeleteUser(writer.handle(), &victim));
    }
  };
  std::thread first(write, 'a'), second(write, 'b');
  first.join();
  second.join();
  Names stored = StoredNames(UserFilePath(), kRecord);
  std::sort(stored.begin(), stored.end());
  Names expected;
  for (char prefix : {'a', 'b'})
    for (int round = 1; round < 60; round += 2) expected.push_back(std::string(1, prefix) + std::to_string(round));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), expected.size() * kRecord);
}

// The same from another process, which holds the file open for its whole run.
TEST_F(UserFileTest, AnotherProcessReadsConsistentlyWhileThePageWrites) {
  OpenUserFile writer;
  Add(writer.handle(), {"seed"});
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "zed-user-file-reader-ready");
  ASSERT_NE(ready, nullptr);
  std::string command = "\"" + ProgramFolder() + "USER_FILE_READER.EXE\" zed-user-file-reader-ready 1500";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  EXPECT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0) << "the reader opened the file";
  char name[16];
  DWORD start = GetTickCount();
  int rounds = 0;
  while (GetTickCount() - start < 1500) {
    wsprintfA(name, "u%d", rounds % 5);
    SmsUserRecord record = PatternUser(name);
    EXPECT_TRUE(SMSAddUser(writer.handle(), &record));
    wsprintfA(name, "u%d", (rounds + 2) % 5);
    SmsUserRecord victim = PatternUser(name);
    SMSDeleteUser(writer.handle(), &victim);
    ++rounds;
  }
  DWORD exitCode = 99;
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  GetExitCodeProcess(process.hProcess, &exitCode);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 99);
  CloseHandle(process.hProcess);
  CloseHandle(ready);
  EXPECT_EQ(exitCode, 0u) << "1: a torn record was read, 2: nothing was read";
  EXPECT_GT(rounds, 0);
}

}  // namespace
