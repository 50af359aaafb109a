// Process-wide state of the console, created at start-up.
#pragma once
#include <windows.h>

extern const char kProductCaption[];

constexpr size_t kModemNameChars = 250;

struct ConsoleState {
  char helpDocumentPath[MAX_PATH];
  bool helpAvailable;
  bool quiet;
  // Some page holds edits that are not saved yet.
  bool configDirty;
  // Copy of Modem1 of [SMSGW]; the Modem page updates it.
  char currentModemName[kModemNameChars + 1];
};
extern ConsoleState g_console;
