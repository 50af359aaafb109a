#include "services/service_control.h"

#include <windows.h>

#include <cstring>

#include "common/file_util.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "services/rights.h"
#include "services/status_block.h"

const GatewayService kSmsService = {"ZedSMS", "Zed SMS Gateway Lite Edition", "SMSGWSVC.EXE",
                                    "SMSGWSRV.EXE"};
const GatewayService kMmsService = {"ZedMMSC", "Zed MMS Gateway Lite Edition", "MMSCSVC.EXE",
                                    "MMSCSRV.EXE"};

namespace {

constexpr int kMaxPolls = 120;
constexpr DWORD kPollMs = 1000;
constexpr DWORD kRestartPauseMs = 2000;

const char kControlRightsMessage[] =
    "Administrator rights are required for service installation or modification.";

bool QueryServiceOpens(const GatewayService& service, SERVICE_STATUS* status) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  if (!manager) return false;
  SC_HANDLE handle = OpenServiceA(manager, service.name, SERVICE_QUERY_STATUS);
  bool ok = handle != nullptr;
  if (ok && status) ok = QueryServiceStatus(handle, status) != 0;
  if (handle) CloseServiceHandle(handle);
  CloseServiceHandle(manager);
  return ok;
}

bool IsInstalled(const GatewayService& service) { return QueryServiceOpens(service, nullptr); }

bool CountsAsRunning(DWORD state) {
  return state == SERVICE_RUNNING || state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
}

bool IsRunning(const GatewayService& service) {
  SERVICE_STATUS status = {};
  return QueryServiceOpens(service, &status) && CountsAsRunning(status.dwCurrentState);
}

ServiceState QueryState(SC_HANDLE manager, const GatewayService& service) {
  ServiceState state = {};
  SC_HANDLE handle = OpenServiceA(manager, service.name, SERVICE_QUERY_STATUS);
  if (!handle) return state;
  SERVICE_STATUS status = {};
  state.installed = QueryServiceStatus(handle, &status) != 0;
  state.running = state.installed && CountsAsRunning(status.dwCurrentState);
  CloseServiceHandle(handle);
  return state;
}

void SendStop(SC_HANDLE service) {
  SERVICE_STATUS status;
  ControlService(service, SERVICE_CONTROL_STOP, &status);
}

// Quotes a path holding a space, so that no other program can run in its place.
void QuoteIfSpaced(const char* path, char* buffer, size_t cap) {
  if (strchr(path, ' '))
    FormatText(buffer, cap, "\"%s\"", path);
  else
    CopyText(buffer, cap, path);
}

// Starts FWRULE.EXE, when it is there, to let the service's server program through.
void AddFirewallRule(const GatewayService& service) {
  char directory[MAX_PATH];
  ConsoleDirectory(directory);
  char helper[MAX_PATH];
  FormatText(helper, sizeof helper, "%sFWRULE.EXE", directory);
  if (!IsPlainFile(helper)) return;
  char quotedHelper[MAX_PATH + 2];
  QuoteIfSpaced(helper, quotedHelper, sizeof quotedHelper);
  char commandLine[3 * MAX_PATH + 100];
  FormatText(commandLine, sizeof commandLine, "%s \"%s%s\" \"%s\"", quotedHelper, directory,
             service.firewallProgram, service.displayName);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                     nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

// Creates the service, or re-configures it when it exists, and starts it.
bool RegisterAndStart(SC_HANDLE manager, const GatewayService& service) {
  AddFirewallRule(service);
  char binaryPath[MAX_PATH + 2];
  ServiceBinaryPath(service.executable, binaryPath);
  SC_HANDLE handle = OpenServiceA(manager, service.name, SERVICE_ALL_ACCESS);
  if (handle) {
    ChangeServiceConfigA(handle, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                         binaryPath, "", nullptr, nullptr, nullptr, nullptr, service.displayName);
  } else {
    handle = CreateServiceA(manager, service.name, service.displayName, SERVICE_ALL_ACCESS,
                            SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                            binaryPath, "", nullptr, nullptr, nullptr, nullptr);
    if (!handle) {
      char message[200];
      FormatText(message, sizeof message,
                 "CreateService Failed, %lu\r\nAdministrator rights are required for service "
                 "installation.",
                 GetLastError());
      ShowMessage(nullptr, message, MB_OK | MB_SETFOREGROUND);
      return false;
    }
  }
  StartServiceA(handle, 0, nullptr);
  CloseServiceHandle(handle);
  return true;
}

// Sends the stop control and waits, bounded, for the service to end; the SMS
// service is also asked through its status block. Then deletes it. A service
// still starting refuses the control, so it is sent again on every poll.
bool StopAndDelete(SC_HANDLE manager, const GatewayService& service, bool useStopRequest) {
  SC_HANDLE handle = OpenServiceA(manager, service.name, SERVICE_ALL_ACCESS);
  if (!handle) return false;
  SendStop(handle);
  for (int polls = 0; IsRunning(service) && polls < kMaxPolls; ++polls) {
    if (useStopRequest) RequestSmsServiceStop();
    Sleep(kPollMs);
    SendStop(handle);
  }
  DeleteService(handle);
  CloseServiceHandle(handle);
  return true;
}

void ReportControlRights(bool interactive, const char* switchText) {
  if (!RelaunchElevated(interactive, switchText))
    ShowMessage(nullptr, kControlRightsMessage, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

// Opens the service with full access and applies the action; false when it cannot be opened.
template <typename Action>
bool WithService(SC_HANDLE manager, const GatewayService& service, Action action) {
  if (!manager) return false;
  SC_HANDLE handle = OpenServiceA(manager, service.name, SERVICE_ALL_ACCESS);
  if (!handle) return false;
  action(handle);
  CloseServiceHandle(handle);
  return true;
}

void StartOne(SC_HANDLE handle) {
  if (StartServiceA(handle, 0, nullptr)) return;
  DWORD error = GetLastError();
  if (error == ERROR_SERVICE_ALREADY_RUNNING) return;
  char message[64];
  FormatText(message, sizeof message, "Error %lu starting service", error);
  ShowMessage(nullptr, message, MB_OK | MB_ICONERROR);
}

}  // namespace

void ConsoleDirectory(char* buffer) {
  DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    buffer[0] = '\0';
    return;
  }
  char* lastSeparator = strrchr(buffer, '\\');
  if (lastSeparator) lastSeparator[1] = '\0';
}

void ServiceBinaryPath(const char* executable, char* buffer) {
  char longPath[MAX_PATH];
  ConsoleDirectory(longPath);
  AppendText(longPath, sizeof longPath, executable);
  char shortPath[MAX_PATH];
  DWORD n = GetShortPathNameA(longPath, shortPath, sizeof shortPath);
  QuoteIfSpaced(n > 0 && n < sizeof shortPath ? shortPath : longPath, buffer, MAX_PATH + 2);
}

ServiceManagerLink::~ServiceManagerLink() {
  if (manager_) CloseServiceHandle(manager_);
}

void ServiceManagerLink::Query(ServiceState* sms, ServiceState* mms) {
  *sms = ServiceState{};
  *mms = ServiceState{};
  if (!manager_) manager_ = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  if (!manager_) return;
  *sms = QueryState(manager_, kSmsService);
  *mms = QueryState(manager_, kMmsService);
}

bool IsSmsServiceInstalled() { return IsInstalled(kSmsService); }
bool IsMmsServiceInstalled() { return IsInstalled(kMmsService); }
bool IsSmsServiceRunning() { return IsRunning(kSmsService); }
bool IsMmsServiceRunning() { return IsRunning(kMmsService); }

bool InstallServices(bool interactive) {
  SC_HANDLE manager = Rights().openServiceManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    if (!Rights().isNtFamily()) {
      ShowMessage(nullptr,
                  "This product requires Windows 2000, XP, 2003, Vista or NT.\r\n"
                  "(Windows 95, 98 and ME are not supported.)",
                  MB_OK | MB_SETFOREGROUND);
      return false;
    }
    if (RelaunchElevated(interactive, "/INSTALLSERVICE"))
      return IsSmsServiceInstalled() && IsMmsServiceInstalled();
    ShowMessage(nullptr, "Administrator rights are required for service installation.",
                MB_OK | MB_SETFOREGROUND);
    return false;
  }
  bool ok = RegisterAndStart(manager, kSmsService) && RegisterAndStart(manager, kMmsService);
  CloseServiceHandle(manager);
  return ok;
}

