#include "config/link_libraries.h"

namespace {

struct EntryPoint {
  const char* name;
  bool required;
  void* slot;  // the function pointer field to fill
};

template <typename Fn>
EntryPoint Required(const char* name, Fn* slot) {
  return {name, true, slot};
}
template <typename Fn>
EntryPoint Optional(const char* name, Fn* slot) {
  return {name, false, slot};
}

bool Bind(const char* fileName, HMODULE* module, const EntryPoint* entries, size_t count) {
  *module = LoadLibraryA(fileName);
  if (!*module) return false;
  for (size_t i = 0; i < count; ++i) {
    FARPROC address = GetProcAddress(*module, entries[i].name);
    *static_cast<FARPROC*>(entries[i].slot) = address;
    if (!address && entries[i].required) {
      FreeLibrary(*module);
      *module = nullptr;
      return false;
    }
  }
  return true;
}

}  // namespace

bool BindGprsLinkLibrary(const char* fileName, GprsLinkLibrary* lib) {
  *lib = GprsLinkLibrary{};
  const EntryPoint entries[] = {
      Required("ModemAllocate", &lib->ModemAllocate),
      Required("ModemRelease", &lib->ModemRelease),
      Required("RasLoadListOrComboBox", &lib->RasLoadListOrComboBox),
      Required("WSPRasDial", &lib->WSPRasDial),
      Required("WSPRasHangUp", &lib->WSPRasHangUp),
      Required("WSPConnect", &lib->WSPConnect),
      Required("WSPDisconnect", &lib->WSPDisconnect),
      Required("WSPRequest", &lib->WSPRequest),
      Required("ModemRequested", &lib->ModemRequested),
      Required("RasGetUserAndPassword", &lib->RasGetUserAndPassword),
      Required("RasGetModemName", &lib->RasGetModemName),
      Optional("ModemGetCIDForAPN", &lib->ModemGetCIDForAPN),
      Optional("ModemDriverUpdateInitStrings", &lib->ModemDriverUpdateInitStrings),
      Optional("WSPRasGetErrorString", &lib->WSPRasGetErrorString),
      Optional("ModemReset", &lib->ModemReset),
  };
  if (Bind(fileName, &lib->module, entries, sizeof entries / sizeof entries[0])) return true;
  *lib = GprsLinkLibrary{};
  return false;
}

bool BindTlsLibrary(const char* fileName, TlsLibrary* lib) {
  *lib = TlsLibrary{};
  const EntryPoint entries[] = {
      Required("sslInitSession", &lib->sslInitSession),
      Required("sslAcceptSession", &lib->sslAcceptSession),
      Required("sslFreeSession", &lib->sslFreeSession),
      Required("sslSend", &lib->sslSend),
      Required("sslRecv", &lib->sslRecv),
      Required("sslDataPending", &lib->sslDataPending),
      Required("sslInitLib", &lib->sslInitLib),
      Required("sslTermLib", &lib->sslTermLib),
      Required("sslServerCertExists", &lib->sslServerCertExists),
      Required("sslSignedCertExists", &lib->sslSignedCertExists),
      Required("sslGenerateCertificate", &lib->sslGenerateCertificate),
      Optional("sslInitSessionForHost", &lib->sslInitSessionForHost),
  };
  if (Bind(fileName, &lib->module, entries, sizeof entries / sizeof entries[0])) return true;
  *lib = TlsLibrary{};
  return false;
}

const GprsLinkLibrary* LoadGprsLinkLibrary() {
  static GprsLinkLibrary library;
  static const bool bound = BindGprsLinkLibrary("GPRSLINK.DLL", &library);
  return bound ? &library : nullptr;
}

const TlsLibrary* LoadTlsLibrary() {
  static TlsLibrary library;
  static const bool bound = BindTlsLibrary("GWTLS.DLL", &library);
  return bound ? &library : nullptr;
}
