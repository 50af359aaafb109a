#include "settings/loopback_servers.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kStopMs = 5000;
constexpr long kPollUs = 100000;
constexpr int kFirstDataMs = 1000;

SOCKET Listen(const char* address, unsigned short port, int backlog, unsigned short* bound) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = inet_addr(address);
  local.sin_port = htons(port);
  int size = sizeof local;
  if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&local), size) != 0 || listen(s, backlog) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
    ADD_FAILURE() << "cannot listen on " << address << ":" << port << ": " << WSAGetLastError();
    if (s != INVALID_SOCKET) closesocket(s);
    return INVALID_SOCKET;
  }
  *bound = ntohs(local.sin_port);
  return s;
}

bool Readable(SOCKET s, long microseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval limit = {microseconds / 1000000, microseconds % 1000000};
  return select(0, &readable, nullptr, nullptr, &limit) > 0;
}

// A connect started without waiting; true when it completed within waitMs.
bool ConnectCompletes(SOCKET s, const char* address, unsigned short port, long waitMs) {
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = inet_addr(address);
  target.sin_port = htons(port);
  if (connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) return true;
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(s, &writable);
  timeval limit = {waitMs / 1000, (waitMs % 1000) * 1000};
  return select(0, nullptr, &writable, nullptr, &limit) > 0;
}

}  // namespace

SocketsStarted::SocketsStarted() {
  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
}

SocketsStarted::~SocketsStarted() { WSACleanup(); }

unsigned long LoopbackAddress(const char* dotted) { return inet_addr(dotted); }

PlainServer::PlainServer(const char* address, unsigned short port, std::string reply) : reply_(std::move(reply)) {
  listener_ = Listen(address, port, SOMAXCONN, &port_);
  if (listener_ == INVALID_SOCKET) return;
  thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
}

PlainServer::~PlainServer() {
  stop_ = true;
  if (thread_) {
    EXPECT_EQ(WaitForSingleObject(thread_, kStopMs), WAIT_OBJECT_0);
    CloseHandle(thread_);
  }
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
}

DWORD WINAPI PlainServer::Serve(void* self) {
  auto* server = static_cast<PlainServer*>(self);
  while (!server->stop_) {
    if (!Readable(server->listener_, kPollUs)) continue;
    SOCKET peer = accept(server->listener_, nullptr, nullptr);
    if (peer == INVALID_SOCKET) continue;
    InterlockedIncrement(&server->accepted_);
    if (!server->reply_.empty()) {
      // Answer what the client says first (a TLS client speaks first).
      if (Readable(peer, kFirstDataMs * 1000L)) {
        char buffer[4096];
        recv(peer, buffer, sizeof buffer, 0);
      }
      send(peer, server->reply_.data(), static_cast<int>(server->reply_.size()), 0);
    }
    shutdown(peer, SD_BOTH);
    closesocket(peer);
  }
  return 0;
}

SilentServer::SilentServer(const char* address, unsigned short port) {
  listener_ = Listen(address, port, 0, &port_);
  if (listener_ == INVALID_SOCKET) return;
  // Fill the queue until a connect no longer completes.
  while (fillerCount_ < kMaxFillers) {
    SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    fillers_[fillerCount_++] = filler;
    if (!ConnectCompletes(filler, address, port_, 300)) return;
  }
  ADD_FAILURE() << "the listener's queue never filled";
  port_ = 0;
}

SilentServer::~SilentServer() {
  for (int i = 0; i < fillerCount_; ++i) closesocket(fillers_[i]);
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
}
