#include "monitor/stat_files.h"

#include <gtest/gtest.h>

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
  // Day d holds d * scale, for every day of the year.
  std::string WriteCounter(const char* name, unsigned year, unsigned scale) {
    std::string bytes(4 * 366, '\0');
    for (unsigned d = 1; d <= 366; ++d)
      for (int b = 0; b < 4; ++b) bytes[4 * (d - 1) + b] = static_cast<char>(((d * scale) >> (8 * b)) & 0xFF);
    std::string path = dir_.File("STATS\\") + name + "-" + std::to_string(year) + ".CTR";
    WriteFileText(path, bytes);
    return path;
  }
  TempDataDirectory dir_{"stats"};
};

// The day sums are the native tests'; here: which year's file is read, by the
// clock, while the service holds it open for writing.
TEST_F(StatFilesTest, CountersAreReadFromTheFilesOfTheClocksYears) {
  std::string thisYear = WriteCounter("SMSSENT", 2013, 1);
  WriteCounter("SMSSENT", 2012, 1000);
  HANDLE held = CreateFileA(thisYear.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const struct {
    WORD year, month, day;
    unsigned today, last7;
  } rows[] = {
      // 1..3 January and 28..31 December 2012, a leap year: days 366..363.
      {2013, 1, 3, 3, 6 + (366 + 365 + 364 + 363) * 1000},
      {2013, 3, 1, 60, 60 + 59 + 58 + 57 + 56 + 55 + 54},
      {2012, 3, 1, 61000, (61 + 60 + 59 + 58 + 57 + 56 + 55) * 1000},
  };
  for (const auto& row : rows) {
    g_now = SYSTEMTIME{row.year, row.month, 0, row.day};
    CounterTotals sent = ReadStatCounters("SMSSENT");
    EXPECT_EQ(sent.today, row.today) << row.year << "-" << row.month << "-" << row.day;
    EXPECT_EQ(sent.last7, row.last7) << row.year << "-" << row.month << "-" << row.day;
  }
  CloseHandle(held);
  CounterTotals none = ReadStatCounters("SMSFAILED");
  EXPECT_EQ(none.today + none.last7 + none.last30, 0u) << "no file counts zero";
}

// How names become file names is shown on the pages; here, the text's bound.
TEST_F(StatFilesTest, ErrorTextIsCutAt250Bytes) {
  WriteFileText(dir_.File("COM5-.ERR"), std::string(300, 'e'));
  char text[kErrorTextBytes + 1] = "stale";
  ReadConnectionError("Modem - Absent", text);
  EXPECT_STREQ(text, "");
  ReadConnectionError("COM5:", text);
  EXPECT_EQ(std::string(text), std::string(250, 'e'));
}

}  // namespace
