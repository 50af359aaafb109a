#include "monitor/counter_days.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A counter file whose day d holds the value d * scale.
std::vector<unsigned char> CounterFile(unsigned days, unsigned scale) {
  std::vector<unsigned char> file(4 * days);
  for (unsigned d = 1; d <= days; ++d) {
    uint32_t value = d * scale;
    for (int b = 0; b < 4; ++b) file[4 * (d - 1) + b] = static_cast<unsigned char>(value >> (8 * b));
  }
  return file;
}

}  // namespace

TEST(CounterDays, DayOfYearWithEveryFourthYearALeapYear) {
  const unsigned rows[][4] = {{2012, 1, 1, 1},    {2012, 2, 29, 60},   {2012, 3, 1, 61},
                              {2013, 3, 1, 60},   {2012, 12, 31, 366}, {2013, 12, 31, 365},
                              {2100, 3, 1, 61}};  // no century exception
  for (const auto& r : rows) EXPECT_EQ(DayOfYear(r[0], r[1], r[2]), r[3]) << r[0] << "-" << r[1] << "-" << r[2];
}

TEST(CounterDays, TotalsWithinTheYear) {
  auto file = CounterFile(366, 1);
  CounterTotals totals = SumCounterDays(file.data(), file.size(), nullptr, 0, 365, 100);
  EXPECT_EQ(totals.today, 100u);
  EXPECT_EQ(totals.last7, 100u + 99 + 98 + 97 + 96 + 95 + 94);
  EXPECT_EQ(totals.last30, (100u + 71) * 30 / 2);
}

TEST(CounterDays, TheTurnOfTheYearReachesIntoLastYearsFile) {
  auto thisYear = CounterFile(366, 1);
  auto lastYear = CounterFile(366, 1000);
  // 3 January: 1..3 January and 28..31 December of a 365-day year.
  CounterTotals totals = SumCounterDays(thisYear.data(), thisYear.size(), lastYear.data(), lastYear.size(), 365, 3);
  EXPECT_EQ(totals.today, 3u);
  EXPECT_EQ(totals.last7, 1u + 2 + 3 + (365 + 364 + 363 + 362) * 1000);
  uint32_t last30 = 6;
  for (unsigned d = 365; d > 365 - 27; --d) last30 += d * 1000;
  EXPECT_EQ(totals.last30, last30);
  // After a leap year its day 366 counts.
  totals = SumCounterDays(thisYear.data(), thisYear.size(), lastYear.data(), lastYear.size(), 366, 1);
  EXPECT_EQ(totals.last7, 1u + (366 + 365 + 364 + 363 + 362 + 361) * 1000);
}

TEST(CounterDays, ShortAndMissingFilesCountZero) {
  auto shortFile = CounterFile(100, 1);  // 400 bytes
  CounterTotals totals = SumCounterDays(shortFile.data(), shortFile.size(), nullptr, 0, 365, 101);
  EXPECT_EQ(totals.today, 0u);
  EXPECT_EQ(totals.last7, 100u + 99 + 98 + 97 + 96 + 95);
  totals = SumCounterDays(nullptr, 0, nullptr, 0, 365, 5);
  EXPECT_EQ(totals.today + totals.last7 + totals.last30, 0u);
  std::vector<unsigned char> ragged = {1, 0, 0, 0, 2, 0};  // the second day cut mid-number
  totals = SumCounterDays(ragged.data(), ragged.size(), nullptr, 0, 365, 2);
  EXPECT_EQ(totals.today, 0u);
  EXPECT_EQ(totals.last7, 1u);
}
