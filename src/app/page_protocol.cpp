#include "app/page_protocol.h"

#include <commctrl.h>
#include <prsht.h>

#include "common/ui_util.h"

namespace {

// True when the sheet must stay open.
bool KeepSheetOpen(HWND page, CancelRule rule, const SheetContext* sheet) {
  if (rule == CancelRule::LetCancel) return false;
  bool changes = sheet && sheet->configDirty;
  if (!changes && rule == CancelRule::AskWhenDirtyOrSiblingsChanged) changes = SiblingsReportChanges(page);
  if (!changes) return false;
  return ShowMessage(page, "Exit without saving configuration changes?",
                     MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES;
}

bool HandleNotify(HWND page, const NMHDR* header, const PageProtocol& protocol, const SheetContext* sheet) {
  switch (header->code) {
    case PSN_QUERYCANCEL:
      SetDialogResult(page, KeepSheetOpen(page, protocol.cancel, sheet) ? TRUE : FALSE);
      return true;
    case PSN_HELP:
      OpenHelpDocument();
      return true;
    case PSN_APPLY:
      SetDialogResult(page, PSNRET_NOERROR);
      return true;
    case PSN_KILLACTIVE:
    case PSN_SETACTIVE:
      SetDialogResult(page, 0);
      return true;
  }
  return false;
}

}  // namespace

void MarkPageChanged(HWND page, SheetContext* sheet) {
  PropSheet_Changed(GetParent(page), page);
  if (sheet) sheet->configDirty = true;
}

bool SiblingsReportChanges(HWND page) {
  return SendMessageA(GetParent(page), PSM_QUERYSIBLINGS, kUnsavedChangesQuery, 0) != 0;
}

bool HandlePageProtocol(HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                        const PageProtocol& protocol, SheetContext* sheet) {
  if (message == WM_NOTIFY) return HandleNotify(page, reinterpret_cast<NMHDR*>(lParam), protocol, sheet);
  if (message == PSM_QUERYSIBLINGS && protocol.answersUnsavedQuery && wParam == kUnsavedChangesQuery) {
    SetDialogResult(page, sheet && sheet->configDirty ? 1 : 0);
    return true;
  }
  return false;
}
