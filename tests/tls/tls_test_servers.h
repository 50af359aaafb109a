// Peers for the TLS tests, all on loopback: openssl s_server started as a
// Unix program from inside the test (Wine runs non-Windows executables
// directly, though without a process handle), and connected socket pairs for
// peers scripted in a thread.
#pragma once
#include <winsock2.h>

#include "settings/loopback_servers.h"

#include <atomic>
#include <string>
#include <thread>

// A fresh folder under the temporary folder, removed afterwards: path with a
// trailing backslash, unixPath (for the openssl tools) without a trailing slash.
struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  std::string path, unixPath;
};

// Runs a /bin/sh script as a Unix process in folder; its exit status, or -1
// when it did not finish within timeoutMs.
int RunUnixShell(const ScratchFolder& folder, const std::string& script, DWORD timeoutMs);

// A self-signed certificate for localhost and its key, made by openssl once
// per test run (Unix paths).
struct TestCertificates {
  std::string selfSignedCert, selfSignedKey;
};
const TestCertificates& Certificates();

// openssl s_server on 127.0.0.1 with a port the system picked; it serves
// one connection and lives 60 seconds at most.
class OpenSslServer {
 public:
  OpenSslServer(const std::string& cert, const std::string& key, const std::string& options);
  ~OpenSslServer();
  unsigned short Port() const { return port_; }  // 0 when it did not start
  std::string Output() const;                    // what it printed so far
  bool WaitForOutput(const std::string& text, DWORD timeoutMs = 10000) const;

 private:
  ScratchFolder folder_;
  unsigned short port_ = 0;
};

// Passes one connection on to 127.0.0.1:target and reshapes what the server
// sends: in pieces of chunk bytes (1: byte by byte, so records arrive cut
// up), or with chunk 0 held back until the server pauses and then passed on
// at once (so records arrive run together).
class LoopbackRelay {
 public:
  LoopbackRelay(unsigned short target, int chunk);
  ~LoopbackRelay();
  unsigned short Port() const { return listener_.Port(); }

 private:
  void Run(unsigned short target, size_t chunk);
  Listener listener_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A blocking socket connected to 127.0.0.1:port, reads timing out after
// receiveTimeoutMs; INVALID_SOCKET when the connect failed.
SOCKET ConnectLoopback(unsigned short port, DWORD receiveTimeoutMs);
void SetReceiveTimeout(SOCKET socket, DWORD timeoutMs);

// Both ends of one loopback TCP connection, closed by the destructor.
struct SocketPair {
  SocketPair();
  ~SocketPair();
  SocketPair(const SocketPair&) = delete;
  SOCKET client = INVALID_SOCKET, server = INVALID_SOCKET;
};

// A loopback port that nothing listens on.
unsigned short ClosedPort();
