#include "support/fake_event_log.h"

#include <cstring>
#include <mutex>

#include "monitor/event_log.h"

namespace {

FakeEventLogScope* g_scope = nullptr;
// Tests add records from their own thread while the dialog reads.
std::mutex g_lock;
std::vector<std::vector<char>> g_records;
DWORD g_nextNumber = 1;  // numbers go on after a clear
size_t g_cursor = 0;     // the next record of a sequential read
const HANDLE kLogHandle = reinterpret_cast<HANDLE>(0x4C4F47);
const DWORD kTimeGenerated = 1336000000;  // seconds since 1970

DWORD NumberOf(const std::vector<char>& record) {
  return reinterpret_cast<const EVENTLOGRECORD*>(record.data())->RecordNumber;
}

// Header, source, computer, strings, each part padded to a DWORD, and the length again.
std::vector<char> RecordBytes(DWORD number, const FakeEvent& event) {
  std::vector<char> bytes(sizeof(EVENTLOGRECORD), '\0');
  auto append = [&](const std::string& text) { bytes.insert(bytes.end(), text.c_str(), text.c_str() + text.size() + 1); };
  auto pad = [&] { bytes.resize((bytes.size() + 3) / 4 * 4, '\0'); };
  append(event.source);
  append("TESTHOST");
  pad();
  DWORD stringOffset = static_cast<DWORD>(bytes.size());
  for (const std::string& s : event.strings) append(s);
  pad();
  DWORD length = static_cast<DWORD>(bytes.size() + sizeof(DWORD));
  bytes.insert(bytes.end(), reinterpret_cast<const char*>(&length), reinterpret_cast<const char*>(&length) + 4);
  EVENTLOGRECORD header = {};
  header.Length = length;
  header.Reserved = 0x654C664C;  // "LfLe"
  header.RecordNumber = number;
  header.TimeGenerated = header.TimeWritten = kTimeGenerated;
  header.EventType = event.type;
  header.NumStrings = static_cast<WORD>(event.strings.size());
  header.StringOffset = stringOffset;
  memcpy(bytes.data(), &header, sizeof header);
  return bytes;
}

HANDLE WINAPI Open(LPCSTR, LPCSTR source) {
  if (g_scope->failOpen || strcmp(source, "Application") != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return kLogHandle;
}
BOOL WINAPI Oldest(HANDLE, PDWORD number) {
  std::lock_guard<std::mutex> hold(g_lock);
  *number = g_records.empty() ? 0 : NumberOf(g_records.front());
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
  if (flags & EVENTLOG_SEEK_READ)
    for (g_cursor = 0; g_cursor < g_records.size() && NumberOf(g_records[g_cursor]) < offset;) ++g_cursor;
  if (g_cursor >= g_records.size()) {
    SetLastError(ERROR_HANDLE_EOF);
    return FALSE;
  }
  for (; g_cursor < g_records.size() && *read + g_records[g_cursor].size() <= size; ++g_cursor) {
    memcpy(static_cast<char*>(buffer) + *read, g_records[g_cursor].data(), g_records[g_cursor].size());
    *read += static_cast<DWORD>(g_records[g_cursor].size());
  }
  return TRUE;
}
BOOL WINAPI Clear(HANDLE, LPCSTR) {
  std::lock_guard<std::mutex> hold(g_lock);
  ++g_scope->clears;
  g_records.clear();
  return TRUE;
}
BOOL WINAPI Close(HANDLE) { return TRUE; }

}  // namespace

FakeEventLogScope::FakeEventLogScope() {
  g_scope = this;
  g_records.clear();
  g_nextNumber = 1;
  EventLog() = EventLogTable{Open, Oldest, Count, Read, Clear, Close};
}

FakeEventLogScope::~FakeEventLogScope() {
  EventLog() = SystemEventLog();
  g_scope = nullptr;
}

void FakeEventLogScope::Add(const FakeEvent& event) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_records.push_back(RecordBytes(g_nextNumber++, event));
}
