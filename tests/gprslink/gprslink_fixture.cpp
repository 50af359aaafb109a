#include <winsock2.h>

#include "gprslink/gprslink_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_env.h"

namespace {
const char kModemClass[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";

// The driver key whose FriendlyName is the name.
std::string FindDriverKey(const std::string& friendlyName) {
  HKEY modems;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModemClass, 0, KEY_READ, &modems) != ERROR_SUCCESS) return "";
  std::string found;
  char name[256];
  for (DWORD i = 0; found.empty(); ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(modems, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    char friendly[512] = "";
    DWORD size = sizeof friendly - 1;
    if (RegGetValueA(modems, name, "FriendlyName", RRF_RT_REG_SZ, nullptr, friendly, &size) == ERROR_SUCCESS &&
        friendlyName == friendly)
      found = std::string(kModemClass) + "\\" + name;
  }
  RegCloseKey(modems);
  return found;
}
}  // namespace

const GprsLinkLibrary& GprsLink() {
  const GprsLinkLibrary* library = LoadGprsLinkLibrary();
  if (!library) {
    ADD_FAILURE() << "GPRSLINK.DLL does not bind";
    static const GprsLinkLibrary none = {};
    return none;
  }
  return *library;
}

BOOL ModemRequestedNow(const char* modemName) {
  auto requested = reinterpret_cast<BOOL(__cdecl*)(const char*)>(GprsLink().ModemRequested);
  return requested ? requested(modemName) : FALSE;
}

void UseFakeRas() { SetEnvironmentVariableA("ZEDSMS_RAS_LIBRARY", "FAKERAS.DLL"); }

std::string FakeRasIni(const std::string& dataDirectory) { return dataDirectory + "FAKERAS.INI"; }

DriverInitStrings::DriverInitStrings(const std::string& friendlyName) {
  std::string driver = FindDriverKey(friendlyName);
  EXPECT_FALSE(driver.empty()) << "no driver key for " << friendlyName;
  key_ = driver.empty() ? "" : driver + "\\Init";
}

DriverInitStrings::~DriverInitStrings() {
  if (!key_.empty()) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
}

void DriverInitStrings::Set(const char* number, const std::string& text) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, number, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

std::vector<std::pair<std::string, std::string>> DriverInitStrings::Read() const {
  std::vector<std::pair<std::string, std::string>> values;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    char name[64];
    char text[1024] = "";
    DWORD nameLength = sizeof name;
    DWORD size = sizeof text - 1;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
      break;
    values.emplace_back(name, text);
  }
  RegCloseKey(key);
  std::sort(values.begin(), values.end());
  return values;
}

GatewayListener::GatewayListener() : socket_(INVALID_SOCKET) {
  WSADATA winsock;
  WSAStartup(MAKEWORD(2, 2), &winsock);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      listen(s, 8) == 0 && getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    socket_ = s;
    port_ = ntohs(address.sin_port);
  } else if (s != INVALID_SOCKET) {
    closesocket(s);
  }
}

GatewayListener::~GatewayListener() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  WSACleanup();
}

unsigned ClosedLoopbackPort() {
  // A port just given up by a listener: nothing takes it in the meantime here.
  unsigned port = 0;
  {
    GatewayListener listener;
    port = listener.Port();
  }
  return port;
}

PROCESS_INFORMATION StartChild(const std::string& arguments) {
  std::string executable = ProgramFolder() + "gprslink_child.exe";
  std::string commandLine = "\"" + executable + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    ADD_FAILURE() << "cannot start " << executable;
  return process;
}

DWORD RunChild(const std::string& arguments) {
  PROCESS_INFORMATION process = StartChild(arguments);
  if (!process.hProcess) return 0xDEADu;
  DWORD code = 0xDEADu;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  else TerminateProcess(process.hProcess, code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}
