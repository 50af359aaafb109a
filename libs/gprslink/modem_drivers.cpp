#include "modem_drivers.h"

#include <cstdlib>
#include <cstring>

#include <type_traits>

#include "common/owned_handles.h"
#include "common/text_util.h"
#include "config/link_libraries.h"
#include "gprs_rules.h"
#include "gprslink_exports.h"
#include "modem/modem_registry.h"

static_assert(std::is_same<decltype(&ModemDriverUpdateInitStrings), ModemDriverUpdateInitStringsFn>::value,
              "ModemDriverUpdateInitStrings signature");

namespace {

constexpr size_t kMostInitStrings = 64;

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
    if (!ReadRegistryText(init, name, text, kInitStringCapacity)) continue;
    strings->numbers[strings->count] = static_cast<unsigned>(number);
    strings->pointers[strings->count] = text;
    ++strings->count;
  }
}

}  // namespace

unsigned DriverContextForApn(const char* modemName, const char* apn) {
  RegistryKey driver;
  if (!IsUsableApn(apn) || !OpenModemDriverKey(modemName, KEY_READ, driver.Receive())) return 0;
  RegistryKey init;
  if (RegOpenKeyExA(driver.get(), "Init", 0, KEY_READ, init.Receive()) != ERROR_SUCCESS) return 0;
  auto strings = AllocateBlock<InitStrings>();
  if (!strings) return 0;
  ReadInitStrings(init.get(), strings.get());
  return InitContextForApn(strings->pointers, strings->count, apn);
}

// Makes the driver define the APN's packet data context whenever it
// initialises the modem, for modems that forget a context defined on the fly.
// Non-zero only when a string was written; strings that define it already, an
// unknown modem or an unusable APN leave the driver as it was.
GPRSLINK_API BOOL __cdecl ModemDriverUpdateInitStrings(const char* modemName, const char* apn) {
  RegistryKey driver;
  if (!IsUsableApn(apn) || !OpenModemDriverKey(modemName, KEY_READ | KEY_CREATE_SUB_KEY, driver.Receive()))
    return FALSE;
  RegistryKey init;
  if (RegCreateKeyExA(driver.get(), "Init", 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr, init.Receive(),
                      nullptr) != ERROR_SUCCESS)
    return FALSE;
  auto strings = AllocateBlock<InitStrings>();
  if (!strings) return FALSE;
  ReadInitStrings(init.get(), strings.get());
  InitStringPlan plan;
  if (!PlanInitStringUpdate(strings->pointers, strings->count, apn, &plan) || plan.action == InitStringPlan::kNone)
    return FALSE;
  char name[16];
  unsigned number = plan.action == InitStringPlan::kReplace ? strings->numbers[plan.index] : strings->highest + 1;
  FormatText(name, sizeof name, "%u", number);
  return RegSetValueExA(init.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(plan.text),
                        static_cast<DWORD>(strlen(plan.text) + 1)) == ERROR_SUCCESS;
}
