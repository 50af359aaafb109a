#include "modem/at_channel.h"

#include <cstring>

namespace {

constexpr DWORD kWriteWaitMs = 30000;

BOOL ApplyTimeouts(HANDLE port, DWORD writeTotalConstant) {
  COMMTIMEOUTS timeouts = {200, 0, ModemSecondMs(), 0, writeTotalConstant};
  return SetCommTimeouts(port, &timeouts);
}

// One read pass behind the bytes already collected; the bytes it brought, or
// -1 when the read failed.
long ReadPass(HANDLE port, char* into, DWORD room, DWORD waitMs) {
  OVERLAPPED overlapped = {};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!overlapped.hEvent) return -1;
  DWORD got = 0;
  long result = 0;
  if (ReadFile(port, into, room, &got, &overlapped)) {
    result = static_cast<long>(got);
  } else if (GetLastError() != ERROR_IO_PENDING) {
    result = -1;
  } else {
    if (WaitForSingleObject(overlapped.hEvent, waitMs) != WAIT_OBJECT_0) {
      // Never leave a read running into a record and buffer that are about to go.
      CancelIo(port);
    }
    got = 0;
    GetOverlappedResult(port, &overlapped, &got, TRUE);
    result = static_cast<long>(got);
  }
  CloseHandle(overlapped.hEvent);
  return result;
}

}  // namespace

bool ModemWrite(HANDLE port, const char* command) {
  OVERLAPPED overlapped = {};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!overlapped.hEvent) return false;
  DWORD written = 0;
  bool ok = true;
  if (!WriteFile(port, command, static_cast<DWORD>(strlen(command)), &written, &overlapped)) {
    if (GetLastError() == ERROR_IO_PENDING) {
      if (WaitForSingleObject(overlapped.hEvent, kWriteWaitMs) != WAIT_OBJECT_0) CancelIo(port);
      GetOverlappedResult(port, &overlapped, &written, TRUE);
    } else {
      ok = false;
    }
  }
  CloseHandle(overlapped.hEvent);
  return ok;
}

DWORD ModemReadResponse(HANDLE port, char* buffer, DWORD capacity, DWORD limitSeconds) {
  if (capacity == 0) return 0;
  memset(buffer, 0, capacity);
  const DWORD secondMs = ModemSecondMs();
  const DWORD start = GetTickCount();
  DWORD collected = 0;
  while ((GetTickCount() - start) / secondMs <= limitSeconds) {
    DWORD room = capacity - 1 - collected;
    long got = room > 0 ? ReadPass(port, buffer + collected, room, limitSeconds * secondMs) : 0;
    if (got < 0) return 0;
    collected += static_cast<DWORD>(got);
    buffer[collected] = '\0';
    if (collected > 0 && IsFinalResponse(buffer)) return collected;
    if (room == 0) ModemPause(200);  // full: only the time limit can end it now
  }
  return collected;
}

DWORD& ModemSecondMs() {
  static DWORD secondMs = 1000;
  return secondMs;
}

void ModemPause(DWORD milliseconds) { Sleep(milliseconds * ModemSecondMs() / 1000); }

BOOL SetOpenCommTimeouts(HANDLE port) { return ApplyTimeouts(port, 2000); }
BOOL SetTestCommTimeouts(HANDLE port) { return ApplyTimeouts(port, 15000); }
