#include "support/modem_registry.h"

#include <windows.h>

namespace {
const char kClasses[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
const char kModemClass[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
int g_next = 0;

void SetText(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}
}  // namespace

ModemRegistryEntry::ModemRegistryEntry(const std::string& friendlyName, const std::string& attachedTo) {
  HKEY key;
  std::string classKey = std::string(kClasses) + kModemClass;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, classKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    SetText(key, "Class", "Modem");
    RegCloseKey(key);
  }
  char index[8];
  wsprintfA(index, "%04d", 900 + g_next++);
  key_ = classKey + "\\" + index;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    SetText(key, "FriendlyName", friendlyName);
    SetText(key, "AttachedTo", attachedTo);
    RegCloseKey(key);
  }
}

ModemRegistryEntry::~ModemRegistryEntry() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str()); }
