#include "modem/modem_check.h"

#include <cstring>
#include <initializer_list>

#include "common/text_util.h"
#include "common/ui_util.h"
#include "modem/at_channel.h"
#include "modem/modem_port.h"

namespace {

constexpr int kOperatorAttempts = 18;
constexpr int kStorageAttempts = 10;
constexpr int kSmsServiceRetries = 8;
constexpr DWORD kOperatorPauseMs = 5000;
constexpr DWORD kStoragePauseMs = 2000;
constexpr DWORD kSmsServicePauseMs = 5000;

// One command and its answer. The answer is empty when the write failed or nothing came.
enum class Outcome { WriteFailed, NoAnswer, Answered };

Outcome Command(HANDLE port, const char* command, DWORD limit, char* answer) {
  answer[0] = '\0';
  if (!ModemWrite(port, command)) return Outcome::WriteFailed;
  return ModemReadResponse(port, answer, kResponseCapacity, limit) > 0 ? Outcome::Answered : Outcome::NoAnswer;
}

bool Accepted(HANDLE port, const char* command, DWORD limit, char* answer) {
  return Command(port, command, limit, answer) == Outcome::Answered && ResponseIsOk(answer);
}

struct TestRun {
  HWND owner;
  HCURSOR previousCursor;
  char answer[kResponseCapacity];
};

bool Fail(TestRun* run, const char* text) {
  EndBusyCursor(run->previousCursor);
  ShowMessage(run->owner, text, MB_OK | MB_ICONERROR);
  return false;
}

bool FailWithAnswer(TestRun* run, const char* text) {
  char message[500];
  FormatText(message, sizeof message, "%s%s", text, run->answer);
  return Fail(run, message);
}

// Sends a command whose failure to go out or to be answered ends the test.
// False (with the message shown) on such a failure; the answer is in run->answer.
bool Required(TestRun* run, HANDLE port, const char* command, const char* writeFailed, const char* noAnswer) {
  switch (Command(port, command, 30, run->answer)) {
    case Outcome::WriteFailed:
      return Fail(run, writeFailed);
    case Outcome::NoAnswer:
      return Fail(run, noAnswer);
    case Outcome::Answered:
      break;
  }
  return true;
}

bool UnlockSim(TestRun* run, HANDLE port, const char* pin) {
  Command(port, "AT+CPIN?\r", 5, run->answer);
  if (FindNoCase(run->answer, "READY")) return true;
  char command[80];
  FormatText(command, sizeof command, "AT+CPIN=\"%s\"\r", pin);
  if (!ModemWrite(port, command)) return true;  // the modem test goes on and decides
  ModemReadResponse(port, run->answer, kResponseCapacity, 30);
  if (!ResponseIsOk(run->answer)) return FailWithAnswer(run, "Invalid PIN --\r\n\r\n");
  Command(port, "AT+CPIN?\r", 25, run->answer);
  return true;
}

bool Initialise(TestRun* run, HANDLE port) {
  if (!Required(run, port, "ATE0V1\r", "Unable to send initialization command to modem",
                "Error waiting for initialization response from modem"))
    return false;
  if (!ResponseIsOk(run->answer)) return FailWithAnswer(run, "Error initializing modem --\r\n\r\n");
  if (!Required(run, port, "ATE0V1\r", "Unable to send initial command to modem",
                "Error waiting for initial response from modem"))
    return false;
  if (!ResponseIsOk(run->answer)) return FailWithAnswer(run, "Error initialising modem --\r\n\r\n");
  return true;
}

bool SelectSmsService(TestRun* run, HANDLE port) {
  for (const char* command : {"AT+CSMS=0\r", "AT+CSMS=128\r"}) {
    if (!Required(run, port, command, "Unable to send SMS initialization command to modem",
                  "Error waiting for SMS initialization response from modem"))
      return false;
    if (ResponseIsOk(run->answer)) return true;
  }
  // Some modems refuse the SMS service until they are registered.
  if (EnsureModemFunctional(port)) {
    WaitForNetworkReady(port);
    for (int retry = 0; retry < kSmsServiceRetries; ++retry) {
      ModemPause(kSmsServicePauseMs);
      if (Accepted(port, "AT+CSMS=0\r", 30, run->answer) || Accepted(port, "AT+CSMS=128\r", 30, run->answer))
        break;
      if (Accepted(port, "AT+CSMS?\r", 30, run->answer) && FindNoCase(run->answer, "+CSMS:")) break;
    }
  }
  return true;
}

// Leaves the message body prompt without sending anything.
void CancelMessage(TestRun* run, HANDLE port) {
  ModemWrite(port, "\x1b");
  ModemPause(100);
  ModemWrite(port, "\r");
  ModemPause(100);
  Command(port, "AT\r", 5, run->answer);
}

bool ProbeSend(TestRun* run, HANDLE port, const char* command, const char* refused, const char* passed) {
  if (!ModemWrite(port, command)) return Fail(run, "Unable to send SMS message command to modem");
  DWORD count = ModemReadResponse(port, run->answer, kResponseCapacity, 5);
  if (count > 0 && (ResponseIsOk(run->answer) || strstr(run->answer, "ERROR"))) return Fail(run, refused);
  CancelMessage(run, port);
  EndBusyCursor(run->previousCursor);
  ShowMessage(run->owner, passed, MB_OK | MB_ICONINFORMATION);
  return true;
}

bool ProbeMessageFormat(TestRun* run, HANDLE port) {
  if (!Required(run, port, "AT+CMGF=0\r", "Unable to send SMS PDU mode initialization command to modem",
                "Error waiting for SMS PDU mode initialization response from modem"))
    return false;
  if (ResponseIsOk(run->answer))
    return ProbeSend(run, port, "AT+CMGS=86\r", "Modem does not properly support command for sending SMS (AT+CMGS)",
                     "Modem successfully tested!");
  // Only text mode is left; its set-up messages do not end the test.
  switch (Command(port, "AT+CMGF=1\r", 30, run->answer)) {
    case Outcome::WriteFailed:
      ShowMessage(run->owner, "Unable to send SMS text mode initialization command to modem", MB_OK | MB_ICONERROR);
      break;
    case Outcome::NoAnswer:
      ShowMessage(run->owner, "Error waiting for SMS text mode initialization response from modem",
                  MB_OK | MB_ICONERROR);
      break;
    case Outcome::Answered:
      break;
  }
  return ProbeSend(run, port, "AT+CMGS=\"123456789\"\r",
                   "Modem does not properly support command for sending SMS (AT+CMGS - text mode)",
                   "Modem successfully tested!\r\n\r\nModem supports text messages only.");
}

bool RunTest(TestRun* run, HANDLE port, const char* pin) {
  SetTestCommTimeouts(port);
  if (EnsureModemFunctional(port)) WaitForNetworkReady(port);
  if (pin && *pin && !UnlockSim(run, port, pin)) return false;
  return Initialise(run, port) && SelectSmsService(run, port) && ProbeMessageFormat(run, port);
}

}  // namespace

