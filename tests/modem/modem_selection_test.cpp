#include "modem/modem_selection.h"

#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <memory>

#include "app/main_sheet.h"
#include "config/config_files.h"
#include "support/fake_telephony.h"
#include "support/message_box_answerer.h"
#include "support/modem_cable.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kNotListed[] =
    "To use a modem with this application, a Windows modem driver must be installed.\r\n\r\n"
    "To add a Windows modem driver, go to the Windows Control Panel, select 'Phone and Modem Options', "
    "then 'Modems.\r\n\r\nAfter defining the modem, return to the ZedSMS Setup.";
constexpr int kList = 102;
constexpr int kPin = 104;
constexpr int kTest = 106;
constexpr int kNotListedButton = 107;

std::string ListText(HWND dialog, int index) {
  char text[500] = "";
  SendDlgItemMessageA(dialog, kList, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}
std::string SelectedText(HWND dialog) {
  LRESULT index = SendDlgItemMessageA(dialog, kList, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? "<none>" : ListText(dialog, static_cast<int>(index));
}
int ListCount(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, kList, CB_GETCOUNT, 0, 0)); }

class ModemSelectionTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    modem_.reset(new ModemSimulator(1, ModemProfile{}));
    ASSERT_TRUE(modem_->Running());
    FakeLine alpha{"Alpha Modem"};
    FakeLine beta{"Beta Modem"};
    beta.openError = static_cast<LONG>(0x80000048);
    telephony_.fake.lines = {alpha, beta};
  }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
    return texts;
  }

  TempDataDirectory dir_{"modemsel"};
  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
  std::unique_ptr<ModemSimulator> modem_;
};

TEST_F(ModemSelectionTest, DialogHandsBackTheTestedModemAndItsPin) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "Beta Modem", g_configFiles.smsIni);
  boxes_.Answer(IDOK);  // lineOpen refused for Beta
  boxes_.Answer(IDOK);  // so Beta cannot be accessed
  boxes_.Answer(IDOK);  // Alpha passes
  char choice[kModemChoiceCapacity] = "stale";
  INT_PTR result = 0;
  {
    WindowDriver driver("Select Modem", [&](HWND dialog) {
      EXPECT_EQ(ListCount(dialog), 2);
      EXPECT_EQ(SelectedText(dialog), "Beta Modem") << "the configured modem is selected";
      SetDlgItemTextA(dialog, kPin, "1234");
      SendMessageA(dialog, WM_COMMAND, kTest, 0);  // Beta fails: the dialog stays
      EXPECT_TRUE(IsWindow(dialog));
      SendDlgItemMessageA(dialog, kList, CB_SETCURSEL, 0, 0);
      PostMessageA(dialog, WM_COMMAND, kTest, 0);
    });
    result = ShowAddModemDialog(nullptr, choice);
  }
  EXPECT_EQ(result, 1);
  EXPECT_STREQ(choice, "Alpha Modem\tPIN=1234");
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Unable to initialize modem:  Error 80000048 from lineOpen",
                         "Unable to access modem, ensure that it is powered on and passes diagnostic tests.",
                         "Modem successfully tested!"}));
  for (const auto& box : boxes_.Boxes()) EXPECT_EQ(box.caption, kCaption);
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "Modem1"), "Beta Modem") << "the dialog stores nothing";
}

TEST_F(ModemSelectionTest, DialogWithoutAPinGivesTheBareName) {
  boxes_.Answer(IDOK);
  char choice[kModemChoiceCapacity];
  WindowDriver driver("Select Modem", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, kTest, 0); });
  EXPECT_EQ(ShowAddModemDialog(nullptr, choice), 1);
  EXPECT_STREQ(choice, "Alpha Modem");
}

