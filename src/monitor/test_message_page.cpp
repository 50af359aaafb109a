#include "monitor/test_message_page.h"

#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "monitor/clock.h"
#include "monitor/stat_files.h"
#include "monitor/test_tracking.h"
#include "queues/request_files.h"
#include "resources/page_ids.h"
#include "services/service_control.h"

namespace {

constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT kFollowMs = 1000;
constexpr DWORD kRestartPauseMs = 1000;
constexpr size_t kPhoneChars = 64;
constexpr size_t kDetailChars = 1024;
const PageProtocol kTestMessageProtocol = {CancelRule::LetCancel, false};
const char kWaiting[] = "Status:  Waiting";
// The gateway's own modem route, which the test MMS is addressed to.
const char kModemRoute[] = "zedsmslite";

struct TestMessagePageState {
  SheetContext* sheet;
  ServiceManagerLink services;
};

TestMessageState& Tests(HWND page) { return DialogState<TestMessagePageState>(page)->sheet->testMessages; }

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool Active(const ServiceState& service) { return service.installed && service.running; }

void MakeServiceActive(bool (*installed)(), bool (*running)()) {
  if (!installed()) InstallServices(true);
  if (!running()) StartServices(true);
}

// The phone field's text when it is a valid number.
bool ReadPhoneNumber(HWND page, char* number) {
  GetDlgItemTextA(page, IDC_TESTMSG_PHONE, number, kPhoneChars);
  return IsValidPhoneNumber(number);
}

void ShowStatus(HWND page, int statusControl, const char* status, int detailControl, const char* detail) {
  SetDlgItemTextIfChanged(page, statusControl, status);
  SetDlgItemTextIfChanged(page, detailControl, detail);
}

void TestName(DWORD testId, char* name, size_t cap) { FormatText(name, cap, "TEST%04X", static_cast<unsigned>(testId & 0xFFFFu)); }

void SmsRequestPath(const TestMessageState& tests, char* path) {
  char root[MAX_PATH];
  GetQueueDirectory(root);
  TestRequestPath(root, tests.smsTestId, ".REQ", path, MAX_PATH);
}

void MmsRequestPath(const TestMessageState& tests, const char* extension, char* path) {
  char queue[MAX_PATH];
  GetVaspQueueDirectory(queue);
  TestRequestPath(queue, tests.mmsTestId, extension, path, MAX_PATH);
}

// Reads the next line from the file's position (size at most kMostLogLineBytes)
// and moves the position behind it. False at the end or on a read error.
bool ReadLogLine(HANDLE file, char* line, size_t size) {
  if (size > kMostLogLineBytes) size = kMostLogLineBytes;
  line[0] = '\0';
  LARGE_INTEGER start = {};
  LARGE_INTEGER zero = {};
  if (size < 2 || !SetFilePointerEx(file, zero, &start, FILE_CURRENT)) return false;
  char chunk[kMostLogLineBytes];
  DWORD got = 0;
  if (!ReadFile(file, chunk, static_cast<DWORD>(size - 1), &got, nullptr) || got == 0) return false;
  LARGE_INTEGER next;
  next.QuadPart = start.QuadPart + TakeLogLine(chunk, got, size, line);
  SetFilePointerEx(file, next, nullptr, FILE_BEGIN);
  return true;
}

typedef TestOutcome (*LogLineMatcher)(const char* line, const char* testName, char* detail, size_t cap);

// Today's daily log of a service ("SMSOUT", "MMSC"): what its last line about the test says.
TestOutcome SearchDailyLog(const char* prefix, DWORD testId, LogLineMatcher match, char* detail) {
  SYSTEMTIME today;
  Clock().localTime(&today);
  char name[32];
  DailyLogName(prefix, today.wYear, today.wMonth, today.wDay, name, sizeof name);
  char path[MAX_PATH];
  ProgramDataPath(name, path, sizeof path);
  HANDLE log = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return TestOutcome::NotFound;
  char testName[16];
  TestName(testId, testName, sizeof testName);
  TestOutcome outcome = TestOutcome::NotFound;
  char line[kMostLogLineBytes];
  char lineDetail[kDetailChars];
  while (ReadLogLine(log, line, sizeof line)) {
    TestOutcome lineOutcome = match(line, testName, lineDetail, sizeof lineDetail);
    if (lineOutcome == TestOutcome::NotFound) continue;
    outcome = lineOutcome;
    CopyText(detail, kDetailChars, lineOutcome == TestOutcome::Failed ? lineDetail : "");
  }
  CloseHandle(log);
  return outcome;
}

// The service's retry details of a request still queued, when it has any.
bool ShowRetries(HWND page, const char* controlFile, const char* section, int statusControl, int detailControl) {
  char retries[32];
  if (!ReadIniText(controlFile, section, "RetryCount", "", retries, sizeof retries)) return false;
  char lastError[kDetailChars - 20];
  ReadIniText(controlFile, section, "LastErrorInfo", "", lastError, sizeof lastError);
  char status[64];
  char detail[kDetailChars];
  FormatRetryTexts(retries, lastError, status, sizeof status, detail, sizeof detail);
  ShowStatus(page, statusControl, status, detailControl, detail);
  return true;
}

// What the page shows of one kind of test, and where the service reports on it.
struct TestKind {
  int statusControl;
  int detailControl;
  const char* unusableStatus;  // shown while the connection or route has an error file
  const char* retrySection;    // of the control file
  const char* logPrefix;
  LogLineMatcher match;
};

const TestKind kSmsTest = {IDC_TESTMSG_SMS_STATUS, IDC_TESTMSG_SMS_DETAIL, "Status:  Modem Off-Line", "ErrorDetail",
                           "SMSOUT", MatchSmsLogLine};
const TestKind kMmsTest = {IDC_TESTMSG_MMS_STATUS, IDC_TESTMSG_MMS_DETAIL, "Status:  Connection Error", "Routing",
                           "MMSC", MatchMmsLogLine};

// While the request is queued: the service's error for its connection, else its retries.
void ShowQueuedTest(HWND page, const TestKind& kind, const char* error, const char* controlFile) {
  if (error[0])
    ShowStatus(page, kind.statusControl, kind.unusableStatus, kind.detailControl, error);
  else if (!ShowRetries(page, controlFile, kind.retrySection, kind.statusControl, kind.detailControl))
    SetDlgItemTextIfChanged(page, kind.detailControl, "");
}

// The request has left the queue: the daily log tells how it went.
void FinishTest(HWND page, const TestKind& kind, DWORD testId, bool* pending, bool* done) {
  *pending = false;
  *done = true;
  char detail[kDetailChars] = "";
  TestOutcome outcome = SearchDailyLog(kind.logPrefix, testId, kind.match, detail);
  ShowStatus(page, kind.statusControl, FinishedTestStatus(outcome), kind.detailControl, detail);
}

void FollowSms(HWND page) {
  TestMessageState& tests = Tests(page);
  char request[MAX_PATH];
  SmsRequestPath(tests, request);
  if (!Exists(request)) {
    FinishTest(page, kSmsTest, tests.smsTestId, &tests.smsPending, &tests.smsDone);
    return;
  }
  char modem[261];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "Modem1", "", modem, sizeof modem);
  char error[kErrorTextBytes + 1];
  ReadConnectionError(modem, error);
  ShowQueuedTest(page, kSmsTest, error, request);
}

