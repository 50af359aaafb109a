// The GPRS connection test of the Modem page's MMS settings. Dialling needs
// administrator rights, so the page starts a second copy of the console with
// "/MODEMTEST"; the two meet in MODEMTEST.INI of the program data directory:
// the page writes the parameters, the copy writes the Result.
#pragma once
#include <windows.h>

// The page side, from the Modem page: validates the settings, runs the copy
// (with Retry while it fails) and always removes MODEMTEST.INI again. True
// when the settings passed.
bool TestGprsConnection(HWND page);

// The elevated side: borrows the modem, dials, hangs up and writes Result.
void ModemConnectionTest();
