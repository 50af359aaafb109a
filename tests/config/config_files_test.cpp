#include "config/config_files.h"

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "config/gwcore_api.h"
#include "support/test_env.h"

namespace {

std::string Dir(void (*getter)(char*)) {
  char buffer[MAX_PATH];
  getter(buffer);
  return buffer;
}

std::string QueueDir(const char* route) {
  char buffer[MAX_PATH];
  GetQueueDirectory(buffer, route);
  return buffer;
}

class DataDirectoryTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  TempDataDirectory dir_{"config"};
};

TEST_F(DataDirectoryTest, DataDirectoriesFollowTheOverridesAndStartUpCreatesTheConfiguration) {
  EXPECT_EQ(Dir([](char* b) { GetProgramDataDirectory(b); }), dir_.Path());
  EXPECT_EQ(Dir([](char* b) { GetRealProgramDirectory(b); }), ProgramFolder());
  // An environment override wins over the registry, gets its backslash and is created.
  std::string own = dir_.File("own\\place");
  SetEnvironmentVariableA("ZEDSMS_PROGRAM_DATA_DIR", own.c_str());
  EXPECT_EQ(Dir([](char* b) { GetProgramDataDirectory(b); }), own + "\\");
  SetEnvironmentVariableA("ZEDSMS_PROGRAM_DATA_DIR", nullptr);
  EXPECT_TRUE(IsDirectory(own.c_str()));
  dir_.SetPrivateDirectory(dir_.File("private\\"));
  EXPECT_EQ(Dir([](char* b) { GetPrivateDataDirectory(b); }), dir_.File("private\\"));
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZedSMS Lite", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "PrivateDataDirectory");
  RegCloseKey(key);
  EXPECT_EQ(Dir([](char* b) { GetPrivateDataDirectory(b); }), dir_.Path()) << "by default the program data";

  EXPECT_EQ(std::string(g_configFiles.smsIni), dir_.File("SMSGW.INI"));
  EXPECT_EQ(ReadFileText(dir_.File("SMSGW.INI")) + ReadFileText(dir_.File("MMSC.INI")), "");
  EXPECT_TRUE(IsPlainFile(g_configFiles.mmscIni));
  WriteFileText(dir_.File("SMSGW.INI"), "[SMSGW]\r\nModem1=Phone\r\n");
  PrepareConfigFiles();
  EXPECT_EQ(ReadIni(dir_.File("SMSGW.INI"), "SMSGW", "Modem1"), "Phone") << "an existing file is kept";
}

// The default queue and its route folders are created; a configured root is
// not, and a route folder that cannot be made falls back to the root.
TEST_F(DataDirectoryTest, QueueRootAndRouteFolders) {
  EXPECT_EQ(QueueDir(nullptr), dir_.File("Q\\"));
  EXPECT_TRUE(IsDirectory(dir_.File("Q").c_str()));
  EXPECT_EQ(QueueDir(""), dir_.File("Q\\"));
  EXPECT_EQ(QueueDir("SMPP - smsc.example.com:2775"), dir_.File("Q\\SMPP - smsc.example.com-2775\\"));
  EXPECT_TRUE(IsDirectory(dir_.File("Q\\SMPP - smsc.example.com-2775").c_str()));
  EXPECT_EQ(QueueDir("a/b\\c"), dir_.File("Q\\a-b-c\\"));
  WriteFileText(dir_.File("Q\\blocked"), "");
  EXPECT_EQ(QueueDir("blocked"), dir_.File("Q\\")) << "a plain file where the folder should be";

  std::string root = dir_.File("missing\\deeper");
  WritePrivateProfileStringA("SMSGW", "QDir", root.c_str(), g_configFiles.smsIni);
  EXPECT_EQ(QueueDir(nullptr), root + "\\");
  EXPECT_EQ(QueueDir("Modem - Phone"), root + "\\");
  EXPECT_FALSE(FileExists(dir_.File("missing")));
}

// Of the stores only those the console writes to are created; a configured
// folder gets its backslash.
TEST_F(DataDirectoryTest, StoreDirectoriesCreatedOnlyWhereTheConsoleWrites) {
  const struct {
    void (*getter)(char*);
    const char* folder;
    bool created;
  } stores[] = {{GetSmsInDirectory, "SMS-IN", false},
                {GetPhpDirectory, "PHP", false},
                {GetMmsInDirectory, "MMS-IN", true},
                {GetVaspQueueDirectory, "VASPQ", true}};
  for (const auto& store : stores) {
    EXPECT_EQ(Dir(store.getter), dir_.File(store.folder) + "\\");
    EXPECT_EQ(FileExists(dir_.File(store.folder)), store.created) << store.folder;
  }
  WritePrivateProfileStringA("SMSGW", "SmsInDir", "D:\\in", g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "VASPQDir", "D:\\vaspq\\", g_configFiles.mmscIni);
  EXPECT_EQ(Dir(GetSmsInDirectory), "D:\\in\\");
  EXPECT_EQ(Dir(GetVaspQueueDirectory), "D:\\vaspq\\");
}

// Empty text and switches off remove their key (never "No"), numbers are read
// up to their first non-digit, and text is cut to the buffer.
TEST_F(DataDirectoryTest, ValueConventionsOnDisk) {
  const char* ini = g_configFiles.smsIni;
  WriteIniTextOrRemove(ini, "SMSGW", "LogDirectory", "C:\\logs");
  EXPECT_EQ(ReadIni(ini, "SMSGW", "LogDirectory"), "C:\\logs");
  WriteIniTextOrRemove(ini, "SMSGW", "LogDirectory", "");
  WriteIniYesOrRemove(ini, "SMSGW", "Debug", true);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "Debug"), "Yes");
  EXPECT_TRUE(ReadIniSwitch(ini, "SMSGW", "Debug", ""));
  WriteIniYesOrRemove(ini, "SMSGW", "Debug", false);
  EXPECT_FALSE(ReadIniSwitch(ini, "SMSGW", "Debug", ""));
  WriteIniYesNo(ini, "SMSGW", "ReceiveSMS", false);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "ReceiveSMS"), "No");
  WriteIniNumber(ini, "SMSGW", "WebPort", 8800);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "WebPort"), "8800");
  RemoveIniKey(ini, "SMSGW", "WebPort");
  WritePrivateProfileStringA("SMSGW", "AlertEMailQueueSize", "25 messages", ini);
  EXPECT_EQ(ReadIniNumber(ini, "SMSGW", "AlertEMailQueueSize", "100"), 25u);
  EXPECT_EQ(ReadIniNumber(ini, "SMSGW", "Missing", "100"), 100u);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "LogDirectory", "-") + ReadIni(ini, "SMSGW", "Debug", "-") +
                ReadIni(ini, "SMSGW", "WebPort", "-"),
            "---")
      << "removed, never written empty or No";
  char cut[5];
  WritePrivateProfileStringA("SMSGW", "Modem1", "0123456789", ini);
  EXPECT_EQ(ReadIniText(ini, "SMSGW", "Modem1", "", cut, sizeof cut), 4u);
  EXPECT_STREQ(cut, "0123");
}

}  // namespace
