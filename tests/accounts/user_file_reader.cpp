// Reads the user file over and over from a process of its own, holding one
// handle open all along, and checks every record it gets. Arguments: the name
// of an event to set once the file is open, and how long to read (ms).
// Exit status: 0 all records whole, 1 a record was mixed from two writes,
// 2 nothing could be read, 3 bad arguments or the file would not open.
#include <windows.h>

#include <cstdlib>

#include "accounts/account_files.h"

int main(int argc, char** argv) {
  if (argc < 3) return 3;
  HANDLE file = nullptr;
  if (!SMSOpenUserFile(&file, GENERIC_READ)) return 3;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  if (ready) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  DWORD duration = static_cast<DWORD>(strtoul(argv[2], nullptr, 10));
  DWORD start = GetTickCount();
  unsigned reads = 0;
  int status = 0;
  while (GetTickCount() - start < duration && status == 0) {
    for (int i = 0; i < SMSGetRecordCount(file); ++i) {
      SmsUserRecord record;
      if (!SMSGetUserRecord(file, i, &record)) continue;
      ++reads;
      if (!HasRecordPattern(record.bytes, sizeof record.bytes)) status = 1;
    }
  }
  SMSCloseUserFile(file);
  if (status == 0 && reads == 0) status = 2;
  return status;
}
