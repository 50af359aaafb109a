// The Application event log, bound through a table: the test system keeps no
// records, so tests install a log of their own built from real record bytes.
#pragma once
#include <windows.h>

struct EventLogTable {
  HANDLE(WINAPI* open)(LPCSTR server, LPCSTR source);
  BOOL(WINAPI* oldestRecord)(HANDLE log, PDWORD number);
  BOOL(WINAPI* numberOfRecords)(HANDLE log, PDWORD count);
  BOOL(WINAPI* read)(HANDLE log, DWORD flags, DWORD offset, LPVOID buffer, DWORD size, DWORD* read, DWORD* needed);
  BOOL(WINAPI* clear)(HANDLE log, LPCSTR backup);
  BOOL(WINAPI* close)(HANDLE log);
};

EventLogTable& EventLog();
const EventLogTable& SystemEventLog();
