// The user file of GWCORE.DLL with damaged files and the readers and writers
// that share it. The name rules have their native table.
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
std::string Bytes(const SmsUserRecord& record, size_t size = kRecord) {
  return std::string(reinterpret_cast<const char*>(record.bytes), size);
}
size_t FileSize() { return ReadFileText(UserFilePath()).size(); }

class AccountStoreTest : public testing::Test {
 protected:
  TempDataDirectory dir_{"accounts"};
};

// A garbage record keeps its place but is never handed out; a partial last
// record is ignored and overwritten; a change replaces in place, appends, or
// closes the gap and shortens the file. The services' lock byte held by
// another writer is in the user editor's scenario.
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
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "b", &record), 2);
  EXPECT_EQ(SMSFindFirstUserRecord(file.handle(), "c", &record), -1) << "not the partial carol";

  SmsUserRecord renamed = Pattern<SmsUserRecord>("BOB");
  renamed.bytes[300] = 0x42;
  ASSERT_TRUE(SMSAddUser(file.handle(), &renamed));
  EXPECT_TRUE(Delete(file.handle(), "ALICE"));
  EXPECT_TRUE(Add(file.handle(), "dave"));
  EXPECT_EQ(UserNames(file.handle()), (Names{"<unreadable>", "BOB", "dave"})) << "replaced in place, added at the end";
  ASSERT_TRUE(SMSGetUserRecord(file.handle(), 1, &record));
  EXPECT_EQ(record.bytes[300], 0x42);
  EXPECT_EQ(ReadFileText(UserFilePath()).substr(0, kRecord), garbage) << "moved, not changed";
  OpenUserFile reader(GENERIC_READ);
  EXPECT_FALSE(Add(reader.handle(), "eve") || Delete(reader.handle(), "dave")) << "a read-only handle never writes";
  EXPECT_EQ(FileSize(), 3 * kRecord);
}

// Two writers at once, as the console and a service may be, while a reader in
// another process holds the file open all along: no change of one writer is
// lost to the other (an addition cut off by a deletion's shortening, say), and
// no record read is mixed from two writes.
TEST_F(AccountStoreTest, ConcurrentWritersLoseNoChangeAndAReaderProcessGetsNoTornRecord) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "zed-user-file-reader-ready");
  std::string command = "\"" + ProgramFolder() + "USER_FILE_READER.EXE\" zed-user-file-reader-ready 1500";
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  EXPECT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0) << "the reader opened the file";
  int rounds[2] = {};
  auto name = [](int writer, int round) { return std::string(1, 'a' + writer) + std::to_string(round); };
  auto reading = [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; };
  auto write = [&](int writer) {
    OpenUserFile file;
    for (int& round = rounds[writer]; round < 60 || (reading() && round < 300); ++round) {
      EXPECT_TRUE(Add(file.handle(), name(writer, round)) && (round % 2 || Delete(file.handle(), name(writer, round))))
          << name(writer, round);
    }
  };
  std::thread first(write, 0), second(write, 1);
  first.join();
  second.join();
  // The reader ends by its own clock once a pass is done; a loaded machine may
  // let the writers finish first.
  DWORD exitCode = 99;
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(ready);
  EXPECT_EQ(exitCode, 0u) << "1: a torn record was read, 2: nothing was read";
  Names stored = UserNames(), expected;
  for (int writer : {0, 1})
    for (int round = 1; round < rounds[writer]; round += 2) expected.push_back(name(writer, round));
  std::sort(stored.begin(), stored.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(FileSize(), expected.size() * kRecord);
}

}  // namespace
