// Installed-modem entries in the registry's modem device class, as a modem
// driver would leave them; removed again at the end of the test.
#pragma once
#include <string>

class ModemRegistryEntry {
 public:
  ModemRegistryEntry(const std::string& friendlyName, const std::string& attachedTo);
  ~ModemRegistryEntry();

 private:
  std::string key_;
};
