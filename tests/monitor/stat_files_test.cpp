#include "monitor/stat_files.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/file_util.h"
#include "monitor/clock.h"
#include "support/test_env.h"

namespace {

SYSTEMTIME g_now;
void WINAPI FixedTime(SYSTEMTIME* now) { *now = g_now; }

class StatFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    Clock().localTime = FixedTime;
    CreateDirectoryA(dir_.File("STATS").c_str(), nullptr);
  }
  void TearDown() override { Clock() = SystemClock(); }
  void SetDate(WORD year, WORD month, WORD day) {
    g_now = SYSTEMTIME{};
    g_now.wYear = year;
    g_now.wMonth = month;
    g_now.wDay = day;
  }
  // Day d holds d * scale, for the first `days` days.
  void WriteCounter(const char* name, unsigned year, unsigned days, unsigned scale) {
    std::string bytes(4 * days, '\0');
    for (unsigned d = 1; d <= days; ++d)
      for (int b = 0; b < 4; ++b) bytes[4 * (d - 1) + b] = static_cast<char>(((d * scale) >> (8 * b)) & 0xFF);
    WriteFileText(dir_.File("STATS\\") + name + "-" + std::to_string(year) + ".CTR", bytes);
  }
  TempDataDirectory dir_{"stats"};
};

TEST_F(StatFilesTest, CountersOfTodayAndAcrossTheTurnOfTheYear) {
  WriteCounter("SMSSENT", 2013, 366, 1);
  WriteCounter("SMSSENT", 2012, 366, 1000);
  SetDate(2013, 1, 3);
  CounterTotals sent = ReadStatCounters("SMSSENT");
  EXPECT_EQ(sent.today, 3u);
  // 1..3 January and 28..31 December 2012, a leap year: days 366..363.
  EXPECT_EQ(sent.last7, 6u + (366 + 365 + 364 + 363) * 1000);
  SetDate(2013, 3, 1);
  EXPECT_EQ(ReadStatCounters("SMSSENT").today, 60u);
  SetDate(2012, 3, 1);
  EXPECT_EQ(ReadStatCounters("SMSSENT").today, 61000u);
}

TEST_F(StatFilesTest, ShortOrMissingFilesCountZero) {
  WriteCounter("MMSIN-VASP", 2013, 100, 1);  // 400 bytes
  SetDate(2013, 4, 11);                      // day 101
  CounterTotals totals = ReadStatCounters("MMSIN-VASP");
  EXPECT_EQ(totals.today, 0u);
  EXPECT_EQ(totals.last7, 100u + 99 + 98 + 97 + 96 + 95);
  totals = ReadStatCounters("SMSFAILED");
  EXPECT_EQ(totals.today + totals.last7 + totals.last30, 0u);
  DeleteDirectoryTree(dir_.File("STATS").c_str());
  totals = ReadStatCounters("MMSIN-VASP");
  EXPECT_EQ(totals.today + totals.last7 + totals.last30, 0u) << "no STATS folder";
}

TEST_F(StatFilesTest, ErrorFilesByConnectionAndRouteName) {
  WriteFileText(dir_.File("SMPP - smsc.example.com-2775.ERR"), "Bind failed");
  WriteFileText(dir_.File("MMSCROUTE--zedsmslite.ERR"), "GPRS connection failed");
  char text[kErrorTextBytes + 1] = "stale";
  ReadConnectionError("SMPP - smsc.example.com:2775", text);
  EXPECT_STREQ(text, "Bind failed");
  ReadRouteError("zedsmslite", text);
  EXPECT_STREQ(text, "GPRS connection failed");
  ReadConnectionError("Modem - Absent", text);
  EXPECT_STREQ(text, "");
  WriteFileText(dir_.File("COM5-.ERR"), std::string(300, 'e'));
  ReadConnectionError("COM5:", text);
  EXPECT_EQ(std::string(text), std::string(250, 'e')) << "cut at 250 bytes";
}

}  // namespace
