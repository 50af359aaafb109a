// Choosing the gateway's modem: the Add Modem dialog and the wizard's Select
// Modem page, which take a modem only once it passed the modem check.
#include "modem/modem_selection.h"

#include "config/config_files.h"
#include "modem/at_channel.h"
#include "modem/modem_page_fixture.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/window_driver.h"

namespace {

const char kPassed[] = "info OK: Modem successfully tested!";

// Alpha answers on cable 1; Beta's line cannot be opened, and its
// capabilities do not fit the first buffer. A voice line is no modem.
class ModemSelectionTest : public testing::Test {
 protected:
  void SetUp() override {
    ModemSecondMs() = 200;  // the modem's limits and pauses kept in proportion
    PrepareConfigFiles();
    ASSERT_TRUE(modem_.Running());
    FakeLine beta{"Beta Modem"};
    beta.openError = static_cast<LONG>(0x80000048);
    beta.capsNeeded = 3000;
    telephony_.fake.lines = {FakeLine{"Alpha Modem"}, voice_, beta};
  }
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    ModemSecondMs() = 1000;
  }
  std::string Stored(const char* section, const char* key) {
    return ReadIni(g_configFiles.smsIni, section, key, "<none>");
  }
  void Store(const char* section, const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, g_configFiles.smsIni);
  }
  // The dialog driven by the action: the choice handed back, "" when cancelled.
  std::string RunDialog(std::function<void(HWND)> action) {
    char choice[kModemChoiceCapacity] = "stale";
    WindowDriver driver("Select Modem", action);
    INT_PTR result = ShowAddModemDialog(nullptr, choice);
    EXPECT_EQ(result, choice[0] ? 1 : 0);
    return choice;
  }

  const FakeLine voice_{"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE};
  TempDataDirectory dir_{"modemsel"};
  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
  ModemSimulator modem_{1, ModemProfile{}};
};

// The PIN handed back with the name is checked by the Modem page's Change.
TEST_F(ModemSelectionTest, TheDialogKeepsAFailedModemAndHandsBackTheTestedOne) {
  Store("SMSGW", "Modem1", "Beta Modem");
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDOK);
  EXPECT_EQ(RunDialog([&](HWND dialog) {
              EXPECT_EQ(Entries(dialog, IDC_ADDMODEM_LIST), (std::vector<std::string>{"Alpha Modem", "Beta Modem"}));
              EXPECT_EQ(Selected(dialog, IDC_ADDMODEM_LIST), "Beta Modem") << "the configured modem is selected";
              SendMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
              EXPECT_TRUE(IsWindowVisible(dialog)) << "Beta failed: the dialog stays";
              SendDlgItemMessageA(dialog, IDC_ADDMODEM_LIST, CB_SETCURSEL, 0, 0);
              PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
            }),
            "Alpha Modem") << "no PIN typed: the bare name";
  EXPECT_EQ(telephony_.fake.calls.back(), "lineShutdown") << "the listing and the test let go of telephony";
  EXPECT_EQ(Stored("SMSGW", "Modem1"), "Beta Modem") << "the dialog stores nothing";

  Store("SMSGW", "Modem1", "Removed Modem");
  int checks = modem_.Count("AT+CFUN?");
  boxes_.Answer(IDOK);
  EXPECT_EQ(RunDialog([&](HWND dialog) {
              EXPECT_EQ(Selected(dialog, IDC_ADDMODEM_LIST), "Alpha Modem") << "the configured modem is gone";
              SendDlgItemMessageA(dialog, IDC_ADDMODEM_LIST, CB_SETCURSEL, 1, 0);
              // A driver installed while the dialog is open shows when the user comes back.
              telephony_.fake.lines.insert(telephony_.fake.lines.begin(), FakeLine{"New Modem"});
              SendMessageA(dialog, WM_ACTIVATE, WA_CLICKACTIVE, 0);
              EXPECT_EQ(Entries(dialog, IDC_ADDMODEM_LIST),
                        (std::vector<std::string>{"New Modem", "Alpha Modem", "Beta Modem"}));
              EXPECT_EQ(Selected(dialog, IDC_ADDMODEM_LIST), "Beta Modem") << "the choice survives the refresh";
              SendMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_NOT_LISTED, 0);
              Cancel(dialog);
            }),
            "");
  EXPECT_EQ(modem_.Count("AT+CFUN?"), checks) << "no test was run";

  // Closing the box activates the dialog again, which fills its list again.
  telephony_.fake.initializeError = static_cast<LONG>(LINEERR_NODEVICE);
  boxes_.Answer(IDOK);
  EXPECT_EQ(RunDialog([](HWND dialog) {
              for (int activation = 0; activation < 3; ++activation) SendMessageA(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
              EXPECT_TRUE(Entries(dialog, IDC_ADDMODEM_LIST).empty());
              PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }),
            "");
  std::vector<std::string> shown = BoxLines(boxes_.Boxes());
  ASSERT_EQ(shown.size(), 5u);
  shown[3] = shown[3].substr(0, shown[3].find(':'));  // how to install a modem driver
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "error OK: Unable to initialize modem:  Error 80000048 from lineOpen",
                       "error OK: Unable to access modem, ensure that it is powered on and passes diagnostic tests.",
                       kPassed, "plain OK",
                       "plain OK: Unable to initialize TAPI:  Error 80000042 from lineInitialize"}))
      << "telephony that does not start is reported once";
}

// Next tests the modem and stores it with the PIN typed, cut to 49
// characters; a stale PIN goes. An empty list keeps the page.
TEST_F(ModemSelectionTest, TheWizardPageStoresTheTestedModemAndItsPin) {
  const std::string longPin = "12345678901234567890123456789012345678901234567890123";
  const char* title = "ZedSMS Lite Setup Wizard:  Select Modem";
  auto runWizard = [&](const std::function<void(HWND sheet, HWND page)>& action) {
    RunPageInSheet(nullptr, {"DIALOG_WIZADDMODEM", title, SelectModemPageProc}, PSH_WIZARD | PSH_NOAPPLYNOW, title,
                   action);
  };
  for (auto [typed, stored] : {std::make_pair(std::string(), std::string("<none>")),
                               std::make_pair(longPin, longPin.substr(0, 49))}) {
    Store("Modem - Alpha Modem", "PIN", "0000");
    boxes_.Answer(IDOK);
    runWizard([&](HWND sheet, HWND page) {
      SetDlgItemTextA(page, IDC_ADDMODEM_PIN, typed.c_str());
      Press(sheet, PSBTN_NEXT);
      EXPECT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 1; }, 30000)) << "moved on after the test";
      Press(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(Stored("SMSGW", "Modem1"), "Alpha Modem");
    EXPECT_EQ(Stored("Modem - Alpha Modem", "PIN"), stored);
  }
  EXPECT_EQ(BoxLines(boxes_.Boxes()), std::vector<std::string>(2, kPassed));

  Store("SMSGW", "Modem1", nullptr);
  telephony_.fake.lines = {voice_};  // no modem: nothing said
  runWizard([](HWND sheet, HWND) {
    // The page sets its buttons with a posted message, which may still be queued.
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(sheet, 0x3023) && Enabled(sheet, 0x3024); }, 5000)) << "Next only";
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_EQ(CurrentPageIndex(sheet), 0);
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(Stored("SMSGW", "Modem1"), "<none>");
}

}  // namespace
