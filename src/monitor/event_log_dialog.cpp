#include "monitor/event_log_dialog.h"

#include <cstdlib>
#include <cstring>

#include "common/text_util.h"
#include "common/ui_util.h"
#include "monitor/event_line.h"
#include "monitor/event_log.h"
#include "resources/page_ids.h"

namespace {

constexpr UINT_PTR kReadTimer = 1;
constexpr UINT kReadMs = 5000;
constexpr DWORD kReadBufferBytes = 131072;
constexpr int kHorizontalExtent = 1000;
const char kSource[] = "ZedSMS";
const char kCannotOpen[] = "Unable to open event log";

// The next record to read; 0 starts at the oldest.
DWORD g_nextRecord = 0;

EventTime LocalEventTime(DWORD secondsSince1970) {
  EventTime time = {};
  // Seconds since 1970 as a FILETIME (100 ns units since 1601).
  ULONGLONG ticks = (static_cast<ULONGLONG>(secondsSince1970) + 11644473600ULL) * 10000000ULL;
  FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FILETIME local;
  SYSTEMTIME parts;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts)) return time;
  time = {true, parts.wYear, parts.wMonth, parts.wDay, parts.wHour, parts.wMinute, parts.wSecond};
  return time;
}

EventKind KindOf(WORD type) {
  if (type == EVENTLOG_ERROR_TYPE) return EventKind::Error;
  if (type == EVENTLOG_WARNING_TYPE) return EventKind::Warning;
  return EventKind::Other;
}

// The record's source name, which follows the fixed part, bounded by the record.
const char* SourceOf(const EVENTLOGRECORD* record, const char* end) {
  const char* source = reinterpret_cast<const char*>(record + 1);
  return memchr(source, '\0', end - source) ? source : nullptr;
}

// The first insertion string, or an empty text when the record has none within itself.
const char* FirstInsertion(const EVENTLOGRECORD* record, const char* end) {
  const char* base = reinterpret_cast<const char*>(record);
  if (record->NumStrings == 0 || record->StringOffset >= record->Length) return "";
  const char* text = base + record->StringOffset;
  return memchr(text, '\0', end - text) ? text : "";
}

// Lists the gateway's records of one batch; after a refused line the rest of it is skipped.
void ListBatch(HWND dialog, const char* buffer, DWORD size) {
  bool listFull = false;
  for (DWORD offset = 0; offset + sizeof(EVENTLOGRECORD) <= size;) {
    const auto* record = reinterpret_cast<const EVENTLOGRECORD*>(buffer + offset);
    if (record->Length < sizeof(EVENTLOGRECORD) || offset + record->Length > size) break;
    const char* end = buffer + offset + record->Length;
    const char* source = SourceOf(record, end);
    if (!listFull && source && EqualsNoCase(source, kSource)) {
      char line[kEventLineChars + 1];
      FormatEventLine(LocalEventTime(record->TimeGenerated), KindOf(record->EventType), FirstInsertion(record, end),
                      line, sizeof line);
      LRESULT added = SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(line));
      if (added == LB_ERR || added == LB_ERRSPACE) {
        ShowMessage(dialog, "Too many events.  Please use Windows Event Log viewer to view all events.", MB_OK,
                    "Warning");
        listFull = true;  // the rest of this batch is skipped
      }
    }
    g_nextRecord = record->RecordNumber + 1;
    offset += record->Length;
  }
}

void ReadNewEvents(HWND dialog) {
  HANDLE log = EventLog().open(nullptr, "Application");
  if (!log) {
    ShowMessage(dialog, kCannotOpen, MB_OK | MB_ICONERROR);
    return;
  }
  DWORD oldest = 0, count = 0;
  EventLog().oldestRecord(log, &oldest);
  EventLog().numberOfRecords(log, &count);
  if (g_nextRecord == 0) g_nextRecord = oldest;
  char* buffer = g_nextRecord < oldest + count ? static_cast<char*>(calloc(1, kReadBufferBytes)) : nullptr;
  if (buffer) {
    DWORD flags = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
    DWORD got = 0, needed = 0;
    while (EventLog().read(log, flags, g_nextRecord, buffer, kReadBufferBytes, &got, &needed) && got > 0) {
      ListBatch(dialog, buffer, got);
      flags = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
    }
    free(buffer);
  }
  EventLog().close(log);
}

void ClearLog(HWND dialog) {
  if (ShowMessage(dialog,
                  "This will clear all events from the application event log for this system, which includes "
                  "events from applications other than ZedSMS.\r\n\r\nContinue?",
                  MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  HANDLE log = EventLog().open(nullptr, "Application");
  if (!log) {
    ShowMessage(dialog, kCannotOpen, MB_OK | MB_ICONERROR);
    return;
  }
  EventLog().clear(log, nullptr);
  EventLog().close(log);
  SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_RESETCONTENT, 0, 0);
  g_nextRecord = 0;
  ReadNewEvents(dialog);
}

INT_PTR CALLBACK EventLogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_nextRecord = 0;
      SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_SETHORIZONTALEXTENT, kHorizontalExtent, 0);
      SetTimer(dialog, kReadTimer, kReadMs, nullptr);
      ReadNewEvents(dialog);
      return TRUE;
    case WM_TIMER:
      if (wParam == kReadTimer) ReadNewEvents(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_EVENT_CLEAR:
          ClearLog(dialog);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          KillTimer(dialog, kReadTimer);
          EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowEventLogViewer(HWND owner) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), "DIALOG_EVENT", owner, EventLogProc, 0);
}
