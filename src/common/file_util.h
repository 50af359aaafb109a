// File helpers shared by every subsystem.
#pragma once
#include <windows.h>

// A directory search finds the path and it is not a directory.
bool IsPlainFile(const char* path);
// The same in the form the portable searches take; the context is unused.
bool IsPlainFileTest(const char* path, void* context);
bool IsDirectory(const char* path);
// Deletes every file of the folder, recurses into every sub-folder whose name
// does not begin with ".", then removes the folder. Read-only files are left.
void DeleteDirectoryTree(const char* folder);
// Writes a NUL-terminated text to an open file: bytes written, 0 on failure.
DWORD WriteText(HANDLE file, const char* text);
// Creates the folder and any missing parents. True when it exists afterwards.
bool CreateDirectoryPath(const char* path);
// Creates an empty file unless it exists, sharing read and write.
void CreateFileIfMissing(const char* path);
