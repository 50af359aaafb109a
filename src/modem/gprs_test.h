// The GPRS connection test of the Modem page's MMS settings. Dialling needs
// administrator rights, so the page starts a second copy of the console with
// "/MODEMTEST"; the two meet in MODEMTEST.INI of the program data directory:
// the page writes the parameters, the copy writes the Result.
#pragma once
#include <windows.h>

// The MMS settings on the Modem page have passed the test, or the user chose
// to save them untested. True at start; cleared when a tested setting changes.
extern bool g_mmsSettingsTested;

// The page side, from the Modem page: validates the settings, runs the copy
// (with Retry while it fails) and always removes MODEMTEST.INI again.
void TestGprsConnection(HWND page);

// The elevated side: borrows the modem, dials, hangs up and writes Result.
void ModemConnectionTest();
