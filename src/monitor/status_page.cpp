#include "monitor/status_page.h"

#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/file_viewer.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"
#include "config/value_rules.h"
#include "monitor/clock.h"
#include "monitor/event_log_dialog.h"
#include "monitor/stat_files.h"
#include "monitor/status_rules.h"
#include "queues/queue_scanners.h"
#include "queues/queue_viewer.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "services/status_block.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 1000;
constexpr unsigned kAlwaysReadModems = 201;
constexpr size_t kInfoChars = 1024;
constexpr size_t kSectionChars = 32768;
const PageProtocol kStatusProtocol = {CancelRule::AskWhenDirtyOrSiblingsChanged, true};

// Queues are counted at most every 10 seconds, across every instance of the page.
ULONGLONG g_lastQueueCount = 0;

struct StatusPageState {
  SheetContext* sheet;
  bool smsQueueAlert;
  bool mmsQueueAlert;
  bool infoAlert;
  bool statusAlert;
  bool serviceActionInProgress;
  ServiceManagerLink services;
};

struct CounterRow {
  const char* counter;
  const char* addedCounter;  // summed column by column, or null
  int today, last7, last30;
};

const CounterRow kCounterRows[] = {
    {"SMSSUBMIT", nullptr, IDC_STATUS_SMS_SUBMITTED_TODAY, IDC_STATUS_SMS_SUBMITTED_LAST7, IDC_STATUS_SMS_SUBMITTED_LAST30},
    {"SMSSENT", nullptr, IDC_STATUS_SMS_SENT_TODAY, IDC_STATUS_SMS_SENT_LAST7, IDC_STATUS_SMS_SENT_LAST30},
    {"SMSRECEIVED", nullptr, IDC_STATUS_SMS_RECEIVED_TODAY, IDC_STATUS_SMS_RECEIVED_LAST7,
     IDC_STATUS_SMS_RECEIVED_LAST30},
    {"SMSFAILED", nullptr, IDC_STATUS_SMS_FAILED_TODAY, IDC_STATUS_SMS_FAILED_LAST7, IDC_STATUS_SMS_FAILED_LAST30},
    {"SMSRETRY", nullptr, IDC_STATUS_SMS_RETRIED_TODAY, IDC_STATUS_SMS_RETRIED_LAST7, IDC_STATUS_SMS_RETRIED_LAST30},
    {"MMSIN-VASP", "MMSIN-USER", IDC_STATUS_MMS_PROCESSED_TODAY, IDC_STATUS_MMS_PROCESSED_LAST7,
     IDC_STATUS_MMS_PROCESSED_LAST30},
    {"MMSOUT-VASP", "MMSOUT-MMSC", IDC_STATUS_MMS_SENT_TODAY, IDC_STATUS_MMS_SENT_LAST7, IDC_STATUS_MMS_SENT_LAST30},
    {"MMSIN-MODEM", nullptr, IDC_STATUS_MMS_RECEIVED_TODAY, IDC_STATUS_MMS_RECEIVED_LAST7,
     IDC_STATUS_MMS_RECEIVED_LAST30},
};

StatusPageState* State(HWND page) { return DialogState<StatusPageState>(page); }

void ShowNumber(HWND page, int control, unsigned value, const char* zeroText) {
  char text[16];
  FormatCount(value, zeroText, text, sizeof text);
  SetDlgItemTextIfChanged(page, control, text);
}

// Shows a queue's size; the label is repainted when the text changed so its colour follows.
void ShowQueue(HWND page, unsigned count, unsigned alertSize, int countControl, int labelControl, bool* alert) {
  *alert = QueueAlert(count, alertSize);
  char text[16];
  FormatCount(count, "Empty", text, sizeof text);
  if (SetDlgItemTextIfChanged(page, countControl, text)) InvalidateRect(GetDlgItem(page, labelControl), nullptr, TRUE);
}

void RefreshQueues(HWND page, StatusPageState* state) {
  ULONGLONG now = ClockSeconds();
  if (!QueueCountDue(g_lastQueueCount, now)) return;
  unsigned alertSize = ReadIniNumber(g_configFiles.smsIni, "SMSGW", "AlertEMailQueueSize", "100");
  ShowQueue(page, CountOutboundSmsQueue(), alertSize, IDC_STATUS_SMS_QUEUE_COUNT, IDC_STATUS_SMS_QUEUE_LABEL,
            &state->smsQueueAlert);
  ShowQueue(page, CountOutboundMmsQueue(), alertSize, IDC_STATUS_MMS_QUEUE_COUNT, IDC_STATUS_MMS_QUEUE_LABEL,
            &state->mmsQueueAlert);
  g_lastQueueCount = now;
}

