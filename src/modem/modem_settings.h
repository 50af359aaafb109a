// Rules of the Modem page and of the GPRS connection test that need no
// Windows: how the page's choices are stored, the network connection used
// for MMS, the WAP gateway check and the test's result texts. No windows.h.
#pragma once
#include <cstddef>

// Which of the page's controls its three switches enable. Receiving MMS
// needs both received SMS (the notifications) and MMS over the modem.
struct ModemChoices {
  bool receiveSms;
  bool sendMms;
  bool otherConnection;
};
struct ModemEnabling {
  bool smsStorage;
  bool mmsSettings;  // the operator lookup, the MMS fields and the connection test
  bool receiveMms;
  bool networkConnection;
};
ModemEnabling ModemEnablingOf(const ModemChoices& choices);

// "Modem: " followed by a modem name: the network connection over that modem.
extern const char kModemConnectionPrefix[];
constexpr size_t kModemConnectionPrefixLength = 7;

// False for a connection of another kind (an SMPP, HTTP, UCP or CIMD link),
// which the Modem page does not show as its modem.
bool IsModemConnectionName(const char* connection);

// SMS Message Storage: list index 0 "Default", 1 "Device Memory", 2 "SIM
// Card", 3 "Direct to Modem", stored as ReceiveTo.
constexpr int kStorageEntries = 4;
extern const char* const kStorageNames[kStorageEntries];
// The index of a stored value (case-insensitive); 0 for anything unknown.
int StorageIndexOfValue(const char* receiveTo);
// The value to store for an index; "" (the key is removed) for Default.
const char* StorageValueOfIndex(int index);

// SMS Access, stored as SMSAccess.
enum class SmsAccess { kDefault, kGsm, kGprs };
SmsAccess SmsAccessOfValue(const char* value);
// "" (the key is removed) for Default.
const char* SmsAccessValue(SmsAccess access);

// What the Add Modem dialog hands back: the name, then a tab and "PIN=" and
// the PIN when one was typed. The PIN is empty when the part after the tab
// does not begin with "PIN=" (in any case). Both cut at their capacities.
void SplitModemChoice(const char* choice, char* name, size_t nameCap, char* pin, size_t pinCap);

// The network connection MMS are sent over. Another connection is in use when
// the page's box is ticked and an entry is selected that is not "Modem: " and
// this modem (case-insensitive); then UseModem is the modem such an entry
// names (empty, so removed, for a dial-up entry) and DialUpProfile the entry.
// Otherwise UseModem is the modem and DialUpProfile "Modem: " and its name.
bool UsesOtherConnection(bool boxTicked, const char* selectedEntry, const char* modemName);
void ChooseDataConnection(bool boxTicked, const char* selectedEntry, const char* modemName, char* useModem,
                          size_t useModemCap, char* dialUpProfile, size_t dialUpProfileCap);
// The modem a "Modem: " connection names; null for any other connection.
const char* ModemNamedByConnection(const char* connection);

// Takes a WAP gateway address as the connection test passes it on: a
// leading "http://" (any case) loses its slashes; a dotted address is
// rewritten in normal form. False when the address is neither an IPv4
// address nor an "http:" address.
bool PrepareWapGateway(char* gateway, size_t cap);

// What keeps the connection test from running, checked in this order; the
// gateway is prepared on the way.
enum class MmsSettingsGap { kNone, kNoUrl, kNoModem, kNoGateway, kBadGateway };
MmsSettingsGap FindMmsSettingsGap(const char* url, const char* modem, char* gateway, size_t cap);

// A profile value ends at its line: the test's result is written with its
// line breaks and backslashes escaped ("\r", "\n", "\\") and read back
// through UnescapeResult. Both cut at the capacity, never inside an escape.
void EscapeResult(const char* text, char* out, size_t cap);
void UnescapeResult(const char* text, char* out, size_t cap);

// Result texts of the connection test.
extern const char kResultPassed[];
extern const char kResultNoGateway[];
extern const char kResultFailed[];
extern const char kResultModemInUse[];
extern const char kResultInternalError[];
extern const char kResultRestart[];
// A result that counts as passed ("OK!" in any case).
bool ConnectionTestPassed(const char* result);
// A dial-up error code: the number and its text follow "Connection Failed".
bool IsDialUpError(int dialResult);
// The result for what WSPRasDial returned; for a dial-up error it ends in a
// line break, after which the caller appends the error's text in the room left.
void FormatDialResult(int dialResult, char* result, size_t cap);
