#include "queues/compact_time.h"

#include <cstring>

#include "common/text_util.h"

namespace {

uint16_t Digits(const char* text, size_t count) {
  unsigned value = 0;
  for (size_t i = 0; i < count; ++i) value = value * 10 + static_cast<unsigned>(text[i] - '0');
  return static_cast<uint16_t>(value);
}

}  // namespace

void ParseCompactTimeSpan(const char* text, size_t length, DateTimeRecord* time) {
  memset(time, 0, sizeof *time);
  bool valid = text && length >= 14;
  for (size_t i = 0; valid && i < 14; ++i) valid = text[i] >= '0' && text[i] <= '9';
  if (!valid) {
    time->year = 2000;
    time->month = 1;
    time->day = 1;
    return;
  }
  time->year = Digits(text, 4);
  time->month = Digits(text + 4, 2);
  time->day = Digits(text + 6, 2);
  time->hour = Digits(text + 8, 2);
  time->minute = Digits(text + 10, 2);
  time->second = Digits(text + 12, 2);
}

size_t FormatRowTime(const DateTimeRecord& time, char* out, size_t outCap) {
  return FormatText(out, outCap, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                    time.hour, time.minute, time.second);
}
