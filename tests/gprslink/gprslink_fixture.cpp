#include <winsock2.h>

#include "gprslink/gprslink_fixture.h"

#include <gtest/gtest.h>

#include "support/test_env.h"
#include "support/window_driver.h"

const GprsLinkLibrary& GprsLink() {
  static const GprsLinkLibrary none = {};
  const GprsLinkLibrary* library = LoadGprsLinkLibrary();
  if (!library) ADD_FAILURE() << "GPRSLINK.DLL does not bind";
  return library ? *library : none;
}

void UseFakeRas() { SetEnvironmentVariableA("ZEDSMS_RAS_LIBRARY", "FAKERAS.DLL"); }

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

void Pick(HWND dialog, int list, const char* item, WORD notification) {
  LRESULT index = SendDlgItemMessageA(dialog, list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(item));
  ASSERT_NE(index, LB_ERR) << item;
  SendDlgItemMessageA(dialog, list, LB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, notification), reinterpret_cast<LPARAM>(GetDlgItem(dialog, list)));
}

// A port just given up by a listener: nothing takes it in the meantime here.
std::string ClosedLoopbackAddress() { return GatewayListener().Address(); }

DWORD RunChild(const std::string& arguments) {
  return static_cast<DWORD>(RunProgram(ProgramFolder() + "gprslink_child.exe", arguments, 60000));
}

ModemHeldElsewhere::ModemHeldElsewhere(const std::string& modem) : modem_(modem) {
  std::string commandLine = "\"" + ProgramFolder() + "gprslink_child.exe\" allocate \"" + modem + "\" 30000 120000";
  STARTUPINFOA startup = {sizeof startup};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &holder_))
    ADD_FAILURE() << "cannot start " << commandLine;
}

ModemHeldElsewhere::~ModemHeldElsewhere() {
  if (!holder_.hProcess) return;
  TerminateProcess(holder_.hProcess, 9);
  WaitForSingleObject(holder_.hProcess, 10000);
  CloseHandle(holder_.hThread);
  CloseHandle(holder_.hProcess);
}

bool ModemHeldElsewhere::Held() const {
  auto refusedHere = [&] {
    DWORD allocation = GprsLink().ModemAllocate(modem_.c_str(), 0, nullptr);
    if (allocation) GprsLink().ModemRelease(allocation);
    return allocation == 0;
  };
  return holder_.hProcess && WaitUntil(refusedHere, 10000);
}
