// What the Status and Test Message pages read: counter files, event lines,
// and the services' logs for the outcome of a test message. No windows.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "monitor/counter_days.h"
#include "monitor/event_line.h"
#include "monitor/status_rules.h"
#include "monitor/test_tracking.h"

namespace {

using Lines = std::vector<std::string>;

// A counter file whose day d holds the value d * scale.
std::vector<unsigned char> CounterFile(unsigned days, unsigned scale) {
  std::vector<unsigned char> file(4 * days);
  for (unsigned d = 1; d <= days; ++d)
    for (int b = 0; b < 4; ++b) file[4 * (d - 1) + b] = static_cast<unsigned char>((d * scale) >> (8 * b));
  return file;
}

// The sum of d * scale for d from first to last.
uint32_t Days(unsigned first, unsigned last, unsigned scale = 1) { return (first + last) * (last - first + 1) / 2 * scale; }

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

TEST(CounterDays, DaysOfLeapYearsAndTotalsWithinTheYearIntoLastYearsFileAndFromShortFiles) {
  const unsigned dates[][4] = {{2012, 3, 1, 61}, {2013, 3, 1, 60}, {2100, 3, 1, 61}};  // every fourth year leaps
  for (const auto& r : dates) EXPECT_EQ(DayOfYear(r[0], r[1], r[2]), r[3]) << r[0] << "-" << r[1] << "-" << r[2];
  auto thisYear = CounterFile(366, 1), lastYear = CounterFile(366, 1000), shortFile = CounterFile(100, 1);
  const std::vector<unsigned char> ragged = {1, 0, 0, 0, 2, 0}, none;  // the second day cut mid-number
  const struct {
    const std::vector<unsigned char>& file;
    bool withLastYear;
    unsigned lastYearDays, day;
    uint32_t today, last7, last30;
  } rows[] = {
      {thisYear, false, 365, 100, 100, Days(94, 100), Days(71, 100)},
      // 3 January: 1..3 January and 28..31 December of a 365-day year; after a leap year its day 366 counts.
      {thisYear, true, 365, 3, 3, Days(1, 3) + Days(362, 365, 1000), Days(1, 3) + Days(339, 365, 1000)},
      {thisYear, true, 366, 1, 1, 1 + Days(361, 366, 1000), 1 + Days(338, 366, 1000)},
      {shortFile, false, 365, 101, 0, Days(95, 100), Days(72, 100)},  // 400 bytes: day 101 counts zero
      {none, false, 365, 5, 0, 0, 0}, {ragged, false, 365, 2, 0, 1, 1},
  };
  for (const auto& row : rows) {
    CounterTotals totals = SumCounterDays(row.file.empty() ? nullptr : row.file.data(), row.file.size(),
                                          row.withLastYear ? lastYear.data() : nullptr,
                                          row.withLastYear ? lastYear.size() : 0,
                                          row.lastYearDays, row.day);
    EXPECT_TRUE(totals.today == row.today && totals.last7 == row.last7 && totals.last30 == row.last30) << row.day;
  }
}

TEST(FormatEventLine, TimeKindAndFirstInsertionStringCutToTheLine) {
  char line[kEventLineChars + 1];
  const EventTime time = {true, 2012, 5, 1, 9, 3, 7}, unknown = {false, 0, 0, 0, 0, 0, 0};
  FormatEventLine(time, EventKind::Error, "Modem not responding", line, sizeof line);
  EXPECT_STREQ(line, "2012-05-01 09:03:07 - Error: Modem not responding");
  FormatEventLine(unknown, EventKind::Other, nullptr, line, sizeof line);
  EXPECT_STREQ(line, "Info: ") << "no time when it cannot be converted, no text when there is none";
  FormatEventLine(time, EventKind::Warning, std::string(5000, 'x').c_str(), line, sizeof line);
  EXPECT_EQ(std::string(line), "2012-05-01 09:03:07 - Warning: " + std::string(kEventLineChars - 31, 'x'));
}

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
      {"a\r\nb\nc\rd", 64, {"a", "b", "c", "d"}}, {"\n\nz", 64, {"", "", "z"}},  // the last line need not end
      {"one\r\r\ntwo\r\n", 64, {"one ", "two"}},  // CR CR LF is one end
      {"\x1a\x1a" "12:00,TEST0001.REQ\r\n\x1a", 64, {"12:00,TEST0001.REQ", ""}},  // leading Ctrl-Z dropped
      // A buffer of 16: at most 15 bytes per read.
      {"aaaa bbbb cccc dddd eeee\r\n", 16, {"aaaa bbbb cccc ", "dddd eeee"}},
      {"abcdefghijklmnopqrstuvwxyz\n", 16, {"abcdefghijklmno", "pqrstuvwxyz"}},  // no space: the chunk whole
      {"aaaa bbbb cccc\nx\n", 16, {"aaaa bbbb cccc", "x"}},  // a line that just fits is not cut
      // Each line in a buffer of exactly its size (the sanitizer guards its end).
      {std::string(20, 'q'), 8, {"qqqqqqq", "qqqqqqq", "qqqqqq"}},
  };
  for (const auto& row : rows) EXPECT_EQ(ReadAllLines(row.file, row.buffer), row.lines) << row.file;
}

