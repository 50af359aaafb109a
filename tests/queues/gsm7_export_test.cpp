// GSM7ToUTF8String as the services reach it: by name from GWCORE.DLL. The
// decoding itself has its native table.
#include <windows.h>
#include <gtest/gtest.h>

#include "config/gwcore_api.h"

namespace {

TEST(Gsm7Export, ExportedByNameAndDecodesInPlace) {
  using Decode = BOOL (*)(const char*, const char*, char*, size_t);
  auto decode = reinterpret_cast<Decode>(GetProcAddress(GetModuleHandleA("GWCORE.DLL"), "GSM7ToUTF8String"));
  ASSERT_NE(decode, nullptr) << "undecorated name";
  char buffer[64] = "E8329BFD06";
  EXPECT_TRUE(decode(nullptr, buffer, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "hello");
  char cut[8] = "xxxxxxx";
  EXPECT_FALSE(decode("", "E8329BFD06", cut, 3)) << "a cut text is reported";
  EXPECT_STREQ(cut, "he");
  char untouched[4] = "abc";
  EXPECT_FALSE(decode("", nullptr, untouched, 0));
  EXPECT_STREQ(untouched, "abc");
  EXPECT_FALSE(decode("", "E8329BFD06", nullptr, 10));
}

}  // namespace
