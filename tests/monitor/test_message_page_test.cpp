// The Test Message page, following test messages through the running
// stand-in services (their outcome set in GATEWAYSIM.INI).
#include "monitor/test_message_page.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>

#include "common/file_util.h"
#include "config/config_files.h"
#include "monitor/clock.h"
#include "services/service_control.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kProduct[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kSheetCaption[] = "Test Sheet";
constexpr int kPhone = 102, kSendSms = 103, kSendMms = 104, kSmsStatus = 105, kSmsDetail = 106;
constexpr int kCancel = 107, kWebTest = 108, kMmsStatus = 111, kMmsDetail = 112;
constexpr int kWizardFinish = 0x3025;
const char kSent[] = "Status:  OK -- Message Sent";

SYSTEMTIME g_now;
void WINAPI FixedClock(SYSTEMTIME* now) { *now = g_now; }

std::string Text(HWND page, int id) { return InternalText(GetDlgItem(page, id)); }
bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
bool Visible(HWND page, int id) { return IsWindowVisible(GetDlgItem(page, id)) != FALSE; }

bool Shows(HWND page, int id, const std::string& text, DWORD ms = 15000) {
  return WaitUntil([&] { return Text(page, id) == text; }, ms);
}

void Click(HWND page, int id) {
  ASSERT_TRUE(WaitUntil([&] { return Enabled(page, id); }, 5000)) << "button " << id << " never enabled";
  SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

std::string TestName(DWORD id) {
  char name[16];
  wsprintfA(name, "TEST%04X", static_cast<unsigned>(id & 0xFFFF));
  return name;
}

class TestMessagePageTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    PrepareConfigFiles();
    WritePrivateProfileStringA("SMSGW", "WebPort", "18800", g_configFiles.smsIni);
    SimSetting("ZedSMS", "CycleMs", "1500");
    SimSetting("ZedMMSC", "CycleMs", "1500");
    char directory[MAX_PATH];
    GetQueueDirectory(directory);
    smsQueue_ = directory;
    GetVaspQueueDirectory(directory);
    mmsQueue_ = directory;
  }
  void TearDown() override {
    Clock() = SystemClock();
    ServiceTest::TearDown();
  }

  void SimSetting(const char* service, const char* key, const char* value) {
    WritePrivateProfileStringA(service, key, value, dir_.File("GATEWAYSIM.INI").c_str());
  }

  void StartServicesNow() {
    ASSERT_TRUE(InstallServices(false));
    ASSERT_TRUE(WaitUntil([] { return IsSmsServiceRunning() && IsMmsServiceRunning(); }, 10000));
  }

  void RunPage(DWORD sheetFlags, const std::function<void(HWND sheet, HWND page)>& action) {
    // A wizard is titled by its page.
    const char* caption = sheetFlags & PSH_WIZARD ? "Send Test Message" : kSheetCaption;
    RunPageInSheet(&sheet_, {"DIALOG_TESTMSG", "Send Test Message", TestMessagePageProc}, PSH_NOAPPLYNOW | sheetFlags,
                   caption, [&](HWND sheet, HWND page) {
                     action(sheet, page);
                     PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
                   });
  }
  void RunPage(const std::function<void(HWND sheet, HWND page)>& action) { RunPage(0, action); }

  std::string Log(const char* prefix, const SYSTEMTIME& day) {
    char name[40];
    wsprintfA(name, "%s-%04u%02u%02u.LOG", prefix, day.wYear, day.wMonth, day.wDay);
    return dir_.File(name);
  }

  std::string smsQueue_;
  std::string mmsQueue_;
  SheetContext sheet_;
};

TEST_F(TestMessagePageTest, EverythingIsDisabledWhileTheSmsServiceIsStopped) {
  RunPage([](HWND, HWND page) {
    EXPECT_FALSE(Enabled(page, kPhone));
    EXPECT_FALSE(Enabled(page, kSendSms));
    EXPECT_FALSE(Enabled(page, kSendMms));
    EXPECT_FALSE(Enabled(page, kWebTest));
    EXPECT_FALSE(Visible(page, kCancel)) << "Cancel only while a test is pending";
    SetDlgItemTextA(page, kPhone, "+4477");
    // The tick disables one button after the other; this thread may look in between.
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(page, kSendSms) && !Enabled(page, kSendMms); }, 3000))
        << "the next tick applies the full rule";
  });
}

