#include "monitor/test_tracking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(IsValidPhoneNumber, DigitsWithAnOptionalLeadingPlus) {
  EXPECT_TRUE(IsValidPhoneNumber("0123456789"));
  EXPECT_TRUE(IsValidPhoneNumber("+447700900123"));
  EXPECT_TRUE(IsValidPhoneNumber("7"));
  EXPECT_FALSE(IsValidPhoneNumber(""));
  EXPECT_FALSE(IsValidPhoneNumber("+"));
  EXPECT_FALSE(IsValidPhoneNumber("0770 0900"));
  EXPECT_FALSE(IsValidPhoneNumber("0770-0900"));
  EXPECT_FALSE(IsValidPhoneNumber("++44"));
  EXPECT_FALSE(IsValidPhoneNumber("44+"));
  EXPECT_FALSE(IsValidPhoneNumber("44a"));
}

namespace {

// Every line the reader gives for a whole file, read the way the page reads it.
std::vector<std::string> ReadAllLines(const std::string& file, size_t size) {
  std::vector<std::string> lines;
  size_t position = 0;
  std::vector<char> line(size);
  while (position < file.size()) {
    size_t length = std::min(file.size() - position, size - 1);
    size_t used = TakeLogLine(file.data() + position, length, size, line.data());
    if (used == 0) break;
    lines.emplace_back(line.data());
    position += used;
  }
  return lines;
}

}  // namespace

TEST(TakeLogLine, LineEndsOfEveryKind) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(ReadAllLines("a\r\nb\nc\rd", 64), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadAllLines("one\r\r\ntwo\r\n", 64), (Lines{"one ", "two"})) << "CR CR LF is one end";
  EXPECT_EQ(ReadAllLines("x\r\ry", 64), (Lines{"x ", "y"}));
  EXPECT_EQ(ReadAllLines("\n\nz", 64), (Lines{"", "", "z"}));
  EXPECT_EQ(ReadAllLines("partial line still being writ", 64), (Lines{"partial line still being writ"}));
}

TEST(TakeLogLine, LeadingCtrlZIsDropped) {
  EXPECT_EQ(ReadAllLines("\x1a\x1a" "12:00,TEST0001.REQ\r\n\x1a", 64),
            (std::vector<std::string>{"12:00,TEST0001.REQ", ""}));
}

TEST(TakeLogLine, ALongLineContinuesBehindItsLastSpace) {
  // Buffer of 16: at most 15 bytes per read.
  EXPECT_EQ(ReadAllLines("aaaa bbbb cccc dddd eeee\r\n", 16),
            (std::vector<std::string>{"aaaa bbbb cccc ", "dddd eeee"}));
  EXPECT_EQ(ReadAllLines("abcdefghijklmnopqrstuvwxyz\n", 16),
            (std::vector<std::string>{"abcdefghijklmno", "pqrstuvwxyz"}))
      << "a chunk without a space comes whole";
  EXPECT_EQ(ReadAllLines("aaaa bbbb cccc\nx\n", 16), (std::vector<std::string>{"aaaa bbbb cccc", "x"}))
      << "a line that just fits is not cut";
}

TEST(TakeLogLine, NeverWritesBeyondTheBuffer) {
  std::string file(10000, 'q');
  char line[8 + 4];
  memset(line, '#', sizeof line);
  size_t used = TakeLogLine(file.data(), file.size(), 8, line);
  EXPECT_EQ(used, 7u);
  EXPECT_EQ(std::string(line), "qqqqqqq");
  EXPECT_EQ(line[8], '#');
}

TEST(MatchSmsLogLine, RequestNameInFieldTwoResultInFieldFive) {
  char detail[256] = "";
  EXPECT_EQ(MatchSmsLogLine("2012-05-01 10:00:00,test1a2b.req,+4477,COM5:,OK", "TEST1A2B", detail, sizeof detail),
            TestOutcome::Sent);
  EXPECT_EQ(MatchSmsLogLine("t,TEST1A2B.REQ,+4477,COM5:,ok sent,extra", "TEST1A2B", detail, sizeof detail),
            TestOutcome::Sent);
  EXPECT_EQ(MatchSmsLogLine("t,TEST1A2B.REQ,+4477,COM5:,+CMS ERROR: 38,more", "TEST1A2B", detail, sizeof detail),
            TestOutcome::Failed);
  EXPECT_STREQ(detail, "+CMS ERROR: 38");
  EXPECT_EQ(MatchSmsLogLine("t,TEST1A2B.REQ,+4477,COM5:", "TEST1A2B", detail, sizeof detail), TestOutcome::NotFound)
      << "four fields are not enough";
  EXPECT_EQ(MatchSmsLogLine("t,TEST1A2C.REQ,+4477,COM5:,OK", "TEST1A2B", detail, sizeof detail),
            TestOutcome::NotFound);
  EXPECT_EQ(MatchSmsLogLine("TEST1A2B,x,+4477,COM5:,OK", "TEST1A2B", detail, sizeof detail), TestOutcome::NotFound);
  EXPECT_EQ(MatchSmsLogLine("", "TEST1A2B", detail, sizeof detail), TestOutcome::NotFound);
}

TEST(MatchMmsLogLine, ResultInFieldSixNameInFieldSeven) {
  char detail[256] = "";
  EXPECT_EQ(MatchMmsLogLine("t,OUT,+4477,zedsmslite,1200,OK,TEST00FF.MMS", "TEST00FF", detail, sizeof detail),
            TestOutcome::Sent);
  EXPECT_EQ(MatchMmsLogLine("t,OUT,+4477,zedsmslite,1200,HTTP 503,test00ff.mms,x", "TEST00FF", detail,
                            sizeof detail),
            TestOutcome::Failed);
  EXPECT_STREQ(detail, "HTTP 503,test00ff.mms") << "detail runs from field 6 to the end of field 7";
  EXPECT_EQ(MatchMmsLogLine("t,OUT,+4477,zedsmslite,1200,OK", "TEST00FF", detail, sizeof detail),
            TestOutcome::NotFound);
}

TEST(MatchLogLines, DetailIsCutToItsBuffer) {
  char detail[8];
  std::string line = "t,TEST0001.REQ,n,m," + std::string(300, 'E');
  EXPECT_EQ(MatchSmsLogLine(line.c_str(), "TEST0001", detail, sizeof detail), TestOutcome::Failed);
  EXPECT_EQ(std::string(detail), "EEEEEEE");
}
