#include "support/fake_telephony.h"

#include <cstring>

#include "modem/telephony.h"

namespace {

FakeTelephony g_fake;
HANDLE g_notification = nullptr;

void Log(const std::string& call) { g_fake.calls.push_back(call); }

// Fills a VARSTRING with bytes, as far as it has room.
void PutString(LPVARSTRING id, const void* data, DWORD size) {
  DWORD offset = sizeof(VARSTRING);
  id->dwNeededSize = offset + size;
  if (id->dwTotalSize < offset + size) return;
  memcpy(reinterpret_cast<char*>(id) + offset, data, size);
  id->dwStringOffset = offset;
  id->dwStringSize = size;
  id->dwStringFormat = STRINGFORMAT_ASCII;
  id->dwUsedSize = offset + size;
}

LONG WINAPI InitializeEx(LPHLINEAPP app, HINSTANCE, LINECALLBACK, LPCSTR, LPDWORD devices, LPDWORD,
                         LPLINEINITIALIZEEXPARAMS params) {
  Log("lineInitializeEx");
  if (g_fake.initializeError) return g_fake.initializeError;
  *app = static_cast<HLINEAPP>(0x1000);
  *devices = static_cast<DWORD>(g_fake.lines.size());
  if (params && (params->dwOptions & LINEINITIALIZEEXOPTION_USEEVENT)) {
    if (!g_notification) g_notification = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    params->Handles.hEvent = g_notification;
  }
  return 0;
}

LONG WINAPI Negotiate(HLINEAPP, DWORD, DWORD, DWORD high, LPDWORD version, LPLINEEXTENSIONID) {
  *version = high;
  return 0;
}

LONG WINAPI GetDevCaps(HLINEAPP, DWORD device, DWORD, DWORD, LPLINEDEVCAPS caps) {
  if (device >= g_fake.lines.size()) return LINEERR_BADDEVICEID;
  const FakeLine& line = g_fake.lines[device];
  if (caps->dwTotalSize < sizeof(LINEDEVCAPS)) return LINEERR_STRUCTURETOOSMALL;
  DWORD offset = sizeof(LINEDEVCAPS);
  DWORD needed = offset + static_cast<DWORD>(line.name.size()) + 1;
  if (line.capsNeeded > needed) needed = line.capsNeeded;
  caps->dwNeededSize = needed;
  caps->dwMediaModes = line.mediaModes;
  if (caps->dwTotalSize < needed) return 0;  // as the API does: the caller grows its buffer
  memcpy(reinterpret_cast<char*>(caps) + offset, line.name.c_str(), line.name.size() + 1);
  caps->dwLineNameOffset = offset;
  caps->dwLineNameSize = static_cast<DWORD>(line.name.size()) + 1;
  caps->dwUsedSize = needed;
  return 0;
}

LONG WINAPI Open(HLINEAPP, DWORD device, LPHLINE line, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, LPLINECALLPARAMS) {
  Log("lineOpen " + std::to_string(device));
  if (g_fake.lines[device].openError) return g_fake.lines[device].openError;
  *line = static_cast<HLINE>(0x2000 + device);
  return 0;
}

FakeLine* LineOf(UINT_PTR handle) {
  size_t index = handle & 0xFF;
  return index < g_fake.lines.size() ? &g_fake.lines[index] : nullptr;
}

LONG WINAPI GetID(HLINE line, DWORD, HCALL call, DWORD select, LPVARSTRING id, LPCSTR deviceClass) {
  Log(std::string("lineGetID ") + deviceClass);
  if (select == LINECALLSELECT_LINE) {
    const FakeLine* fake = LineOf(static_cast<UINT_PTR>(line));
    if (!fake || fake->portName.empty()) return LINEERR_INVALDEVICECLASS;
    PutString(id, fake->portName.c_str(), static_cast<DWORD>(fake->portName.size()) + 1);
    return 0;
  }
  FakeLine* fake = LineOf(static_cast<UINT_PTR>(call));
  if (!fake) return LINEERR_INVALCALLHANDLE;
  if (fake->getIdFailures > 0) {
    --fake->getIdFailures;
    return LINEERR_OPERATIONFAILED;
  }
  std::string device = "\\\\.\\COM" + std::to_string(4 + fake->cable);
  HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) return LINEERR_OPERATIONFAILED;
  char data[sizeof(HANDLE) + 64] = {};
  memcpy(data, &port, sizeof port);
  memcpy(data + sizeof port, fake->name.c_str(), fake->name.size() < 63 ? fake->name.size() : 63);
  PutString(id, data, sizeof data);
  return 0;
}

LONG WINAPI MakeCall(HLINE line, LPHCALL call, LPCSTR, DWORD, LPLINECALLPARAMS params) {
  Log("lineMakeCall");
  const FakeLine* fake = LineOf(static_cast<UINT_PTR>(line));
  if (!fake) return LINEERR_INVALLINEHANDLE;
  if (!params || params->dwBearerMode != LINEBEARERMODE_PASSTHROUGH || params->dwMediaMode != LINEMEDIAMODE_DATAMODEM)
    return LINEERR_INVALCALLPARAMS;
  *call = static_cast<HCALL>(static_cast<UINT_PTR>(line) + 0x1000);
  if (g_notification) SetEvent(g_notification);
  return 1;  // a request id
}

LONG WINAPI Close(HLINE line) {
  Log(line ? "lineClose" : "lineClose 0");
  return 0;
}

LONG WINAPI Shutdown(HLINEAPP app) {
  Log(app ? "lineShutdown" : "lineShutdown 0");
  return 0;
}

}  // namespace

FakeTelephonyScope::FakeTelephonyScope() : fake(g_fake) {
  g_fake = FakeTelephony{};
  Telephony() = TelephonyTable{InitializeEx, Negotiate, GetDevCaps, Open, GetID, MakeCall, Close, Shutdown};
}

FakeTelephonyScope::~FakeTelephonyScope() {
  Telephony() = SystemTelephony();
  if (g_notification) {
    CloseHandle(g_notification);
    g_notification = nullptr;
  }
}
