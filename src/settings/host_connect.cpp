#include <winsock2.h>

#include "settings/host_connect.h"

#include "common/ipv4_address.h"
#include "common/text_util.h"
#include "settings/mm7_settings.h"

namespace {

// Winsock 1.1 lists at most this many addresses for a name.
constexpr size_t kMaxAddresses = 35;

enum class Attempt { kConnected, kRefused, kTimedOut };

void SetBlocking(SOCKET s, bool blocking) {
  u_long nonBlocking = blocking ? 0 : 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
}

// One connect, given at most timeoutMs to complete.
Attempt TryConnect(SOCKET s, unsigned long address, unsigned port, DWORD timeoutMs) {
  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(static_cast<u_short>(port));
  SetBlocking(s, false);
  Attempt result = Attempt::kRefused;
  if (connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
    result = Attempt::kConnected;
  } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval limit = {static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
    int ready = select(0, nullptr, &writable, &failed, &limit);
    int error = 0;
    int size = sizeof error;
    if (ready == 0)
      result = Attempt::kTimedOut;
    else if (ready > 0 && FD_ISSET(s, &writable) && !FD_ISSET(s, &failed) &&
             getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0)
      result = Attempt::kConnected;
  }
  SetBlocking(s, true);
  return result;
}

// A socket whose connect failed or is still pending is not used again.
bool RenewSocket(UINT_PTR* socket) {
  closesocket(static_cast<SOCKET>(*socket));
  *socket = static_cast<UINT_PTR>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  return static_cast<SOCKET>(*socket) != INVALID_SOCKET;
}

}  // namespace

bool ConnectToAddresses(UINT_PTR* socket, const unsigned long* addresses, size_t count, size_t start,
                        unsigned port, DWORD timeoutMs) {
  if (port > 0xFFFF) return false;  // htons would connect to another port than the one shown
  for (size_t tried = 0; tried < count; ++tried) {
    if (tried > 0 && !RenewSocket(socket)) return false;
    if (TryConnect(static_cast<SOCKET>(*socket), addresses[(start + tried) % count], port, timeoutMs) ==
        Attempt::kConnected)
      return true;
  }
  return false;
}

bool ConnectToHost(UINT_PTR* socket, const char* host, unsigned port, DWORD timeoutMs) {
  char name[kMm7HostChars + 1];
  CopyText(name, sizeof name, host);
  CutHostNumberSuffix(name);
  if (!name[0]) return false;
  if (NormalizeIPv4Address(name, sizeof name)) {
    unsigned long address = inet_addr(name);
    return ConnectToAddresses(socket, &address, 1, 0, port, timeoutMs);
  }
  const hostent* resolved = gethostbyname(name);
  if (!resolved || resolved->h_addrtype != AF_INET || resolved->h_length != 4) return false;
  // The resolver's block is reused by the next call on this thread: copy it out.
  unsigned long addresses[kMaxAddresses];
  size_t count = 0;
  while (count < kMaxAddresses && resolved->h_addr_list[count]) {
    CopyMemory(&addresses[count], resolved->h_addr_list[count], sizeof addresses[count]);
    ++count;
  }
  if (count == 0) return false;
  return ConnectToAddresses(socket, addresses, count, GetTickCount() % count, port, timeoutMs);
}
