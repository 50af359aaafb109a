#include "config/config_files.h"

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "config/gwcore_api.h"
#include "support/test_env.h"

class DataDirectoryTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  std::string Dir(void (*getter)(char*)) {
    char buffer[MAX_PATH];
    getter(buffer);
    return buffer;
  }
  TempDataDirectory dir_{"config"};
};

TEST_F(DataDirectoryTest, CoreLibraryDirectoriesFollowTheOverrides) {
  char buffer[MAX_PATH];
  ASSERT_TRUE(GetProgramDataDirectory(buffer));
  EXPECT_EQ(std::string(buffer), dir_.Path());
  ASSERT_TRUE(GetPrivateDataDirectory(buffer));
  EXPECT_EQ(std::string(buffer), dir_.Path());
  ASSERT_TRUE(GetRealProgramDirectory(buffer));
  EXPECT_EQ(std::string(buffer), ProgramFolder());

  // An environment override wins over the registry, gets its backslash and
  // is created.
  std::string own = dir_.File("own\\place");
  SetEnvironmentVariableA("ZEDSMS_PROGRAM_DATA_DIR", own.c_str());
  GetProgramDataDirectory(buffer);
  SetEnvironmentVariableA("ZEDSMS_PROGRAM_DATA_DIR", nullptr);
  EXPECT_EQ(std::string(buffer), own + "\\");
  EXPECT_TRUE(IsDirectory(own.c_str()));

  std::string privateDir = dir_.File("private\\");
  dir_.SetPrivateDirectory(privateDir);
  GetPrivateDataDirectory(buffer);
  EXPECT_EQ(std::string(buffer), privateDir);
}

TEST_F(DataDirectoryTest, PrivateDirectoryDefaultsToTheProgramDataDirectory) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZedSMS Lite", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "PrivateDataDirectory");
  RegCloseKey(key);
  char buffer[MAX_PATH];
  GetPrivateDataDirectory(buffer);
  EXPECT_EQ(std::string(buffer), dir_.Path());
}

TEST_F(DataDirectoryTest, StartUpCreatesEmptyConfigurationFilesAndKeepsExistingOnes) {
  EXPECT_EQ(std::string(g_configFiles.smsIni), dir_.File("SMSGW.INI"));
  EXPECT_EQ(std::string(g_configFiles.mmscIni), dir_.File("MMSC.INI"));
  EXPECT_TRUE(IsPlainFile(g_configFiles.smsIni));
  EXPECT_EQ(ReadFileText(dir_.File("SMSGW.INI")), "");
  EXPECT_EQ(ReadFileText(dir_.File("MMSC.INI")), "");
  WriteFileText(dir_.File("SMSGW.INI"), "[SMSGW]\r\nModem1=Phone\r\n");
  PrepareConfigFiles();
  EXPECT_EQ(ReadIni(dir_.File("SMSGW.INI"), "SMSGW", "Modem1"), "Phone");
}

TEST_F(DataDirectoryTest, QueueDirectoryDefaultIsCreated) {
  EXPECT_EQ(Dir([](char* b) { GetQueueDirectory(b); }), dir_.File("Q\\"));
  EXPECT_TRUE(IsDirectory(dir_.File("Q").c_str()));
  EXPECT_EQ(Dir([](char* b) { GetQueueDirectory(b, ""); }), dir_.File("Q\\"));
}

TEST_F(DataDirectoryTest, ConfiguredQueueDirectoryGetsABackslashAndIsNotCreated) {
  std::string configured = dir_.File("elsewhere");
  WritePrivateProfileStringA("SMSGW", "QDir", configured.c_str(), g_configFiles.smsIni);
  EXPECT_EQ(Dir([](char* b) { GetQueueDirectory(b); }), configured + "\\");
  EXPECT_FALSE(FileExists(configured));
  EXPECT_FALSE(FileExists(dir_.File("Q")));
}

TEST_F(DataDirectoryTest, RouteFolderTurnsSeparatorsIntoHyphens) {
  EXPECT_EQ(Dir([](char* b) { GetQueueDirectory(b, "SMPP - smsc.example.com:2775"); }),
            dir_.File("Q\\SMPP - smsc.example.com-2775\\"));
  EXPECT_TRUE(IsDirectory(dir_.File("Q\\SMPP - smsc.example.com-2775").c_str()));
  EXPECT_EQ(Dir([](char* b) { GetQueueDirectory(b, "a/b\\c"); }), dir_.File("Q\\a-b-c\\"));
}

