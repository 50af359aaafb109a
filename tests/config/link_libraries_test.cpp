// Binding GPRSLINK.DLL and GWTLS.DLL at run time, with fakes that are complete
// or miss an entry point.
#include "config/link_libraries.h"

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "support/test_env.h"

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
  TlsLibrary tls;
  EXPECT_FALSE(BindTlsLibrary("FAKE_GWTLS_NO_REQUIRED.DLL", &tls));
  EXPECT_EQ(GetModuleHandleA("FAKE_GWTLS_NO_REQUIRED.DLL"), nullptr);
  ASSERT_TRUE(BindGprsLinkLibrary("FAKE_GPRSLINK_NO_OPTIONAL.DLL", &lib));
  EXPECT_TRUE(lib.WSPRasDial && !lib.ModemGetCIDForAPN && !lib.ModemReset);
  FreeLibrary(lib.module);
}

// The program folder's own libraries are bound at the first load, and the
// same binding serves every later call, even when other copies turn up.
TEST(LinkLibraries, FirstLoadDecidesForTheWholeProcess) {
  std::string programFolder = ProgramFolder();
  const GprsLinkLibrary* gprs = LoadGprsLinkLibrary();
  ASSERT_NE(gprs, nullptr);
  EXPECT_EQ(gprs->module, GetModuleHandleA((programFolder + "GPRSLINK.DLL").c_str()));
  TempDataDirectory dir("dlls");
  ASSERT_TRUE(CopyFileA((programFolder + "FAKE_GWTLS_FULL.DLL").c_str(), dir.File("GWTLS.DLL").c_str(), FALSE));
  SetDllDirectoryA(dir.Path().c_str());
  EXPECT_EQ(LoadGprsLinkLibrary(), gprs);
  const TlsLibrary* tls = LoadTlsLibrary();
  ASSERT_NE(tls, nullptr);
  EXPECT_EQ(LoadTlsLibrary(), tls);
  EXPECT_NE(tls->sslInitLib(), 5) << "the program folder's library, not the fake";
  tls->sslTermLib();
  SetDllDirectoryA(nullptr);
}
