#include "monitor/event_line.h"

#include "common/text_util.h"

void FormatEventLine(const EventTime& time, EventKind kind, const char* insertion, char* line, size_t cap) {
  if (cap == 0) return;
  line[0] = '\0';
  if (time.valid)
    FormatText(line, cap, "%04u-%02u-%02u %02u:%02u:%02u - ", time.year, time.month, time.day, time.hour,
               time.minute, time.second);
  AppendText(line, cap, kind == EventKind::Error ? "Error: " : kind == EventKind::Warning ? "Warning: " : "Info: ");
  AppendText(line, cap, insertion ? insertion : "");
}