bool RemoveServices(bool interactive) {
  if (!IsSmsServiceInstalled()) return true;
  bool result = false;
  bool missingRights = false;
  SC_HANDLE manager = Rights().openServiceManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    missingRights = true;
  } else {
    if (StopAndDelete(manager, kSmsService, true))
      result = true;
    else
      missingRights = true;
    if (StopAndDelete(manager, kMmsService, false))
      result = true;
    else
      missingRights = true;
    CloseServiceHandle(manager);
  }
  if (!missingRights) return result;
  if (RelaunchElevated(interactive, "/REMOVESERVICE"))
    return !IsSmsServiceInstalled() && !IsMmsServiceInstalled();
  ShowMessage(nullptr, "Administrator rights are required for service modification.",
              MB_OK | MB_SETFOREGROUND);
  return result;
}

void StopServices(bool interactive) {
  SC_HANDLE manager = Rights().openServiceManager(SC_MANAGER_ALL_ACCESS);
  bool smsOpened = WithService(manager, kSmsService, [](SC_HANDLE handle) {
    SendStop(handle);
    RequestSmsServiceStop();
  });
  bool mmsOpened = WithService(manager, kMmsService, SendStop);
  if (manager) CloseServiceHandle(manager);
  if (!smsOpened || !mmsOpened) {
    ReportControlRights(interactive, "/STOPSERVICE");
    return;
  }
  for (int polls = 0; (IsSmsServiceRunning() || IsMmsServiceRunning()) && polls < kMaxPolls; ++polls) {
    RequestSmsServiceStop();
    Sleep(kPollMs);
  }
}

void StartServices(bool interactive) {
  SC_HANDLE manager = Rights().openServiceManager(SC_MANAGER_ALL_ACCESS);
  bool smsOpened = WithService(manager, kSmsService, StartOne);
  bool mmsOpened = WithService(manager, kMmsService, StartOne);
  if (manager) CloseServiceHandle(manager);
  if (!smsOpened || !mmsOpened) {
    ReportControlRights(interactive, "/STARTSERVICE");
    return;
  }
  for (int polls = 0; !IsSmsServiceRunning() && polls < kMaxPolls; ++polls) Sleep(kPollMs);
}

void RestartServices(bool interactive) {
  SC_HANDLE manager = Rights().openServiceManager(SC_MANAGER_ALL_ACCESS);
  bool rights = WithService(manager, kSmsService, [](SC_HANDLE) {});
  if (manager) CloseServiceHandle(manager);
  if (!rights) {
    ReportControlRights(interactive, "/RESTARTSERVICE");
    return;
  }
  HCURSOR previous = BeginBusyCursor();
  StopServices(interactive);
  Sleep(kRestartPauseMs);
  StartServices(interactive);
  EndBusyCursor(previous);
}
