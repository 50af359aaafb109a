// Where the gateway's web server would find the PHP program: the folder that
// PHPRC names, else the folders of PATH in order. No windows.h.
#pragma once
#include <cstddef>

extern const char kPhpProgramName[];  // "php-cgi.exe"

// The folder, a backslash unless it ends with one, and "php-cgi.exe". False
// for an empty folder or a path that does not fit (a cut path would name
// another file).
bool PhpProgramCandidate(const char* folder, size_t folderLength, char* path, size_t cap);

typedef bool (*PlainFileTest)(const char* path, void* context);
// Tries the PHPRC folder when phprc is not empty, then each folder of the
// PATH list: the list is split at ";" and blanks after a ";" are skipped;
// empty folders are passed over and an empty remainder ends the list. The
// first candidate that exists is copied to found. False when none exists.
bool FindPhpProgram(const char* phprc, const char* pathList, PlainFileTest exists, void* context,
                    char* found, size_t cap);
