#include "modem/telephony.h"

namespace {

HMODULE Tapi() {
  static HMODULE module = LoadLibraryA("tapi32.dll");
  return module;
}

template <typename Fn>
Fn Resolve(const char* name) {
  HMODULE module = Tapi();
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Each entry forwards to tapi32.dll, or fails as the API would when it is missing.
LONG WINAPI InitializeEx(LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback, LPCSTR name, LPDWORD devices,
                         LPDWORD version, LPLINEINITIALIZEEXPARAMS params) {
  static auto fn = Resolve<decltype(TelephonyTable::lineInitializeExA)>("lineInitializeExA");
  return fn ? fn(app, instance, callback, name, devices, version, params) : LINEERR_NODRIVER;
}
LONG WINAPI NegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high, LPDWORD version,
                                LPLINEEXTENSIONID extension) {
  static auto fn = Resolve<decltype(TelephonyTable::lineNegotiateAPIVersion)>("lineNegotiateAPIVersion");
  return fn ? fn(app, device, low, high, version, extension) : LINEERR_NODRIVER;
}
LONG WINAPI GetDevCaps(HLINEAPP app, DWORD device, DWORD version, DWORD extension, LPLINEDEVCAPS caps) {
  static auto fn = Resolve<decltype(TelephonyTable::lineGetDevCapsA)>("lineGetDevCapsA");
  return fn ? fn(app, device, version, extension, caps) : LINEERR_NODRIVER;
}
LONG WINAPI Open(HLINEAPP app, DWORD device, LPHLINE line, DWORD version, DWORD extension, DWORD_PTR instance,
                 DWORD privileges, DWORD media, LPLINECALLPARAMS params) {
  static auto fn = Resolve<decltype(TelephonyTable::lineOpenA)>("lineOpenA");
  return fn ? fn(app, device, line, version, extension, instance, privileges, media, params) : LINEERR_NODRIVER;
}
LONG WINAPI GetID(HLINE line, DWORD address, HCALL call, DWORD select, LPVARSTRING id, LPCSTR deviceClass) {
  static auto fn = Resolve<decltype(TelephonyTable::lineGetIDA)>("lineGetIDA");
  return fn ? fn(line, address, call, select, id, deviceClass) : LINEERR_NODRIVER;
}
LONG WINAPI MakeCall(HLINE line, LPHCALL call, LPCSTR destination, DWORD country, LPLINECALLPARAMS params) {
  static auto fn = Resolve<decltype(TelephonyTable::lineMakeCallA)>("lineMakeCallA");
  return fn ? fn(line, call, destination, country, params) : LINEERR_NODRIVER;
}
LONG WINAPI Close(HLINE line) {
  static auto fn = Resolve<decltype(TelephonyTable::lineClose)>("lineClose");
  return fn ? fn(line) : LINEERR_NODRIVER;
}
LONG WINAPI Shutdown(HLINEAPP app) {
  static auto fn = Resolve<decltype(TelephonyTable::lineShutdown)>("lineShutdown");
  return fn ? fn(app) : LINEERR_NODRIVER;
}

const TelephonyTable kSystemTelephony = {InitializeEx, NegotiateAPIVersion, GetDevCaps, Open,
                                         GetID,        MakeCall,            Close,      Shutdown};
TelephonyTable g_telephony = kSystemTelephony;

}  // namespace

TelephonyTable& Telephony() { return g_telephony; }
const TelephonyTable& SystemTelephony() { return kSystemTelephony; }
