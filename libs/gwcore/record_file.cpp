#include "gwcore/record_file.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "config/user_records.h"

namespace {

// The lock byte lies at 4 GB - 16, where no record file ever reaches, so the
// lock never stands in the way of reading or writing records.
constexpr DWORD kLockOffset = 0xFFFFFFF0u;
constexpr DWORD kLockWaitMs = 3000;
constexpr DWORD kLockRetryMs = 5;
// Room for the largest record kept in such a file.
constexpr size_t kMaxRecordBytes = 1024;

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// Holds the file's lock, shared or exclusive, for the life of the object.
class FileLock {
 public:
  FileLock(HANDLE file, bool exclusive) : file_(file) {
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    DWORD start = GetTickCount();
    for (;;) {
      OVERLAPPED at = At(kLockOffset);
      if (LockFileEx(file_, flags, 0, 1, 0, &at)) {
        held_ = true;
        return;
      }
      DWORD error = GetLastError();
      if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) return;
      if (GetTickCount() - start >= kLockWaitMs) return;
      Sleep(kLockRetryMs);
    }
  }
  ~FileLock() {
    if (!held_) return;
    OVERLAPPED at = At(kLockOffset);
    UnlockFileEx(file_, 0, 1, 0, &at);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return held_; }

 private:
  HANDLE file_;
  bool held_ = false;
};

bool Usable(HANDLE file, size_t recordBytes) {
  return file && file != INVALID_HANDLE_VALUE && recordBytes > 0 && recordBytes <= kMaxRecordBytes;
}

size_t WholeRecords(HANDLE file, size_t recordBytes) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return 0;
  return CompleteRecordCount(static_cast<uint64_t>(size.QuadPart), recordBytes);
}

bool ReadRaw(HANDLE file, size_t recordBytes, size_t index, unsigned char* record) {
  OVERLAPPED at = At(static_cast<uint64_t>(index) * recordBytes);
  DWORD got = 0;
  return ReadFile(file, record, static_cast<DWORD>(recordBytes), &got, &at) && got == recordBytes;
}

bool WriteRaw(HANDLE file, size_t recordBytes, size_t index, const unsigned char* record) {
  OVERLAPPED at = At(static_cast<uint64_t>(index) * recordBytes);
  DWORD written = 0;
  return WriteFile(file, record, static_cast<DWORD>(recordBytes), &written, &at) && written == recordBytes;
}

bool Truncate(HANDLE file, size_t recordBytes, size_t records) {
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(records) * static_cast<LONGLONG>(recordBytes);
  return SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// The first readable record matching the name, read into record; -1 when none.
long Scan(HANDLE file, size_t recordBytes, const char* name, bool prefix, unsigned char* record) {
  size_t count = WholeRecords(file, recordBytes);
  for (size_t i = 0; i < count && i <= static_cast<size_t>(LONG_MAX); ++i) {
    if (!ReadRaw(file, recordBytes, i, record)) return -1;
    bool match = prefix ? RecordNameStartsWith(record, name) : RecordNameEquals(record, name);
    if (match) return static_cast<long>(i);
  }
  return -1;
}

}  // namespace

HANDLE OpenRecordFile(const char* path, bool write) {
  DWORD access = GENERIC_READ | (write ? GENERIC_WRITE : 0);
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

size_t CountRecords(HANDLE file, size_t recordBytes) {
  return Usable(file, recordBytes) ? WholeRecords(file, recordBytes) : 0;
}

bool ReadRecordAt(HANDLE file, size_t recordBytes, size_t index, unsigned char* record) {
  if (!Usable(file, recordBytes) || !record) return false;
  FileLock lock(file, false);
  if (!lock.Held() || index >= WholeRecords(file, recordBytes)) return false;
  unsigned char buffer[kMaxRecordBytes];
  if (!ReadRaw(file, recordBytes, index, buffer) || !IsReadableRecordName(buffer)) return false;
  memcpy(record, buffer, recordBytes);
  return true;
}

long FindRecord(HANDLE file, size_t recordBytes, const char* name, bool prefix, unsigned char* record) {
  if (!Usable(file, recordBytes) || !name) return -1;
  FileLock lock(file, false);
  if (!lock.Held()) return -1;
  unsigned char buffer[kMaxRecordBytes];
  long index = Scan(file, recordBytes, name, prefix, buffer);
  if (index >= 0 && record) memcpy(record, buffer, recordBytes);
  return index;
}

bool PutRecord(HANDLE file, size_t recordBytes, const unsigned char* record) {
  if (!Usable(file, recordBytes) || !record || !IsReadableRecordName(record)) return false;
  FileLock lock(file, true);
  if (!lock.Held()) return false;
  unsigned char buffer[kMaxRecordBytes];
  long existing = Scan(file, recordBytes, reinterpret_cast<const char*>(record), false, buffer);
  // A new record also covers a partial record left at the end.
  size_t index = existing >= 0 ? static_cast<size_t>(existing) : WholeRecords(file, recordBytes);
  return WriteRaw(file, recordBytes, index, record);
}

bool RemoveRecords(HANDLE file, size_t recordBytes, const char* name) {
  if (!Usable(file, recordBytes) || !name) return false;
  FileLock lock(file, true);
  if (!lock.Held()) return false;
  size_t count = WholeRecords(file, recordBytes);
  size_t kept = 0;
  unsigned char buffer[kMaxRecordBytes];
  for (size_t i = 0; i < count; ++i) {
    if (!ReadRaw(file, recordBytes, i, buffer)) return false;
    if (RecordNameEquals(buffer, name)) continue;
    if (kept != i && !WriteRaw(file, recordBytes, kept, buffer)) return false;
    ++kept;
  }
  return kept < count && Truncate(file, recordBytes, kept);
}
