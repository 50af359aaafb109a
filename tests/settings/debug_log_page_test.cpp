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
  auto ini = [&](const char* name) { return dir.File(name); };
  WritePrivateProfileStringA("SMSGW", "Debug", "1", ini("SMSGW.INI").c_str());
  WritePrivateProfileStringA("MMSC", "Debug", "TRUE", ini("MMSC.INI").c_str());
  WritePrivateProfileStringA("MMSWAP", "Debug", "No", ini("MMSWAP.INI").c_str());
  WindowDriver driver(kProductCaption, [&](HWND sheet) {
    SendMessageA(sheet, PSM_SETCURSEL, kDebugPage, 0);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_TRUE(Checked(page, IDC_DEBUGLOG_SMSGW) && Checked(page, IDC_DEBUGLOG_MMSC));
    EXPECT_FALSE(Checked(page, IDC_DEBUGLOG_MMSWAP) || Enabled(sheet, kApplyButton));
    // A log can be viewed once it is there, within the 5 s refresh.
    EXPECT_FALSE(Enabled(page, IDC_DEBUGLOG_VIEW_SMSGW) || Enabled(page, IDC_DEBUGLOG_VIEW_MMSC) ||
                 Enabled(page, IDC_DEBUGLOG_VIEW_MMSWAP));
    WriteFileText(dir.File("MMSCDEBUG.LOG"), "started\r\n");
    EXPECT_TRUE(WaitUntil([&] { return Enabled(page, IDC_DEBUGLOG_VIEW_MMSC); }, 7000));
    EXPECT_FALSE(Enabled(page, IDC_DEBUGLOG_VIEW_SMSGW));
    Click(page, IDC_DEBUGLOG_VIEW_MMSC);
    // Notepad shows the log's name in its title once it has opened the file.
    HWND notepad = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
      notepad = FindWindowA("Notepad", nullptr);
      char title[MAX_PATH] = "";
      if (notepad) GetWindowTextA(notepad, title, sizeof title);
      return std::string(title).find("MMSCDEBUG") != std::string::npos;
    }, 15000));
    if (notepad) PostMessageA(notepad, WM_CLOSE, 0, 0);

    Click(page, IDC_DEBUGLOG_MMSC);
    Click(page, IDC_DEBUGLOG_MMSWAP);
    EXPECT_TRUE(sheetContext.configDirty && Enabled(sheet, kApplyButton));
    Close(sheet, IDOK);
  });
  RunConsoleSheet(&sheetContext);
  EXPECT_EQ(Key(ini("MMSC.INI"), "MMSC", "Debug"), "<none>") << "an unchecked box removes the key";
  EXPECT_EQ(ReadFileText(ini("MMSWAP.INI")), "[MMSWAP]\r\nDebug=Yes\r\n");
  EXPECT_EQ(Key(ini("SMSGW.INI"), "SMSGW", "Debug"), "Yes") << "a checked box is written Yes";
  EXPECT_TRUE(sheetContext.configDirty) << "Apply leaves the flag alone";
}

}  // namespace
