// The Test Message page, following test messages through the running
// stand-in services (their outcome set in GATEWAYSIM.INI, read every cycle).
// Which controls each state enables is the native tests' table; here, what
// each outcome shows.
#include "monitor/test_message_page.h"

#include <windows.h>
#include <prsht.h>

#include <string>

#include "config/config_files.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/dialog_items.h"
#include "support/service_fixture.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

bool Shows(HWND page, int id, const std::string& text, DWORD ms = 15000) {
  return WaitUntil([&] { return Text(page, id) == text; }, ms);
}

void ClickWhenEnabled(HWND page, int id) {
  ASSERT_TRUE(WaitUntil([&] { return Enabled(page, id); }, 5000)) << "button " << id << " never enabled";
  Click(page, id);
}

class TestMessagePageTest : public ServiceTest {
 protected:
  void SimSetting(const char* service, const char* key, const char* value) {
    WritePrivateProfileStringA(service, key, value, dir_.File("GATEWAYSIM.INI").c_str());
  }
  SheetContext sheet_;
};

// The page through its states in the wizard: an MMS test held by its service
// and cancelled, an SMS test failed after its retries, then no message template.
TEST_F(TestMessagePageTest, FollowsTestsThroughTheirOutcomes) {
  WritePrivateProfileStringA("SMSGW", "WebPort", "18800", g_configFiles.smsIni);
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", g_configFiles.smsIni);
  for (const char* service : {"ZedSMS", "ZedMMSC"}) SimSetting(service, "CycleMs", "1500");
  SimSetting("ZedMMSC", "Outcome", "Hold");
  SimSetting("ZedSMS", "Outcome", "Fail");
  SimSetting("ZedSMS", "MaxRetries", "2");
  SimSetting("ZedSMS", "ErrorText", "Network out of order");
  char mmsQueue[MAX_PATH];
  GetVaspQueueDirectory(mmsQueue);
  std::string templatePath = ProgramFolder() + "MMSTEST.MMS";
  std::string savedTemplate = ReadFileText(templatePath);
  boxes_.Answer(IDOK);
  // In the wizard, which is titled by its page.
  RunPageInSheet(&sheet_, {"DIALOG_TESTMSG", "Send Test Message", TestMessagePageProc}, PSH_WIZARD,
                 "Send Test Message", [&](HWND sheet, HWND page) {
    SetDlgItemTextA(page, IDC_TESTMSG_PHONE, "+4477");
    ASSERT_TRUE(InstallServices(false));
    ClickWhenEnabled(page, IDC_TESTMSG_SEND_MMS);
    char name[16];
    wsprintfA(name, "TEST%04X.MMS", static_cast<unsigned>(sheet_.testMessages.mmsTestId & 0xFFFF));
    const std::string queued = mmsQueue + std::string(name);
    // Opened without delete sharing, as a service holds a request it works on.
    EXPECT_TRUE(WaitUntil([&] {
      HANDLE file = CreateFileA(queued.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
      CloseHandle(file);
      return false;
    }, 5000));
    SendMessageA(page, WM_TIMER, 1, 0);  // one pass of the follow timer
    EXPECT_EQ(Text(page, IDC_TESTMSG_MMS_STATUS), "Status:  Waiting");
    EXPECT_EQ(ReadFileText(queued), savedTemplate) << "template cut";
    Click(page, IDC_TESTMSG_CANCEL);
    EXPECT_FALSE(FileExists(queued)) << "deleted while the services were stopped";
    // Both services stopped at once, and each kept its record.
    for (const char* service : {"ZedSMS", "ZedMMSC"})
      EXPECT_NE(ReadIni(dir_.File("GATEWAYSIM.INI"), service, "LastStop"), "") << service;
    EXPECT_TRUE(IsSmsServiceRunning() && IsMmsServiceRunning()) << "started again";

    ClickWhenEnabled(page, IDC_TESTMSG_SEND_SMS);
    EXPECT_TRUE(Shows(page, IDC_TESTMSG_SMS_STATUS, "Status:  Retry pending, 1 attempts"));
    EXPECT_TRUE(Shows(page, IDC_TESTMSG_SMS_DETAIL, "Last Error Info:  Network out of order", 3000));
    EXPECT_TRUE(Shows(page, IDC_TESTMSG_SMS_STATUS, "Status:  ERROR"));

    DeleteFileA(templatePath.c_str());
    ClickWhenEnabled(page, IDC_TESTMSG_SEND_MMS);
    WriteFileText(templatePath, savedTemplate);
    EXPECT_FALSE(sheet_.testMessages.mmsPending);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), std::vector<std::string>{"error OK [Error locating MMS message template file]: " + templatePath});
}

}  // namespace
