// Peers for the TLS tests, all on loopback: openssl s_server started as a
// Unix program from inside the test (Wine runs non-Windows executables
// directly, though without a process handle), and connected socket pairs for
// peers scripted in a thread.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

// A fresh folder under the temporary folder, removed afterwards, with its Unix
// path for the openssl tools.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // With a trailing backslash.
  const std::string& Path() const { return path_; }
  // Without a trailing slash.
  const std::string& UnixPath() const { return unixPath_; }

 private:
  std::string path_;
  std::string unixPath_;
};

// Runs a /bin/sh script as a Unix process in folder and waits for its exit
// status at most timeoutMs; -1 when it did not finish in time.
int RunUnixShell(const ScratchFolder& folder, const std::string& script, DWORD timeoutMs);

// Certificates and keys made by openssl once per test run (Unix paths):
// a self-signed one, and one signed by a test authority (its key also as a
// Windows private key blob).
struct TestCertificates {
  std::string folder;  // Windows path, with a trailing backslash
  std::string selfSignedCert, selfSignedKey;
  std::string authorityCert;
  std::string signedCert, signedKey;
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
  // 0 when it did not start.
  unsigned short Port() const { return port_; }
  // What it printed so far.
  std::string Output() const;
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
// receiveTimeoutMs; INVALID_SOCKET when the connect failed (the error stays
// in WSAGetLastError()).
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

// Sets a socket's receive time-out.
void SetReceiveTimeout(SOCKET socket, DWORD timeoutMs);
// Reads what arrives on a socket within waitMs (until the peer closes).
std::string ReadAvailable(SOCKET socket, DWORD waitMs);
// A loopback port that nothing listens on.
unsigned short ClosedPort();
