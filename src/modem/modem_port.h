// Opening a modem for AT commands: through its telephony line or its serial
// port, with a probe and a reset when the line does not answer.
#pragma once
#include <windows.h>
#include <tapi.h>

constexpr size_t kModemNameCapacity = 500;
constexpr size_t kPortNameChars = 99;

// What OpenModemPort hands back. The caller closes the port, then the line,
// then shuts the telephony application down (handles that are 0 as they are).
struct ModemPortHandles {
  HANDLE port = INVALID_HANDLE_VALUE;
  HLINEAPP application = 0;
  HLINE line = 0;
};

// The COM port the modem driver of that name is attached to.
bool FindModemComPort(const char* modemName, char* port, size_t portCap);
bool InitModemAtBaud(HANDLE port, unsigned baud, const char* pin);
// True when one of the reset commands was accepted.
bool ResetModem(HANDLE port);
bool ProbeAndResetModem(const char* comPort, const char* pin);
// The open port, or port == INVALID_HANDLE_VALUE when opening failed.
ModemPortHandles OpenModemPort(const char* modemName, const char* pin);
// Closes the port, the line and the telephony application, in that order.
void CloseModemPort(ModemPortHandles* handles);
