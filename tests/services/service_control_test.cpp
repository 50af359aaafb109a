#include "services/service_control.h"

#include <winsock2.h>

#include "services/rights.h"
#include "services/status_block.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kControlRights[] = "Administrator rights are required for service installation or modification.";
const char kElevationQuestion[] =
    "Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to assume "
    "administrator rights to perform this task.\r\n\r\nDo you wish to continue?";
const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";

std::string ShortProgramPath(const char* name) {
  char shortPath[MAX_PATH];
  std::string longPath = ProgramFolder() + name;
  DWORD n = GetShortPathNameA(longPath.c_str(), shortPath, sizeof shortPath);
  return n > 0 && n < sizeof shortPath ? shortPath : longPath;
}

// Records the switch of each elevated re-launch instead of starting anything.
std::string g_elevatedSwitches;
HANDLE RecordElevation(const char* parameters) {
  g_elevatedSwitches += std::string(parameters) + ";";
  return nullptr;
}
// Re-launches the real console elevated, as the system would.
HANDLE RunRealConsoleElevated(const char* parameters) {
  g_elevatedSwitches += std::string(parameters) + ";";
  return ShellRunAs((ProgramFolder() + "SMSGWCFG.EXE").c_str(), parameters);
}

bool IsTakenBy(unsigned port, SOCKET* holder) {
  *holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  return bind(*holder, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(*holder, 1) == 0;
}

class ServiceControlTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    g_elevatedSwitches.clear();
    // Ports of our own so the stand-ins never meet another program's.
    WritePrivateProfileStringA("SMSGW", "WebPort", "18800", dir_.File("SMSGW.INI").c_str());
    WritePrivateProfileStringA("MMSC", "WebPort", "18801", dir_.File("MMSC.INI").c_str());
  }
  void TearDown() override {
    ServiceTest::TearDown();
    WSACleanup();
  }
  void InstallRunning() {
    ASSERT_TRUE(InstallServices(true));
    ASSERT_TRUE(WaitUntil([] { return IsSmsServiceRunning() && IsMmsServiceRunning(); }, 10000));
  }
  std::string LastStop(const char* service) { return ReadIni(dir_.File("GATEWAYSIM.INI"), service, "LastStop"); }
  void ExpectOneBox(const char* text, UINT icon, std::vector<int> buttons = {IDOK}) {
    auto boxes = boxes_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, kCaption);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].icon, icon);
    EXPECT_EQ(boxes[0].buttons, buttons);
  }
};

