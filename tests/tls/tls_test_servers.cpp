#include "tls/tls_test_servers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "common/file_util.h"
#include "support/test_env.h"
#include "support/window_driver.h"

// Under /tmp, which Wine shows as drive Z:.
ScratchFolder::ScratchFolder() {
  static LONG counter = 0;
  unixPath = "/tmp/gwtls-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
             std::to_string(InterlockedIncrement(&counter));
  path = "Z:" + unixPath + "/";
  std::replace(path.begin(), path.end(), '/', '\\');
  CreateDirectoryA(path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { DeleteDirectoryTree(path.c_str()); }

// Wine starts Unix programs too, though without a process handle: the
// script's exit status comes back in a file.
int RunUnixShell(const ScratchFolder& folder, const std::string& script, DWORD timeoutMs) {
  static LONG counter = 0;
  std::string marker = "exit-" + std::to_string(InterlockedIncrement(&counter));
  std::string commandLine = "/bin/sh -c \"cd '" + folder.unixPath + "' && exec </dev/null >>shell.log 2>&1; (" +
                            script + "); echo $? > " + marker + ".tmp; mv " + marker + ".tmp " + marker + "\"";
  EXPECT_EQ(script.find('"'), std::string::npos) << "the script travels inside double quotes";
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  std::string status;
  bool done = WaitUntil([&] { return !(status = ReadFileText(folder.path + marker)).empty(); }, timeoutMs);
  return done ? atoi(status.c_str()) : -1;
}

const TestCertificates& Certificates() {
  static ScratchFolder folder;
  static TestCertificates made;
  if (!made.selfSignedCert.empty()) return made;
  const char* script =
      "openssl req -x509 -newkey rsa:2048 -nodes -keyout self.key -out self.pem -days 2 -subj /CN=localhost";
  EXPECT_EQ(RunUnixShell(folder, script, 60000), 0) << ReadFileText(folder.path + "shell.log");
  made = {folder.unixPath + "/self.pem", folder.unixPath + "/self.key"};
  return made;
}

OpenSslServer::OpenSslServer(const std::string& cert, const std::string& key, const std::string& options) {
  // In the background, its input a pipe nobody writes to: s_server ends a
  // session when its input ends.
  RunUnixShell(folder_,
               "mkfifo input; (exec 3<>input; exec timeout 60 openssl s_server -accept 127.0.0.1:0 -naccept 1 -cert '" +
                   cert + "' -key '" + key + "' " + options + " <&3 >server.log 2>&1) & echo $! > pid",
               5000);
  const std::string marker = "ACCEPT 127.0.0.1:";
  if (WaitForOutput(marker, 15000))
    port_ = static_cast<unsigned short>(atoi(Output().c_str() + Output().find(marker) + marker.size()));
  else
    ADD_FAILURE() << "openssl s_server did not start:\n" << Output();
}

// The pipe goes too: Windows file functions cannot remove it.
OpenSslServer::~OpenSslServer() { RunUnixShell(folder_, "kill $(cat pid); rm -f input", 5000); }

std::string OpenSslServer::Output() const { return ReadFileText(folder_.path + "server.log"); }

bool OpenSslServer::WaitForOutput(const std::string& text, DWORD timeoutMs) const {
  return WaitUntil([&] { return Output().find(text) != std::string::npos; }, timeoutMs);
}

void SetReceiveTimeout(SOCKET socket, DWORD timeoutMs) {
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
}

SOCKET ConnectLoopback(unsigned short port, DWORD receiveTimeoutMs) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = LoopbackAt(port);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  SetReceiveTimeout(s, receiveTimeoutMs);
  return s;
}

SocketPair::SocketPair() {
  Listener listener;
  client = ConnectLoopback(listener.Port(), 10000);
  server = listener.Accept(10000);
  EXPECT_NE(server, INVALID_SOCKET) << "loopback connection failed: " << WSAGetLastError();
  SetReceiveTimeout(server, 10000);
}

SocketPair::~SocketPair() {
  closesocket(client);
  closesocket(server);
}

unsigned short ClosedPort() { return Listener().Port(); }

LoopbackRelay::LoopbackRelay(unsigned short target, int chunk) : thread_([this, target, chunk] { Run(target, chunk); }) {}

LoopbackRelay::~LoopbackRelay() {
  stop_ = true;
  thread_.join();
}

void LoopbackRelay::Run(unsigned short target, size_t chunk) {
  SOCKET client = INVALID_SOCKET;
  while (!stop_ && client == INVALID_SOCKET) client = listener_.Accept(100);
  SOCKET server = client == INVALID_SOCKET ? INVALID_SOCKET : ConnectLoopback(target, 1000);
  std::string held;
  // Passes on what is held, in pieces of chunk bytes or (chunk 0) at once.
  auto pass = [&] {
    for (size_t at = 0, piece = chunk ? chunk : held.size(); at < held.size(); at += piece) {
      int length = static_cast<int>(std::min(piece, held.size() - at));
      if (send(client, held.data() + at, length, 0) != length) return false;
    }
    held.clear();
    return true;
  };
  while (!stop_ && server != INVALID_SOCKET) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(client, &set);
    FD_SET(server, &set);
    timeval pause = {0, 100000};
    int ready = select(0, &set, nullptr, nullptr, &pause);
    char buffer[16384];
    int n = 0;
    if (ready < 0) break;
    if (FD_ISSET(client, &set) && ((n = recv(client, buffer, sizeof buffer, 0)) <= 0 || send(server, buffer, n, 0) != n))
      break;
    if (FD_ISSET(server, &set) && (n = recv(server, buffer, sizeof buffer, 0)) <= 0) break;
    if (FD_ISSET(server, &set)) held.append(buffer, n);
    // Held back until the server pauses, unless it goes in pieces.
    if ((chunk > 0 || ready == 0) && !pass()) break;
  }
  pass();
  closesocket(client);
  closesocket(server);
}
