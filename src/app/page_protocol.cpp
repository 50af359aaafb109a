#include "app/page_protocol.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/app_state.h"
#include "common/ui_util.h"

namespace {

void SetResult(HWND page, LONG_PTR result) { SetWindowLongPtrA(page, DWLP_MSGRESULT, result); }

// True when the sheet must stay open.
bool KeepSheetOpen(HWND page, CancelRule rule) {
  if (rule == CancelRule::LetCancel) return false;
  bool changes = g_console.configDirty;
  if (!changes && rule == CancelRule::AskWhenDirtyOrSiblingsChanged) changes = SiblingsReportChanges(page);
  if (!changes) return false;
  return ShowMessage(page, "Exit without saving configuration changes?",
                     MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES;
}

bool HandleNotify(HWND page, const NMHDR* header, const PageProtocol& protocol) {
  switch (header->code) {
    case PSN_QUERYCANCEL:
      SetResult(page, KeepSheetOpen(page, protocol.cancel) ? TRUE : FALSE);
      return true;
    case PSN_HELP:
      OpenHelpDocument();
      return true;
    case PSN_APPLY:
      SetResult(page, PSNRET_NOERROR);
      return true;
    case PSN_KILLACTIVE:
    case PSN_SETACTIVE:
      SetResult(page, 0);
      return true;
  }
  return false;
}

}  // namespace

bool SiblingsReportChanges(HWND page) {
  return SendMessageA(GetParent(page), PSM_QUERYSIBLINGS, kUnsavedChangesQuery, 0) != 0;
}

bool HandlePageProtocol(HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                        const PageProtocol& protocol) {
  if (message == WM_NOTIFY) return HandleNotify(page, reinterpret_cast<NMHDR*>(lParam), protocol);
  if (message == PSM_QUERYSIBLINGS && protocol.answersUnsavedQuery && wParam == kUnsavedChangesQuery) {
    SetResult(page, g_console.configDirty ? 1 : 0);
    return true;
  }
  return false;
}
