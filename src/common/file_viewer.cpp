#include "common/file_viewer.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "common/text_util.h"

bool OpenInNotepad(const char* path) {
  char commandLine[MAX_PATH + 32];
  if (!path || strlen(path) >= MAX_PATH) return false;
  FormatText(commandLine, sizeof commandLine, "NOTEPAD.EXE \"%s\"", path);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // No application name: Notepad is found on the search path.
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void OpenWithShell(HWND owner, const char* path) {
  char folder[MAX_PATH];
  CopyText(folder, sizeof folder, path);
  char* lastSeparator = strrchr(folder, '\\');
  if (lastSeparator) *lastSeparator = '\0';
  ShellExecuteA(owner, "open", path, nullptr, folder, SW_SHOWNORMAL);
}
