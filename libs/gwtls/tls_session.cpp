#include "tls_session.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/text_util.h"
#include "tls_certificate.h"
#include "tls_socket.h"
#include "tls_wire.h"

static_assert(tls_status::kUnsupportedFunction == static_cast<uint32_t>(SEC_E_UNSUPPORTED_FUNCTION));
static_assert(tls_status::kInternalError == static_cast<uint32_t>(SEC_E_INTERNAL_ERROR));
static_assert(tls_status::kUnknownCredentials == static_cast<uint32_t>(SEC_E_UNKNOWN_CREDENTIALS));
static_assert(tls_status::kNoCredentials == static_cast<uint32_t>(SEC_E_NO_CREDENTIALS));
static_assert(tls_status::kMessageAltered == static_cast<uint32_t>(SEC_E_MESSAGE_ALTERED));
static_assert(tls_status::kContextExpired == static_cast<uint32_t>(SEC_E_CONTEXT_EXPIRED));
static_assert(tls_status::kIncompleteMessage == static_cast<uint32_t>(SEC_E_INCOMPLETE_MESSAGE));
static_assert(tls_status::kWrongPrincipal == static_cast<uint32_t>(SEC_E_WRONG_PRINCIPAL));
static_assert(tls_status::kTimeSkew == static_cast<uint32_t>(SEC_E_TIME_SKEW));
static_assert(tls_status::kUntrustedRoot == static_cast<uint32_t>(SEC_E_UNTRUSTED_ROOT));
static_assert(tls_status::kIllegalMessage == static_cast<uint32_t>(SEC_E_ILLEGAL_MESSAGE));
static_assert(tls_status::kCertUnknown == static_cast<uint32_t>(SEC_E_CERT_UNKNOWN));
static_assert(tls_status::kCertExpired == static_cast<uint32_t>(SEC_E_CERT_EXPIRED));
static_assert(tls_status::kDecryptFailure == static_cast<uint32_t>(SEC_E_DECRYPT_FAILURE));
static_assert(tls_status::kAlgorithmMismatch == static_cast<uint32_t>(SEC_E_ALGORITHM_MISMATCH));
static_assert(tls_status::kNoAuthenticatingAuthority ==
              static_cast<uint32_t>(SEC_E_NO_AUTHENTICATING_AUTHORITY));
static_assert(tls_status::kInvalidToken == static_cast<uint32_t>(SEC_E_INVALID_TOKEN));
static_assert(tls_status::kInvalidHandle == static_cast<uint32_t>(SEC_E_INVALID_HANDLE));

