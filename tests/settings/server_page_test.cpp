// The Server tab on the main sheet, against the real service manager.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "app/app_state.h"
#include "app/console.h"
#include "services/service_control.h"
#include "support/dialog_items.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
constexpr int kServerPage = 2;
constexpr int kWebPort = 104, kSmppEnable = 110, kSmppPort = 118, kSmppLabel = 114;
constexpr int kMm7Enable = 113, kMm7Port = 121, kMm7Label = 117, kStatus = 133, kAction = 134;


class ServerPageTest : public ServiceTest {
 protected:
  std::string SmsIni() { return dir_.File("SMSGW.INI"); }
  std::string MmscIni() { return dir_.File("MMSC.INI"); }
  void RunOnServerPage(std::function<void(HWND, HWND)> action) {
    WindowDriver driver(kCaption, [&](HWND sheet) {
      SendMessageA(sheet, PSM_SETCURSEL, kServerPage, 0);
      action(sheet, reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
    });
    RunConsoleSheet(&sheet_);
  }
  void Close(HWND sheet, int button) { PostMessageA(sheet, WM_COMMAND, button, 0); }
  // Waits for the once-a-second refresh to show the expected status.
  static bool ShowsStatus(HWND page, const char* status, const char* action) {
    return WaitUntil([&] { return Text(page, kStatus) == status && Text(page, kAction) == action; }, 5000);
  }

  SheetContext sheet_;
};

TEST_F(ServerPageTest, LoadsPortsWithTheirDefaultsAndEnablesFieldsByTheirBoxes) {
  WritePrivateProfileStringA("SMSGW", "SMPPPort", "2775", SmsIni().c_str());
  WritePrivateProfileStringA("MMSC", "WebPort", "0", MmscIni().c_str());
  RunOnServerPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, kWebPort), "8800") << "no web port configured";
    EXPECT_TRUE(Checked(page, kSmppEnable));
    EXPECT_EQ(Text(page, kSmppPort), "2775");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kSmppPort)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kSmppLabel)));
    EXPECT_FALSE(Checked(page, kMm7Enable)) << "a zero port is no server";
    EXPECT_EQ(Text(page, kMm7Port), "");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kMm7Port)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kMm7Label)));
    EXPECT_FALSE(sheet_.configDirty) << "loading is no edit";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, 0x3021)));
    Click(page, kMm7Enable);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kMm7Port)));
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, 0x3021)));
    sheet_.configDirty = false;
    Close(sheet, IDCANCEL);
  });
}

TEST_F(ServerPageTest, ApplyStoresPortsByTheirRules) {
  RunOnServerPage([this](HWND sheet, HWND page) {
    SetDlgItemTextA(page, kWebPort, "12abc");
    Click(page, kMm7Enable);
    SetDlgItemTextA(page, kMm7Port, "-1");
    SetDlgItemTextA(page, kSmppPort, "2775");  // a number, but SMPP stays unticked
    EXPECT_TRUE(sheet_.configDirty);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort"), "12");
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "SMPPPort", "<none>"), "<none>");
  EXPECT_EQ(ReadIni(MmscIni(), "MMSC", "WebPort"), "4294967295");
  EXPECT_FALSE(sheet_.configDirty);

  WritePrivateProfileStringA("SMSGW", "SMPPPort", "2775", SmsIni().c_str());
  RunOnServerPage([this](HWND sheet, HWND page) {
    SetDlgItemTextA(page, kWebPort, "port");
    SetDlgItemTextA(page, kSmppPort, "0");
    Close(sheet, IDOK);
  });
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort"), "8800");
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "SMPPPort", "<none>"), "<none>") << "ticked with a zero port";
}

TEST_F(ServerPageTest, StatusAndActionFollowTheServices) {
  ASSERT_TRUE(CreateServiceDirectly("ZedMMSC", "Zed MMS Gateway Lite Edition", "C:\\x.exe"));
  RunOnServerPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Install Service")) << "only one service installed";
    RemoveServiceDirectly("ZedMMSC");
    ASSERT_TRUE(InstallServices(false));
    EXPECT_TRUE(ShowsStatus(page, "Active", "Stop Service"));
    Click(page, kAction);  // stops both
    EXPECT_FALSE(IsSmsServiceRunning());
    EXPECT_TRUE(ShowsStatus(page, "Not Active", "Start Service"));
    Click(page, kAction);  // nothing unsaved: starts them without asking
    EXPECT_TRUE(IsSmsServiceRunning());
    EXPECT_TRUE(ShowsStatus(page, "Active", "Stop Service"));
    Close(sheet, IDCANCEL);
  });
}

TEST_F(ServerPageTest, UnsavedChangesAreOfferedBeforeInstalling) {
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDYES);
  RunOnServerPage([this](HWND sheet, HWND page) {
    SetDlgItemTextA(page, kWebPort, "18800");
    Click(page, kAction);  // Cancel: installs all the same, without saving
    EXPECT_TRUE(IsSmsServiceInstalled());
    EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort", "<none>"), "<none>");
    EXPECT_TRUE(sheet_.configDirty);
    Click(page, kAction);  // running: stops, no question
    SetDlgItemTextA(page, kWebPort, "18801");
    Click(page, kAction);  // Yes: saves, then installs
    EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "WebPort"), "18801");
    EXPECT_FALSE(sheet_.configDirty);
    EXPECT_TRUE(IsSmsServiceRunning());
    Close(sheet, IDCANCEL);
  });
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, kCaption);
  EXPECT_EQ(boxes[0].text, "Save configuration changes?");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
}

}  // namespace