// The connection names of [SMSGW]: read once per refresh, as a refresh goes
// through more than 200 keys.
struct ModemNames {
  char section[kSectionChars];
  size_t length;
  bool whole;
};

bool ReadModemName(const ModemNames& names, const char* key, char* modem, size_t cap) {
  if (names.whole) return FindSectionValue(names.section, names.length, key, modem, cap) && modem[0];
  return ReadIniText(g_configFiles.smsIni, "SMSGW", key, "", modem, cap) > 0;
}

// The last error of every configured modem connection.
void RefreshInfo(HWND page, StatusPageState* state, const ServiceState& sms) {
  if (!sms.installed || !sms.running) {
    state->infoAlert = true;
    SetDlgItemTextIfChanged(page, IDC_STATUS_INFO_TEXT, "Service is NOT active");
    return;
  }
  static ModemNames names;
  names.whole = ReadIniSection(g_configFiles.smsIni, "SMSGW", names.section, sizeof names.section, &names.length);
  char info[kInfoChars + 1] = "";
  bool previousHadValue = true;
  for (unsigned i = 1; i <= kAlwaysReadModems || previousHadValue; ++i) {
    char key[16];
    FormatText(key, sizeof key, "Modem%u", i);
    char modem[261];
    previousHadValue = ReadModemName(names, key, modem, sizeof modem);
    if (!previousHadValue) continue;
    char error[kErrorTextBytes + 1];
    ReadConnectionError(modem, error);
    AppendConnectionError(info, sizeof info, modem, error);
  }
  state->infoAlert = info[0] != '\0';
  SetDlgItemTextIfChanged(page, IDC_STATUS_INFO_TEXT, info);
}

// A service as the status line sees it; port flags are read from its status block while it runs.
ServiceReport Report(const ServiceState& service, bool (*open)(StatusBlock*), void (*close)(StatusBlock*),
                     size_t ownPortFlag) {
  ServiceReport report = {service.installed, service.running, false, false};
  StatusBlock block;
  if (service.installed && service.running && open(&block)) {
    report.ownPortInUse = block.view[ownPortFlag] != 0;
    report.smppPortInUse = block.view[kSmppPortInUseByte] != 0;
    close(&block);
  }
  return report;
}

void RefreshStatusText(HWND page, StatusPageState* state, const ServiceState& sms, const ServiceState& mms) {
  ServiceStatus status = ServiceStatusOf(Report(sms, OpenSmsStatusBlock, CloseSmsStatusBlock, kWebPortInUseByte),
                                         Report(mms, OpenMmsStatusBlock, CloseMmsStatusBlock, kMm7PortInUseByte));
  state->statusAlert = status.alert;
  SetDlgItemTextIfChanged(page, IDC_STATUS_SERVICE_TEXT, status.text);
}

void RefreshCounters(HWND page) {
  for (const CounterRow& row : kCounterRows) {
    CounterTotals totals = ReadStatCounters(row.counter);
    if (row.addedCounter) {
      CounterTotals added = ReadStatCounters(row.addedCounter);
      totals.today += added.today;
      totals.last7 += added.last7;
      totals.last30 += added.last30;
    }
    ShowNumber(page, row.today, totals.today, "");
    ShowNumber(page, row.last7, totals.last7, "");
    ShowNumber(page, row.last30, totals.last30, "");
  }
}

void RefreshServiceButtons(HWND page, const StatusPageState* state, const ServiceState& sms,
                           const ServiceState& mms) {
  bool installed = sms.installed && mms.installed;
  bool bothRunning = sms.running && mms.running;
  if (!state->serviceActionInProgress && (IsChecked(page, IDC_STATUS_RUN_AS_SERVICE)) != installed)
    CheckItem(page, IDC_STATUS_RUN_AS_SERVICE, installed);
  EnableWindow(GetDlgItem(page, IDC_STATUS_STOP), installed && bothRunning);
  EnableWindow(GetDlgItem(page, IDC_STATUS_START), installed && !bothRunning);
}

void Refresh(HWND page) {
  StatusPageState* state = State(page);
  ServiceState sms, mms;
  state->services.Query(&sms, &mms);
  RefreshQueues(page, state);
  RefreshInfo(page, state, sms);
  RefreshStatusText(page, state, sms, mms);
  RefreshCounters(page);
  RefreshServiceButtons(page, state, sms, mms);
}