TEST_F(TestMessagePageTest, OnlyAValidNumberEnablesSendingAndMmsNeedsItsService) {
  StartServicesNow();
  RunPage([](HWND, HWND page) {
    ASSERT_TRUE(WaitUntil([&] { return Enabled(page, kPhone) && Enabled(page, kWebTest); }, 3000));
    for (const char* invalid : {"", "+", "0770 0900", "0770-0900", "44a"}) {
      SetDlgItemTextA(page, kPhone, invalid);
      EXPECT_FALSE(Enabled(page, kSendSms)) << invalid;
      EXPECT_FALSE(Enabled(page, kSendMms)) << invalid;
    }
    SetDlgItemTextA(page, kPhone, "07700900123");
    EXPECT_TRUE(Enabled(page, kSendSms));
    SetDlgItemTextA(page, kPhone, "+447700900123");
    EXPECT_TRUE(Enabled(page, kSendSms));
    EXPECT_TRUE(Enabled(page, kSendMms));
    RemoveServiceDirectly("ZedMMSC");
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(page, kSendMms); }, 3000)) << "MMS needs its service";
    EXPECT_TRUE(Enabled(page, kSendSms));
  });
}

TEST_F(TestMessagePageTest, SmsIsFollowedThroughTheQueueToSent) {
  StartServicesNow();
  RunPage([&](HWND, HWND page) {
    SetDlgItemTextA(page, kPhone, "+4477");
    Click(page, kSendSms);
    std::string request = smsQueue_ + TestName(sheet_.testMessages.smsTestId) + ".REQ";
    EXPECT_TRUE(sheet_.testMessages.smsPending);
    EXPECT_EQ(Text(page, kSmsStatus), "Status:  Waiting");
    EXPECT_TRUE(Visible(page, kCancel));
    EXPECT_FALSE(Enabled(page, kSendSms)) << "one SMS test at a time";
    EXPECT_TRUE(FileExists(request) || sheet_.testMessages.smsDone);
    EXPECT_TRUE(Shows(page, kSmsStatus, kSent)) << Text(page, kSmsStatus);
    EXPECT_EQ(Text(page, kSmsDetail), "");
    EXPECT_FALSE(FileExists(request));
    EXPECT_TRUE(sheet_.testMessages.smsDone);
    EXPECT_TRUE(WaitUntil([&] { return !Visible(page, kCancel); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return Enabled(page, kSendSms); }, 3000)) << "another test may follow";
  });
}

TEST_F(TestMessagePageTest, FailingSmsShowsItsRetriesAndThenTheServicesError) {
  SimSetting("ZedSMS", "Outcome", "Fail");
  SimSetting("ZedSMS", "MaxRetries", "3");
  SimSetting("ZedSMS", "ErrorText", "+CMS ERROR: 38 Network out of order");
  StartServicesNow();
  RunPage([&](HWND, HWND page) {
    SetDlgItemTextA(page, kPhone, "4477");
    Click(page, kSendSms);
    EXPECT_TRUE(Shows(page, kSmsStatus, "Status:  Retry pending, 1 attempts")) << Text(page, kSmsStatus);
    EXPECT_TRUE(Shows(page, kSmsDetail, "Last Error Info:  +CMS ERROR: 38 Network out of order", 3000));
    EXPECT_TRUE(Shows(page, kSmsStatus, "Status:  Retry pending, 2 attempts"));
    EXPECT_TRUE(Shows(page, kSmsStatus, "Status:  ERROR")) << Text(page, kSmsStatus);
    EXPECT_TRUE(Shows(page, kSmsDetail, "+CMS ERROR: 38 Network out of order", 3000)) << Text(page, kSmsDetail);
  });
}

