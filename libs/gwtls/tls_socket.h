// Socket I/O for the TLS sessions, every wait bounded: a server that accepts
// the connection and then says nothing must not hang the caller.
#pragma once
#include <winsock2.h>

// How long one read may wait: the socket's own receive time-out when the
// caller set one, otherwise kDefaultWaitMs.
constexpr DWORD kDefaultWaitMs = 30000;
DWORD ReadWaitMs(SOCKET socket);

// Receives what is there, waiting at most waitMs for the first byte. Returns
// the byte count, 0 when the peer closed the connection, or SOCKET_ERROR with
// WSAGetLastError() set (WSAETIMEDOUT when nothing came in time).
int ReceiveSome(SOCKET socket, unsigned char* buffer, int capacity, DWORD waitMs);

// Sends all bytes, waiting at most waitMs whenever the socket cannot take more.
// False with WSAGetLastError() set on failure.
bool SendAll(SOCKET socket, const unsigned char* data, int length, DWORD waitMs);
