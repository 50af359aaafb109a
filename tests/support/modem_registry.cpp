#include "support/modem_registry.h"

#include <windows.h>

#include <algorithm>

namespace {
const char kModemClass[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
int g_next = 0;

void SetText(const std::string& keyName, const char* name, const std::string& value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}
}  // namespace

ModemRegistryEntry::ModemRegistryEntry(const std::string& friendlyName, const std::string& attachedTo) {
  SetText(kModemClass, "Class", "Modem");
  char index[8];
  wsprintfA(index, "%04d", 900 + g_next++);
  key_ = std::string(kModemClass) + "\\" + index;
  SetText(key_, "FriendlyName", friendlyName);
  SetText(key_, "AttachedTo", attachedTo);
}

ModemRegistryEntry::~ModemRegistryEntry() {
  RemoveInit();
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
}

void ModemRegistryEntry::SetInit(const char* number, const std::string& text) { SetText(key_ + "\\Init", number, text); }

void ModemRegistryEntry::RemoveInit() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, (key_ + "\\Init").c_str()); }

std::vector<std::pair<std::string, std::string>> ModemRegistryEntry::Init() const {
  std::vector<std::pair<std::string, std::string>> values;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (key_ + "\\Init").c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    char name[64];
    char text[1024] = "";
    DWORD nameLength = sizeof name;
    DWORD size = sizeof text - 1;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
      break;
    values.emplace_back(name, text);
  }
  RegCloseKey(key);
  std::sort(values.begin(), values.end());
  return values;
}
