// The Test Message page, following test messages through the running
// stand-in services (their outcome set in GATEWAYSIM.INI, read every cycle).
// Which controls each state enables is the native tests' table; here, what
// each outcome shows.
#include "monitor/test_message_page.h"

#include <windows.h>
#include <prsht.h>

#include <functional>
#include <string>

#include "config/config_files.h"
#include "monitor/clock.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/dialog_items.h"
#include "support/service_fixture.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

SYSTEMTIME g_now;
void WINAPI FixedClock(SYSTEMTIME* now) { *now = g_now; }

// One pass of the page's follow timer, done before this returns.
void Tick(HWND page) { SendMessageA(page, WM_TIMER, 1, 0); }

bool Shows(HWND page, int id, const std::string& text, DWORD ms = 15000) {
  return WaitUntil([&] { return Text(page, id) == text; }, ms);
}

void ClickWhenEnabled(HWND page, int id) {
  ASSERT_TRUE(WaitUntil([&] { return Enabled(page, id); }, 5000)) << "button " << id << " never enabled";
  Click(page, id);
}

class TestMessagePageTest : public ServiceTest {
 protected:
  void TearDown() override {
    Clock() = SystemClock();
    ServiceTest::TearDown();
  }
  void SimSetting(const char* service, const char* key, const char* value) {
    WritePrivateProfileStringA(service, key, value, dir_.File("GATEWAYSIM.INI").c_str());
  }
  std::string LastStop(const char* service) { return ReadIni(dir_.File("GATEWAYSIM.INI"), service, "LastStop"); }
  SheetContext sheet_;
};

