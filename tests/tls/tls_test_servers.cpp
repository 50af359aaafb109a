#include "tls/tls_test_servers.h"

#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <cstdlib>

#include "common/file_util.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

constexpr DWORD kServerStartMs = 15000;
constexpr DWORD kCertificateMakingMs = 60000;

// Wine's own conversion of a Windows path to the Unix one; empty outside Wine.
std::string UnixPathOf(const std::string& path) {
  typedef char*(CDECL * ToUnixFn)(const WCHAR*);
  auto toUnix = reinterpret_cast<ToUnixFn>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!toUnix) return "";
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  char* unix = toUnix(wide);
  if (!unix) return "";
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  while (!result.empty() && result.back() == '/') result.pop_back();
  return result;
}

// Starts a /bin/sh script as a Unix process; Wine gives no handle for it.
bool StartUnixShell(const std::string& script) {
  EXPECT_EQ(script.find('"'), std::string::npos) << "the script travels inside double quotes";
  std::string commandLine = "/bin/sh -c \"" + script + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &process);
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  return started != FALSE;
}

// The number after marker in text, 0 when absent.
unsigned long NumberAfter(const std::string& text, const std::string& marker) {
  size_t at = text.find(marker);
  return at == std::string::npos ? 0 : strtoul(text.c_str() + at + marker.size(), nullptr, 10);
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static LONG counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  char path[MAX_PATH];
  wsprintfA(path, "%sgwtls-%lu-%lu-%ld\\", temp, GetCurrentProcessId(), GetTickCount(),
            InterlockedIncrement(&counter));
  path_ = path;
  DeleteDirectoryTree(path_.c_str());
  CreateDirectoryPath(path_.c_str());
  unixPath_ = UnixPathOf(path_);
}

ScratchFolder::~ScratchFolder() { DeleteDirectoryTree(path_.c_str()); }

int RunUnixShell(const ScratchFolder& folder, const std::string& script, DWORD timeoutMs) {
  static LONG counter = 0;
  std::string marker = "exit-" + std::to_string(InterlockedIncrement(&counter));
  std::string wrapped = "cd '" + folder.UnixPath() + "' && exec </dev/null >>shell.log 2>&1; (" + script +
                        "); echo $? > " + marker + ".tmp; mv " + marker + ".tmp " + marker;
  if (!StartUnixShell(wrapped)) return -1;
  std::string status;
  bool done = WaitUntil([&] { return !(status = ReadFileText(folder.Path() + marker)).empty(); }, timeoutMs);
  return done ? atoi(status.c_str()) : -1;
}

const TestCertificates& Certificates() {
  static ScratchFolder folder;
  static TestCertificates made;
  if (!made.signedKeyBlob.empty()) return made;
  const char* script =
      "openssl req -x509 -newkey rsa:2048 -nodes -keyout self.key -out self.pem -days 2 -subj /CN=localhost"
      " && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2"
      " -subj '/CN=Gateway Test Authority'"
      " && openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj /CN=localhost"
      " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2"
      " -out server.pem"
      " && openssl rsa -in server.key -outform MSBLOB -out server.blob";
  int status = RunUnixShell(folder, script, kCertificateMakingMs);
  EXPECT_EQ(status, 0) << ReadFileText(folder.Path() + "shell.log");
  const std::string& dir = folder.UnixPath();
  made.folder = folder.Path();
  made.selfSignedCert = dir + "/self.pem";
  made.selfSignedKey = dir + "/self.key";
  made.authorityCert = dir + "/ca.pem";
  made.signedCert = dir + "/server.pem";
  made.signedKey = dir + "/server.key";
  made.signedKeyBlob = folder.Path() + "server.blob";
  return made;
}

OpenSslServer::OpenSslServer(const std::string& cert, const std::string& key, const std::string& options) {
  // Its input is a pipe nobody writes to: s_server ends a session when its
  // input ends.
  std::string script = "cd '" + folder_.UnixPath() +
                       "' && rm -f input && mkfifo input && exec 3<>input </dev/null >server.log 2>&1; echo PID $$;"
                       " exec /usr/bin/timeout 60 /usr/bin/openssl s_server -accept 127.0.0.1:0 -naccept 1"
                       " -cert '" + cert + "' -key '" + key + "' " + options + " <&3";
  if (!StartUnixShell(script)) return;
  bool started = WaitUntil(
      [this] {
        std::string output = Output();
        pid_ = NumberAfter(output, "PID ");
        port_ = static_cast<unsigned short>(NumberAfter(output, "ACCEPT 127.0.0.1:"));
        return port_ != 0;
      },
      kServerStartMs);
  if (!started) ADD_FAILURE() << "openssl s_server did not start:\n" << Output();
}

