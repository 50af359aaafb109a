// Network connections: the list the Modem page offers, and dialling the GPRS
// connection for the connection test. A connection is either "Modem: " and a
// modem name, dialled through a phonebook entry this library writes for the
// moment of the call, or the name of one of the system's dial-up entries.
#include <cstdlib>
#include <type_traits>

#include "common/text_util.h"
#include "config/link_libraries.h"
#include "gateway_probe.h"
#include "gprs_rules.h"
#include "gprslink_exports.h"
#include "modem/modem_registry.h"
#include "modem_drivers.h"
#include "ras_library.h"

static_assert(std::is_same<decltype(&RasLoadListOrComboBox), RasLoadListOrComboBoxFn>::value, "list signature");
static_assert(std::is_same<decltype(&WSPRasDial), WSPRasDialFn>::value, "WSPRasDial signature");
static_assert(std::is_same<decltype(&WSPRasHangUp), WSPRasHangUpFn>::value, "WSPRasHangUp signature");
static_assert(std::is_same<decltype(&WSPRasGetErrorString), WSPRasGetErrorStringFn>::value, "error text signature");

namespace {

const char kModemPrefix[] = "Modem: ";
constexpr size_t kModemPrefixLength = sizeof kModemPrefix - 1;
// The entry written for dialling a modem; never offered as a connection.
const char kModemEntryPrefix[] = "ZedSMS GPRS - ";
constexpr DWORD kHangUpWaitMs = 5000;
constexpr DWORD kHangUpPollMs = 50;
constexpr int kDialFailed = -1;

// A failure as WSPRasDial reports it: never 0 or 1, which mean connected.
int Failure(DWORD error) { return error > 1 ? static_cast<int>(error) : kDialFailed; }

const char* ModemOfConnection(const char* connection) {
  return FindNoCase(connection, kModemPrefix) == connection ? connection + kModemPrefixLength : nullptr;
}

// The phonebook entry a connection is dialled through.
void EntryName(const char* connection, char* entry) {
  const char* modem = ModemOfConnection(connection);
  if (modem)
    FormatText(entry, RAS_MaxEntryName + 1, "%s%s", kModemEntryPrefix, modem);
  else
    CopyText(entry, RAS_MaxEntryName + 1, connection);
}

// The GPRS dial string: the context the driver's initialisation strings give
// the APN, else the modem's own context for it (defined when missing), else
// the modem's default context.
void GprsNumber(const char* modem, const char* apn, char* number, size_t cap) {
  unsigned cid = DriverContextForApn(modem, apn);
  if (!cid && IsUsableApn(apn)) cid = ModemGetCIDForAPN(modem, apn, 1);
  if (cid)
    FormatText(number, cap, "*99***%u#", cid);
  else
    CopyText(number, cap, "*99#");
}

DWORD WriteModemEntry(const RasTable& ras, const char* modem, const char* apn, const char* entryName) {
  if (!ras.SetEntryProperties) return ERROR_CALL_NOT_IMPLEMENTED;
  auto* entry = static_cast<RASENTRYA*>(calloc(1, sizeof(RASENTRYA)));
  if (!entry) return ERROR_NOT_ENOUGH_MEMORY;
  entry->dwSize = sizeof(RASENTRYA);
  entry->dwType = RASET_Phone;
  // The operator's gateway is usually a private address only the GPRS link reaches.
  entry->dwfOptions = RASEO_RemoteDefaultGateway;
  entry->dwfNetProtocols = RASNP_Ip;
  entry->dwFramingProtocol = RASFP_Ppp;
  GprsNumber(modem, apn, entry->szLocalPhoneNumber, sizeof entry->szLocalPhoneNumber);
  CopyText(entry->szDeviceType, sizeof entry->szDeviceType, RASDT_Modem);
  CopyText(entry->szDeviceName, sizeof entry->szDeviceName, modem);
  DWORD error = ras.SetEntryProperties(nullptr, entryName, entry, sizeof(RASENTRYA), nullptr, 0);
  free(entry);
  return error;
}

// The live connection dialled through the entry, or null.
HRASCONN FindConnection(const RasTable& ras, const char* entryName) {
  if (!ras.EnumConnections) return nullptr;
  DWORD count = 0;
  DWORD bytes = sizeof(RASCONNA);
  auto* connections = static_cast<RASCONNA*>(calloc(1, bytes));
  if (!connections) return nullptr;
  connections[0].dwSize = sizeof(RASCONNA);
  DWORD error = ras.EnumConnections(connections, &bytes, &count);
  if (error == ERROR_BUFFER_TOO_SMALL && bytes >= sizeof(RASCONNA)) {
    free(connections);
    connections = static_cast<RASCONNA*>(calloc(1, bytes));
    if (!connections) return nullptr;
    connections[0].dwSize = sizeof(RASCONNA);
    error = ras.EnumConnections(connections, &bytes, &count);
  }
  HRASCONN found = nullptr;
  for (DWORD i = 0; error == 0 && i < count && i < bytes / sizeof(RASCONNA) && !found; ++i)
    if (EqualsNoCase(connections[i].szEntryName, entryName)) found = connections[i].hrasconn;
  free(connections);
  return found;
}

// Hangs up and waits, boundedly, until the connection is gone: the port stays
// busy until then.
void HangUpAndWait(const RasTable& ras, HRASCONN connection) {
  if (!connection || !ras.HangUp) return;
  ras.HangUp(connection);
  if (!ras.GetConnectStatus) return;
  for (DWORD waited = 0; waited < kHangUpWaitMs; waited += kHangUpPollMs) {
    RASCONNSTATUSA status = {};
    status.dwSize = sizeof status;
    if (ras.GetConnectStatus(connection, &status) == ERROR_INVALID_HANDLE) return;
    Sleep(kHangUpPollMs);
  }
}

void ForgetModemEntry(const RasTable& ras, const char* connection, const char* entryName) {
  if (ModemOfConnection(connection) && ras.DeleteEntry) ras.DeleteEntry(nullptr, entryName);
}

DWORD Dial(const RasTable& ras, const char* entryName, const char* login, const char* password, HRASCONN* connection) {
  auto* params = static_cast<RASDIALPARAMSA*>(calloc(1, sizeof(RASDIALPARAMSA)));
  if (!params) return ERROR_NOT_ENOUGH_MEMORY;
  params->dwSize = sizeof(RASDIALPARAMSA);
  CopyText(params->szEntryName, sizeof params->szEntryName, entryName);
  BOOL hasPassword = FALSE;
  // Without an APN login the entry's own saved credentials are used.
  if ((!login || !*login) && ras.GetEntryDialParams) ras.GetEntryDialParams(nullptr, params, &hasPassword);
  if (login && *login) {
    CopyText(params->szUserName, sizeof params->szUserName, login);
    CopyText(params->szPassword, sizeof params->szPassword, password ? password : "");
  }
  DWORD error = ras.Dial(nullptr, nullptr, params, 0, nullptr, connection);
  SecureZeroMemory(params, sizeof(RASDIALPARAMSA));
  free(params);
  if (error) return error;
  RASCONNSTATUSA status = {};
  status.dwSize = sizeof status;
  error = ras.GetConnectStatus(*connection, &status);
  if (!error && status.rasconnstate != RASCS_Connected) error = status.dwError ? status.dwError : ERROR_NOT_CONNECTED;
  return error;
}

struct ListTarget {
  HWND dialog;
  int controlId;
  UINT addStringMessage;
};

void Add(const ListTarget& target, const char* text) {
  SendDlgItemMessageA(target.dialog, target.controlId, target.addStringMessage, 0, reinterpret_cast<LPARAM>(text));
}

void AddModem(const char* name, void* context) {
  char text[kModemPrefixLength + 501];
  FormatText(text, sizeof text, "%s%s", kModemPrefix, name);
  Add(*static_cast<const ListTarget*>(context), text);
}

}  // namespace