// The page through its states in the wizard: a test left queued from before
// decided by the last line of today's log (by the clock), once it has gone;
// each kind of test held by its service and
// cancelled; failed after its retries; cancelled while its connection is out
// of order. Then no message template.
TEST_F(TestMessagePageTest, FollowsEachKindOfTestThroughEveryOutcome) {
  WritePrivateProfileStringA("SMSGW", "WebPort", "18800", g_configFiles.smsIni);
  SimSetting("ZedSMS", "CycleMs", "1500");
  SimSetting("ZedMMSC", "CycleMs", "1500");
  char smsQueue[MAX_PATH], mmsQueue[MAX_PATH];
  GetQueueDirectory(smsQueue);
  GetVaspQueueDirectory(mmsQueue);
  g_now = SYSTEMTIME{2012, 5, 0, 2};
  Clock().localTime = FixedClock;
  std::string log = dir_.File("SMSOUT-20120502.LOG");
  WriteFileText(log, "t,TESTABCD.REQ,1,COM5:,ERROR first try\r\n" + std::string(5000, 'x') +
                         " t,TESTABCD.REQ,1,COM5:,ERROR inside\r\nt,TESTABCD.REQ,1,COM5:,OK\n");
  std::string request = std::string(smsQueue) + "TESTABCD.REQ";
  WriteFileText(request, "[SMS]\r\nPhoneNumber=1\r\n");
  sheet_.testMessages.smsPending = true;
  sheet_.testMessages.smsTestId = 0x1ABCD;
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", g_configFiles.smsIni);
  const struct Kind {
    const char* service;
    int send, status, detail;
    DWORD TestMessageState::*id;
    const char *extension, *unusableStatus;
  } kinds[] = {
      {"ZedSMS", IDC_TESTMSG_SEND_SMS, IDC_TESTMSG_SMS_STATUS, IDC_TESTMSG_SMS_DETAIL, &TestMessageState::smsTestId,
       ".REQ", "Status:  Modem Off-Line"},
      {"ZedMMSC", IDC_TESTMSG_SEND_MMS, IDC_TESTMSG_MMS_STATUS, IDC_TESTMSG_MMS_DETAIL, &TestMessageState::mmsTestId,
       ".MMS", "Status:  Connection Error"},
  };
  for (const Kind& kind : kinds) {
    SimSetting(kind.service, "MaxRetries", "2");
    SimSetting(kind.service, "ErrorText", "Network out of order");
  }
  std::string templatePath = ProgramFolder() + "MMSTEST.MMS";
  std::string savedTemplate = ReadFileText(templatePath);
  boxes_.Answer(IDOK);
  // In the wizard, which is titled by its page.
  RunPageInSheet(&sheet_, {"DIALOG_TESTMSG", "Send Test Message", TestMessagePageProc}, PSH_WIZARD,
                 "Send Test Message", [&](HWND sheet, HWND page) {
    Tick(page);
    EXPECT_EQ(Text(page, IDC_TESTMSG_SMS_STATUS), "") << "still queued";
    DeleteFileA(request.c_str());
    Tick(page);
    EXPECT_EQ(Text(page, IDC_TESTMSG_SMS_STATUS), "Status:  OK -- Message Sent");
    Clock() = SystemClock();
    SetDlgItemTextA(page, IDC_TESTMSG_PHONE, "+4477");
    ASSERT_TRUE(InstallServices(false));
    for (const Kind& kind : kinds) {
      SCOPED_TRACE(kind.service);
      SimSetting(kind.service, "Outcome", "Hold");
      ClickWhenEnabled(page, kind.send);
      char queued[MAX_PATH];
      wsprintfA(queued, "%sTEST%04X%s", kind.send == IDC_TESTMSG_SEND_SMS ? smsQueue : mmsQueue,
                static_cast<unsigned>(sheet_.testMessages.*kind.id & 0xFFFF), kind.extension);
      // Opened without delete sharing, as a service holds a request it works on.
      EXPECT_TRUE(WaitUntil([&] {
        HANDLE file = CreateFileA(queued, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
        CloseHandle(file);
        return false;
      }, 5000));
      Tick(page);
      EXPECT_EQ(Text(page, kind.status), "Status:  Waiting");
      EXPECT_TRUE(kind.send == IDC_TESTMSG_SEND_SMS || ReadFileText(queued) == savedTemplate) << "template cut";
      Click(page, IDC_TESTMSG_CANCEL);
      EXPECT_FALSE(FileExists(queued)) << "deleted while the services were stopped";
      EXPECT_NE(LastStop(kind.service), "");
      EXPECT_TRUE(IsSmsServiceRunning() && IsMmsServiceRunning()) << "started again";

      SimSetting(kind.service, "Outcome", "Fail");
      ClickWhenEnabled(page, kind.send);
      EXPECT_TRUE(Shows(page, kind.status, "Status:  Retry pending, 1 attempts")) << Text(page, kind.status);
      EXPECT_TRUE(Shows(page, kind.detail, "Last Error Info:  Network out of order", 3000));
      EXPECT_TRUE(Shows(page, kind.status, "Status:  ERROR"));
      EXPECT_TRUE(WaitUntil([&] { return Text(page, kind.detail).rfind("Network out of order", 0) == 0; }, 3000));

      SimSetting(kind.service, "LastStop", "");
      SimSetting(kind.service, "Outcome", "ModemError");
      ClickWhenEnabled(page, kind.send);
      EXPECT_TRUE(Shows(page, kind.status, kind.unusableStatus)) << Text(page, kind.status);
      EXPECT_TRUE(Shows(page, kind.detail, "Network out of order", 3000));
      Click(page, IDC_TESTMSG_CANCEL);
      EXPECT_EQ(LastStop(kind.service), "") << "a request no service holds needs no stop";
    }
    DeleteFileA(templatePath.c_str());
    ClickWhenEnabled(page, IDC_TESTMSG_SEND_MMS);
    WriteFileText(templatePath, savedTemplate);
    EXPECT_FALSE(sheet_.testMessages.mmsPending);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), std::vector<std::string>{"error OK [Error locating MMS message template file]: " + templatePath});
}

}  // namespace
