// The test requests written into the outbound queues, and the GSM 7-bit
// decoder as the services reach it. The walk over the stores is the viewers'.
#include <gtest/gtest.h>

#include "common/file_util.h"
#include "config/config_files.h"
#include "queues/queue_store.h"
#include "queues/request_files.h"
#include "support/test_env.h"

namespace {

// Test requests replace an old file whole, and a copy that failed to read
// never passes for a whole one.
TEST(TestRequests, ReplaceOldFilesWholeAndNeverPassACutCopy) {
  TempDataDirectory dir("stores");
  PrepareConfigFiles();
  const StoreDirectories stores = CurrentStoreDirectories();
  std::string request = stores.smsQueue + "TEST1234.REQ";
  ASSERT_TRUE(QueueTestSms(0x71234, "+441234567"));
  EXPECT_EQ(ReadFileText(request), "[SMS]\r\nPhoneNumber=+441234567\r\nData=ZedSMS Test Message\r\n");

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
  // A failed read is no end of file.
  HANDLE source = CreateFileA(templatePath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE target = CreateFileA(request.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(CopyFileBody(source, target));
  CloseHandle(source);
  CloseHandle(target);
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
}

}  // namespace
