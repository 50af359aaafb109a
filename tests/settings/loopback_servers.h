// Servers on loopback addresses for the MM7 connection test: a plain TCP
// server that answers in a thread of its own, and a server whose connects
// never complete.
#pragma once
#include <winsock2.h>

#include <string>

// Starts Windows Sockets for the test's lifetime.
class SocketsStarted {
 public:
  SocketsStarted();
  ~SocketsStarted();
  SocketsStarted(const SocketsStarted&) = delete;
  SocketsStarted& operator=(const SocketsStarted&) = delete;
};

// Listens on address:port (port 0: the system picks one). Each connection it
// accepts gets reply (when not empty) after what the client sent first, and
// is closed. Stops when destroyed; every wait is bounded.
class PlainServer {
 public:
  explicit PlainServer(const char* address = "127.0.0.1", unsigned short port = 0, std::string reply = "");
  ~PlainServer();
  PlainServer(const PlainServer&) = delete;
  PlainServer& operator=(const PlainServer&) = delete;
  // 0 when it could not listen.
  unsigned short Port() const { return port_; }
  // Connections accepted so far.
  long Accepted() const { return accepted_; }

 private:
  static DWORD WINAPI Serve(void* self);
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::string reply_;
  volatile long accepted_ = 0;
  volatile bool stop_ = false;
  HANDLE thread_ = nullptr;
};

// A listener whose queue is full and which never accepts: a further connect
// is neither accepted nor refused, as with a host that does not answer.
class SilentServer {
 public:
  explicit SilentServer(const char* address = "127.0.0.1", unsigned short port = 0);
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;
  // 0 when it could not be made silent.
  unsigned short Port() const { return port_; }

 private:
  static constexpr int kMaxFillers = 16;
  SOCKET listener_ = INVALID_SOCKET;
  SOCKET fillers_[kMaxFillers];
  int fillerCount_ = 0;
  unsigned short port_ = 0;
};

// A loopback address in network byte order ("127.0.0.3").
unsigned long LoopbackAddress(const char* dotted);
