// Where the gateway keeps its data. Each directory is looked up afresh on every
// call so that the console and the services, which both link this library,
// always agree: an environment override first (tests and portable installs),
// then the machine-wide registry value, then the common application data folder.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/gwcore_api.h"
#include "config/value_rules.h"

namespace {

const char kRegistryKey[] = "SOFTWARE\\ZedSMS Lite";

bool ReadEnvironmentOverride(const char* name, char* buffer) {
  DWORD n = GetEnvironmentVariableA(name, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

bool ReadRegistryOverride(const char* valueName, char* buffer) {
  HKEY key;
  buffer[0] = '\0';
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRegistryKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD size = MAX_PATH - 1;
  LONG status = RegQueryValueExA(key, valueName, nullptr, &type,
                                 reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    buffer[0] = '\0';
    return false;
  }
  buffer[size < MAX_PATH ? size : MAX_PATH - 1] = '\0';
  return buffer[0] != '\0';
}

bool DefaultDataDirectory(char* buffer) {
  char common[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
    return false;
  FormatText(buffer, MAX_PATH, "%s\\ZedSMS Lite", common);
  return true;
}

// Resolves one data directory, creates it when missing and ends it in a backslash.
BOOL ResolveDataDirectory(const char* environmentName, const char* registryName, char* buffer) {
  if (!ReadEnvironmentOverride(environmentName, buffer) &&
      !ReadRegistryOverride(registryName, buffer) && !DefaultDataDirectory(buffer)) {
    buffer[0] = '\0';
    return FALSE;
  }
  CreateDirectoryPath(buffer);
  return EnsureTrailingBackslash(buffer, MAX_PATH);
}

}  // namespace

GWCORE_API BOOL GetProgramDataDirectory(char* buffer) {
  return ResolveDataDirectory("ZEDSMS_PROGRAM_DATA_DIR", "ProgramDataDirectory", buffer);
}

// Statistics and error files live with the configuration unless placed apart.
GWCORE_API BOOL GetPrivateDataDirectory(char* buffer) {
  char own[MAX_PATH];
  if (ReadEnvironmentOverride("ZEDSMS_PRIVATE_DATA_DIR", own) ||
      ReadRegistryOverride("PrivateDataDirectory", own)) {
    CopyText(buffer, MAX_PATH, own);
    CreateDirectoryPath(buffer);
    return EnsureTrailingBackslash(buffer, MAX_PATH);
  }
  return GetProgramDataDirectory(buffer);
}

GWCORE_API BOOL GetRealProgramDirectory(char* buffer) {
  DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    buffer[0] = '\0';
    return FALSE;
  }
  char* lastSeparator = strrchr(buffer, '\\');
  if (lastSeparator) lastSeparator[1] = '\0';
  return TRUE;
}
