// Start-up and the command-line switches, in process and as the real program.
#include "app/console.h"

#include <thread>

#include "app/app_state.h"
#include "common/file_util.h"
#include "services/rights.h"
#include "services/service_control.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";

class ConsoleTest : public ServiceTest {
 protected:
  void ExpectBox(size_t index, const char* text, UINT icon) {
    auto boxes = boxes_.Boxes();
    ASSERT_GT(boxes.size(), index);
    EXPECT_EQ(boxes[index].caption, kCaption);
    EXPECT_EQ(boxes[index].text, text);
    EXPECT_EQ(boxes[index].icon, icon);
  }
};

TEST_F(ConsoleTest, FreshDataDirectoryGetsEmptyConfigurationFiles) {
  DeleteFileA(dir_.File("SMSGW.INI").c_str());
  DeleteFileA(dir_.File("MMSC.INI").c_str());
  // Nothing is installed, so the stop switch reports the missing service.
  boxes_.Answer(IDOK);
  EXPECT_EQ(ConsoleMain("-STOPSERVICE"), 0);
  EXPECT_TRUE(IsPlainFile(dir_.File("SMSGW.INI").c_str()));
  EXPECT_TRUE(IsPlainFile(dir_.File("MMSC.INI").c_str()));
  EXPECT_EQ(ReadFileText(dir_.File("SMSGW.INI")), "");
  EXPECT_EQ(ReadFileText(dir_.File("MMSC.INI")), "");
  ExpectBox(0, "Administrator rights are required for service installation or modification.", MB_ICONERROR);
}

TEST_F(ConsoleTest, InstallSwitchShowsItsResultAndInstallIsMatchedAsASubstring) {
  boxes_.Answer(IDOK);
  EXPECT_EQ(ConsoleMain("/install"), 0);
  EXPECT_TRUE(IsSmsServiceInstalled());
  EXPECT_TRUE(IsMmsServiceInstalled());
  ExpectBox(0, "Service successfully installed!", MB_ICONINFORMATION);
}

TEST_F(ConsoleTest, TheRealProgramEndsWithStatusZeroAfterASwitch) {
  MessageBoxAnswerer child(MessageBoxAnswerer::kOtherProcesses);
  child.Answer(IDOK);
  EXPECT_EQ(RunConsoleProcess("-INSTALLSERVICE"), 0);
  EXPECT_TRUE(IsSmsServiceRunning());
  auto boxes = child.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, kCaption);
  EXPECT_EQ(boxes[0].text, "Service successfully installed!");
}

TEST_F(ConsoleTest, AProgramFolderWithSpacesCannotLetAnotherProgramRunInstead) {
  std::string folder = dir_.File("Zed Gateway Test\\");
  ASSERT_TRUE(CreateDirectoryPath(folder.c_str()));
  for (const char* file : {"SMSGWCFG.EXE", "GWCORE.DLL", "MMSACCT.DLL", "SMSGWSVC.EXE", "MMSCSVC.EXE", "FWRULE.EXE"})
    ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), (folder + file).c_str(), FALSE)) << file;
  EXPECT_EQ(RunProgram(folder + "SMSGWCFG.EXE", "-QUIET -INSTALLSERVICE", 60000), 0);
  EXPECT_TRUE(WaitUntil(IsSmsServiceRunning, 10000));
  ServiceConfig sms;
  ASSERT_TRUE(QueryServiceConfigDirectly("ZedSMS", &sms));
  // The short form has no space; a long one would have to be quoted.
  bool quoted = sms.binaryPath.front() == '"' && sms.binaryPath.back() == '"';
  EXPECT_TRUE(sms.binaryPath.find(' ') == std::string::npos || quoted) << sms.binaryPath;
  EXPECT_NE(sms.binaryPath.find("SMSGWSVC.EXE"), std::string::npos) << sms.binaryPath;
  // The firewall helper started from the spaced folder and got both arguments whole.
  EXPECT_EQ(FirewallRequests(2),
            (std::vector<std::string>{"program=" + folder + "MMSCSRV.EXE|name=Zed MMS Gateway Lite Edition",
                                      "program=" + folder + "SMSGWSRV.EXE|name=Zed SMS Gateway Lite Edition"}));
  RemoveServiceDirectly("ZedSMS");
  RemoveServiceDirectly("ZedMMSC");
}

