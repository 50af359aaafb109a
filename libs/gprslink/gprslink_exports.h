// The entry points of GPRSLINK.DLL, bound by name at run time. All are
// __cdecl with undecorated names; those the console calls carry the very
// signatures of its binding table (checked where they are defined).
#pragma once
#include <windows.h>

#define GPRSLINK_API extern "C" __declspec(dllexport)

// Modem hand-over with the gateway service. waitLimit is in milliseconds.
// *value: 1 when a running service let go of the modem, 0 when nobody held it.
GPRSLINK_API DWORD __cdecl ModemAllocate(const char* modemName, DWORD waitLimit, DWORD* value);
GPRSLINK_API void __cdecl ModemRelease(DWORD allocation);
// For the service: a program waits to borrow this modem.
GPRSLINK_API BOOL __cdecl ModemRequested(const char* modemName);

// Network connections and GPRS dialling.
GPRSLINK_API void __cdecl RasLoadListOrComboBox(HWND dialog, int controlId, UINT addStringMessage);
GPRSLINK_API int __cdecl WSPRasDial(const char* connection, const char* apn, const char* apnLogin,
                                    const char* apnPassword, const char* wapGateway);
GPRSLINK_API void __cdecl WSPRasHangUp(const char* connection);
GPRSLINK_API void __cdecl WSPRasGetErrorString(DWORD error, char* buffer, DWORD room);
GPRSLINK_API BOOL __cdecl RasGetUserAndPassword(const char* connection, char* user, DWORD userRoom, char* password,
                                                DWORD passwordRoom);
GPRSLINK_API BOOL __cdecl RasGetModemName(const char* connection, char* modemName, DWORD room);

// The modem's packet data contexts and its driver.
GPRSLINK_API WORD __cdecl ModemGetCIDForAPN(const char* modemName, const char* apn, int flag);
GPRSLINK_API BOOL __cdecl ModemDriverUpdateInitStrings(const char* modemName, const char* apn);
GPRSLINK_API BOOL __cdecl ModemReset(const char* modemName);

// WSP sessions through the WAP gateway: not carried by this library.
GPRSLINK_API DWORD __cdecl WSPConnect(const char* wapGateway);
GPRSLINK_API void __cdecl WSPDisconnect(DWORD session);
GPRSLINK_API int __cdecl WSPRequest(DWORD session, const char* method, const char* url, const void* body,
                                    DWORD bodyLength, char* response, DWORD responseRoom);