namespace {

// Room for a whole handshake flight with a long certificate chain; records
// themselves are at most about 18 KB.
constexpr size_t kIncomingCapacity = 65536;
constexpr size_t kPlainCapacity = kIncomingCapacity;
// Close-notify is a courtesy: never wait long for it to leave.
constexpr DWORD kCloseNotifyWaitMs = 2000;

constexpr ULONG kConnectFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr ULONG kAcceptFlags = ASC_REQ_SEQUENCE_DETECT | ASC_REQ_REPLAY_DETECT |
                               ASC_REQ_CONFIDENTIALITY | ASC_REQ_EXTENDED_ERROR |
                               ASC_REQ_ALLOCATE_MEMORY | ASC_REQ_STREAM;

const char* PeerName(const TlsConnection* c) { return c->server ? "client" : "server"; }

void* AllocateZeroed(size_t size) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size); }
void Release(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

void FreeConnection(TlsConnection* c) {
  if (c->haveContext) DeleteSecurityContext(&c->context);
  if (c->haveCredentials) FreeCredentialsHandle(&c->credentials);
  Release(c->incoming);
  Release(c->plain);
  Release(c->outgoing);
  Release(c);
}

TlsConnection* NewConnection(SOCKET socket, bool server) {
  TlsConnection* c = static_cast<TlsConnection*>(AllocateZeroed(sizeof(TlsConnection)));
  if (!c) return nullptr;
  c->socket = socket;
  c->server = server;
  c->incoming = static_cast<unsigned char*>(AllocateZeroed(kIncomingCapacity));
  c->plain = static_cast<unsigned char*>(AllocateZeroed(kPlainCapacity));
  if (!c->incoming || !c->plain) {
    FreeConnection(c);
    return nullptr;
  }
  return c;
}

void DescribeSocketError(char* out, size_t cap, int error) {
  const char* text = SocketErrorText(error);
  if (text)
    FormatText(out, cap, "%s (Windows Sockets error %d)", text, error);
  else
    FormatText(out, cap, "Windows Sockets error %d", error);
}

void DescribeStatus(char* out, size_t cap, SECURITY_STATUS status) {
  const char* text = SecurityStatusText(static_cast<uint32_t>(status));
  FormatText(out, cap, "%s (error 0x%08lX)", text ? text : "unexpected error",
           static_cast<unsigned long>(status));
}

// One handshake call into Schannel, on the side this connection plays.
SECURITY_STATUS HandshakeCall(TlsConnection* c, SecBufferDesc* input, SecBufferDesc* output) {
  ULONG attributes = 0;
  TimeStamp expiry;
  CtxtHandle* existing = c->haveContext ? &c->context : nullptr;
  SECURITY_STATUS status;
  if (c->server)
    status = AcceptSecurityContext(&c->credentials, existing, input, kAcceptFlags,
                                   SECURITY_NATIVE_DREP, &c->context, output, &attributes, &expiry);
  else
    status = InitializeSecurityContextA(&c->credentials, existing, c->serverName[0] ? c->serverName : nullptr,
                                        kConnectFlags, 0,
                                        SECURITY_NATIVE_DREP, input, 0, &c->context, output,
                                        &attributes, &expiry);
  if (!existing && !FAILED(status)) c->haveContext = true;
  return status;
}

// Sends what Schannel produced (a handshake message or, on failure, an
// alert) and frees it. Returns 0, or the socket error when sending failed.
int SendToken(TlsConnection* c, SecBuffer* token, DWORD waitMs) {
  int failure = 0;
  if (token->pvBuffer && token->cbBuffer > 0 &&
      !SendAll(c->socket, static_cast<unsigned char*>(token->pvBuffer),
               static_cast<int>(token->cbBuffer), waitMs))
    failure = WSAGetLastError();
  if (token->pvBuffer) FreeContextBuffer(token->pvBuffer);
  token->pvBuffer = nullptr;
  token->cbBuffer = 0;
  return failure;
}

// Keeps the bytes Schannel did not consume: they are the tail of the input.
void KeepExtra(TlsConnection* c, const SecBuffer& extra) {
  if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0 && extra.cbBuffer <= c->incomingLength) {
    memmove(c->incoming, c->incoming + c->incomingLength - extra.cbBuffer, extra.cbBuffer);
    c->incomingLength = extra.cbBuffer;
  } else {
    c->incomingLength = 0;
  }
}

