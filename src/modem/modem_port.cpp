#include "modem/modem_port.h"

#include <cstring>

#include "app/app_state.h"
#include "common/owned_handles.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "modem/at_channel.h"
#include "modem/modem_registry.h"
#include "modem/telephony.h"

namespace {

constexpr DWORD kApiVersion = 0x00020001;
constexpr DWORD kLowestApiVersion = 0x00010003;
constexpr DWORD kInitialCapsSize = 1276;
constexpr DWORD kCapsGrowth = 1024;
constexpr DWORD kVarStringSize = 2048;
constexpr DWORD kNotificationWaitMs = 60000;
constexpr DWORD kResetPauseMs = 15000;
const unsigned kProbeRates[] = {115200, 57600, 38400, 19200, 9600};
const unsigned kDirectRates[] = {115200, 57600, 38400, 19200, 9600, 2400};

void CALLBACK IgnoreTelephonyEvent(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

// Line capabilities in a heap block that grows until the device's answer fits.
HeapBlock<LINEDEVCAPS> ReadLineCaps(HLINEAPP app, DWORD device, DWORD version) {
  DWORD size = kInitialCapsSize;
  for (int attempt = 0; attempt < 8; ++attempt) {
    auto caps = AllocateBlock<LINEDEVCAPS>(size);
    if (!caps) return nullptr;
    caps->dwTotalSize = size;
    LONG result = Telephony().lineGetDevCapsA(app, device, version, 0, caps.get());
    if (result == static_cast<LONG>(LINEERR_STRUCTURETOOSMALL))
      size += kCapsGrowth;
    else if (result != 0)
      return nullptr;
    else if (caps->dwNeededSize > caps->dwTotalSize)
      size = caps->dwNeededSize;
    else
      return caps;
  }
  return nullptr;
}

// The line name of the capabilities, cut to the buffer.
void LineName(const LINEDEVCAPS* caps, char* name, size_t cap) {
  name[0] = '\0';
  if (caps->dwLineNameSize == 0 || caps->dwLineNameOffset + caps->dwLineNameSize > caps->dwTotalSize) return;
  const char* text = reinterpret_cast<const char*>(caps) + caps->dwLineNameOffset;
  CopyTextMax(name, cap, text, caps->dwLineNameSize);
}

bool NegotiateVersion(HLINEAPP app, DWORD device, DWORD* version) {
  LINEEXTENSIONID extension;
  return Telephony().lineNegotiateAPIVersion(app, device, kLowestApiVersion, kApiVersion, version, &extension) == 0;
}

void ShowTapiInitError(HWND owner, LONG error, UINT icon) {
  char message[100];
  FormatText(message, sizeof message, "Unable to initialize TAPI:  Error %lX from lineInitialize",
             static_cast<unsigned long>(error));
  ShowMessage(owner, message, MB_OK | MB_SETFOREGROUND | icon);
}

void ShowAccessError(const char* port, DWORD error) {
  char message[500];
  size_t used = FormatText(message, sizeof message, "Unable to access modem at %s -- Error %lX -- ", port,
                           static_cast<unsigned long>(error));
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, message + used,
                 static_cast<DWORD>(sizeof message - used), nullptr);
  if (error == ERROR_ACCESS_DENIED)
    AppendText(message, sizeof message, "\r\nAnother application is already using this device.");
  ShowMessage(nullptr, message, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

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

void Report(const char* what, LONG error, bool loud) {
  if (!loud) return;
  char message[100];
  FormatText(message, sizeof message, "Unable to initialize modem:  Error %lX from %s", static_cast<unsigned long>(error),
             what);
  ShowMessage(nullptr, message, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

struct OpenState {
  char rememberedPort[kPortNameChars + 1] = "";
  bool secondPass = false;
  bool giveUp = false;  // a failure that the fallback must not follow
};

// The direct case: the name is a COM port. Invalid when no rate answered.
HANDLE OpenDirect(const char* name, const char* pin, OpenState* state) {
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

// A data-modem pass-through call on the named line; its comm handle, or invalid.
HANDLE OpenThroughLine(DWORD device, DWORD version, HANDLE notification, ModemPortHandles* handles,
                       OpenState* state) {
  bool loud = state->rememberedPort[0] == '\0' || state->secondPass;
  LONG result = Telephony().lineOpenA(handles->application, device, &handles->line, version, 0, 0,
                                      LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM, nullptr);
  if (result != 0) {
    Report("lineOpen", result, loud);
    handles->line = 0;
    return INVALID_HANDLE_VALUE;
  }
  auto id = AllocateBlock<VARSTRING>(kVarStringSize);
  if (!id) {
    Telephony().lineClose(handles->line);
    handles->line = 0;
    return INVALID_HANDLE_VALUE;
  }
  id->dwTotalSize = kVarStringSize;
  if (Telephony().lineGetIDA(handles->line, 0, 0, LINECALLSELECT_LINE, id.get(), "comm/datamodem/portname") == 0 &&
      id->dwStringSize > 0 && id->dwStringOffset + id->dwStringSize <= kVarStringSize) {
    CopyTextMax(state->rememberedPort, sizeof state->rememberedPort,
                reinterpret_cast<const char*>(id.get()) + id->dwStringOffset, id->dwStringSize);
  }
  loud = state->rememberedPort[0] == '\0' || state->secondPass;

  LINECALLPARAMS params = {};
  params.dwTotalSize = sizeof params;
  params.dwBearerMode = LINEBEARERMODE_PASSTHROUGH;
  params.dwMediaMode = LINEMEDIAMODE_DATAMODEM;
  HCALL call = 0;
  result = Telephony().lineMakeCallA(handles->line, &call, nullptr, 0, &params);
  if (result < 0) {
    Report("lineMakeCall", result, loud);
    Telephony().lineClose(handles->line);
    handles->line = 0;
    return INVALID_HANDLE_VALUE;
  }
  if (notification) WaitForSingleObject(notification, kNotificationWaitMs);
  memset(id.get(), 0, kVarStringSize);
  id->dwTotalSize = kVarStringSize;
  result = Telephony().lineGetIDA(0, 0, call, LINECALLSELECT_CALL, id.get(), "comm/datamodem");
  HANDLE port = INVALID_HANDLE_VALUE;
  if (result == 0 && id->dwStringSize >= sizeof(HANDLE) && id->dwStringOffset + sizeof(HANDLE) <= kVarStringSize) {
    memcpy(&port, reinterpret_cast<const char*>(id.get()) + id->dwStringOffset, sizeof port);
  } else {
    Report("lineGetID", result, loud);
    Telephony().lineClose(handles->line);
    handles->line = 0;
  }
  return port;
}

// The telephony case: find the data-modem line of that name and get its comm handle.
HANDLE OpenByTelephony(const char* name, ModemPortHandles* handles, OpenState* state) {
  LINEINITIALIZEEXPARAMS params = {};
  params.dwTotalSize = sizeof params;
  params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
  DWORD devices = 0;
  DWORD version = kApiVersion;
  LONG result = Telephony().lineInitializeExA(&handles->application, GetModuleHandleA(nullptr), nullptr, kProductCaption,
                                              &devices, &version, &params);
  if (result != 0) {
    handles->application = 0;
    ShowTapiInitError(nullptr, result, MB_ICONERROR);
    state->giveUp = true;
    return INVALID_HANDLE_VALUE;
  }
  FindModemComPort(name, state->rememberedPort, sizeof state->rememberedPort);
  for (DWORD device = 0; device < devices; ++device) {
    DWORD negotiated = 0;
    if (!NegotiateVersion(handles->application, device, &negotiated)) continue;
    HeapBlock<LINEDEVCAPS> caps = ReadLineCaps(handles->application, device, negotiated);
    if (!caps) continue;
    char lineName[kModemNameCapacity];
    LineName(caps.get(), lineName, sizeof lineName);
    if (!(caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM) || !EqualsNoCase(lineName, name)) continue;
    HANDLE port = OpenThroughLine(device, negotiated, params.Handles.hEvent, handles, state);
    if (state->rememberedPort[0] == '\0')
      FindModemComPort(name, state->rememberedPort, sizeof state->rememberedPort);
    if (port != INVALID_HANDLE_VALUE) return port;
  }
  Telephony().lineShutdown(handles->application);
  handles->application = 0;
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool ListModems(HWND dialog, int comboId, bool reportFailure) {
  HLINEAPP app = 0;
  DWORD devices = 0;
  DWORD version = kApiVersion;
  LINEINITIALIZEEXPARAMS params = {};
  params.dwTotalSize = sizeof params;
  LONG result = Telephony().lineInitializeExA(&app, GetModuleHandleA(nullptr), IgnoreTelephonyEvent, kProductCaption,
                                              &devices, &version, &params);
  if (result != 0) {
    if (reportFailure) ShowTapiInitError(dialog, result, 0);
    return false;
  }
  for (DWORD device = 0; device < devices; ++device) {
    DWORD negotiated = 0;
    if (!NegotiateVersion(app, device, &negotiated)) continue;
    HeapBlock<LINEDEVCAPS> caps = ReadLineCaps(app, device, negotiated);
    if (!caps || !(caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM)) continue;
    char name[kModemNameCapacity];
    LineName(caps.get(), name, sizeof name);
    SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  Telephony().lineShutdown(app);
  return true;
}

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
  char message[64];
  FormatText(message, sizeof message, "Initialised modem at %u bps", baud);
  ShowMessage(nullptr, message, MB_OK | MB_ICONINFORMATION);
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
      Sleep(kResetPauseMs);
      continue;
    }
    CloseHandle(port);
    return result;
  }
}

ModemPortHandles OpenModemPort(const char* modemName, const char* pin) {
  OpenState state;
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