TEST_F(ModemSelectionTest, DialogFallsBackToTheFirstEntryRefreshesAndCancels) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "Removed Modem", g_configFiles.smsIni);
  boxes_.Answer(IDOK);
  char choice[kModemChoiceCapacity] = "stale";
  INT_PTR result = -1;
  {
    WindowDriver driver("Select Modem", [&](HWND dialog) {
      EXPECT_EQ(SelectedText(dialog), "Alpha Modem") << "the configured modem is gone";
      SendDlgItemMessageA(dialog, kList, CB_SETCURSEL, 1, 0);
      // A driver installed while the dialog is open shows when the user comes back.
      telephony_.fake.lines.insert(telephony_.fake.lines.begin(), FakeLine{"New Modem"});
      SendMessageA(dialog, WM_ACTIVATE, WA_CLICKACTIVE, 0);
      EXPECT_EQ(ListCount(dialog), 3);
      EXPECT_EQ(ListText(dialog, 0), "New Modem");
      EXPECT_EQ(SelectedText(dialog), "Beta Modem") << "the choice survives the refresh";
      SendMessageA(dialog, WM_COMMAND, kNotListedButton, 0);
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    result = ShowAddModemDialog(nullptr, choice);
  }
  EXPECT_EQ(result, 0);
  EXPECT_STREQ(choice, "");
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, kNotListed);
  EXPECT_EQ(boxes_.Boxes()[0].icon, 0u);
  EXPECT_FALSE(modem_->Received("AT+CFUN?")) << "no test was run";
}

TEST_F(ModemSelectionTest, TelephonyThatDoesNotStartIsReportedOnceAndCancelStaysReachable) {
  telephony_.fake.initializeError = static_cast<LONG>(LINEERR_NODEVICE);
  boxes_.Answer(IDOK);
  char choice[kModemChoiceCapacity] = "";
  INT_PTR result = -1;
  {
    WindowDriver driver("Select Modem", [&](HWND dialog) {
      // Closing the box activates the dialog again, which fills its list again.
      for (int activation = 0; activation < 3; ++activation) SendMessageA(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
      EXPECT_EQ(ListCount(dialog), 0);
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    result = ShowAddModemDialog(nullptr, choice);
  }
  EXPECT_EQ(result, 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Unable to initialize TAPI:  Error 80000042 from lineInitialize");
}

// The wizard page in a wizard of its own, followed by an empty page to move on to.
class SelectModemPageTest : public ModemSelectionTest {
 protected:
  INT_PTR RunWizard(std::function<void(HWND)> action) {
    const char* title = "ZedSMS Lite Setup Wizard:  Select Modem";
    return RunPageInSheet(nullptr, {"DIALOG_WIZADDMODEM", title, SelectModemPageProc}, PSH_WIZARD | PSH_NOAPPLYNOW, title,
                          [&](HWND sheet, HWND) { action(sheet); });
  }
  static int CurrentPage(HWND sheet) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0));
  }
};

TEST_F(SelectModemPageTest, NextWithAnEmptyListStays) {
  telephony_.fake.lines.clear();
  RunWizard([](HWND sheet) {
    // The page sets its buttons with a posted message, which may still be queued.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(sheet, 0x3023)); }, 5000)) << "Back";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, 0x3024))) << "Next";
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, kTest)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDCANCEL)));
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    Sleep(300);
    EXPECT_EQ(CurrentPage(sheet), 0);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "Modem1", "<none>"), "<none>");
}

TEST_F(SelectModemPageTest, APassedTestStoresTheModemAndDropsAStalePin) {
  WritePrivateProfileStringA("Modem - Alpha Modem", "PIN", "0000", g_configFiles.smsIni);
  boxes_.Answer(IDOK);
  RunWizard([this](HWND sheet) {
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitUntil([&] { return CurrentPage(sheet) == 1; }, 30000)) << "moved on after the test";
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(Texts(), std::vector<std::string>{"Modem successfully tested!"});
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "Modem1"), "Alpha Modem");
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "Modem - Alpha Modem", "PIN", "<none>"), "<none>");
}

TEST_F(SelectModemPageTest, APinIsStoredInTheModemsSection) {
  boxes_.Answer(IDOK);
  RunWizard([this](HWND sheet) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SetDlgItemTextA(page, kPin, "12345678901234567890123456789012345678901234567890123");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitUntil([&] { return CurrentPage(sheet) == 1; }, 30000));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "Modem - Alpha Modem", "PIN"),
            "1234567890123456789012345678901234567890123456789") << "49 characters at most";
}

}  // namespace
