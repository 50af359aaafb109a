#include "modem/modem_registry.h"

#include <cstring>

#include "common/owned_handles.h"
#include "common/text_util.h"

namespace {

const char kModemClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr size_t kNameCapacity = 500;

// Calls visit with each modem's open key and FriendlyName until it returns true.
template <typename Visit>
void WalkModemKeys(REGSAM access, Visit visit) {
  RegistryKey modems;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModemClassKey, 0, KEY_READ, modems.Receive()) != ERROR_SUCCESS) return;
  char keyName[kNameCapacity];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof keyName;
    if (RegEnumKeyExA(modems.get(), i, keyName, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    RegistryKey key;
    if (RegOpenKeyExA(modems.get(), keyName, 0, access, key.Receive()) != ERROR_SUCCESS) continue;
    char friendly[kNameCapacity];
    if (ReadRegistryText(key.get(), "FriendlyName", friendly, sizeof friendly) && friendly[0] &&
        visit(key, friendly))
      return;
  }
}

}  // namespace

bool ReadRegistryText(HKEY key, const char* valueName, char* buffer, DWORD cap) {
  DWORD type = 0;
  DWORD size = cap - 1;
  memset(buffer, 0, cap);
  return RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
             ERROR_SUCCESS &&
         type == REG_SZ;
}

bool OpenModemDriverKey(const char* modemName, REGSAM access, HKEY* driver) {
  bool found = false;
  if (!modemName) return false;
  WalkModemKeys(access, [&](RegistryKey& key, const char* friendly) {
    if (!EqualsNoCase(friendly, modemName)) return false;
    *driver = key.Release();
    found = true;
    return true;
  });
  return found;
}

void ForEachModemDriver(void (*visit)(const char* name, void* context), void* context) {
  WalkModemKeys(KEY_READ, [&](RegistryKey&, const char* friendly) {
    visit(friendly, context);
    return false;
  });
}
