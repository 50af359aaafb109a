// The line the event log viewer shows for one gateway event. No windows.h.
#pragma once
#include <cstddef>

constexpr size_t kEventLineChars = 2047;

enum class EventKind { Error, Warning, Other };

struct EventTime {
  bool valid;
  unsigned year, month, day, hour, minute, second;
};

// "YYYY-MM-DD hh:mm:ss - " (when the time is known), "Error: ", "Warning: "
// or "Info: ", then the first insertion string, cut to fit the line.
void FormatEventLine(const EventTime& time, EventKind kind, const char* insertion, char* line, size_t cap);
