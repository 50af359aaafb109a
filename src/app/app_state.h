// Process-wide state of the console, created at start-up.
#pragma once
#include <windows.h>

extern const char kProductCaption[];

struct ConsoleState {
  char helpDocumentPath[MAX_PATH];
  bool helpAvailable;
  bool quiet;
};
extern ConsoleState g_console;
