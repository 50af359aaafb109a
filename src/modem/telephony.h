// The Telephony API, bound at run time through a table: the test system has
// no line devices, so tests install a provider of their own.
#pragma once
#include <windows.h>
#include <tapi.h>

struct TelephonyTable {
  LONG(WINAPI* lineInitializeExA)(LPHLINEAPP, HINSTANCE, LINECALLBACK, LPCSTR, LPDWORD, LPDWORD,
                                  LPLINEINITIALIZEEXPARAMS);
  LONG(WINAPI* lineNegotiateAPIVersion)(HLINEAPP, DWORD, DWORD, DWORD, LPDWORD, LPLINEEXTENSIONID);
  LONG(WINAPI* lineGetDevCapsA)(HLINEAPP, DWORD, DWORD, DWORD, LPLINEDEVCAPS);
  LONG(WINAPI* lineOpenA)(HLINEAPP, DWORD, LPHLINE, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, LPLINECALLPARAMS);
  LONG(WINAPI* lineGetIDA)(HLINE, DWORD, HCALL, DWORD, LPVARSTRING, LPCSTR);
  LONG(WINAPI* lineMakeCallA)(HLINE, LPHCALL, LPCSTR, DWORD, LPLINECALLPARAMS);
  LONG(WINAPI* lineClose)(HLINE);
  LONG(WINAPI* lineShutdown)(HLINEAPP);
};

// The table in force: the system's tapi32.dll unless a test swapped it.
TelephonyTable& Telephony();
const TelephonyTable& SystemTelephony();
