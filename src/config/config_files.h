// The gateway's configuration files and how values are read and written.
#pragma once
#include <windows.h>

#include <cstddef>

// Paths of the two main configuration files, set once at start-up.
struct ConfigFilePaths {
  char smsIni[MAX_PATH];
  char mmscIni[MAX_PATH];
};
extern ConfigFilePaths g_configFiles;

// Forms the SMSGW.INI and MMSC.INI paths in the program data directory,
// creates missing files empty and registers them with the core library.
void PrepareConfigFiles();
// The program data directory followed by name.
void ProgramDataPath(const char* name, char* buffer, size_t cap);

// Text value cut at cap - 1 characters; returns its length.
size_t ReadIniText(const char* file, const char* section, const char* key, const char* fallback,
                   char* buffer, size_t cap);
// A whole section ("key=value" strings, each NUL-terminated) and its length;
// false when it does not fit the buffer.
bool ReadIniSection(const char* file, const char* section, char* buffer, size_t cap, size_t* length);
unsigned ReadIniNumber(const char* file, const char* section, const char* key, const char* fallback);
bool ReadIniSwitch(const char* file, const char* section, const char* key, const char* fallback);
// An empty text is stored as the key's removal so the services use their default.
void WriteIniTextOrRemove(const char* file, const char* section, const char* key, const char* value);
void WriteIniNumber(const char* file, const char* section, const char* key, unsigned value);
void WriteIniYesNo(const char* file, const char* section, const char* key, bool on);
// "Yes" when on, the key removed when off.
void WriteIniYesOrRemove(const char* file, const char* section, const char* key, bool on);
void RemoveIniKey(const char* file, const char* section, const char* key);

// Gateway working directories; each result ends in a backslash.
// Without a route (null or empty) the outbound SMS queue root; with one, the
// route's folder, created when missing, or the root when it cannot be made.
void GetQueueDirectory(char* buffer, const char* route = nullptr);
void GetSmsInDirectory(char* buffer);
void GetMmsInDirectory(char* buffer);
void GetVaspQueueDirectory(char* buffer);
void GetPhpDirectory(char* buffer);
