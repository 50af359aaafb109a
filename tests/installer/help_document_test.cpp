// With the help document in the program folder, the Help button of every page
// of the main sheet opens it through the shell.
#include <windows.h>
#include <prsht.h>

#include <cstring>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/console.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

constexpr int kPageCount = 7;

// RECORDARGS.EXE opens PDF documents while the test runs, so that what the
// shell was asked to open can be read back.
class PdfOpener {
 public:
  PdfOpener() {
    previous_[0] = '\0';
    LONG size = sizeof previous_;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ".pdf", previous_, &size) != ERROR_SUCCESS) previous_[0] = '\0';
    Set(".pdf", kProgId);
    Set("ZedSmsTestPdf\\shell\\open\\command", ("\"" + ProgramFolder() + "RECORDARGS.EXE\" \"%1\"").c_str());
  }
  ~PdfOpener() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
    if (previous_[0])
      Set(".pdf", previous_);
    else
      RegDeleteKeyA(HKEY_CLASSES_ROOT, ".pdf");
  }

 private:
  static constexpr const char* kProgId = "ZedSmsTestPdf";
  static void Set(const char* key, const char* value) {
    RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, value, static_cast<DWORD>(strlen(value)));
  }
  char previous_[MAX_PATH];
};

std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string text = ReadFileText(path);
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

TEST(HelpDocumentTest, HelpOnEveryPageOpensTheDocument) {
  TempDataDirectory dir("help");
  // A modem configured: the main sheet opens without the setup wizard.
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", dir.File("SMSGW.INI").c_str());
  std::string document = ProgramFolder() + "ZedSMS Lite.pdf";
  WriteFileText(document, "%PDF-1.4\n");
  std::string log = ProgramFolder() + "RECORDARGS.LOG";
  DeleteFileA(log.c_str());
  PdfOpener opener;
  MessageBoxAnswerer boxes;
  boxes.Answer(IDNO);  // Closing offers to activate the services.

  WindowDriver driver(kProductCaption, [&](HWND sheet) {
    for (int page = 0; page < kPageCount; ++page) {
      SendMessageA(sheet, PSM_SETCURSEL, page, 0);
      SendMessageA(sheet, WM_COMMAND, IDHELP, 0);
      EXPECT_TRUE(WaitUntil([&] { return LogLines(log).size() == static_cast<size_t>(page) + 1; }, 10000))
          << "page " << page;
    }
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(ConsoleMain(""), 0);
  EXPECT_TRUE(driver.Appeared());

  std::string opened = "\"" + ProgramFolder() + "RECORDARGS.EXE\" \"" + document + "\"";
  EXPECT_EQ(LogLines(log), std::vector<std::string>(kPageCount, opened));
  EXPECT_EQ(BoxLines(boxes.Boxes()),
            std::vector<std::string>{"question YesNo: Service is not active, do you wish to activate the service?"});
  DeleteFileA(document.c_str());
  DeleteFileA(log.c_str());
}

}  // namespace
