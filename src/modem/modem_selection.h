// Choosing the gateway's modem: the Add Modem dialog and the wizard's Select
// Modem page. A modem is only taken once it has passed the modem test.
#pragma once
#include <windows.h>

constexpr size_t kModemChoiceCapacity = 500;

// Modal. On success (1) choice holds the modem name, followed by "\tPIN=" and
// the PIN when one was typed; on Cancel (0) it stays empty.
INT_PTR ShowAddModemDialog(HWND owner, char* choice);

// The wizard page of template DIALOG_WIZADDMODEM: Next tests the modem and
// stores it as Modem1 with its PIN.
INT_PTR CALLBACK SelectModemPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