TEST_F(ServiceControlTest, InstallRegistersBothServicesAndStartsThem) {
  EXPECT_FALSE(IsSmsServiceInstalled());
  InstallRunning();
  EXPECT_TRUE(IsSmsServiceInstalled());
  EXPECT_TRUE(IsMmsServiceInstalled());
  ServiceConfig sms, mms;
  ASSERT_TRUE(QueryServiceConfigDirectly("ZedSMS", &sms));
  ASSERT_TRUE(QueryServiceConfigDirectly("ZedMMSC", &mms));
  EXPECT_EQ(sms.displayName, "Zed SMS Gateway Lite Edition");
  EXPECT_EQ(mms.displayName, "Zed MMS Gateway Lite Edition");
  EXPECT_EQ(sms.binaryPath, ShortProgramPath("SMSGWSVC.EXE"));
  EXPECT_EQ(mms.binaryPath, ShortProgramPath("MMSCSVC.EXE"));
  EXPECT_EQ(sms.startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(sms.serviceType & SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_EQ(sms.errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
  EXPECT_EQ(sms.loadOrderGroup, "");
  // The firewall helper got both programs, each argument whole.
  EXPECT_EQ(FirewallRequests(2),
            (std::vector<std::string>{"program=" + ProgramFolder() + "MMSCSRV.EXE|name=Zed MMS Gateway Lite Edition",
                                      "program=" + ProgramFolder() + "SMSGWSRV.EXE|name=Zed SMS Gateway Lite Edition"}));
}

TEST_F(ServiceControlTest, InstallingAgainReconfiguresWithoutFailing) {
  ASSERT_TRUE(CreateServiceDirectly("ZedSMS", "Old SMS name", "C:\\old\\smsgw.exe"));
  ASSERT_TRUE(CreateServiceDirectly("ZedMMSC", "Old MMS name", "C:\\old\\mmsc.exe"));
  InstallRunning();
  ServiceConfig sms;
  ASSERT_TRUE(QueryServiceConfigDirectly("ZedSMS", &sms));
  EXPECT_EQ(sms.displayName, "Zed SMS Gateway Lite Edition");
  EXPECT_EQ(sms.binaryPath, ShortProgramPath("SMSGWSVC.EXE"));
  EXPECT_EQ(sms.startType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(sms.errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
  EXPECT_TRUE(InstallServices(true)) << "a second install of running services";
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ServiceControlTest, ServicePathIsQuotedOnlyWhenItStillHoldsASpace) {
  char path[MAX_PATH + 2];
  ServiceBinaryPath("SMSGWSVC.EXE", path);
  EXPECT_EQ(std::string(path), ShortProgramPath("SMSGWSVC.EXE"));
  // A file that does not exist has no short name: the long path is used, quoted.
  ServiceBinaryPath("NO SUCH SERVICE.EXE", path);
  EXPECT_EQ(std::string(path), "\"" + ProgramFolder() + "NO SUCH SERVICE.EXE\"");
}

TEST_F(ServiceControlTest, RemoveWithOnlyTheMmsServiceSucceedsAndLeavesIt) {
  ASSERT_TRUE(CreateServiceDirectly("ZedMMSC", "Zed MMS Gateway Lite Edition", ShortProgramPath("MMSCSVC.EXE")));
  EXPECT_TRUE(RemoveServices(true));
  EXPECT_TRUE(IsMmsServiceInstalled());
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ServiceControlTest, RemoveWhileRunningStopsTheSmsServiceThroughItsStatusBlock) {
  WritePrivateProfileStringA("ZedSMS", "IgnoreStopControl", "Yes", dir_.File("GATEWAYSIM.INI").c_str());
  InstallRunning();
  EXPECT_TRUE(RemoveServices(false));
  EXPECT_FALSE(IsSmsServiceInstalled());
  EXPECT_FALSE(IsMmsServiceInstalled());
  EXPECT_EQ(LastStop("ZedSMS"), "StopRequest");
  EXPECT_EQ(LastStop("ZedMMSC"), "StopControl");
}

TEST_F(ServiceControlTest, StopStartAndRestart) {
  InstallRunning();
  StopServices(true);
  EXPECT_FALSE(IsSmsServiceRunning());
  EXPECT_FALSE(IsMmsServiceRunning());
  StartServices(true);
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_TRUE(WaitUntil(IsMmsServiceRunning, 5000));
  WritePrivateProfileStringA("ZedSMS", "LastStop", nullptr, dir_.File("GATEWAYSIM.INI").c_str());
  RestartServices(true);
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_TRUE(WaitUntil(IsMmsServiceRunning, 5000));
  EXPECT_EQ(LastStop("ZedSMS"), "StopControl") << "restart went through a stop";
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ServiceControlTest, StopIsAlsoAskedThroughTheStatusBlock) {
  WritePrivateProfileStringA("ZedSMS", "IgnoreStopControl", "Yes", dir_.File("GATEWAYSIM.INI").c_str());
  InstallRunning();
  StopServices(false);
  EXPECT_FALSE(IsSmsServiceRunning());
  EXPECT_EQ(LastStop("ZedSMS"), "StopRequest");
}

TEST_F(ServiceControlTest, StartingARunningServiceShowsNothing) {
  InstallRunning();
  StartServices(true);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ServiceControlTest, AServiceThatCannotStartIsReported) {
  InstallRunning();
  StopServices(true);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE mms = OpenServiceA(manager, "ZedMMSC", SERVICE_ALL_ACCESS);
  ASSERT_TRUE(ChangeServiceConfigA(mms, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                   "C:\\missing\\MMSCSVC.EXE", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  CloseServiceHandle(mms);
  CloseServiceHandle(manager);
  boxes_.Answer(IDOK);
  StartServices(true);
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Error ", 0), 0u) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find(" starting service"), std::string::npos);
  EXPECT_EQ(boxes[0].text, "Error " + boxes[0].text.substr(6, boxes[0].text.find(' ', 6) - 6) + " starting service");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_TRUE(IsSmsServiceRunning()) << "the other service still starts";
}

TEST_F(ServiceControlTest, CreateServiceFailureIsReportedWithTheSystemError) {
  // A display name already taken by another service makes creation fail.
  ASSERT_TRUE(CreateServiceDirectly("ZedOther", "Zed SMS Gateway Lite Edition", "C:\\other.exe"));
  boxes_.Answer(IDOK);
  EXPECT_FALSE(InstallServices(true));
  RemoveServiceDirectly("ZedOther");
  ExpectOneBox("CreateService Failed, 1078\r\nAdministrator rights are required for service installation.", 0);
}

TEST_F(ServiceControlTest, WithoutRightsNonInteractiveCallsReportAndNeverOffer) {
  InstallRunning();
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RecordElevation;
  EXPECT_FALSE(HasAdminRights());
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDOK);
  StopServices(false);
  StartServices(false);
  RestartServices(false);
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  for (const auto& box : boxes) {
    EXPECT_EQ(box.text, kControlRights);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
  }
  EXPECT_TRUE(IsSmsServiceRunning()) << "nothing was stopped";

  boxes_.Answer(IDOK);
  EXPECT_FALSE(RemoveServices(false));
  EXPECT_EQ(boxes_.Boxes().back().text, "Administrator rights are required for service modification.");
  EXPECT_EQ(boxes_.Boxes().back().icon, 0u);
  boxes_.Answer(IDOK);
  EXPECT_FALSE(InstallServices(false));
  EXPECT_EQ(boxes_.Boxes().back().text, "Administrator rights are required for service installation.");
  EXPECT_EQ(boxes_.Boxes().back().icon, 0u);
  EXPECT_EQ(g_elevatedSwitches, "");
}

TEST_F(ServiceControlTest, WithoutRightsInteractiveCallsOfferElevationWithTheirSwitch) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RecordElevation;
  for (int i = 0; i < 5; ++i) boxes_.Answer(IDYES);
  StopServices(true);
  StartServices(true);
  RestartServices(true);
  EXPECT_TRUE(RemoveServices(true)) << "nothing installed: nothing to remove";
  ASSERT_TRUE(CreateServiceDirectly("ZedSMS", "Zed SMS Gateway Lite Edition", "C:\\x.exe"));
  EXPECT_FALSE(RemoveServices(true)) << "the recorded re-launch removed nothing";
  EXPECT_FALSE(InstallServices(true));
  EXPECT_EQ(g_elevatedSwitches, "/STOPSERVICE;/STARTSERVICE;/RESTARTSERVICE;/REMOVESERVICE;/INSTALLSERVICE;");
  for (const auto& box : boxes_.Boxes()) {
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.text, kElevationQuestion);
    EXPECT_EQ(box.icon, 0u);
    EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
  }
}

TEST_F(ServiceControlTest, DecliningElevationShowsTheLackOfRights) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RecordElevation;
  boxes_.Answer(IDNO);
  boxes_.Answer(IDOK);
  StopServices(true);
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDOK);
  EXPECT_FALSE(InstallServices(true));
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[1].text, kControlRights);
  EXPECT_EQ(boxes[3].text, "Administrator rights are required for service installation.");
  EXPECT_EQ(g_elevatedSwitches, "");
}

TEST_F(ServiceControlTest, ElevatedCopyInstallsAndTheCallerSeesIt) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RunRealConsoleElevated;
  MessageBoxAnswerer child(MessageBoxAnswerer::kOtherProcesses);
  child.Answer(IDOK);
  boxes_.Answer(IDYES);
  EXPECT_TRUE(InstallServices(true));
  EXPECT_TRUE(IsSmsServiceInstalled());
  EXPECT_EQ(g_elevatedSwitches, "/INSTALLSERVICE;");
  auto childBoxes = child.Boxes();
  ASSERT_EQ(childBoxes.size(), 1u);
  EXPECT_EQ(childBoxes[0].text, "Service successfully installed!");
}

