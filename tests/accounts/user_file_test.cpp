// The user file of GWCORE.DLL: its records, damaged files, and the readers
// and writers that share it.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "accounts/account_files.h"
#include "support/test_env.h"

namespace {

constexpr size_t kRecord = sizeof(SmsUserRecord);
using Names = std::vector<std::string>;

bool Add(HANDLE file, const std::string& name) {
  SmsUserRecord record = Pattern<SmsUserRecord>(name.c_str());
  return SMSAddUser(file, &record) != FALSE;
}
bool Delete(HANDLE file, const std::string& name) {
  SmsUserRecord record = Pattern<SmsUserRecord>(name.c_str());
  return SMSDeleteUser(file, &record) != FALSE;
}
size_t FileSize() { return ReadFileText(UserFilePath()).size(); }

class UserFileTest : public testing::Test {
 protected:
  TempDataDirectory dir_{"userfile"};
};

TEST_F(UserFileTest, RecordsAreStoredWholeFoundByNameReplacedAndDeletedInPlace) {
  std::string other = dir_.Path() + "private\\";
  dir_.SetPrivateDirectory(other);
  OpenUserFile file;
  ASSERT_TRUE(file.opened());
  EXPECT_TRUE(FileExists(other + "SMSUSERS.DAT")) << "created empty in the private data directory";
  EXPECT_TRUE(OpenUserFile(GENERIC_READ).opened()) << "a reader may open a fresh file too";
  for (const char* name : {"alice", "Bob", "carol", "dave"}) EXPECT_TRUE(Add(file.handle(), name));
  EXPECT_EQ(FileSize(), 4 * kRecord) << "nothing but the records";

  SmsUserRecord record = {}, bob = Pattern<SmsUserRecord>("Bob");
  ASSERT_TRUE(SMSFindUserRecord(file.handle(), "BOB", &record)) << "names compare without regard to case";
  EXPECT_EQ(memcmp(record.bytes, bob.bytes, kRecord), 0) << "all the record's bytes come back";
  const std::pair<const char*, int> firsts[] = {{"C", 2}, {"b", 1}, {"", 0}, {"eve", -1}};
  for (const auto& first : firsts)
    EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), first.first, &record), first.second) << first.first;
  for (const char* missing : {"bo", ""}) EXPECT_FALSE(SMSFindUserRecord(file.handle(), missing, &record)) << missing;
  EXPECT_FALSE(SMSGetUserRecord(file.handle(), 4, &record) || SMSGetUserRecord(file.handle(), -1, &record));

  SmsUserRecord renamed = Pattern<SmsUserRecord>("BOB");
  renamed.bytes[300] = 0x42;
  ASSERT_TRUE(SMSAddUser(file.handle(), &renamed));
  ASSERT_TRUE(SMSGetUserRecord(file.handle(), 1, &record));
  EXPECT_EQ(record.bytes[300], 0x42);
  EXPECT_TRUE(Delete(file.handle(), "ALICE"));
  EXPECT_FALSE(Delete(file.handle(), "alice")) << "already gone";
  EXPECT_TRUE(Delete(file.handle(), "dave"));
  EXPECT_TRUE(Add(file.handle(), "alice"));
  EXPECT_EQ(UserNames(file.handle()), (Names{"BOB", "carol", "alice"})) << "replaced in place, new ones at the end";
  EXPECT_EQ(FileSize(), 3 * kRecord) << "the file shrinks";

  SmsUserRecord unterminated, empty = {};
  memset(unterminated.bytes, 'x', kRecord);
  for (const SmsUserRecord* bad : {&unterminated, &empty, static_cast<SmsUserRecord*>(nullptr)})
    EXPECT_FALSE(SMSAddUser(file.handle(), bad)) << "a record without a readable name";
  OpenUserFile reader(GENERIC_READ);
  EXPECT_FALSE(Add(reader.handle(), "eve") || Delete(reader.handle(), "carol")) << "a read-only handle never writes";
  EXPECT_FALSE(Add(nullptr, "eve"));
  EXPECT_EQ(SMSGetRecordCount(INVALID_HANDLE_VALUE), 0);
  EXPECT_EQ(StoredNames(UserFilePath(), kRecord), (Names{"BOB", "carol", "alice"}));
}