bool EnsureModemFunctional(HANDLE port) {
  char answer[kResponseCapacity];
  if (Command(port, "AT+CFUN?\r", 10, answer) != Outcome::Answered) return false;
  if (!CfunAnswered(answer) || CfunReportsFullFunctionality(answer)) return false;
  return Accepted(port, "AT+CFUN=1\r", 10, answer);
}

bool WaitForNetworkReady(HANDLE port) {
  char answer[kResponseCapacity];
  EnsureModemFunctional(port);
  bool registered = false;
  for (int attempt = 0; attempt < kOperatorAttempts && !registered; ++attempt) {
    if (Command(port, "AT+COPS?\r", 10, answer) != Outcome::Answered) return false;
    if (!CopsAnswered(answer)) continue;
    registered = CopsReportsOperator(answer);
    if (!registered) ModemPause(kOperatorPauseMs);
  }
  if (!registered) return false;
  for (int attempt = 0; attempt < kStorageAttempts; ++attempt) {
    if (Command(port, "AT+CPMS?\r", 10, answer) != Outcome::Answered) return false;
    if (!strstr(answer, "+CMS ERROR")) return true;
    ModemPause(kStoragePauseMs);
  }
  return false;
}

bool TestModem(HWND owner, const char* modemName, const char* pin) {
  TestRun run = {owner, BeginBusyCursor(), ""};
  ModemPortHandles handles = OpenModemPort(modemName, pin);
  EndBusyCursor(run.previousCursor);
  if (handles.port == INVALID_HANDLE_VALUE) {
    ShowMessage(owner, "Unable to access modem, ensure that it is powered on and passes diagnostic tests.",
                MB_OK | MB_ICONERROR);
    return false;
  }
  run.previousCursor = BeginBusyCursor();
  // Every outcome restores the cursor before its message.
  bool passed = RunTest(&run, handles.port, pin);
  CloseModemPort(&handles);
  return passed;
}
