#include "modem_com_port.h"

#include "common/text_util.h"
#include "gprs_rules.h"
#include "modem/at_rules.h"
#include "modem/modem_port.h"

HANDLE OpenModemComPort(const char* modemName) {
  char portName[kPortNameChars + 1] = "";
  if (!modemName) return INVALID_HANDLE_VALUE;
  if (IsDirectComPortName(modemName))
    CopyText(portName, sizeof portName, modemName);
  else if (!FindModemComPort(modemName, portName, sizeof portName))
    return INVALID_HANDLE_VALUE;
  char device[kPortNameChars + 8];
  if (!ComDevicePath(portName, device, sizeof device)) return INVALID_HANDLE_VALUE;
  return CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}
