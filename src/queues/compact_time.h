// Times of the message files: the compact form "YYYYMMDDhhmmss" of the
// retry keys, and the text form of the list columns. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

// Laid out field for field like the Win32 SYSTEMTIME, so the shell can copy
// one into the other.
struct DateTimeRecord {
  uint16_t year;
  uint16_t month;
  uint16_t dayOfWeek;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t milliseconds;
};

// Fourteen decimal digits at the start of a byte range (no NUL needed) give
// year, month, day, hour, minute and second, taken without any range test;
// anything after them is ignored. A range that does not begin with fourteen
// digits gives 2000-01-01 00:00:00. Day of week and milliseconds are always 0.
void ParseCompactTimeSpan(const char* text, size_t length, DateTimeRecord* time);

// "%04d-%02d-%02d %02d:%02d:%02d": fixed width for real dates, so sorting the
// text sorts by time. Returns the length kept.
constexpr size_t kRowTimeChars = 20;
size_t FormatRowTime(const DateTimeRecord& time, char* out, size_t outCap);
