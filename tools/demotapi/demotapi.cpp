// TAPI32.DLL for the demo prefix only, never shipped: the test system's
// telephony lists no line devices, so a person trying the demo could not pick
// a modem. Like the system's modem provider, this one offers a data-modem line
// for each modem recorded under the registry's modem device class, named by
// its FriendlyName, and hands out its AttachedTo port for a pass-through call.
// It serves the calls the console makes and nothing more.
#include <windows.h>
#include <tapi.h>

#include <cstring>

#include "common/text_util.h"
#include "gprslink/gprs_rules.h"
#include "modem/modem_port.h"
#include "modem/modem_registry.h"

namespace {

constexpr DWORD kHighestVersion = 0x00020002;
constexpr DWORD kMaxLines = 16;
constexpr DWORD kMaxApps = 8;
constexpr DWORD kCallFlag = 0x10000;
constexpr size_t kNameCapacity = 500;

struct ModemLine {
  char name[kNameCapacity];
};

// One application: the lines seen when it started, and its event when it asked for one.
struct App {
  bool used;
  HANDLE event;
  DWORD lineCount;
  ModemLine lines[kMaxLines];
};

// The console calls from one thread; two applications may be open at once
// (the modem list is refreshed while a modem test holds its line).
App g_apps[kMaxApps];

void AddLine(const char* name, void* context) {
  App* app = static_cast<App*>(context);
  if (app->lineCount < kMaxLines) CopyText(app->lines[app->lineCount++].name, kNameCapacity, name);
}

// HLINEAPP: app index + 1. HLINE: app handle << 8 | device. HCALL: HLINE | kCallFlag.
App* AppOf(DWORD handle) { return handle >= 1 && handle <= kMaxApps && g_apps[handle - 1].used ? &g_apps[handle - 1] : nullptr; }
const ModemLine* LineOf(DWORD line) {
  App* app = AppOf((line & ~kCallFlag) >> 8);
  DWORD device = line & 0xFF;
  return app && device < app->lineCount ? &app->lines[device] : nullptr;
}

// Fills a VARSTRING; a buffer too small gets only the size it needs, as the API does.
void PutString(LPVARSTRING id, const void* data, DWORD size) {
  DWORD offset = sizeof(VARSTRING);
  id->dwNeededSize = offset + size;
  id->dwUsedSize = offset;
  id->dwStringFormat = STRINGFORMAT_BINARY;
  id->dwStringOffset = 0;
  id->dwStringSize = 0;
  if (id->dwTotalSize < offset + size) return;
  memcpy(reinterpret_cast<char*>(id) + offset, data, size);
  id->dwStringOffset = offset;
  id->dwStringSize = size;
  id->dwUsedSize = offset + size;
}

// The comm handle of a call and the port's name behind it, as the modem provider gives them.
LONG CallCommHandle(const ModemLine& line, LPVARSTRING id) {
  char port[kPortNameChars + 1];
  char device[kPortNameChars + 8];
  if (!FindModemComPort(line.name, port, sizeof port) || !ComDevicePath(port, device, sizeof device))
    return LINEERR_OPERATIONFAILED;
  HANDLE comm = CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                            nullptr);
  if (comm == INVALID_HANDLE_VALUE) return LINEERR_RESOURCEUNAVAIL;
  char data[sizeof(HANDLE) + kNameCapacity] = {};
  memcpy(data, &comm, sizeof comm);
  CopyText(data + sizeof comm, kNameCapacity, line.name);
  DWORD size = static_cast<DWORD>(sizeof comm + strlen(line.name) + 1);
  PutString(id, data, size);
  if (id->dwStringSize == 0) CloseHandle(comm);  // no room: nobody would close it
  return 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) LONG WINAPI lineInitializeExA(LPHLINEAPP appHandle, HINSTANCE, LINECALLBACK, LPCSTR,
                                                    LPDWORD devices, LPDWORD version,
                                                    LPLINEINITIALIZEEXPARAMS params) {
  if (!appHandle || !devices || !version) return LINEERR_INVALPOINTER;
  if (*version > kHighestVersion) *version = kHighestVersion;
  for (DWORD i = 0; i < kMaxApps; ++i) {
    App& app = g_apps[i];
    if (app.used) continue;
    app = App{};
    ForEachModemDriver(AddLine, &app);
    if (params && (params->dwOptions & LINEINITIALIZEEXOPTION_USEEVENT)) {
      app.event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
      if (!app.event) return LINEERR_NOMEM;
      params->Handles.hEvent = app.event;
    }
    app.used = true;
    *appHandle = i + 1;
    *devices = app.lineCount;
    return 0;
  }
  return LINEERR_NOMEM;
}

__declspec(dllexport) LONG WINAPI lineShutdown(HLINEAPP appHandle) {
  App* app = AppOf(appHandle);
  if (!app) return LINEERR_INVALAPPHANDLE;
  if (app->event) CloseHandle(app->event);
  app->used = false;
  return 0;
}