OpenSslServer::~OpenSslServer() {
  // The pipe goes too: Windows file functions cannot remove it.
  std::string kill = pid_ != 0 ? "kill " + std::to_string(pid_) + " 2>/dev/null; " : "";
  RunUnixShell(folder_, kill + "rm -f input", 5000);
}

std::string OpenSslServer::Output() const { return ReadFileText(folder_.Path() + "server.log"); }

bool OpenSslServer::WaitForOutput(const std::string& text, DWORD timeoutMs) const {
  return WaitUntil([&] { return Output().find(text) != std::string::npos; }, timeoutMs);
}

void SetReceiveTimeout(SOCKET socket, DWORD timeoutMs) {
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
}

static sockaddr_in LoopbackAddress(unsigned short port) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

SOCKET ConnectLoopback(unsigned short port, DWORD receiveTimeoutMs) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return s;
  sockaddr_in address = LoopbackAddress(port);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  SetReceiveTimeout(s, receiveTimeoutMs);
  return s;
}

SocketPair::SocketPair() {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = LoopbackAddress(0);
  int size = sizeof address;
  if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener, 1) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ADD_FAILURE() << "no loopback listener: " << WSAGetLastError();
    if (listener != INVALID_SOCKET) closesocket(listener);
    return;
  }
  client = ConnectLoopback(ntohs(address.sin_port), 10000);
  if (client != INVALID_SOCKET) server = accept(listener, nullptr, nullptr);
  closesocket(listener);
  EXPECT_NE(server, INVALID_SOCKET) << "loopback connection failed: " << WSAGetLastError();
  if (server != INVALID_SOCKET) SetReceiveTimeout(server, 10000);
}

SocketPair::~SocketPair() {
  if (client != INVALID_SOCKET) closesocket(client);
  if (server != INVALID_SOCKET) closesocket(server);
}

std::string ReadAvailable(SOCKET socket, DWORD waitMs) {
  std::string text;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= waitMs) return text;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    DWORD left = waitMs - elapsed;
    timeval limit = {static_cast<long>(left / 1000), static_cast<long>(left % 1000) * 1000};
    if (select(0, &set, nullptr, nullptr, &limit) <= 0) return text;
    char buffer[4096];
    int n = recv(socket, buffer, sizeof buffer, 0);
    if (n <= 0) return text;
    text.append(buffer, n);
  }
}

LoopbackRelay::LoopbackRelay(unsigned short target, int chunk) : target_(target), chunk_(chunk) {
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = LoopbackAddress(0);
  int size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener_, 1) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ADD_FAILURE() << "relay cannot listen: " << WSAGetLastError();
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

LoopbackRelay::~LoopbackRelay() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  closesocket(listener_);
}

bool LoopbackRelay::PassToClient(SOCKET client, const std::string& data) {
  size_t piece = chunk_ > 0 ? static_cast<size_t>(chunk_) : data.size();
  for (size_t at = 0; at < data.size(); at += piece) {
    int length = static_cast<int>(data.size() - at < piece ? data.size() - at : piece);
    if (send(client, data.data() + at, length, 0) != length) return false;
    ++serverSends_;
  }
  return true;
}

void LoopbackRelay::Run() {
  constexpr DWORD kLifetimeMs = 30000;
  constexpr long kPauseMs = 100;
  fd_set set;
  FD_ZERO(&set);
  FD_SET(listener_, &set);
  timeval acceptLimit = {10, 0};
  if (select(0, &set, nullptr, nullptr, &acceptLimit) <= 0) return;
  SOCKET client = accept(listener_, nullptr, nullptr);
  SOCKET server = ConnectLoopback(target_, 1000);
  std::string held;
  DWORD started = GetTickCount();
  while (!stop_ && client != INVALID_SOCKET && server != INVALID_SOCKET && GetTickCount() - started < kLifetimeMs) {
    FD_ZERO(&set);
    FD_SET(client, &set);
    FD_SET(server, &set);
    timeval pause = {0, kPauseMs * 1000};
    int ready = select(0, &set, nullptr, nullptr, &pause);
    if (ready < 0) break;
    if (ready == 0) {
      // The server paused: what was held back goes on in one piece.
      if (!held.empty() && !PassToClient(client, held)) break;
      held.clear();
      continue;
    }
    char buffer[16384];
    if (FD_ISSET(client, &set)) {
      int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0 || send(server, buffer, n, 0) != n) break;
    }
    if (FD_ISSET(server, &set)) {
      int n = recv(server, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      if (chunk_ == 0)
        held.append(buffer, n);
      else if (!PassToClient(client, std::string(buffer, n)))
        break;
    }
  }
  if (!held.empty()) PassToClient(client, held);
  if (client != INVALID_SOCKET) closesocket(client);
  if (server != INVALID_SOCKET) closesocket(server);
}

unsigned short ClosedPort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = LoopbackAddress(0);
  int size = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  closesocket(s);
  return ntohs(address.sin_port);
}
