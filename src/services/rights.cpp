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

HANDLE RunOwnExecutableElevated(const char* parameters) {
  char executable[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, executable, sizeof executable);
  if (n == 0 || n >= sizeof executable) return nullptr;
  return ShellRunAs(executable, parameters);
}

const RightsTable kSystemRights = {OpenServiceManagerWith, SystemIsNtFamily, SystemIsVistaOrLater,
                                   RunOwnExecutableElevated};
RightsTable g_rights = kSystemRights;

const char kElevationQuestion[] =
    "Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to "
    "assume administrator rights to perform this task.\r\n\r\nDo you wish to continue?";

constexpr DWORD kElevatedWaitMs = 60000;

}  // namespace

RightsTable& Rights() { return g_rights; }
const RightsTable& SystemRights() { return kSystemRights; }

HANDLE ShellRunAs(const char* executable, const char* parameters) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = "runas";
  info.lpFile = executable;
  info.lpParameters = parameters;
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info)) return nullptr;
  return info.hProcess;
}

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
