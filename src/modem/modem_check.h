// The test a modem must pass before it is taken: open it, unlock the SIM,
// bring it to full functionality, select the SMS service and start an SMS
// send. Every outcome is reported in a message box.
#pragma once
#include <windows.h>

bool TestModem(HWND owner, const char* modemName, const char* pin);
// True only when the modem was below full functionality and accepted being raised to it.
bool EnsureModemFunctional(HANDLE port);
// True when the modem names a network operator and its SMS storage answers.
bool WaitForNetworkReady(HANDLE port);