// Reads more handshake bytes. On the first bytes of the very first handshake
// it checks that the peer speaks TLS at all, so that a plain-text server or a
// refusal gets a text naming the real cause.
bool ReadHandshakeBytes(TlsConnection* c, DWORD waitMs, ErrorText* error) {
  for (;;) {
    if (c->incomingLength == kIncomingCapacity) {
      SetErrorText(error, "The %s sent a TLS handshake message larger than %u bytes.", PeerName(c),
                   static_cast<unsigned>(kIncomingCapacity));
      return false;
    }
    int received = ReceiveSome(c->socket, c->incoming + c->incomingLength,
                               static_cast<int>(kIncomingCapacity - c->incomingLength), waitMs);
    if (received == 0) {
      if (c->incomingLength == 0 && !c->openingChecked)
        SetErrorText(error,
                     "The %s closed the connection without answering the TLS handshake; it may not "
                     "speak TLS on this port.",
                     PeerName(c));
      else
        SetErrorText(error, "The %s closed the connection during the TLS handshake.", PeerName(c));
      return false;
    }
    if (received < 0) {
      int code = WSAGetLastError();
      if (code == WSAETIMEDOUT) {
        unsigned long seconds = (waitMs + 999) / 1000;
        const char* plural = seconds == 1 ? "" : "s";
        if (c->incomingLength > 0 || c->openingChecked)
          SetErrorText(error, "The %s stopped answering during the TLS handshake (nothing for %lu second%s).",
                       PeerName(c), seconds, plural);
        else if (c->server)
          SetErrorText(error, "The client did not send a TLS handshake within %lu second%s.", seconds, plural);
        else
          SetErrorText(error, "The server did not answer the TLS handshake within %lu second%s.", seconds, plural);
      } else {
        char reason[200];
        DescribeSocketError(reason, sizeof reason, code);
        SetErrorText(error, "Receiving the TLS handshake failed: %s.", reason);
      }
      return false;
    }
    c->incomingLength += static_cast<size_t>(received);
    if (c->openingChecked) return true;
    unsigned alert = 0;
    switch (ClassifyOpening(c->incoming, c->incomingLength, &alert)) {
      case kOpeningIncomplete:
        continue;
      case kOpeningTls:
        c->openingChecked = true;
        return true;
      case kOpeningAlert: {
        const char* text = TlsAlertText(alert);
        if (text)
          SetErrorText(error, "The %s refused the TLS handshake: %s (TLS alert %u).", PeerName(c), text, alert);
        else
          SetErrorText(error, "The %s refused the TLS handshake with TLS alert %u.", PeerName(c), alert);
        return false;
      }
      case kOpeningNotTls: {
        char quoted[kQuotedPeerTextChars + 8];
        QuotePeerText(c->incoming, c->incomingLength, quoted, sizeof quoted);
        if (c->server)
          SetErrorText(error, "The client is not speaking TLS. It sent: \"%s\"", quoted);
        else
          SetErrorText(error,
                       "The server is not speaking TLS on this port (check the address and port, or use "
                       "http:// instead of https://). It answered: \"%s\"",
                       quoted);
        return false;
      }
    }
  }
}

// What the peer's last handshake bytes said, for the text of a failure.
struct PeerSignals {
  bool alerted;
  unsigned alert;
  unsigned serverVersion;  // from the ServerHello, 0 when none was seen
};

PeerSignals ReadPeerSignals(const TlsConnection* c) {
  PeerSignals signals = {};
  signals.alerted = FindPlainAlert(c->incoming, c->incomingLength, &signals.alert);
  if (!c->server) signals.serverVersion = ServerHelloVersion(c->incoming, c->incomingLength);
  return signals;
}

void DescribeHandshakeFailure(TlsConnection* c, SECURITY_STATUS status, const PeerSignals& signals,
                              ErrorText* error) {
  const char* alertText = signals.alerted ? TlsAlertText(signals.alert) : nullptr;
  if (alertText) {
    SetErrorText(error, "The %s refused the TLS handshake: %s (TLS alert %u).", PeerName(c),
                 alertText, signals.alert);
    return;
  }
  const char* oldVersion = signals.serverVersion != 0 && signals.serverVersion < 0x0303
                               ? ProtocolVersionName(signals.serverVersion)
                               : nullptr;
  if (oldVersion) {
    SetErrorText(error, "The server chose %s, which this client refuses: TLS 1.2 or newer is required.",
                 oldVersion);
    return;
  }
  char reason[200];
  DescribeStatus(reason, sizeof reason, status);
  if (status == SEC_E_UNSUPPORTED_FUNCTION && c->server)
    SetErrorText(error, "This system's Schannel cannot accept TLS connections: %s.", reason);
  else
    SetErrorText(error, "The TLS handshake with the %s failed: %s.", PeerName(c), reason);
}

