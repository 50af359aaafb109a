#include "support/fake_event_log.h"

#include <cstring>
#include <mutex>

#include "monitor/event_log.h"

namespace {

FakeEventLogScope* g_scope = nullptr;
// Tests add records from their own thread while the dialog reads.
std::mutex g_lock;
std::vector<std::string> g_records;
DWORD g_first = 1;    // the number of g_records[0]; numbers go on after a clear
size_t g_cursor = 0;  // the next record of a sequential read
const HANDLE kLogHandle = reinterpret_cast<HANDLE>(0x4C4F47);
const DWORD kTimeGenerated = 1336000000;  // seconds since 1970

// Header, source, computer, strings, each part padded to a DWORD, and the length again.
std::string RecordBytes(DWORD number, const FakeEvent& event) {
  std::string body = event.source + '\0' + "TESTHOST" + '\0';
  body.resize((body.size() + 3) / 4 * 4, '\0');
  EVENTLOGRECORD header = {};
  header.StringOffset = static_cast<DWORD>(sizeof header + body.size());
  for (const std::string& s : event.strings) body += s + '\0';
  body.resize((body.size() + 3) / 4 * 4 + sizeof(DWORD), '\0');
  header.Length = static_cast<DWORD>(sizeof header + body.size());
  memcpy(&body[body.size() - sizeof(DWORD)], &header.Length, sizeof(DWORD));
  header.Reserved = 0x654C664C;  // "LfLe"
  header.RecordNumber = number;
  header.TimeGenerated = header.TimeWritten = kTimeGenerated;
  header.EventType = event.type;
  header.NumStrings = static_cast<WORD>(event.strings.size());
  return std::string(reinterpret_cast<const char*>(&header), sizeof header) + body;
}

HANDLE WINAPI Open(LPCSTR, LPCSTR source) {
  if (!g_scope->failOpen && strcmp(source, "Application") == 0) return kLogHandle;
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}
BOOL WINAPI Oldest(HANDLE, PDWORD number) {
  std::lock_guard<std::mutex> hold(g_lock);
  *number = g_first;
  return TRUE;
}
BOOL WINAPI Count(HANDLE, PDWORD count) {
  std::lock_guard<std::mutex> hold(g_lock);
  *count = static_cast<DWORD>(g_records.size());
  return TRUE;
}
// Whole records only, as many as fit.
BOOL WINAPI Read(HANDLE, DWORD flags, DWORD offset, LPVOID buffer, DWORD size, DWORD* read, DWORD* needed) {
  std::lock_guard<std::mutex> hold(g_lock);
  *read = *needed = 0;
  if (flags & EVENTLOG_SEEK_READ) g_cursor = offset > g_first ? offset - g_first : 0;
  for (; g_cursor < g_records.size() && *read + g_records[g_cursor].size() <= size; ++g_cursor) {
    memcpy(static_cast<char*>(buffer) + *read, g_records[g_cursor].data(), g_records[g_cursor].size());
    *read += static_cast<DWORD>(g_records[g_cursor].size());
  }
  if (*read == 0) SetLastError(ERROR_HANDLE_EOF);
  return *read > 0;
}
BOOL WINAPI Clear(HANDLE, LPCSTR) {
  std::lock_guard<std::mutex> hold(g_lock);
  ++g_scope->clears;
  g_first += static_cast<DWORD>(g_records.size());
  g_records.clear();
  return TRUE;
}
BOOL WINAPI Close(HANDLE) { return TRUE; }

}  // namespace

FakeEventLogScope::FakeEventLogScope() {
  g_scope = this;
  g_records.clear();
  g_first = 1;
  EventLog() = EventLogTable{Open, Oldest, Count, Read, Clear, Close};
}

FakeEventLogScope::~FakeEventLogScope() {
  EventLog() = SystemEventLog();
  g_scope = nullptr;
}

void FakeEventLogScope::Add(const FakeEvent& event) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_records.push_back(RecordBytes(g_first + static_cast<DWORD>(g_records.size()), event));
}
