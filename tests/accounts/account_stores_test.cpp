// The account stores on their shared record file: the user file of GWCORE.DLL
// with damaged files and the readers and writers that share it, and the VASP
// stores of MMSACCT.DLL. The name rules have their native table.
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
template <typename Record>
std::string Bytes(const Record& record, size_t size = sizeof(Record)) {
  return std::string(reinterpret_cast<const char*>(record.bytes), size);
}
size_t FileSize() { return ReadFileText(UserFilePath()).size(); }

class AccountStoreTest : public testing::Test {
 protected:
  TempDataDirectory dir_{"accounts"};
};

// A garbage record keeps its place but is never handed out; a partial last
// record is ignored and overwritten; a change replaces in place, appends, or
// closes the gap and shortens the file.
TEST_F(AccountStoreTest, UserRecordsAreFoundReplacedAndDeletedInPlaceAroundDamage) {
  const std::string garbage(kRecord, '\xA5');
  const SmsUserRecord bob = Pattern<SmsUserRecord>("Bob");
  WriteFileText(UserFilePath(), Bytes(Pattern<SmsUserRecord>("alice")) + garbage + Bytes(bob) +
                                    Bytes(Pattern<SmsUserRecord>("carol"), 300));
  OpenUserFile file;
  EXPECT_EQ(UserNames(file.handle()), (Names{"alice", "<unreadable>", "Bob"}));
  SmsUserRecord record = {};
  ASSERT_TRUE(SMSFindUserRecord(file.handle(), "BOB", &record));
  EXPECT_EQ(Bytes(record), Bytes(bob)) << "all the record's bytes come back";
  const std::pair<const char*, int> firsts[] = {{"b", 2}, {"", 0}, {"c", -1}};  // not the partial carol
  for (const auto& first : firsts)
    EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), first.first, &record), first.second) << first.first;
  EXPECT_FALSE(SMSFindUserRecord(file.handle(), "bo", &record) || SMSGetUserRecord(file.handle(), 3, &record) ||
               SMSGetUserRecord(file.handle(), -1, &record));

  SmsUserRecord renamed = Pattern<SmsUserRecord>("BOB");
  renamed.bytes[300] = 0x42;
  ASSERT_TRUE(SMSAddUser(file.handle(), &renamed));
  EXPECT_TRUE(Delete(file.handle(), "ALICE"));
  EXPECT_FALSE(Delete(file.handle(), "alice")) << "already gone";
  EXPECT_TRUE(Add(file.handle(), "dave"));
  EXPECT_EQ(UserNames(file.handle()), (Names{"<unreadable>", "BOB", "dave"})) << "replaced in place, added at the end";
  ASSERT_TRUE(SMSGetUserRecord(file.handle(), 1, &record));
  EXPECT_EQ(record.bytes[300], 0x42);
  EXPECT_EQ(ReadFileText(UserFilePath()).substr(0, kRecord), garbage) << "moved, not changed";
  EXPECT_EQ(FileSize(), 3 * kRecord);

  SmsUserRecord unterminated, empty = {};
  memset(unterminated.bytes, 'x', kRecord);
  for (const SmsUserRecord* bad : {&unterminated, &empty, static_cast<SmsUserRecord*>(nullptr)})
    EXPECT_FALSE(SMSAddUser(file.handle(), bad)) << "a record without a readable name";
  OpenUserFile reader(GENERIC_READ);
  EXPECT_FALSE(Add(reader.handle(), "eve") || Delete(reader.handle(), "dave") || Add(nullptr, "eve"))
      << "a read-only handle never writes";
  EXPECT_EQ(SMSGetRecordCount(INVALID_HANDLE_VALUE), 0);
}

