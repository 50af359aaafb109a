// Binding a link library at run time (GPRSLINK.DLL and GWTLS.DLL share the
// binder), with fakes that are complete or miss entry points.
#include "config/link_libraries.h"

#include <gtest/gtest.h>

// Calls reach a complete library; a missing required entry point unloads the
// library and leaves nothing half-bound, a missing optional one stays empty.
TEST(LinkLibraries, CompleteLibrariesBindAndAMissingRequiredEntryPointUnloads) {
  GprsLinkLibrary lib;
  ASSERT_TRUE(BindGprsLinkLibrary("FAKE_GPRSLINK_FULL.DLL", &lib));
  DWORD value = 0;
  EXPECT_EQ(lib.ModemAllocate("Phone", 60, &value), 7u);
  ASSERT_NE(lib.ModemGetCIDForAPN, nullptr);
  EXPECT_EQ(lib.ModemGetCIDForAPN("Phone", "internet", 0), 3);
  FreeLibrary(lib.module);
  EXPECT_FALSE(BindGprsLinkLibrary("FAKE_GPRSLINK_NO_REQUIRED.DLL", &lib));
  EXPECT_EQ(lib.ModemAllocate, nullptr);
  EXPECT_EQ(GetModuleHandleA("FAKE_GPRSLINK_NO_REQUIRED.DLL"), nullptr);
  ASSERT_TRUE(BindGprsLinkLibrary("FAKE_GPRSLINK_NO_OPTIONAL.DLL", &lib));
  EXPECT_TRUE(lib.WSPRasDial && !lib.ModemGetCIDForAPN && !lib.ModemReset);
  FreeLibrary(lib.module);
}
