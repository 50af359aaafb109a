// The Status tab against the real service manager and stand-in services.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "app/console.h"
#include "common/file_util.h"
#include "monitor/clock.h"
#include "services/service_control.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
constexpr int kSmsQueueLabel = 101, kSmsQueue = 102, kInfo = 105, kStatus = 107, kRunAsService = 171;
constexpr int kStart = 172, kStop = 173, kMmsQueue = 175, kSentToday = 114, kSentLast7 = 115;
constexpr int kProcessedToday = 130, kSubmittedToday = 167;

SYSTEMTIME g_today;
void WINAPI FixedDay(SYSTEMTIME* now) { *now = g_today; }

std::string Text(HWND page, int id) { return InternalText(GetDlgItem(page, id)); }

// Whether the page paints a control in the alert colour.
bool DrawnRed(HWND page, int id) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(0, 0, 0));
  SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
  bool red = GetTextColor(dc) == RGB(255, 0, 0);
  DeleteDC(dc);
  return red;
}

class StatusPageTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    WritePrivateProfileStringA("SMSGW", "WebPort", "18800", dir_.File("SMSGW.INI").c_str());
    g_today = SYSTEMTIME{};
    g_today.wYear = 2013;
    g_today.wMonth = 1;
    g_today.wDay = 2;
    Clock().localTime = FixedDay;
  }
  void TearDown() override {
    Clock() = SystemClock();
    ServiceTest::TearDown();
  }
  void RunOnStatusPage(std::function<void(HWND)> action) {
    WindowDriver driver(kCaption, [&](HWND sheet) {
      action(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
      PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(ConsoleMain(""), 0);
  }
  static bool Shows(HWND page, int id, const std::string& text, DWORD ms = 5000) {
    return WaitUntil([&] { return Text(page, id) == text; }, ms);
  }
  void WriteCounter(const char* name, unsigned day, unsigned value) {
    std::string bytes(4 * day, '\0');
    for (int b = 0; b < 4; ++b) bytes[4 * (day - 1) + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
    CreateDirectoryA(dir_.File("STATS").c_str(), nullptr);
    WriteFileText(dir_.File("STATS\\") + name + "-2013.CTR", bytes);
  }
};

TEST_F(StatusPageTest, WithoutServicesEverythingReadsNotActiveInRed) {
  RunOnStatusPage([](HWND page) {
    EXPECT_EQ(Text(page, kStatus), "Service is NOT Installed");
    EXPECT_EQ(Text(page, kInfo), "Service is NOT active");
    EXPECT_TRUE(DrawnRed(page, kStatus));
    EXPECT_TRUE(DrawnRed(page, kInfo));
    EXPECT_FALSE(DrawnRed(page, kRunAsService)) << "other controls draw as usual";
    EXPECT_NE(IsDlgButtonChecked(page, kRunAsService), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kStart)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kStop)));
    EXPECT_EQ(Text(page, kSentToday), "") << "a counter of 0 shows nothing";
  });
}

TEST_F(StatusPageTest, RunningServicesModemErrorsAndCounters) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", dir_.File("SMSGW.INI").c_str());
  WritePrivateProfileStringA("SMSGW", "Modem3", "SMPP - smsc:2775", dir_.File("SMSGW.INI").c_str());
  WriteFileText(dir_.File("SMPP - smsc-2775.ERR"), "Bind failed");
  WriteCounter("SMSSENT", 2, 5);
  WriteCounter("MMSIN-VASP", 2, 3);
  WriteCounter("MMSIN-USER", 2, 4);
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil([] { return IsSmsServiceRunning() && IsMmsServiceRunning(); }, 5000));
  RunOnStatusPage([](HWND page) {
    EXPECT_TRUE(Shows(page, kStatus, "Service is Active"));
    EXPECT_FALSE(DrawnRed(page, kStatus));
    EXPECT_EQ(Text(page, kInfo), "SMPP - smsc:2775 : Bind failed\r\n") << "Modem3 is read though Modem2 is absent";
    EXPECT_TRUE(DrawnRed(page, kInfo));
    EXPECT_EQ(IsDlgButtonChecked(page, kRunAsService), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kStop)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kStart)));
    EXPECT_EQ(Text(page, kSentToday), "5");
    EXPECT_EQ(Text(page, kSentLast7), "5");
    EXPECT_EQ(Text(page, kProcessedToday), "7") << "MMS Processed sums its two counters";
    EXPECT_EQ(Text(page, kSubmittedToday), "");
  });
}