TEST_F(TestMessagePageTest, ModemErrorShowsOffLineAndCancelEndsTheTest) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", g_configFiles.smsIni);
  SimSetting("ZedSMS", "Outcome", "ModemError");
  SimSetting("ZedSMS", "ErrorText", "Modem not responding");
  SimSetting("ZedSMS", "CycleMs", "200");
  StartServicesNow();
  RunPage([&](HWND, HWND page) {
    SetDlgItemTextA(page, kPhone, "4477");
    Click(page, kSendSms);
    EXPECT_TRUE(Shows(page, kSmsStatus, "Status:  Modem Off-Line")) << Text(page, kSmsStatus);
    EXPECT_TRUE(Shows(page, kSmsDetail, "Modem not responding", 3000));
    EXPECT_TRUE(FileExists(dir_.File("COM5-.ERR")));
    Click(page, kCancel);
    // Status, detail and the pending flag change one after the other on the page's thread.
    EXPECT_TRUE(WaitUntil([&] { return Text(page, kSmsStatus).empty() && Text(page, kSmsDetail).empty() &&
                                       !sheet_.testMessages.smsPending; },
                          15000))
        << "cancelled: nothing found in the log; " << Text(page, kSmsStatus) << " / " << Text(page, kSmsDetail);
    EXPECT_TRUE(WaitUntil([&] { return !Visible(page, kCancel); }, 3000));
  });
  EXPECT_TRUE(IsSmsServiceRunning()) << "a free request needs no restart";
}

TEST_F(TestMessagePageTest, CancelStopsTheServicesWhileTheyHoldTheRequest) {
  SimSetting("ZedSMS", "Outcome", "Hold");
  SimSetting("ZedSMS", "CycleMs", "200");
  StartServicesNow();
  RunPage([&](HWND, HWND page) {
    SetDlgItemTextA(page, kPhone, "4477");
    Click(page, kSendSms);
    std::string request = smsQueue_ + TestName(sheet_.testMessages.smsTestId) + ".REQ";
    ASSERT_TRUE(FileExists(request));
    Sleep(800);  // a few service cycles: the service now holds it
    EXPECT_FALSE(DeleteFileA(request.c_str())) << "the service holds the request";
    Click(page, kCancel);
    EXPECT_FALSE(FileExists(request));
    EXPECT_TRUE(Shows(page, kSmsStatus, ""));
  });
  EXPECT_TRUE(WaitUntil([] { return IsSmsServiceRunning() && IsMmsServiceRunning(); }, 10000))
      << "started again after the delete";
  EXPECT_FALSE(ReadIni(dir_.File("GATEWAYSIM.INI"), "ZedSMS", "LastStop").empty()) << "they were stopped";
}

TEST_F(TestMessagePageTest, MmsIsFollowedToSentToRetriesAndToTheRoutesError) {
  StartServicesNow();
  RunPage([&](HWND, HWND page) {
    SetDlgItemTextA(page, kPhone, "+4477");
    Click(page, kSendMms);
    std::string name = TestName(sheet_.testMessages.mmsTestId);
    EXPECT_EQ(Text(page, kMmsStatus), "Status:  Waiting");
    EXPECT_EQ(ReadFileText(mmsQueue_ + name + ".MMS"), ReadFileText(ProgramFolder() + "MMSTEST.MMS"));
    EXPECT_TRUE(Shows(page, kMmsStatus, kSent)) << Text(page, kMmsStatus);
    EXPECT_FALSE(FileExists(mmsQueue_ + name + ".INI"));

    SimSetting("ZedMMSC", "Outcome", "Fail");
    SimSetting("ZedMMSC", "MaxRetries", "2");
    Click(page, kSendMms);
    name = TestName(sheet_.testMessages.mmsTestId);
    EXPECT_TRUE(Shows(page, kMmsStatus, "Status:  Retry pending, 1 attempts")) << Text(page, kMmsStatus);
    EXPECT_TRUE(Shows(page, kMmsDetail, "Last Error Info:  HTTP 503 Service Unavailable", 3000));
    EXPECT_TRUE(Shows(page, kMmsStatus, "Status:  ERROR"));
    EXPECT_TRUE(Shows(page, kMmsDetail, "HTTP 503 Service Unavailable," + name + ".MMS", 3000))
        << "the detail runs on into the message name: " << Text(page, kMmsDetail);

    SimSetting("ZedMMSC", "Outcome", "ModemError");
    SimSetting("ZedMMSC", "ErrorText", "No GPRS connection");
    Click(page, kSendMms);
    EXPECT_TRUE(Shows(page, kMmsStatus, "Status:  Connection Error")) << Text(page, kMmsStatus);
    EXPECT_TRUE(Shows(page, kMmsDetail, "No GPRS connection", 3000));
    EXPECT_TRUE(FileExists(dir_.File("MMSCROUTE--zedsmslite.ERR")));
    Click(page, kCancel);
    EXPECT_TRUE(Shows(page, kMmsStatus, ""));
  });
}

