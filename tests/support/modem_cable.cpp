#include "support/modem_cable.h"

#include "modem/at_channel.h"

HANDLE OpenConsoleEnd(int cable) {
  std::string device = "\\\\.\\COM" + std::to_string(4 + cable);
  HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) return port;
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  GetCommState(port, &dcb);
  BuildCommDCBA("baud=115200 parity=N data=8 stop=1", &dcb);
  SetCommState(port, &dcb);
  SetOpenCommTimeouts(port);
  PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return port;
}

std::string Exchange(HANDLE port, const char* command, DWORD limitSeconds) {
  char buffer[kResponseCapacity];
  ModemWrite(port, command);
  ModemReadResponse(port, buffer, sizeof buffer, limitSeconds);
  return buffer;
}
