#include "modem/modem_settings.h"

#include <cstring>

#include "common/ipv4_address.h"
#include "common/text_util.h"
#include "modem/connection_name.h"

const char kModemConnectionPrefix[] = "Modem: ";
static_assert(sizeof kModemConnectionPrefix - 1 == kModemConnectionPrefixLength, "prefix length");

const char* const kStorageNames[kStorageEntries] = {"Default", "Device Memory", "SIM Card", "Direct to Modem"};
// Stored values of the storage entries after Default.
static const char* const kStorageValues[kStorageEntries] = {"", "ME", "SM", "Direct"};

const char kResultPassed[] = "Connection Test OK!";
const char kResultNoGateway[] = "Unable to connect to WAP Gateway";
const char kResultFailed[] = "Connection Failed";
const char kResultModemInUse[] = "Unable to allocate modem, modem in use by ZedSMS";
const char kResultInternalError[] = "Internal Error";
const char kResultRestart[] = "Please restart your system before continuing";

bool IsModemConnectionName(const char* connection) {
  // The section rule knows the other kinds: only a modem gets the "Modem - " prefix.
  char section[64];
  ConnectionSectionName(connection, section, sizeof section);
  return strncmp(section, "Modem - ", 8) == 0;
}

int StorageIndexOfValue(const char* receiveTo) {
  for (int i = 1; i < kStorageEntries; ++i)
    if (EqualsNoCase(receiveTo, kStorageValues[i])) return i;
  return 0;
}

const char* StorageValueOfIndex(int index) {
  return index > 0 && index < kStorageEntries ? kStorageValues[index] : "";
}

SmsAccess SmsAccessOfValue(const char* value) {
  if (EqualsNoCase(value, "GPRS")) return SmsAccess::kGprs;
  if (EqualsNoCase(value, "GSM")) return SmsAccess::kGsm;
  return SmsAccess::kDefault;
}

const char* SmsAccessValue(SmsAccess access) {
  switch (access) {
    case SmsAccess::kGprs: return "GPRS";
    case SmsAccess::kGsm: return "GSM";
    case SmsAccess::kDefault: break;
  }
  return "";
}

void SplitModemChoice(const char* choice, char* name, size_t nameCap, char* pin, size_t pinCap) {
  const char* tab = strchr(choice, '\t');
  CopyTextMax(name, nameCap, choice, tab ? static_cast<size_t>(tab - choice) : strlen(choice));
  const char* after = tab ? tab + 1 : "";
  CopyText(pin, pinCap, FindNoCase(after, "PIN=") == after ? after + 4 : "");
}

const char* ModemNamedByConnection(const char* connection) {
  return FindNoCase(connection, kModemConnectionPrefix) == connection ? connection + kModemConnectionPrefixLength
                                                                       : nullptr;
}

bool UsesOtherConnection(bool boxTicked, const char* selectedEntry, const char* modemName) {
  if (!boxTicked || !selectedEntry || !selectedEntry[0]) return false;
  const char* modem = ModemNamedByConnection(selectedEntry);
  return !modem || !EqualsNoCase(modem, modemName);
}

void ChooseDataConnection(bool boxTicked, const char* selectedEntry, const char* modemName, char* useModem,
                          size_t useModemCap, char* dialUpProfile, size_t dialUpProfileCap) {
  if (UsesOtherConnection(boxTicked, selectedEntry, modemName)) {
    const char* modem = ModemNamedByConnection(selectedEntry);
    CopyText(useModem, useModemCap, modem ? modem : "");
    CopyText(dialUpProfile, dialUpProfileCap, selectedEntry);
    return;
  }
  CopyText(useModem, useModemCap, modemName);
  FormatText(dialUpProfile, dialUpProfileCap, "%s%s", kModemConnectionPrefix, modemName);
}

bool PrepareWapGateway(char* gateway, size_t cap) {
  constexpr size_t kSchemeLength = 5;  // "http:"
  if (FindNoCase(gateway, "http://") == gateway)
    memmove(gateway + kSchemeLength, gateway + kSchemeLength + 2, strlen(gateway + kSchemeLength + 2) + 1);
  // Only a dotted address or an http: address. A dotted address found after
  // any other first five characters is not taken: "1.2.3.4.5" would pass as
  // "1.2.3" followed by ".4.5" and be rewritten to "1.2.30.4.5.0".
  return NormalizeIPv4Address(gateway, cap) || FindNoCase(gateway, "http:") == gateway;
}

MmsSettingsGap FindMmsSettingsGap(const char* url, const char* modem, char* gateway, size_t cap) {
  if (!url[0]) return MmsSettingsGap::kNoUrl;
  if (!modem[0]) return MmsSettingsGap::kNoModem;
  if (!gateway[0]) return MmsSettingsGap::kNoGateway;
  return PrepareWapGateway(gateway, cap) ? MmsSettingsGap::kNone : MmsSettingsGap::kBadGateway;
}

void EscapeResult(const char* text, char* out, size_t cap) {
  if (cap == 0) return;
  size_t used = 0;
  for (const char* c = text; *c; ++c) {
    char escaped = *c == '\r' ? 'r' : *c == '\n' ? 'n' : *c == '\\' ? '\\' : '\0';
    size_t room = escaped ? 2 : 1;
    if (used + room >= cap) break;
    if (escaped) {
      out[used++] = '\\';
      out[used++] = escaped;
    } else {
      out[used++] = *c;
    }
  }
  out[used] = '\0';
}

void UnescapeResult(const char* text, char* out, size_t cap) {
  if (cap == 0) return;
  size_t used = 0;
  for (const char* c = text; *c && used + 1 < cap; ++c) {
    if (*c == '\\' && (c[1] == 'r' || c[1] == 'n' || c[1] == '\\')) {
      ++c;
      out[used++] = *c == 'r' ? '\r' : *c == 'n' ? '\n' : '\\';
    } else {
      out[used++] = *c;
    }
  }
  out[used] = '\0';
}

bool ConnectionTestPassed(const char* result) { return FindNoCase(result, "OK!") != nullptr; }

bool IsDialUpError(int dialResult) { return dialResult >= 600 && dialResult <= 799; }

void FormatDialResult(int dialResult, char* result, size_t cap) {
  if (dialResult == 0)
    CopyText(result, cap, kResultPassed);
  else if (dialResult == 1)
    CopyText(result, cap, kResultNoGateway);
  else if (IsDialUpError(dialResult))
    FormatText(result, cap, "%s\r\nRAS Error %u\r\n", kResultFailed, static_cast<unsigned>(dialResult));
  else
    CopyText(result, cap, kResultFailed);
}

ModemEnabling ModemEnablingOf(const ModemChoices& c) {
  return {c.receiveSms, c.sendMms, c.sendMms && c.receiveSms, c.otherConnection};
}
