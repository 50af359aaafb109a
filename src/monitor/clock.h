// The local date and time used for counters and daily logs. A test can set
// it (for the turn of the year or midnight) by swapping the table's entry.
#pragma once
#include <windows.h>

struct ClockTable {
  void(WINAPI* localTime)(SYSTEMTIME* now);
};

ClockTable& Clock();
const ClockTable& SystemClock();

// The clock's local time as a count of seconds, for measuring intervals.
ULONGLONG ClockSeconds();
