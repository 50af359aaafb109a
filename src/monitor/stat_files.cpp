#include "monitor/stat_files.h"

#include <windows.h>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/gwcore_api.h"
#include "config/value_rules.h"
#include "monitor/clock.h"

namespace {

// Reads up to cap bytes of a file the service may be writing; the count read (0 when missing).
size_t ReadShared(const char* path, void* buffer, size_t cap) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  size_t total = 0;
  DWORD got = 0;
  while (total < cap &&
         ReadFile(file, static_cast<char*>(buffer) + total, static_cast<DWORD>(cap - total), &got, nullptr) &&
         got > 0)
    total += got;
  CloseHandle(file);
  return total;
}

size_t ReadCounterFile(const char* counter, unsigned year, unsigned char* buffer) {
  char directory[MAX_PATH];
  GetPrivateDataDirectory(directory);
  char path[MAX_PATH];
  if (FormatText(path, sizeof path, "%sSTATS\\%s-%u.CTR", directory, counter, year) + 1 >= sizeof path) return 0;
  return ReadShared(path, buffer, kCounterFileBytes);
}

void ReadErrorFile(const char* prefix, const char* name, char* buffer) {
  buffer[0] = '\0';
  char fileName[MAX_PATH];
  FormatText(fileName, sizeof fileName, "%s%s", prefix, name);
  NameToFileName(fileName);
  char directory[MAX_PATH];
  GetPrivateDataDirectory(directory);
  char path[MAX_PATH];
  if (FormatText(path, sizeof path, "%s%s.ERR", directory, fileName) + 1 >= sizeof path) return;
  if (!IsPlainFile(path)) return;
  size_t got = ReadShared(path, buffer, kErrorTextBytes);
  buffer[got] = '\0';
}

}  // namespace

CounterTotals ReadStatCounters(const char* counter) {
  SYSTEMTIME now;
  Clock().localTime(&now);
  unsigned day = DayOfYear(now.wYear, now.wMonth, now.wDay);
  unsigned char thisYear[kCounterFileBytes];
  unsigned char lastYear[kCounterFileBytes];
  size_t thisSize = ReadCounterFile(counter, now.wYear, thisYear);
  // Only the first 29 days of a year reach back into the previous one.
  size_t lastSize = day < 30 ? ReadCounterFile(counter, now.wYear - 1u, lastYear) : 0;
  unsigned lastYearDays = IsCounterLeapYear(now.wYear - 1u) ? 366 : 365;
  return SumCounterDays(thisYear, thisSize, lastYear, lastSize, lastYearDays, day);
}

void ReadConnectionError(const char* connection, char* buffer) { ReadErrorFile("", connection, buffer); }

void ReadRouteError(const char* route, char* buffer) { ReadErrorFile("MMSCROUTE--", route, buffer); }
