// The Server tab on the main sheet, against the real service manager.
#include "settings/settings_dialogs.h"

#include <prsht.h>

#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/service_fixture.h"

namespace {

constexpr int kServerPage = 2;

class ServerPageTest : public ServiceTest {
 protected:
  std::string Sms(const char* key) { return Key(dir_.File("SMSGW.INI"), "SMSGW", key); }
  std::string Mm7Port() { return Key(dir_.File("MMSC.INI"), "MMSC", "WebPort"); }
  // Waits for the once-a-second refresh to show the expected status.
  static bool ShowsStatus(HWND page, const char* status, const char* action) {
    return WaitUntil(
        [&] { return Text(page, IDC_SERVER_STATUS) == status && Text(page, IDC_SERVER_ACTION) == action; }, 5000);
  }

  SheetContext sheet_;
};

TEST_F(ServerPageTest, PortsAreLoadedAndAppliedAndTheActionFollowsTheServicesOfferingToSaveFirst) {
  WritePrivateProfileStringA("SMSGW", "SMPPPort", "2775", dir_.File("SMSGW.INI").c_str());
  WritePrivateProfileStringA("MMSC", "WebPort", "0", dir_.File("MMSC.INI").c_str());
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
    RemoveServiceDirectly("ZedMMSC");
    Click(page, IDC_SERVER_MM7_ENABLE);
    EXPECT_TRUE(Enabled(page, IDC_SERVER_MM7_PORT) && sheet_.configDirty && Enabled(sheet, kApplyButton));
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "12abc");
    SetDlgItemTextA(page, IDC_SERVER_MM7_PORT, "-1");
    Click(page, IDC_SERVER_SMPP_ENABLE);
    Click(page, IDC_SERVER_ACTION);  // Cancel: installs all the same, without saving
    EXPECT_TRUE(IsSmsServiceInstalled() && Sms("WebPort") == "<none>");
    EXPECT_TRUE(ShowsStatus(page, "Active", "Stop Service"));
    Click(page, IDC_SERVER_ACTION);  // running: stops both, no question
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Start Service"));
    Click(page, IDC_SERVER_ACTION);  // Yes: saves, then starts
    EXPECT_EQ(Sms("WebPort") + " " + Sms("SMPPPort") + " " + Mm7Port(), "12 <none> 4294967295");
    EXPECT_TRUE(!sheet_.configDirty && ShowsStatus(page, "Active", "Stop Service"));
    Click(page, IDC_SERVER_ACTION);
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Start Service"));
    Click(page, IDC_SERVER_ACTION);  // nothing unsaved: starts without asking
    EXPECT_TRUE(IsSmsServiceRunning());
    // Ticked with a zero port is no server either; no web port is the default.
    Click(page, IDC_SERVER_SMPP_ENABLE);
    SetDlgItemTextA(page, IDC_SERVER_SMPP_PORT, "0");
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "port");
    Close(sheet, IDOK);
  });
  RunConsoleSheet(&sheet_);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts(2, "question YesNoCancel: Save configuration changes?"));
  EXPECT_EQ(Sms("WebPort") + " " + Sms("SMPPPort"), "8800 <none>");
}

}  // namespace
