// Opening a modem's COM port by the modem's name, for the programs that work
// with the port directly rather than through the telephony API.
#pragma once
#include <windows.h>

// The name itself when it is a COM port ("COM5:"), else the port the modem's
// driver is attached to; opened for overlapped read and write, not shared.
// INVALID_HANDLE_VALUE when the modem has no known port or it cannot be opened.
HANDLE OpenModemComPort(const char* modemName);
