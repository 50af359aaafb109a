#include "monitor/stat_files.h"

#include <windows.h>

#include <cstring>

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

ULONGLONG FileTimeValue(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The Status page reads every counter and error file once a second, and opening
// a file costs far more than asking for its size and time. A copy is reused
// while both are unchanged, but only when it was read at least two seconds
// after the file's last write: a second write within the same clock tick
// leaves the time as it was, and a copy read in between would hide it.
struct CachedFile {
  char path[MAX_PATH];
  ULONGLONG written;
  ULONGLONG size;
  ULONGLONG readAt;
  size_t length;
  unsigned char data[kCounterFileBytes];
};

constexpr ULONGLONG kQuietFileTime = 2 * 10000000ull;  // 2 s in FILETIME units
CachedFile g_cache[16];
size_t g_nextSlot;

// Like ReadShared for a plain file; a directory or a missing file reads as nothing.
size_t ReadStatFile(const char* path, void* buffer, size_t cap) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes) ||
      (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return 0;
  ULONGLONG written = FileTimeValue(attributes.ftLastWriteTime);
  ULONGLONG size = (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  CachedFile* slot = nullptr;
  for (CachedFile& cached : g_cache)
    if (lstrcmpiA(cached.path, path) == 0) slot = &cached;
  if (slot && slot->written == written && slot->size == size && slot->readAt >= written + kQuietFileTime &&
      slot->length <= cap) {
    memcpy(buffer, slot->data, slot->length);
    return slot->length;
  }
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  size_t length = ReadShared(path, buffer, cap);
  if (cap > sizeof(CachedFile::data)) return length;
  if (!slot) slot = &g_cache[g_nextSlot++ % (sizeof g_cache / sizeof g_cache[0])];
  CopyText(slot->path, sizeof slot->path, path);
  slot->written = written;
  slot->size = size;
  slot->readAt = FileTimeValue(now);
  slot->length = length;
  memcpy(slot->data, buffer, length);
  return length;
}

size_t ReadCounterFile(const char* counter, unsigned year, unsigned char* buffer) {
  char directory[MAX_PATH];
  GetPrivateDataDirectory(directory);
  char path[MAX_PATH];
  if (FormatText(path, sizeof path, "%sSTATS\\%s-%u.CTR", directory, counter, year) + 1 >= sizeof path) return 0;
  return ReadStatFile(path, buffer, kCounterFileBytes);
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
  size_t got = ReadStatFile(path, buffer, kErrorTextBytes);
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
