// How the Test Message page judges a phone number, which of its controls
// work, and how it reads the services' daily logs to learn what became of a
// test. No windows.h.
#pragma once
#include <cstddef>

// An optional leading "+" and then one or more decimal digits, nothing else.
bool IsValidPhoneNumber(const char* number);

// A test is sent only through a running service and never while one of its
// kind is in flight (a second would orphan the first). The wizard finishes
// once a test has left the queue and none is in flight.
struct TestMessageInputs {
  bool smsServiceActive;
  bool mmsServiceActive;
  bool phoneValid;
  bool smsPending;
  bool mmsPending;
  bool smsDone;
  bool mmsDone;
};
struct TestMessageControls {
  bool webTest;
  bool phone;
  bool sendSms;
  bool sendMms;
  bool cancelShown;
  bool finish;
};
TestMessageControls TestMessageControlsOf(const TestMessageInputs& in);

constexpr size_t kMostLogLineBytes = 4096;

// Splits the next line off a chunk of a log file, read from the current
// position with at most size - 1 bytes (size at most kMostLogLineBytes).
// Returns the number of bytes the line used up, its end included; the line
// goes to line (size bytes). CR LF and a lone CR or LF end a line; CR CR
// becomes a space and ends it. A chunk holding no line end that fills the
// buffer is cut after its last space so that a long line continues on the
// next call; leading Ctrl-Z bytes are dropped.
size_t TakeLogLine(const char* chunk, size_t length, size_t size, char* line);

enum class TestOutcome { NotFound, Sent, Failed };

// A line of SMSOUT-YYYYMMDD.LOG about the request named testName ("TEST1A2B"):
// the request name in field 2, the result in field 5. On Failed, detail holds
// the result field.
TestOutcome MatchSmsLogLine(const char* line, const char* testName, char* detail, size_t cap);
// A line of MMSC-YYYYMMDD.LOG: result in field 6, message name in field 7. On
// Failed, detail holds fields 6 and 7 with the comma between them.
TestOutcome MatchMmsLogLine(const char* line, const char* testName, char* detail, size_t cap);

// Today's daily log of a service ("SMSOUT", "MMSC"): "SMSOUT-20120502.LOG".
void DailyLogName(const char* prefix, unsigned year, unsigned month, unsigned day, char* name, size_t cap);
// The texts of a test the service retries.
void FormatRetryTexts(const char* retries, const char* lastError, char* status, size_t statusCap, char* detail,
                      size_t detailCap);
// The status of a test that has left the queue: nothing while its log holds no line about it.
const char* FinishedTestStatus(TestOutcome outcome);
