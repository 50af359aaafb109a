// Shared helpers of the GPRSLINK.DLL tests: the library bound as the console
// binds it, the stand-in dial-up API, a loopback "WAP gateway", a second
// process using the library, and the operator picker's lists.
#pragma once
#include <windows.h>

#include <string>

#include "config/link_libraries.h"

// GPRSLINK.DLL of the program folder through the console's own loader.
const GprsLinkLibrary& GprsLink();

// Names FAKERAS.DLL as the dial-up API of this process and of its children.
// The library binds its dial-up API once, so every test of this program uses it.
void UseFakeRas();

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
// Selects an item of a list box as the user does (with the notification).
void Pick(HWND dialog, int list, const char* item, WORD notification = LBN_SELCHANGE);

// A loopback address where nothing listens.
std::string ClosedLoopbackAddress();

// gprslink_child.exe of the program folder run to its end (at most 60 s): its exit code.
DWORD RunChild(const std::string& arguments);

// Another process that allocates the modem through the library and holds it
// until this ends (it is killed, never releasing).
class ModemHeldElsewhere {
 public:
  explicit ModemHeldElsewhere(const std::string& modem);
  ~ModemHeldElsewhere();
  // Waits until a quick allocation here fails.
  bool Held() const;

 private:
  std::string modem_;
  PROCESS_INFORMATION holder_ = {};
};
