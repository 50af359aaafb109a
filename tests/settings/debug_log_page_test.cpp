// The debug log switches, driven on the main sheet's last tab.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/console.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
constexpr int kDebugPage = 6;
constexpr int kSmsGw = 113, kMmsc = 114, kMmsWap = 115;
constexpr int kViewSmsGw = 151, kViewMmsc = 152, kViewMmsWap = 153;
constexpr int kApply = 0x3021;

class DebugLogPageTest : public testing::Test {
 protected:
  std::string Ini(const char* name) { return dir_.File(name); }
  // Runs the console; the action gets the sheet and the debug page.
  void RunOnDebugPage(std::function<void(HWND, HWND)> action) {
    WindowDriver driver(kCaption, [&](HWND sheet) {
      SendMessageA(sheet, PSM_SETCURSEL, kDebugPage, 0);
      HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
      action(sheet, page);
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
  RunOnDebugPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kSmsGw));
    EXPECT_TRUE(Checked(page, kMmsc));
    EXPECT_FALSE(Checked(page, kMmsWap));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApply)));
    Click(page, kMmsc);     // off
    Click(page, kMmsWap);   // on
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApply))) << "the sheet was told of the change";
    PostMessageA(sheet, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ReadIni(Ini("SMSGW.INI"), "SMSGW", "Debug"), "Yes") << "a checked box is written Yes";
  EXPECT_EQ(ReadIni(Ini("MMSC.INI"), "MMSC", "Debug", "<none>"), "<none>") << "unchecked removes the key";
  EXPECT_EQ(ReadIni(Ini("MMSWAP.INI"), "MMSWAP", "Debug"), "Yes");
  EXPECT_TRUE(sheet_.configDirty) << "Apply leaves the flag alone";
}

TEST_F(DebugLogPageTest, AnEditAsksBeforeTheSheetIsCancelled) {
  boxes_.Answer(IDYES);
  RunOnDebugPage([this](HWND sheet, HWND page) {
    Click(page, kSmsGw);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Exit without saving configuration changes?");
  EXPECT_EQ(ReadIni(Ini("SMSGW.INI"), "SMSGW", "Debug", "<none>"), "<none>") << "nothing applied";
}

TEST_F(DebugLogPageTest, ViewButtonsFollowTheLogFilesAndOpenNotepad) {
  RunOnDebugPage([this](HWND sheet, HWND page) {
    for (int view : {kViewSmsGw, kViewMmsc, kViewMmsWap}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, view)));
    WriteFileText(dir_.File("MMSCDEBUG.LOG"), "started\r\n");
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, kViewMmsc)) != FALSE; }, 7000))
        << "enabled within the 5 s refresh";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kViewSmsGw)));
    Click(page, kViewMmsc);
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