// Offers to save unsaved edits first; false when saving was asked for and failed.
bool SaveBeforeService(HWND page) {
  if (!SiblingsReportChanges(page)) return true;
  if (ShowMessage(page, "Save configuration changes?", MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) return true;
  return PropSheet_Apply(GetParent(page)) != FALSE;
}

template <typename Operation>
void UnderBusyCursor(Operation operation) {
  HCURSOR previous = BeginBusyCursor();
  operation(true);
  EndBusyCursor(previous);
}

void OnRunAsService(HWND page) {
  StatusPageState* state = State(page);
  state->serviceActionInProgress = true;
  if (IsChecked(page, IDC_STATUS_RUN_AS_SERVICE)) {
    if (SaveBeforeService(page)) UnderBusyCursor(InstallServices);
  } else if (ShowMessage(page, "Are you sure?", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, "Remove Service") ==
             IDYES) {
    UnderBusyCursor(RemoveServices);
  }
  state->serviceActionInProgress = false;
}

void OnStart(HWND page) {
  if (!IsChecked(page, IDC_STATUS_RUN_AS_SERVICE)) return;
  if (SaveBeforeService(page)) UnderBusyCursor(StartServices);
}

void OnStop(HWND page) {
  if (IsChecked(page, IDC_STATUS_RUN_AS_SERVICE)) UnderBusyCursor(StopServices);
}

void OnViewLogFiles(HWND page) {
  char folder[MAX_PATH];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "LogDirectory", "", folder, sizeof folder);
  if (!folder[0]) GetProgramDataDirectory(folder);
  char file[261] = "";
  OPENFILENAMEA open = {};
  open.lStructSize = sizeof open;
  open.hwndOwner = page;
  open.lpstrFilter =
      "ZedSMS Log Files\0*.log\0SMS Out Log Files\0smsout*.log\0SMS In Files\0smsin*.log\0"
      "SMS Submit Log Files\0smsweb*.log\0MMSC Log Files\0mmsc*.log\0All Files\0*.*\0";
  open.nFilterIndex = 1;
  open.lpstrFile = file;
  open.nMaxFile = sizeof file;
  open.lpstrInitialDir = folder;
  open.Flags = OFN_FILEMUSTEXIST;
  if (GetOpenFileNameA(&open)) OpenInNotepad(file);
}

bool OnCommand(HWND page, int control) {
  switch (control) {
    case IDC_STATUS_RUN_AS_SERVICE: OnRunAsService(page); return true;
    case IDC_STATUS_START: OnStart(page); return true;
    case IDC_STATUS_STOP: OnStop(page); return true;
    case IDC_STATUS_SMS_QUEUE_VIEW: ShowOutboundSmsQueue(page); return true;
    case IDC_STATUS_MMS_QUEUE_VIEW: ShowOutboundMmsQueue(page); return true;
    case IDC_STATUS_SMS_RECEIVED_VIEW: ShowReceivedSms(page); return true;
    case IDC_STATUS_MMS_RECEIVED_VIEW: ShowReceivedMms(page); return true;
    case IDC_STATUS_VIEW_LOGS: OnViewLogFiles(page); return true;
    case IDC_STATUS_EVENT_LOG: ShowEventLogViewer(page); return true;
  }
  return false;
}

bool AlertOn(const StatusPageState* state, int control) {
  switch (control) {
    case IDC_STATUS_SMS_QUEUE_LABEL:
    case IDC_STATUS_SMS_QUEUE_COUNT: return state->smsQueueAlert;
    case IDC_STATUS_MMS_QUEUE_LABEL:
    case IDC_STATUS_MMS_QUEUE_COUNT: return state->mmsQueueAlert;
    case IDC_STATUS_INFO_TEXT: return state->infoAlert;
    case IDC_STATUS_SERVICE_TEXT: return state->statusAlert;
  }
  return false;
}

// Alert fields in pure red on the button face; everything else draws as usual.
INT_PTR OnStaticColour(HWND page, HDC dc, HWND control) {
  const StatusPageState* state = State(page);
  if (!state || !AlertOn(state, GetDlgCtrlID(control))) return FALSE;
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

INT_PTR CALLBACK StatusPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  StatusPageState* state = AttachedPageState<StatusPageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SetTimer(page, kRefreshTimer, kRefreshMs, nullptr);
      Refresh(page);
      return TRUE;
    case WM_DESTROY:
      KillTimer(page, kRefreshTimer);
      return FALSE;
    case WM_TIMER:
      if (wParam == kRefreshTimer) Refresh(page);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return OnStaticColour(page, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && OnCommand(page, LOWORD(wParam))) return TRUE;
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kStatusProtocol, state->sheet);
}
