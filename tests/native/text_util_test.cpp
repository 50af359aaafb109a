#include "common/text_util.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CopyText, CutsAtCapacityAndAlwaysTerminates) {
  char buffer[5];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(CopyText(buffer, sizeof buffer, "abcdefgh"), 4u);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(CopyText(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(CopyTextMax(buffer, sizeof buffer, "abcdef", 2), 2u);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(CopyText(buffer, 0, "abc"), 0u);  // no room at all: untouched
  EXPECT_STREQ(buffer, "ab");
}

TEST(AppendText, StopsAtCapacity) {
  char buffer[8] = "abc";
  EXPECT_EQ(AppendText(buffer, sizeof buffer, "defghij"), 7u);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(AppendText(buffer, sizeof buffer, "x"), 7u);
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(FormatText, ReportsTheLengthKept) {
  char buffer[6];
  EXPECT_EQ(FormatText(buffer, sizeof buffer, "%u-%s", 42u, "abc"), 5u);
  EXPECT_STREQ(buffer, "42-ab");
  EXPECT_EQ(FormatText(buffer, sizeof buffer, "%s", "ok"), 2u);
  EXPECT_STREQ(buffer, "ok");
}

TEST(FindNoCase, FindsTheFirstPlaceIgnoringCase) {
  const char* text = "smsgwcfg.exe /install now";
  EXPECT_EQ(FindNoCase(text, "/I"), text + 13);
  EXPECT_EQ(FindNoCase(text, "INSTALL"), text + 14);
  EXPECT_EQ(FindNoCase(text, "-I"), nullptr);
  EXPECT_EQ(FindNoCase("", "a"), nullptr);
  EXPECT_EQ(FindNoCase("ab", "abc"), nullptr);  // a pattern longer than the rest
  EXPECT_EQ(FindNoCase(text, ""), text);
}

TEST(EqualsNoCase, ComparesWholeTexts) {
  EXPECT_TRUE(EqualsNoCase("C:\\Data\\", "c:\\data\\"));
  EXPECT_FALSE(EqualsNoCase("C:\\Data", "C:\\Data\\"));
  EXPECT_TRUE(EqualsNoCase("", ""));
}

TEST(SkipBlanks, SkipsLeadingSpacesAndTabsOnly) {
  EXPECT_STREQ(SkipBlanks("  \t value "), "value ");
  EXPECT_STREQ(SkipBlanks("value"), "value");
  EXPECT_STREQ(SkipBlanks("   "), "");
}

TEST(SplitHostPort, CutsTheHostAtTheColonAndReadsThePort) {
  char host[16];
  unsigned port = 80;
  SplitHostPort("mms.example.net:8002", host, sizeof host, &port);
  EXPECT_STREQ(host, "mms.example.net");
  EXPECT_EQ(port, 8002u);

  port = 80;
  SplitHostPort("10.0.0.1", host, sizeof host, &port);
  EXPECT_STREQ(host, "10.0.0.1");
  EXPECT_EQ(port, 80u) << "no colon leaves the port unchanged";

  SplitHostPort("host:", host, sizeof host, &port);
  EXPECT_STREQ(host, "host");
  EXPECT_EQ(port, 0u);

  SplitHostPort("a-very-long-host-name.example:99", host, sizeof host, &port);
  EXPECT_STREQ(host, "a-very-long-hos");
  EXPECT_EQ(port, 99u);
}
