// Peers for the TLS tests, all on loopback: openssl s_server started as a
// Unix program from inside the test (Wine runs non-Windows executables
// directly, though without a process handle), and connected socket pairs for
// peers scripted in a thread.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

// A fresh folder under the temporary folder (Path() with a trailing
// backslash, UnixPath() for the openssl tools without a trailing slash),
// removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }
  const std::string& UnixPath() const { return unixPath_; }

 private:
  std::string path_, unixPath_;
};

// Runs a /bin/sh script as a Unix process in folder; its exit status, or -1
// when it did not finish within timeoutMs.
int RunUnixShell(const ScratchFolder& folder, const std::string& script, DWORD timeoutMs);

// Made by openssl once per test run (Unix paths): a self-signed certificate,
// and one signed by a test authority, its key also as a Windows key blob.
struct TestCertificates {
  std::string folder;  // Windows path, with a trailing backslash
  std::string selfSignedCert, selfSignedKey, authorityCert, signedCert, signedKey;
  std::string signedKeyBlob;  // Windows path
};
const TestCertificates& Certificates();

// openssl s_server on 127.0.0.1 with a port the system picked; it serves
// one connection and lives 60 seconds at most.
class OpenSslServer {
 public:
  OpenSslServer(const std::string& cert, const std::string& key, const std::string& options);
  ~OpenSslServer();
  OpenSslServer(const OpenSslServer&) = delete;
  OpenSslServer& operator=(const OpenSslServer&) = delete;
  unsigned short Port() const { return port_; }  // 0 when it did not start
  std::string Output() const;                    // what it printed so far
  // Waits until its output contains text; false after timeoutMs.
  bool WaitForOutput(const std::string& text, DWORD timeoutMs) const;

 private:
  ScratchFolder folder_;
  unsigned short port_ = 0;
  unsigned long pid_ = 0;
};

// Passes one connection on to 127.0.0.1:target and reshapes what the server
// sends: in pieces of chunk bytes (1: byte by byte, so records arrive cut
// up), or with chunk 0 held back until the server pauses and then passed on
// at once (so records arrive run together). Gives up after 30 seconds.
class LoopbackRelay {
 public:
  LoopbackRelay(unsigned short target, int chunk);
  ~LoopbackRelay();
  LoopbackRelay(const LoopbackRelay&) = delete;
  LoopbackRelay& operator=(const LoopbackRelay&) = delete;
  unsigned short Port() const { return port_; }
  // How many separate sends carried the server's bytes to the client.
  int ServerSends() const { return serverSends_; }

 private:
  void Run();
  bool PassToClient(SOCKET client, const std::string& data);
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short target_;
  int chunk_;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> serverSends_{0};
  std::thread thread_;
};

// A blocking socket connected to 127.0.0.1:port, reads timing out after
// receiveTimeoutMs; INVALID_SOCKET when the connect failed.
SOCKET ConnectLoopback(unsigned short port, DWORD receiveTimeoutMs);

// Both ends of one loopback TCP connection, closed by the destructor.
struct SocketPair {
  SocketPair();
  ~SocketPair();
  SocketPair(const SocketPair&) = delete;
  SocketPair& operator=(const SocketPair&) = delete;
  SOCKET client = INVALID_SOCKET;
  SOCKET server = INVALID_SOCKET;
};

void SetReceiveTimeout(SOCKET socket, DWORD timeoutMs);
// Reads what arrives on a socket within waitMs (until the peer closes).
std::string ReadAvailable(SOCKET socket, DWORD waitMs);
// A loopback port that nothing listens on.
unsigned short ClosedPort();
