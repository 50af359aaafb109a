// The Add Modem dialog's test says so when another program holds the modem,
// and borrows it from the running SMS service and gives it back.
#include <windows.h>

#include "config/config_files.h"
#include "gprslink/gprslink_fixture.h"
#include "modem/modem_selection.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

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
