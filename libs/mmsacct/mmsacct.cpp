// MMSACCT.DLL: the MMS (VASP) accounts shared with the MMS service, one
// 511-byte record each (config/user_records.h), in two files of the private
// data directory (the format and the sharing are those of
// gwcore/record_file.h):
//   VASPUSERS.DAT   accounts that log in to the gateway over MM7/EAIF, among
//                   them the twins of the SMS users;
//   VASPROUTES.DAT  outbound route accounts, through which the gateway itself
//                   delivers MMS, such as the modem route "zedsmslite".
// The two are kept apart so that a user who happens to carry a route's name
// can neither replace nor delete the route.
#include <windows.h>

#include <cstring>

#define MMSACCT_BUILD
#include "common/text_util.h"
#include "config/gwcore_api.h"
#include "config/mmsacct_api.h"
#include "config/user_records.h"
#include "gwcore/record_file.h"

static_assert(sizeof(VaspAccountRecord) == kVaspRecordBytes, "the VASP record is 511 bytes");

namespace {

const char kUserAccounts[] = "VASPUSERS.DAT";
const char kRouteAccounts[] = "VASPROUTES.DAT";

HANDLE OpenStore(const char* fileName, bool write) {
  char directory[MAX_PATH];
  if (!GetPrivateDataDirectory(directory) || strlen(directory) + strlen(fileName) >= MAX_PATH)
    return INVALID_HANDLE_VALUE;
  char path[MAX_PATH];
  FormatText(path, sizeof path, "%s%s", directory, fileName);
  return OpenRecordFile(path, write);
}

BOOL Put(const char* fileName, const VaspAccountRecord* record) {
  if (!record || !IsReadableRecordName(record->bytes)) return FALSE;
  HANDLE store = OpenStore(fileName, true);
  if (store == INVALID_HANDLE_VALUE) return FALSE;
  bool stored = PutRecord(store, kVaspRecordBytes, record->bytes);
  CloseHandle(store);
  return stored ? TRUE : FALSE;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

MMSACCT_API BOOL VASPOutAddUser(const VaspAccountRecord* record) { return Put(kRouteAccounts, record); }

MMSACCT_API BOOL VASPFindUserRecord(const char* name, VaspAccountRecord* record) {
  if (!name || !record) return FALSE;
  HANDLE store = OpenStore(kUserAccounts, false);
  if (store == INVALID_HANDLE_VALUE) return FALSE;
  bool found = FindRecord(store, kVaspRecordBytes, name, false, record->bytes) >= 0;
  CloseHandle(store);
  return found ? TRUE : FALSE;
}

MMSACCT_API BOOL VASPAddUser(const VaspAccountRecord* record) { return Put(kUserAccounts, record); }

MMSACCT_API BOOL VASPDeleteUser(const char* name) {
  if (!name) return FALSE;
  HANDLE store = OpenStore(kUserAccounts, true);
  if (store == INVALID_HANDLE_VALUE) return FALSE;
  bool removed = RemoveRecords(store, kVaspRecordBytes, name);
  CloseHandle(store);
  return removed ? TRUE : FALSE;
}
