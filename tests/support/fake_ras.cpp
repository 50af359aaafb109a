// FAKERAS.DLL: a dial-up API for tests, named to GPRSLINK.DLL through its RAS
// library override (the test system's own dial-up API is a stub). It keeps
// its phonebook and its behaviour in FAKERAS.INI in the program data
// directory, so that a second process (the console's elevated test copy)
// dials the same way, and it writes down what it was asked to do there:
//   [FakeRas]  DialResult=<0, or the RAS error RasDial returns, e.g. 619>
//   [Entry <name>]  DeviceName, PhoneNumber, User, Password
//   [Log]      Dials, LastEntry, LastPhoneNumber, LastDevice, LastUser, LastPassword,
//              HangUps, Connected (Yes/No)
#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <string>
#include <vector>

#include "config/gwcore_api.h"

#define FAKE_RAS_API extern "C" __declspec(dllexport)

namespace {

const char kEntryPrefix[] = "Entry ";

// The one connection a process has: GPRSLINK.DLL dials one at a time, from one thread.
struct Connection {
  HRASCONN handle = nullptr;  // null: none
  std::string entry;
  DWORD error = 0;  // the dial's result, which RasGetConnectStatus reports; 0: connected
};

Connection g_connection;
UINT_PTR g_nextHandle = 0x4000;

std::string IniPath() {
  char directory[MAX_PATH] = "";
  GetProgramDataDirectory(directory);
  return std::string(directory) + "FAKERAS.INI";
}

std::string Read(const std::string& section, const char* key, const char* fallback = "") {
  char value[512] = "";
  GetPrivateProfileStringA(section.c_str(), key, fallback, value, sizeof value, IniPath().c_str());
  return value;
}

void Write(const std::string& section, const char* key, const std::string& value) {
  WritePrivateProfileStringA(section.c_str(), key, value.c_str(), IniPath().c_str());
}

void Count(const char* key) {
  Write("Log", key, std::to_string(GetPrivateProfileIntA("Log", key, 0, IniPath().c_str()) + 1));
}

bool EntryExists(const std::string& name) {
  char keys[64] = "";
  return GetPrivateProfileSectionA((kEntryPrefix + name).c_str(), keys, sizeof keys, IniPath().c_str()) > 0;
}

std::vector<std::string> EntryNames() {
  std::vector<char> names(32768);
  DWORD n = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), IniPath().c_str());
  std::vector<std::string> entries;
  for (const char* p = names.data(); p < names.data() + n && *p; p += strlen(p) + 1)
    if (strncmp(p, kEntryPrefix, sizeof kEntryPrefix - 1) == 0) entries.push_back(p + sizeof kEntryPrefix - 1);
  return entries;
}

template <size_t N>
void Copy(char (&to)[N], const std::string& from) {
  lstrcpynA(to, from.c_str(), N);
}

}  // namespace

// Fills the caller's array as the API does, or says how many bytes it needs.
FAKE_RAS_API DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR, LPRASENTRYNAMEA entries, LPDWORD bytes, LPDWORD count) {
  if (!bytes || !count || (entries && entries->dwSize != sizeof(RASENTRYNAMEA))) return ERROR_INVALID_SIZE;
  std::vector<std::string> names = EntryNames();
  DWORD needed = static_cast<DWORD>(names.size() * sizeof(RASENTRYNAMEA));
  bool fits = entries && *bytes >= needed;
  for (size_t i = 0; fits && i < names.size(); ++i) {
    ZeroMemory(&entries[i], sizeof(RASENTRYNAMEA));
    entries[i].dwSize = sizeof(RASENTRYNAMEA);
    Copy(entries[i].szEntryName, names[i]);
  }
  *count = static_cast<DWORD>(names.size());
  *bytes = needed;
  return fits ? 0 : ERROR_BUFFER_TOO_SMALL;
}

FAKE_RAS_API DWORD WINAPI RasSetEntryPropertiesA(LPCSTR, LPCSTR name, LPRASENTRYA entry, DWORD size, LPBYTE, DWORD) {
  if (!name || !entry || size != sizeof(RASENTRYA) || entry->dwSize != sizeof(RASENTRYA)) return ERROR_INVALID_SIZE;
  std::string section = kEntryPrefix + std::string(name);
  Write(section, "DeviceName", entry->szDeviceName);
  Write(section, "PhoneNumber", entry->szLocalPhoneNumber);
  return 0;
}

