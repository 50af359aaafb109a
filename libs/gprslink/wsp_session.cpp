// WSP sessions through the WAP gateway (connect, request, disconnect). The
// session protocol itself (WSP over WTP on UDP) is the gateway service's work
// when it sends MMS; the console never opens a session, and this library does
// not carry that protocol. The entry points exist so the library is complete,
// and they fail cleanly: no session is opened and the last error says why.
#include "gprslink_exports.h"

GPRSLINK_API DWORD __cdecl WSPConnect(const char*) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return 0;
}

GPRSLINK_API void __cdecl WSPDisconnect(DWORD) {}

GPRSLINK_API int __cdecl WSPRequest(DWORD, const char*, const char*, const void*, DWORD, char* response,
                                    DWORD responseRoom) {
  if (response && responseRoom) response[0] = '\0';
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return -1;
}
