#include "tls_socket.h"

namespace {

// Waits until the socket is readable (or writable); false with WSAETIMEDOUT
// when the time ran out.
bool WaitReady(SOCKET socket, bool forWrite, DWORD waitMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval limit = {static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
  int ready = forWrite ? select(0, nullptr, &set, nullptr, &limit) : select(0, &set, nullptr, nullptr, &limit);
  if (ready == 0) WSASetLastError(WSAETIMEDOUT);
  return ready > 0;
}

}  // namespace

DWORD ReadWaitMs(SOCKET socket) {
  DWORD timeout = 0;
  int size = sizeof timeout;
  if (getsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeout), &size) != 0 ||
      timeout == 0)
    return kDefaultWaitMs;
  return timeout;
}

int ReceiveSome(SOCKET socket, unsigned char* buffer, int capacity, DWORD waitMs) {
  if (!WaitReady(socket, false, waitMs)) return SOCKET_ERROR;
  for (;;) {
    int received = recv(socket, reinterpret_cast<char*>(buffer), capacity, 0);
    // A non-blocking socket may still have nothing after select said readable.
    if (received == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
      if (!WaitReady(socket, false, waitMs)) return SOCKET_ERROR;
      continue;
    }
    return received;
  }
}

bool SendAll(SOCKET socket, const unsigned char* data, int length, DWORD waitMs) {
  while (length > 0) {
    int sent = send(socket, reinterpret_cast<const char*>(data), length, 0);
    if (sent == SOCKET_ERROR) {
      if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitReady(socket, true, waitMs)) return false;
      continue;
    }
    data += sent;
    length -= sent;
  }
  return true;
}