// The log is today's by the clock: a test that crosses midnight is found in
// the new day's log, however its lines end.
TEST_F(TestMessagePageTest, TheLogOfTheCurrentDayDecidesAndItsLinesAreReadWhole) {
  g_now = SYSTEMTIME{};
  g_now.wYear = 2012;
  g_now.wMonth = 5;
  g_now.wDay = 2;
  Clock().localTime = FixedClock;
  SYSTEMTIME yesterday = g_now;
  yesterday.wDay = 1;
  WriteFileText(Log("SMSOUT", yesterday), "t,TESTABCD.REQ,1,COM5:,ERROR yesterday\r\n");
  WriteFileText(Log("SMSOUT", g_now), "\x1a" "t,TESTABCD.REQ,1,COM5:,ERROR first try\r\r\n" +
                                          std::string(5000, 'x') + " t,TESTABCD.REQ,1,COM5:,ERROR inside\r\n" +
                                          "t,TESTABCD.REQ,1,COM5:,OK\n" + "t,TESTABCE.REQ,1,COM5:,ERROR other\n");
  WriteFileText(Log("MMSC", g_now), "t,OUT,1,zedsmslite,10,Timeout,TEST0042.MMS\r\nhalf a line still being wri");
  sheet_.testMessages.smsPending = true;
  sheet_.testMessages.smsTestId = 0x1ABCD;
  sheet_.testMessages.mmsPending = true;
  sheet_.testMessages.mmsTestId = 0x42;
  RunPage([&](HWND, HWND page) {
    EXPECT_TRUE(Shows(page, kSmsStatus, kSent, 3000)) << Text(page, kSmsStatus);
    EXPECT_EQ(Text(page, kSmsDetail), "");
    EXPECT_TRUE(Shows(page, kMmsStatus, "Status:  ERROR", 3000));
    EXPECT_TRUE(Shows(page, kMmsDetail, "Timeout,TEST0042.MMS", 3000));
  });
  EXPECT_TRUE(sheet_.testMessages.smsDone && sheet_.testMessages.mmsDone);
}

// A log line the service writes only after the request has gone comes too late.
TEST_F(TestMessagePageTest, ALogLineAfterTheRequestHasGoneIsNotSeen) {
  std::string request = smsQueue_ + "TEST0077.REQ";
  WriteFileText(request, "[SMS]\r\nPhoneNumber=1\r\n");
  sheet_.testMessages.smsPending = true;
  sheet_.testMessages.smsTestId = 0x77;
  RunPage([&](HWND, HWND page) {
    SetDlgItemTextA(page, kSmsStatus, "Status:  Waiting");
    Sleep(1500);
    EXPECT_EQ(Text(page, kSmsStatus), "Status:  Waiting") << "still queued";
    DeleteFileA(request.c_str());
    EXPECT_TRUE(Shows(page, kSmsStatus, "", 3000));
    SYSTEMTIME today;
    GetLocalTime(&today);
    WriteFileText(Log("SMSOUT", today), "t,TEST0077.REQ,1,COM5:,OK\r\n");
    Sleep(2500);
    EXPECT_EQ(Text(page, kSmsStatus), "");
  });
  EXPECT_FALSE(sheet_.testMessages.smsPending);
  EXPECT_TRUE(sheet_.testMessages.smsDone);
}

TEST_F(TestMessagePageTest, RequestFilesThatCannotBeCreatedAreReported) {
  StartServicesNow();
  std::string templatePath = ProgramFolder() + "MMSTEST.MMS";
  std::string savedTemplate = ReadFileText(templatePath);
  // Queue folders that are files: nothing can be created in them.
  WriteFileText(dir_.File("notafolder"), "");
  WritePrivateProfileStringA("SMSGW", "QDir", dir_.File("notafolder").c_str(), g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "VASPQDir", dir_.File("notafolder").c_str(), g_configFiles.mmscIni);
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  RunPage([&](HWND, HWND page) {
    SetDlgItemTextA(page, kPhone, "4477");
    Click(page, kSendSms);
    Click(page, kSendMms);
    DeleteFileA(templatePath.c_str());
    Click(page, kSendMms);
    EXPECT_FALSE(sheet_.testMessages.smsPending);
    EXPECT_FALSE(sheet_.testMessages.mmsPending);
    EXPECT_EQ(Text(page, kSmsStatus), "");
    EXPECT_EQ(Text(page, kMmsStatus), "");
    EXPECT_FALSE(Visible(page, kCancel));
  });
  WriteFileText(templatePath, savedTemplate);
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, kProduct);
  EXPECT_EQ(boxes[0].text, "Error creating SMS request file in queue");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes[1].caption, kProduct);
  EXPECT_EQ(boxes[1].text, "Error creating MMS request file in queue");
  EXPECT_EQ(boxes[1].icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes[2].caption, "Error locating MMS message template file");
  EXPECT_EQ(boxes[2].text, templatePath);
  EXPECT_EQ(boxes[2].icon, static_cast<UINT>(MB_ICONERROR));
}

