// FWRULE.EXE "program" "rule name": records the firewall exception it is asked
// for in FWRULE.LOG of the program data directory. The test machines have no
// firewall to change; the log shows that both arguments arrived whole.
#include <windows.h>

#include <cstdio>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/gwcore_api.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  char directory[MAX_PATH];
  GetProgramDataDirectory(directory);
  char logPath[MAX_PATH];
  FormatText(logPath, sizeof logPath, "%sFWRULE.LOG", directory);
  HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  char line[2 * MAX_PATH + 16];
  FormatText(line, sizeof line, "program=%s|name=%s\r\n", argv[1], argv[2]);
  bool ok = WriteText(log, line) > 0;
  CloseHandle(log);
  return ok ? 0 : 1;
}
