// Counter arithmetic of the daily statistics files. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kCounterFileBytes = 366 * 4;

// Every fourth year is a leap year (the gateway makes no century exception).
bool IsCounterLeapYear(unsigned year);
// 1 January is day 1.
unsigned DayOfYear(unsigned year, unsigned month, unsigned day);

struct CounterTotals {
  uint32_t today;
  uint32_t last7;
  uint32_t last30;
};

// Today, the last 7 and the last 30 days for day d of a year, from this
// year's file and the previous year's (either may be short or empty: days
// beyond its end count 0).
CounterTotals SumCounterDays(const unsigned char* thisYear, size_t thisYearSize, const unsigned char* lastYear,
                             size_t lastYearSize, unsigned lastYearDays, unsigned day);