// Runs a handshake to its end: the first one (a client starts by writing, a
// server by reading) or one the peer started on an established session.
bool RunHandshake(TlsConnection* c, ErrorText* error) {
  DWORD waitMs = ReadWaitMs(c->socket);
  // Schannel sees what is already here first, even nothing: a peer's
  // renegotiation request is answered before anything more can come.
  bool haveInput = c->server || c->haveContext;
  bool needRead = false;
  bool retriedCredentials = false;
  for (;;) {
    if (needRead && !ReadHandshakeBytes(c, waitMs, error)) return false;
    PeerSignals signals = haveInput ? ReadPeerSignals(c) : PeerSignals{};

    SecBuffer in[2] = {{static_cast<ULONG>(c->incomingLength), SECBUFFER_TOKEN, c->incoming},
                       {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
    SecBuffer out[2] = {{0, SECBUFFER_TOKEN, nullptr}, {0, SECBUFFER_ALERT, nullptr}};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 2, out};
    SECURITY_STATUS status = HandshakeCall(c, haveInput ? &inDesc : nullptr, &outDesc);
    int sendError = SendToken(c, &out[0], waitMs);
    if (out[1].pvBuffer) FreeContextBuffer(out[1].pvBuffer);

    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      needRead = true;
      continue;
    }
    if (FAILED(status)) {
      DescribeHandshakeFailure(c, status, signals, error);
      return false;
    }
    if (sendError != 0) {
      char reason[200];
      DescribeSocketError(reason, sizeof reason, sendError);
      SetErrorText(error, "Sending the TLS handshake to the %s failed: %s.", PeerName(c), reason);
      return false;
    }
    if (status == SEC_I_INCOMPLETE_CREDENTIALS && !retriedCredentials) {
      // The server asks for a client certificate. There is none; Schannel
      // goes on without one when asked again with the same input.
      retriedCredentials = true;
      needRead = false;
      continue;
    }
    if (haveInput) KeepExtra(c, in[1]);
    if (status == SEC_E_OK) return true;
    if (status != SEC_I_CONTINUE_NEEDED) {
      DescribeHandshakeFailure(c, status, signals, error);
      return false;
    }
    haveInput = true;
    needRead = c->incomingLength == 0;
  }
}

bool FinishHandshake(TlsConnection* c, ErrorText* error) {
  SECURITY_STATUS status = QueryContextAttributesA(&c->context, SECPKG_ATTR_STREAM_SIZES, &c->sizes);
  if (status != SEC_E_OK) {
    char reason[200];
    DescribeStatus(reason, sizeof reason, status);
    SetErrorText(error, "The TLS session could not be set up: %s.", reason);
    return false;
  }
  c->outgoingCapacity = c->sizes.cbHeader + c->sizes.cbMaximumMessage + c->sizes.cbTrailer;
  c->outgoing = static_cast<unsigned char*>(AllocateZeroed(c->outgoingCapacity));
  if (!c->outgoing) {
    SetErrorText(error, "Out of memory for the TLS session.");
    return false;
  }
  c->established = true;
  return true;
}

TlsConnection* Handshake(TlsConnection* c, ErrorText* error) {
  if (RunHandshake(c, error) && FinishHandshake(c, error)) return c;
  FreeConnection(c);
  return nullptr;
}

enum DecryptOutcome { kDecrypted, kNeedMore, kClosed, kFailed };

// Decrypts the next whole record of the received bytes into the plain
// buffer, which must be empty. Records that carry no data (and renegotiation
// by the peer) count as kDecrypted with nothing delivered.
DecryptOutcome DecryptRecord(TlsConnection* c) {
  if (c->incomingLength == 0) return kNeedMore;
  unsigned char header[5] = {};
  memcpy(header, c->incoming, c->incomingLength < sizeof header ? c->incomingLength : sizeof header);
  SecBuffer buffers[4] = {{static_cast<ULONG>(c->incomingLength), SECBUFFER_DATA, c->incoming},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr}};
  SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
  SECURITY_STATUS status = DecryptMessage(&c->context, &desc, 0, nullptr);
  if (status == SEC_E_INCOMPLETE_MESSAGE) return kNeedMore;
  if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) {
    c->broken = true;
    WSASetLastError(WSAECONNABORTED);
    return kFailed;
  }
  // A buffer still pointing at the start of the input was left untouched
  // (a record without data); the plaintext lies behind the record header.
  const SecBuffer* data = nullptr;
  SecBuffer extra = {0, SECBUFFER_EMPTY, nullptr};
  for (const SecBuffer& b : buffers) {
    if (b.BufferType == SECBUFFER_DATA && b.pvBuffer != c->incoming && !data) data = &b;
    if (b.BufferType == SECBUFFER_EXTRA) extra = b;
  }
  bool gotData = data && data->cbBuffer > 0 && data->cbBuffer <= kPlainCapacity;
  if (gotData) {
    memcpy(c->plain, data->pvBuffer, data->cbBuffer);
    c->plainOffset = 0;
    c->plainLength = data->cbBuffer;
  }
  KeepExtra(c, extra);
  if (status == SEC_I_CONTEXT_EXPIRED ||
      (status == SEC_E_OK && !gotData && EmptyRecordWasAlert(header, sizeof header))) {
    c->peerClosed = true;
    return kClosed;
  }
  if (status == SEC_I_RENEGOTIATE) {
    ErrorText ignored = {nullptr, 0};
    if (!RunHandshake(c, &ignored)) {
      c->broken = true;
      WSASetLastError(WSAECONNABORTED);
      return kFailed;
    }
  }
  return kDecrypted;
}

