#include "modem/modem_lines.h"

#include <cstring>

#include "app/app_state.h"
#include "common/owned_handles.h"
#include "common/text_util.h"
#include "modem/modem_messages.h"
#include "modem/telephony.h"

namespace {

constexpr DWORD kApiVersion = 0x00020001;
constexpr DWORD kLowestApiVersion = 0x00010003;
constexpr DWORD kInitialCapsSize = 1276;
constexpr DWORD kCapsGrowth = 1024;
constexpr DWORD kVarStringSize = 2048;
constexpr DWORD kNotificationWaitMs = 60000;

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

// Calls visit(device, version, line name) for each data-modem line until it returns true.
template <typename Visit>
void ForEachDataModemLine(HLINEAPP app, DWORD devices, Visit visit) {
  for (DWORD device = 0; device < devices; ++device) {
    DWORD negotiated = 0;
    if (!NegotiateVersion(app, device, &negotiated)) continue;
    HeapBlock<LINEDEVCAPS> caps = ReadLineCaps(app, device, negotiated);
    if (!caps || !(caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM)) continue;
    char name[kModemNameCapacity];
    LineName(caps.get(), name, sizeof name);
    if (visit(device, negotiated, name)) return;
  }
}

// A data-modem pass-through call on the named line; its comm handle, or invalid.
HANDLE OpenThroughLine(DWORD device, DWORD version, HANDLE notification, ModemPortHandles* handles,
                       ModemOpenState* state) {
  bool loud = state->rememberedPort[0] == '\0' || state->secondPass;
  LONG result = Telephony().lineOpenA(handles->application, device, &handles->line, version, 0, 0,
                                      LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM, nullptr);
  if (result != 0) {
    ReportLineError("lineOpen", result, loud);
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
    ReportLineError("lineMakeCall", result, loud);
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
    ReportLineError("lineGetID", result, loud);
    Telephony().lineClose(handles->line);
    handles->line = 0;
  }
  return port;
}

}  // namespace

HANDLE OpenByTelephony(const char* name, ModemPortHandles* handles, ModemOpenState* state) {
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
  HANDLE port = INVALID_HANDLE_VALUE;
  ForEachDataModemLine(handles->application, devices, [&](DWORD device, DWORD lineVersion, const char* lineName) {
    if (!EqualsNoCase(lineName, name)) return false;
    port = OpenThroughLine(device, lineVersion, params.Handles.hEvent, handles, state);
    if (state->rememberedPort[0] == '\0')
      FindModemComPort(name, state->rememberedPort, sizeof state->rememberedPort);
    return port != INVALID_HANDLE_VALUE;
  });
  if (port != INVALID_HANDLE_VALUE) return port;
  Telephony().lineShutdown(handles->application);
  handles->application = 0;
  return INVALID_HANDLE_VALUE;
}

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
  ForEachDataModemLine(app, devices, [&](DWORD, DWORD, const char* name) {
    SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    return false;
  });
  Telephony().lineShutdown(app);
  return true;
}
