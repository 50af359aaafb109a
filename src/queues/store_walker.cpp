#include "queues/store_walker.h"

#include <cstring>

#include "common/text_util.h"
#include "queues/compact_time.h"

namespace {

// 5 minutes in 100 ns units.
constexpr ULONGLONG kStaleAge = 5ULL * 60 * 10000000;

void CloseSearch(HANDLE* search) {
  if (*search != INVALID_HANDLE_VALUE) FindClose(*search);
  *search = INVALID_HANDLE_VALUE;
}

bool IsDotEntry(const char* name) {
  return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

// Opens the inner search on the current directory; false when it has no
// entry at all or its search path does not fit.
bool OpenInnerSearch(MessageWalk* walk) {
  char search[MAX_PATH];
  size_t need = strlen(walk->storeDirectory) + strlen(walk->pattern) +
                (walk->subdirectory[0] ? strlen(walk->subdirectory) + 1 : 0);
  if (need + 1 > sizeof search) return false;
  CopyText(search, sizeof search, walk->storeDirectory);
  if (walk->subdirectory[0]) {
    AppendText(search, sizeof search, walk->subdirectory);
    AppendText(search, sizeof search, "\\");
  }
  AppendText(search, sizeof search, walk->pattern);
  walk->inner = FindFirstFileA(search, &walk->innerEntry);
  return walk->inner != INVALID_HANDLE_VALUE;
}

// Moves the inner search to a plain file, starting with its current entry.
bool SettleOnFile(MessageWalk* walk) {
  while (walk->innerEntry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!FindNextFileA(walk->inner, &walk->innerEntry)) return false;
  }
  walk->relativePath[0] = '\0';
  if (walk->subdirectory[0]) {
    AppendText(walk->relativePath, sizeof walk->relativePath, walk->subdirectory);
    AppendText(walk->relativePath, sizeof walk->relativePath, "\\");
  }
  AppendText(walk->relativePath, sizeof walk->relativePath, walk->innerEntry.cFileName);
  return true;
}

// The current directory has no (more) files of the pattern.
void LeaveDirectory(MessageWalk* walk) {
  CloseSearch(&walk->inner);
  if (!walk->removeStale || !walk->subdirectory[0]) return;
  char path[MAX_PATH];
  if (strlen(walk->storeDirectory) + strlen(walk->subdirectory) + 1 > sizeof path) return;
  CopyText(path, sizeof path, walk->storeDirectory);
  AppendText(path, sizeof path, walk->subdirectory);
  RemoveStaleSubdirectory(path);
}

// Takes the directory of the outer search's current entry as the current
// directory; false for entries that are not message directories.
bool EnterOuterEntry(MessageWalk* walk) {
  const WIN32_FIND_DATAA& entry = walk->outerEntry;
  if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(entry.cFileName))
    return false;
  // A cut name would be some other directory.
  if (strlen(entry.cFileName) + 1 > sizeof walk->subdirectory) return false;
  CopyText(walk->subdirectory, sizeof walk->subdirectory, entry.cFileName);
  return true;
}

// Goes on from the current directory (whose inner search is finished or was
// never opened) to the next directory that holds a file of the pattern.
bool AdvanceDirectory(MessageWalk* walk) {
  for (;;) {
    if (!walk->rootDone) {
      // The store directory itself comes first. It is searched directly
      // rather than through its "." entry, which a drive root does not have.
      walk->rootDone = true;
      walk->subdirectory[0] = '\0';
    } else {
      if (!walk->entryPending && !FindNextFileA(walk->outer, &walk->outerEntry)) {
        CloseSearch(&walk->outer);
        return false;
      }
      walk->entryPending = false;
      if (!EnterOuterEntry(walk)) continue;
    }
    if (OpenInnerSearch(walk) && SettleOnFile(walk)) return true;
    LeaveDirectory(walk);
  }
}

// Opens the outer search over the store directory; false when it finds nothing.
bool StartWalk(MessageWalk* walk) {
  CloseSearch(&walk->inner);
  CloseSearch(&walk->outer);
  walk->rootDone = false;
  walk->entryPending = false;
  walk->subdirectory[0] = '\0';
  walk->relativePath[0] = '\0';
  if (walk->storeDirectory[0] == '\0') return false;
  char search[MAX_PATH];
  if (FormatText(search, sizeof search, "%s*", walk->storeDirectory) + 1 >= sizeof search) return false;
  walk->outer = FindFirstFileA(search, &walk->outerEntry);
  if (walk->outer == INVALID_HANDLE_VALUE) return false;
  walk->entryPending = true;
  return true;
}

}  // namespace

bool FirstMessageFile(MessageWalk* walk, const char* storeDirectory, const char* pattern,
                      bool removeStale) {
  walk->outer = INVALID_HANDLE_VALUE;
  walk->inner = INVALID_HANDLE_VALUE;
  walk->removeStale = removeStale;
  walk->storeDirectory[0] = '\0';
  walk->subdirectory[0] = '\0';
  walk->relativePath[0] = '\0';
  // An empty directory would search the current one, a cut one some other.
  size_t length = storeDirectory ? strlen(storeDirectory) : 0;
  if (length == 0 || length + 2 > sizeof walk->storeDirectory) return false;
  CopyText(walk->storeDirectory, sizeof walk->storeDirectory, storeDirectory);
  if (walk->storeDirectory[length - 1] != '\\')
    AppendText(walk->storeDirectory, sizeof walk->storeDirectory, "\\");
  CopyText(walk->pattern, sizeof walk->pattern, pattern);
  return NextMessageFile(walk);
}

bool NextMessageFile(MessageWalk* walk) {
  if (walk->outer == INVALID_HANDLE_VALUE) {
    if (!StartWalk(walk)) return false;
    return AdvanceDirectory(walk);
  }
  if (walk->inner != INVALID_HANDLE_VALUE && FindNextFileA(walk->inner, &walk->innerEntry) &&
      SettleOnFile(walk))
    return true;
  LeaveDirectory(walk);
  return AdvanceDirectory(walk);
}

void EndMessageWalk(MessageWalk* walk) {
  CloseSearch(&walk->inner);
  CloseSearch(&walk->outer);
}

bool CurrentMessagePath(const MessageWalk& walk, char* path, size_t cap) {
  if (cap == 0) return false;
  path[0] = '\0';
  if (strlen(walk.storeDirectory) + strlen(walk.relativePath) + 1 > cap) return false;
  CopyText(path, cap, walk.storeDirectory);
  AppendText(path, cap, walk.relativePath);
  return true;
}

void RemoveStaleSubdirectory(const char* path) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER limit;
  limit.LowPart = now.dwLowDateTime;
  limit.HighPart = now.dwHighDateTime;
  limit.QuadPart -= kStaleAge;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  ULARGE_INTEGER written;
  written.LowPart = found.ftLastWriteTime.dwLowDateTime;
  written.HighPart = found.ftLastWriteTime.dwHighDateTime;
  if (written.QuadPart < limit.QuadPart) RemoveDirectoryA(path);
}

void FormatFileTime(const FILETIME& utc, char* text, size_t cap) {
  FILETIME local;
  SYSTEMTIME time = {};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) time = SYSTEMTIME{};
  DateTimeRecord record;
  static_assert(sizeof record == sizeof time, "laid out like SYSTEMTIME");
  memcpy(&record, &time, sizeof record);
  FormatRowTime(record, text, cap);
}
