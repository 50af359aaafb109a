#include "queues/queue_store.h"

#include "common/file_util.h"
#include "config/config_files.h"

StoreDirectories CurrentStoreDirectories() {
  char directory[MAX_PATH];
  StoreDirectories stores;
  GetQueueDirectory(directory);
  stores.smsQueue = directory;
  GetVaspQueueDirectory(directory);
  stores.mmsQueue = directory;
  GetSmsInDirectory(directory);
  stores.smsIn = directory;
  GetMmsInDirectory(directory);
  stores.mmsIn = directory;
  for (const std::string* path : {&stores.smsQueue, &stores.mmsQueue, &stores.smsIn, &stores.mmsIn})
    CreateDirectoryPath(path->c_str());
  return stores;
}

bool WriteStoreFile(const std::string& path, const std::string& bytes) {
  std::string folder = path.substr(0, path.rfind('\\'));
  CreateDirectoryPath(folder.c_str());
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

FILETIME LocalFileTime(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME time = {WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0};
  FILETIME local = {};
  FILETIME utc = {};
  SystemTimeToFileTime(&time, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

bool SetFileTimes(const std::string& path, const FILETIME& creation, const FILETIME& lastWrite) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL ok = SetFileTime(file, &creation, nullptr, &lastWrite);
  CloseHandle(file);
  return ok != FALSE;
}

FILETIME MinutesAgo(int minutes) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) -
                    static_cast<ULONGLONG>(minutes) * 60 * 10000000;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

std::string RequestText(const std::string& phoneNumber, const std::string& extraLines) {
  return "[SMS]\r\nPhoneNumber=" + phoneNumber + "\r\nData=Hello\r\n" + extraLines;
}

std::string PackGsm7(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  unsigned accumulator = 0;
  unsigned bits = 0;
  auto emit = [&](unsigned octet) {
    hex += kDigits[(octet >> 4) & 0xF];
    hex += kDigits[octet & 0xF];
  };
  for (unsigned char c : text) {
    accumulator |= (c & 0x7Fu) << bits;
    bits += 7;
    while (bits >= 8) {
      emit(accumulator & 0xFF);
      accumulator >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) emit(accumulator & 0xFF);
  return hex;
}

std::string HexUcs2(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) {
    hex += "00";
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}
