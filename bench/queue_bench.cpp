// Queue scanners against a plain read of the same files. A store of 6000
// requests across three route folders and 6000 received messages (UCS-2 and
// GSM 7-bit bodies) is scanned; the baseline walks the same folders with the
// same patterns and reads whole the same files the scanner reads (the first
// 5000 it meets; the rest are only counted by both). The goal: the scanner's
// parsing, decoding and row building cost at most half again the bare I/O.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/text_util.h"
#include "config/config_files.h"
#include "queues/queue_rows.h"
#include "queues/queue_scanners.h"
#include "queues/queue_store.h"
#include "support/test_env.h"

namespace {

constexpr int kFilesPerStore = 6000;
constexpr int kRounds = 5;

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A packed GSM 7-bit text of plain ASCII letters as hexadecimal digits.
std::string PackGsm7(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  unsigned accumulator = 0;
  unsigned bits = 0;
  auto emit = [&](unsigned octet) {
    hex += kDigits[(octet >> 4) & 0xF];
    hex += kDigits[octet & 0xF];
  };
  for (unsigned char c : text) {
    accumulator |= (c & 0x7Fu) << bits;
    bits += 7;
    while (bits >= 8) {
      emit(accumulator & 0xFF);
      accumulator >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) emit(accumulator & 0xFF);
  return hex;
}

// UCS-2 text of plain ASCII as hexadecimal digits.
std::string HexUcs2(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) {
    hex += "00";
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

void MakeStores(const StoreDirectories& stores) {
  const char* routes[3] = {"modem1\\", "modem2\\", "smpp-route\\"};
  for (int i = 0; i < kFilesPerStore; ++i) {
    char name[64];
    FormatText(name, sizeof name, "%sREQ%05d.REQ", routes[i % 3], i);
    std::string extra = "SubmitUser=user" + std::to_string(i % 17) + "\r\n";
    if (i % 5 == 0) extra += "[ErrorDetail]\r\nRetryCount=2\r\nLastRetryTime=20120501093005\r\nLastErrorInfo=No answer\r\n";
    WriteStoreFile(stores.smsQueue + name, RequestText("+4477009" + std::to_string(10000 + i), extra));
  }
  const std::string text = "Meeting moved to Thursday at 10, please confirm you can make it";
  for (int i = 0; i < kFilesPerStore; ++i) {
    char name[64];
    FormatText(name, sizeof name, "%sIN%05d.SMS", routes[i % 3], i);
    std::string body = i % 2 ? "Data=" + HexUcs2(text) + "\r\nbinary=1\r\ndcs=08\r\n"
                             : "Data=" + PackGsm7(text) + "\r\nbinary=1\r\ndcs=00\r\n";
    WriteStoreFile(stores.smsIn + name,
                   "[SMS-IN]\r\nSender=+4477009" + std::to_string(20000 + i) + "\r\nPhoneNumber=+447700900001\r\n" + body);
  }
}

// Walks the store and its first-level folders with the pattern like the
// scanners do, reading the first `limit - *read` files whole.
void ReadFolder(const std::string& folder, const char* pattern, char* buffer, unsigned* read, unsigned* seen) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ++*seen;
    if (*read >= kQueueRowLimit) continue;
    HANDLE file = CreateFileA((folder + found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    DWORD size = GetFileSize(file, nullptr);
    DWORD got = 0;
    if (size < 65536) ReadFile(file, buffer, size, &got, nullptr);
    CloseHandle(file);
    ++*read;
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

unsigned ReadStore(const std::string& store, const char* const* patterns, int patternCount) {
  static char buffer[65536];
  unsigned read = 0;
  unsigned seen = 0;
  for (int p = 0; p < patternCount; ++p) {
    ReadFolder(store, patterns[p], buffer, &read, &seen);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((store + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || found.cFileName[0] == '.') continue;
      ReadFolder(store + found.cFileName + "\\", patterns[p], buffer, &read, &seen);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return seen;
}

// Bytes the rows of a scan hold on the heap, the pointer array included.
SIZE_T RowsMemory(char** rows, unsigned count) {
  SIZE_T bytes = HeapSize(GetProcessHeap(), 0, rows);
  for (unsigned i = 0; i < count; ++i) bytes += HeapSize(GetProcessHeap(), 0, rows[i]);
  return bytes;
}

}  // namespace

int main() {
  TempDataDirectory data("bench");
  PrepareConfigFiles();
  StoreDirectories stores = CurrentStoreDirectories();
  MakeStores(stores);
  const char* requestPatterns[] = {"*.REQ"};
  const char* receivedPatterns[] = {"*.IN", "*.REC", "*.SMS"};

  // Warm the file system caches once for both.
  ReadStore(stores.smsQueue, requestPatterns, 1);
  ReadStore(stores.smsIn, receivedPatterns, 3);

  double bestScan = 1e12;
  double bestBase = 1e12;
  SIZE_T peakRows = 0;
  unsigned outboundTotal = 0, outboundCount = 0, receivedTotal = 0, receivedCount = 0, baseSeen = 0;
  for (int round = 0; round < kRounds; ++round) {
    LARGE_INTEGER start, middle, end;
    char** outbound = AllocateQueueRows();
    char** received = AllocateQueueRows();
    QueryPerformanceCounter(&start);
    ScanOutboundSmsQueue(outbound, &outboundCount, &outboundTotal);
    ScanReceivedSms(received, &receivedCount, &receivedTotal);
    QueryPerformanceCounter(&middle);
    baseSeen = ReadStore(stores.smsQueue, requestPatterns, 1) + ReadStore(stores.smsIn, receivedPatterns, 3);
    QueryPerformanceCounter(&end);
    SIZE_T rows = RowsMemory(outbound, outboundCount);
    SIZE_T receivedRows = RowsMemory(received, receivedCount);
    if (receivedRows > rows) rows = receivedRows;
    if (rows > peakRows) peakRows = rows;
    FreeQueueRows(outbound, outboundCount);
    FreeQueueRows(received, receivedCount);
    double scan = Milliseconds(start, middle);
    double base = Milliseconds(middle, end);
    if (scan < bestScan) bestScan = scan;
    if (base < bestBase) bestBase = base;
  }
  printf("store: %d requests in 3 route folders, %d received messages (UCS-2 and GSM 7-bit)\n", kFilesPerStore,
         kFilesPerStore);
  printf("outbound SMS scan: %u rows of %u; received SMS scan: %u rows of %u; baseline met %u files\n",
         outboundCount, outboundTotal, receivedCount, receivedTotal, baseSeen);
  printf("scanners (both stores): %.1f ms; baseline enumerate and read: %.1f ms (best of %d)\n", bestScan, bestBase,
         kRounds);
  printf("peak rows memory of one scan: %.1f KB (%u rows at most)\n", static_cast<double>(peakRows) / 1024.0,
         kQueueRowLimit);
  printf("BENCH queue_scanner ratio=%.2f goal=1.5\n", bestScan / bestBase);
  return 0;
}
