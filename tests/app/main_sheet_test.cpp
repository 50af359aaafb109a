// The main property sheet and the protocol its pages follow.
#include "app/main_sheet.h"

#include <prsht.h>
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/console.h"
#include "app/page_protocol.h"
#include "common/ui_util.h"
#include "resources/page_ids.h"
#include "support/test_env.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;
constexpr int kDebugLogsPage = 6, kTestMessagePage = 5;

class MainSheetTest : public testing::Test {
 protected:
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  void RunSheet(const std::function<void(HWND)>& action) {
    WindowDriver driver(kProductCaption, action);
    sheet_ = SheetContext{};
    RunConsoleSheet(&sheet_);
    EXPECT_TRUE(driver.Appeared());
  }
  static void SelectPage(HWND sheet, int index) { SendMessageA(sheet, PSM_SETCURSEL, index, 0); }
  // An unsaved edit, made as a user makes one: a debug switch flipped.
  static void EditDebugSwitch(HWND sheet) {
    SelectPage(sheet, kDebugLogsPage);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEBUGLOG_SMSGW, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_DEBUGLOG_SMSGW)));
  }

  TempDataDirectory dir_{"sheet"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

TEST_F(MainSheetTest, HasMinimiseAndHelpOnlyWithTheHelpDocument) {
  std::string document = ProgramFolder() + "ZedSMS Lite.pdf";
  // A modem configured: the main sheet opens without the setup wizard, and
  // closing it offers to activate the services.
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", dir_.File("SMSGW.INI").c_str());
  for (bool withDocument : {false, true}) {
    boxes_.Answer(IDNO);
    if (withDocument) WriteFileText(document, "%PDF-1.4\n");
    WindowDriver driver(kProductCaption, [&](HWND sheet) {
      EXPECT_TRUE(GetWindowLongA(sheet, GWL_STYLE) & WS_MINIMIZEBOX);
      HMENU menu = GetSystemMenu(sheet, FALSE);
      EXPECT_EQ(GetMenuItemID(menu, GetMenuItemCount(menu) - 1), static_cast<UINT>(SC_MINIMIZE));
      HWND help = GetDlgItem(sheet, IDHELP);
      EXPECT_EQ(help && IsWindowVisible(help), withDocument);
      PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    // The console's own start-up looks for the document (and loads the icon: a box would fail the test).
    EXPECT_EQ(ConsoleMain(""), 0);
    EXPECT_TRUE(driver.Appeared());
  }
  EXPECT_EQ(std::string(g_console.helpDocumentPath), document);
  DeleteFileA(document.c_str());
}

// Unsaved edits make every settings page ask before the sheet closes; only
// Yes closes it, and the Test Message page lets it go.
TEST_F(MainSheetTest, CancelAsksOnlyWithUnsavedEditsAndOnlyYesCloses) {
  // The Modem page can only be left with a modem chosen.
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", dir_.File("SMSGW.INI").c_str());
  const int kAskingPages[] = {1, 2, 3, 4, 6};
  for (int page : kAskingPages) boxes_.Answer(page == 6 ? IDCANCEL : IDNO);
  RunSheet([&](HWND sheet) {
    EXPECT_EQ(SendMessageA(sheet, PSM_QUERYSIBLINGS, kUnsavedChangesQuery, 0), 0);
    EditDebugSwitch(sheet);
    EXPECT_EQ(SendMessageA(sheet, PSM_QUERYSIBLINGS, kUnsavedChangesQuery, 0), 1);
    EXPECT_EQ(SendMessageA(sheet, PSM_QUERYSIBLINGS, 7, 0), 0) << "other codes go unanswered";
    for (int page : kAskingPages) {
      SelectPage(sheet, page);
      SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
      EXPECT_TRUE(IsWindowVisible(sheet)) << "page " << page;
    }
    SelectPage(sheet, kTestMessagePage);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  boxes_.Answer(IDYES);
  RunSheet([](HWND sheet) {
    EditDebugSwitch(sheet);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  RunSheet([](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts(6, "question YesNoCancel: Exit without saving configuration changes?"));
}

TEST(ShellHelpers, SetDlgItemTextIfChangedComparesTheFirst500CharactersWithoutCase) {
  HWND wait = WaitDialog(nullptr);
  ASSERT_NE(wait, nullptr);
  EXPECT_TRUE(SetDlgItemTextIfChanged(wait, IDC_WAIT_TEXT, "Service is Active"));
  EXPECT_FALSE(SetDlgItemTextIfChanged(wait, IDC_WAIT_TEXT, "SERVICE IS ACTIVE"));
  char text[64];
  GetDlgItemTextA(wait, IDC_WAIT_TEXT, text, sizeof text);
  EXPECT_STREQ(text, "Service is Active") << "unchanged text is left alone";
  EXPECT_TRUE(SetDlgItemTextIfChanged(wait, IDC_WAIT_TEXT, std::string(700, 'x').c_str()));
  EXPECT_FALSE(SetDlgItemTextIfChanged(wait, IDC_WAIT_TEXT, (std::string(500, 'x') + "yyy").c_str()));
  DestroyWindow(wait);
}

}  // namespace
