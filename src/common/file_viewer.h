// Text files (logs, stored messages) are shown in Notepad.
#pragma once
#include <windows.h>

// Starts "NOTEPAD.EXE \"path\"" and lets it run on its own; false when it
// could not be started (or the path is too long to pass whole).
bool OpenInNotepad(const char* path);
// Opens any other document with the shell verb "open", in the document's own folder.
void OpenWithShell(HWND owner, const char* path);
