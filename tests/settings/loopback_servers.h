// Servers on loopback for the MM7 connection test and the TLS peers, with no
// thread of their own: the system completes connects in a listener's queue,
// and the test takes them out when it wants to know how many there were.
#pragma once
#include <winsock2.h>

#include <gtest/gtest.h>

// Starts Windows Sockets for the test's lifetime.
struct SocketsStarted {
  SocketsStarted() {
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  }
  ~SocketsStarted() { WSACleanup(); }
};

inline sockaddr_in LoopbackAt(unsigned short port) {
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  at.sin_port = htons(port);
  return at;
}

// Listens on 127.0.0.1 on a port the system picks; Port() is 0 when it could not.
class Listener {
 public:
  Listener() {
    sockaddr_in local = LoopbackAt(0);
    int size = sizeof local;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&local), size) == 0 && listen(listener_, 64) == 0 &&
        getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size) == 0)
      port_ = ntohs(local.sin_port);
  }
  ~Listener() { closesocket(listener_); }
  unsigned short Port() const { return port_; }
  // Takes the next connection out of the queue within the time; INVALID_SOCKET when none came.
  SOCKET Accept(long waitMs = 0) { return Ready(waitMs) ? accept(listener_, nullptr, nullptr) : INVALID_SOCKET; }
  // Connections made so far, all taken out of the queue and closed.
  int Accepted() {
    for (SOCKET peer; (peer = Accept()) != INVALID_SOCKET; ++accepted_) closesocket(peer);
    return accepted_;
  }

 private:
  // The listener readable within the time.
  bool Ready(long waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(listener_, &set);
    timeval limit = {waitMs / 1000, (waitMs % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &limit) > 0;
  }

  SOCKET listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  unsigned short port_ = 0;
  int accepted_ = 0;
};
