// The main property sheet and the protocol its pages follow.
#include "app/main_sheet.h"

#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/console.h"
#include "app/page_protocol.h"
#include "common/ui_util.h"
#include "resources/page_ids.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kExitQuestion[] = "Exit without saving configuration changes?";

class MainSheetTest : public testing::Test {
 protected:
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  // Runs the console on a fresh data directory while the action drives the sheet.
  void RunSheet(std::function<void(HWND)> action) {
    WindowDriver driver(kCaption, std::move(action));
    EXPECT_EQ(ConsoleMain(""), 0);
    EXPECT_TRUE(driver.Appeared());
  }
  // Presses Cancel and waits for the box the press brings up, if one is scripted.
  void PressCancel(HWND sheet, size_t boxesAfter) {
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return boxes_.Boxes().size() >= boxesAfter; }, 10000));
    Sleep(200);
  }
  void SelectPage(HWND sheet, int index) { SendMessageA(sheet, PSM_SETCURSEL, index, 0); }
  // An unsaved edit, made as a user makes one: a debug switch flipped.
  void EditDebugSwitch(HWND sheet) {
    SelectPage(sheet, 6);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEBUGLOG_SMSGW, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_DEBUGLOG_SMSGW)));
  }

  TempDataDirectory dir_{"sheet"};
  MessageBoxAnswerer boxes_;
};

