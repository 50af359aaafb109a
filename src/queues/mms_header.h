// Header files (.HDR) of the received MMS store: MIME-like lines of a name,
// a colon and a value. No windows.h.
#pragma once
#include <cstddef>

#include "queues/text_lines.h"

// Only this many bytes of a header file are looked at.
constexpr size_t kMmsHeaderReadBytes = 8191;

struct MmsHeaderInfo {
  char from[150];
  char to[150];
  char subject[500];
};

// Clears info and goes through every line of data[0..size) (at most the
// first kMmsHeaderReadBytes): "From:", "To:" and "Subject:" at the start of a
// line, in any case, give the values, with leading control characters and
// blanks skipped; sender and recipient are cut at "/TYPE=" (any case). A
// later line of the same name replaces an earlier one.
void ReadMmsHeader(const char* data, size_t size, MmsHeaderInfo* info);

// Content objects of a received message, one "X-ZedMMS-Content-Location:"
// line each: a path relative to the store, optionally ";" and a content type,
// optionally a further ";" and ignored parameters. A list item is the
// display name (the path after its last backslash), " (type)" when there is
// a type, a tab, and the whole value.
constexpr size_t kContentItemChars = 2048;
// Finds the next content-location line after the cursor and writes its item
// text. False when there is none left.
bool NextContentObjectItem(LineCursor* cursor, char* item, size_t itemCap);
// The relative path carried after the tab of an item; nullptr without a tab.
const char* ContentItemPath(const char* item);
// SMIL always opens in Notepad; "text/" only when the object's file name has
// no extension for the shell to go by. Everything else opens through the shell.
bool ContentItemOpensInNotepad(const char* item);

// Content paths come from outside the machine. A file the shell would run
// rather than show (a program, script, installer or shortcut, judged by its
// extension as Windows reads it, trailing dots and blanks dropped) is never
// opened.
bool IsProgramFileName(const char* path);
// True when the full path lies below the folder (both already resolved, no
// "." or ".." left); compared without case.
bool PathIsInsideFolder(const char* folder, const char* fullPath);
