// The message boxes of opening a modem.
#pragma once
#include <windows.h>

void ShowTapiInitError(HWND owner, LONG error, UINT icon);
// The port and the system's text of the error; a port in use says so.
void ShowAccessError(const char* port, DWORD error);
// A failed telephony call, shown only when loud.
void ReportLineError(const char* call, LONG error, bool loud);
void ShowInitialisedRate(unsigned baud);
