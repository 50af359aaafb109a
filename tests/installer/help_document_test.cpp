// With the help document in the program folder, the Help button of every page
// of the main sheet opens it through the shell.
#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/console.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

constexpr char kProgId[] = "ZedSmsTestPdf";

void SetClassesValue(const char* key, const std::string& value) {
  RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
}

// RECORDARGS.EXE opens PDF documents while the test runs (the test prefix
// has no viewer of its own), so that what the shell was asked to open can be
// read back.
struct PdfOpener {
  PdfOpener() {
    SetClassesValue(".pdf", kProgId);
    SetClassesValue("ZedSmsTestPdf\\shell\\open\\command", "\"" + ProgramFolder() + "RECORDARGS.EXE\" \"%1\"");
  }
  ~PdfOpener() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".pdf");
  }
};

TEST(HelpDocumentTest, HelpOnEveryPageOpensTheDocument) {
  TempDataDirectory dir("help");
  // A modem configured: the main sheet opens without the setup wizard.
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", dir.File("SMSGW.INI").c_str());
  const std::string document = ProgramFolder() + "ZedSMS Lite.pdf", log = ProgramFolder() + "RECORDARGS.LOG";
  WriteFileText(document, "%PDF-1.4\n");
  DeleteFileA(log.c_str());
  const std::string opened = "\"" + ProgramFolder() + "RECORDARGS.EXE\" \"" + document + "\"\r\n";
  PdfOpener opener;
  MessageBoxAnswerer boxes;
  boxes.Answer(IDNO);  // Closing offers to activate the services.
  std::string expected;
  WindowDriver driver(kProductCaption, [&](HWND sheet) {
    for (int page = 0; page < 7; ++page) {  // the seven pages of the sheet
      SendMessageA(sheet, PSM_SETCURSEL, page, 0);
      SendMessageA(sheet, WM_COMMAND, IDHELP, 0);
      expected += opened;
      EXPECT_TRUE(WaitUntil([&] { return ReadFileText(log) == expected; }, 10000)) << "page " << page;
    }
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(ConsoleMain(""), 0);
  EXPECT_TRUE(driver.Appeared());
  DeleteFileA(document.c_str());
  DeleteFileA(log.c_str());
}

}  // namespace
