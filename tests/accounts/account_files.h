// Test helpers for the account stores: records with recognisable contents and
// the raw files of the stores in the private data directory.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "config/gwcore_api.h"
#include "config/mmsacct_api.h"

// Every byte after the name follows from the name, so that a record mixed
// from two writes is recognised.
void FillRecordPattern(unsigned char* record, size_t size);
bool HasRecordPattern(const unsigned char* record, size_t size);

SmsUserRecord PatternUser(const char* name);
VaspAccountRecord PatternVasp(const char* name);
std::string RecordName(const unsigned char* record);

std::string PrivateFile(const char* name);
inline std::string UserFilePath() { return PrivateFile("SMSUSERS.DAT"); }

// The whole file as bytes; empty when it is missing.
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
// The names of the records of a store file in order ("" for a record without a readable name).
std::vector<std::string> StoredNames(const std::string& path, size_t recordSize);

// Through the library, with a handle of their own.
void StoreUser(const SmsUserRecord& record);
bool FetchUser(const char* name, SmsUserRecord* record);
std::vector<std::string> UserNames();
// A record with a name and bytes set at the given offsets; all else zero.
SmsUserRecord UserBytes(const char* name, std::initializer_list<std::pair<size_t, const char*>> texts = {},
                        std::initializer_list<std::pair<size_t, unsigned char>> bytes = {});

// The user file opened for the test's lifetime.
class OpenUserFile {
 public:
  explicit OpenUserFile(DWORD access = GENERIC_READ | GENERIC_WRITE);
  ~OpenUserFile();
  OpenUserFile(const OpenUserFile&) = delete;
  OpenUserFile& operator=(const OpenUserFile&) = delete;
  HANDLE handle() const { return handle_; }
  bool opened() const { return opened_; }

 private:
  HANDLE handle_ = nullptr;
  bool opened_ = false;
};
