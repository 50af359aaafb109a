// The debug log switches, driven on the main sheet's last tab.
#include <windows.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include "resources/page_ids.h"
#include "settings/settings_dialogs.h"
#include "support/dialog_items.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

constexpr int kDebugPage = 6;

class DebugLogPageTest : public testing::Test {
 protected:
  std::string Ini(const char* name) { return dir_.File(name); }
  // Runs the console; the action gets the sheet and the debug page.
  void RunOnDebugPage(const std::function<void(HWND, HWND)>& action) {
    WindowDriver driver(kProductCaption, [&](HWND sheet) {
      SendMessageA(sheet, PSM_SETCURSEL, kDebugPage, 0);
      action(sheet, PropSheet_GetCurrentPageHwnd(sheet));
    });
    RunConsoleSheet(&sheet_);
  }

  TempDataDirectory dir_{"debuglog"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

TEST_F(DebugLogPageTest, SwitchesAreReadAsTrueValuesAndWrittenAsYesOrRemoved) {
  WritePrivateProfileStringA("SMSGW", "Debug", "1", Ini("SMSGW.INI").c_str());
  WritePrivateProfileStringA("MMSC", "Debug", "TRUE", Ini("MMSC.INI").c_str());
  WritePrivateProfileStringA("MMSWAP", "Debug", "No", Ini("MMSWAP.INI").c_str());
  boxes_.Answer(IDNO);
  RunOnDebugPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, IDC_DEBUGLOG_SMSGW));
    EXPECT_TRUE(Checked(page, IDC_DEBUGLOG_MMSC));
    EXPECT_FALSE(Checked(page, IDC_DEBUGLOG_MMSWAP));
    EXPECT_FALSE(Enabled(sheet, kApplyButton));
    Click(page, IDC_DEBUGLOG_MMSC);
    Click(page, IDC_DEBUGLOG_MMSWAP);
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(Enabled(sheet, kApplyButton)) << "the sheet was told of the change";
    SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);  // No: stays, nothing applied
    EXPECT_EQ(ReadIni(Ini("MMSC.INI"), "MMSC", "Debug"), "TRUE");
    PostMessageA(sheet, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(BoxTexts(boxes_), std::vector<std::string>{"Exit without saving configuration changes?"});
  EXPECT_EQ(ReadIni(Ini("SMSGW.INI"), "SMSGW", "Debug"), "Yes") << "a checked box is written Yes";
  EXPECT_EQ(ReadIni(Ini("MMSC.INI"), "MMSC", "Debug", "<none>"), "<none>") << "unchecked removes the key";
  EXPECT_EQ(ReadIni(Ini("MMSWAP.INI"), "MMSWAP", "Debug"), "Yes");
  EXPECT_TRUE(sheet_.configDirty) << "Apply leaves the flag alone";
}

TEST_F(DebugLogPageTest, ViewButtonsFollowTheLogFilesAndOpenNotepad) {
  RunOnDebugPage([this](HWND sheet, HWND page) {
    for (int view : {IDC_DEBUGLOG_VIEW_SMSGW, IDC_DEBUGLOG_VIEW_MMSC, IDC_DEBUGLOG_VIEW_MMSWAP})
      EXPECT_FALSE(Enabled(page, view)) << view;
    WriteFileText(dir_.File("MMSCDEBUG.LOG"), "started\r\n");
    EXPECT_TRUE(WaitUntil([&] { return Enabled(page, IDC_DEBUGLOG_VIEW_MMSC); }, 7000))
        << "enabled within the 5 s refresh";
    EXPECT_FALSE(Enabled(page, IDC_DEBUGLOG_VIEW_SMSGW));
    Click(page, IDC_DEBUGLOG_VIEW_MMSC);
    // Notepad shows the log's name in its title once it has opened the file.
    HWND notepad = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
          notepad = FindWindowA("Notepad", nullptr);
          char title[MAX_PATH] = "";
          if (notepad) GetWindowTextA(notepad, title, sizeof title);
          return std::string(title).find("MMSCDEBUG") != std::string::npos;
        },
        15000));
    if (notepad) PostMessageA(notepad, WM_CLOSE, 0, 0);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
}

}  // namespace
