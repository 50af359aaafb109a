#include "modem_drivers.h"

#include <cstdlib>
#include <cstring>

#include <type_traits>

#include "common/text_util.h"
#include "config/link_libraries.h"
#include "gprs_rules.h"
#include "gprslink_exports.h"

static_assert(std::is_same<decltype(&ModemDriverUpdateInitStrings), ModemDriverUpdateInitStringsFn>::value,
              "ModemDriverUpdateInitStrings signature");

namespace {

const char kModemClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr size_t kNameCapacity = 500;
constexpr size_t kMostInitStrings = 64;

bool ReadText(HKEY key, const char* valueName, char* buffer, DWORD cap) {
  DWORD type = 0;
  DWORD size = cap - 1;
  memset(buffer, 0, cap);
  return RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
             ERROR_SUCCESS &&
         type == REG_SZ;
}

// Opens the driver key of the modem with that FriendlyName (case-insensitive).
bool OpenDriverKey(const char* modemName, REGSAM access, HKEY* driver) {
  HKEY modems;
  if (!modemName || RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModemClassKey, 0, KEY_READ, &modems) != ERROR_SUCCESS)
    return false;
  bool found = false;
  char keyName[kNameCapacity];
  for (DWORD i = 0; !found; ++i) {
    DWORD length = sizeof keyName;
    if (RegEnumKeyExA(modems, i, keyName, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key;
    if (RegOpenKeyExA(modems, keyName, 0, access, &key) != ERROR_SUCCESS) continue;
    char friendly[kNameCapacity];
    if (ReadText(key, "FriendlyName", friendly, sizeof friendly) && EqualsNoCase(friendly, modemName)) {
      *driver = key;
      found = true;
    } else {
      RegCloseKey(key);
    }
  }
  RegCloseKey(modems);
  return found;
}

// The driver's initialisation strings: value names "1", "2", ... of its Init key.
struct InitStrings {
  size_t count = 0;
  unsigned numbers[kMostInitStrings];
  char texts[kMostInitStrings][kInitStringCapacity];
  const char* pointers[kMostInitStrings];
  unsigned highest = 0;
};

// Strings too long for the buffers are left out: they are neither read nor
// rewritten, but their numbers count, so nothing is written over them.
void ReadInitStrings(HKEY init, InitStrings* strings) {
  for (DWORD i = 0; strings->count < kMostInitStrings; ++i) {
    char name[32];
    DWORD nameLength = sizeof name;
    LONG status = RegEnumValueA(init, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    char* end = nullptr;
    unsigned long number = strtoul(name, &end, 10);
    if (name[0] < '0' || name[0] > '9' || *end != '\0' || number == 0 || number > 9999) continue;
    if (number > strings->highest) strings->highest = static_cast<unsigned>(number);
    char* text = strings->texts[strings->count];
    if (!ReadText(init, name, text, kInitStringCapacity)) continue;
    strings->numbers[strings->count] = static_cast<unsigned>(number);
    strings->pointers[strings->count] = text;
    ++strings->count;
  }
}

}  // namespace

void ForEachModemDriver(void (*visit)(const char* name, void* context), void* context) {
  HKEY modems;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModemClassKey, 0, KEY_READ, &modems) != ERROR_SUCCESS) return;
  char keyName[kNameCapacity];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof keyName;
    if (RegEnumKeyExA(modems, i, keyName, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key;
    if (RegOpenKeyExA(modems, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    char friendly[kNameCapacity];
    if (ReadText(key, "FriendlyName", friendly, sizeof friendly) && friendly[0]) visit(friendly, context);
    RegCloseKey(key);
  }
  RegCloseKey(modems);
}

unsigned DriverContextForApn(const char* modemName, const char* apn) {
  HKEY driver;
  if (!IsUsableApn(apn) || !OpenDriverKey(modemName, KEY_READ, &driver)) return 0;
  unsigned cid = 0;
  HKEY init;
  if (RegOpenKeyExA(driver, "Init", 0, KEY_READ, &init) == ERROR_SUCCESS) {
    auto* strings = static_cast<InitStrings*>(calloc(1, sizeof(InitStrings)));
    if (strings) {
      ReadInitStrings(init, strings);
      cid = InitContextForApn(strings->pointers, strings->count, apn);
      free(strings);
    }
    RegCloseKey(init);
  }
  RegCloseKey(driver);
  return cid;
}

// Makes the driver define the APN's packet data context whenever it
// initialises the modem, for modems that forget a context defined on the fly.
// Non-zero only when a string was written; strings that define it already, an
// unknown modem or an unusable APN leave the driver as it was.
GPRSLINK_API BOOL __cdecl ModemDriverUpdateInitStrings(const char* modemName, const char* apn) {
  HKEY driver;
  if (!IsUsableApn(apn) || !OpenDriverKey(modemName, KEY_READ | KEY_CREATE_SUB_KEY, &driver)) return FALSE;
  BOOL changed = FALSE;
  HKEY init;
  if (RegCreateKeyExA(driver, "Init", 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr, &init, nullptr) ==
      ERROR_SUCCESS) {
    auto* strings = static_cast<InitStrings*>(calloc(1, sizeof(InitStrings)));
    InitStringPlan plan;
    if (strings) {
      ReadInitStrings(init, strings);
      if (PlanInitStringUpdate(strings->pointers, strings->count, apn, &plan) &&
          plan.action != InitStringPlan::kNone) {
        char name[16];
        unsigned number = plan.action == InitStringPlan::kReplace ? strings->numbers[plan.index] : strings->highest + 1;
        FormatText(name, sizeof name, "%u", number);
        changed = RegSetValueExA(init, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(plan.text),
                                 static_cast<DWORD>(strlen(plan.text) + 1)) == ERROR_SUCCESS;
      }
      free(strings);
    }
    RegCloseKey(init);
  }
  RegCloseKey(driver);
  return changed;
}