TEST_F(StatusPageTest, PortConflictsAreShownAndTheMmsServiceOnlyWhenSmsIsFine) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(18800);
  SOCKET taken = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  listen(taken, 1);
  ASSERT_TRUE(InstallServices(false));
  RemoveServiceDirectly("ZedMMSC");
  RunOnStatusPage([](HWND page) {
    EXPECT_TRUE(Shows(page, kStatus, "ERROR:  Web Port already in use")) << Text(page, kStatus);
    EXPECT_TRUE(DrawnRed(page, kStatus));
  });
  closesocket(taken);
  RemoveServiceDirectly("ZedSMS");
  ASSERT_TRUE(InstallServices(false));
  RemoveServiceDirectly("ZedMMSC");
  RunOnStatusPage([](HWND page) {
    EXPECT_TRUE(Shows(page, kStatus, "Service is NOT Installed")) << "the SMS service is fine, the MMS one missing";
    EXPECT_TRUE(DrawnRed(page, kStatus));
  });
  WSACleanup();
}

TEST_F(StatusPageTest, RemovingAsksAndNoKeepsTheServices) {
  ASSERT_TRUE(InstallServices(false));
  boxes_.Answer(IDNO);
  RunOnStatusPage([](HWND page) {
    ASSERT_TRUE(WaitUntil([&] { return IsDlgButtonChecked(page, kRunAsService) == BST_CHECKED; }, 5000));
    SendMessageA(GetDlgItem(page, kRunAsService), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsDlgButtonChecked(page, kRunAsService) == BST_CHECKED; }, 5000))
        << "the next refresh shows the real state";
    SendMessageA(GetDlgItem(page, kStop), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsSmsServiceRunning());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, kStart)) != FALSE; }, 5000));
    SendMessageA(GetDlgItem(page, kStart), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsSmsServiceRunning());
  });
  EXPECT_TRUE(IsSmsServiceInstalled());
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Remove Service");
  EXPECT_EQ(boxes[0].text, "Are you sure?");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
}

// The queues are counted at most every 10 seconds in a process: an hour on
// from every earlier count here.
TEST_F(StatusPageTest, QueueSizesAndTheAlertSize) {
  std::string q = dir_.File("Q\\");
  CreateDirectoryPath((q + "Modem - COM5-").c_str());
  for (int i = 0; i < 101; ++i)
    WriteFileText(q + (i % 2 ? "Modem - COM5-\\" : "") + "R" + std::to_string(i) + ".REQ", "[SMS]\r\n");
  std::string vaspq = dir_.File("VASPQ\\zedsmslite\\");
  CreateDirectoryPath(vaspq.c_str());
  for (const char* name : {"a", "b", "c"}) WriteFileText(vaspq + name + ".MMS", "");
  WriteFileText(vaspq + "a.INI", "");
  WriteFileText(vaspq + "b.INI", "");
  g_today.wHour = 1;
  RunOnStatusPage([](HWND page) {
    EXPECT_EQ(Text(page, kSmsQueue), "101");
    EXPECT_TRUE(DrawnRed(page, kSmsQueue)) << "101 is more than the alert size of 100";
    EXPECT_TRUE(DrawnRed(page, kSmsQueueLabel));
    EXPECT_EQ(Text(page, kMmsQueue), "2") << "an MMS counts only with its control file";
    EXPECT_FALSE(DrawnRed(page, kMmsQueue));
  });
}

}  // namespace
