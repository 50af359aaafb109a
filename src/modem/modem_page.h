// The Modem page (DIALOG_MODEM) of the main sheet and of the setup wizard:
// the gateway's modem, its SMS settings and the MMS settings for sending over
// the modem's GPRS connection.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ModemPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// "Please select a modem", then the Add Modem dialog is opened.
void AskForModem(HWND page);
// True when MMS go over another network connection than the page's modem;
// entry then holds that connection's list entry.
bool OtherConnectionChosen(HWND page, char* entry, size_t cap);
