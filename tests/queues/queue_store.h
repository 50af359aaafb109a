// Message store files for the queue tests and the benchmarks: the four store
// directories of the current configuration and files written into them.
#pragma once
#include <windows.h>

#include <string>

struct StoreDirectories {
  std::string smsQueue;  // outbound SMS queue root
  std::string mmsQueue;  // outbound MMS queue
  std::string smsIn;     // received SMS
  std::string mmsIn;     // received MMS
};
// Each ends in a backslash; all four exist afterwards.
StoreDirectories CurrentStoreDirectories();

// Writes the bytes to a new file (creating missing folders), created and last
// written at the given time when one is given; false on failure.
bool WriteStoreFile(const std::string& path, const std::string& bytes, const FILETIME* created = nullptr);
// Sets a file's (or a folder's) creation and last-write times.
bool SetFileTimes(const std::string& path, const FILETIME& time);
// A local date and time as a file time.
FILETIME LocalFileTime(int year, int month, int day, int hour, int minute, int second);
// Opens the file without sharing, as a gateway service holds a message it works on.
HANDLE HoldLikeAService(const std::string& path);

// "[SMS]" request text with the phone number and extra key lines.
std::string RequestText(const std::string& phoneNumber, const std::string& extraLines = "");
