// ModemAllocate and ModemRelease between borrowers, bound as the console binds
// them, and the SMS stand-in's side of the hand-over. Lending a modem on a real
// port, and the refusal while another process holds it, are in the Add Modem
// dialog's test.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "gatewaysim/modem_handover.h"
#include "gprslink/gprslink_fixture.h"
#include "support/window_driver.h"

namespace {

// The library's ModemRequested, which the console binds but never calls.
BOOL ModemRequestedNow(const char* modemName) {
  return reinterpret_cast<BOOL(__cdecl*)(const char*)>(GprsLink().ModemRequested)(modemName);
}

// From another thread, which lets go again at once: the allocation.
DWORD AllocateElsewhere(const char* modem, DWORD waitMs, DWORD* value = nullptr) {
  DWORD allocation = 0;
  std::thread other([&] {
    allocation = GprsLink().ModemAllocate(modem, waitMs, value);
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
  EXPECT_EQ(AllocateElsewhere("Shared Modem", 60), 0u) << "held, and the holder does not let go";
  EXPECT_FALSE(ModemRequestedNow("Shared Modem")) << "a borrower that gave up leaves no request behind";
  GprsLink().ModemRelease(first);

  DWORD second = GprsLink().ModemAllocate("shared modem", 60, &value);
  ASSERT_NE(second, 0u) << "free once released; names compare without case";
  for (DWORD stale : {first, 0ul}) GprsLink().ModemRelease(stale);
  EXPECT_EQ(AllocateElsewhere("Shared Modem", 100), 0u) << "a stale handle gave nothing back";
  EXPECT_EQ(GprsLink().ModemAllocate(nullptr, 60, nullptr), 0u);

  DWORD third = 0;
  std::thread borrower([&] { third = AllocateElsewhere("Shared Modem", 10000, &value); });
  EXPECT_TRUE(WaitUntil([&] { return ModemRequestedNow("Shared Modem") != FALSE; }, 5000));
  EXPECT_TRUE(ModemRequestedNow("Shared Modem")) << "looking does not take the request";
  GprsLink().ModemRelease(second);
  borrower.join();
  EXPECT_NE(third, 0u);
  EXPECT_EQ(value, 1u) << "handed over by its holder";
  EXPECT_FALSE(ModemRequestedNow("Shared Modem"));
}

// A modem without a port is lent all the same, and taken back from a borrower
// here, a killed one and one that ended without releasing; stopping gives it up.
TEST(ModemHandover, LendsItsModemAndTakesItBackFromEveryBorrower) {
  const char* modem = "Portless Handover Modem";
  ModemHandover* handover = StartModemHandoverFor(&modem, 1, nullptr);
  ASSERT_NE(handover, nullptr);
  auto becomes = [&](HandoverState state) {
    return WaitUntil([&] { return ModemHandoverState(handover, 0) == state; }, 10000);
  };
  EXPECT_TRUE(becomes(HandoverState::kNoPort));
  DWORD value = 0;
  DWORD allocation = GprsLink().ModemAllocate("portless handover modem", 30000, &value);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(ModemHandoverState(handover, 0), HandoverState::kLent);
  GprsLink().ModemRelease(allocation);
  EXPECT_TRUE(becomes(HandoverState::kNoPort));
  {
    ModemHeldElsewhere child(modem);
    EXPECT_TRUE(becomes(HandoverState::kLent)) << "the child borrowed it";
  }
  EXPECT_TRUE(becomes(HandoverState::kNoPort)) << "abandoned by a killed borrower, so taken back";
  EXPECT_EQ(RunChild("allocate \"Portless Handover Modem\" 30000 200"), 0u);
  EXPECT_TRUE(becomes(HandoverState::kNoPort));
  EXPECT_EQ(ModemHandoverLentCount(handover, 0), 3u);
  StopModemHandover(handover);
  allocation = GprsLink().ModemAllocate(modem, 60, &value);
  EXPECT_NE(allocation, 0u);
  EXPECT_EQ(value, 0u) << "given up when stopped: nobody holds it any more";
  GprsLink().ModemRelease(allocation);
}

}  // namespace