TEST(MatchLogLines, RequestNameAndResultInTheirFields) {
  const std::string longError = "t,TEST0001.REQ,n,m," + std::string(300, 'E');
  const struct {
    TestOutcome (*match)(const char*, const char*, char*, size_t);
    std::string line;
    const char* id;
    size_t cap;
    TestOutcome outcome;
    const char* detail = nullptr;  // checked when not null
  } rows[] = {
      {MatchSmsLogLine, "2012-05-01 10:00:00,test1a2b.req,+4477,COM5:,OK", "TEST1A2B", 256, TestOutcome::Sent},
      {MatchSmsLogLine, "t,TEST1A2B.REQ,+4477,COM5:,ok sent,extra", "TEST1A2B", 256, TestOutcome::Sent},
      {MatchSmsLogLine, "t,TEST1A2B.REQ,+4477,COM5:", "TEST1A2B", 256, TestOutcome::NotFound},  // four fields
      {MatchSmsLogLine, "t,TEST1A2B.REQ,+4477,COM5:,+CMS ERROR: 38,more", "TEST1A2B", 256, TestOutcome::Failed,
       "+CMS ERROR: 38"},
      {MatchSmsLogLine, longError, "TEST0001", 8, TestOutcome::Failed, "EEEEEEE"},  // cut to its buffer
      {MatchMmsLogLine, "t,OUT,+4477,zedsmslite,1200,OK,TEST00FF.MMS", "TEST00FF", 256, TestOutcome::Sent},
      // The detail runs from field 6 to the end of field 7.
      {MatchMmsLogLine, "t,OUT,+4477,zedsmslite,1200,HTTP 503,test00ff.mms,x", "TEST00FF", 256, TestOutcome::Failed,
       "HTTP 503,test00ff.mms"},
  };
  for (const auto& row : rows) {
    char detail[256] = "";
    EXPECT_EQ(row.match(row.line.c_str(), row.id, detail, row.cap), row.outcome) << row.line;
    if (row.detail) EXPECT_STREQ(detail, row.detail);
  }
}

TEST(ServiceStatusOf, TheSmsServiceFirstThenTheMmsServiceRedUnlessBothActive) {
  const ServiceReport absent = {false, false, true, true}, stopped = {true, false, true, true},
                      active = {true, true, false, false}, ownPort = {true, true, true, true},
                      smppPort = {true, true, false, true};
  const struct {
    ServiceReport sms, mms;
    const char* text;
  } rows[] = {
      {absent, active, "Service is NOT Installed"}, {stopped, absent, "Service is NOT Active"},
      {ownPort, absent, "ERROR:  Web Port already in use"}, {smppPort, stopped, "ERROR:  SMPP Server Port already in use"},
      {active, absent, "Service is NOT Installed"}, {active, stopped, "Service is NOT Active"},
      {active, ownPort, "ERROR:  MM7 Port already in use"}, {active, smppPort, "ERROR:  SMPP Port already in use"},
      {active, active, "Service is Active"},
  };
  for (const auto& row : rows) {
    ServiceStatus status = ServiceStatusOf(row.sms, row.mms);
    EXPECT_STREQ(status.text, row.text);
    EXPECT_EQ(status.alert, row.text != std::string("Service is Active")) << row.text;
  }
}

// Queues counted every ten seconds and at once when the clock went back; red
// above the alert size and never for size zero; zero shown as its own text.
TEST(QueueRules, WhenCountedWhenRedAndHowShown) {
  const uint64_t due[][3] = {{0, 5, 1}, {100, 109, 0}, {100, 110, 1}, {100, 100, 0}, {100, 99, 1}};
  for (const auto& r : due) EXPECT_EQ(QueueCountDue(r[0], r[1]), r[2] != 0) << r[0] << " then " << r[1];
  const unsigned alert[][3] = {{101, 100, 1}, {100, 100, 0}, {5000, 0, 0}};
  for (const auto& r : alert) EXPECT_EQ(QueueAlert(r[0], r[1]), r[2] != 0) << r[0] << " of " << r[1];
  char zero[16], most[16];
  FormatCount(0, "Empty", zero, sizeof zero);
  FormatCount(4294967295u, "", most, sizeof most);
  EXPECT_EQ(std::string(zero) + "," + most, "Empty,4294967295");
}
