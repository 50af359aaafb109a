#include "queues/queue_scanners.h"

#include <cstring>

#include "common/text_util.h"
#include "config/config_files.h"
#include "queues/mms_header.h"
#include "queues/recipients.h"
#include "queues/store_walker.h"

namespace {

// Files up to this size are read without an allocation of their own.
constexpr size_t kSmallFileBytes = 8192;
constexpr size_t kRoutingValueChars = 500;

// Working memory of one scan, taken from the heap once: a parsed record
// alone is some 13 KB.
struct ScanBuffers {
  SmsFileRecord record;
  char file[kSmallFileBytes + 1];
  char row[kQueueRowBytes];
  char path[MAX_PATH];
  char controlPath[MAX_PATH];
  char timeText[32];
  char sender[kRoutingValueChars];
  char retryCount[kRoutingValueChars];
  char lastError[kRoutingValueChars];
  char recipientsSection[kRecipientsSectionBytes];
  char recipients[kRecipientsTextChars];
  MmsHeaderInfo header;
};

ScanBuffers* AllocateScanBuffers() {
  return static_cast<ScanBuffers*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ScanBuffers)));
}

void FreeScanBuffers(ScanBuffers* buffers) { HeapFree(GetProcessHeap(), 0, buffers); }

HANDLE OpenForScan(const char* path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads up to size bytes; the number read.
DWORD ReadUpTo(HANDLE file, char* buffer, DWORD size) {
  DWORD total = 0;
  while (total < size) {
    DWORD got = 0;
    if (!ReadFile(file, buffer + total, size - total, &got, nullptr) || got == 0) break;
    total += got;
  }
  return total;
}

// Appends a copy of the assembled row (length bytes, final NUL included).
void AppendRow(char** rows, unsigned* count, const char* row, size_t length) {
  if (length == 0) return;
  char* block = static_cast<char*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, length + kQueueRowSpareBytes));
  if (!block) return;
  memcpy(block, row, length);
  rows[(*count)++] = block;
}

void ParseWithBuffer(HANDLE file, SmsFileRecord* record, char* small) {
  memset(record, 0, sizeof *record);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return;
  if (static_cast<ULONGLONG>(size.QuadPart) <= kSmallFileBytes) {
    DWORD got = ReadUpTo(file, small, static_cast<DWORD>(size.QuadPart));
    small[got] = '\0';
    ParseSmsFile(small, got, record);
    return;
  }
  // Larger files get a block of their own; a size the heap cannot give
  // leaves the record empty.
  if (static_cast<ULONGLONG>(size.QuadPart) > 0x7FFFFFF0ULL - kQueueRowSpareBytes) return;
  DWORD bytes = static_cast<DWORD>(size.QuadPart);
  char* data = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes + kQueueRowSpareBytes));
  if (!data) return;
  DWORD got = ReadUpTo(file, data, bytes);
  data[got] = '\0';
  ParseSmsFile(data, got, record);
  HeapFree(GetProcessHeap(), 0, data);
}

// Parses the current .REQ file of the walk into a row; nothing for a file
// that cannot be opened or names no recipient.
void ScanOneRequest(const MessageWalk& walk, ScanBuffers* work, char** rows, unsigned* count) {
  if (!CurrentMessagePath(walk, work->path, sizeof work->path)) return;
  HANDLE file = OpenForScan(work->path);
  if (file == INVALID_HANDLE_VALUE) return;
  ParseWithBuffer(file, &work->record, work->file);
  if (work->record.phoneNumber[0] != '\0') {
    FormatFileTime(walk.innerEntry.ftCreationTime, work->timeText, sizeof work->timeText);
    size_t length = BuildOutboundSmsRow(walk.relativePath, walk.innerEntry.cFileName, work->record,
                                        work->timeText, work->row, sizeof work->row);
    AppendRow(rows, count, work->row, length);
  }
  CloseHandle(file);
}

// The control file of the current .MMS file gives the row; nothing when it
// cannot be opened for reading.
void ScanOneMms(const MessageWalk& walk, ScanBuffers* work, char** rows, unsigned* count) {
  if (!CurrentMessagePath(walk, work->path, sizeof work->path) ||
      !MmsControlFilePath(work->path, work->controlPath, sizeof work->controlPath))
    return;
  HANDLE control = OpenForScan(work->controlPath);
  if (control == INVALID_HANDLE_VALUE) return;
  const char* ini = work->controlPath;
  GetPrivateProfileStringA("Routing", "SenderAddress", "", work->sender, sizeof work->sender, ini);
  GetPrivateProfileStringA("Routing", "RetryCount", "", work->retryCount, sizeof work->retryCount, ini);
  GetPrivateProfileStringA("Routing", "LastErrorInfo", "", work->lastError, sizeof work->lastError, ini);
  memset(work->recipientsSection, 0, sizeof work->recipientsSection);
  DWORD sectionLength =
      GetPrivateProfileSectionA("Recipients", work->recipientsSection, sizeof work->recipientsSection, ini);
  FormatRecipientsText(work->recipientsSection, sectionLength, work->recipients, sizeof work->recipients);
  FormatFileTime(walk.innerEntry.ftCreationTime, work->timeText, sizeof work->timeText);
  size_t length = BuildOutboundMmsRow(walk.relativePath, walk.innerEntry.cFileName, work->sender,
                                      work->recipients, work->timeText, work->retryCount,
                                      work->lastError, work->row, sizeof work->row);
  AppendRow(rows, count, work->row, length);
  CloseHandle(control);
}

