#include "queue_worker.h"

#include <windows.h>

#include <cstring>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"
#include "config/value_rules.h"
#include "monitor/counter_days.h"
#include "queues/store_walker.h"

namespace {

enum class Outcome { Send, Fail, ModemError, Hold };

struct WorkerSettings {
  Outcome outcome;
  unsigned maxRetries;
  char errorText[200];
};

constexpr size_t kMostHeld = 64;

// Requests held open under Outcome=Hold, and the error file this process wrote.
struct WorkerState {
  HANDLE held[kMostHeld];
  char heldPaths[kMostHeld][MAX_PATH];
  size_t heldCount;
  char errorFile[MAX_PATH];
};

WorkerState g_worker;

WorkerSettings ReadSettings(const char* simIni, const char* section, const char* defaultError) {
  WorkerSettings settings = {};
  char outcome[32];
  GetPrivateProfileStringA(section, "Outcome", "Send", outcome, sizeof outcome, simIni);
  settings.outcome = EqualsNoCase(outcome, "Fail")         ? Outcome::Fail
                     : EqualsNoCase(outcome, "ModemError") ? Outcome::ModemError
                     : EqualsNoCase(outcome, "Hold")       ? Outcome::Hold
                                                           : Outcome::Send;
  settings.maxRetries = GetPrivateProfileIntA(section, "MaxRetries", 3, simIni);
  GetPrivateProfileStringA(section, "ErrorText", defaultError, settings.errorText, sizeof settings.errorText,
                           simIni);
  return settings;
}

void LocalStamp(char* text, size_t cap) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FormatText(text, cap, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
}

// A field of a comma-separated log line: commas inside it would shift the others.
void LogField(char* line, size_t cap, const char* value, bool last) {
  size_t start = strlen(line);
  AppendText(line, cap, value);
  for (char* c = line + start; *c; ++c)
    if (*c == ',' || *c == '\r' || *c == '\n') *c = ';';
  AppendText(line, cap, last ? "\r\n" : ",");
}

// Appends a line to today's log "<prefix>-YYYYMMDD.LOG" in the program data directory.
void AppendDailyLog(const char* prefix, const char* const* fields, size_t count) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char name[64];
  FormatText(name, sizeof name, "%s-%04u%02u%02u.LOG", prefix, now.wYear, now.wMonth, now.wDay);
  char path[MAX_PATH];
  ProgramDataPath(name, path, sizeof path);
  char line[1024] = "";
  for (size_t i = 0; i < count; ++i) LogField(line, sizeof line, fields[i], i + 1 == count);
  HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  WriteText(log, line);
  CloseHandle(log);
}

// Adds one to today's number in STATS\<counter>-<year>.CTR of the private data directory.
void BumpCounter(const char* counter) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char directory[MAX_PATH];
  GetPrivateDataDirectory(directory);
  AppendText(directory, sizeof directory, "STATS\\");
  CreateDirectoryPath(directory);
  char path[MAX_PATH];
  FormatText(path, sizeof path, "%s%s-%u.CTR", directory, counter, now.wYear);
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  unsigned char days[kCounterFileBytes] = {};
  DWORD got = 0;
  ReadFile(file, days, sizeof days, &got, nullptr);
  size_t offset = 4 * (DayOfYear(now.wYear, now.wMonth, now.wDay) - 1);
  uint32_t value = days[offset] | days[offset + 1] << 8 | days[offset + 2] << 16 | uint32_t(days[offset + 3]) << 24;
  ++value;
  for (int i = 0; i < 4; ++i) days[offset + i] = static_cast<unsigned char>(value >> (8 * i));
  DWORD written = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  WriteFile(file, days, static_cast<DWORD>(got > offset + 4 ? got : offset + 4), &written, nullptr);
  CloseHandle(file);
}

