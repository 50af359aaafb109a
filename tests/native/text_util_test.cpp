#include "common/text_util.h"

#include <gtest/gtest.h>

// The copying helpers' cuts are read through every parser's capacity rows.
TEST(TextUtil, EdgesOfCopyingAndSearching) {
  char buffer[5] = "abc";
  EXPECT_EQ(CopyText(buffer, 0, "xyz"), 0u);
  EXPECT_STREQ(buffer, "abc") << "no room at all: untouched";
  EXPECT_EQ(CopyTextMax(buffer, sizeof buffer, nullptr, 3), 0u);
  EXPECT_STREQ(buffer, "");
  char appended[8] = "abc";
  EXPECT_EQ(AppendText(appended, sizeof appended, "defghij"), 7u);
  EXPECT_EQ(AppendText(appended, sizeof appended, "x"), 7u) << "a full buffer stays full";
  char formatted[6];
  EXPECT_EQ(FormatText(formatted, sizeof formatted, "%u-%s", 42u, "abc"), 5u) << "the length kept";
  const char* text = "smsgwcfg.exe /install now";
  EXPECT_EQ(FindNoCase(text, "INSTALL"), text + 14);
  EXPECT_EQ(FindNoCase("ab", "abc"), nullptr) << "a pattern longer than the rest";
  EXPECT_EQ(FindNoCase(text, ""), text);
  EXPECT_FALSE(EqualsNoCase("C:\\Data", "C:\\Data\\"));

  char host[16];
  unsigned port = 80;
  SplitHostPort("10.0.0.1", host, sizeof host, &port);
  EXPECT_EQ(port, 80u) << "no colon leaves the port unchanged";
  SplitHostPort("a-very-long-host-name.example:99", host, sizeof host, &port);
  EXPECT_STREQ(host, "a-very-long-hos");
  EXPECT_EQ(port, 99u);
}
