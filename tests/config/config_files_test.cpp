// Where the configuration and the message stores are, and how values are
// kept in the INI files.
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

class ConfigFilesTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  TempDataDirectory dir_{"config"};
};

// An environment override wins over the registry, gets its backslash and is
// created; the private data defaults to the program data. Start-up creates
// the configuration files empty and keeps existing ones.
TEST_F(ConfigFilesTest, DataDirectoriesFollowTheOverridesAndStartUpKeepsTheConfiguration) {
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
  EXPECT_EQ(Dir([](char* b) { GetPrivateDataDirectory(b); }), dir_.Path());

  EXPECT_EQ(std::string(g_configFiles.smsIni) + "|" + g_configFiles.mmscIni, dir_.File("SMSGW.INI|") + dir_.File("MMSC.INI"));
  EXPECT_TRUE(IsPlainFile(g_configFiles.smsIni) && IsPlainFile(g_configFiles.mmscIni));
  WriteFileText(dir_.File("SMSGW.INI"), "[SMSGW]\r\nModem1=Phone\r\n");
  PrepareConfigFiles();
  EXPECT_EQ(ReadFileText(dir_.File("SMSGW.INI")), "[SMSGW]\r\nModem1=Phone\r\n");
}

// The default queue and its route folders (named as files) are created, a
// configured root is not, and a route folder that cannot be made falls back
// to the root. Of the stores only those the console writes to are created.
TEST_F(ConfigFilesTest, QueueRouteFoldersAndStores) {
  EXPECT_EQ(QueueDir(nullptr), dir_.File("Q\\"));
  EXPECT_EQ(QueueDir("SMPP - smsc.example.com:2775"), dir_.File("Q\\SMPP - smsc.example.com-2775\\"));
  EXPECT_TRUE(IsDirectory(dir_.File("Q\\SMPP - smsc.example.com-2775").c_str()));
  WriteFileText(dir_.File("Q\\blocked"), "");
  EXPECT_EQ(QueueDir("blocked"), dir_.File("Q\\")) << "a plain file where the folder should be";
  std::string root = dir_.File("missing\\deeper");
  WritePrivateProfileStringA("SMSGW", "QDir", root.c_str(), g_configFiles.smsIni);
  EXPECT_EQ(QueueDir("Modem - Phone"), root + "\\");
  EXPECT_FALSE(FileExists(dir_.File("missing")));

  const struct {
    void (*getter)(char*);
    const char* folder;
    bool created;
  } stores[] = {{GetSmsInDirectory, "SMS-IN", false}, {GetPhpDirectory, "PHP", false},
                {GetMmsInDirectory, "MMS-IN", true}, {GetVaspQueueDirectory, "VASPQ", true}};
  for (const auto& store : stores) {
    EXPECT_EQ(Dir(store.getter), dir_.File(store.folder) + "\\");
    EXPECT_EQ(FileExists(dir_.File(store.folder)), store.created) << store.folder;
  }
  WritePrivateProfileStringA("SMSGW", "SmsInDir", "D:\\in", g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "VASPQDir", "D:\\vaspq\\", g_configFiles.mmscIni);
  EXPECT_EQ(Dir(GetSmsInDirectory) + "|" + Dir(GetVaspQueueDirectory), "D:\\in\\|D:\\vaspq\\");
}

}  // namespace