void FollowMms(HWND page) {
  TestMessageState& tests = Tests(page);
  char message[MAX_PATH];
  MmsRequestPath(tests, ".MMS", message);
  if (!Exists(message)) {
    FinishTest(page, kMmsTest, tests.mmsTestId, &tests.mmsPending, &tests.mmsDone);
    return;
  }
  char error[kErrorTextBytes + 1];
  ReadRouteError(kModemRoute, error);
  char control[MAX_PATH];
  MmsRequestPath(tests, ".INI", control);
  ShowQueuedTest(page, kMmsTest, error, control);
}

// The controls' states; Cancel and Finish follow the tests alone, so they
// need no service query.
TestMessageControls Controls(HWND page, const ServiceState* sms = nullptr, const ServiceState* mms = nullptr) {
  const TestMessageState& tests = Tests(page);
  char number[kPhoneChars];
  TestMessageInputs in = {sms && Active(*sms), mms && Active(*mms), ReadPhoneNumber(page, number),
                          tests.smsPending, tests.mmsPending, tests.smsDone, tests.mmsDone};
  return TestMessageControlsOf(in);
}

void ShowCancelButton(HWND page) {
  ShowWindow(GetDlgItem(page, IDC_TESTMSG_CANCEL), Controls(page).cancelShown ? SW_SHOW : SW_HIDE);
}

// Has no effect outside the wizard.
void RequestWizardButtons(HWND page) {
  if (!Tests(page).pageActive) return;
  bool finish = Controls(page).finish;
  PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | (finish ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH));
}

void UpdateControls(HWND page) {
  ServiceState sms, mms;
  DialogState<TestMessagePageState>(page)->services.Query(&sms, &mms);
  TestMessageControls controls = Controls(page, &sms, &mms);
  EnableItem(page, IDC_TESTMSG_WEB_TEST, controls.webTest);
  EnableItem(page, IDC_TESTMSG_PHONE, controls.phone);
  EnableItem(page, IDC_TESTMSG_SEND_SMS, controls.sendSms);
  EnableItem(page, IDC_TESTMSG_SEND_MMS, controls.sendMms);
  ShowCancelButton(page);
}

void Tick(HWND page) {
  UpdateControls(page);
  if (Tests(page).smsPending) FollowSms(page);
  if (Tests(page).mmsPending) FollowMms(page);
  RequestWizardButtons(page);
}

void OnPhoneEdited(HWND page) {
  char number[kPhoneChars];
  bool valid = ReadPhoneNumber(page, number);
  EnableItem(page, IDC_TESTMSG_SEND_SMS, valid);
  EnableItem(page, IDC_TESTMSG_SEND_MMS, valid);
}

