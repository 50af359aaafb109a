#include <winsock2.h>
#include <ws2tcpip.h>

#include "gateway_probe.h"

#include "common/text_util.h"
#include "gprs_rules.h"

namespace {

bool Resolve(const char* host, unsigned port, sockaddr_in* address) {
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
  *address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  address->sin_port = htons(static_cast<u_short>(port));
  freeaddrinfo(found);
  return true;
}

bool ConnectWithin(const sockaddr_in& address, DWORD timeoutMs) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  bool connected = false;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) == 0) {
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      connected = true;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval limit = {static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
      if (select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(s, &writable)) {
        int error = 0;
        int length = sizeof error;
        connected = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 && error == 0;
      }
    }
  }
  closesocket(s);
  return connected;
}

}  // namespace

bool GatewayAnswers(const char* wapGateway, DWORD timeoutMs) {
  char host[260];
  unsigned port = 0;
  if (!ParseGatewayAddress(wapGateway, host, sizeof host, &port)) return false;
  WSADATA winsock;
  if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return false;
  sockaddr_in address = {};
  bool answered = Resolve(host, port, &address) && ConnectWithin(address, timeoutMs);
  WSACleanup();
  return answered;
}
