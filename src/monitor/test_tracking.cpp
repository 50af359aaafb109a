#include "monitor/test_tracking.h"

#include <cstring>

#include "common/text_util.h"

namespace {

constexpr char kCtrlZ = 26;

// Field n (from 1) of a comma-separated line; false when the line has fewer fields.
bool FindField(const char* line, int n, const char** start, size_t* length) {
  const char* field = line;
  for (int i = 1; i < n; ++i) {
    field = strchr(field, ',');
    if (!field) return false;
    ++field;
  }
  const char* end = strchr(field, ',');
  *start = field;
  *length = end ? static_cast<size_t>(end - field) : strlen(field);
  return true;
}

bool BeginsNoCase(const char* text, size_t length, const char* prefix) {
  size_t prefixLength = strlen(prefix);
  if (length < prefixLength) return false;
  for (size_t i = 0; i < prefixLength; ++i) {
    char a = text[i], b = prefix[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

TestOutcome Judge(const char* result, size_t resultLength, const char* detailEnd, char* detail, size_t cap) {
  if (BeginsNoCase(result, resultLength, "OK")) return TestOutcome::Sent;
  CopyTextMax(detail, cap, result, static_cast<size_t>(detailEnd - result));
  return TestOutcome::Failed;
}

}  // namespace

bool IsValidPhoneNumber(const char* number) {
  if (*number == '+') ++number;
  if (!*number) return false;
  for (; *number; ++number)
    if (*number < '0' || *number > '9') return false;
  return true;
}

size_t TakeLogLine(const char* chunk, size_t length, size_t size, char* line) {
  if (size == 0) return 0;
  line[0] = '\0';
  if (length > size - 1) length = size - 1;
  size_t kept = 0;
  size_t used = 0;
  bool ended = false;
  while (used < length && !ended) {
    char c = chunk[used++];
    if (c == '\r' && used < length && chunk[used] == '\r') {
      line[kept++] = ' ';
      ++used;
      ended = true;
    } else if (c == '\r' || c == '\n') {
      ended = true;
    } else {
      line[kept++] = c;
      continue;
    }
    if (c == '\r' && used < length && chunk[used] == '\n') ++used;
  }
  line[kept] = '\0';
  if (!ended && used == size - 1) {
    // A line longer than the buffer: end this piece at a word boundary.
    char* lastSpace = strrchr(line, ' ');
    if (lastSpace) {
      lastSpace[1] = '\0';
      used = static_cast<size_t>(lastSpace + 1 - line);
    }
  }
  size_t leading = 0;
  while (line[leading] == kCtrlZ) ++leading;
  if (leading) memmove(line, line + leading, strlen(line + leading) + 1);
  return used;
}

TestOutcome MatchSmsLogLine(const char* line, const char* testName, char* detail, size_t cap) {
  const char *name, *result;
  size_t nameLength, resultLength;
  if (!FindField(line, 5, &result, &resultLength) || !FindField(line, 2, &name, &nameLength) ||
      !BeginsNoCase(name, nameLength, testName))
    return TestOutcome::NotFound;
  return Judge(result, resultLength, result + resultLength, detail, cap);
}

TestOutcome MatchMmsLogLine(const char* line, const char* testName, char* detail, size_t cap) {
  const char *name, *result;
  size_t nameLength, resultLength;
  if (!FindField(line, 6, &result, &resultLength) || !FindField(line, 7, &name, &nameLength) ||
      !BeginsNoCase(name, nameLength, testName))
    return TestOutcome::NotFound;
  return Judge(result, resultLength, name + nameLength, detail, cap);
}

TestMessageControls TestMessageControlsOf(const TestMessageInputs& in) {
  bool pending = in.smsPending || in.mmsPending;
  bool sendable = in.smsServiceActive && in.phoneValid;
  return {in.smsServiceActive,
          in.smsServiceActive && !in.smsPending,
          sendable && !in.smsPending,
          sendable && !in.mmsPending && in.mmsServiceActive,
          pending,
          !pending && (in.smsDone || in.mmsDone)};
}

void DailyLogName(const char* prefix, unsigned year, unsigned month, unsigned day, char* name, size_t cap) {
  FormatText(name, cap, "%s-%04u%02u%02u.LOG", prefix, year, month, day);
}

void FormatRetryTexts(const char* retries, const char* lastError, char* status, size_t statusCap, char* detail,
                      size_t detailCap) {
  FormatText(status, statusCap, "Status:  Retry pending, %s attempts", retries);
  FormatText(detail, detailCap, "Last Error Info:  %s", lastError);
}

const char* FinishedTestStatus(TestOutcome outcome) {
  if (outcome == TestOutcome::Sent) return "Status:  OK -- Message Sent";
  return outcome == TestOutcome::Failed ? "Status:  ERROR" : "";
}