void OnSendSms(HWND page) {
  char number[kPhoneChars];
  // A test still in flight keeps its id: a second one would orphan it.
  TestMessageState& tests = Tests(page);
  if (!ReadPhoneNumber(page, number) || tests.smsPending) return;
  MakeServiceActive(IsSmsServiceInstalled, IsSmsServiceRunning);
  DWORD testId = GetTickCount();
  if (!QueueTestSms(testId, number)) {
    ShowMessage(page, "Error creating SMS request file in queue", MB_OK | MB_ICONERROR);
    return;
  }
  tests.smsTestId = testId;
  tests.smsPending = true;
  ShowStatus(page, IDC_TESTMSG_SMS_STATUS, kWaiting, IDC_TESTMSG_SMS_DETAIL, "");
  UpdateControls(page);
}

void OnSendMms(HWND page) {
  char number[kPhoneChars];
  TestMessageState& tests = Tests(page);
  if (!ReadPhoneNumber(page, number) || tests.mmsPending) return;
  MakeServiceActive(IsMmsServiceInstalled, IsMmsServiceRunning);
  DWORD testId = GetTickCount();
  char templatePath[MAX_PATH];
  switch (QueueTestMms(testId, number, templatePath, sizeof templatePath)) {
    case kTestMmsNoTemplate:
      ShowMessage(page, templatePath, MB_OK | MB_ICONERROR, "Error locating MMS message template file");
      return;
    case kTestMmsQueueError:
      ShowMessage(page, "Error creating MMS request file in queue", MB_OK | MB_ICONERROR);
      return;
    case kTestMmsQueued:
      break;
  }
  tests.mmsTestId = testId;
  tests.mmsPending = true;
  ShowStatus(page, IDC_TESTMSG_MMS_STATUS, kWaiting, IDC_TESTMSG_MMS_DETAIL, "");
  UpdateControls(page);
}

// Deletes the files; when a service holds one, stops the services long enough to delete it.
void DeleteQueuedFiles(const char* const* paths, size_t count) {
  bool remaining = false;
  for (size_t i = 0; i < count; ++i) DeleteFileA(paths[i]);
  for (size_t i = 0; i < count; ++i) remaining = remaining || Exists(paths[i]);
  if (!remaining) return;
  StopServices(true);
  for (size_t i = 0; i < count; ++i) DeleteFileA(paths[i]);
  Sleep(kRestartPauseMs);
  StartServices(true);
}

// The next tick finds the requests gone and ends the tests; the logs hold nothing about them.
void OnCancel(const TestMessageState& tests) {
  HCURSOR previous = BeginBusyCursor();
  if (tests.smsPending) {
    char request[MAX_PATH];
    SmsRequestPath(tests, request);
    const char* paths[] = {request};
    DeleteQueuedFiles(paths, 1);
  }
  if (tests.mmsPending) {
    char message[MAX_PATH];
    char control[MAX_PATH];
    MmsRequestPath(tests, ".MMS", message);
    MmsRequestPath(tests, ".INI", control);
    const char* paths[] = {message, control};
    DeleteQueuedFiles(paths, 2);
  }
  EndBusyCursor(previous);
}

void OnWebTest(HWND page) {
  MakeServiceActive(IsSmsServiceInstalled, IsSmsServiceRunning);
  unsigned port = ReadIniNumber(g_configFiles.smsIni, "SMSGW", "WebPort", "8800");
  if (port == 0) port = 8800;
  char host[256];
  if (!ReadIniText(g_configFiles.smsIni, "SMSGW", "IPAddress", "", host, sizeof host))
    CopyText(host, sizeof host, "127.0.0.1");
  char address[300];
  FormatText(address, sizeof address, "http://%s:%u/", host, port);
  ShellExecuteA(page, "open", address, nullptr, ".\\", SW_SHOWNORMAL);
}

void OnCommand(HWND page, int control) {
  switch (control) {
    case IDC_TESTMSG_SEND_SMS: OnSendSms(page); break;
    case IDC_TESTMSG_SEND_MMS: OnSendMms(page); break;
    case IDC_TESTMSG_CANCEL: OnCancel(Tests(page)); break;
    case IDC_TESTMSG_WEB_TEST: OnWebTest(page); break;
  }
}

void OnNotify(HWND page, const NMHDR* header) {
  switch (header->code) {
    case PSN_SETACTIVE:
      Tests(page).pageActive = true;
      RequestWizardButtons(page);
      ShowCancelButton(page);
      break;
    case PSN_KILLACTIVE:
      Tests(page).pageActive = false;
      break;
  }
}

}  // namespace

INT_PTR CALLBACK TestMessagePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  TestMessagePageState* state = AttachedPageState<TestMessagePageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(page, IDC_TESTMSG_PHONE, EM_LIMITTEXT, kPhoneChars - 1, 0);
      SetTimer(page, kFollowTimer, kFollowMs, nullptr);
      Tick(page);
      return TRUE;
    case WM_DESTROY:
      KillTimer(page, kFollowTimer);
      return FALSE;
    case WM_TIMER:
      if (wParam == kFollowTimer) Tick(page);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_TESTMSG_PHONE)
        OnPhoneEdited(page);
      else if (HIWORD(wParam) == BN_CLICKED)
        OnCommand(page, LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kTestMessageProtocol, state->sheet);
}
