// The Add Modem dialog borrows the modem from the running SMS service for
// its test, and says so when another program holds it.
#include <windows.h>

#include "config/config_files.h"
#include "modem/modem_selection.h"
#include "modem/modem_page_fixture.h"
#include "services/service_control.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kPassed[] = "info: Modem successfully tested!";

class AddModemAllocationTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    ASSERT_TRUE(modem_.Running());
    telephony_.fake.lines = {FakeLine{"Alpha Modem"}};
    WritePrivateProfileStringA("SMSGW", "WebPort", "18800", g_configFiles.smsIni);
    WritePrivateProfileStringA("MMSC", "WebPort", "18801", g_configFiles.mmscIni);
  }
  std::string Handover(const char* key) { return ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", key); }
  // Tests the listed modem in the dialog; the choice handed back, "" when cancelled.
  std::string TestInDialog() {
    char choice[kModemChoiceCapacity] = "";
    WindowDriver driver("Select Modem",
                        [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0); });
    ShowAddModemDialog(nullptr, choice);
    return choice;
  }

  ModemSimulator modem_{1, ModemProfile{}};
  FakeTelephonyScope telephony_;
};

TEST_F(AddModemAllocationTest, TheTestBorrowsTheModemFromTheRunningServiceAndGivesItBack) {
  ModemRegistryEntry driver("Alpha Modem", "COM5");
  WritePrivateProfileStringA("SMSGW", "Modem1", "Alpha Modem", g_configFiles.smsIni);
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil([&] { return Handover("Modem1") == "Holding"; }, 15000)) << "the service holds its modem";
  boxes_.Answer(IDOK);
  EXPECT_EQ(TestInDialog(), "Alpha Modem");
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>{kPassed});
  EXPECT_EQ(Handover("Modem1Lent"), "1") << "lent for the test";
  EXPECT_TRUE(WaitUntil([&] { return Handover("Modem1") == "Holding"; }, 10000)) << "and given back";
  EXPECT_TRUE(IsSmsServiceRunning());
}

TEST_F(AddModemAllocationTest, AModemHeldElsewhereIsReportedAndStillTested) {
  std::string choice;
  {
    ModemHeldElsewhere holder("Alpha Modem");
    ASSERT_TRUE(holder.Held()) << "the other process never got the modem";
    boxes_.Answer(IDOK);
    boxes_.Answer(IDOK);
    choice = TestInDialog();
  }
  EXPECT_EQ(choice, "Alpha Modem") << "the test runs all the same";
  EXPECT_EQ(Shown(boxes_), (std::vector<std::string>{
                               "error: Modem is in use by the ZedSMS service.\r\n\r\nPlease try again later.",
                               kPassed}));
}

}  // namespace