TEST_F(ConsoleTest, QuietInstallAndRemoveShowNothing) {
  MessageBoxAnswerer child(MessageBoxAnswerer::kOtherProcesses);
  EXPECT_EQ(RunConsoleProcess("-QUIET -INSTALLSERVICE"), 0);
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_EQ(RunConsoleProcess("/Q /R"), 0);
  EXPECT_FALSE(IsSmsServiceInstalled());
  EXPECT_FALSE(IsMmsServiceInstalled());
  EXPECT_TRUE(child.Boxes().empty());
}

TEST_F(ConsoleTest, RemoveSwitchStopsFirstAndReportsSuccess) {
  WritePrivateProfileStringA("ZedSMS", "IgnoreStopControl", "Yes", dir_.File("GATEWAYSIM.INI").c_str());
  ASSERT_TRUE(InstallServices(false));
  boxes_.Answer(IDOK);
  EXPECT_EQ(ConsoleMain("-REMOVESERVICE"), 0);
  EXPECT_FALSE(IsSmsServiceInstalled());
  EXPECT_EQ(ReadIni(dir_.File("GATEWAYSIM.INI"), "ZedSMS", "LastStop"), "StopRequest");
  ExpectBox(0, "Service successfully removed!", MB_ICONINFORMATION);
}

TEST_F(ConsoleTest, FailedInstallAndRemoveShowTheirResultAfterTheOperationsOwnBox) {
  Rights().openServiceManager = DenyFullAccess;
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  EXPECT_EQ(ConsoleMain("-INSTALLSERVICE"), 0);
  ExpectBox(0, "Administrator rights are required for service installation.", 0);
  ExpectBox(1, "Service installation failed!", MB_ICONERROR);

  Rights() = SystemRights();
  ASSERT_TRUE(InstallServices(false));
  Rights().openServiceManager = DenyFullAccess;
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDOK);
  EXPECT_EQ(ConsoleMain("-REMOVESERVICE"), 0);
  ExpectBox(2, "Administrator rights are required for service installation or modification.", MB_ICONERROR);
  ExpectBox(3, "Administrator rights are required for service modification.", 0);
  ExpectBox(4, "Service removal failed!", MB_ICONERROR);
}

TEST_F(ConsoleTest, QuietSilencesOnlyTheResultBoxes) {
  Rights().openServiceManager = DenyFullAccess;
  boxes_.Answer(IDOK);
  EXPECT_EQ(ConsoleMain("-Q -INSTALLSERVICE"), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  ExpectBox(0, "Administrator rights are required for service installation.", 0);
}

TEST_F(ConsoleTest, FirstMatchingSwitchWins) {
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil(IsSmsServiceRunning, 5000));
  EXPECT_EQ(ConsoleMain("-STARTSERVICE -STOPSERVICE"), 0);
  EXPECT_FALSE(IsSmsServiceRunning()) << "stop comes first in the table";
  EXPECT_FALSE(IsMmsServiceRunning());
  EXPECT_EQ(ConsoleMain("/STARTSERVICE"), 0);
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_EQ(ConsoleMain("/RESTARTSERVICE"), 0);
  EXPECT_TRUE(IsSmsServiceRunning());
}

TEST_F(ConsoleTest, DeleteDataDirectoryAsksAndDeletesOnYes) {
  TempDataDirectory privateDir("private");
  dir_.SetPrivateDirectory(privateDir.Path());
  CreateDirectoryA(privateDir.File("STATS").c_str(), nullptr);
  WriteFileText(privateDir.File("STATS\\SMSSENT"), "1");

  boxes_.Answer(IDNO);
  EXPECT_EQ(ConsoleMain("-DELETEDATADIR"), 0);
  EXPECT_TRUE(FileExists(privateDir.File("STATS\\SMSSENT")));
  ExpectBox(0, "Delete Configuration files for ZedSMS?", MB_ICONQUESTION);
  EXPECT_EQ(boxes_.Boxes()[0].buttons, (std::vector<int>{IDYES, IDNO}));

  boxes_.Answer(IDYES);
  EXPECT_EQ(ConsoleMain("/DELETEDATADIR"), 0);
  EXPECT_FALSE(FileExists(privateDir.Path()));
  EXPECT_TRUE(FileExists(dir_.File("SMSGW.INI"))) << "only the private data directory goes";
}

