// ModemAllocate and ModemRelease between borrowers, bound as the console binds
// them, and the SMS stand-in's side of the hand-over. Lending a modem on a real
// port and taking it back, and the refusal while another process holds it,
// are in the Add Modem dialog's test.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "gatewaysim/modem_handover.h"
#include "gprslink/gprslink_fixture.h"
#include "support/window_driver.h"

namespace {

// The library's ModemRequested: whether a borrower waits for the modem.
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

// Each modem apart and one holder at a time: a stale handle gives nothing
// back, and a borrower waiting gets the modem from its holder.
TEST(ModemAllocation, AStaleHandleGivesNothingBackAndAWaitingBorrowerGetsTheModemFromItsHolder) {
  DWORD value = 0;
  DWORD first = GprsLink().ModemAllocate("Shared Modem", 60, &value);
  ASSERT_NE(first, 0u);
  EXPECT_NE(AllocateElsewhere("Modem Two", 60), 0u) << "each modem is held apart";
  GprsLink().ModemRelease(first);
  DWORD second = GprsLink().ModemAllocate("Shared Modem", 60, &value);
  ASSERT_NE(second, 0u) << "free once released";
  GprsLink().ModemRelease(first);
  EXPECT_EQ(AllocateElsewhere("Shared Modem", 100), 0u) << "a stale handle gave nothing back";
  EXPECT_FALSE(ModemRequestedNow("Shared Modem")) << "a borrower that gave up leaves no request behind";

  DWORD third = 0;
  std::thread borrower([&] { third = AllocateElsewhere("Shared Modem", 10000, &value); });
  EXPECT_TRUE(WaitUntil([&] { return ModemRequestedNow("Shared Modem") != FALSE; }, 5000));
  GprsLink().ModemRelease(second);
  borrower.join();
  EXPECT_NE(third, 0u);
  EXPECT_EQ(value, 1u) << "handed over by its holder";
}

// A modem without a port is lent all the same, and taken back from a borrower
// killed while holding it; stopping gives it up.
TEST(ModemHandover, LendsItsModemTakesItBackFromAKilledBorrowerAndGivesItUpWhenStopped) {
  const char* modem = "Portless Handover Modem";
  ModemHandover* handover = StartModemHandoverFor(&modem, 1, nullptr);
  ASSERT_NE(handover, nullptr);
  auto becomes = [&](HandoverState state) {
    return WaitUntil([&] { return ModemHandoverState(handover, 0) == state; }, 10000);
  };
  EXPECT_TRUE(becomes(HandoverState::kNoPort));
  {
    ModemHeldElsewhere child(modem);
    EXPECT_TRUE(becomes(HandoverState::kLent)) << "the child borrowed it";
  }
  EXPECT_TRUE(becomes(HandoverState::kNoPort)) << "abandoned by a killed borrower, so taken back";
  StopModemHandover(handover);
  DWORD value = 0;
  DWORD allocation = GprsLink().ModemAllocate("portless handover modem", 60, &value);
  EXPECT_NE(allocation, 0u);
  EXPECT_EQ(value, 0u) << "given up when stopped: nobody holds it any more";
  GprsLink().ModemRelease(allocation);
}

}  // namespace
