#include "services/rights.h"

#include <shellapi.h>

#include "common/ui_util.h"

namespace {

SC_HANDLE OpenServiceManagerWith(DWORD access) { return OpenSCManagerA(nullptr, nullptr, access); }

OSVERSIONINFOA SystemVersion() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return version;
}

bool SystemIsNtFamily() { return SystemVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

bool SystemIsVistaOrLater() {
  OSVERSIONINFOA version = SystemVersion();
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
}

HANDLE ShellRun(const char* verb, const char* executable, const char* parameters) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = verb;
  info.lpFile = executable;
  info.lpParameters = parameters;
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info)) return nullptr;
  return info.hProcess;
}

HANDLE RunOwnExecutable(const char* verb, const char* parameters) {
  char executable[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, executable, sizeof executable);
  if (n == 0 || n >= sizeof executable) return nullptr;
  return ShellRun(verb, executable, parameters);
}

HANDLE RunOwnExecutableElevated(const char* parameters) { return RunOwnExecutable("runas", parameters); }
HANDLE RunOwnExecutablePlain(const char* parameters) { return RunOwnExecutable(nullptr, parameters); }

void RestartSystemNow() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }
  ExitWindowsEx(EWX_REBOOT, 0);
}

const RightsTable kSystemRights = {OpenServiceManagerWith, SystemIsNtFamily, SystemIsVistaOrLater,
                                   RunOwnExecutableElevated, RunOwnExecutablePlain, RestartSystemNow};
RightsTable g_rights = kSystemRights;

const char kElevationQuestion[] =
    "Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to "
    "assume administrator rights to perform this task.\r\n\r\nDo you wish to continue?";

constexpr DWORD kElevatedWaitMs = 60000;

}  // namespace

RightsTable& Rights() { return g_rights; }
const RightsTable& SystemRights() { return kSystemRights; }

HANDLE ShellRunAs(const char* executable, const char* parameters) { return ShellRun("runas", executable, parameters); }

bool HasAdminRights() {
  SC_HANDLE manager = Rights().openServiceManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) return false;
  CloseServiceHandle(manager);
  return true;
}

bool IsVistaOrLater() { return Rights().isVistaOrLater(); }

bool ConfirmElevation() {
  return ShowMessage(nullptr, kElevationQuestion, MB_YESNOCANCEL | MB_TASKMODAL | MB_SETFOREGROUND) ==
         IDYES;
}

bool RelaunchElevated(bool interactive, const char* switchText) {
  if (!interactive || !IsVistaOrLater() || !ConfirmElevation()) return false;
  HANDLE process = Rights().runElevated(switchText);
  if (process) {
    WaitForSingleObject(process, kElevatedWaitMs);
    CloseHandle(process);
  }
  return true;
}
