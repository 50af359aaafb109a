// User-interface helpers shared by the pages and dialogs.
#pragma once
#include <windows.h>

// The small reads and writes of dialog items every page makes.
inline bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline void CheckItem(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
inline void EnableItem(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on); }
// The answer to a notification, which a dialog procedure cannot return itself.
inline void SetDialogResult(HWND dialog, LONG_PTR result) { SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result); }

// A message box titled with the product caption unless another title is given.
int ShowMessage(HWND owner, const char* text, UINT flags, const char* caption = nullptr);

// Hourglass on; returns the cursor to give back to EndBusyCursor.
HCURSOR BeginBusyCursor();
void EndBusyCursor(HCURSOR previous);

// Replaces a control's text only when it differs (case-insensitively, over at
// most 500 characters), so that polled fields do not flicker. True when changed.
bool SetDlgItemTextIfChanged(HWND dialog, int controlId, const char* text);

// Opens the help document with the shell.
void OpenHelpDocument();

// The modeless "WAITDLG" dialog; the caller destroys it.
HWND WaitDialog(HWND owner);

// For WM_GETDLGCODE in a subclassed list: its own code plus the Enter key,
// which the dialog would otherwise turn into a press of its default button.
LRESULT DialogCodeTakingEnter(HWND list, WPARAM wParam, LPARAM lParam);
