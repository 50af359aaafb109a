// RECORDARGS.EXE: stands in for a program the console hands something to
// through the shell (the browser). It appends its command line, one per line,
// to RECORDARGS.LOG next to itself, so a test can see what was opened.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = strrchr(path, '\\');
  if (length == 0 || length >= MAX_PATH - 16 || !slash) return 1;
  memcpy(slash + 1, "RECORDARGS.LOG", sizeof "RECORDARGS.LOG");
  // The C library opens files shared, so a test can read while this appends.
  FILE* log = fopen(path, "ab");
  if (!log) return 1;
  fprintf(log, "%s\r\n", GetCommandLineA());
  return fclose(log);
}