GPRSLINK_API void __cdecl RasLoadListOrComboBox(HWND dialog, int controlId, UINT addStringMessage) {
  ListTarget target = {dialog, controlId, addStringMessage};
  ForEachModemDriver(AddModem, &target);
  const RasTable* ras = Ras();
  if (!ras || !ras->EnumEntries) return;
  DWORD count = 0;
  DWORD bytes = sizeof(RASENTRYNAMEA);
  auto* entries = static_cast<RASENTRYNAMEA*>(calloc(1, bytes));
  if (!entries) return;
  entries[0].dwSize = sizeof(RASENTRYNAMEA);
  DWORD error = ras->EnumEntries(nullptr, nullptr, entries, &bytes, &count);
  if (error == ERROR_BUFFER_TOO_SMALL && bytes >= sizeof(RASENTRYNAMEA)) {
    free(entries);
    entries = static_cast<RASENTRYNAMEA*>(calloc(1, bytes));
    if (!entries) return;
    entries[0].dwSize = sizeof(RASENTRYNAMEA);
    error = ras->EnumEntries(nullptr, nullptr, entries, &bytes, &count);
  }
  for (DWORD i = 0; error == 0 && i < count && i < bytes / sizeof(RASENTRYNAMEA); ++i) {
    const char* name = entries[i].szEntryName;
    if (!name[0] || FindNoCase(name, kModemEntryPrefix) == name) continue;
    Add(target, name);
  }
  free(entries);
}

