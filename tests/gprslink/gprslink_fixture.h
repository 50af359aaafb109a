// Shared helpers of the GPRSLINK.DLL tests: the library bound as the console
// binds it, the stand-in dial-up API, driver initialisation strings, a
// loopback "WAP gateway" and a second process using the library.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "config/link_libraries.h"

// GPRSLINK.DLL of the program folder through the console's own loader.
const GprsLinkLibrary& GprsLink();

// The library's ModemRequested, which the console binds but never calls.
BOOL ModemRequestedNow(const char* modemName);

// Names FAKERAS.DLL as the dial-up API of this process and of its children.
// The library binds its dial-up API once, so every test of this program uses it.
void UseFakeRas();
// FAKERAS.INI of the current data directory.
std::string FakeRasIni(const std::string& dataDirectory);

// Initialisation strings of an installed modem's driver key (a
// ModemRegistryEntry declared before it); the Init key is removed at the end.
class DriverInitStrings {
 public:
  explicit DriverInitStrings(const std::string& friendlyName);
  ~DriverInitStrings();
  void Set(const char* number, const std::string& text);
  // Value name to text, in name order.
  std::vector<std::pair<std::string, std::string>> Read() const;

 private:
  std::string key_;
};

// A TCP listener on the loopback address that accepts nothing itself: the
// system completes the connections. Port() == 0 when it could not start.
class GatewayListener {
 public:
  GatewayListener();
  ~GatewayListener();
  unsigned Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  UINT_PTR socket_;
  unsigned port_ = 0;
};
// A loopback port where nothing listens.
unsigned ClosedLoopbackPort();

// gprslink_child.exe of the program folder, started with the arguments.
PROCESS_INFORMATION StartChild(const std::string& arguments);
// Runs it to its end (at most 60 s) and returns its exit code.
DWORD RunChild(const std::string& arguments);