int Deliver(TlsConnection* c, char* buffer, int capacity) {
  size_t count = c->plainLength < static_cast<size_t>(capacity) ? c->plainLength : static_cast<size_t>(capacity);
  memcpy(buffer, c->plain + c->plainOffset, count);
  c->plainOffset += count;
  c->plainLength -= count;
  return static_cast<int>(count);
}

}  // namespace

void SetErrorText(ErrorText* error, const char* format, ...) {
  if (!error || !error->text || error->capacity == 0) return;
  va_list args;
  va_start(args, format);
  if (vsnprintf(error->text, error->capacity, format, args) < 0) error->text[0] = '\0';
  va_end(args);
}

TlsConnection* ConnectTls(SOCKET socket, const char* serverName, ErrorText* error) {
  TlsConnection* c = NewConnection(socket, false);
  if (!c) {
    SetErrorText(error, "Out of memory for the TLS session.");
    return nullptr;
  }
  // A name that does not fit is not sent at all rather than cut.
  if (serverName && strlen(serverName) < sizeof c->serverName) CopyText(c->serverName, sizeof c->serverName, serverName);
  // The server name only selects the server's certificate: MM7 servers often
  // use self-signed or private-authority certificates, and the console's
  // test is about reaching a TLS server, so Schannel's automatic validation
  // is off and every server certificate is accepted. TLS 1.2 is the oldest version
  // offered; where the system cannot offer TLS 1.3 it is left out.
  SCHANNEL_CRED settings = {};
  settings.dwVersion = SCHANNEL_CRED_VERSION;
  settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
  const DWORD protocolChoices[] = {SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT, SP_PROT_TLS1_2_CLIENT};
  SECURITY_STATUS status = SEC_E_INTERNAL_ERROR;
  for (DWORD protocols : protocolChoices) {
    settings.grbitEnabledProtocols = protocols;
    TimeStamp expiry;
    status = AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND,
                                       nullptr, &settings, nullptr, nullptr, &c->credentials, &expiry);
    if (status == SEC_E_OK) break;
  }
  if (status != SEC_E_OK) {
    char reason[200];
    DescribeStatus(reason, sizeof reason, status);
    SetErrorText(error, "TLS client settings were refused by Schannel: %s.", reason);
    FreeConnection(c);
    return nullptr;
  }
  c->haveCredentials = true;
  return Handshake(c, error);
}

TlsConnection* AcceptTls(SOCKET socket, PCCERT_CONTEXT certificate, ErrorText* error) {
  TlsConnection* c = NewConnection(socket, true);
  if (!c) {
    SetErrorText(error, "Out of memory for the TLS session.");
    return nullptr;
  }
  // The client's first bytes come in before Schannel sees the certificate,
  // so that a client not speaking TLS at all is named as such.
  if (!ReadHandshakeBytes(c, ReadWaitMs(socket), error) ||
      !AcquireServerCredentials(certificate, &c->credentials, error)) {
    FreeConnection(c);
    return nullptr;
  }
  c->haveCredentials = true;
  return Handshake(c, error);
}

