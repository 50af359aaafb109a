// Stand-ins for GPRSLINK.DLL used to test the run-time binding.
// FAKE_NO_REQUIRED leaves out one required entry point, FAKE_NO_OPTIONAL every
// optional one. Binding goes by name, so entry points no test calls take no
// arguments.
#include <windows.h>

#define EXPORT extern "C" __declspec(dllexport)

EXPORT DWORD ModemAllocate(const char*, DWORD, DWORD*) { return 7; }
EXPORT void ModemRelease() {}
EXPORT void RasLoadListOrComboBox() {}
EXPORT void WSPRasDial() {}
#ifndef FAKE_NO_REQUIRED
EXPORT void WSPRasHangUp() {}
#endif
EXPORT void WSPConnect() {}
EXPORT void WSPDisconnect() {}
EXPORT void WSPRequest() {}
EXPORT void ModemRequested() {}
EXPORT void RasGetUserAndPassword() {}
EXPORT void RasGetModemName() {}
#ifndef FAKE_NO_OPTIONAL
EXPORT WORD ModemGetCIDForAPN(const char*, const char*, int) { return 3; }
EXPORT void ModemDriverUpdateInitStrings() {}
EXPORT void WSPRasGetErrorString() {}
EXPORT void ModemReset() {}
#endif
