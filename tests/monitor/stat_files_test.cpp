// The statistics files as the clock picks them; the day sums are the native
// tests'.
#include "monitor/stat_files.h"

#include <gtest/gtest.h>

#include "monitor/clock.h"
#include "support/test_env.h"

namespace {

SYSTEMTIME g_now;
void WINAPI FixedTime(SYSTEMTIME* now) { *now = g_now; }

// Which year's file is read, by the clock, while the service holds it open
// for writing; a connection's error text is cut at 250 bytes.
TEST(StatFiles, CountersComeFromTheFilesOfTheClocksYearsAndErrorTextsAreBounded) {
  TempDataDirectory dir("stats");
  Clock().localTime = FixedTime;
  CreateDirectoryA(dir.File("STATS").c_str(), nullptr);
  for (unsigned year : {2012u, 2013u}) {  // day d holds d, times 1000 in 2012
    std::string bytes(4 * 366, '\0');
    for (unsigned d = 1; d <= 366; ++d)
      for (int b = 0; b < 4; ++b) bytes[4 * (d - 1) + b] = static_cast<char>(((d * (year == 2012 ? 1000 : 1)) >> (8 * b)) & 0xFF);
    WriteFileText(dir.File("STATS\\SMSSENT-") + std::to_string(year) + ".CTR", bytes);
  }
  HANDLE held = CreateFileA(dir.File("STATS\\SMSSENT-2013.CTR").c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
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

  // Written twice within one tick of the file clock, same size: the second
  // count shows, not a copy kept from the first read.
  g_now = SYSTEMTIME{2013, 3, 0, 1};
  FILETIME tick;
  GetSystemTimeAsFileTime(&tick);
  std::string counts(4 * 366, '\0');
  for (char count : {'\x07', '\x08'}) {
    counts[4 * 59] = count;
    WriteFileText(dir.File("STATS\\SMSRETRY-2013.CTR"), counts);
    HANDLE file = CreateFileA(dir.File("STATS\\SMSRETRY-2013.CTR").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &tick);
    CloseHandle(file);
    EXPECT_EQ(ReadStatCounters("SMSRETRY").today, static_cast<unsigned>(count));
  }
  Clock() = SystemClock();

  WriteFileText(dir.File("COM5-.ERR"), std::string(300, 'e'));
  char text[kErrorTextBytes + 1] = "stale";
  ReadConnectionError("Modem - Absent", text);
  EXPECT_STREQ(text, "");
  ReadConnectionError("COM5:", text);
  EXPECT_EQ(std::string(text), std::string(250, 'e'));
}

}  // namespace
