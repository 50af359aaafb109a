// Reads the user file over and over from a process of its own, holding one
// handle open all along, and checks every record it gets. Arguments: the name
// of an event to set once the file is open, and how long to read (ms).
// Exit status: 0 all records whole, 1 a record was mixed from two writes,
// 2 nothing could be read, 3 bad arguments or the file would not open.
#include <cstdlib>

#include "accounts/account_files.h"

int main(int argc, char** argv) {
  HANDLE file = nullptr;
  if (argc < 3 || !SMSOpenUserFile(&file, GENERIC_READ)) return 3;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  if (ready) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  DWORD duration = strtoul(argv[2], nullptr, 10), start = GetTickCount();
  unsigned reads = 0;
  int status = 0;
  while (GetTickCount() - start < duration && status == 0) {
    SmsUserRecord record;
    for (int i = 0; i < SMSGetRecordCount(file); ++i) {
      if (!SMSGetUserRecord(file, i, &record)) continue;
      ++reads;
      if (!HasRecordPattern(record.bytes, sizeof record.bytes)) status = 1;
    }
  }
  SMSCloseUserFile(file);
  return status == 0 && reads == 0 ? 2 : status;
}
