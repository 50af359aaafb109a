#include "queues/message_delete.h"

#include <windows.h>

#include <cstring>

#include "common/file_util.h"
#include "queues/queue_view_rules.h"

namespace {

constexpr DWORD kRetryLimitMs = 120000;
constexpr DWORD kRetryPauseMs = 5000;
constexpr DWORD kPauseAfterRetryStartMs = 2000;

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

DWORD WINAPI DeleteRetryWorker(void* parameter) {
  char* path = static_cast<char*>(parameter);
  DWORD start = GetTickCount();
  while (PathExists(path) && GetTickCount() - start < kRetryLimitMs) {
    DeleteFileA(path);
    if (PathExists(path)) Sleep(kRetryPauseMs);
  }
  HeapFree(GetProcessHeap(), 0, path);
  return 0;
}

// The worker owns its copy of the path and frees it.
bool StartDeleteRetryWorker(const char* path) {
  size_t size = strlen(path) + 1;
  char* copy = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
  if (!copy) return false;
  memcpy(copy, path, size);
  HANDLE thread = CreateThread(nullptr, 0, DeleteRetryWorker, copy, 0, nullptr);
  if (!thread) {
    HeapFree(GetProcessHeap(), 0, copy);
    return false;
  }
  CloseHandle(thread);
  return true;
}

}  // namespace

void DeleteReceivedMms(const char* directory, const char* headerPath) {
  DeleteFileA(headerPath);
  if (PathExists(headerPath)) return;
  char content[MAX_PATH];
  if (ReceivedMmsContentFolder(directory, headerPath, content, sizeof content)) DeleteDirectoryTree(content);
}

bool DeleteFileOrRetry(const char* path) {
  DeleteFileA(path);
  if (!PathExists(path)) return false;
  // A gateway service holds the file: keep trying in the background.
  bool started = StartDeleteRetryWorker(path);
  Sleep(kPauseAfterRetryStartMs);
  return started;
}
