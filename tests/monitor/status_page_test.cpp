// The Status tab against the real service manager and stand-in services.
#include <windows.h>
#include <prsht.h>

#include "common/file_util.h"
#include "monitor/clock.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/dialog_items.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

SYSTEMTIME g_now;
void WINAPI FixedTime(SYSTEMTIME* now) { *now = g_now; }

bool Shows(HWND page, int id, const std::string& text) {
  return WaitUntil([&] { return Text(page, id) == text; }, 10000);
}

class StatusPageTest : public ServiceTest {
 protected:
  void TearDown() override {
    Clock() = SystemClock();
    ServiceTest::TearDown();
  }
  // A counter file ("SMSSENT-2013") holding values on the days given.
  void WriteCounter(const std::string& name, std::initializer_list<std::pair<unsigned, unsigned>> days) {
    std::string bytes(4 * 366, '\0');
    for (auto [day, value] : days)
      for (int b = 0; b < 4; ++b) bytes[4 * (day - 1) + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
    CreateDirectoryA(dir_.File("STATS").c_str(), nullptr);
    WriteFileText(dir_.File("STATS\\") + name + ".CTR", bytes);
  }
  SheetContext sheet_;
};

// The page through its states: queue counts, counters by the clock, and the
// services from absent to active with a connection's error; removing them asks.
TEST_F(StatusPageTest, FollowsQueuesCountersAndServicesFromAbsentToActive) {
  const std::string ini = dir_.File("SMSGW.INI");
  WritePrivateProfileStringA("SMSGW", "WebPort", "18800", ini.c_str());
  g_now = SYSTEMTIME{2013, 1, 0, 2};
  Clock().localTime = FixedTime;
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", ini.c_str());
  WritePrivateProfileStringA("SMSGW", "Modem3", "SMPP - smsc:2775", ini.c_str());
  WriteFileText(dir_.File("SMPP - smsc-2775.ERR"), std::string(300, 'e'));
  WriteCounter("SMSSENT-2013", {{2, 5}});
  // 2012 is a leap year: its day 366 is within the last 7 days of 2 January.
  WriteCounter("SMSSENT-2012", {{366, 1000}});
  WriteCounter("MMSIN-VASP-2013", {{2, 3}});
  WriteCounter("MMSIN-USER-2013", {{2, 4}});
  std::string q = dir_.File("Q\\");
  CreateDirectoryPath((q + "Modem - COM5-").c_str());
  for (int i = 0; i < 101; ++i)
    WriteFileText(q + (i % 2 ? "Modem - COM5-\\" : "") + "R" + std::to_string(i) + ".REQ", "[SMS]\r\n");
  WindowDriver driver(kProductCaption, [&](HWND sheet) {
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_EQ(Text(page, IDC_STATUS_SMS_QUEUE_COUNT), "101");
    // Counters show whatever the services do; MMS Processed sums two counters, 0 shows nothing.
    EXPECT_EQ(Text(page, IDC_STATUS_SMS_SENT_TODAY) + "," + Text(page, IDC_STATUS_SMS_SENT_LAST7) + "," +
                  Text(page, IDC_STATUS_MMS_PROCESSED_TODAY) + "," + Text(page, IDC_STATUS_SMS_SUBMITTED_TODAY),
              "5,1005,7,");
    // Written twice within one tick of the file clock, same size: each count
    // shows, not a copy kept from the read before.
    FILETIME tick;
    GetSystemTimeAsFileTime(&tick);
    for (unsigned user : {5u, 6u}) {
      WriteCounter("MMSIN-USER-2013", {{2, user}});
      HANDLE file = CreateFileA(dir_.File("STATS\\MMSIN-USER-2013.CTR").c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
      SetFileTime(file, nullptr, nullptr, &tick);
      CloseHandle(file);
      SendMessageA(page, WM_TIMER, 1, 0);  // one pass of the refresh timer
      EXPECT_EQ(Text(page, IDC_STATUS_MMS_PROCESSED_TODAY), std::to_string(3 + user));
    }

    ASSERT_TRUE(InstallServices(false));
    EXPECT_TRUE(Shows(page, IDC_STATUS_SERVICE_TEXT, "Service is Active"));
    EXPECT_TRUE(Shows(page, IDC_STATUS_INFO_TEXT, "SMPP - smsc:2775 : " + std::string(250, 'e') + "\r\n"))
        << "Modem3 is read though Modem2 is absent, its error text cut at 250 bytes";
    // Unticking asks; No keeps the services.
    boxes_.Answer(IDNO);
    Click(page, IDC_STATUS_RUN_AS_SERVICE);
    EXPECT_TRUE(IsSmsServiceInstalled() && IsMmsServiceInstalled());
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  RunConsoleSheet(&sheet_);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), std::vector<std::string>{"question YesNoCancel [Remove Service]: Are you sure?"});
}

}  // namespace
