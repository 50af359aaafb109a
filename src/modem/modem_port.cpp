#include "modem/modem_port.h"

#include <cstring>

#include "common/owned_handles.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "modem/at_channel.h"
#include "modem/modem_lines.h"
#include "modem/modem_messages.h"
#include "modem/modem_registry.h"
#include "modem/telephony.h"

namespace {

constexpr DWORD kResetPauseMs = 15000;
const unsigned kProbeRates[] = {115200, 57600, 38400, 19200, 9600};
const unsigned kDirectRates[] = {115200, 57600, 38400, 19200, 9600, 2400};

// Opens a COM port by name, then by its device path without the colon.
HANDLE OpenComDevice(const char* name, DWORD* error) {
  HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                            nullptr);
  *error = GetLastError();
  if (port != INVALID_HANDLE_VALUE || !FindNoCase(name, "COM") || FindNoCase(name, "COM") != name) return port;
  char device[kPortNameChars + 8];
  size_t length = strlen(name);
  FormatText(device, sizeof device, "\\\\.\\%.*s", static_cast<int>(length > 0 ? length - 1 : 0), name);
  port = CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) *error = GetLastError();
  return port;
}

bool SendAndCheck(HANDLE port, const char* command, DWORD limit, char* answer) {
  if (!ModemWrite(port, command)) return false;
  return ModemReadResponse(port, answer, kResponseCapacity, limit) > 0 && ResponseIsOk(answer);
}

// The direct case: the name is a COM port. Invalid when no rate answered.
HANDLE OpenDirect(const char* name, const char* pin, ModemOpenState* state) {
  CopyText(state->rememberedPort, sizeof state->rememberedPort, name);
  DWORD error = 0;
  HANDLE port = OpenComDevice(state->rememberedPort, &error);
  if (port == INVALID_HANDLE_VALUE) {
    ShowAccessError(state->rememberedPort, error);
    state->giveUp = true;
    return INVALID_HANDLE_VALUE;
  }
  if (!SetupComm(port, 1024, 1024)) {
    ShowMessage(nullptr, "SetupComm Failed", MB_OK);
    return port;
  }
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) {
    ShowMessage(nullptr, "GetCommState Failed", MB_OK);
    return port;
  }
  SetOpenCommTimeouts(port);
  for (unsigned rate : kDirectRates)
    if (InitModemAtBaud(port, rate, pin)) return port;
  CloseHandle(port);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool FindModemComPort(const char* modemName, char* port, size_t portCap) {
  port[0] = '\0';
  RegistryKey driver;
  if (!OpenModemDriverKey(modemName, KEY_READ, driver.Receive())) return false;
  char attached[500];
  if (!ReadRegistryText(driver.get(), "AttachedTo", attached, sizeof attached) || !attached[0]) return false;
  CopyText(port, portCap, attached);
  return true;
}

bool InitModemAtBaud(HANDLE port, unsigned baud, const char* pin) {
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  GetCommState(port, &dcb);
  char settings[64];
  FormatText(settings, sizeof settings, "baud=%u parity=N data=8 stop=1", baud);
  if (!BuildCommDCBA(settings, &dcb)) return false;
  SetCommState(port, &dcb);
  char answer[kResponseCapacity];
  ModemWrite(port, "\r");
  ModemReadResponse(port, answer, sizeof answer, 1);
  if (pin && *pin) {
    char command[80];
    FormatText(command, sizeof command, "AT+CPIN=\"%s\"\r", pin);
    ModemWrite(port, command);
    ModemReadResponse(port, answer, sizeof answer, 5);
  }
  ModemWrite(port, "ATE0V1\r");
  if (ModemReadResponse(port, answer, sizeof answer, 5) == 0 || !ResponseIsOk(answer)) return false;
  ShowInitialisedRate(baud);
  return true;
}

bool ResetModem(HANDLE port) {
  char answer[kResponseCapacity];
  if (SendAndCheck(port, "AT+CFUN=?\r", 10, answer) && CfunSupportsResetParameter(answer) &&
      SendAndCheck(port, "AT+CFUN=1,1\r", 10, answer))
    return true;
  if (SendAndCheck(port, "AT*E2RESET=?\r", 10, answer) && SendAndCheck(port, "AT*E2RESET\r", 10, answer))
    return true;
  if (SendAndCheck(port, "AT!RESET\r", 10, answer)) return true;
  return SendAndCheck(port, "AT+CFUN=1\r", 10, answer);
}

bool ProbeAndResetModem(const char* comPort, const char* pin) {
  char name[kPortNameChars + 2];
  CopyTextMax(name, kPortNameChars + 1, comPort, kPortNameChars);
  size_t length = strlen(name);
  if (FindNoCase(name, "COM") == name && (length == 0 || name[length - 1] != ':')) AppendText(name, sizeof name, ":");
  bool result = false;
  bool resetDone = false;
  for (;;) {
    DWORD error = 0;
    HANDLE port = OpenComDevice(name, &error);
    if (port == INVALID_HANDLE_VALUE) {
      ShowAccessError(name, error);
      return result;
    }
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!SetupComm(port, 1024, 1024) || !GetCommState(port, &dcb)) {
      CloseHandle(port);
      return result;
    }
    SetOpenCommTimeouts(port);
    bool found = false;
    for (unsigned rate : kProbeRates) {
      if (InitModemAtBaud(port, rate, pin)) {
        found = true;
        break;
      }
      char answer[kResponseCapacity];
      ModemWrite(port, "+++ATH0\r");
      ModemReadResponse(port, answer, sizeof answer, 1);
      if (InitModemAtBaud(port, rate, pin)) {
        found = true;
        break;
      }
    }
    if (found) result = true;
    if (found && !resetDone && ResetModem(port)) {
      resetDone = true;
      CloseHandle(port);
      ModemPause(kResetPauseMs);
      continue;
    }
    CloseHandle(port);
    return result;
  }
}

ModemPortHandles OpenModemPort(const char* modemName, const char* pin) {
  ModemOpenState state;
  for (;;) {
    ModemPortHandles handles;
    if (IsDirectComPortName(modemName))
      handles.port = OpenDirect(modemName, pin, &state);
    else
      handles.port = OpenByTelephony(modemName, &handles, &state);
    if (handles.port != INVALID_HANDLE_VALUE || state.giveUp) return handles;
    if (state.rememberedPort[0] == '\0' || state.secondPass || !ProbeAndResetModem(state.rememberedPort, pin))
      return handles;
    state.secondPass = true;
  }
}

void CloseModemPort(ModemPortHandles* handles) {
  if (handles->port != INVALID_HANDLE_VALUE) CloseHandle(handles->port);
  Telephony().lineClose(handles->line);
  Telephony().lineShutdown(handles->application);
  handles->port = INVALID_HANDLE_VALUE;
  handles->line = 0;
  handles->application = 0;
}