// Another process's handle, as a gateway service holds one all along, sees a
// deletion's shortening; while it holds the services' lock byte too long,
// calls fail after their wait, never hang, and nothing is written.
TEST_F(AccountStoreTest, AnotherHandleSeesEveryChangeAndItsLockTimesCallsOut) {
  dir_.SetPrivateDirectory(dir_.Path() + "private\\");
  EXPECT_TRUE(OpenUserFile(GENERIC_READ).opened()) << "a reader may open a fresh file too";
  OpenUserFile file;
  HANDLE other = CreateFileA(UserFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE) << "created in the private data directory";
  for (const char* name : {"alice", "bob", "carol"}) ASSERT_TRUE(Add(file.handle(), name));
  EXPECT_TRUE(Delete(file.handle(), "bob"));
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(other, &size));
  EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(2 * kRecord));
  OVERLAPPED lockByte = {};
  lockByte.Offset = 0xFFFFFFF0u;
  ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lockByte));
  DWORD start = GetTickCount();
  SmsUserRecord record;
  EXPECT_FALSE(Add(file.handle(), "dave") || SMSGetUserRecord(file.handle(), 0, &record));
  EXPECT_LT(GetTickCount() - start, 20000u);
  EXPECT_EQ(FileSize(), 2 * kRecord);
  UnlockFileEx(other, 0, 1, 0, &lockByte);
  CloseHandle(other);
  EXPECT_TRUE(Add(file.handle(), "dave")) << "free again";
}

// Two writers at once, as the console and a service may be: no change of one
// is lost to the other (an addition cut off by a deletion's shortening, say).
TEST_F(AccountStoreTest, ConcurrentWritersLoseNoChange) {
  auto write = [](char prefix) {
    OpenUserFile writer;
    for (int round = 0; round < 60; ++round) {
      std::string name = prefix + std::to_string(round);
      EXPECT_TRUE(Add(writer.handle(), name) && (round % 2 || Delete(writer.handle(), name))) << name;
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
TEST_F(AccountStoreTest, AnotherProcessReadsConsistentlyWhileThePageWrites) {
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

// Found by whole name without regard to case, replaced where they are, read
// around a damaged record; a route is no login, and a user of its name can
// neither replace nor delete it.
TEST_F(AccountStoreTest, VaspAccountsAroundDamageAndTheOutboundRouteKeptApart) {
  const std::string users = PrivateFile("VASPUSERS.DAT");
  VaspAccountRecord alice = Pattern<VaspAccountRecord>("alice"), carol = Pattern<VaspAccountRecord>("Carol"),
                    route = Pattern<VaspAccountRecord>("zedsmslite"), found = {}, empty = {};
  WriteFileText(users, std::string(sizeof(VaspAccountRecord), '\xC3') + Bytes(Pattern<VaspAccountRecord>("carol")));
  ASSERT_TRUE(VASPAddUser(&alice) && VASPOutAddUser(&route) && VASPOutAddUser(&route));
  ASSERT_TRUE(VASPFindUserRecord("ALICE", &found));
  EXPECT_EQ(Bytes(found), Bytes(alice));
  EXPECT_FALSE(VASPFindUserRecord("ali", &found) || VASPFindUserRecord(nullptr, &found) ||
               VASPFindUserRecord("zedsmslite", &found) || VASPDeleteUser("zedsmslite"));
  ASSERT_TRUE(VASPAddUser(&carol) && VASPAddUser(&route));
  EXPECT_EQ(StoredNames(users, sizeof found), (Names{"", "Carol", "alice", "zedsmslite"}));
  EXPECT_TRUE(VASPDeleteUser("carol") && VASPDeleteUser("zedsmslite"));
  EXPECT_FALSE(VASPDeleteUser("carol")) << "already gone";
  EXPECT_EQ(StoredNames(users, sizeof found), (Names{"", "alice"}));
  EXPECT_EQ(ReadFileText(PrivateFile("VASPROUTES.DAT")), Bytes(route)) << "registered once, left alone";
  EXPECT_FALSE(VASPAddUser(&empty) || VASPAddUser(nullptr) || VASPOutAddUser(&empty));
}

}  // namespace
