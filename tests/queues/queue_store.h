// Message store files for the queue tests and the benchmark: the four store
// directories of the current configuration and files written into them with
// chosen creation times.
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

// Writes the bytes to a new file (creating missing folders); false on failure.
bool WriteStoreFile(const std::string& path, const std::string& bytes);
// A local date and time as a file time.
FILETIME LocalFileTime(int year, int month, int day, int hour, int minute, int second);
// Sets a file's (or a folder's) creation and last-write times.
bool SetFileTimes(const std::string& path, const FILETIME& creation, const FILETIME& lastWrite);
// The file time some minutes ago.
FILETIME MinutesAgo(int minutes);

// "[SMS]" request text with the phone number and extra key lines.
std::string RequestText(const std::string& phoneNumber, const std::string& extraLines = "");
// A packed GSM 7-bit text of plain ASCII letters as hexadecimal digits.
std::string PackGsm7(const std::string& text);
// UCS-2 text of plain ASCII as hexadecimal digits.
std::string HexUcs2(const std::string& text);
