#include "common/file_util.h"

#include <cstring>

#include "common/text_util.h"

bool IsPlainFile(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsPlainFileTest(const char* path, void*) { return IsPlainFile(path); }

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void StripTrailingSeparators(char* path) {
  size_t len = strlen(path);
  while (len > 0 && (path[len - 1] == '\\' || path[len - 1] == '/')) path[--len] = '\0';
}

void DeleteDirectoryTree(const char* folderPath) {
  char folder[MAX_PATH];
  CopyText(folder, sizeof folder, folderPath);
  StripTrailingSeparators(folder);
  char pattern[MAX_PATH];
  FormatText(pattern, sizeof pattern, "%s\\*", folder);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      char child[MAX_PATH];
      if (FormatText(child, sizeof child, "%s\\%s", folder, found.cFileName) + 1 >= sizeof child)
        continue;  // a cut path would name some other file
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (found.cFileName[0] != '.') DeleteDirectoryTree(child);
      } else {
        DeleteFileA(child);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder);
}

DWORD WriteText(HANDLE file, const char* text) {
  DWORD written = 0;
  if (!WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr)) return 0;
  return written;
}

bool CreateDirectoryPath(const char* path) {
  char partial[MAX_PATH];
  CopyText(partial, sizeof partial, path);
  StripTrailingSeparators(partial);
  size_t len = strlen(partial);
  if (len == 0) return false;
  if (IsDirectory(partial)) return true;
  // Create each parent in turn; those that already exist simply fail.
  for (size_t i = 1; i < len; ++i) {
    if ((partial[i] == '\\' || partial[i] == '/') && partial[i - 1] != ':') {
      char saved = partial[i];
      partial[i] = '\0';
      CreateDirectoryA(partial, nullptr);
      partial[i] = saved;
    }
  }
  CreateDirectoryA(partial, nullptr);
  return IsDirectory(partial);
}

void CreateFileIfMissing(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}
