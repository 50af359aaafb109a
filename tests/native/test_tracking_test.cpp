#include "monitor/test_tracking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Every line the reader gives for a whole file, read the way the page reads it.
Lines ReadAllLines(const std::string& file, size_t size) {
  Lines lines;
  std::vector<char> line(size);
  for (size_t position = 0, used = 0; position < file.size(); position += used) {
    used = TakeLogLine(file.data() + position, std::min(file.size() - position, size - 1), size, line.data());
    if (used == 0) break;
    lines.emplace_back(line.data());
  }
  return lines;
}

}  // namespace

TEST(IsValidPhoneNumber, DigitsWithAnOptionalLeadingPlus) {
  for (const char* valid : {"0123456789", "+447700900123", "7"}) EXPECT_TRUE(IsValidPhoneNumber(valid)) << valid;
  for (const char* invalid : {"", "+", "0770 0900", "0770-0900", "++44", "44+", "44a"})
    EXPECT_FALSE(IsValidPhoneNumber(invalid)) << invalid;
}

TEST(TakeLogLine, LineEndsCtrlZAndLongLinesCutBehindTheirLastSpace) {
  const struct {
    std::string file;
    size_t buffer;
    Lines lines;
  } rows[] = {
      {"a\r\nb\nc\rd", 64, {"a", "b", "c", "d"}}, {"one\r\r\ntwo\r\n", 64, {"one ", "two"}},  // CR CR LF is one end
      {"x\r\ry", 64, {"x ", "y"}}, {"\n\nz", 64, {"", "", "z"}},
      {"partial line being writ", 64, {"partial line being writ"}},
      {"\x1a\x1a" "12:00,TEST0001.REQ\r\n\x1a", 64, {"12:00,TEST0001.REQ", ""}},  // leading Ctrl-Z dropped
      // A buffer of 16: at most 15 bytes per read.
      {"aaaa bbbb cccc dddd eeee\r\n", 16, {"aaaa bbbb cccc ", "dddd eeee"}},
      {"abcdefghijklmnopqrstuvwxyz\n", 16, {"abcdefghijklmno", "pqrstuvwxyz"}},  // no space: the chunk whole
      {"aaaa bbbb cccc\nx\n", 16, {"aaaa bbbb cccc", "x"}},  // a line that just fits is not cut
  };
  for (const auto& row : rows) EXPECT_EQ(ReadAllLines(row.file, row.buffer), row.lines) << row.file;

  std::string file(10000, 'q');
  char line[8 + 4];
  memset(line, '#', sizeof line);
  EXPECT_EQ(TakeLogLine(file.data(), file.size(), 8, line), 7u);
  EXPECT_EQ(std::string(line), "qqqqqqq");
  EXPECT_EQ(line[8], '#') << "never beyond the buffer";
}

TEST(MatchLogLines, RequestNameAndResultInTheirFields) {
  char detail[256] = "";
  const struct {
    const char* line;
    TestOutcome outcome;
  } sms[] = {{"2012-05-01 10:00:00,test1a2b.req,+4477,COM5:,OK", TestOutcome::Sent},
             {"t,TEST1A2B.REQ,+4477,COM5:,ok sent,extra", TestOutcome::Sent},
             {"t,TEST1A2B.REQ,+4477,COM5:", TestOutcome::NotFound},  // four fields are not enough
             {"t,TEST1A2C.REQ,+4477,COM5:,OK", TestOutcome::NotFound},
             {"TEST1A2B,x,+4477,COM5:,OK", TestOutcome::NotFound}, {"", TestOutcome::NotFound}};
  for (const auto& row : sms)
    EXPECT_EQ(MatchSmsLogLine(row.line, "TEST1A2B", detail, sizeof detail), row.outcome) << row.line;
  EXPECT_EQ(MatchSmsLogLine("t,TEST1A2B.REQ,+4477,COM5:,+CMS ERROR: 38,more", "TEST1A2B", detail, sizeof detail),
            TestOutcome::Failed);
  EXPECT_STREQ(detail, "+CMS ERROR: 38");

  EXPECT_EQ(MatchMmsLogLine("t,OUT,+4477,zedsmslite,1200,OK,TEST00FF.MMS", "TEST00FF", detail, sizeof detail),
            TestOutcome::Sent);
  EXPECT_EQ(MatchMmsLogLine("t,OUT,+4477,zedsmslite,1200,OK", "TEST00FF", detail, sizeof detail),
            TestOutcome::NotFound);
  EXPECT_EQ(MatchMmsLogLine("t,OUT,+4477,zedsmslite,1200,HTTP 503,test00ff.mms,x", "TEST00FF", detail, sizeof detail),
            TestOutcome::Failed);
  EXPECT_STREQ(detail, "HTTP 503,test00ff.mms") << "detail runs from field 6 to the end of field 7";

  char small[8];
  std::string line = "t,TEST0001.REQ,n,m," + std::string(300, 'E');
  EXPECT_EQ(MatchSmsLogLine(line.c_str(), "TEST0001", small, sizeof small), TestOutcome::Failed);
  EXPECT_STREQ(small, "EEEEEEE") << "cut to its buffer";
}
