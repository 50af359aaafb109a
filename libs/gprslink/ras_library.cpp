#include "ras_library.h"

#include "common/text_util.h"

namespace {

const char kEnvironmentOverride[] = "ZEDSMS_RAS_LIBRARY";
const char kRegistryKey[] = "SOFTWARE\\ZedSMS Lite";
const char kRegistryOverride[] = "RasLibrary";

void LibraryName(char* name, DWORD cap) {
  DWORD n = GetEnvironmentVariableA(kEnvironmentOverride, name, cap);
  if (n > 0 && n < cap) return;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistryKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    DWORD type = 0;
    DWORD size = cap - 1;
    ZeroMemory(name, cap);
    LONG status = RegQueryValueExA(key, kRegistryOverride, nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && type == REG_SZ && name[0]) return;
  }
  CopyText(name, cap, "RASAPI32.DLL");
}

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn* slot) {
  *slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool Bind(RasTable* table) {
  char name[MAX_PATH];
  LibraryName(name, sizeof name);
  // Kept loaded for the life of the process, like the system's own library.
  HMODULE module = LoadLibraryA(name);
  if (!module) return false;
  Resolve(module, "RasDialA", &table->Dial);
  Resolve(module, "RasHangUpA", &table->HangUp);
  Resolve(module, "RasGetConnectStatusA", &table->GetConnectStatus);
  Resolve(module, "RasGetErrorStringA", &table->GetErrorString);
  Resolve(module, "RasEnumEntriesA", &table->EnumEntries);
  Resolve(module, "RasEnumConnectionsA", &table->EnumConnections);
  Resolve(module, "RasGetEntryPropertiesA", &table->GetEntryProperties);
  Resolve(module, "RasSetEntryPropertiesA", &table->SetEntryProperties);
  Resolve(module, "RasDeleteEntryA", &table->DeleteEntry);
  Resolve(module, "RasGetEntryDialParamsA", &table->GetEntryDialParams);
  return true;
}

}  // namespace

const RasTable* Ras() {
  static RasTable table;
  static const bool bound = Bind(&table);
  return bound ? &table : nullptr;
}
