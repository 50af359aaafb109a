#include "queues/queue_store.h"

#include "common/file_util.h"
#include "config/config_files.h"

StoreDirectories CurrentStoreDirectories() {
  StoreDirectories stores;
  const std::pair<std::string*, void (*)(char*)> getters[] = {{&stores.smsQueue, [](char* d) { GetQueueDirectory(d); }},
                                                              {&stores.mmsQueue, GetVaspQueueDirectory},
                                                              {&stores.smsIn, GetSmsInDirectory},
                                                              {&stores.mmsIn, GetMmsInDirectory}};
  for (const auto& getter : getters) {
    char directory[MAX_PATH];
    getter.second(directory);
    *getter.first = directory;
    CreateDirectoryPath(directory);
  }
  return stores;
}

bool WriteStoreFile(const std::string& path, const std::string& bytes, const FILETIME* created) {
  std::string folder = path.substr(0, path.rfind('\\'));
  CreateDirectoryPath(folder.c_str());
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size() && (!created || SetFileTimes(path, *created));
}

bool SetFileTimes(const std::string& path, const FILETIME& time) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL ok = SetFileTime(file, &time, nullptr, &time);
  CloseHandle(file);
  return ok != FALSE;
}

FILETIME LocalFileTime(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME time = {WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0};
  FILETIME local = {};
  FILETIME utc = {};
  SystemTimeToFileTime(&time, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

HANDLE HoldLikeAService(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

std::string RequestText(const std::string& phoneNumber, const std::string& extraLines) {
  return "[SMS]\r\nPhoneNumber=" + phoneNumber + "\r\nData=Hello\r\n" + extraLines;
}
