// Closing the main sheet (with and without unsaved edits), and the switches
// that act on services and data, in process and as the real program. Which
// switch a command line selects is the native tests' table.
#include "app/console.h"

#include <windows.h>
#include <prsht.h>

#include <functional>

#include "common/file_util.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/service_fixture.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;

class ConsoleTest : public ServiceTest {
 protected:
  // The main sheet as started, with the action run once it shows.
  void RunSheet(const std::function<void(HWND)>& action) {
    WindowDriver driver(kProductCaption, action);
    EXPECT_EQ(ConsoleMain(""), 0);
    EXPECT_TRUE(driver.Appeared());
  }
  void CloseSheet(int button) { RunSheet([=](HWND sheet) { PostMessageA(sheet, WM_COMMAND, button, 0); }); }
};

// The real program, from a folder whose name has a space: no other program
// may run in the service's place, and the firewall helper gets its arguments whole.
TEST_F(ConsoleTest, TheRealProgramInstallsAndRemovesFromAFolderWithSpaces) {
  std::string folder = dir_.File("Zed Gateway Test\\");
  ASSERT_TRUE(CreateDirectoryPath(folder.c_str()));
  for (const char* file : {"SMSGWCFG.EXE", "GWCORE.DLL", "MMSACCT.DLL", "SMSGWSVC.EXE", "MMSCSVC.EXE", "FWRULE.EXE"})
    ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), (folder + file).c_str(), FALSE)) << file;
  MessageBoxAnswerer child(MessageBoxAnswerer::kOtherProcesses);
  EXPECT_EQ(RunProgram(folder + "SMSGWCFG.EXE", "-QUIET -INSTALLSERVICE", 60000), 0);
  EXPECT_TRUE(WaitUntil(IsSmsServiceRunning, 10000));
  ServiceConfig sms;
  ASSERT_TRUE(QueryServiceConfigDirectly("ZedSMS", &sms));
  // The short form has no space; a long one would have to be quoted.
  bool quoted = sms.binaryPath.front() == '"' && sms.binaryPath.back() == '"';
  EXPECT_TRUE(sms.binaryPath.find(' ') == std::string::npos || quoted) << sms.binaryPath;
  EXPECT_NE(sms.binaryPath.find("SMSGWSVC.EXE"), std::string::npos) << sms.binaryPath;
  EXPECT_EQ(FirewallRequests(2),
            (Texts{"program=" + folder + "MMSCSRV.EXE|name=Zed MMS Gateway Lite Edition",
                   "program=" + folder + "SMSGWSRV.EXE|name=Zed SMS Gateway Lite Edition"}));
  EXPECT_EQ(RunProgram(folder + "SMSGWCFG.EXE", "/Q /R", 60000), 0);
  EXPECT_FALSE(IsSmsServiceInstalled() || IsMmsServiceInstalled());
  EXPECT_TRUE(child.Boxes().empty()) << "quiet";
}

TEST_F(ConsoleTest, DeleteDataDirectoryAsksAndNeverTouchesTheProgramFolder) {
  dir_.SetPrivateDirectory(ProgramFolder());
  EXPECT_EQ(ConsoleMain("-DELETEDATADIR"), 0);
  EXPECT_TRUE(FileExists(ProgramFolder() + "SMSGWCFG.EXE")) << "not even asked";

  TempDataDirectory privateDir("private");
  dir_.SetPrivateDirectory(privateDir.Path());
  WriteFileText(privateDir.File("SMSUSERS.DAT"), "1");
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  EXPECT_EQ(ConsoleMain("-DELETEDATADIR"), 0);
  EXPECT_TRUE(FileExists(privateDir.File("SMSUSERS.DAT")));
  EXPECT_EQ(ConsoleMain("/DELETEDATADIR"), 0);
  EXPECT_FALSE(FileExists(privateDir.Path()));
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts(2, "question YesNo: Delete Configuration files for ZedSMS?"));
}

// With a modem configured, closing the main sheet offers to activate services
// that are not both running; Yes installs and starts them.
TEST_F(ConsoleTest, ClosingTheSheetOffersToActivateTheServices) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "Phone Modem", dir_.File("SMSGW.INI").c_str());
  boxes_.Answer(IDNO);
  CloseSheet(IDCANCEL);
  EXPECT_FALSE(IsSmsServiceInstalled());
  ASSERT_TRUE(InstallServices(false));
  RemoveServiceDirectly("ZedMMSC");
  boxes_.Answer(IDYES);
  CloseSheet(IDOK);
  EXPECT_TRUE(WaitUntil(IsMmsServiceRunning, 5000));
  CloseSheet(IDCANCEL);
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            Texts(2, "question YesNo: Service is not active, do you wish to activate the service?"));
}

// Unsaved edits make Cancel ask; only Yes lets the sheet close.
TEST_F(ConsoleTest, CancelWithUnsavedEditsClosesOnlyAfterYes) {
  constexpr int kDebugLogsPage = 6;
  WritePrivateProfileStringA("SMSGW", "Modem1", "Phone Modem", dir_.File("SMSGW.INI").c_str());
  for (int answer : {IDNO, IDYES, IDNO}) boxes_.Answer(answer);
  RunSheet([](HWND sheet) {
    SendMessageA(sheet, PSM_SETCURSEL, kDebugLogsPage, 0);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    HWND debugSwitch = GetDlgItem(page, IDC_DEBUGLOG_SMSGW);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEBUGLOG_SMSGW, BN_CLICKED), reinterpret_cast<LPARAM>(debugSwitch));
    SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(sheet)) << "No keeps the sheet";
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  });
  const char kExit[] = "question YesNoCancel: Exit without saving configuration changes?";
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (Texts{kExit, kExit, "question YesNo: Service is not active, do you wish to activate the service?"}));
}

}  // namespace
