#include "monitor/event_log_dialog.h"

#include <cstring>

#include "common/dialog_state.h"
#include "common/owned_handles.h"
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

struct EventLogViewState {
  // A read or a box of the viewer is under way: the timer, which still fires
  // while a box is up, must not start another read.
  bool busy;
  // Said once until the log opens again.
  bool openFailureShown;
};

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
    g_nextRecord = record->RecordNumber + 1;
    offset += record->Length;
    if (!listFull && source && EqualsNoCase(source, kSource)) {
      char line[kEventLineChars + 1];
      FormatEventLine(LocalEventTime(record->TimeGenerated), KindOf(record->EventType), FirstInsertion(record, end),
                      line, sizeof line);
      LRESULT added = SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(line));
      if (added == LB_ERR || added == LB_ERRSPACE) {
        listFull = true;
        ShowMessage(dialog, "Too many events.  Please use Windows Event Log viewer to view all events.", MB_OK,
                    "Warning");
      }
    }
  }
}

void ReadEvents(HWND dialog, EventLogViewState* state) {
  HANDLE log = EventLog().open(nullptr, "Application");
  if (!log) {
    if (!state->openFailureShown) {
      state->openFailureShown = true;
      ShowMessage(dialog, kCannotOpen, MB_OK | MB_ICONERROR);
    }
    return;
  }
  state->openFailureShown = false;
  DWORD oldest = 0, count = 0;
  EventLog().oldestRecord(log, &oldest);
  EventLog().numberOfRecords(log, &count);
  if (g_nextRecord == 0) g_nextRecord = oldest;
  auto buffer = g_nextRecord < oldest + count ? AllocateBlock<char>(kReadBufferBytes) : nullptr;
  if (buffer) {
    DWORD flags = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
    DWORD got = 0, needed = 0;
    while (EventLog().read(log, flags, g_nextRecord, buffer.get(), kReadBufferBytes, &got, &needed) && got > 0) {
      ListBatch(dialog, buffer.get(), got);
      flags = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
    }
  }
  EventLog().close(log);
}

void ReadNewEvents(HWND dialog, EventLogViewState* state) {
  if (state->busy) return;
  state->busy = true;
  ReadEvents(dialog, state);
  state->busy = false;
}

void ClearLog(HWND dialog, EventLogViewState* state) {
  state->busy = true;
  int answer = ShowMessage(dialog,
                  "This will clear all events from the application event log for this system, which includes "
                  "events from applications other than ZedSMS.\r\n\r\nContinue?",
                  MB_YESNO | MB_ICONQUESTION);
  state->busy = false;
  if (answer != IDYES) return;
  HANDLE log = EventLog().open(nullptr, "Application");
  if (!log) {
    state->busy = true;
    ShowMessage(dialog, kCannotOpen, MB_OK | MB_ICONERROR);
    state->busy = false;
    return;
  }
  EventLog().clear(log, nullptr);
  EventLog().close(log);
  SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_RESETCONTENT, 0, 0);
  g_nextRecord = 0;
  ReadNewEvents(dialog, state);
}

INT_PTR CALLBACK EventLogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  EventLogViewState* state = AttachedDialogState<EventLogViewState>(dialog, message);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      g_nextRecord = 0;
      SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_SETHORIZONTALEXTENT, kHorizontalExtent, 0);
      SetTimer(dialog, kReadTimer, kReadMs, nullptr);
      ReadNewEvents(dialog, state);
      return TRUE;
    case WM_TIMER:
      if (wParam == kReadTimer) ReadNewEvents(dialog, state);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_EVENT_CLEAR:
          ClearLog(dialog, state);
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
