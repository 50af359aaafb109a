#include "common/ui_util.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "app/app_state.h"
#include "common/file_viewer.h"
#include "common/text_util.h"

int ShowMessage(HWND owner, const char* text, UINT flags, const char* caption) {
  return MessageBoxA(owner, text, caption ? caption : kProductCaption, flags);
}

HCURSOR BeginBusyCursor() {
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  ShowCursor(TRUE);
  return previous;
}

void EndBusyCursor(HCURSOR previous) {
  ShowCursor(FALSE);
  SetCursor(previous);
}

bool SetDlgItemTextIfChanged(HWND dialog, int controlId, const char* text) {
  constexpr size_t kCompared = 500;
  char current[kCompared + 1];
  GetDlgItemTextA(dialog, controlId, current, sizeof current);
  char wanted[kCompared + 1];
  CopyText(wanted, sizeof wanted, text);
  if (EqualsNoCase(current, wanted)) return false;
  SetDlgItemTextA(dialog, controlId, text);
  return true;
}

void OpenHelpDocument() { OpenWithShell(nullptr, g_console.helpDocumentPath); }

static INT_PTR CALLBACK WaitDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
  }
  return FALSE;
}

HWND WaitDialog(HWND owner) {
  return CreateDialogA(GetModuleHandleA(nullptr), "WAITDLG", owner, WaitDialogProc);
}

LRESULT DialogCodeTakingEnter(HWND list, WPARAM wParam, LPARAM lParam) {
  const MSG* pending = reinterpret_cast<const MSG*>(lParam);
  LRESULT code = DefSubclassProc(list, WM_GETDLGCODE, wParam, lParam);
  if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
  return code;
}
