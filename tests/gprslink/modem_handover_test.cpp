// The SMS stand-in's side of the modem hand-over, in this process and in the
// real stand-in service.
#include <windows.h>

#include <gtest/gtest.h>

#include "config/config_files.h"
#include "gatewaysim/modem_handover.h"
#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

class ModemHandoverTest : public testing::Test {
 protected:
  void TearDown() override { StopModemHandover(handover_); }
  bool Becomes(size_t index, HandoverState state) {
    return WaitUntil([&] { return ModemHandoverState(handover_, index) == state; }, 10000);
  }
  std::string Recorded(const char* key) { return ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", key); }
  // Borrows the modem here, as taken from its holder (let go before it is handed over).
  DWORD Borrow(const char* modem, size_t index) {
    DWORD value = 0;
    DWORD allocation = GprsLink().ModemAllocate(modem, 30000, &value);
    EXPECT_NE(allocation, 0u) << modem;
    EXPECT_EQ(value, 1u) << modem;
    EXPECT_EQ(ModemHandoverState(handover_, index), HandoverState::kLent) << modem;
    return allocation;
  }

  TempDataDirectory dir_{"handover"};
  ModemHandover* handover_ = nullptr;
};

TEST_F(ModemHandoverTest, LendsItsModemsAndTakesThemBackFromEveryBorrower) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  const char* modems[] = {"COM5:", "Portless Handover Modem"};
  handover_ = StartModemHandoverFor(modems, 2, dir_.File("GATEWAYSIM.INI").c_str());
  ASSERT_NE(handover_, nullptr);
  ASSERT_TRUE(Becomes(0, HandoverState::kHolding)) << "the cable's port is open";
  ASSERT_TRUE(Becomes(1, HandoverState::kNoPort));
  EXPECT_EQ(Recorded("Modem1"), "Holding");

  DWORD allocation = Borrow("com5:", 0);
  EXPECT_EQ(Recorded("Modem1"), "Lent");
  EXPECT_EQ(Recorded("Modem1Lent"), "1");
  GprsLink().ModemRelease(allocation);
  EXPECT_TRUE(Becomes(0, HandoverState::kHolding)) << "reopened once given back";
  GprsLink().ModemRelease(Borrow("Portless Handover Modem", 1));
  EXPECT_TRUE(Becomes(1, HandoverState::kNoPort)) << "a modem without a port is lent all the same";

  PROCESS_INFORMATION child = StartChild("allocate \"Portless Handover Modem\" 30000 60000");
  ASSERT_NE(child.hProcess, nullptr);
  EXPECT_TRUE(Becomes(1, HandoverState::kLent)) << "the child borrowed it";
  TerminateProcess(child.hProcess, 9);
  WaitForSingleObject(child.hProcess, 10000);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  EXPECT_TRUE(Becomes(1, HandoverState::kNoPort)) << "abandoned by a killed borrower, so taken back";

  EXPECT_EQ(RunChild("allocate \"Portless Handover Modem\" 30000 200"), 0u);
  EXPECT_EQ(ModemHandoverLentCount(handover_, 1), 3u);
  EXPECT_TRUE(Becomes(1, HandoverState::kNoPort)) << "a borrower that ended without releasing";
}

TEST_F(ModemHandoverTest, StartsWithTheConfiguredModemsAndGivesThemUpWhenStopped) {
  PrepareConfigFiles();
  const char* smsIni = g_configFiles.smsIni;
  WritePrivateProfileStringA("SMSGW", "Modem1", "HTTP - Web Link", smsIni);
  EXPECT_EQ(StartModemHandover(), nullptr) << "no modem, nothing to hold";

  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", smsIni);
  WritePrivateProfileStringA("SMSGW", "Modem2", "SMPP - Provider", smsIni);
  WritePrivateProfileStringA("SMSGW", "Modem3", "Second Handover Modem", smsIni);
  WritePrivateProfileStringA("SMSGW", "Modem5", "After A Gap", smsIni);
  handover_ = StartModemHandover();
  ASSERT_NE(handover_, nullptr);
  EXPECT_TRUE(Becomes(0, HandoverState::kHolding));
  EXPECT_TRUE(Becomes(1, HandoverState::kNoPort));
  EXPECT_EQ(ModemHandoverState(handover_, 2), HandoverState::kFailed) << "two modems, no more";
  EXPECT_TRUE(WaitUntil([&] { return Recorded("Modem2") == "NoPort"; }, 5000));
  StopModemHandover(handover_);
  handover_ = nullptr;
  DWORD value = 7;
  DWORD allocation = GprsLink().ModemAllocate("Second Handover Modem", 60, &value);
  EXPECT_NE(allocation, 0u);
  EXPECT_EQ(value, 0u) << "nobody holds it any more";
  GprsLink().ModemRelease(allocation);
}

// The SMS stand-in service holds its configured modem and lends it.
class StandInHandoverTest : public ServiceTest {};

TEST_F(StandInHandoverTest, TheRunningServiceLendsItsModem) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", g_configFiles.smsIni);
  ASSERT_TRUE(CreateServiceDirectly("ZedSMS", "Zed SMS Gateway Lite Edition", ProgramFolder() + "SMSGWSVC.EXE"));
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = OpenServiceA(manager, "ZedSMS", SERVICE_START);
  ASSERT_TRUE(service && StartServiceA(service, 0, nullptr));
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  std::string record = dir_.File("GATEWAYSIM.INI");
  ASSERT_TRUE(WaitUntil([&] { return ReadIni(record, "ModemHandover", "Modem1") == "Holding"; }, 15000));
  DWORD value = 0;
  DWORD allocation = GprsLink().ModemAllocate("COM5:", 30000, &value);
  ASSERT_NE(allocation, 0u);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(ReadIni(record, "ModemHandover", "Modem1"), "Lent");
  GprsLink().ModemRelease(allocation);
  EXPECT_TRUE(WaitUntil([&] { return ReadIni(record, "ModemHandover", "Modem1") == "Holding"; }, 10000));
}

}  // namespace
