// Installing and controlling the gateway services against the real service
// manager and the stand-in services.
#include "services/service_control.h"

#include "services/rights.h"
#include "services/status_block.h"
#include "support/service_fixture.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;
const char kControlRights[] = "error OK: Administrator rights are required for service installation or modification.";
const char kInstallRights[] = "plain OK: Administrator rights are required for service installation.";
const char kElevationQuestion[] =
    "plain YesNoCancel: Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to assume "
    "administrator rights to perform this task.\r\n\r\nDo you wish to continue?";

// Records the switch of each elevated re-launch instead of starting anything.
std::string g_elevatedSwitches;
HANDLE RecordElevation(const char* parameters) {
  g_elevatedSwitches += std::string(parameters) + ";";
  return nullptr;
}

class ServiceControlTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    g_elevatedSwitches.clear();
    // Ports of our own so the stand-ins never meet another program's.
    WritePrivateProfileStringA("SMSGW", "WebPort", "18800", dir_.File("SMSGW.INI").c_str());
    WritePrivateProfileStringA("MMSC", "WebPort", "18801", dir_.File("MMSC.INI").c_str());
  }
  void InstallRunning() {
    ASSERT_TRUE(InstallServices(true));
    ASSERT_TRUE(WaitUntil([] { return IsSmsServiceRunning() && IsMmsServiceRunning(); }, 10000));
  }
  std::string LastStop(const char* service) { return ReadIni(dir_.File("GATEWAYSIM.INI"), service, "LastStop"); }
};

// A fresh service is created, one left from an old installation
// reconfigured. The SMS stand-in here ignores the stop control, as a busy
// service may: it must also be asked through its status block.
TEST_F(ServiceControlTest, InstallStopStartRestartAndRemoveReachEvenABusyService) {
  ASSERT_TRUE(CreateServiceDirectly("ZedSMS", "Old SMS name", "C:\\old\\smsgw.exe"));
  WritePrivateProfileStringA("ZedSMS", "IgnoreStopControl", "Yes", dir_.File("GATEWAYSIM.INI").c_str());
  StatusBlock block;
  EXPECT_FALSE(OpenSmsStatusBlock(&block));
  InstallRunning();
  ServiceConfig sms;
  ASSERT_TRUE(QueryServiceConfigDirectly("ZedSMS", &sms));
  char path[MAX_PATH + 2];
  ServiceBinaryPath("SMSGWSVC.EXE", path);
  EXPECT_EQ(sms.displayName + "|" + sms.binaryPath, "Zed SMS Gateway Lite Edition|" + std::string(path));
  EXPECT_EQ(sms.startType, static_cast<DWORD>(SERVICE_AUTO_START)) << "the old one reconfigured";
  EXPECT_TRUE(InstallServices(true)) << "a second install of running services";
  ASSERT_TRUE(OpenSmsStatusBlock(&block));
  CloseSmsStatusBlock(&block);
  EXPECT_EQ(block.view, nullptr);

  StopServices(false);
  EXPECT_FALSE(IsSmsServiceRunning() || IsMmsServiceRunning());
  EXPECT_EQ(LastStop("ZedSMS"), "StopRequest");
  EXPECT_FALSE(OpenSmsStatusBlock(&block) || OpenMmsStatusBlock(&block)) << "gone with their services";
  StartServices(true);
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_TRUE(WaitUntil(IsMmsServiceRunning, 5000));
  WritePrivateProfileStringA("ZedSMS", "LastStop", nullptr, dir_.File("GATEWAYSIM.INI").c_str());
  WritePrivateProfileStringA("ZedMMSC", "StartMs", "2000", dir_.File("GATEWAYSIM.INI").c_str());
  RestartServices(true);
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_EQ(LastStop("ZedSMS"), "StopRequest") << "restart went through a stop";
  EXPECT_TRUE(RemoveServices(false));
  EXPECT_FALSE(IsSmsServiceInstalled() || IsMmsServiceInstalled()) << "the MMS service was still starting";
  EXPECT_EQ(LastStop("ZedMMSC"), "StopControl");
  // Without the SMS service there is nothing to remove, whatever else is there.
  ASSERT_TRUE(CreateServiceDirectly("ZedMMSC", "Zed MMS Gateway Lite Edition", "C:\\mmscsvc.exe"));
  EXPECT_TRUE(RemoveServices(true));
  EXPECT_TRUE(IsMmsServiceInstalled());
  EXPECT_TRUE(boxes_.Boxes().empty());
  // A file without a short name keeps its long path, quoted for its space.
  ServiceBinaryPath("NO SUCH SERVICE.EXE", path);
  EXPECT_EQ(std::string(path), "\"" + ProgramFolder() + "NO SUCH SERVICE.EXE\"");
}

TEST_F(ServiceControlTest, AFailureToStartIsReportedWithTheSystemsError) {
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
  std::string shown = BoxLines(boxes_.Boxes()).back();
  EXPECT_EQ(shown.rfind("error OK: Error ", 0), 0u) << shown;
  EXPECT_EQ(shown.substr(shown.size() - 17), " starting service") << shown;
  EXPECT_TRUE(IsSmsServiceRunning()) << "the other service still starts";
}

// Without rights each operation reports it when called without a user, and
// otherwise offers elevation with its own switch; declined, it reports too.
// Services that are running are left so.
TEST_F(ServiceControlTest, WithoutRightsEachOperationReportsOrOffersElevation) {
  InstallRunning();
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RecordElevation;
  const struct {
    void (*operation)(bool interactive);
    const char* switchText;
    const char* report;
  } rows[] = {
      {StopServices, "/STOPSERVICE;", kControlRights},
      {StartServices, "/STARTSERVICE;", kControlRights},
      {RestartServices, "/RESTARTSERVICE;", kControlRights},
      {[](bool interactive) { RemoveServices(interactive); }, "/REMOVESERVICE;",
       "plain OK: Administrator rights are required for service modification."},
      {[](bool interactive) { InstallServices(interactive); }, "/INSTALLSERVICE;", kInstallRights},
  };
  Texts expected;
  std::string switches;
  for (const auto& row : rows) {
    for (int answer : {IDOK, IDNO, IDOK, IDYES}) boxes_.Answer(answer);
    row.operation(false);
    row.operation(true);
    row.operation(true);
    expected.insert(expected.end(), {row.report, kElevationQuestion, row.report, kElevationQuestion});
    switches += row.switchText;  // only after Yes
  }
  EXPECT_TRUE(IsSmsServiceRunning() && IsMmsServiceRunning()) << "nothing was done";

  // Systems without elevation never offer it.
  Rights().isVistaOrLater = [] { return false; };
  boxes_.Answer(IDOK);
  InstallServices(true);
  expected.push_back(kInstallRights);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), expected);
  EXPECT_EQ(g_elevatedSwitches, switches);
}

TEST_F(ServiceControlTest, ElevatedCopyInstallsAndTheCallerSeesIt) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = [](const char* parameters) {
    return ShellRunAs((ProgramFolder() + "SMSGWCFG.EXE").c_str(), parameters);
  };
  MessageBoxAnswerer child(MessageBoxAnswerer::kOtherProcesses);
  child.Answer(IDOK);
  boxes_.Answer(IDYES);
  EXPECT_TRUE(InstallServices(true));
  EXPECT_TRUE(IsSmsServiceInstalled());
  EXPECT_EQ(BoxLines(child.Boxes()), Texts{"? OK: Service successfully installed!"});
}

}  // namespace
