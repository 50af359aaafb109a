// Text files (logs, stored messages) are shown in Notepad.
#pragma once

// Starts "NOTEPAD.EXE \"path\"" and lets it run on its own; false when it
// could not be started (or the path is too long to pass whole).
bool OpenInNotepad(const char* path);