__declspec(dllexport) LONG WINAPI lineNegotiateAPIVersion(HLINEAPP appHandle, DWORD device, DWORD low, DWORD high,
                                                          LPDWORD version, LPLINEEXTENSIONID extension) {
  App* app = AppOf(appHandle);
  if (!app) return LINEERR_INVALAPPHANDLE;
  if (device >= app->lineCount) return LINEERR_BADDEVICEID;
  if (low > kHighestVersion) return LINEERR_INCOMPATIBLEAPIVERSION;
  *version = high < kHighestVersion ? high : kHighestVersion;
  if (extension) memset(extension, 0, sizeof *extension);
  return 0;
}

__declspec(dllexport) LONG WINAPI lineGetDevCapsA(HLINEAPP appHandle, DWORD device, DWORD, DWORD,
                                                  LPLINEDEVCAPS caps) {
  App* app = AppOf(appHandle);
  if (!app) return LINEERR_INVALAPPHANDLE;
  if (device >= app->lineCount) return LINEERR_BADDEVICEID;
  if (caps->dwTotalSize < sizeof(LINEDEVCAPS)) return LINEERR_STRUCTURETOOSMALL;
  DWORD total = caps->dwTotalSize;
  memset(caps, 0, sizeof(LINEDEVCAPS));
  caps->dwTotalSize = total;
  const char* name = app->lines[device].name;
  DWORD nameSize = static_cast<DWORD>(strlen(name) + 1);
  caps->dwNeededSize = sizeof(LINEDEVCAPS) + nameSize;
  caps->dwUsedSize = sizeof(LINEDEVCAPS);
  caps->dwPermanentLineID = device;
  caps->dwStringFormat = STRINGFORMAT_ASCII;
  caps->dwAddressModes = LINEADDRESSMODE_ADDRESSID;
  caps->dwNumAddresses = 1;
  caps->dwBearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH;
  caps->dwMaxRate = 115200;
  caps->dwMediaModes = LINEMEDIAMODE_DATAMODEM;
  caps->dwMaxNumActiveCalls = 1;
  if (total < caps->dwNeededSize) return 0;  // the caller grows its buffer to the needed size
  memcpy(reinterpret_cast<char*>(caps) + sizeof(LINEDEVCAPS), name, nameSize);
  caps->dwLineNameOffset = sizeof(LINEDEVCAPS);
  caps->dwLineNameSize = nameSize;
  caps->dwUsedSize = caps->dwNeededSize;
  return 0;
}

__declspec(dllexport) LONG WINAPI lineOpenA(HLINEAPP appHandle, DWORD device, LPHLINE line, DWORD, DWORD, DWORD_PTR,
                                            DWORD, DWORD mediaModes, LPLINECALLPARAMS) {
  App* app = AppOf(appHandle);
  if (!app) return LINEERR_INVALAPPHANDLE;
  if (device >= app->lineCount) return LINEERR_BADDEVICEID;
  if (mediaModes & ~LINEMEDIAMODE_DATAMODEM) return LINEERR_INVALMEDIAMODE;
  *line = appHandle << 8 | device;
  return 0;
}

__declspec(dllexport) LONG WINAPI lineClose(HLINE line) { return LineOf(line) ? 0 : LINEERR_INVALLINEHANDLE; }

// The call is placed at once; its reply is the application's event.
__declspec(dllexport) LONG WINAPI lineMakeCallA(HLINE line, LPHCALL call, LPCSTR, DWORD, LPLINECALLPARAMS params) {
  if (!LineOf(line)) return LINEERR_INVALLINEHANDLE;
  if (!params || params->dwBearerMode != LINEBEARERMODE_PASSTHROUGH) return LINEERR_INVALCALLPARAMS;
  *call = line | kCallFlag;
  HANDLE event = AppOf(line >> 8)->event;
  if (event) SetEvent(event);
  return 1;  // the request id
}

__declspec(dllexport) LONG WINAPI lineGetIDA(HLINE line, DWORD, HCALL call, DWORD select, LPVARSTRING id,
                                             LPCSTR deviceClass) {
  if (!id || !deviceClass || id->dwTotalSize < sizeof(VARSTRING)) return LINEERR_INVALPOINTER;
  if (select == LINECALLSELECT_CALL) {
    const ModemLine* modem = (call & kCallFlag) ? LineOf(call) : nullptr;
    if (!modem) return LINEERR_INVALCALLHANDLE;
    if (!EqualsNoCase(deviceClass, "comm/datamodem")) return LINEERR_INVALDEVICECLASS;
    return CallCommHandle(*modem, id);
  }
  const ModemLine* modem = LineOf(line);
  if (!modem) return LINEERR_INVALLINEHANDLE;
  char port[kPortNameChars + 1];
  if (!EqualsNoCase(deviceClass, "comm/datamodem/portname") || !FindModemComPort(modem->name, port, sizeof port))
    return LINEERR_INVALDEVICECLASS;
  PutString(id, port, static_cast<DWORD>(strlen(port) + 1));
  id->dwStringFormat = STRINGFORMAT_ASCII;
  return 0;
}

}  // extern "C"