int SendTls(TlsConnection* c, const char* data, int length) {
  if (!data || length < 0) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  if (c->broken || c->peerClosed) {
    WSASetLastError(c->broken ? WSAECONNABORTED : WSAESHUTDOWN);
    return SOCKET_ERROR;
  }
  DWORD waitMs = ReadWaitMs(c->socket);
  int offset = 0;
  while (offset < length) {
    ULONG chunk = static_cast<ULONG>(length - offset);
    if (chunk > c->sizes.cbMaximumMessage) chunk = c->sizes.cbMaximumMessage;
    unsigned char* body = c->outgoing + c->sizes.cbHeader;
    memcpy(body, data + offset, chunk);
    SecBuffer buffers[4] = {{c->sizes.cbHeader, SECBUFFER_STREAM_HEADER, c->outgoing},
                            {chunk, SECBUFFER_DATA, body},
                            {c->sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, body + chunk},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    if (EncryptMessage(&c->context, 0, &desc, 0) != SEC_E_OK) {
      c->broken = true;
      WSASetLastError(WSAECONNABORTED);
      return SOCKET_ERROR;
    }
    // Header, data and trailer lie back to back; only the trailer may come
    // out shorter than its room.
    size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
    if (!SendAll(c->socket, c->outgoing, static_cast<int>(total), waitMs)) {
      c->broken = true;
      return SOCKET_ERROR;
    }
    offset += static_cast<int>(chunk);
  }
  return length;
}

int ReceiveTls(TlsConnection* c, char* buffer, int capacity) {
  if (!buffer || capacity <= 0) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  DWORD waitMs = ReadWaitMs(c->socket);
  for (;;) {
    if (c->plainLength > 0) return Deliver(c, buffer, capacity);
    if (c->peerClosed) return 0;
    if (c->broken) {
      WSASetLastError(WSAECONNABORTED);
      return SOCKET_ERROR;
    }
    switch (DecryptRecord(c)) {
      case kDecrypted:
        continue;
      case kClosed:
        return 0;
      case kFailed:
        return SOCKET_ERROR;
      case kNeedMore:
        break;
    }
    if (c->incomingLength == kIncomingCapacity) {
      c->broken = true;
      WSASetLastError(WSAEMSGSIZE);
      return SOCKET_ERROR;
    }
    int received = ReceiveSome(c->socket, c->incoming + c->incomingLength,
                               static_cast<int>(kIncomingCapacity - c->incomingLength), waitMs);
    if (received == 0) {
      // The stream ended without close-notify. Between records that is taken
      // as the end of the data; inside a record the data is cut short.
      c->peerClosed = true;
      if (c->incomingLength == 0) return 0;
      c->broken = true;
      WSASetLastError(WSAECONNRESET);
      return SOCKET_ERROR;
    }
    if (received < 0) {
      // A time-out leaves the session usable: the caller may wait again.
      if (WSAGetLastError() != WSAETIMEDOUT) c->broken = true;
      return SOCKET_ERROR;
    }
    c->incomingLength += static_cast<size_t>(received);
  }
}

int PendingTls(TlsConnection* c) {
  while (c->plainLength == 0 && !c->peerClosed && !c->broken && c->incomingLength > 0) {
    if (DecryptRecord(c) != kDecrypted) break;
  }
  return static_cast<int>(c->plainLength);
}

void CloseTls(TlsConnection* c) {
  if (c->established && !c->broken) {
    DWORD shutdown = SCHANNEL_SHUTDOWN;
    SecBuffer control = {sizeof shutdown, SECBUFFER_TOKEN, &shutdown};
    SecBufferDesc controlDesc = {SECBUFFER_VERSION, 1, &control};
    if (ApplyControlToken(&c->context, &controlDesc) == SEC_E_OK) {
      SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
      SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
      HandshakeCall(c, nullptr, &outDesc);
      SendToken(c, &out, kCloseNotifyWaitMs);
    }
  }
  FreeConnection(c);
}