// Records without a readable name (garbage, a control character, the name
// field empty) keep their place but are never handed out; a partial last
// record is ignored and overwritten.
TEST_F(UserFileTest, DamagedRecordsKeepTheirPlaceAndAPartialOneIsOverwritten) {
  std::string garbage(kRecord, '\xA5'), control(kRecord, '\0'), nameless(kRecord, '\0');
  control.replace(0, 4, "bob\x01");
  nameless[60] = 'x';
  auto bytes = [](const char* name, size_t size) {
    SmsUserRecord record = Pattern<SmsUserRecord>(name);
    return std::string(reinterpret_cast<char*>(record.bytes), size);
  };
  WriteFileText(UserFilePath(), bytes("alice", kRecord) + garbage + control + nameless + bytes("carol", kRecord) +
                                    bytes("bob", 300));
  OpenUserFile file;
  EXPECT_EQ(UserNames(file.handle()), (Names{"alice", "<unreadable>", "<unreadable>", "<unreadable>", "carol"}));
  SmsUserRecord record;
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "b", &record), -1) << "neither the damaged nor the partial bob";
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "c", &record), 4);
  EXPECT_TRUE(Delete(file.handle(), "alice"));
  EXPECT_TRUE(Add(file.handle(), "dave"));
  EXPECT_EQ(UserNames(file.handle()), (Names{"<unreadable>", "<unreadable>", "<unreadable>", "carol", "dave"}));
  std::string after = ReadFileText(UserFilePath());
  EXPECT_EQ(after.size(), 5 * kRecord);
  EXPECT_EQ(after.substr(0, kRecord), garbage) << "moved, not changed";
}

// Another process's handle, as a gateway service holds one all along, sees a
// deletion's shortening; while it holds the services' lock byte too long,
// calls fail after their wait, never hang, and nothing is written.
TEST_F(UserFileTest, AnotherHandleSeesEveryChangeAndItsLockTimesCallsOut) {
  OpenUserFile file;
  HANDLE other = CreateFileA(UserFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  for (const char* name : {"alice", "bob", "carol"}) ASSERT_TRUE(Add(file.handle(), name));
  EXPECT_TRUE(Delete(file.handle(), "bob"));
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(other, &size));
  EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(2 * kRecord));
  OVERLAPPED lockByte = {};
  lockByte.Offset = 0xFFFFFFF0u;
  ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lockByte));
  DWORD start = GetTickCount();
  EXPECT_FALSE(Add(file.handle(), "dave"));
  SmsUserRecord record;
  EXPECT_FALSE(SMSGetUserRecord(file.handle(), 0, &record));
  EXPECT_LT(GetTickCount() - start, 20000u);
  EXPECT_EQ(FileSize(), 2 * kRecord);
  UnlockFileEx(other, 0, 1, 0, &lockByte);
  CloseHandle(other);
  EXPECT_TRUE(Add(file.handle(), "dave")) << "free again";
}

// Two writers at once, as the console and a service may be: no change of one
// is lost to the other (an addition cut off by a deletion's shortening, say).
TEST_F(UserFileTest, ConcurrentWritersLoseNoChange) {
  auto write = [](char prefix) {
    OpenUserFile writer;
    for (int round = 0; round < 60; ++round) {
      std::string name = prefix + std::to_string(round);
      EXPECT_TRUE(Add(writer.handle(), name));
      if (round % 2 == 0) {
        EXPECT_TRUE(Delete(writer.handle(), name));
      }
    }
  };
  std::thread first(write, 'a'), second(write, 'b');
  first.join();
  second.join();
  Names stored = StoredNames(UserFilePath(), kRecord), expected;
  for (char prefix : {'a', 'b'})
    for (int round = 1; round < 60; round += 2) expected.push_back(prefix + std::to_string(round));
  std::sort(stored.begin(), stored.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(FileSize(), expected.size() * kRecord);
}

// A reader in another process, holding the file open for its whole run,
// never gets a record mixed from two writes.
TEST_F(UserFileTest, AnotherProcessReadsConsistentlyWhileThePageWrites) {
  OpenUserFile writer;
  Add(writer.handle(), "seed");
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "zed-user-file-reader-ready");
  ASSERT_NE(ready, nullptr);
  std::string command = "\"" + ProgramFolder() + "USER_FILE_READER.EXE\" zed-user-file-reader-ready 1500";
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  EXPECT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0) << "the reader opened the file";
  for (DWORD start = GetTickCount(), round = 0; GetTickCount() - start < 1500; ++round) {
    EXPECT_TRUE(Add(writer.handle(), "u" + std::to_string(round % 5)));
    Delete(writer.handle(), "u" + std::to_string((round + 2) % 5));
  }
  DWORD exitCode = 99;
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  GetExitCodeProcess(process.hProcess, &exitCode);
  if (exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 99);
  CloseHandle(process.hProcess);
  CloseHandle(ready);
  EXPECT_EQ(exitCode, 0u) << "1: a torn record was read, 2: nothing was read";
}

}  // namespace
