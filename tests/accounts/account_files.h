// Test helpers for the account stores: records with recognisable contents and
// the raw files of the stores in the private data directory.
#pragma once
#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "config/gwcore_api.h"
#include "config/mmsacct_api.h"
#include "config/user_records.h"

// Every byte after the name follows from the name, so that a record mixed
// from two writes is recognised.
inline void FillRecordPattern(unsigned char* record, size_t size) {
  unsigned seed = 0;
  for (size_t i = 0; i < kAccountNameWidth && record[i]; ++i) seed = seed * 31 + record[i];
  for (size_t i = strnlen(reinterpret_cast<const char*>(record), kAccountNameChars) + 1; i < size; ++i)
    record[i] = static_cast<unsigned char>(seed + i * 7);
}
inline bool HasRecordPattern(const unsigned char* record, size_t size) {
  std::vector<unsigned char> expected(record, record + size);
  FillRecordPattern(expected.data(), size);
  return memcmp(expected.data(), record, size) == 0;
}
template <typename Record>
Record Pattern(const char* name) {
  Record record = {};
  strncpy(reinterpret_cast<char*>(record.bytes), name, kAccountNameChars);
  FillRecordPattern(record.bytes, sizeof record.bytes);
  return record;
}
std::string UserFilePath();

// The user file opened for the test's lifetime.
class OpenUserFile {
 public:
  explicit OpenUserFile(DWORD access = GENERIC_READ | GENERIC_WRITE) {
    opened_ = SMSOpenUserFile(&handle_, access) != FALSE;
  }
  ~OpenUserFile() {
    if (opened_) SMSCloseUserFile(handle_);
  }
  OpenUserFile(const OpenUserFile&) = delete;
  OpenUserFile& operator=(const OpenUserFile&) = delete;
  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
  bool opened_ = false;
};

// Through the library, with a handle of their own.
void StoreUser(const SmsUserRecord& record);
// The names the library hands out, by index ("<unreadable>" for a record it refuses).
std::vector<std::string> UserNames(HANDLE file = nullptr);
// A record with a name and bytes set at the given offsets; all else zero.
SmsUserRecord UserBytes(const char* name, std::initializer_list<std::pair<size_t, const char*>> texts = {},
                        std::initializer_list<std::pair<size_t, unsigned char>> bytes = {});
