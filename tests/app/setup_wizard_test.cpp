// A first run end to end: a fresh data directory, the console started with no
// switch, the setup wizard walked page by page, then the main sheet.
#include "app/setup_wizard.h"

#include <prsht.h>

#include "app/console.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/dialog_items.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;
constexpr int kFinish = 0x3025;  // the wizard's own button

HWND CurrentPage(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }

bool OnPage(HWND sheet, int index) {
  return WaitUntil([&] { return PropSheet_HwndToIndex(sheet, CurrentPage(sheet)) == index; }, 30000);
}

void Press(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }

class SetupWizardTest : public ServiceTest {
 protected:
  std::string Modem1() { return ReadIni(g_configFiles.smsIni, "SMSGW", "Modem1"); }

  FakeTelephonyScope telephony_;
  ModemSimulator modem_{1, ModemProfile{}};
  ModemSimulator otherModem_{2, ModemProfile{}};
};

TEST_F(SetupWizardTest, AFirstRunWalksTheWizardToTheMainSheetWithTheServicesActive) {
  ASSERT_TRUE(modem_.Running() && otherModem_.Running());
  FakeLine beta{"Beta Modem"};
  beta.cable = 2;
  telephony_.fake.lines = {FakeLine{"Alpha Modem"}, beta};
  const std::string sim = dir_.File("GATEWAYSIM.INI");
  WritePrivateProfileStringA("ZedSMS", "CycleMs", "1000", sim.c_str());
  // Services left running, as by an earlier install: the wizard frees the modem
  // first, behind a wait dialog. The SMS stand-in stops only through its status
  // block, which takes a poll.
  WritePrivateProfileStringA("ZedSMS", "IgnoreStopControl", "Yes", sim.c_str());
  auto pin = [](const char* modem) { return ReadIni(g_configFiles.smsIni, modem, "PIN", "<none>"); };
  WritePrivateProfileStringA("Modem - Alpha Modem", "PIN", "0000", g_configFiles.smsIni);
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil([] { return IsSmsServiceRunning() && IsMmsServiceRunning(); }, 10000));
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  WindowDriver wizard("ZedSMS Lite Setup Wizard:  Select Modem", [&](HWND sheet) {
    EXPECT_FALSE(IsSmsServiceRunning() || IsMmsServiceRunning()) << "stopped before the wizard opens";
    EXPECT_EQ(FindOwnWindow("Please wait..."), nullptr) << "the wait dialog is gone";
    WritePrivateProfileStringA("ZedSMS", "IgnoreStopControl", "", sim.c_str());
    Press(sheet, PSBTN_NEXT);
    ASSERT_TRUE(OnPage(sheet, 1)) << "Modem Settings, once the modem passed its test";
    EXPECT_EQ(Modem1() + " " + pin("Modem - Alpha Modem"), "Alpha Modem <none>") << "a stale PIN goes";
    // Back for another modem: once it passed its test, Modem Settings applies it, not the first.
    Press(sheet, PSBTN_BACK);
    ASSERT_TRUE(OnPage(sheet, 0));
    SendDlgItemMessageA(CurrentPage(sheet), IDC_ADDMODEM_LIST, CB_SETCURSEL, 1, 0);
    SetDlgItemTextA(CurrentPage(sheet), IDC_ADDMODEM_PIN, std::string(53, '7').c_str());
    Press(sheet, PSBTN_NEXT);
    ASSERT_TRUE(OnPage(sheet, 1));
    EXPECT_EQ(pin("Modem - Beta Modem"), std::string(49, '7')) << "the typed PIN, cut to its field";
    EXPECT_EQ(Text(CurrentPage(sheet), IDC_MODEM_NAME), "Beta Modem");
    Press(sheet, PSBTN_NEXT);

    ASSERT_TRUE(OnPage(sheet, 2)) << "Server Settings";
    EXPECT_EQ(Modem1(), "Beta Modem");
    SetDlgItemTextA(CurrentPage(sheet), IDC_SERVER_WEB_PORT, "18800");
    Press(sheet, PSBTN_NEXT);
    ASSERT_TRUE(OnPage(sheet, 3)) << "Configuration Complete";
    EXPECT_TRUE(IsSmsServiceRunning() && IsMmsServiceRunning()) << "installed and started on leaving Server Settings";
    Click(CurrentPage(sheet), IDC_WIZCOMPLETE_YES);
    Press(sheet, PSBTN_NEXT);

    ASSERT_TRUE(OnPage(sheet, 4)) << "Send Test Message";
    HWND test = CurrentPage(sheet);
    SetDlgItemTextA(test, IDC_TESTMSG_PHONE, "+4477");
    ASSERT_TRUE(WaitUntil([&] { return Enabled(test, IDC_TESTMSG_SEND_SMS); }, 5000));
    Click(test, IDC_TESTMSG_SEND_SMS);
    EXPECT_TRUE(WaitUntil([&] { return Text(test, IDC_TESTMSG_SMS_STATUS) == "Status:  OK -- Message Sent"; }, 15000));
    // The sheet sets its buttons through a posted message.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(sheet, kFinish)); }, 5000));
    Press(sheet, PSBTN_FINISH);

    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindOwnWindow(kProductCaption)) != nullptr; }, 10000));
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(ConsoleMain(""), 0);
  EXPECT_TRUE(wizard.Appeared());
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts(2, "info OK: Modem successfully tested!"));
}

}  // namespace
