// ModemAllocate and ModemRelease between borrowers, bound as the console binds them.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "gprslink/gprslink_fixture.h"
#include "support/window_driver.h"

namespace {

// From another thread, which lets go again at once: the allocation and its out value.
DWORD AllocateElsewhere(const char* modem, DWORD waitMs, DWORD* value = nullptr) {
  DWORD allocation = 0;
  std::thread other([&] {
    allocation = GprsLink().ModemAllocate(modem, waitMs, value);
    if (allocation) GprsLink().ModemRelease(allocation);
  });
  other.join();
  return allocation;
}

TEST(GprsLinkBinding, OffersTheOptionalEntryPointsToo) {
  GprsLinkLibrary library;
  ASSERT_TRUE(BindGprsLinkLibrary("GPRSLINK.DLL", &library));
  EXPECT_TRUE(library.ModemGetCIDForAPN && library.ModemDriverUpdateInitStrings && library.WSPRasGetErrorString &&
              library.ModemReset);
  FreeLibrary(library.module);
}

TEST(ModemAllocation, OneHolderAtATimeAndStaleReleasesGiveNothingBack) {
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
  GprsLink().ModemRelease(second);
  EXPECT_NE(AllocateElsewhere("Shared Modem", 100), 0u);
  EXPECT_EQ(GprsLink().ModemAllocate("", 60, &value), 0u);
  EXPECT_EQ(GprsLink().ModemAllocate(nullptr, 60, nullptr), 0u);
}

TEST(ModemAllocation, TheHolderSeesAWaitingBorrowerAndHandsOver) {
  DWORD first = GprsLink().ModemAllocate("Watched Modem", 60, nullptr);
  ASSERT_NE(first, 0u);
  EXPECT_FALSE(ModemRequestedNow("Watched Modem"));
  DWORD value = 0;
  DWORD second = 0;
  std::thread borrower([&] {
    second = GprsLink().ModemAllocate("Watched Modem", 10000, &value);
    if (second) GprsLink().ModemRelease(second);
  });
  EXPECT_TRUE(WaitUntil([&] { return ModemRequestedNow("Watched Modem") != FALSE; }, 5000));
  EXPECT_TRUE(ModemRequestedNow("Watched Modem")) << "looking does not take the request";
  GprsLink().ModemRelease(first);
  borrower.join();
  EXPECT_NE(second, 0u);
  EXPECT_EQ(value, 1u) << "handed over by its holder";
  EXPECT_FALSE(ModemRequestedNow("Watched Modem"));
}

}  // namespace