// 0: connected and the WAP gateway answered; the connection stays up for
// WSPRasHangUp. 1: connected, but the gateway did not answer; the connection
// is hung up here, as nobody else will. A dial-up error code (600 and up) when
// dialling failed; -1 when there is no dial-up API or no connection name.
GPRSLINK_API int __cdecl WSPRasDial(const char* connection, const char* apn, const char* apnLogin,
                                    const char* apnPassword, const char* wapGateway) {
  const RasTable* ras = Ras();
  if (!connection || !*connection || !ras || !ras->Dial || !ras->GetConnectStatus || !ras->HangUp)
    return kDialFailed;
  char entryName[RAS_MaxEntryName + 1];
  EntryName(connection, entryName);
  const char* modem = ModemOfConnection(connection);
  if (modem) {
    DWORD error = WriteModemEntry(*ras, modem, apn ? apn : "", entryName);
    if (error) return Failure(error);
  }
  HRASCONN handle = nullptr;
  DWORD error = Dial(*ras, entryName, apnLogin, apnPassword, &handle);
  int result = 0;
  if (error) {
    result = Failure(error);
  } else if (!GatewayAnswers(wapGateway, kGatewayProbeMs)) {
    result = 1;
  }
  if (result != 0) {
    HangUpAndWait(*ras, handle);
    ForgetModemEntry(*ras, connection, entryName);
  }
  return result;
}

GPRSLINK_API void __cdecl WSPRasHangUp(const char* connection) {
  const RasTable* ras = Ras();
  if (!connection || !ras) return;
  char entryName[RAS_MaxEntryName + 1];
  EntryName(connection, entryName);
  HangUpAndWait(*ras, FindConnection(*ras, entryName));
  ForgetModemEntry(*ras, connection, entryName);
}

// The dial-up API's text for the code; a plain "Dial-up error <code>" when it has none.
GPRSLINK_API void __cdecl WSPRasGetErrorString(DWORD error, char* buffer, DWORD room) {
  if (!buffer || room == 0) return;
  buffer[0] = '\0';
  const RasTable* ras = Ras();
  if (ras && ras->GetErrorString && ras->GetErrorString(error, buffer, room) == 0 && buffer[0]) {
    buffer[room - 1] = '\0';
    return;
  }
  FormatText(buffer, room, "Dial-up error %lu", static_cast<unsigned long>(error));
}

// The credentials saved with a dial-up entry; modem connections have none
// here (their APN login lives in the gateway's configuration).
GPRSLINK_API BOOL __cdecl RasGetUserAndPassword(const char* connection, char* user, DWORD userRoom, char* password,
                                                DWORD passwordRoom) {
  if (user && userRoom) user[0] = '\0';
  if (password && passwordRoom) password[0] = '\0';
  const RasTable* ras = Ras();
  if (!connection || ModemOfConnection(connection) || !user || !password || !ras || !ras->GetEntryDialParams)
    return FALSE;
  auto* params = static_cast<RASDIALPARAMSA*>(calloc(1, sizeof(RASDIALPARAMSA)));
  if (!params) return FALSE;
  params->dwSize = sizeof(RASDIALPARAMSA);
  CopyText(params->szEntryName, sizeof params->szEntryName, connection);
  BOOL hasPassword = FALSE;
  BOOL found = ras->GetEntryDialParams(nullptr, params, &hasPassword) == 0;
  if (found) {
    CopyText(user, userRoom, params->szUserName);
    CopyText(password, passwordRoom, hasPassword ? params->szPassword : "");
  }
  SecureZeroMemory(params, sizeof(RASDIALPARAMSA));
  free(params);
  return found;
}

// The modem a connection dials through: the name after "Modem: ", or the
// device of the dial-up entry.
GPRSLINK_API BOOL __cdecl RasGetModemName(const char* connection, char* modemName, DWORD room) {
  if (!modemName || room == 0) return FALSE;
  modemName[0] = '\0';
  if (!connection) return FALSE;
  if (const char* modem = ModemOfConnection(connection)) {
    CopyText(modemName, room, modem);
    return modemName[0] != '\0';
  }
  const RasTable* ras = Ras();
  if (!ras || !ras->GetEntryProperties) return FALSE;
  auto* entry = static_cast<RASENTRYA*>(calloc(1, sizeof(RASENTRYA)));
  if (!entry) return FALSE;
  entry->dwSize = sizeof(RASENTRYA);
  DWORD size = sizeof(RASENTRYA);
  BOOL found = ras->GetEntryProperties(nullptr, connection, entry, &size, nullptr, nullptr) == 0 &&
               entry->szDeviceName[0] != '\0';
  if (found) CopyText(modemName, room, entry->szDeviceName);
  free(entry);
  return found;
}
