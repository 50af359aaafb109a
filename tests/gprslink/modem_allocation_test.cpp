// ModemAllocate and ModemRelease between borrowers, bound as the console binds them.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "gprslink/gprslink_fixture.h"
#include "support/window_driver.h"

namespace {

// From another thread: the allocation result and its out value.
DWORD AllocateElsewhere(const char* modem, DWORD waitMs, DWORD* value, bool keep = false) {
  DWORD allocation = 0;
  std::thread other([&] {
    allocation = GprsLink().ModemAllocate(modem, waitMs, value);
    if (allocation && !keep) GprsLink().ModemRelease(allocation);
  });
  other.join();
  return allocation;
}

TEST(GprsLinkBinding, OffersEveryEntryPointTheConsoleLooksFor) {
  GprsLinkLibrary library;
  ASSERT_TRUE(BindGprsLinkLibrary("GPRSLINK.DLL", &library));
  EXPECT_TRUE(library.ModemAllocate && library.ModemRelease && library.RasLoadListOrComboBox &&
              library.WSPRasDial && library.WSPRasHangUp);
  EXPECT_TRUE(library.WSPConnect && library.WSPDisconnect && library.WSPRequest && library.ModemRequested &&
              library.RasGetUserAndPassword && library.RasGetModemName);
  EXPECT_TRUE(library.ModemGetCIDForAPN && library.ModemDriverUpdateInitStrings && library.WSPRasGetErrorString &&
              library.ModemReset)
      << "the optional ones too";
  FreeLibrary(library.module);
}

TEST(ModemAllocation, TakesAModemNobodyHoldsAtOnce) {
  DWORD value = 99;
  DWORD allocation = GprsLink().ModemAllocate("Unheld Modem", 60, &value);
  ASSERT_NE(allocation, 0u);
  EXPECT_EQ(value, 0u) << "no service had it";
  GprsLink().ModemRelease(allocation);
  DWORD again = GprsLink().ModemAllocate("Unheld Modem", 60, &value);
  EXPECT_NE(again, 0u) << "released, so free again";
  EXPECT_NE(again, allocation) << "handles are not reused";
  GprsLink().ModemRelease(again);
  EXPECT_EQ(GprsLink().ModemAllocate("", 60, &value), 0u);
  EXPECT_EQ(GprsLink().ModemAllocate(nullptr, 60, nullptr), 0u);
}

TEST(ModemAllocation, ASecondBorrowerWaitsInVainAndWithdrawsItsRequest) {
  DWORD value = 0;
  DWORD allocation = GprsLink().ModemAllocate("Shared Modem", 60, &value);
  ASSERT_NE(allocation, 0u);
  DWORD start = GetTickCount();
  EXPECT_EQ(AllocateElsewhere("Shared Modem", 60, &value), 0u) << "held, and the holder does not let go";
  EXPECT_LT(GetTickCount() - start, 5000u) << "the wait is bounded by the limit";
  EXPECT_FALSE(ModemRequestedNow("Shared Modem")) << "a borrower that gave up leaves no request behind";
  GprsLink().ModemRelease(allocation);
  EXPECT_NE(AllocateElsewhere("shared modem", 300, &value), 0u) << "free once released; names compare without case";
}

TEST(ModemAllocation, TheServiceSeesAWaitingBorrower) {
  auto requested = ModemRequestedNow;
  DWORD first = GprsLink().ModemAllocate("Watched Modem", 60, nullptr);
  ASSERT_NE(first, 0u);
  EXPECT_FALSE(requested("Watched Modem"));
  DWORD value = 0;
  DWORD second = 0;
  std::thread borrower([&] {
    second = GprsLink().ModemAllocate("Watched Modem", 10000, &value);
    if (second) GprsLink().ModemRelease(second);
  });
  EXPECT_TRUE(WaitUntil([&] { return requested("Watched Modem") != FALSE; }, 5000));
  EXPECT_TRUE(requested("Watched Modem")) << "looking does not take the request";
  GprsLink().ModemRelease(first);
  borrower.join();
  EXPECT_NE(second, 0u);
  EXPECT_EQ(value, 1u) << "handed over by its holder";
  EXPECT_FALSE(requested("Watched Modem"));
}

TEST(ModemAllocation, AStaleOrUnknownReleaseGivesNothingBack) {
  DWORD first = GprsLink().ModemAllocate("Stale Modem", 60, nullptr);
  ASSERT_NE(first, 0u);
  GprsLink().ModemRelease(first);
  DWORD second = GprsLink().ModemAllocate("Stale Modem", 60, nullptr);
  ASSERT_NE(second, 0u);
  GprsLink().ModemRelease(first);
  GprsLink().ModemRelease(0);
  GprsLink().ModemRelease(0x12345678);
  DWORD value = 0;
  EXPECT_EQ(AllocateElsewhere("Stale Modem", 100, &value), 0u) << "still held by the second allocation";
  GprsLink().ModemRelease(second);
  EXPECT_NE(AllocateElsewhere("Stale Modem", 100, &value), 0u);
}

TEST(ModemAllocation, EachModemIsHeldApart) {
  DWORD one = GprsLink().ModemAllocate("Modem One", 60, nullptr);
  DWORD value = 0;
  EXPECT_NE(AllocateElsewhere("Modem Two", 60, &value), 0u);
  EXPECT_EQ(AllocateElsewhere("Modem One", 60, &value), 0u);
  GprsLink().ModemRelease(one);
}

}  // namespace
