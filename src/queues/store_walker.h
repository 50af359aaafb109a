// Walks a message store: the store directory and its first-level
// subdirectories, one file of a pattern at a time. The received stores also
// lose their empty subdirectories here once the services have left them
// alone for a while.
#pragma once
#include <windows.h>

#include <cstddef>

constexpr size_t kWalkPatternChars = 100;
constexpr size_t kWalkSubdirectoryChars = 250;
// A subdirectory name, a backslash and a file name always fit.
constexpr size_t kWalkRelativePathChars = kWalkSubdirectoryChars + MAX_PATH + 2;

struct MessageWalk {
  char storeDirectory[MAX_PATH];  // ends in a backslash
  char pattern[kWalkPatternChars];
  char subdirectory[kWalkSubdirectoryChars];  // empty for the store directory itself
  // The message's key: "subdirectory\file name", or the file name alone.
  char relativePath[kWalkRelativePathChars];
  HANDLE outer;  // INVALID_HANDLE_VALUE when closed
  WIN32_FIND_DATAA outerEntry;
  bool rootDone;      // the store directory itself has been searched
  bool entryPending;  // outerEntry has not been looked at yet
  HANDLE inner;
  WIN32_FIND_DATAA innerEntry;  // the current file: name and times
  bool removeStale;
};

// Starts a walk; true with the first file's relative path and entry in the
// walk, false when there is none (all searches closed then). With
// removeStale, every subdirectory that has no file of the pattern is handed
// to RemoveStaleSubdirectory as the walk passes it.
bool FirstMessageFile(MessageWalk* walk, const char* storeDirectory, const char* pattern,
                      bool removeStale);
// The next file; false at the end (all searches closed). After the end it
// starts again from the top.
bool NextMessageFile(MessageWalk* walk);
void EndMessageWalk(MessageWalk* walk);
// The store directory followed by the current relative path; false when the
// whole path does not fit in MAX_PATH characters (such a file cannot be
// opened by name, and a cut path would name another file).
bool CurrentMessagePath(const MessageWalk& walk, char* path, size_t cap);

// Removes the directory (path without a trailing backslash) when it has not
// been written to for 5 minutes. Only an empty directory can go; a failure is
// ignored.
void RemoveStaleSubdirectory(const char* path);

// The local-time text of a file time, "%04d-%02d-%02d %02d:%02d:%02d".
void FormatFileTime(const FILETIME& utc, char* text, size_t cap);
