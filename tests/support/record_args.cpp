// RECORDARGS.EXE: stands in for a program the console hands something to
// through the shell (the browser). It appends its command line, one per line,
// to RECORDARGS.LOG next to itself, so a test can see what was opened.
#include <windows.h>

#include <cstring>

int main() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH - 16) return 1;
  char* slash = strrchr(path, '\\');
  if (!slash) return 1;
  strcpy(slash + 1, "RECORDARGS.LOG");
  HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(log, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  WriteFile(log, "\r\n", 2, &written, nullptr);
  CloseHandle(log);
  return 0;
}
