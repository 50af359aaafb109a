// GSM7ToUTF8String as the console and the services reach it: through
// GWCORE.DLL.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/gwcore_api.h"

namespace {


TEST(Gsm7Export, ExportedByNameFromTheLibrary) {
  HMODULE library = GetModuleHandleA("GWCORE.DLL");
  ASSERT_NE(library, nullptr) << "linked at load time";
  EXPECT_NE(GetProcAddress(library, "GSM7ToUTF8String"), nullptr) << "undecorated name";
}

TEST(Gsm7Export, DecodesIntoTheDataBufferItself) {
  char buffer[64] = "E8329BFD06";
  EXPECT_TRUE(GSM7ToUTF8String("", buffer, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "hello");

  // With a concatenation header the data starts after one fill bit.
  char withHeader[64] = "9069";
  EXPECT_TRUE(GSM7ToUTF8String("050003A70201", withHeader, withHeader, sizeof withHeader));
  EXPECT_STREQ(withHeader, "Hi");

  // The euro sign comes from the extension table: three UTF-8 bytes.
  char euro[64] = "B54D19";
  EXPECT_TRUE(GSM7ToUTF8String(nullptr, euro, euro, sizeof euro));
  EXPECT_STREQ(euro, "5\xE2\x82\xAC");
}

TEST(Gsm7Export, OutputCutAtTheCapacityAndTerminated) {
  char buffer[16];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(GSM7ToUTF8String("", "E8329BFD06", buffer, 3)) << "a cut text is reported";
  EXPECT_STREQ(buffer, "he");
  EXPECT_EQ(buffer[3], 'x') << "nothing written past the capacity";

  char euro[8];
  memset(euro, 'x', sizeof euro);
  EXPECT_FALSE(GSM7ToUTF8String("", "B54D19", euro, 3)) << "no half character";
  EXPECT_STREQ(euro, "5");

  char untouched[4] = "abc";
  EXPECT_FALSE(GSM7ToUTF8String("", "E8329BFD06", untouched, 0));
  EXPECT_STREQ(untouched, "abc");
  EXPECT_FALSE(GSM7ToUTF8String("", "E8329BFD06", nullptr, 10));
}

TEST(Gsm7Export, BadDigitsGiveAnEmptyOrShortText) {
  char buffer[32] = "not hex";
  GSM7ToUTF8String("", buffer, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");
  char empty[8] = "";
  EXPECT_TRUE(GSM7ToUTF8String("", empty, empty, sizeof empty));
  EXPECT_STREQ(empty, "");
}

}  // namespace
