#include "support/fake_event_log.h"

#include <cstring>
#include <mutex>

#include "monitor/event_log.h"

namespace {

struct StoredRecord {
  DWORD number;
  std::vector<char> bytes;
};

FakeEventLogScope* g_scope = nullptr;
// Tests add records from their own thread while the dialog reads.
std::mutex g_lock;
std::vector<StoredRecord> g_records;
DWORD g_firstNumber = 1;
size_t g_cursor = 0;  // the next record of a sequential read
const HANDLE kLogHandle = reinterpret_cast<HANDLE>(0x4C4F47);

std::vector<char> RecordBytes(DWORD number, const FakeEvent& event) {
  std::vector<char> tail;
  auto append = [&](const std::string& text) { tail.insert(tail.end(), text.c_str(), text.c_str() + text.size() + 1); };
  append(event.source);
  append("TESTHOST");
  while ((sizeof(EVENTLOGRECORD) + tail.size()) % 4) tail.push_back('\0');
  DWORD stringOffset = static_cast<DWORD>(sizeof(EVENTLOGRECORD) + tail.size());
  for (const std::string& s : event.strings) append(s);
  while ((sizeof(EVENTLOGRECORD) + tail.size()) % 4) tail.push_back('\0');
  DWORD length = static_cast<DWORD>(sizeof(EVENTLOGRECORD) + tail.size() + sizeof(DWORD));
  EVENTLOGRECORD header = {};
  header.Length = length;
  header.Reserved = 0x654C664C;  // "LfLe"
  header.RecordNumber = number;
  header.TimeGenerated = header.TimeWritten = event.timeGenerated;
  header.EventType = event.type;
  header.NumStrings = static_cast<WORD>(event.strings.size());
  header.StringOffset = stringOffset;
  std::vector<char> bytes(reinterpret_cast<const char*>(&header), reinterpret_cast<const char*>(&header) + sizeof header);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  bytes.insert(bytes.end(), reinterpret_cast<const char*>(&length), reinterpret_cast<const char*>(&length) + 4);
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
  *number = g_records.empty() ? 0 : g_records.front().number;
  return TRUE;
}
BOOL WINAPI Count(HANDLE, PDWORD count) {
  std::lock_guard<std::mutex> hold(g_lock);
  *count = static_cast<DWORD>(g_records.size());
  return TRUE;
}
BOOL WINAPI Read(HANDLE, DWORD flags, DWORD offset, LPVOID buffer, DWORD size, DWORD* read, DWORD* needed) {
  std::lock_guard<std::mutex> hold(g_lock);
  *read = *needed = 0;
  if (flags & EVENTLOG_SEEK_READ) {
    g_cursor = 0;
    while (g_cursor < g_records.size() && g_records[g_cursor].number < offset) ++g_cursor;
  }
  if (g_cursor >= g_records.size()) {
    SetLastError(ERROR_HANDLE_EOF);
    return FALSE;
  }
  char* out = static_cast<char*>(buffer);
  while (g_cursor < g_records.size() && *read + g_records[g_cursor].bytes.size() <= size) {
    memcpy(out + *read, g_records[g_cursor].bytes.data(), g_records[g_cursor].bytes.size());
    *read += static_cast<DWORD>(g_records[g_cursor].bytes.size());
    ++g_cursor;
  }
  return TRUE;
}
BOOL WINAPI Clear(HANDLE, LPCSTR) {
  std::lock_guard<std::mutex> hold(g_lock);
  ++g_scope->clears;
  if (!g_records.empty()) g_firstNumber = g_records.back().number + 1;
  g_records.clear();
  return TRUE;
}
BOOL WINAPI Close(HANDLE) { return TRUE; }

}  // namespace

FakeEventLogScope::FakeEventLogScope() {
  g_scope = this;
  g_records.clear();
  g_firstNumber = 1;
  EventLog() = EventLogTable{Open, Oldest, Count, Read, Clear, Close};
}

FakeEventLogScope::~FakeEventLogScope() {
  EventLog() = SystemEventLog();
  g_scope = nullptr;
}

void FakeEventLogScope::Add(const FakeEvent& event) {
  std::lock_guard<std::mutex> hold(g_lock);
  DWORD number = g_records.empty() ? g_firstNumber : g_records.back().number + 1;
  g_records.push_back({number, RecordBytes(number, event)});
}
