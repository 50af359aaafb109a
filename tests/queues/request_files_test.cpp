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
    templatePath_ = ProgramFolder() + "MMSTEST.MMS";
    hadTemplate_ = FileExists(templatePath_);
    if (hadTemplate_) savedTemplate_ = ReadFileText(templatePath_);
  }
  void TearDown() override {
    if (hadTemplate_)
      WriteFileText(templatePath_, savedTemplate_);
    else
      DeleteFileA(templatePath_.c_str());
  }

  TempDataDirectory dir_{"request"};
  StoreDirectories stores_;
  std::string templatePath_;
  bool hadTemplate_ = false;
  std::string savedTemplate_;
};

TEST_F(RequestFilesTest, NamesUseTheLowSixteenBitsInUpperCaseHex) {
  char path[MAX_PATH];
  ASSERT_TRUE(TestRequestPath("C:\\Q\\", 0x5ABCD, ".REQ", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\TESTABCD.REQ");
  ASSERT_TRUE(TestRequestPath("C:\\Q\\", 0xAB, ".MMS", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\TEST00AB.MMS");
  char small[12];
  EXPECT_FALSE(TestRequestPath("C:\\Q\\", 1, ".INI", small, sizeof small)) << "never a cut name";
}

TEST_F(RequestFilesTest, SmsRequestByteForByteInTheQueueRoot) {
  std::string path = stores_.smsQueue + "TEST1234.REQ";
  WriteFileText(path, std::string(500, 'z'));  // an old file of that name is replaced
  ASSERT_TRUE(QueueTestSms(0x71234, "+441234567"));
  EXPECT_EQ(ReadFileText(path), "[SMS]\r\nPhoneNumber=+441234567\r\nData=ZedSMS Test Message\r\n");
}

TEST_F(RequestFilesTest, SmsRequestThatCannotBeCreatedFails) {
  ASSERT_TRUE(CreateDirectoryPath((stores_.smsQueue + "TEST0001.REQ").c_str()));
  EXPECT_FALSE(QueueTestSms(1, "123"));
}

TEST_F(RequestFilesTest, RequestFilesShareReadingOnly) {
  std::string path = stores_.smsQueue + "shared.REQ";
  HANDLE file = CreateRequestFile(path.c_str());
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "a service may read it meanwhile";
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "but not write it";
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  CloseHandle(file);
}

TEST_F(RequestFilesTest, MmsRequestCopiesTheTemplateAndAddressesTheModemRoute) {
  std::string body;
  for (int i = 0; i < 70000; ++i) body += static_cast<char>(i * 7);  // more than one copy buffer, with NULs
  WriteFileText(templatePath_, body);
  WriteFileText(stores_.mmsQueue + "TESTBEEF.MMS", std::string(100000, 'o'));  // longer: must be cut
  char used[MAX_PATH] = "";
  EXPECT_EQ(QueueTestMms(0xBEEF, "+4470", used, sizeof used), kTestMmsQueued);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TESTBEEF.MMS"), body);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TESTBEEF.INI"), "[Recipients]\r\nRecip1=+4470/TYPE=VASP:zedsmslite\r\n");
}

TEST_F(RequestFilesTest, MmsRequestWithoutTemplate) {
  DeleteFileA(templatePath_.c_str());
  char used[MAX_PATH] = "";
  EXPECT_EQ(QueueTestMms(2, "1", used, sizeof used), kTestMmsNoTemplate);
  EXPECT_EQ(std::string(used), templatePath_) << "the path for the message";
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0002.INI"));
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0002.MMS"));
}

TEST_F(RequestFilesTest, MmsRequestWhoseMessageCannotBeCreated) {
  WriteFileText(templatePath_, "mms");
  ASSERT_TRUE(CreateDirectoryPath((stores_.mmsQueue + "TEST0003.MMS").c_str()));
  char used[MAX_PATH];
  EXPECT_EQ(QueueTestMms(3, "1", used, sizeof used), kTestMmsQueueError);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TEST0003.INI"), "") << "the empty control file stays";
  EXPECT_TRUE(FileExists(stores_.mmsQueue + "TEST0003.INI"));
}

TEST_F(RequestFilesTest, MmsRequestWhoseControlFileCannotBeCreated) {
  WriteFileText(templatePath_, "mms");
  ASSERT_TRUE(CreateDirectoryPath((stores_.mmsQueue + "TEST0004.INI").c_str()));
  char used[MAX_PATH];
  EXPECT_EQ(QueueTestMms(4, "1", used, sizeof used), kTestMmsQueueError);
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0004.MMS"));
  // The template was closed again: it can be replaced.
  EXPECT_TRUE(DeleteFileA(templatePath_.c_str()));
}

TEST_F(RequestFilesTest, CopyFileBodyCutsTheDestination) {
  std::string from = dir_.File("from.bin");
  std::string to = dir_.File("to.bin");
  WriteFileText(from, "short");
  WriteFileText(to, "a much longer old content");
  HANDLE source = CreateFileA(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE target = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(source, INVALID_HANDLE_VALUE);
  ASSERT_NE(target, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CopyFileBody(source, target));
  CloseHandle(source);
  CloseHandle(target);
  EXPECT_EQ(ReadFileText(to), "short");

  source = CreateFileA(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  target = CreateFileA(to.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(CopyFileBody(source, target)) << "a failed write is a failed copy";
  CloseHandle(source);
  CloseHandle(target);
}

}  // namespace
