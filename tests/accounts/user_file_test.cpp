// The user file of GWCORE.DLL: its records, damaged files, and the readers
// and writers that share it.
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
using Names = std::vector<std::string>;

// The names the library hands out, by index.
Names Listed(HANDLE file) {
  Names names;
  for (int i = 0; i < SMSGetRecordCount(file); ++i) {
    SmsUserRecord record;
    names.push_back(SMSGetUserRecord(file, i, &record) ? RecordName(record.bytes) : "<unreadable>");
  }
  return names;
}

bool Add(HANDLE file, const char* name) {
  SmsUserRecord record = PatternUser(name);
  return SMSAddUser(file, &record) != FALSE;
}

bool Delete(HANDLE file, const char* name) {
  SmsUserRecord record = PatternUser(name);
  return SMSDeleteUser(file, &record) != FALSE;
}

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
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), 4 * kRecord) << "nothing but the records";

  SmsUserRecord record = {};
  SmsUserRecord bob = PatternUser("Bob");
  ASSERT_TRUE(SMSFindUserRecord(file.handle(), "BOB", &record)) << "names compare without regard to case";
  EXPECT_EQ(memcmp(record.bytes, bob.bytes, kRecord), 0) << "all the record's bytes come back";
  const struct {
    const char* prefix;
    int index;
  } firsts[] = {{"C", 2}, {"b", 1}, {"", 0}, {"eve", -1}};
  for (const auto& first : firsts)
    EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), first.prefix, &record), first.index) << first.prefix;
  for (const char* missing : {"bo", ""}) EXPECT_FALSE(SMSFindUserRecord(file.handle(), missing, &record)) << missing;
  EXPECT_FALSE(SMSGetUserRecord(file.handle(), 4, &record));
  EXPECT_FALSE(SMSGetUserRecord(file.handle(), -1, &record));

  SmsUserRecord renamed = PatternUser("BOB");
  renamed.bytes[300] = 0x42;
  ASSERT_TRUE(SMSAddUser(file.handle(), &renamed));
  ASSERT_TRUE(SMSGetUserRecord(file.handle(), 1, &record));
  EXPECT_EQ(record.bytes[300], 0x42);
  EXPECT_TRUE(Delete(file.handle(), "ALICE"));
  EXPECT_FALSE(Delete(file.handle(), "alice")) << "already gone";
  EXPECT_TRUE(Delete(file.handle(), "dave"));
  EXPECT_TRUE(Add(file.handle(), "alice"));
  EXPECT_EQ(Listed(file.handle()), (Names{"BOB", "carol", "alice"})) << "replaced in place, new ones at the end";
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), 3 * kRecord) << "the file shrinks";

  SmsUserRecord unterminated;
  memset(unterminated.bytes, 'x', sizeof unterminated.bytes);
  SmsUserRecord empty = {};
  const SmsUserRecord* refused[] = {&unterminated, &empty, nullptr};
  for (const SmsUserRecord* bad : refused)
    EXPECT_FALSE(SMSAddUser(file.handle(), bad)) << "a record without a readable name";
  OpenUserFile reader(GENERIC_READ);
  EXPECT_FALSE(Add(reader.handle(), "eve")) << "a read-only handle never writes";
  EXPECT_FALSE(Delete(reader.handle(), "carol"));
  EXPECT_FALSE(Add(nullptr, "eve"));
  EXPECT_EQ(SMSGetRecordCount(INVALID_HANDLE_VALUE), 0);
  EXPECT_EQ(StoredNames(UserFilePath(), kRecord), (Names{"BOB", "carol", "alice"}));
}

// Records without a readable name (garbage, a control character, the name
// field empty) keep their place but are never handed out; a partial last
// record is ignored and overwritten.
TEST_F(UserFileTest, DamagedRecordsKeepTheirPlaceAndAPartialOneIsOverwritten) {
  std::vector<unsigned char> garbage(kRecord, 0xA5);
  std::vector<unsigned char> control(kRecord, 0);
  memcpy(control.data(), "bob\x01", 4);
  std::vector<unsigned char> nameless(kRecord, 0);
  nameless[60] = 'x';
  SmsUserRecord alice = PatternUser("alice"), carol = PatternUser("carol"), partial = PatternUser("bob");
  std::vector<unsigned char> bytes(alice.bytes, alice.bytes + kRecord);
  for (const auto* record : {&garbage, &control, &nameless}) bytes.insert(bytes.end(), record->begin(), record->end());
  bytes.insert(bytes.end(), carol.bytes, carol.bytes + kRecord);
  bytes.insert(bytes.end(), partial.bytes, partial.bytes + 300);
  WriteBytes(UserFilePath(), bytes);

  OpenUserFile file;
  EXPECT_EQ(Listed(file.handle()), (Names{"alice", "<unreadable>", "<unreadable>", "<unreadable>", "carol"}));
  SmsUserRecord record;
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "b", &record), -1) << "neither the damaged nor the partial bob";
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "c", &record), 4);
  EXPECT_TRUE(Delete(file.handle(), "alice"));
  EXPECT_TRUE(Add(file.handle(), "dave"));
  EXPECT_EQ(Listed(file.handle()), (Names{"<unreadable>", "<unreadable>", "<unreadable>", "carol", "dave"}));
  std::vector<unsigned char> after = ReadBytes(UserFilePath());
  ASSERT_EQ(after.size(), 5 * kRecord);
  EXPECT_TRUE(std::equal(garbage.begin(), garbage.end(), after.begin())) << "moved, not changed";
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
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), 2 * kRecord);
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
      EXPECT_TRUE(Add(writer.handle(), name.c_str()));
      if (round % 2 == 0) {
        EXPECT_TRUE(Delete(writer.handle(), name.c_str()));
      }
    }
  };
  std::thread first(write, 'a'), second(write, 'b');
  first.join();
  second.join();
  Names stored = StoredNames(UserFilePath(), kRecord);
  std::sort(stored.begin(), stored.end());
  Names expected;
  for (char prefix : {'a', 'b'})
    for (int round = 1; round < 60; round += 2) expected.push_back(prefix + std::to_string(round));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(ReadBytes(UserFilePath()).size(), expected.size() * kRecord);
}

// A reader in another process, holding the file open for its whole run,
// never gets a record mixed from two writes.
TEST_F(UserFileTest, AnotherProcessReadsConsistentlyWhileThePageWrites) {
  OpenUserFile writer;
  Add(writer.handle(), "seed");
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "zed-user-file-reader-ready");
  ASSERT_NE(ready, nullptr);
  std::string command = "\"" + ProgramFolder() + "USER_FILE_READER.EXE\" zed-user-file-reader-ready 1500";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  EXPECT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0) << "the reader opened the file";
  DWORD start = GetTickCount();
  for (int round = 0; GetTickCount() - start < 1500; ++round) {
    EXPECT_TRUE(Add(writer.handle(), ("u" + std::to_string(round % 5)).c_str()));
    Delete(writer.handle(), ("u" + std::to_string((round + 2) % 5)).c_str());
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
