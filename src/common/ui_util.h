// User-interface helpers shared by the pages and dialogs.
#pragma once
#include <windows.h>

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