void ScanOneReceivedSms(const MessageWalk& walk, const char* status, ScanBuffers* work, char** rows,
                        unsigned* count) {
  if (!CurrentMessagePath(walk, work->path, sizeof work->path)) return;
  HANDLE file = OpenForScan(work->path);
  if (file == INVALID_HANDLE_VALUE) return;
  ParseWithBuffer(file, &work->record, work->file);
  FormatFileTime(walk.innerEntry.ftCreationTime, work->timeText, sizeof work->timeText);
  size_t length = BuildReceivedSmsRow(walk.relativePath, walk.innerEntry.cFileName, &work->record,
                                      work->timeText, status, work->row, sizeof work->row);
  AppendRow(rows, count, work->row, length);
  CloseHandle(file);
}

void ScanOneReceivedMms(const MessageWalk& walk, ScanBuffers* work, char** rows, unsigned* count) {
  if (!CurrentMessagePath(walk, work->path, sizeof work->path)) return;
  HANDLE file = OpenForScan(work->path);
  if (file == INVALID_HANDLE_VALUE) return;
  memset(work->file, 0, sizeof work->file);
  DWORD got = ReadUpTo(file, work->file, static_cast<DWORD>(kMmsHeaderReadBytes));
  CloseHandle(file);
  ReadMmsHeader(work->file, got, &work->header);
  FormatFileTime(walk.innerEntry.ftCreationTime, work->timeText, sizeof work->timeText);
  size_t length = BuildReceivedMmsRow(walk.relativePath, walk.innerEntry.cFileName, work->header,
                                      work->timeText, work->row, sizeof work->row);
  AppendRow(rows, count, work->row, length);
}

}  // namespace

void ReadSmsFileRecord(HANDLE file, SmsFileRecord* record) {
  char* small = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kSmallFileBytes + 1));
  if (!small) {
    memset(record, 0, sizeof *record);
    return;
  }
  ParseWithBuffer(file, record, small);
  HeapFree(GetProcessHeap(), 0, small);
}

char** AllocateQueueRows() {
  return static_cast<char**>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kQueueRowSlots * sizeof(char*)));
}

void FreeQueueRows(char** rows, unsigned count) {
  if (!rows) return;
  for (unsigned i = 0; i < count && i < kQueueRowSlots; ++i) {
    if (rows[i]) HeapFree(GetProcessHeap(), 0, rows[i]);
  }
  HeapFree(GetProcessHeap(), 0, rows);
}

void ScanOutboundSmsQueue(char** rows, unsigned* count, unsigned* total) {
  *count = 0;
  *total = 0;
  ScanBuffers* work = AllocateScanBuffers();
  if (!work) return;
  char directory[MAX_PATH];
  GetQueueDirectory(directory);
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, directory, "*.REQ", false); more; more = NextMessageFile(&walk)) {
    if (*count < kQueueRowLimit) ScanOneRequest(walk, work, rows, count);
    ++*total;
  }
  EndMessageWalk(&walk);
  FreeScanBuffers(work);
}

void ScanOutboundMmsQueue(char** rows, unsigned* count, unsigned* total) {
  *count = 0;
  *total = 0;
  ScanBuffers* work = AllocateScanBuffers();
  if (!work) return;
  char directory[MAX_PATH];
  GetVaspQueueDirectory(directory);
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, directory, "*.MMS", false); more; more = NextMessageFile(&walk)) {
    if (*count < kQueueRowLimit) ScanOneMms(walk, work, rows, count);
    ++*total;
  }
  EndMessageWalk(&walk);
  FreeScanBuffers(work);
}

void ScanReceivedSms(char** rows, unsigned* count, unsigned* total) {
  *count = 0;
  *total = 0;
  ScanBuffers* work = AllocateScanBuffers();
  if (!work) return;
  char directory[MAX_PATH];
  GetSmsInDirectory(directory);
  for (const ReceivedSmsWalk& kind : kReceivedSmsWalks) {
    MessageWalk walk;
    for (bool more = FirstMessageFile(&walk, directory, kind.pattern, true); more;
         more = NextMessageFile(&walk)) {
      if (*count < kQueueRowLimit) ScanOneReceivedSms(walk, kind.status, work, rows, count);
      ++*total;
    }
    EndMessageWalk(&walk);
  }
  FreeScanBuffers(work);
}

void ScanReceivedMms(char** rows, unsigned* count, unsigned* total) {
  *count = 0;
  *total = 0;
  ScanBuffers* work = AllocateScanBuffers();
  if (!work) return;
  char directory[MAX_PATH];
  GetMmsInDirectory(directory);
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, directory, "*.HDR", true); more; more = NextMessageFile(&walk)) {
    if (*count < kQueueRowLimit) ScanOneReceivedMms(walk, work, rows, count);
    ++*total;
  }
  EndMessageWalk(&walk);
  FreeScanBuffers(work);
}

unsigned CountOutboundSmsQueue() {
  char directory[MAX_PATH];
  GetQueueDirectory(directory);
  unsigned total = 0;
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, directory, "*.REQ", false); more; more = NextMessageFile(&walk))
    ++total;
  EndMessageWalk(&walk);
  return total;
}

unsigned CountOutboundMmsQueue() {
  char directory[MAX_PATH];
  GetVaspQueueDirectory(directory);
  unsigned total = 0;
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, directory, "*.MMS", false); more; more = NextMessageFile(&walk)) {
    char path[MAX_PATH];
    char control[MAX_PATH];
    if (!CurrentMessagePath(walk, path, sizeof path) || !MmsControlFilePath(path, control, sizeof control))
      continue;
    DWORD attributes = GetFileAttributesA(control);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ++total;
  }
  EndMessageWalk(&walk);
  return total;
}
