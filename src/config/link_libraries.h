// The gateway libraries bound at run time, so the console still starts
// without them. Each is loaded once per process; a missing required entry
// point unloads the library and it counts as absent.
#pragma once
#include <windows.h>

#include <cstddef>

extern "C" {
typedef DWORD(__cdecl* ModemAllocateFn)(const char* modemName, DWORD waitLimit, DWORD* value);
typedef void(__cdecl* ModemReleaseFn)(DWORD allocation);
typedef void(__cdecl* RasLoadListOrComboBoxFn)(HWND dialog, int controlId, UINT addStringMessage);
typedef int(__cdecl* WSPRasDialFn)(const char* connection, const char* apn, const char* apnLogin,
                                   const char* apnPassword, const char* wapGateway);
typedef void(__cdecl* WSPRasHangUpFn)(const char* connection);
typedef WORD(__cdecl* ModemGetCIDForAPNFn)(const char* modemName, const char* apn, int flag);
typedef BOOL(__cdecl* ModemDriverUpdateInitStringsFn)(const char* modemName, const char* apn);
typedef void(__cdecl* WSPRasGetErrorStringFn)(DWORD error, char* buffer, DWORD room);

typedef DWORD_PTR TlsSession;
typedef BOOL(__cdecl* sslInitLibFn)();
typedef void(__cdecl* sslTermLibFn)();
// Sockets are passed as their handle value, so this header does not need winsock.
typedef TlsSession(__cdecl* sslInitSessionFn)(UINT_PTR socket, char* errorText);
// The same, sending the server's host name in the handshake (null for none).
typedef TlsSession(__cdecl* sslInitSessionForHostFn)(UINT_PTR socket, const char* serverName, char* errorText);
typedef TlsSession(__cdecl* sslAcceptSessionFn)(UINT_PTR socket, char* errorText);
typedef void(__cdecl* sslFreeSessionFn)(TlsSession session);
typedef int(__cdecl* sslSendFn)(TlsSession session, const char* data, int length);
typedef int(__cdecl* sslRecvFn)(TlsSession session, char* buffer, int capacity);
typedef int(__cdecl* sslDataPendingFn)(TlsSession session);
typedef BOOL(__cdecl* sslServerCertExistsFn)();
typedef BOOL(__cdecl* sslSignedCertExistsFn)();
typedef BOOL(__cdecl* sslGenerateCertificateFn)(const char* subject);
}

struct GprsLinkLibrary {
  HMODULE module;
  ModemAllocateFn ModemAllocate;
  ModemReleaseFn ModemRelease;
  RasLoadListOrComboBoxFn RasLoadListOrComboBox;
  WSPRasDialFn WSPRasDial;
  WSPRasHangUpFn WSPRasHangUp;
  // Required, but the console never calls them.
  FARPROC WSPConnect, WSPDisconnect, WSPRequest, ModemRequested, RasGetUserAndPassword,
      RasGetModemName;
  // Optional: null when the library lacks them.
  ModemGetCIDForAPNFn ModemGetCIDForAPN;
  ModemDriverUpdateInitStringsFn ModemDriverUpdateInitStrings;
  WSPRasGetErrorStringFn WSPRasGetErrorString;
  FARPROC ModemReset;
};

struct TlsLibrary {
  HMODULE module;
  sslInitSessionFn sslInitSession;
  sslAcceptSessionFn sslAcceptSession;
  sslFreeSessionFn sslFreeSession;
  sslSendFn sslSend;
  sslRecvFn sslRecv;
  sslDataPendingFn sslDataPending;
  sslInitLibFn sslInitLib;
  sslTermLibFn sslTermLib;
  sslServerCertExistsFn sslServerCertExists;
  sslSignedCertExistsFn sslSignedCertExists;
  sslGenerateCertificateFn sslGenerateCertificate;
  // Optional: null in a library from before it.
  sslInitSessionForHostFn sslInitSessionForHost;
};

// The bound library, or null when it is absent or incomplete. The first call
// decides for the whole process.
const GprsLinkLibrary* LoadGprsLinkLibrary();
const TlsLibrary* LoadTlsLibrary();

// One binding attempt of a library file, without the load-once rule.
bool BindGprsLinkLibrary(const char* fileName, GprsLinkLibrary* library);
bool BindTlsLibrary(const char* fileName, TlsLibrary* library);
