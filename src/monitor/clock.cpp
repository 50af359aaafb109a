#include "monitor/clock.h"

namespace {
const ClockTable kSystemClock = {GetLocalTime};
ClockTable g_clock = kSystemClock;
}  // namespace

ClockTable& Clock() { return g_clock; }
const ClockTable& SystemClock() { return kSystemClock; }

ULONGLONG ClockSeconds() {
  SYSTEMTIME now;
  g_clock.localTime(&now);
  FILETIME time;
  if (!SystemTimeToFileTime(&now, &time)) return 0;
  return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000000u;
}
