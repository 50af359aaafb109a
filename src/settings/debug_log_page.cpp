#include "settings/debug_log_page.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/app_state.h"
#include "app/page_protocol.h"
#include "common/file_util.h"
#include "common/file_viewer.h"
#include "config/config_files.h"
#include "resources/page_ids.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 5000;

struct DebugSwitch {
  int checkBox;
  int viewButton;
  const char* iniFile;
  const char* section;
  const char* logFile;
};

const DebugSwitch kSwitches[] = {
    {IDC_DEBUGLOG_SMSGW, IDC_DEBUGLOG_VIEW_SMSGW, "SMSGW.INI", "SMSGW", "SMSDEBUG.LOG"},
    {IDC_DEBUGLOG_MMSC, IDC_DEBUGLOG_VIEW_MMSC, "MMSC.INI", "MMSC", "MMSCDEBUG.LOG"},
    {IDC_DEBUGLOG_MMSWAP, IDC_DEBUGLOG_VIEW_MMSWAP, "MMSWAP.INI", "MMSWAP", "MMSWAPDEBUG.LOG"},
};

const PageProtocol kDebugLogProtocol = {CancelRule::AskWhenDirtyOrSiblingsChanged, true};

void DataFile(const char* name, char* path) { ProgramDataPath(name, path, MAX_PATH); }

void LoadSwitches(HWND page) {
  for (const DebugSwitch& s : kSwitches) {
    char ini[MAX_PATH];
    DataFile(s.iniFile, ini);
    CheckDlgButton(page, s.checkBox, ReadIniSwitch(ini, s.section, "Debug", "") ? BST_CHECKED : BST_UNCHECKED);
  }
}

// A log can only be viewed once its component has written it.
void RefreshViewButtons(HWND page) {
  for (const DebugSwitch& s : kSwitches) {
    char log[MAX_PATH];
    DataFile(s.logFile, log);
    EnableWindow(GetDlgItem(page, s.viewButton), IsPlainFile(log));
  }
}

void ApplySwitches(HWND page) {
  for (const DebugSwitch& s : kSwitches) {
    char ini[MAX_PATH];
    DataFile(s.iniFile, ini);
    WriteIniYesOrRemove(ini, s.section, "Debug", IsDlgButtonChecked(page, s.checkBox) == BST_CHECKED);
  }
}

bool HandleCommand(HWND page, int control) {
  for (const DebugSwitch& s : kSwitches) {
    if (control == s.checkBox) {
      PropSheet_Changed(GetParent(page), page);
      g_console.configDirty = true;
      return true;
    }
    if (control == s.viewButton) {
      char log[MAX_PATH];
      DataFile(s.logFile, log);
      OpenInNotepad(log);
      return true;
    }
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK DebugLogPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      LoadSwitches(page);
      SetTimer(page, kRefreshTimer, kRefreshMs, nullptr);
      RefreshViewButtons(page);
      return TRUE;
    case WM_TIMER:
      if (wParam == kRefreshTimer) RefreshViewButtons(page);
      return TRUE;
    case WM_DESTROY:
      KillTimer(page, kRefreshTimer);
      return FALSE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && HandleCommand(page, LOWORD(wParam))) return TRUE;
      break;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY) {
        ApplySwitches(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
      }
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kDebugLogProtocol);
}
