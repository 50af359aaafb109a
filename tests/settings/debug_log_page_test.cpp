// The debug log switches, driven on the main sheet's last tab.
#include "settings/settings_dialogs.h"

#include <prsht.h>

#include "resources/page_ids.h"

namespace {

constexpr int kDebugPage = 6;

TEST(DebugLogPageTest, SwitchesAreReadAsTrueValuesWrittenAsYesOrRemovedAndLogsOpenInNotepad) {
  TempDataDirectory dir("debuglog");
  MessageBoxAnswerer boxes;  // none expected
  SheetContext sheetContext;
  WritePrivateProfileStringA("SMSGW", "Debug", "1", dir.File("SMSGW.INI").c_str());
  WritePrivateProfileStringA("MMSC", "Debug", "TRUE", dir.File("MMSC.INI").c_str());
  WritePrivateProfileStringA("MMSWAP", "Debug", "No", dir.File("MMSWAP.INI").c_str());
  WindowDriver driver(kProductCaption, [&](HWND sheet) {
    SendMessageA(sheet, PSM_SETCURSEL, kDebugPage, 0);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_TRUE(Checked(page, IDC_DEBUGLOG_SMSGW) && Checked(page, IDC_DEBUGLOG_MMSC));
    EXPECT_FALSE(Checked(page, IDC_DEBUGLOG_MMSWAP) || Enabled(sheet, kApplyButton));
    // A log can be viewed once it is there, within the 5 s refresh.
    EXPECT_FALSE(Enabled(page, IDC_DEBUGLOG_VIEW_MMSC));
    WriteFileText(dir.File("MMSCDEBUG.LOG"), "started\r\n");
    EXPECT_TRUE(WaitUntil([&] { return Enabled(page, IDC_DEBUGLOG_VIEW_MMSC); }, 7000));
    EXPECT_FALSE(Enabled(page, IDC_DEBUGLOG_VIEW_SMSGW));
    Click(page, IDC_DEBUGLOG_VIEW_MMSC);
    // Notepad shows the log's name in its title once it has opened the file.
    HWND notepad = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
      notepad = FindWindowA("Notepad", nullptr);
      return notepad && InternalText(notepad).find("MMSCDEBUG") != std::string::npos;
    }, 15000));
    if (notepad) PostMessageA(notepad, WM_CLOSE, 0, 0);
    Click(page, IDC_DEBUGLOG_MMSC);
    Click(page, IDC_DEBUGLOG_MMSWAP);
    EXPECT_TRUE(sheetContext.configDirty && Enabled(sheet, kApplyButton));
    Close(sheet, IDOK);
  });
  RunConsoleSheet(&sheetContext);
  EXPECT_EQ(Key(dir.File("MMSC.INI"), "MMSC", "Debug") + " " + ReadFileText(dir.File("MMSWAP.INI")) +
                Key(dir.File("SMSGW.INI"), "SMSGW", "Debug"),
            "<none> [MMSWAP]\r\nDebug=Yes\r\nYes") << "an unchecked box removes the key, a checked one is Yes";
  EXPECT_TRUE(sheetContext.configDirty) << "Apply leaves the flag alone";
}

}  // namespace
