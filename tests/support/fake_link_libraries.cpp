// Stand-ins for GPRSLINK.DLL and GWTLS.DLL used to test the run-time binding.
// FAKE_NO_REQUIRED leaves out one required entry point, FAKE_NO_OPTIONAL every
// optional one. Binding goes by name, so entry points no test calls take no
// arguments.
#include <windows.h>

#define EXPORT extern "C" __declspec(dllexport)

#ifdef FAKE_GPRSLINK
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
#endif

#ifdef FAKE_GWTLS
EXPORT void sslInitSession() {}
EXPORT void sslAcceptSession() {}
EXPORT void sslFreeSession() {}
EXPORT void sslSend() {}
EXPORT void sslRecv() {}
EXPORT void sslDataPending() {}
EXPORT BOOL sslInitLib() { return 5; }
#ifndef FAKE_NO_REQUIRED
EXPORT void sslTermLib() {}
#endif
EXPORT void sslServerCertExists() {}
EXPORT void sslSignedCertExists() {}
EXPORT void sslGenerateCertificate() {}
#endif
