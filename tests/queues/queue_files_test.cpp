// The message stores on disk: the walk over a store and its route folders,
// the test requests written into the outbound
// queues, and the GSM 7-bit decoder as the services reach it. What the
// scanners make of the files is the viewers' walks.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/file_util.h"
#include "config/config_files.h"
#include "queues/queue_store.h"
#include "queues/request_files.h"
#include "queues/store_walker.h"
#include "support/test_env.h"

namespace {

using Keys = std::vector<std::string>;

// The keys of the walk, sorted.
Keys Walk(const std::string& store, const char* pattern) {
  Keys keys;
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, store.c_str(), pattern, false); more; more = NextMessageFile(&walk)) {
    keys.push_back(walk.relativePath);
    EXPECT_STREQ(walk.innerEntry.cFileName, keys.back().substr(keys.back().rfind('\\') + 1).c_str());
  }
  EndMessageWalk(&walk);
  std::sort(keys.begin(), keys.end());
  return keys;
}

class QueueFilesTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  TempDataDirectory dir_{"stores"};
};

TEST_F(QueueFilesTest, TheWalkTakesTheStoreAndItsRouteFoldersAndStartsAgainAfterTheEnd) {
  std::string store = dir_.File("STORE\\");
  EXPECT_TRUE(Walk(store, "*.REQ").empty()) << "the store does not exist";
  EXPECT_TRUE(Walk("", "*.REQ").empty()) << "never the current directory";
  // Two levels down is not the console's business; G.REQ is a folder.
  for (const char* file : {"A.REQ", "route1\\B.REQ", "route1\\C.req", "route2\\deeper\\E.REQ", "route2\\F.TXT", "G.REQ\\x"})
    ASSERT_TRUE(WriteStoreFile(store + file, "x")) << file;
  EXPECT_EQ(Walk(store.substr(0, store.size() - 1), "*.REQ"), (Keys{"A.REQ", "route1\\B.REQ", "route1\\C.req"}))
      << "the store named without its trailing backslash";
  MessageWalk walk;
  ASSERT_TRUE(FirstMessageFile(&walk, store.c_str(), "*.TXT", false));
  EXPECT_FALSE(NextMessageFile(&walk));
  EXPECT_TRUE(NextMessageFile(&walk)) << "from the top";
  char path[MAX_PATH], small[10];
  ASSERT_TRUE(CurrentMessagePath(walk, path, sizeof path));
  EXPECT_EQ(std::string(path), store + "route2\\F.TXT");
  EXPECT_FALSE(CurrentMessagePath(walk, small, sizeof small)) << "never a cut path";
  EXPECT_STREQ(small, "");
  EndMessageWalk(&walk);
}

// Test requests are named by the low 16 bits of the test id and replace an
// old file whole; a queue that cannot take them leaves no half request.
TEST_F(QueueFilesTest, TestRequestsReplaceOldFilesWholeShareOnlyReadingAndNeverPassACutCopy) {
  const StoreDirectories stores = CurrentStoreDirectories();
  char small[12];
  EXPECT_FALSE(TestRequestPath("C:\\Q\\", 1, ".INI", small, sizeof small)) << "never a cut name";
  std::string request = stores.smsQueue + "TEST1234.REQ";
  WriteFileText(request, std::string(500, 'z'));
  ASSERT_TRUE(QueueTestSms(0x71234, "+441234567"));
  EXPECT_EQ(ReadFileText(request), "[SMS]\r\nPhoneNumber=+441234567\r\nData=ZedSMS Test Message\r\n");
  // A service may read a request meanwhile, not write it.
  HANDLE file = CreateRequestFile(request.c_str());
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  for (DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {
    HANDLE other = CreateFileA(request.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other != INVALID_HANDLE_VALUE, access == GENERIC_READ) << access;
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  }
  CloseHandle(file);

  const std::string templatePath = ProgramFolder() + "MMSTEST.MMS";
  const std::string savedTemplate = ReadFileText(templatePath);
  std::string body;
  for (int i = 0; i < 70000; ++i) body += static_cast<char>(i * 7);  // more than one copy buffer, with NULs
  WriteFileText(templatePath, body);
  WriteFileText(stores.mmsQueue + "TESTBEEF.MMS", std::string(100000, 'o'));
  char used[MAX_PATH] = "";
  EXPECT_EQ(QueueTestMms(0xBEEF, "+4470", used, sizeof used), kTestMmsQueued);
  EXPECT_EQ(ReadFileText(stores.mmsQueue + "TESTBEEF.MMS"), body);
  EXPECT_EQ(ReadFileText(stores.mmsQueue + "TESTBEEF.INI"), "[Recipients]\r\nRecip1=+4470/TYPE=VASP:zedsmslite\r\n");
  CreateDirectoryPath((stores.mmsQueue + "TEST0004.INI").c_str());
  EXPECT_EQ(QueueTestMms(4, "1", used, sizeof used), kTestMmsQueueError);
  EXPECT_FALSE(FileExists(stores.mmsQueue + "TEST0004.MMS"));
  // A failed read is no end of file: a cut copy must not pass for a whole one.
  for (DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {  // the write fails, then the read
    HANDLE source = CreateFileA(templatePath.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE target = CreateFileA(request.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(CopyFileBody(source, target)) << access;
    CloseHandle(source);
    CloseHandle(target);
  }
  EXPECT_TRUE(DeleteFileA(templatePath.c_str())) << "the template was closed again";
  WriteFileText(templatePath, savedTemplate);
}

// The services reach the decoder by its undecorated name.
TEST(Gsm7Export, ExportedByNameAndGuardsItsArguments) {
  using Decode = BOOL (*)(const char*, const char*, char*, size_t);
  auto decode = reinterpret_cast<Decode>(GetProcAddress(GetModuleHandleA("GWCORE.DLL"), "GSM7ToUTF8String"));
  ASSERT_NE(decode, nullptr);
  char buffer[64] = "E8329BFD06";
  EXPECT_TRUE(decode(nullptr, buffer, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "hello");
  EXPECT_FALSE(decode("", nullptr, buffer, 0) || decode("", "E8329BFD06", nullptr, 10));
  EXPECT_STREQ(buffer, "hello");
}

}  // namespace