TEST_F(DataDirectoryTest, RouteFolderThatCannotBeMadeFallsBackToTheRoot) {
  // The configured root does not exist, so no route folder can be made in it.
  std::string root = dir_.File("missing\\deeper");
  WritePrivateProfileStringA("SMSGW", "QDir", root.c_str(), g_configFiles.smsIni);
  EXPECT_EQ(Dir([](char* b) { GetQueueDirectory(b, "Modem - Phone"); }), root + "\\");
  // A plain file where the route folder should be.
  WritePrivateProfileStringA("SMSGW", "QDir", nullptr, g_configFiles.smsIni);
  CreateDirectoryA(dir_.File("Q").c_str(), nullptr);
  WriteFileText(dir_.File("Q\\blocked"), "");
  EXPECT_EQ(Dir([](char* b) { GetQueueDirectory(b, "blocked"); }), dir_.File("Q\\"));
}

TEST_F(DataDirectoryTest, StoreDirectoriesAndWhichAreCreated) {
  EXPECT_EQ(Dir(GetSmsInDirectory), dir_.File("SMS-IN\\"));
  EXPECT_FALSE(FileExists(dir_.File("SMS-IN")));
  EXPECT_EQ(Dir(GetPhpDirectory), dir_.File("PHP\\"));
  EXPECT_FALSE(FileExists(dir_.File("PHP")));
  EXPECT_EQ(Dir(GetMmsInDirectory), dir_.File("MMS-IN\\"));
  EXPECT_TRUE(IsDirectory(dir_.File("MMS-IN").c_str()));
  EXPECT_EQ(Dir(GetVaspQueueDirectory), dir_.File("VASPQ\\"));
  EXPECT_TRUE(IsDirectory(dir_.File("VASPQ").c_str()));

  WritePrivateProfileStringA("SMSGW", "SmsInDir", "D:\\in", g_configFiles.smsIni);
  WritePrivateProfileStringA("SMSGW", "MMSDir", "D:\\mms\\", g_configFiles.smsIni);
  WritePrivateProfileStringA("SMSGW", "PHPDir", "D:\\php", g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "VASPQDir", "D:\\vaspq", g_configFiles.mmscIni);
  EXPECT_EQ(Dir(GetSmsInDirectory), "D:\\in\\");
  EXPECT_EQ(Dir(GetMmsInDirectory), "D:\\mms\\");
  EXPECT_EQ(Dir(GetPhpDirectory), "D:\\php\\");
  EXPECT_EQ(Dir(GetVaspQueueDirectory), "D:\\vaspq\\");
}

TEST_F(DataDirectoryTest, ValueConventionsOnDisk) {
  const char* ini = g_configFiles.smsIni;
  WriteIniTextOrRemove(ini, "SMSGW", "LogDirectory", "C:\\logs");
  EXPECT_EQ(ReadIni(ini, "SMSGW", "LogDirectory"), "C:\\logs");
  WriteIniTextOrRemove(ini, "SMSGW", "LogDirectory", "");
  EXPECT_EQ(ReadIni(ini, "SMSGW", "LogDirectory", "<absent>"), "<absent>") << "empty text removes the key";

  WriteIniYesOrRemove(ini, "SMSGW", "Debug", true);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "Debug"), "Yes");
  EXPECT_TRUE(ReadIniSwitch(ini, "SMSGW", "Debug", ""));
  WriteIniYesOrRemove(ini, "SMSGW", "Debug", false);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "Debug", "<absent>"), "<absent>") << "off removes, never writes No";
  EXPECT_FALSE(ReadIniSwitch(ini, "SMSGW", "Debug", ""));

  WriteIniYesNo(ini, "SMSGW", "ReceiveSMS", false);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "ReceiveSMS"), "No");
  WriteIniYesNo(ini, "SMSGW", "ReceiveSMS", true);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "ReceiveSMS"), "Yes");

  WriteIniNumber(ini, "SMSGW", "WebPort", 8800);
  EXPECT_EQ(ReadIni(ini, "SMSGW", "WebPort"), "8800");
  EXPECT_EQ(ReadIniNumber(ini, "SMSGW", "WebPort", ""), 8800u);
  WritePrivateProfileStringA("SMSGW", "AlertEMailQueueSize", "25 messages", ini);
  EXPECT_EQ(ReadIniNumber(ini, "SMSGW", "AlertEMailQueueSize", "100"), 25u);
  EXPECT_EQ(ReadIniNumber(ini, "SMSGW", "Missing", "100"), 100u);
  RemoveIniKey(ini, "SMSGW", "WebPort");
  EXPECT_EQ(ReadIniNumber(ini, "SMSGW", "WebPort", ""), 0u);

  WritePrivateProfileStringA("SMSGW", "Modem1", "0123456789", ini);
  char cut[5];
  EXPECT_EQ(ReadIniText(ini, "SMSGW", "Modem1", "", cut, sizeof cut), 4u);
  EXPECT_STREQ(cut, "0123");
}
