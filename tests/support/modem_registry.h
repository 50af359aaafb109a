// Installed-modem entries in the registry's modem device class, as a modem
// driver would leave them, with the driver's initialisation strings; removed
// again at the end of the test.
#pragma once
#include <string>
#include <utility>
#include <vector>

class ModemRegistryEntry {
 public:
  ModemRegistryEntry(const std::string& friendlyName, const std::string& attachedTo);
  ~ModemRegistryEntry();
  void SetInit(const char* number, const std::string& text);
  // Value name to text of the driver's Init key, in name order.
  std::vector<std::pair<std::string, std::string>> Init() const;
  void RemoveInit();

 private:
  std::string key_;
};
