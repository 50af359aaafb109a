// The SMS user file: the gateway's user accounts, one 522-byte record each
// (config/user_records.h), in SMSUSERS.DAT in the private data directory. The
// console's Users page keeps it open for writing while the services and the
// 2-Way page read it; gwcore/record_file.h gives the format and the sharing.
//
// A record that cannot be read (see IsReadableRecordName) keeps its index and
// counts in SMSGetRecordCount, so that indexes stay those of the file, but
// SMSGetUserRecord refuses it and no search or deletion ever matches it.
#include <windows.h>

#include <climits>
#include <cstring>

#include "common/text_util.h"
#include "config/gwcore_api.h"
#include "config/user_records.h"
#include "gwcore/record_file.h"

static_assert(sizeof(SmsUserRecord) == kUserRecordBytes, "the user record is 522 bytes");

namespace {

const char kUserFileName[] = "SMSUSERS.DAT";

bool UserFilePath(char* path) {
  char directory[MAX_PATH];
  if (!GetPrivateDataDirectory(directory)) return false;
  // A cut path would name some other file.
  if (strlen(directory) + sizeof kUserFileName > MAX_PATH) return false;
  FormatText(path, MAX_PATH, "%s%s", directory, kUserFileName);
  return true;
}

}  // namespace

// Any write right in access opens the file for writing; otherwise it is read only.
GWCORE_API BOOL SMSOpenUserFile(HANDLE* handle, DWORD access) {
  if (!handle) return FALSE;
  *handle = nullptr;
  char path[MAX_PATH];
  if (!UserFilePath(path)) return FALSE;
  bool write = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) != 0;
  HANDLE file = OpenRecordFile(path, write);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  *handle = file;
  return TRUE;
}

GWCORE_API void SMSCloseUserFile(HANDLE handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

GWCORE_API int SMSGetRecordCount(HANDLE handle) {
  size_t count = CountRecords(handle, kUserRecordBytes);
  return count > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

GWCORE_API BOOL SMSGetUserRecord(HANDLE handle, int index, SmsUserRecord* record) {
  if (index < 0 || !record) return FALSE;
  return ReadRecordAt(handle, kUserRecordBytes, static_cast<size_t>(index), record->bytes) ? TRUE : FALSE;
}

GWCORE_API int SMSFindFirstUserRecord(HANDLE handle, const char* namePrefix, SmsUserRecord* record) {
  long index = FindRecord(handle, kUserRecordBytes, namePrefix ? namePrefix : "", true,
                          record ? record->bytes : nullptr);
  return index > INT_MAX ? -1 : static_cast<int>(index);
}

GWCORE_API BOOL SMSFindUserRecord(HANDLE handle, const char* name, SmsUserRecord* record) {
  return FindRecord(handle, kUserRecordBytes, name, false, record ? record->bytes : nullptr) >= 0 ? TRUE : FALSE;
}

// A record of an existing name replaces that record in place.
GWCORE_API BOOL SMSAddUser(HANDLE handle, const SmsUserRecord* record) {
  return record && PutRecord(handle, kUserRecordBytes, record->bytes) ? TRUE : FALSE;
}

GWCORE_API BOOL SMSDeleteUser(HANDLE handle, const SmsUserRecord* record) {
  if (!record || !IsReadableRecordName(record->bytes)) return FALSE;
  return RemoveRecords(handle, kUserRecordBytes, reinterpret_cast<const char*>(record->bytes)) ? TRUE : FALSE;
}
