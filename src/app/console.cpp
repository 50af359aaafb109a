#include "app/console.h"

#include <windows.h>
#include <winsock.h>

#include <cstdio>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/main_sheet.h"
#include "app/setup_wizard.h"
#include "app/sheet_context.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"
#include "modem/gprs_check.h"
#include "services/rights.h"
#include "services/service_control.h"
#include "resources/resource.h"

const char kProductCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
ConsoleState g_console;

namespace {

constexpr UINT kResultBoxFlags = MB_OK | MB_SETFOREGROUND;

void ShowResult(bool ok, const char* success, const char* failure) {
  if (g_console.quiet) return;
  if (ok)
    ShowMessage(nullptr, success, kResultBoxFlags | MB_ICONINFORMATION);
  else
    ShowMessage(nullptr, failure, kResultBoxFlags | MB_ICONERROR);
}

void DeletePrivateDataDirectory() {
  char privateDirectory[MAX_PATH];
  char programDirectory[MAX_PATH];
  GetPrivateDataDirectory(privateDirectory);
  GetRealProgramDirectory(programDirectory);
  if (EqualsNoCase(privateDirectory, programDirectory)) return;
  if (ShowMessage(nullptr, "Delete Configuration files for ZedSMS?",
                  MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES)
    DeleteDirectoryTree(privateDirectory);
}

void RefuseModemTestWithoutRights() {
  const char text[] = "Administrative rights are required for this test.";
  char modemTestIni[MAX_PATH];
  ProgramDataPath("MODEMTEST.INI", modemTestIni, sizeof modemTestIni);
  WritePrivateProfileStringA("ModemTest", "Result", text, modemTestIni);
  ShowMessage(nullptr, text, MB_OK | MB_ICONERROR);
}

// Acts on a switch that ends the process; false when there is none.
bool RunSwitchAction(SwitchAction action) {
  switch (action) {
    case SwitchAction::None:
      return false;
    case SwitchAction::StopService:
      StopServices(false);
      break;
    case SwitchAction::StartService:
      StartServices(false);
      break;
    case SwitchAction::RestartService:
      RestartServices(false);
      break;
    case SwitchAction::InstallService:
      ShowResult(InstallServices(false), "Service successfully installed!", "Service installation failed!");
      break;
    case SwitchAction::RemoveService:
      StopServices(false);
      ShowResult(RemoveServices(false), "Service successfully removed!", "Service removal failed!");
      break;
    case SwitchAction::DeleteDataDirectory:
      DeletePrivateDataDirectory();
      break;
    case SwitchAction::ModemTest:
      if (HasAdminRights())
        ModemConnectionTest();
      else
        RefuseModemTestWithoutRights();
      break;
  }
  return true;
}

void ReadCurrentModemName(SheetContext* sheet) {
  char modem[261];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "Modem1", "", modem, sizeof modem);
  CopyText(sheet->currentModemName, sizeof sheet->currentModemName, modem);
}

bool ModemConfigured() {
  char modem[261];
  return ReadIniText(g_configFiles.smsIni, "SMSGW", "Modem1", "", modem, sizeof modem) > 0;
}

void OfferServiceActivation() {
  if (!ModemConfigured() || (IsSmsServiceRunning() && IsMmsServiceRunning())) return;
  if (ShowMessage(nullptr, "Service is not active, do you wish to activate the service?",
                  MB_YESNO | MB_ICONQUESTION) == IDYES)
    InstallServices(true);
}

int RunWithWinsock(const char* commandLine) {
  PrepareConfigFiles();
  char programDirectory[MAX_PATH];
  GetRealProgramDirectory(programDirectory);
  FormatText(g_console.helpDocumentPath, sizeof g_console.helpDocumentPath, "%sZedSMS Lite.pdf",
             programDirectory);
  g_console.helpAvailable = IsPlainFile(g_console.helpDocumentPath);

  CommandLineSwitches switches = ParseCommandLine(commandLine);
  g_console.quiet = switches.quiet;
  if (RunSwitchAction(switches.action)) return 0;

  if (!LoadIconA(GetModuleHandleA(nullptr), "SMSGW"))
    ShowMessage(nullptr, "Error loading Icon", MB_OK, "Debug");
  SheetContext sheet;
  ReadCurrentModemName(&sheet);
  if (!sheet.currentModemName[0] || switches.wizard) {
    if (RunSetupWizard(&sheet) < 1) return 0;
    // What the wizard's pages hold was applied as the user went on.
    sheet.configDirty = false;
  }
  RunMainSheet(&sheet);
  OfferServiceActivation();
  return 0;
}

}  // namespace

void StopServicesForWizard() {
  if (!IsSmsServiceRunning() && !IsMmsServiceRunning()) return;
  HCURSOR previous = BeginBusyCursor();
  HWND wait = WaitDialog(nullptr);
  if (wait) {
    SetForegroundWindow(wait);
    SetWindowTextA(wait, "Please wait...");
    SetDlgItemTextA(wait, IDC_WAIT_TEXT, "Stopping Services...");
  }
  // No messages are dispatched while the services stop.
  StopServices(true);
  if (wait && IsWindow(wait)) DestroyWindow(wait);
  EndBusyCursor(previous);
}

int ConsoleMain(const char* commandLine) {
  WSADATA winsock;
  if (WSAStartup(MAKEWORD(1, 1), &winsock) != 0) {
    fputs("Error initializing Winsock\n", stdout);
    fflush(stdout);
    return -1;
  }
  g_console = ConsoleState{};
  int status = RunWithWinsock(commandLine);
  int cleanup = WSACleanup();
  return status != 0 ? status : cleanup;
}
