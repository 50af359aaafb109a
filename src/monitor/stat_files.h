// What the gateway services leave for the console: daily counter files in
// STATS and the last error of each connection and MMS route.
#pragma once
#include <cstddef>

#include "monitor/counter_days.h"

constexpr size_t kErrorTextBytes = 250;

// Today, the last 7 and the last 30 days of a counter (0 where files are missing).
CounterTotals ReadStatCounters(const char* counter);
// The last error of a connection or route (at most 250 bytes), or an empty
// text; the buffer holds at least 251 bytes.
void ReadConnectionError(const char* connection, char* buffer);
void ReadRouteError(const char* route, char* buffer);
