// The Server tab on the main sheet, against the real service manager, and
// the debug log switches on its last tab.
#include "settings/settings_dialogs.h"

#include <prsht.h>

#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/service_fixture.h"

namespace {

constexpr int kServerPage = 2;
constexpr int kDebugPage = 6;

class ServerPageTest : public ServiceTest {
 protected:
  std::string Sms(const char* key) { return Key(dir_.File("SMSGW.INI"), "SMSGW", key); }
  std::string Mmsc(const char* key) { return Key(dir_.File("MMSC.INI"), "MMSC", key); }
  // Waits for the once-a-second refresh to show the expected status.
  static bool ShowsStatus(HWND page, const char* status, const char* action) {
    return WaitUntil(
        [&] { return Text(page, IDC_SERVER_STATUS) == status && Text(page, IDC_SERVER_ACTION) == action; }, 5000);
  }

  SheetContext sheet_;
};

TEST_F(ServerPageTest, PortsDebugSwitchesAndTheActionFollowingTheServicesOfferingToSaveFirst) {
  WriteFileText(dir_.File("SMSGW.INI"), "[SMSGW]\r\nSMPPPort=2775\r\nDebug=1\r\n");
  WriteFileText(dir_.File("MMSC.INI"), "[MMSC]\r\nWebPort=0\r\nDebug=TRUE\r\n");
  WriteFileText(dir_.File("MMSWAP.INI"), "[MMSWAP]\r\nDebug=No\r\n");
  ASSERT_TRUE(CreateServiceDirectly("ZedMMSC", "Zed MMS Gateway Lite Edition", "C:\\x.exe"));
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDYES);
  WindowDriver driver(kProductCaption, [this](HWND sheet) {
    SendMessageA(sheet, PSM_SETCURSEL, kServerPage, 0);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    // No web port configured is the default; port 0 is no server.
    EXPECT_EQ(Text(page, IDC_SERVER_WEB_PORT) + " " + Text(page, IDC_SERVER_SMPP_PORT) + " " +
                  Text(page, IDC_SERVER_MM7_PORT), "8800 2775 ");
    EXPECT_TRUE(Checked(page, IDC_SERVER_SMPP_ENABLE) && Enabled(page, IDC_SERVER_SMPP_PORT));
    EXPECT_FALSE(Checked(page, IDC_SERVER_MM7_ENABLE) || Enabled(page, IDC_SERVER_MM7_PORT) || sheet_.configDirty);
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Install Service")) << "only one service installed";

    // Debug switches are read as true values.
    SendMessageA(sheet, PSM_SETCURSEL, kDebugPage, 0);
    HWND debug = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_TRUE(Checked(debug, IDC_DEBUGLOG_SMSGW) && Checked(debug, IDC_DEBUGLOG_MMSC));
    EXPECT_FALSE(Checked(debug, IDC_DEBUGLOG_MMSWAP) || Enabled(sheet, kApplyButton));
    Click(debug, IDC_DEBUGLOG_MMSC);
    Click(debug, IDC_DEBUGLOG_MMSWAP);
    EXPECT_TRUE(sheet_.configDirty && Enabled(sheet, kApplyButton));
    SendMessageA(sheet, PSM_SETCURSEL, kServerPage, 0);

    RemoveServiceDirectly("ZedMMSC");
    Click(page, IDC_SERVER_MM7_ENABLE);
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "12abc");
    SetDlgItemTextA(page, IDC_SERVER_MM7_PORT, "-1");
    Click(page, IDC_SERVER_SMPP_ENABLE);
    Click(page, IDC_SERVER_ACTION);  // Cancel: installs all the same, without saving
    EXPECT_TRUE(IsSmsServiceInstalled() && Sms("WebPort") == "<none>");
    EXPECT_TRUE(ShowsStatus(page, "Active", "Stop Service"));
    Click(page, IDC_SERVER_ACTION);  // running: stops both, no question
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Start Service"));
    Click(page, IDC_SERVER_ACTION);  // Yes: saves, then starts
    EXPECT_EQ(Sms("WebPort") + " " + Sms("SMPPPort") + " " + Mmsc("WebPort"), "12 <none> 4294967295");
    EXPECT_TRUE(!sheet_.configDirty && ShowsStatus(page, "Active", "Stop Service"));
    // Ticked with a zero port is no server either; no web port is the default.
    Click(page, IDC_SERVER_SMPP_ENABLE);
    SetDlgItemTextA(page, IDC_SERVER_SMPP_PORT, "0");
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "port");
    Close(sheet, IDOK);
  });
  RunConsoleSheet(&sheet_);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts(2, "question YesNoCancel: Save configuration changes?"));
  EXPECT_EQ(Sms("WebPort") + " " + Sms("SMPPPort"), "8800 <none>");
  EXPECT_EQ(Mmsc("Debug") + " " + ReadFileText(dir_.File("MMSWAP.INI")) + Sms("Debug"),
            "<none> [MMSWAP]\r\nDebug=Yes\r\nYes")
      << "an unchecked box removes the key, a checked one is Yes";
}

}  // namespace
