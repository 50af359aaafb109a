// The test requests written into the outbound queues.
#include "queues/request_files.h"

#include <gtest/gtest.h>

#include <string>

#include "common/file_util.h"
#include "config/config_files.h"
#include "queues/queue_store.h"
#include "support/test_env.h"

namespace {

class RequestFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
    hadTemplate_ = FileExists(template_);
    if (hadTemplate_) savedTemplate_ = ReadFileText(template_);
  }
  void TearDown() override {
    if (hadTemplate_)
      WriteFileText(template_, savedTemplate_);
    else
      DeleteFileA(template_.c_str());
  }
  // A folder where the file should go, so that it cannot be created.
  void Block(const std::string& path) { ASSERT_TRUE(CreateDirectoryPath(path.c_str())); }

  TempDataDirectory dir_{"request"};
  StoreDirectories stores_;
  const std::string template_ = ProgramFolder() + "MMSTEST.MMS";
  bool hadTemplate_ = false;
  std::string savedTemplate_;
};

TEST_F(RequestFilesTest, SmsRequestNamedByTheLowSixteenBitsReplacesAnOldFile) {
  char path[MAX_PATH];
  ASSERT_TRUE(TestRequestPath("C:\\Q\\", 0xAB, ".MMS", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\TEST00AB.MMS");
  char small[12];
  EXPECT_FALSE(TestRequestPath("C:\\Q\\", 1, ".INI", small, sizeof small)) << "never a cut name";

  std::string request = stores_.smsQueue + "TEST1234.REQ";
  WriteFileText(request, std::string(500, 'z'));
  ASSERT_TRUE(QueueTestSms(0x71234, "+441234567"));
  EXPECT_EQ(ReadFileText(request), "[SMS]\r\nPhoneNumber=+441234567\r\nData=ZedSMS Test Message\r\n");
  Block(stores_.smsQueue + "TEST0001.REQ");
  EXPECT_FALSE(QueueTestSms(1, "123"));
}

TEST_F(RequestFilesTest, RequestFilesShareReadingOnly) {
  std::string path = stores_.smsQueue + "shared.REQ";
  HANDLE file = CreateRequestFile(path.c_str());
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  for (DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {
    HANDLE other = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    EXPECT_EQ(other != INVALID_HANDLE_VALUE, access == GENERIC_READ) << "a service may read it meanwhile, not write";
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  }
  CloseHandle(file);
}

TEST_F(RequestFilesTest, MmsRequestCopiesTheTemplateAndAddressesTheModemRoute) {
  std::string body;
  for (int i = 0; i < 70000; ++i) body += static_cast<char>(i * 7);  // more than one copy buffer, with NULs
  WriteFileText(template_, body);
  WriteFileText(stores_.mmsQueue + "TESTBEEF.MMS", std::string(100000, 'o'));  // longer: must be cut
  char used[MAX_PATH] = "";
  EXPECT_EQ(QueueTestMms(0xBEEF, "+4470", used, sizeof used), kTestMmsQueued);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TESTBEEF.MMS"), body);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TESTBEEF.INI"), "[Recipients]\r\nRecip1=+4470/TYPE=VASP:zedsmslite\r\n");
}

TEST_F(RequestFilesTest, MmsRequestThatCannotBeMade) {
  DeleteFileA(template_.c_str());
  char used[MAX_PATH] = "";
  EXPECT_EQ(QueueTestMms(2, "1", used, sizeof used), kTestMmsNoTemplate);
  EXPECT_EQ(std::string(used), template_) << "the path for the message";
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0002.INI"));
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0002.MMS"));

  WriteFileText(template_, "mms");
  Block(stores_.mmsQueue + "TEST0003.MMS");
  EXPECT_EQ(QueueTestMms(3, "1", used, sizeof used), kTestMmsQueueError);
  EXPECT_TRUE(FileExists(stores_.mmsQueue + "TEST0003.INI"));
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TEST0003.INI"), "") << "the empty control file stays";

  Block(stores_.mmsQueue + "TEST0004.INI");
  EXPECT_EQ(QueueTestMms(4, "1", used, sizeof used), kTestMmsQueueError);
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0004.MMS"));
  EXPECT_TRUE(DeleteFileA(template_.c_str())) << "the template was closed again";
}

// A failed read is no end of file: a cut copy must not pass for a whole one.
TEST_F(RequestFilesTest, CopyFileBodyCutsTheDestinationAndReportsAFailedReadOrWrite) {
  std::string from = dir_.File("from.bin");
  std::string to = dir_.File("to.bin");
  WriteFileText(from, "short");
  WriteFileText(to, "a much longer old content");
  const struct {
    DWORD sourceAccess, targetAccess;
    bool copied;
  } rows[] = {{GENERIC_READ, GENERIC_WRITE, true},
              {GENERIC_READ, GENERIC_READ, false},
              {GENERIC_WRITE, GENERIC_WRITE, false}};
  for (const auto& row : rows) {
    HANDLE source = CreateFileA(from.c_str(), row.sourceAccess, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE target = CreateFileA(to.c_str(), row.targetAccess, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(source, INVALID_HANDLE_VALUE);
    ASSERT_NE(target, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyFileBody(source, target), row.copied) << row.sourceAccess << " " << row.targetAccess;
    CloseHandle(source);
    CloseHandle(target);
  }
  EXPECT_EQ(ReadFileText(to), "short") << "what the one whole copy wrote";
}

}  // namespace
