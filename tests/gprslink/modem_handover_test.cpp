// The SMS stand-in's side of the modem hand-over, in this process and in the
// real stand-in service.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "config/config_files.h"
#include "gatewaysim/modem_handover.h"
#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

bool Becomes(const ModemHandover* handover, size_t index, HandoverState state) {
  return WaitUntil([&] { return ModemHandoverState(handover, index) == state; }, 10000);
}

class ModemHandoverTest : public testing::Test {
 protected:
  void TearDown() override { StopModemHandover(handover_); }
  void Start(std::initializer_list<const char*> names) {
    std::vector<const char*> list(names);
    handover_ = StartModemHandoverFor(list.data(), list.size(), dir_.File("GATEWAYSIM.INI").c_str());
    ASSERT_NE(handover_, nullptr);
  }

  TempDataDirectory dir_{"handover"};
  ModemHandover* handover_ = nullptr;
};

TEST_F(ModemHandoverTest, HoldsTheModemsPortLendsItAndTakesItBack) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  Start({"COM5:"});
  ASSERT_TRUE(Becomes(handover_, 0, HandoverState::kHolding)) << "the cable's port is open";
  EXPECT_EQ(ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", "Modem1"), "Holding");
  DWORD value = 0;
  DWORD allocation = GprsLink().ModemAllocate("COM5:", 30000, &value);
  ASSERT_NE(allocation, 0u);
  EXPECT_EQ(value, 1u) << "taken from its holder";
  EXPECT_EQ(ModemHandoverState(handover_, 0), HandoverState::kLent) << "let go before handing over";
  EXPECT_EQ(ModemHandoverLentCount(handover_, 0), 1u);
  EXPECT_EQ(ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", "Modem1"), "Lent");
  EXPECT_EQ(ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", "Modem1Lent"), "1");
  GprsLink().ModemRelease(allocation);
  EXPECT_TRUE(Becomes(handover_, 0, HandoverState::kHolding)) << "reopened once given back";
  allocation = GprsLink().ModemAllocate("com5:", 30000, &value);
  EXPECT_NE(allocation, 0u);
  EXPECT_EQ(ModemHandoverLentCount(handover_, 0), 2u);
  GprsLink().ModemRelease(allocation);
}

TEST_F(ModemHandoverTest, KeepsTheLeaseOfAModemWhosePortIsMissing) {
  Start({"Portless Handover Modem"});
  ASSERT_TRUE(Becomes(handover_, 0, HandoverState::kNoPort));
  DWORD value = 0;
  DWORD allocation = GprsLink().ModemAllocate("Portless Handover Modem", 30000, &value);
  ASSERT_NE(allocation, 0u);
  EXPECT_EQ(value, 1u);
  GprsLink().ModemRelease(allocation);
  EXPECT_TRUE(Becomes(handover_, 0, HandoverState::kNoPort));
}

TEST_F(ModemHandoverTest, TakesTheModemBackFromABorrowerThatWasKilled) {
  Start({"Crash Modem"});
  ASSERT_TRUE(Becomes(handover_, 0, HandoverState::kNoPort));
  PROCESS_INFORMATION child = StartChild("allocate \"Crash Modem\" 30000 60000");
  ASSERT_NE(child.hProcess, nullptr);
  EXPECT_TRUE(Becomes(handover_, 0, HandoverState::kLent)) << "the child borrowed it";
  TerminateProcess(child.hProcess, 9);
  WaitForSingleObject(child.hProcess, 10000);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  EXPECT_TRUE(Becomes(handover_, 0, HandoverState::kNoPort)) << "abandoned, so taken back";
}

TEST_F(ModemHandoverTest, TakesTheModemBackFromABorrowerThatEndedWithoutReleasing) {
  Start({"Forgetful Borrower Modem"});
  ASSERT_TRUE(Becomes(handover_, 0, HandoverState::kNoPort));
  EXPECT_EQ(RunChild("allocate \"Forgetful Borrower Modem\" 30000 200"), 0u);
  EXPECT_EQ(ModemHandoverLentCount(handover_, 0), 1u);
  EXPECT_TRUE(Becomes(handover_, 0, HandoverState::kNoPort));
}

TEST_F(ModemHandoverTest, StartsWithTheConfiguredModemsAndGivesThemUpWhenStopped) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  PrepareConfigFiles();
  const char* smsIni = g_configFiles.smsIni;
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", smsIni);
  WritePrivateProfileStringA("SMSGW", "Modem2", "SMPP - Provider", smsIni);
  WritePrivateProfileStringA("SMSGW", "Modem3", "Second Handover Modem", smsIni);
  WritePrivateProfileStringA("SMSGW", "Modem5", "After A Gap", smsIni);
  handover_ = StartModemHandover();
  ASSERT_NE(handover_, nullptr);
  EXPECT_TRUE(Becomes(handover_, 0, HandoverState::kHolding));
  EXPECT_TRUE(Becomes(handover_, 1, HandoverState::kNoPort));
  EXPECT_EQ(ModemHandoverState(handover_, 2), HandoverState::kFailed) << "two modems, no more";
  EXPECT_TRUE(WaitUntil([&] { return ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", "Modem2") == "NoPort"; },
                        5000));
  EXPECT_EQ(ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", "Modem1"), "Holding");
  StopModemHandover(handover_);
  handover_ = nullptr;
  DWORD value = 7;
  DWORD allocation = GprsLink().ModemAllocate("Second Handover Modem", 60, &value);
  EXPECT_NE(allocation, 0u);
  EXPECT_EQ(value, 0u) << "nobody holds it any more";
  GprsLink().ModemRelease(allocation);
}

TEST(ModemHandoverConfiguration, StartsNothingWithoutModems) {
  TempDataDirectory dir("handover");
  PrepareConfigFiles();
  WritePrivateProfileStringA("SMSGW", "Modem1", "HTTP - Web Link", g_configFiles.smsIni);
  EXPECT_EQ(StartModemHandover(), nullptr);
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
  EXPECT_EQ(ReadIni(record, "ModemHandover", "Modem1Lent"), "1");
  GprsLink().ModemRelease(allocation);
  EXPECT_TRUE(WaitUntil([&] { return ReadIni(record, "ModemHandover", "Modem1") == "Holding"; }, 10000));
}

}  // namespace