TEST_F(MainSheetTest, SevenPagesInTabOrderWithMinimise) {
  // The icon loads from the resources (an "Error loading Icon" box would fail the test).
  EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), "SMSGW"), nullptr);
  RunSheet([](HWND sheet) {
    EXPECT_EQ(SheetTabTitles(sheet),
              (std::vector<std::string>{"Status", "Modem", "Server", "Users", "2-Way", "Test Message", "Debug Logs"}));
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0) << "starts on the Status page";
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_STYLE) & WS_MINIMIZEBOX);
    HMENU menu = GetSystemMenu(sheet, FALSE);
    int last = GetMenuItemCount(menu) - 1;
    char text[32] = "";
    GetMenuStringA(menu, last, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Minimize");
    EXPECT_EQ(GetMenuItemID(menu, last), static_cast<UINT>(SC_MINIMIZE));
    EXPECT_FALSE(GetParent(sheet)) << "no parent window";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDOK)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, 0x3021))) << "Apply";
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(MainSheetTest, HelpButtonOnlyWithTheHelpDocument) {
  RunSheet([](HWND sheet) {
    HWND help = GetDlgItem(sheet, IDHELP);
    EXPECT_TRUE(!help || !IsWindowVisible(help));
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(g_console.helpAvailable);
  std::string document = ProgramFolder() + "ZedSMS Lite.pdf";
  WriteFileText(document, "%PDF-1.4\n");
  RunSheet([](HWND sheet) {
    HWND help = GetDlgItem(sheet, IDHELP);
    EXPECT_TRUE(help && IsWindowVisible(help));
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_TRUE(g_console.helpAvailable);
  EXPECT_EQ(std::string(g_console.helpDocumentPath), document);
  DeleteFileA(document.c_str());
}

TEST_F(MainSheetTest, CancelWithUnsavedChangesAsksAndOnlyYesCloses) {
  boxes_.Answer(IDNO);
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDYES);
  RunSheet([this](HWND sheet) {
    EditDebugSwitch(sheet);
    PressCancel(sheet, 1);
    EXPECT_TRUE(IsWindow(sheet)) << "No keeps the sheet";
    PressCancel(sheet, 2);
    EXPECT_TRUE(IsWindow(sheet)) << "Cancel keeps the sheet";
    PressCancel(sheet, 3);
  });
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, kCaption);
  EXPECT_EQ(boxes[0].text, kExitQuestion);
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
}

TEST_F(MainSheetTest, CancelWithoutChangesClosesAtOnce) {
  RunSheet([](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(MainSheetTest, EverySettingsPageAsksButTheTestMessagePageLetsGo) {
  // The Modem page can only be left with a modem chosen.
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", dir_.File("SMSGW.INI").c_str());
  const int kAskingPages[] = {1, 2, 3, 4, 6};
  for (size_t i = 0; i < sizeof kAskingPages / sizeof kAskingPages[0]; ++i) boxes_.Answer(IDNO);
  boxes_.Answer(IDNO);  // the activation offer once the sheet has closed
  RunSheet([&](HWND sheet) {
    EditDebugSwitch(sheet);
    size_t asked = 0;
    for (int page : kAskingPages) {
      SelectPage(sheet, page);
      PressCancel(sheet, ++asked);
      EXPECT_TRUE(IsWindow(sheet)) << "page " << page;
    }
    EXPECT_EQ(boxes_.Boxes().size(), asked);
    SelectPage(sheet, 5);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 6u) << "the Test Message page did not ask";
  EXPECT_EQ(boxes[5].text, "Service is not active, do you wish to activate the service?");
}

TEST_F(MainSheetTest, UnsavedChangesQueryIsAnsweredWithTheSheetsState) {
  boxes_.Answer(IDYES);
  RunSheet([this](HWND sheet) {
    EXPECT_EQ(SendMessageA(sheet, PSM_QUERYSIBLINGS, kUnsavedChangesQuery, 0), 0);
    EditDebugSwitch(sheet);
    EXPECT_EQ(SendMessageA(sheet, PSM_QUERYSIBLINGS, kUnsavedChangesQuery, 0), 1);
    EXPECT_EQ(SendMessageA(sheet, PSM_QUERYSIBLINGS, 7, 0), 0) << "other codes go unanswered";
    PressCancel(sheet, 1);
  });
}

TEST_F(MainSheetTest, OkAppliesEveryPageAndCloses) {
  RunSheet([](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDOK, 0); });
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST(ShellHelpers, WaitDialogShowsItsTemplate) {
  HWND wait = WaitDialog(nullptr);
  ASSERT_NE(wait, nullptr);
  char text[128];
  GetWindowTextA(wait, text, sizeof text);
  EXPECT_STREQ(text, "Test in Progress");
  GetDlgItemTextA(wait, 1444, text, sizeof text);
  EXPECT_STREQ(text, "Connection test in progress.\r\n\r\nPlease be patient...");
  SendMessageA(wait, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(wait)) << "closing destroys it";
}

TEST(ShellHelpers, SetDlgItemTextIfChangedIgnoresCase) {
  HWND wait = WaitDialog(nullptr);
  ASSERT_NE(wait, nullptr);
  EXPECT_TRUE(SetDlgItemTextIfChanged(wait, 1444, "Service is Active"));
  EXPECT_FALSE(SetDlgItemTextIfChanged(wait, 1444, "SERVICE IS ACTIVE"));
  char text[64];
  GetDlgItemTextA(wait, 1444, text, sizeof text);
  EXPECT_STREQ(text, "Service is Active") << "unchanged text is left alone";
  EXPECT_TRUE(SetDlgItemTextIfChanged(wait, 1444, ""));
  std::string longText(700, 'x');
  EXPECT_TRUE(SetDlgItemTextIfChanged(wait, 1444, longText.c_str()));
  // Only the first 500 characters are compared.
  EXPECT_FALSE(SetDlgItemTextIfChanged(wait, 1444, (std::string(500, 'x') + "yyy").c_str()));
  DestroyWindow(wait);
}

TEST(ShellHelpers, BusyCursorCountsAndRestores) {
  auto displayCount = [] {
    int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
  };
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  SetCursor(arrow);
  int before = displayCount();
  HCURSOR previous = BeginBusyCursor();
  EXPECT_EQ(previous, arrow);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
  EXPECT_EQ(displayCount(), before + 1);
  EndBusyCursor(previous);
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(displayCount(), before);
}

}  // namespace
