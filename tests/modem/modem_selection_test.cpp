// Choosing the gateway's modem: the Add Modem dialog and the wizard's Select
// Modem page, which take a modem only once it passed the modem check.
#include "modem/modem_selection.h"

#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <functional>

#include "config/config_files.h"
#include "modem/modem_test_helpers.h"
#include "resources/page_ids.h"
#include "support/dialog_items.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kPassed[] = "info: Modem successfully tested!";

HWND PageOf(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }
int PageIndex(HWND sheet) {
  return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(PageOf(sheet)), 0));
}

// Alpha answers on cable 1; Beta's line cannot be opened.
class ModemSelectionTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    ASSERT_TRUE(modem_.Running());
    FakeLine beta{"Beta Modem"};
    beta.openError = static_cast<LONG>(0x80000048);
    telephony_.fake.lines = {FakeLine{"Alpha Modem"}, beta};
  }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  std::string Stored(const char* section, const char* key) {
    return ReadIni(g_configFiles.smsIni, section, key, "<none>");
  }
  // The dialog driven by the action; its result and the choice handed back.
  std::pair<INT_PTR, std::string> RunDialog(std::function<void(HWND)> action) {
    char choice[kModemChoiceCapacity] = "stale";
    WindowDriver driver("Select Modem", action);
    INT_PTR result = ShowAddModemDialog(nullptr, choice);
    return {result, choice};
  }
  // The wizard page in a wizard of its own, followed by an empty page.
  void RunWizard(std::function<void(HWND)> action) {
    const char* title = "ZedSMS Lite Setup Wizard:  Select Modem";
    RunPageInSheet(nullptr, {"DIALOG_WIZADDMODEM", title, SelectModemPageProc}, PSH_WIZARD | PSH_NOAPPLYNOW, title,
                   [&](HWND sheet, HWND) { action(sheet); });
  }

  TempDataDirectory dir_{"modemsel"};
  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
  ModemSimulator modem_{1, ModemProfile{}};
};

TEST_F(ModemSelectionTest, DialogKeepsAFailedModemAndHandsBackTheTestedOneWithItsPin) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "Beta Modem", g_configFiles.smsIni);
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDOK);
  auto [result, choice] = RunDialog([&](HWND dialog) {
    EXPECT_EQ(Entries(dialog, IDC_ADDMODEM_LIST), (std::vector<std::string>{"Alpha Modem", "Beta Modem"}));
    EXPECT_EQ(Selected(dialog, IDC_ADDMODEM_LIST), "Beta Modem") << "the configured modem is selected";
    SetDlgItemTextA(dialog, IDC_ADDMODEM_PIN, "1234");
    SendMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "Beta failed: the dialog stays";
    SendDlgItemMessageA(dialog, IDC_ADDMODEM_LIST, CB_SETCURSEL, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(choice, "Alpha Modem\tPIN=1234");
  EXPECT_EQ(Shown(boxes_), (std::vector<std::string>{
                               "error: Unable to initialize modem:  Error 80000048 from lineOpen",
                               "error: Unable to access modem, ensure that it is powered on and passes diagnostic tests.",
                               kPassed}));
  EXPECT_EQ(Stored("SMSGW", "Modem1"), "Beta Modem") << "the dialog stores nothing";
  WritePrivateProfileStringA("SMSGW", "Modem1", "Alpha Modem", g_configFiles.smsIni);
  boxes_.Answer(IDOK);
  EXPECT_EQ(RunDialog([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0); }).second,
            "Alpha Modem") << "no PIN typed: the bare name";
}

TEST_F(ModemSelectionTest, DialogFallsBackToTheFirstEntryRefreshesAndCancels) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "Removed Modem", g_configFiles.smsIni);
  boxes_.Answer(IDOK);
  auto [result, choice] = RunDialog([&](HWND dialog) {
    EXPECT_EQ(Selected(dialog, IDC_ADDMODEM_LIST), "Alpha Modem") << "the configured modem is gone";
    SendDlgItemMessageA(dialog, IDC_ADDMODEM_LIST, CB_SETCURSEL, 1, 0);
    // A driver installed while the dialog is open shows when the user comes back.
    telephony_.fake.lines.insert(telephony_.fake.lines.begin(), FakeLine{"New Modem"});
    SendMessageA(dialog, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(Entries(dialog, IDC_ADDMODEM_LIST), (std::vector<std::string>{"New Modem", "Alpha Modem", "Beta Modem"}));
    EXPECT_EQ(Selected(dialog, IDC_ADDMODEM_LIST), "Beta Modem") << "the choice survives the refresh";
    SendMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_NOT_LISTED, 0);
    Cancel(dialog);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(choice, "");
  ASSERT_EQ(Shown(boxes_).size(), 1u) << "how to install a modem driver";
  EXPECT_FALSE(modem_.Received("AT+CFUN?")) << "no test was run";
}

TEST_F(ModemSelectionTest, TelephonyThatDoesNotStartIsReportedOnceAndCancelStaysReachable) {
  telephony_.fake.initializeError = static_cast<LONG>(LINEERR_NODEVICE);
  boxes_.Answer(IDOK);
  auto [result, choice] = RunDialog([](HWND dialog) {
    // Closing the box activates the dialog again, which fills its list again.
    for (int activation = 0; activation < 3; ++activation) SendMessageA(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(Entries(dialog, IDC_ADDMODEM_LIST).empty());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>{"Unable to initialize TAPI:  Error 80000042 from lineInitialize"});
}

TEST_F(ModemSelectionTest, WizardPageStaysWithAnEmptyList) {
  telephony_.fake.lines.clear();
  RunWizard([](HWND sheet) {
    // The page sets its buttons with a posted message, which may still be queued.
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(sheet, 0x3023); }, 5000)) << "Back";
    EXPECT_TRUE(Enabled(sheet, 0x3024)) << "Next";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(PageOf(sheet), IDC_ADDMODEM_TEST)));
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_EQ(PageIndex(sheet), 0);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(Stored("SMSGW", "Modem1"), "<none>");
}

// Next tests the modem and stores it with the PIN typed, cut to 49
// characters; a stale PIN goes.
TEST_F(ModemSelectionTest, WizardPageStoresTheTestedModemAndItsPin) {
  const std::string longPin = "12345678901234567890123456789012345678901234567890123";
  for (auto [typed, stored] : {std::make_pair(std::string(), std::string("<none>")),
                               std::make_pair(longPin, longPin.substr(0, 49))}) {
    WritePrivateProfileStringA("Modem - Alpha Modem", "PIN", "0000", g_configFiles.smsIni);
    boxes_.Answer(IDOK);
    RunWizard([&](HWND sheet) {
      SetDlgItemTextA(PageOf(sheet), IDC_ADDMODEM_PIN, typed.c_str());
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
      EXPECT_TRUE(WaitUntil([&] { return PageIndex(sheet) == 1; }, 30000)) << "moved on after the test";
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_EQ(Stored("SMSGW", "Modem1"), "Alpha Modem");
    EXPECT_EQ(Stored("Modem - Alpha Modem", "PIN"), stored);
  }
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>(2, kPassed));
}

}  // namespace
