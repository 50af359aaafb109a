// The modem among processes: the GPRS connection check through the real
// elevated console over the dial-up stand-in, the elevated side's driver
// update, and the Add Modem dialog's test of a modem another program or the
// running SMS service holds.
#include "config/config_files.h"
#include "gprslink/gprslink_fixture.h"
#include "modem/gprs_check.h"
#include "modem/modem_page_fixture.h"
#include "modem/modem_selection.h"
#include "services/rights.h"
#include "services/service_control.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kElevationQuestion[] =
    "plain YesNoCancel: Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to assume "
    "administrator rights to perform this task.\r\n\r\nDo you wish to continue?";
const char kRasFailed[] = "error RetryCancel: Connection Failed\r\nRAS Error 619\r\nFake dial-up error 619.";

// The page and the real elevated console, dialling through the stand-in: a
// gateway that does not answer, a modem another process holds, then a
// dial-up error over a chosen connection after the elevation question.
TEST_F(ModemPageTest, TheConnectionTestThroughTheRealConsole) {
  GatewayListener gateway;
  ASSERT_NE(gateway.Port(), 0u);
  ConfigureModem("GPRS Test Modem", true);
  AddDialUpEntry("Office VPN");
  for (int answer : {IDCANCEL, IDCANCEL, IDYES, IDCANCEL}) boxes_.Answer(answer);
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, IDC_MODEM_WAP_GATEWAY, ("http://" + ClosedLoopbackAddress()).c_str());
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_EQ(RasLog("Dials") + RasLog("HangUps"), "11");
    Type(page, IDC_MODEM_WAP_GATEWAY, ("http://" + gateway.Address()).c_str());
    {
      ModemHeldElsewhere holder("GPRS Test Modem");
      ASSERT_TRUE(holder.Held()) << "the other process never got the modem";
      Click(page, IDC_MODEM_TEST_CONNECTION);
    }
    EXPECT_EQ(RasLog("Dials"), "1") << "no dial for a modem in use";

    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    Choose(page, IDC_MODEM_NETWORK_CONNECTION, "Office VPN");
    WritePrivateProfileStringA("FakeRas", "DialResult", "619", FakeRas().c_str());
    Rights().openServiceManager = DenyFullAccess;
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    sheet_.configDirty = false;
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (std::vector<std::string>{"error RetryCancel: Unable to connect to WAP Gateway",
                                      "error RetryCancel: Unable to allocate modem, modem in use by ZedSMS",
                                      kElevationQuestion, kRasFailed}));
  EXPECT_EQ(RasLog("Dials") + RasLog("Connected") + " " + RasLog("LastEntry") + " " + RasLog("LastUser"),
            "2No Office VPN mmsuser");
  EXPECT_FALSE(FileExists(dir_.File("MODEMTEST.INI")));
}

// The elevated side on its own: a modem that forgets the context the check
// defines has the APN put into its driver's initialisation, which takes a
// restart; declining it dials all the same. A modem that keeps it gets a
// free context and no update.
TEST_F(ModemPageTest, TheElevatedSideUpdatesTheDriverOnlyForAModemThatForgetsTheContext) {
  static int restarts = 0;
  Rights().restartSystem = [] { ++restarts; };
  const std::string ini = dir_.File("MODEMTEST.INI");
  const struct {
    const char* modem;
    bool keepsContexts;
    int answer;  // to the restart question, 0 when none is asked
    const char* result;
  } rows[] = {{"Forgetful Restart Modem", false, IDYES, "Please restart your system before continuing"},
              {"Forgetful Modem", false, IDNO, "Connection Test OK!"},
              {"Keeping Modem", true, 0, "Connection Test OK!"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.modem);
    ModemProfile profile;
    profile.keepsContexts = row.keepsContexts;
    profile.contexts = {{1, "internet.example"}};
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    ModemRegistryEntry driver(row.modem, "COM5");
    GatewayListener gateway;
    for (auto [key, value] : {std::pair<const char*, std::string>{"WAPGatewayIP", "http:" + gateway.Address()},
                              {"APN", "mms.example"}, {"ModemName", row.modem}})
      WritePrivateProfileStringA("ModemTest", key, value.c_str(), ini.c_str());
    if (row.answer) boxes_.Answer(row.answer);
    ModemConnectionTest();
    EXPECT_EQ(ReadIni(ini, "ModemTest", "Result"), row.result);
    auto init = driver.Init();
    ASSERT_EQ(init.size(), row.keepsContexts ? 0u : 1u);
    EXPECT_TRUE(row.keepsContexts || init[0].second.find("mms.example") != std::string::npos);
    EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
    if (row.answer == IDYES) {
      EXPECT_EQ(RasLog("Dials"), "<none>") << "no dial before the restart";
    } else {
      EXPECT_EQ(RasLog("LastEntry") + " " + RasLog("Connected"), std::string("ZedSMS GPRS - ") + row.modem + " No");
      EXPECT_EQ(RunChild(std::string("allocate \"") + row.modem + "\" 0 0"), 0u) << "the modem was given back";
    }
  }
  EXPECT_EQ(restarts, 1);
  const std::string reboot =
      "question YesNo: ZedSMS has updated your modem driver settings to enable GPRS connectivity.\r\n\r\n"
      "Your system must be rebooted to apply these updates.\r\n\r\nDo you wish to reboot now?";
  EXPECT_EQ(BoxLines(boxes_.Boxes()), std::vector<std::string>(2, reboot));
}

class AddModemAllocationTest : public ServiceTest {};

TEST_F(AddModemAllocationTest, AModemHeldElsewhereIsReportedAndOneTheServiceHoldsIsBorrowed) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  FakeTelephonyScope telephony;
  telephony.fake.lines = {FakeLine{"Alpha Modem"}};
  ModemRegistryEntry driver("Alpha Modem", "COM5");
  WritePrivateProfileStringA("SMSGW", "WebPort", "18800", g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "WebPort", "18801", g_configFiles.mmscIni);
  auto handover = [&](const char* key) { return ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", key); };
  // Tests the listed modem in the dialog; the choice handed back.
  auto testInDialog = [] {
    char choice[kModemChoiceCapacity] = "";
    WindowDriver driver("Select Modem",
                        [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0); });
    ShowAddModemDialog(nullptr, choice);
    return std::string(choice);
  };
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDOK);
  {
    ModemHeldElsewhere holder("Alpha Modem");
    ASSERT_TRUE(holder.Held()) << "the other process never got the modem";
    EXPECT_EQ(testInDialog(), "Alpha Modem") << "the test runs all the same";
  }
  WritePrivateProfileStringA("SMSGW", "Modem1", "Alpha Modem", g_configFiles.smsIni);
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil([&] { return handover("Modem1") == "Holding"; }, 15000)) << "the service holds its modem";
  EXPECT_EQ(testInDialog(), "Alpha Modem");
  EXPECT_EQ(handover("Modem1Lent"), "1") << "lent for the test";
  EXPECT_TRUE(WaitUntil([&] { return handover("Modem1") == "Holding"; }, 10000)) << "and given back";
  EXPECT_TRUE(IsSmsServiceRunning());
  const char kPassed[] = "info OK: Modem successfully tested!";
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (std::vector<std::string>{
                "error OK: Modem is in use by the ZedSMS service.\r\n\r\nPlease try again later.", kPassed, kPassed}));
}

}  // namespace
