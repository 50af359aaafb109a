// One TLS connection over a caller's connected socket, through Schannel.
// The caller keeps the socket: the session never closes it.
#pragma once
#include <winsock2.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <cstddef>

// The caller's error text buffer, written bounded. A null text is ignored.
struct ErrorText {
  char* text;
  size_t capacity;
};
void SetErrorText(ErrorText* error, const char* format, ...) __attribute__((format(printf, 2, 3)));

struct TlsConnection {
  TlsConnection* next;  // the library's list of live sessions
  SOCKET socket;
  bool server;
  bool established;
  bool openingChecked;  // the peer's first bytes were seen to be TLS
  bool peerClosed;      // close-notify or end of the TCP stream seen
  bool broken;      // a failure left the stream unusable; no close-notify any more
  // Sent as the server name of the handshake (servers with several names
  // choose their certificate by it); empty for none.
  char serverName[256];
  CredHandle credentials;
  bool haveCredentials;
  CtxtHandle context;
  bool haveContext;
  SecPkgContext_StreamSizes sizes;
  // Received from the socket, not yet consumed by Schannel.
  unsigned char* incoming;
  size_t incomingLength;
  // Decrypted, not yet handed to the caller.
  unsigned char* plain;
  size_t plainOffset;
  size_t plainLength;
  // One encrypted record on its way out.
  unsigned char* outgoing;
  size_t outgoingCapacity;
};

// Handshakes as client (no client certificate) or as server with the given
// certificate. Null and a text on failure.
TlsConnection* ConnectTls(SOCKET socket, const char* serverName, ErrorText* error);
TlsConnection* AcceptTls(SOCKET socket, PCCERT_CONTEXT certificate, ErrorText* error);

// sslSend/sslRecv semantics: bytes moved, 0 for a closed stream (receive), or
// SOCKET_ERROR with WSAGetLastError() set.
int SendTls(TlsConnection* connection, const char* data, int length);
int ReceiveTls(TlsConnection* connection, char* buffer, int capacity);
// Decrypted bytes ready without touching the socket.
int PendingTls(TlsConnection* connection);
// Sends close-notify when the stream is still sound, then frees everything.
void CloseTls(TlsConnection* connection);
