// Servers on loopback addresses for the MM7 connection test, with no thread
// of their own: the system completes connects in a listener's queue, and
// the test takes them out when it wants to know how many there were.
#pragma once
#include <winsock2.h>

#include <gtest/gtest.h>

#include <vector>

// Starts Windows Sockets for the test's lifetime.
struct SocketsStarted {
  SocketsStarted() {
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  }
  ~SocketsStarted() { WSACleanup(); }
};

inline sockaddr_in LoopbackAt(const char* address, unsigned short port) {
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = inet_addr(address);
  at.sin_port = htons(port);
  return at;
}

// Listens on address:port (port 0: the system picks one); Port() is 0 when it
// could not. Silent, its queue is filled first, so that a further connect is
// neither accepted nor refused, as with a host that does not answer.
class Listener {
 public:
  explicit Listener(const char* address = "127.0.0.1", unsigned short port = 0, bool silent = false) {
    sockaddr_in local = LoopbackAt(address, port);
    int size = sizeof local;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&local), size) != 0 || listen(listener_, silent ? 0 : 64) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size) != 0)
      return;
    port_ = ntohs(local.sin_port);
    for (int filled = 0; silent && filled < 16; ++filled) {
      fillers_.push_back(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
      u_long nonBlocking = 1;
      ioctlsocket(fillers_.back(), FIONBIO, &nonBlocking);
      sockaddr_in target = LoopbackAt(address, port_);
      if (connect(fillers_.back(), reinterpret_cast<sockaddr*>(&target), sizeof target) != 0 && !Ready(300, true))
        return;
    }
    if (silent) port_ = 0;  // the queue never filled
  }
  ~Listener() {
    for (SOCKET filler : fillers_) closesocket(filler);
    closesocket(listener_);
  }
  unsigned short Port() const { return port_; }
  // Takes the next connection out of the queue within the time; INVALID_SOCKET when none came.
  SOCKET Accept(long waitMs = 0) { return Ready(waitMs) ? accept(listener_, nullptr, nullptr) : INVALID_SOCKET; }
  // Connections made so far, all taken out of the queue and closed.
  int Accepted() {
    for (SOCKET peer; (peer = Accept()) != INVALID_SOCKET; ++accepted_) closesocket(peer);
    return accepted_;
  }

 private:
  // The listener readable (or the last filler writable) within the time.
  bool Ready(long waitMs, bool filler = false) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(filler ? fillers_.back() : listener_, &set);
    timeval limit = {waitMs / 1000, (waitMs % 1000) * 1000};
    return select(0, filler ? nullptr : &set, filler ? &set : nullptr, nullptr, &limit) > 0;
  }

  SOCKET listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  std::vector<SOCKET> fillers_;
  unsigned short port_ = 0;
  int accepted_ = 0;
};