FAKE_RAS_API DWORD WINAPI RasDeleteEntryA(LPCSTR, LPCSTR name) {
  if (!name || !EntryExists(name)) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  WritePrivateProfileStringA((kEntryPrefix + std::string(name)).c_str(), nullptr, nullptr, IniPath().c_str());
  return 0;
}

FAKE_RAS_API DWORD WINAPI RasGetEntryDialParamsA(LPCSTR, LPRASDIALPARAMSA params, LPBOOL hasPassword) {
  if (!params || params->dwSize != sizeof(RASDIALPARAMSA)) return ERROR_INVALID_SIZE;
  if (!EntryExists(params->szEntryName)) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  std::string section = kEntryPrefix + std::string(params->szEntryName);
  Copy(params->szUserName, Read(section, "User"));
  Copy(params->szPassword, Read(section, "Password"));
  if (hasPassword) *hasPassword = params->szPassword[0] != '\0';
  return 0;
}

// Synchronous dialling only, as GPRSLINK.DLL dials.
FAKE_RAS_API DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS, LPCSTR, LPRASDIALPARAMSA params, DWORD, LPVOID notifier,
                                   LPHRASCONN handle) {
  if (!params || !handle || params->dwSize != sizeof(RASDIALPARAMSA) || notifier) return ERROR_INVALID_PARAMETER;
  *handle = nullptr;
  std::string entry = params->szEntryName;
  if (!EntryExists(entry)) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  std::string section = kEntryPrefix + entry;
  Count("Dials");
  Write("Log", "LastEntry", entry);
  Write("Log", "LastPhoneNumber", params->szPhoneNumber[0] ? params->szPhoneNumber : Read(section, "PhoneNumber"));
  Write("Log", "LastDevice", Read(section, "DeviceName"));
  Write("Log", "LastUser", params->szUserName);
  Write("Log", "LastPassword", params->szPassword);
  DWORD result = GetPrivateProfileIntA("FakeRas", "DialResult", 0, IniPath().c_str());
  // As the real API does, a failed dial still hands out a handle to hang up.
  *handle = reinterpret_cast<HRASCONN>(g_nextHandle++);
  g_connection = {*handle, entry, result};
  Write("Log", "Connected", result ? "No" : "Yes");
  return result;
}

FAKE_RAS_API DWORD WINAPI RasGetConnectStatusA(HRASCONN handle, LPRASCONNSTATUSA status) {
  if (!status || status->dwSize != sizeof(RASCONNSTATUSA)) return ERROR_INVALID_SIZE;
  if (!handle || handle != g_connection.handle) return ERROR_INVALID_HANDLE;
  status->rasconnstate = g_connection.error ? RASCS_Disconnected : RASCS_Connected;
  status->dwError = g_connection.error;
  return 0;
}

// GPRSLINK.DLL asks with room for one, all this fake ever has.
FAKE_RAS_API DWORD WINAPI RasEnumConnectionsA(LPRASCONNA connections, LPDWORD bytes, LPDWORD count) {
  if (!bytes || !count || !connections || *bytes < sizeof(RASCONNA) || connections->dwSize != sizeof(RASCONNA))
    return ERROR_INVALID_SIZE;
  *count = g_connection.handle && !g_connection.error ? 1 : 0;
  connections->hrasconn = g_connection.handle;
  Copy(connections->szEntryName, g_connection.entry);
  *bytes = sizeof(RASCONNA);
  return 0;
}

FAKE_RAS_API DWORD WINAPI RasHangUpA(HRASCONN handle) {
  if (!handle || handle != g_connection.handle) return ERROR_INVALID_HANDLE;
  g_connection = {};
  Count("HangUps");
  Write("Log", "Connected", "No");
  return 0;
}

FAKE_RAS_API DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0 || error < RASBASE || error > RASBASEEND) return ERROR_INVALID_PARAMETER;
  std::string text = "Fake dial-up error " + std::to_string(error) + ".";
  lstrcpynA(buffer, text.c_str(), static_cast<int>(size));
  return 0;
}
