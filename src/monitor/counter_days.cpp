#include "monitor/counter_days.h"

namespace {

const unsigned kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

uint32_t DayCount(const unsigned char* file, size_t size, unsigned day) {
  size_t offset = 4 * static_cast<size_t>(day - 1);
  if (day == 0 || offset + 4 > size) return 0;
  return static_cast<uint32_t>(file[offset]) | static_cast<uint32_t>(file[offset + 1]) << 8 |
         static_cast<uint32_t>(file[offset + 2]) << 16 | static_cast<uint32_t>(file[offset + 3]) << 24;
}

// Days `day` down to 1 of this year, at most `span` of them, then the rest
// from the end of the previous year.
uint32_t SumSpan(const unsigned char* thisYear, size_t thisYearSize, const unsigned char* lastYear,
                 size_t lastYearSize, unsigned lastYearDays, unsigned day, unsigned span) {
  uint32_t sum = 0;
  unsigned taken = 0;
  for (unsigned d = day; d >= 1 && taken < span; --d, ++taken) sum += DayCount(thisYear, thisYearSize, d);
  for (unsigned d = lastYearDays; taken < span && d >= 1; --d, ++taken) sum += DayCount(lastYear, lastYearSize, d);
  return sum;
}

}  // namespace

bool IsCounterLeapYear(unsigned year) { return year % 4 == 0; }

unsigned DayOfYear(unsigned year, unsigned month, unsigned day) {
  if (month < 1 || month > 12) return day;
  return day + kDaysBeforeMonth[month - 1] + (IsCounterLeapYear(year) && month > 2 ? 1 : 0);
}

CounterTotals SumCounterDays(const unsigned char* thisYear, size_t thisYearSize, const unsigned char* lastYear,
                             size_t lastYearSize, unsigned lastYearDays, unsigned day) {
  CounterTotals totals;
  totals.today = DayCount(thisYear, thisYearSize, day);
  totals.last7 = SumSpan(thisYear, thisYearSize, lastYear, lastYearSize, lastYearDays, day, 7);
  totals.last30 = SumSpan(thisYear, thisYearSize, lastYear, lastYearSize, lastYearDays, day, 30);
  return totals;
}