TEST_F(ServiceControlTest, OldSystemsNeverOfferElevation) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RecordElevation;
  Rights().isVistaOrLater = [] { return false; };
  boxes_.Answer(IDOK);
  EXPECT_FALSE(InstallServices(true));
  ExpectOneBox("Administrator rights are required for service installation.", 0);
  EXPECT_FALSE(IsVistaOrLater());

  Rights().isNtFamily = [] { return false; };
  boxes_.Answer(IDOK);
  EXPECT_FALSE(InstallServices(true));
  EXPECT_EQ(boxes_.Boxes().back().text,
            "This product requires Windows 2000, XP, 2003, Vista or NT.\r\n(Windows 95, 98 and ME are not supported.)");
  EXPECT_EQ(g_elevatedSwitches, "");
}

TEST_F(ServiceControlTest, SystemRightsUnderTheTestSystem) {
  EXPECT_TRUE(HasAdminRights());
  EXPECT_TRUE(IsVistaOrLater());
}

TEST_F(ServiceControlTest, StatusBlocksExistOnlyWhileTheServicesRun) {
  StatusBlock block;
  EXPECT_FALSE(OpenSmsStatusBlock(&block));
  EXPECT_EQ(block.mapping, nullptr);
  InstallRunning();
  ASSERT_TRUE(OpenSmsStatusBlock(&block));
  EXPECT_EQ(block.view[kWebPortInUseByte], 0);
  EXPECT_EQ(block.view[kSmppPortInUseByte], 0);
  CloseSmsStatusBlock(&block);
  EXPECT_EQ(block.view, nullptr);
  ASSERT_TRUE(OpenMmsStatusBlock(&block));
  EXPECT_EQ(block.view[kMm7PortInUseByte], 0);
  CloseMmsStatusBlock(&block);
  StopServices(true);
  EXPECT_FALSE(OpenSmsStatusBlock(&block));
  EXPECT_FALSE(OpenMmsStatusBlock(&block));
}

