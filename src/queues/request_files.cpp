#include "queues/request_files.h"

#include <cstring>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"

namespace {

constexpr size_t kCopyBufferBytes = 32768;
constexpr size_t kSmallestCopyBuffer = 16;

bool WriteAll(HANDLE file, const char* text) {
  size_t length = strlen(text);
  return length == 0 || WriteText(file, text) == length;
}

}  // namespace

bool TestRequestPath(const char* directory, unsigned testId, const char* extension, char* path,
                     size_t cap) {
  size_t length = FormatText(path, cap, "%sTEST%04X%s", directory, testId & 0xFFFFu, extension);
  if (length + 1 >= cap && cap > 0) {
    path[0] = '\0';
    return false;
  }
  return cap > 0;
}

HANDLE CreateRequestFile(const char* path) {
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool QueueTestSms(unsigned testId, const char* phoneNumber) {
  char directory[MAX_PATH];
  GetQueueDirectory(directory);
  char path[MAX_PATH];
  if (!TestRequestPath(directory, testId, ".REQ", path, sizeof path)) return false;
  HANDLE file = CreateRequestFile(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = WriteAll(file, "[SMS]\r\nPhoneNumber=") && WriteAll(file, phoneNumber) &&
                 WriteAll(file, "\r\nData=ZedSMS Test Message\r\n");
  CloseHandle(file);
  if (!written) DeleteFileA(path);
  return written;
}

TestMmsResult QueueTestMms(unsigned testId, const char* phoneNumber, char* templatePath,
                           size_t templateCap) {
  char programDirectory[MAX_PATH];
  GetRealProgramDirectory(programDirectory);
  FormatText(templatePath, templateCap, "%sMMSTEST.MMS", programDirectory);
  HANDLE source = CreateFileA(templatePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (source == INVALID_HANDLE_VALUE) return kTestMmsNoTemplate;

  char directory[MAX_PATH];
  GetVaspQueueDirectory(directory);
  char controlPath[MAX_PATH];
  char messagePath[MAX_PATH];
  if (!TestRequestPath(directory, testId, ".INI", controlPath, sizeof controlPath) ||
      !TestRequestPath(directory, testId, ".MMS", messagePath, sizeof messagePath)) {
    CloseHandle(source);
    return kTestMmsQueueError;
  }
  HANDLE control = CreateRequestFile(controlPath);
  if (control == INVALID_HANDLE_VALUE) {
    CloseHandle(source);
    return kTestMmsQueueError;
  }
  HANDLE message = CreateRequestFile(messagePath);
  if (message == INVALID_HANDLE_VALUE) {
    // The empty control file stays: without its message it is never sent.
    CloseHandle(control);
    CloseHandle(source);
    return kTestMmsQueueError;
  }
  bool complete = WriteAll(control, "[Recipients]\r\nRecip1=") && WriteAll(control, phoneNumber) &&
                  WriteAll(control, "/TYPE=VASP:zedsmslite\r\n");
  complete = CopyFileBody(source, message) && complete;
  CloseHandle(message);
  CloseHandle(control);
  CloseHandle(source);
  if (complete) return kTestMmsQueued;
  // A cut message must not go out; nor a message without its recipient.
  DeleteFileA(messagePath);
  DeleteFileA(controlPath);
  return kTestMmsQueueError;
}

bool CopyFileBody(HANDLE from, HANDLE to) {
  size_t size = kCopyBufferBytes;
  char* buffer = nullptr;
  while (size >= kSmallestCopyBuffer &&
         !(buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size)))) {
    size /= 2;
  }
  if (!buffer) return false;
  bool copied = true;
  for (;;) {
    DWORD got = 0;
    // A read error is no end of file: a cut copy must not count as whole.
    if (!ReadFile(from, buffer, static_cast<DWORD>(size), &got, nullptr)) {
      copied = false;
      break;
    }
    if (got == 0) break;
    DWORD written = 0;
    if (!WriteFile(to, buffer, got, &written, nullptr) || written != got) {
      copied = false;
      break;
    }
  }
  HeapFree(GetProcessHeap(), 0, buffer);
  if (copied && !SetEndOfFile(to)) copied = false;
  return copied;
}
