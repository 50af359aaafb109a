// The Server tab on the main sheet, against the real service manager.
#include <windows.h>
#include <prsht.h>

#include "resources/page_ids.h"
#include "services/service_control.h"
#include "settings/settings_dialogs.h"
#include "support/dialog_items.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

constexpr int kServerPage = 2;

class ServerPageTest : public ServiceTest {
 protected:
  std::string SmsIni() { return dir_.File("SMSGW.INI"); }
  std::string MmscIni() { return dir_.File("MMSC.INI"); }
  void RunOnServerPage(const std::function<void(HWND, HWND)>& action) {
    WindowDriver driver(kProductCaption, [&](HWND sheet) {
      SendMessageA(sheet, PSM_SETCURSEL, kServerPage, 0);
      action(sheet, PropSheet_GetCurrentPageHwnd(sheet));
    });
    RunConsoleSheet(&sheet_);
  }
  static void Close(HWND sheet, int button) { PostMessageA(sheet, WM_COMMAND, button, 0); }
  // Waits for the once-a-second refresh to show the expected status.
  static bool ShowsStatus(HWND page, const char* status, const char* action) {
    return WaitUntil(
        [&] { return Text(page, IDC_SERVER_STATUS) == status && Text(page, IDC_SERVER_ACTION) == action; }, 5000);
  }

  SheetContext sheet_;
};

TEST_F(ServerPageTest, PortsAreLoadedEnabledByTheirBoxesAndApplied) {
  WritePrivateProfileStringA("SMSGW", "SMPPPort", "2775", SmsIni().c_str());
  WritePrivateProfileStringA("MMSC", "WebPort", "0", MmscIni().c_str());
  RunOnServerPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, IDC_SERVER_WEB_PORT), "8800") << "no web port configured";
    EXPECT_TRUE(Checked(page, IDC_SERVER_SMPP_ENABLE));
    EXPECT_EQ(Text(page, IDC_SERVER_SMPP_PORT), "2775");
    EXPECT_TRUE(Enabled(page, IDC_SERVER_SMPP_PORT));
    EXPECT_TRUE(Enabled(page, IDC_SERVER_SMPP_PORT_LABEL));
    EXPECT_FALSE(Checked(page, IDC_SERVER_MM7_ENABLE)) << "a zero port is no server";
    EXPECT_EQ(Text(page, IDC_SERVER_MM7_PORT), "");
    EXPECT_FALSE(Enabled(page, IDC_SERVER_MM7_PORT));
    EXPECT_FALSE(Enabled(page, IDC_SERVER_MM7_PORT_LABEL));
    EXPECT_FALSE(sheet_.configDirty) << "loading is no edit";
    EXPECT_FALSE(Enabled(sheet, kApplyButton));
    Click(page, IDC_SERVER_MM7_ENABLE);
    EXPECT_TRUE(Enabled(page, IDC_SERVER_MM7_PORT));
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "12abc");
    SetDlgItemTextA(page, IDC_SERVER_MM7_PORT, "-1");
    Click(page, IDC_SERVER_SMPP_ENABLE);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort"), "12");
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "SMPPPort", "<none>"), "<none>") << "unticked";
  EXPECT_EQ(ReadIni(MmscIni(), "MMSC", "WebPort"), "4294967295");
  EXPECT_FALSE(sheet_.configDirty);

  WritePrivateProfileStringA("SMSGW", "SMPPPort", "2775", SmsIni().c_str());
  RunOnServerPage([](HWND sheet, HWND page) {
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "port");
    SetDlgItemTextA(page, IDC_SERVER_SMPP_PORT, "0");
    Close(sheet, IDOK);
  });
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort"), "8800");
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "SMPPPort", "<none>"), "<none>") << "ticked with a zero port";
}

TEST_F(ServerPageTest, TheActionFollowsTheServicesAndOffersToSaveBeforeInstalling) {
  ASSERT_TRUE(CreateServiceDirectly("ZedMMSC", "Zed MMS Gateway Lite Edition", "C:\\x.exe"));
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDYES);
  RunOnServerPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Install Service")) << "only one service installed";
    RemoveServiceDirectly("ZedMMSC");
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "18800");
    Click(page, IDC_SERVER_ACTION);  // Cancel: installs all the same, without saving
    EXPECT_TRUE(IsSmsServiceInstalled());
    EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort", "<none>"), "<none>");
    EXPECT_TRUE(ShowsStatus(page, "Active", "Stop Service"));
    Click(page, IDC_SERVER_ACTION);  // running: stops both, no question
    EXPECT_FALSE(IsSmsServiceRunning());
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Start Service"));
    SetDlgItemTextA(page, IDC_SERVER_WEB_PORT, "18801");
    Click(page, IDC_SERVER_ACTION);  // Yes: saves, then starts
    EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort"), "18801");
    EXPECT_FALSE(sheet_.configDirty);
    EXPECT_TRUE(IsSmsServiceRunning());
    EXPECT_TRUE(ShowsStatus(page, "Active", "Stop Service"));
    Click(page, IDC_SERVER_ACTION);
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Start Service"));
    Click(page, IDC_SERVER_ACTION);  // nothing unsaved: starts without asking
    EXPECT_TRUE(IsSmsServiceRunning());
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(boxes_), std::vector<std::string>(2, "Save configuration changes?"));
  for (const MessageBoxRecord& box : boxes_.Boxes()) {
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
  }
}

}  // namespace
