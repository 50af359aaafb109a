#include "settings/debug_log_page.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/file_util.h"
#include "common/file_viewer.h"
#include "common/ui_util.h"
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

struct DebugLogPageState {
  SheetContext* sheet;
};

void DataFile(const char* name, char* path) { ProgramDataPath(name, path, MAX_PATH); }

void LoadSwitches(HWND page) {
  for (const DebugSwitch& s : kSwitches) {
    char ini[MAX_PATH];
    DataFile(s.iniFile, ini);
    CheckItem(page, s.checkBox, ReadIniSwitch(ini, s.section, "Debug", ""));
  }
}

// A log can only be viewed once its component has written it.
void RefreshViewButtons(HWND page) {
  for (const DebugSwitch& s : kSwitches) {
    char log[MAX_PATH];
    DataFile(s.logFile, log);
    EnableItem(page, s.viewButton, IsPlainFile(log));
  }
}

void ApplySwitches(HWND page) {
  for (const DebugSwitch& s : kSwitches) {
    char ini[MAX_PATH];
    DataFile(s.iniFile, ini);
    WriteIniYesOrRemove(ini, s.section, "Debug", IsChecked(page, s.checkBox));
  }
}

bool HandleCommand(HWND page, SheetContext* sheet, int control) {
  for (const DebugSwitch& s : kSwitches) {
    if (control == s.checkBox) {
      MarkPageChanged(page, sheet);
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
  DebugLogPageState* state = AttachedPageState<DebugLogPageState>(page, message, lParam);
  if (!state) return FALSE;
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
      if (HIWORD(wParam) == BN_CLICKED && HandleCommand(page, state->sheet, LOWORD(wParam))) return TRUE;
      break;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY) {
        ApplySwitches(page);
        SetDialogResult(page, PSNRET_NOERROR);
        return TRUE;
      }
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kDebugLogProtocol, state->sheet);
}
