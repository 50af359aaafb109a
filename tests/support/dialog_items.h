// Reading and pressing a dialog's controls from a test, by control id.
#pragma once
#include <windows.h>

#include <string>

// The control's whole text, however long.
std::string Text(HWND dialog, int id);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
// Presses a button as a click does; returns once the dialog has handled it.
void Click(HWND dialog, int id);
// OK pressed and handled; Cancel posted, so a dialog that closes need not
// return first.
void Ok(HWND dialog);
void Cancel(HWND dialog);
// The window with the keyboard focus in the window's thread.
HWND FocusOf(HWND window);
