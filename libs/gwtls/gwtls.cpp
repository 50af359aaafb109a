// GWTLS.DLL: TLS over the caller's connected, blocking sockets through
// Windows Schannel. A session handle is the address of a live session; the
// library keeps a list of them, so a stale or foreign handle is refused
// instead of followed. One session is used by one thread at a time.
#include "tls_certificate.h"
#include "tls_session.h"

#include <type_traits>

#include "config/link_libraries.h"

namespace {

// The console hands over a 1024-character buffer for the error text.
constexpr size_t kErrorTextCapacity = 1024;

CRITICAL_SECTION gLock;            // the session list and the start-up count
CRITICAL_SECTION gGenerationLock;  // one certificate generation at a time
LONG gInitCount;
TlsConnection* gSessions;

class Locked {
 public:
  explicit Locked(CRITICAL_SECTION* section = &gLock) : section_(section) { EnterCriticalSection(section_); }
  ~Locked() { LeaveCriticalSection(section_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

bool IsInitialised() {
  Locked lock;
  return gInitCount > 0;
}

TlsSession Register(TlsConnection* c) {
  if (!c) return 0;
  Locked lock;
  c->next = gSessions;
  gSessions = c;
  return reinterpret_cast<TlsSession>(c);
}

TlsConnection* Find(TlsSession session) {
  Locked lock;
  for (TlsConnection* c = gSessions; c; c = c->next)
    if (reinterpret_cast<TlsSession>(c) == session) return c;
  WSASetLastError(WSA_INVALID_HANDLE);
  return nullptr;
}

TlsConnection* Unregister(TlsSession session) {
  Locked lock;
  for (TlsConnection** link = &gSessions; *link; link = &(*link)->next) {
    TlsConnection* c = *link;
    if (reinterpret_cast<TlsSession>(c) == session) {
      *link = c->next;
      return c;
    }
  }
  return nullptr;
}

ErrorText StartErrorText(char* errorText) {
  if (errorText) errorText[0] = '\0';
  return ErrorText{errorText, kErrorTextCapacity};
}

const char kNotInitialised[] = "The TLS library is not initialised (sslInitLib was not called).";

}  // namespace

extern "C" {

BOOL __cdecl sslInitLib() {
  Locked lock;
  if (gInitCount == 0) {
    // Sockets come from the caller, but the library counts its own start-up
    // so that it can be used before (and after) the caller's.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return FALSE;
    PSecPkgInfoA package = nullptr;
    if (QuerySecurityPackageInfoA(const_cast<char*>(UNISP_NAME_A), &package) != SEC_E_OK) {
      WSACleanup();
      return FALSE;
    }
    FreeContextBuffer(package);
  }
  ++gInitCount;
  return TRUE;
}

void __cdecl sslTermLib() {
  TlsConnection* leftovers = nullptr;
  {
    Locked lock;
    if (gInitCount == 0 || --gInitCount > 0) return;
    leftovers = gSessions;
    gSessions = nullptr;
  }
  // Sessions the caller forgot are closed with the library.
  while (leftovers) {
    TlsConnection* next = leftovers->next;
    CloseTls(leftovers);
    leftovers = next;
  }
  WSACleanup();
}

TlsSession __cdecl sslInitSessionForHost(UINT_PTR socket, const char* serverName, char* errorText) {
  ErrorText error = StartErrorText(errorText);
  if (!IsInitialised()) {
    SetErrorText(&error, kNotInitialised);
    return 0;
  }
  return Register(ConnectTls(static_cast<SOCKET>(socket), serverName, &error));
}

TlsSession __cdecl sslInitSession(UINT_PTR socket, char* errorText) {
  return sslInitSessionForHost(socket, nullptr, errorText);
}

TlsSession __cdecl sslAcceptSession(UINT_PTR socket, char* errorText) {
  ErrorText error = StartErrorText(errorText);
  if (!IsInitialised()) {
    SetErrorText(&error, kNotInitialised);
    return 0;
  }
  PCCERT_CONTEXT certificate = FindServerCertificate(&error);
  if (!certificate) return 0;
  TlsSession session = Register(AcceptTls(static_cast<SOCKET>(socket), certificate, &error));
  CertFreeCertificateContext(certificate);
  return session;
}

void __cdecl sslFreeSession(TlsSession session) {
  TlsConnection* c = Unregister(session);
  if (c) CloseTls(c);
}

int __cdecl sslSend(TlsSession session, const char* data, int length) {
  TlsConnection* c = Find(session);
  return c ? SendTls(c, data, length) : SOCKET_ERROR;
}

int __cdecl sslRecv(TlsSession session, char* buffer, int capacity) {
  TlsConnection* c = Find(session);
  return c ? ReceiveTls(c, buffer, capacity) : SOCKET_ERROR;
}

int __cdecl sslDataPending(TlsSession session) {
  TlsConnection* c = Find(session);
  return c ? PendingTls(c) : 0;
}

BOOL __cdecl sslServerCertExists() { return ServerCertificateExists(false); }

BOOL __cdecl sslSignedCertExists() { return ServerCertificateExists(true); }

BOOL __cdecl sslGenerateCertificate(const char* subject) {
  Locked lock(&gGenerationLock);  // each generation replaces the one before
  return GenerateServerCertificate(subject);
}

}  // extern "C"

// The console's bindings and these definitions must agree exactly.
static_assert(std::is_same_v<decltype(&sslInitLib), sslInitLibFn>);
static_assert(std::is_same_v<decltype(&sslTermLib), sslTermLibFn>);
static_assert(std::is_same_v<decltype(&sslInitSession), sslInitSessionFn>);
static_assert(std::is_same_v<decltype(&sslAcceptSession), sslAcceptSessionFn>);
static_assert(std::is_same_v<decltype(&sslFreeSession), sslFreeSessionFn>);
static_assert(std::is_same_v<decltype(&sslSend), sslSendFn>);
static_assert(std::is_same_v<decltype(&sslRecv), sslRecvFn>);
static_assert(std::is_same_v<decltype(&sslDataPending), sslDataPendingFn>);
static_assert(std::is_same_v<decltype(&sslServerCertExists), sslServerCertExistsFn>);
static_assert(std::is_same_v<decltype(&sslSignedCertExists), sslSignedCertExistsFn>);
static_assert(std::is_same_v<decltype(&sslGenerateCertificate), sslGenerateCertificateFn>);

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    InitializeCriticalSection(&gLock);
    InitializeCriticalSection(&gGenerationLock);
  }
  if (reason == DLL_PROCESS_DETACH) {
    DeleteCriticalSection(&gGenerationLock);
    DeleteCriticalSection(&gLock);
  }
  return TRUE;
}
