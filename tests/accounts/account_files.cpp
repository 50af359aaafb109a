#include "accounts/account_files.h"

#include <cstring>

#include "config/user_records.h"

void FillRecordPattern(unsigned char* record, size_t size) {
  unsigned seed = 0;
  for (size_t i = 0; i < kAccountNameWidth && record[i]; ++i) seed = seed * 31 + record[i];
  size_t nameEnd = strnlen(reinterpret_cast<const char*>(record), kAccountNameWidth - 1) + 1;
  for (size_t i = nameEnd; i < size; ++i) record[i] = static_cast<unsigned char>(seed + i * 7);
}

bool HasRecordPattern(const unsigned char* record, size_t size) {
  std::vector<unsigned char> expected(record, record + size);
  FillRecordPattern(expected.data(), size);
  return memcmp(expected.data(), record, size) == 0;
}

SmsUserRecord PatternUser(const char* name) {
  SmsUserRecord record = {};
  strncpy(reinterpret_cast<char*>(record.bytes), name, kAccountNameWidth - 1);
  FillRecordPattern(record.bytes, sizeof record.bytes);
  return record;
}

VaspAccountRecord PatternVasp(const char* name) {
  VaspAccountRecord record = {};
  strncpy(reinterpret_cast<char*>(record.bytes), name, kAccountNameWidth - 1);
  FillRecordPattern(record.bytes, sizeof record.bytes);
  return record;
}

std::string RecordName(const unsigned char* record) {
  return std::string(reinterpret_cast<const char*>(record), strnlen(reinterpret_cast<const char*>(record), kAccountNameWidth));
}

std::string PrivateFile(const char* name) {
  char directory[MAX_PATH];
  GetPrivateDataDirectory(directory);
  return std::string(directory) + name;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  unsigned char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::vector<std::string> StoredNames(const std::string& path, size_t recordSize) {
  std::vector<unsigned char> bytes = ReadBytes(path);
  std::vector<std::string> names;
  for (size_t at = 0; at + recordSize <= bytes.size(); at += recordSize)
    names.push_back(IsReadableRecordName(&bytes[at]) ? RecordName(&bytes[at]) : "");
  return names;
}

OpenUserFile::OpenUserFile(DWORD access) { opened_ = SMSOpenUserFile(&handle_, access) != FALSE; }

OpenUserFile::~OpenUserFile() {
  if (opened_) SMSCloseUserFile(handle_);
}

void StoreUser(const SmsUserRecord& record) {
  OpenUserFile file;
  SMSAddUser(file.handle(), &record);
}

bool FetchUser(const char* name, SmsUserRecord* record) {
  OpenUserFile file(GENERIC_READ);
  return SMSFindUserRecord(file.handle(), name, record) != FALSE;
}

std::vector<std::string> UserNames() {
  OpenUserFile file(GENERIC_READ);
  std::vector<std::string> names;
  for (int i = 0; i < SMSGetRecordCount(file.handle()); ++i) {
    SmsUserRecord record;
    names.push_back(SMSGetUserRecord(file.handle(), i, &record) ? RecordName(record.bytes) : "<unreadable>");
  }
  return names;
}

SmsUserRecord UserBytes(const char* name, std::initializer_list<std::pair<size_t, const char*>> texts,
                        std::initializer_list<std::pair<size_t, unsigned char>> bytes) {
  SmsUserRecord record = {};
  strncpy(reinterpret_cast<char*>(record.bytes), name, kAccountNameWidth - 1);
  for (const auto& text : texts) memcpy(record.bytes + text.first, text.second, strlen(text.second));
  for (const auto& byte : bytes) record.bytes[byte.first] = byte.second;
  return record;
}