class WebAddressTest : public TestMessagePageTest {
 protected:
  void SetUp() override {
    TestMessagePageTest::SetUp();
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    char old[1024] = "";
    DWORD size = sizeof old;
    hadCommand_ = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
                  ERROR_SUCCESS;
    oldCommand_ = old;
    std::string recorder = "\"" + ProgramFolder() + "RECORDARGS.EXE\" \"%1\"";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(recorder.c_str()),
                   static_cast<DWORD>(recorder.size() + 1));
    RegCloseKey(key);
    DeleteFileA(recordLog_.c_str());
  }
  void TearDown() override {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      if (hadCommand_)
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(oldCommand_.c_str()),
                       static_cast<DWORD>(oldCommand_.size() + 1));
      else
        RegDeleteValueA(key, nullptr);
      RegCloseKey(key);
    }
    TestMessagePageTest::TearDown();
  }
  // The address the browser was last given.
  std::string Opened(size_t count) {
    std::string log;
    WaitUntil([&] {
      log = ReadFileText(recordLog_);
      size_t lines = 0;
      for (char c : log) lines += c == '\n';
      return lines >= count;
    }, 10000);
    return log;
  }

  bool hadCommand_ = false;
  std::string oldCommand_;
  std::string recordLog_ = ProgramFolder() + "RECORDARGS.LOG";
};

TEST_F(WebAddressTest, DefaultsTo127001Port8800AndFollowsTheSettings) {
  WritePrivateProfileStringA("SMSGW", "WebPort", nullptr, g_configFiles.smsIni);
  StartServicesNow();
  RunPage([&](HWND, HWND page) {
    Click(page, kWebTest);
    EXPECT_NE(Opened(1).find("http://127.0.0.1:8800/"), std::string::npos) << Opened(1);
    WritePrivateProfileStringA("SMSGW", "WebPort", "0", g_configFiles.smsIni);
    WritePrivateProfileStringA("SMSGW", "IPAddress", "10.1.2.3", g_configFiles.smsIni);
    Click(page, kWebTest);
    EXPECT_NE(Opened(2).find("http://10.1.2.3:8800/"), std::string::npos) << "port 0 means 8800";
    WritePrivateProfileStringA("SMSGW", "WebPort", "9000", g_configFiles.smsIni);
    Click(page, kWebTest);
    EXPECT_NE(Opened(3).find("http://10.1.2.3:9000/"), std::string::npos);
  });
}

TEST_F(TestMessagePageTest, WizardFinishWaitsForATestToLeaveTheQueue) {
  // The services hold each test until the test lets them go on.
  SimSetting("ZedSMS", "Outcome", "Hold");
  SimSetting("ZedMMSC", "Outcome", "Hold");
  SimSetting("ZedSMS", "CycleMs", "200");
  SimSetting("ZedMMSC", "CycleMs", "200");
  StartServicesNow();
  RunPage(PSH_WIZARD, [&](HWND sheet, HWND page) {
    HWND finish = GetDlgItem(sheet, kWizardFinish);
    ASSERT_NE(finish, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(finish) && !IsWindowEnabled(finish); }, 3000))
        << "no test has been sent";
    SetDlgItemTextA(page, kPhone, "4477");
    Click(page, kSendSms);
    Sleep(2200);
    EXPECT_FALSE(IsWindowEnabled(finish)) << "disabled while the test is pending";
    SimSetting("ZedSMS", "Outcome", "Send");
    EXPECT_TRUE(Shows(page, kSmsStatus, kSent));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(finish) != FALSE; }, 3000)) << "a test has left the queue";
    Click(page, kSendMms);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(finish); }, 3000)) << "another test is pending";
    SimSetting("ZedMMSC", "Outcome", "Send");
    EXPECT_TRUE(Shows(page, kMmsStatus, kSent));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(finish) != FALSE; }, 3000));
  });
}

}  // namespace
