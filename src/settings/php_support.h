// Local PHP processing of the gateway's web server: whether the PHP program
// can be found, and the folder its scripts are served from.
#pragma once
#include <windows.h>

#include <cstddef>

extern const char kPhpNotAvailableMessage[];

// php-cgi.exe in the folder PHPRC names, else in a folder of PATH.
bool LocatePhpProgram();

// Creates the PHP script folder when missing and describes where it is
// served: "http://", the gateway's local host name, "/php resolves to " and
// the folder.
void PreparePhpAddressLine(char* line, size_t cap);
