// The Add Modem dialog borrows the modem from the running SMS service for
// its test, and says so when another program holds it.
#include <windows.h>

#include "config/config_files.h"
#include "gprslink/gprslink_fixture.h"
#include "modem/modem_selection.h"
#include "services/service_control.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kInUse[] = "Modem is in use by the ZedSMS service.\r\n\r\nPlease try again later.";
constexpr int kTestButton = 106;

class AddModemAllocationTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    telephony_.fake.lines = {FakeLine{"Alpha Modem"}};
    WritePrivateProfileStringA("SMSGW", "WebPort", "18800", g_configFiles.smsIni);
    WritePrivateProfileStringA("MMSC", "WebPort", "18801", g_configFiles.mmscIni);
  }
  std::string Handover(const char* key) { return ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", key); }
  // Tests the listed modem in the dialog; its result and the choice handed back.
  INT_PTR TestInDialog(char* choice) {
    WindowDriver driver("Select Modem", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, kTestButton, 0); });
    return ShowAddModemDialog(nullptr, choice);
  }
  void ExpectBox(size_t index, const char* text, UINT icon) {
    auto boxes = boxes_.Boxes();
    ASSERT_GT(boxes.size(), index);
    EXPECT_EQ(boxes[index].caption, kCaption);
    EXPECT_EQ(boxes[index].text, text);
    EXPECT_EQ(boxes[index].icon, icon);
    EXPECT_EQ(boxes[index].buttons, std::vector<int>{IDOK});
  }

  FakeTelephonyScope telephony_;
};

TEST_F(AddModemAllocationTest, TheTestBorrowsTheModemFromTheRunningServiceAndGivesItBack) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  ModemRegistryEntry driver("Alpha Modem", "COM5");
  WritePrivateProfileStringA("SMSGW", "Modem1", "Alpha Modem", g_configFiles.smsIni);
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil([&] { return Handover("Modem1") == "Holding"; }, 15000)) << "the service holds its modem";
  boxes_.Answer(IDOK);
  char choice[kModemChoiceCapacity];
  EXPECT_EQ(TestInDialog(choice), 1);
  EXPECT_STREQ(choice, "Alpha Modem");
  ExpectBox(0, "Modem successfully tested!", MB_ICONINFORMATION);
  EXPECT_EQ(Handover("Modem1Lent"), "1") << "lent for the test";
  EXPECT_TRUE(WaitUntil([&] { return Handover("Modem1") == "Holding"; }, 10000)) << "and given back";
  EXPECT_TRUE(IsSmsServiceRunning());
}

TEST_F(AddModemAllocationTest, AModemHeldElsewhereIsReportedAndStillTested) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  PROCESS_INFORMATION holder = StartChild("allocate \"Alpha Modem\" 30000 60000");
  ASSERT_NE(holder.hProcess, nullptr);
  bool held = WaitUntil(
      [] {
        DWORD value = 0;
        DWORD allocation = GprsLink().ModemAllocate("Alpha Modem", 0, &value);
        if (allocation) GprsLink().ModemRelease(allocation);
        return allocation == 0;
      },
      10000);
  char choice[kModemChoiceCapacity] = "";
  INT_PTR result = 0;
  if (held) {
    boxes_.Answer(IDOK);
    boxes_.Answer(IDOK);
    result = TestInDialog(choice);
  }
  TerminateProcess(holder.hProcess, 9);
  WaitForSingleObject(holder.hProcess, 10000);
  CloseHandle(holder.hThread);
  CloseHandle(holder.hProcess);
  ASSERT_TRUE(held) << "the other process never got the modem";
  EXPECT_EQ(result, 1) << "the test runs all the same";
  EXPECT_STREQ(choice, "Alpha Modem");
  ExpectBox(0, kInUse, MB_ICONERROR);
  ExpectBox(1, "Modem successfully tested!", MB_ICONINFORMATION);
}

}  // namespace
