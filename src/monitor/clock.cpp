#include "monitor/clock.h"

namespace {
const ClockTable kSystemClock = {GetLocalTime};
ClockTable g_clock = kSystemClock;
}  // namespace

ClockTable& Clock() { return g_clock; }
const ClockTable& SystemClock() { return kSystemClock; }
