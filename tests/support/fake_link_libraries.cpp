// Stand-ins for GPRSLINK.DLL and GWTLS.DLL used to test the run-time binding.
// FAKE_NO_REQUIRED leaves out one required entry point, FAKE_NO_OPTIONAL every
// optional one.
#include <windows.h>

#define EXPORT extern "C" __declspec(dllexport)

#ifdef FAKE_GPRSLINK
EXPORT DWORD ModemAllocate(const char*, DWORD, DWORD*) { return 7; }
EXPORT void ModemRelease(DWORD) {}
EXPORT void RasLoadListOrComboBox(HWND, int, UINT) {}
EXPORT int WSPRasDial(const char*, const char*, const char*, const char*, const char*) { return 0; }
#ifndef FAKE_NO_REQUIRED
EXPORT void WSPRasHangUp(const char*) {}
#endif
EXPORT void WSPConnect() {}
EXPORT void WSPDisconnect() {}
EXPORT void WSPRequest() {}
EXPORT void ModemRequested() {}
EXPORT void RasGetUserAndPassword() {}
EXPORT void RasGetModemName() {}
#ifndef FAKE_NO_OPTIONAL
EXPORT WORD ModemGetCIDForAPN(const char*, const char*, int) { return 3; }
EXPORT BOOL ModemDriverUpdateInitStrings(const char*, const char*) { return TRUE; }
EXPORT void WSPRasGetErrorString(DWORD, char* buffer, DWORD room) {
  if (room > 0) lstrcpynA(buffer, "fake error", room);
}
EXPORT void ModemReset() {}
#endif
#endif

#ifdef FAKE_GWTLS
EXPORT DWORD_PTR sslInitSession(UINT_PTR, char*) { return 1; }
EXPORT DWORD_PTR sslAcceptSession(UINT_PTR, char*) { return 1; }
EXPORT void sslFreeSession(DWORD_PTR) {}
EXPORT int sslSend(DWORD_PTR, const char*, int length) { return length; }
EXPORT int sslRecv(DWORD_PTR, char*, int) { return 0; }
EXPORT int sslDataPending(DWORD_PTR) { return 0; }
EXPORT BOOL sslInitLib() { return 5; }
#ifndef FAKE_NO_REQUIRED
EXPORT void sslTermLib() {}
#endif
EXPORT BOOL sslServerCertExists() { return FALSE; }
EXPORT BOOL sslSignedCertExists() { return FALSE; }
EXPORT BOOL sslGenerateCertificate(const char*) { return FALSE; }
#endif