// The error file of a connection or route, written while it is unusable.
void ReportUnusable(const char* prefix, const char* name, const char* text) {
  char fileName[MAX_PATH];
  FormatText(fileName, sizeof fileName, "%s%s", prefix, name);
  NameToFileName(fileName);
  char directory[MAX_PATH];
  GetPrivateDataDirectory(directory);
  FormatText(g_worker.errorFile, sizeof g_worker.errorFile, "%s%s.ERR", directory, fileName);
  HANDLE file = CreateFileA(g_worker.errorFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteText(file, text);
  CloseHandle(file);
}

void ClearUnusable() {
  if (!g_worker.errorFile[0]) return;
  DeleteFileA(g_worker.errorFile);
  g_worker.errorFile[0] = '\0';
}

bool IsHeld(const char* path) {
  for (size_t i = 0; i < g_worker.heldCount; ++i)
    if (EqualsNoCase(g_worker.heldPaths[i], path)) return true;
  return false;
}

// Opened without delete sharing, so a delete by anyone else fails.
void Hold(const char* path) {
  if (g_worker.heldCount == kMostHeld || IsHeld(path)) return;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  g_worker.held[g_worker.heldCount] = file;
  CopyText(g_worker.heldPaths[g_worker.heldCount], MAX_PATH, path);
  ++g_worker.heldCount;
}

void ReleaseHeld() {
  for (size_t i = 0; i < g_worker.heldCount; ++i) CloseHandle(g_worker.held[i]);
  g_worker.heldCount = 0;
}

void ReleaseAll() {
  ReleaseHeld();
  ClearUnusable();
}

const char* FileNameOf(const char* path) {
  const char* slash = strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

// One failed attempt: true when the retries are used up and the request is to be dropped.
bool CountFailedAttempt(const char* controlFile, const char* section, const WorkerSettings& settings) {
  unsigned attempts = GetPrivateProfileIntA(section, "RetryCount", 0, controlFile) + 1;
  if (attempts >= settings.maxRetries) return true;
  char number[16];
  FormatText(number, sizeof number, "%u", attempts);
  WritePrivateProfileStringA(section, "RetryCount", number, controlFile);
  WritePrivateProfileStringA(section, "LastErrorInfo", settings.errorText, controlFile);
  return false;
}

// Fields of SMSOUT-YYYYMMDD.LOG: time, request name, phone number, modem, result.
void HandleSmsRequest(const char* path, const char* modem, const WorkerSettings& settings) {
  char phone[64];
  GetPrivateProfileStringA("SMS", "PhoneNumber", "", phone, sizeof phone, path);
  const char* result = "OK";
  if (settings.outcome == Outcome::Fail) {
    if (!CountFailedAttempt(path, "ErrorDetail", settings)) {
      BumpCounter("SMSRETRY");
      return;
    }
    result = settings.errorText;
  }
  char stamp[32];
  LocalStamp(stamp, sizeof stamp);
  const char* fields[] = {stamp, FileNameOf(path), phone, modem, result};
  AppendDailyLog("SMSOUT", fields, 5);
  BumpCounter(settings.outcome == Outcome::Fail ? "SMSFAILED" : "SMSSENT");
  DeleteFileA(path);
}

void SmsCycle(const char* simIni, const char* section) {
  WorkerSettings settings = ReadSettings(simIni, section, "+CMS ERROR: 38 Network out of order");
  if (settings.outcome != Outcome::Hold) ReleaseHeld();
  char modem[261];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "Modem1", "", modem, sizeof modem);
  if (settings.outcome == Outcome::ModemError) {
    ReportUnusable("", modem, settings.errorText);
    return;
  }
  ClearUnusable();
  char root[MAX_PATH];
  GetQueueDirectory(root);
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, root, "*.REQ", false); more; more = NextMessageFile(&walk)) {
    char path[MAX_PATH];
    if (!CurrentMessagePath(walk, path, sizeof path)) continue;
    if (settings.outcome == Outcome::Hold)
      Hold(path);
    else
      HandleSmsRequest(path, modem, settings);
  }
  EndMessageWalk(&walk);
}

// The route of "Recip1=<number>/TYPE=VASP:<route>"; the gateway's own modem route otherwise.
void RecipientRoute(const char* recipient, char* route, size_t cap) {
  const char* type = FindNoCase(recipient, "/TYPE=VASP:");
  CopyText(route, cap, type ? type + strlen("/TYPE=VASP:") : "zedsmslite");
}

// Fields of MMSC-YYYYMMDD.LOG: time, direction, recipient, route, size, result, message name.
void HandleMmsMessage(const char* messagePath, const char* controlPath, const WorkerSettings& settings) {
  const char* result = "OK";
  if (settings.outcome == Outcome::Fail) {
    if (!CountFailedAttempt(controlPath, "Routing", settings)) return;
    result = settings.errorText;
  }
  char recipient[200];
  GetPrivateProfileStringA("Recipients", "Recip1", "", recipient, sizeof recipient, controlPath);
  char route[100];
  RecipientRoute(recipient, route, sizeof route);
  char* type = strchr(recipient, '/');
  if (type) *type = '\0';
  char size[16] = "0";
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (GetFileAttributesExA(messagePath, GetFileExInfoStandard, &attributes))
    FormatText(size, sizeof size, "%lu", attributes.nFileSizeLow);
  char stamp[32];
  LocalStamp(stamp, sizeof stamp);
  const char* fields[] = {stamp, "OUT", recipient, route, size, result, FileNameOf(messagePath)};
  AppendDailyLog("MMSC", fields, 7);
  if (settings.outcome == Outcome::Send) BumpCounter("MMSOUT-MMSC");
  DeleteFileA(messagePath);
  DeleteFileA(controlPath);
}

void MmsCycle(const char* simIni, const char* section) {
  WorkerSettings settings = ReadSettings(simIni, section, "HTTP 503 Service Unavailable");
  if (settings.outcome != Outcome::Hold) ReleaseHeld();
  if (settings.outcome == Outcome::ModemError) {
    ReportUnusable("MMSCROUTE--", "zedsmslite", settings.errorText);
    return;
  }
  ClearUnusable();
  char queue[MAX_PATH];
  GetVaspQueueDirectory(queue);
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, queue, "*.MMS", false); more; more = NextMessageFile(&walk)) {
    char messagePath[MAX_PATH];
    if (!CurrentMessagePath(walk, messagePath, sizeof messagePath)) continue;
    char controlPath[MAX_PATH];
    CopyText(controlPath, sizeof controlPath, messagePath);
    CopyText(controlPath + strlen(controlPath) - 4, 5, ".INI");
    if (!IsPlainFile(controlPath)) continue;
    if (settings.outcome == Outcome::Hold) {
      Hold(messagePath);
      Hold(controlPath);
    } else {
      HandleMmsMessage(messagePath, controlPath, settings);
    }
  }
  EndMessageWalk(&walk);
}

}  // namespace

const QueueWorker kSmsQueueWorker = {SmsCycle, ReleaseAll};
const QueueWorker kMmsQueueWorker = {MmsCycle, ReleaseAll};