TEST_F(ConsoleTest, DeleteDataDirectoryLeavesTheProgramFolderAlone) {
  dir_.SetPrivateDirectory(ProgramFolder());
  EXPECT_EQ(ConsoleMain("-DELETEDATADIR"), 0);
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_TRUE(FileExists(ProgramFolder() + "SMSGWCFG.EXE"));
}

TEST_F(ConsoleTest, ModemTestWithoutRightsLeavesItsAnswer) {
  Rights().openServiceManager = DenyFullAccess;
  boxes_.Answer(IDOK);
  EXPECT_EQ(ConsoleMain("-MODEMTEST"), 0);
  const char text[] = "Administrative rights are required for this test.";
  EXPECT_EQ(ReadIni(dir_.File("MODEMTEST.INI"), "ModemTest", "Result"), text);
  ExpectBox(0, text, MB_ICONERROR);
}

TEST_F(ConsoleTest, ClosingWithAModemConfiguredOffersToActivateTheServices) {
  WritePrivateProfileStringA("SMSGW", "Modem1", "Phone Modem", dir_.File("SMSGW.INI").c_str());
  boxes_.Answer(IDNO);
  {
    WindowDriver driver(kCaption, [](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(ConsoleMain(""), 0);
  }
  ExpectBox(0, "Service is not active, do you wish to activate the service?", MB_ICONQUESTION);
  EXPECT_EQ(boxes_.Boxes()[0].buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_FALSE(IsSmsServiceInstalled());

  // Only one service running is still "not active"; Yes installs and starts both.
  ASSERT_TRUE(InstallServices(false));
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE mms = OpenServiceA(manager, "ZedMMSC", SERVICE_ALL_ACCESS);
  SERVICE_STATUS status;
  ControlService(mms, SERVICE_CONTROL_STOP, &status);
  CloseServiceHandle(mms);
  CloseServiceHandle(manager);
  ASSERT_TRUE(WaitUntil([] { return !IsMmsServiceRunning(); }, 5000));
  boxes_.Answer(IDYES);
  {
    WindowDriver driver(kCaption, [](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(ConsoleMain(""), 0);
  }
  EXPECT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_TRUE(WaitUntil(IsMmsServiceRunning, 5000));
}

TEST_F(ConsoleTest, NoOfferWithoutAModemOrWithBothServicesRunning) {
  {
    WindowDriver driver(kCaption, [](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(ConsoleMain(""), 0);
  }
  WritePrivateProfileStringA("SMSGW", "Modem1", "Phone Modem", dir_.File("SMSGW.INI").c_str());
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil([] { return IsSmsServiceRunning() && IsMmsServiceRunning(); }, 5000));
  {
    WindowDriver driver(kCaption, [](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(ConsoleMain(""), 0);
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ConsoleTest, ServicesAreStoppedBehindTheWaitDialogBeforeTheWizard) {
  StopServicesForWizard();  // nothing runs: no dialog, nothing to do
  // The SMS stand-in stops only through its status block, which takes a poll.
  WritePrivateProfileStringA("ZedSMS", "IgnoreStopControl", "Yes", dir_.File("GATEWAYSIM.INI").c_str());
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil(IsSmsServiceRunning, 5000));
  std::string shownText;
  // The dialog is titled before its text is set: the last text seen counts.
  std::thread watcher([&shownText] {
    WaitUntil(
        [&] {
          HWND wait = FindOwnWindow("Please wait...");
          if (wait) shownText = InternalText(GetDlgItem(wait, 1444));
          return shownText == "Stopping Services...";
        },
        10000);
  });
  StopServicesForWizard();
  watcher.join();
  EXPECT_EQ(shownText, "Stopping Services...");
  EXPECT_FALSE(IsSmsServiceRunning());
  EXPECT_FALSE(IsMmsServiceRunning());
  EXPECT_EQ(FindOwnWindow("Please wait..."), nullptr) << "the dialog is gone";
}

}  // namespace
