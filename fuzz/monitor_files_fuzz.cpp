// The monitor's own files: the daily counter files of this and the previous
// year, and the event log's records turned into viewer lines. Input: eight
// header bytes (day, days of the previous year, event kind, line capacity,
// time fields), then this year's file and, after the length the ninth and
// tenth bytes give it, the previous year's; the whole rest also serves as the
// event's insertion string.
#include <cstdint>
#include <cstring>
#include <string>

#include "monitor/counter_days.h"
#include "monitor/event_line.h"
#include "fuzz_checks.h"

namespace {

constexpr size_t kHeaderBytes = 10;

// The files with every count's top byte cleared, so that thirty of them
// cannot wrap and the totals can be compared.
unsigned char* SmallCounts(const uint8_t* bytes, size_t size) {
  unsigned char* file = new unsigned char[size ? size : 1];
  memcpy(file, bytes, size);
  for (size_t i = 3; i < size; i += 4) file[i] = 0;
  return file;
}

uint64_t Total(const unsigned char* file, size_t size) {
  uint64_t total = 0;
  for (size_t i = 0; i + 4 <= size; i += 4)
    total += file[i] | file[i + 1] << 8 | file[i + 2] << 16;
  return total;
}

void CheckCounters(const uint8_t* header, const uint8_t* bytes, size_t size) {
  unsigned day = header[0] | (header[1] & 1) << 8;  // 0 to 511: days past any year's end too
  unsigned lastYearDays = header[1] & 2 ? 366 : 365;
  size_t split = (header[8] | header[9] << 8) % (size + 1);
  unsigned char* thisYear = SmallCounts(bytes, split);
  unsigned char* lastYear = SmallCounts(bytes + split, size - split);
  CounterTotals totals = SumCounterDays(thisYear, split, lastYear, size - split, lastYearDays, day);
  FUZZ_CHECK(totals.today <= totals.last7 && totals.last7 <= totals.last30);
  FUZZ_CHECK(totals.last30 <= Total(thisYear, split) + Total(lastYear, size - split));
  size_t offset = 4 * static_cast<size_t>(day - 1);
  uint32_t expected = day >= 1 && offset + 4 <= split
                          ? thisYear[offset] | thisYear[offset + 1] << 8 | thisYear[offset + 2] << 16
                          : 0;
  FUZZ_CHECK(totals.today == expected);
  delete[] lastYear;
  delete[] thisYear;

  unsigned month = 1 + header[2] % 12, monthDay = 1 + header[3] % 31, year = 1990 + header[4];
  unsigned dayOfYear = DayOfYear(year, month, monthDay);
  FUZZ_CHECK(dayOfYear >= 1 && dayOfYear <= (IsCounterLeapYear(year) ? 366u : 365u));
}

void CheckEventLine(const uint8_t* header, const uint8_t* bytes, size_t size) {
  EventTime time;
  time.valid = header[5] & 1;
  time.year = header[5] & 2 ? 2026 : 0xFFFFFFFFu;  // also a year wider than its field
  time.month = header[6] % 13;
  time.day = header[7] % 32;
  time.hour = header[2] % 24;
  time.minute = header[3] % 60;
  time.second = header[4];
  EventKind kind = static_cast<EventKind>(header[6] % 3);
  size_t cap = header[7] & 0x80 ? kEventLineChars + 1 : 1 + header[8];
  std::string insertion(reinterpret_cast<const char*>(bytes), size);

  char* line = new char[cap];
  FormatEventLine(time, kind, insertion.c_str(), line, cap);
  size_t length = strnlen(line, cap);
  FUZZ_CHECK(length < cap);
  const char* label = kind == EventKind::Error ? "Error: " : kind == EventKind::Warning ? "Warning: " : "Info: ";
  const char* found = strstr(line, label);
  // With room for it all, the line ends in the whole insertion after its label.
  std::string whole = std::string(label) + insertion.c_str();
  if (length + 1 < cap) {
    FUZZ_CHECK(found && strcmp(found, whole.c_str()) == 0);
    FUZZ_CHECK(time.valid ? found > line : found == line);
  }
  delete[] line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderBytes || size > kHeaderBytes + 2 * kCounterFileBytes + 64) return 0;
  CheckCounters(data, data + kHeaderBytes, size - kHeaderBytes);
  CheckEventLine(data, data + kHeaderBytes, size - kHeaderBytes);
  return 0;
}
