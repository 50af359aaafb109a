// ModemAllocate and ModemRelease between borrowers, bound as the console binds
// them, and the SMS stand-in's side of the hand-over. The running stand-in
// service, which holds the modems it is configured with, lends its modem in
// the Add Modem dialog's test.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "gatewaysim/modem_handover.h"
#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

// From another thread, which lets go again at once: the allocation.
DWORD AllocateElsewhere(const char* modem, DWORD waitMs) {
  DWORD allocation = 0;
  std::thread other([&] {
    allocation = GprsLink().ModemAllocate(modem, waitMs, nullptr);
    if (allocation) GprsLink().ModemRelease(allocation);
  });
  other.join();
  return allocation;
}

TEST(ModemAllocation, OneHolderAtATimeStaleReleasesGiveNothingBackAndAWaitingBorrowerIsSeen) {
  DWORD value = 99;
  DWORD first = GprsLink().ModemAllocate("Shared Modem", 60, &value);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(value, 0u) << "no service had it";
  EXPECT_NE(AllocateElsewhere("Modem Two", 60), 0u) << "each modem is held apart";
  DWORD start = GetTickCount();
  EXPECT_EQ(AllocateElsewhere("Shared Modem", 60), 0u) << "held, and the holder does not let go";
  EXPECT_LT(GetTickCount() - start, 5000u) << "the wait is bounded by the limit";
  EXPECT_FALSE(ModemRequestedNow("Shared Modem")) << "a borrower that gave up leaves no request behind";
  GprsLink().ModemRelease(first);

  DWORD second = GprsLink().ModemAllocate("shared modem", 60, &value);
  ASSERT_NE(second, 0u) << "free once released; names compare without case";
  EXPECT_NE(second, first) << "handles are not reused";
  for (DWORD stale : {first, 0ul, 0x12345678ul}) GprsLink().ModemRelease(stale);
  EXPECT_EQ(AllocateElsewhere("Shared Modem", 100), 0u) << "still held by the second allocation";
  EXPECT_EQ(GprsLink().ModemAllocate("", 60, &value), 0u);
  EXPECT_EQ(GprsLink().ModemAllocate(nullptr, 60, nullptr), 0u);

  DWORD third = 0;
  std::thread borrower([&] {
    third = GprsLink().ModemAllocate("Shared Modem", 10000, &value);
    if (third) GprsLink().ModemRelease(third);
  });
  EXPECT_TRUE(WaitUntil([&] { return ModemRequestedNow("Shared Modem") != FALSE; }, 5000));
  EXPECT_TRUE(ModemRequestedNow("Shared Modem")) << "looking does not take the request";
  GprsLink().ModemRelease(second);
  borrower.join();
  EXPECT_NE(third, 0u);
  EXPECT_EQ(value, 1u) << "handed over by its holder";
  EXPECT_FALSE(ModemRequestedNow("Shared Modem"));
}

class ModemHandoverTest : public testing::Test {
 protected:
  void TearDown() override { StopModemHandover(handover_); }
  bool Becomes(size_t index, HandoverState state) {
    return WaitUntil([&] { return ModemHandoverState(handover_, index) == state; }, 10000);
  }
  std::string Recorded(const char* key) { return ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", key); }
  // Borrows the modem here, as taken from its holder.
  void BorrowAndGiveBack(const char* modem, size_t index) {
    DWORD value = 0;
    DWORD allocation = GprsLink().ModemAllocate(modem, 30000, &value);
    EXPECT_NE(allocation, 0u) << modem;
    EXPECT_EQ(value, 1u) << modem;
    EXPECT_EQ(ModemHandoverState(handover_, index), HandoverState::kLent) << modem;
    if (index == 0) {
      EXPECT_EQ(Recorded("Modem1") + Recorded("Modem1Lent"), "Lent1");
    }
    GprsLink().ModemRelease(allocation);
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
  BorrowAndGiveBack("com5:", 0);
  EXPECT_TRUE(Becomes(0, HandoverState::kHolding)) << "reopened once given back";
  BorrowAndGiveBack("Portless Handover Modem", 1);
  EXPECT_TRUE(Becomes(1, HandoverState::kNoPort)) << "a modem without a port is lent all the same";
  {
    ModemHeldElsewhere child("Portless Handover Modem");
    EXPECT_TRUE(Becomes(1, HandoverState::kLent)) << "the child borrowed it";
  }
  EXPECT_TRUE(Becomes(1, HandoverState::kNoPort)) << "abandoned by a killed borrower, so taken back";
  EXPECT_EQ(RunChild("allocate \"Portless Handover Modem\" 30000 200"), 0u);
  EXPECT_EQ(ModemHandoverLentCount(handover_, 1), 3u);
  EXPECT_TRUE(Becomes(1, HandoverState::kNoPort)) << "a borrower that ended without releasing";
  StopModemHandover(handover_);
  handover_ = nullptr;
  DWORD value = 7;
  DWORD allocation = GprsLink().ModemAllocate("Portless Handover Modem", 60, &value);
  EXPECT_NE(allocation, 0u);
  EXPECT_EQ(value, 0u) << "given up when stopped: nobody holds it any more";
  GprsLink().ModemRelease(allocation);
}

}  // namespace