TEST_F(ServiceControlTest, StatusBlocksFlagPortsTakenByAnotherProgram) {
  WritePrivateProfileStringA("SMSGW", "SMPPPort", "18802", dir_.File("SMSGW.INI").c_str());
  WritePrivateProfileStringA("MMSC", "SMPPPort", "18803", dir_.File("MMSC.INI").c_str());
  SOCKET web, smpp, mm7;
  ASSERT_TRUE(IsTakenBy(18800, &web));
  ASSERT_TRUE(IsTakenBy(18802, &smpp));
  ASSERT_TRUE(IsTakenBy(18801, &mm7));
  InstallRunning();
  StatusBlock block;
  ASSERT_TRUE(OpenSmsStatusBlock(&block));
  EXPECT_NE(block.view[kWebPortInUseByte], 0);
  EXPECT_NE(block.view[kSmppPortInUseByte], 0);
  CloseSmsStatusBlock(&block);
  ASSERT_TRUE(OpenMmsStatusBlock(&block));
  EXPECT_NE(block.view[kMm7PortInUseByte], 0);
  EXPECT_EQ(block.view[kSmppPortInUseByte], 0) << "its own SMPP port was free";
  CloseMmsStatusBlock(&block);
  closesocket(web);
  closesocket(smpp);
  closesocket(mm7);
}

}  // namespace
