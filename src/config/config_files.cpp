#include "config/config_files.h"

#include <cstring>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/gwcore_api.h"
#include "config/value_rules.h"

ConfigFilePaths g_configFiles;

void ProgramDataPath(const char* name, char* buffer, size_t cap) {
  char directory[MAX_PATH];
  GetProgramDataDirectory(directory);
  FormatText(buffer, cap, "%s%s", directory, name);
}

void PrepareConfigFiles() {
  ProgramDataPath("SMSGW.INI", g_configFiles.smsIni, sizeof g_configFiles.smsIni);
  ProgramDataPath("MMSC.INI", g_configFiles.mmscIni, sizeof g_configFiles.mmscIni);
  CreateFileIfMissing(g_configFiles.smsIni);
  SMSIniSetFilename(g_configFiles.smsIni);
  CreateFileIfMissing(g_configFiles.mmscIni);
  MMSCIniSetFilename(g_configFiles.mmscIni);
}

size_t ReadIniText(const char* file, const char* section, const char* key, const char* fallback,
                   char* buffer, size_t cap) {
  if (cap == 0) return 0;
  return GetPrivateProfileStringA(section, key, fallback, buffer, static_cast<DWORD>(cap), file);
}

bool ReadIniSection(const char* file, const char* section, char* buffer, size_t cap, size_t* length) {
  *length = GetPrivateProfileSectionA(section, buffer, static_cast<DWORD>(cap), file);
  // The profile API reports a section that did not fit as the buffer size less two.
  return cap > 2 && *length + 2 < cap;
}

unsigned ReadIniNumber(const char* file, const char* section, const char* key, const char* fallback) {
  char value[500];
  ReadIniText(file, section, key, fallback, value, sizeof value);
  return ParseLeadingNumber(value);
}

bool ReadIniSwitch(const char* file, const char* section, const char* key, const char* fallback) {
  char value[500];
  ReadIniText(file, section, key, fallback, value, sizeof value);
  return IsTrueValue(value);
}

void WriteIniTextOrRemove(const char* file, const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, (value && *value) ? value : nullptr, file);
}

void WriteIniNumber(const char* file, const char* section, const char* key, unsigned value) {
  char text[16];
  FormatText(text, sizeof text, "%u", value);
  WritePrivateProfileStringA(section, key, text, file);
}

void WriteIniYesNo(const char* file, const char* section, const char* key, bool on) {
  WritePrivateProfileStringA(section, key, on ? "Yes" : "No", file);
}

void WriteIniYesOrRemove(const char* file, const char* section, const char* key, bool on) {
  WritePrivateProfileStringA(section, key, on ? "Yes" : nullptr, file);
}

void RemoveIniKey(const char* file, const char* section, const char* key) {
  WritePrivateProfileStringA(section, key, nullptr, file);
}

namespace {

// A directory key of a configuration file, or the default folder under the
// program data directory (created when asked) when the key is empty.
void ConfiguredDirectory(const char* file, const char* section, const char* key,
                         const char* defaultName, bool createDefault, char* buffer) {
  ReadIniText(file, section, key, "", buffer, MAX_PATH);
  if (buffer[0] == '\0') {
    ProgramDataPath(defaultName, buffer, MAX_PATH);
    if (createDefault) CreateDirectoryA(buffer, nullptr);
  }
  EnsureTrailingBackslash(buffer, MAX_PATH);
}

}  // namespace

void GetQueueDirectory(char* buffer, const char* route) {
  ConfiguredDirectory(g_configFiles.smsIni, "SMSGW", "QDir", "Q", true, buffer);
  if (!route || !*route) return;
  size_t rootLength = strlen(buffer);
  AppendText(buffer, MAX_PATH, route);
  NameToFileName(buffer + rootLength);
  if (!IsDirectory(buffer)) {
    CreateDirectoryA(buffer, nullptr);
    if (!IsDirectory(buffer) && !CreateDirectoryA(buffer, nullptr) && !IsDirectory(buffer)) {
      // Fall back to the root, without the separator before the name too.
      buffer[rootLength > 0 ? rootLength - 1 : 0] = '\0';
    }
  }
  EnsureTrailingBackslash(buffer, MAX_PATH);
}

void GetSmsInDirectory(char* buffer) {
  ConfiguredDirectory(g_configFiles.smsIni, "SMSGW", "SmsInDir", "SMS-IN", false, buffer);
}

void GetMmsInDirectory(char* buffer) {
  ConfiguredDirectory(g_configFiles.smsIni, "SMSGW", "MMSDir", "MMS-IN", true, buffer);
}

void GetVaspQueueDirectory(char* buffer) {
  ConfiguredDirectory(g_configFiles.mmscIni, "MMSC", "VASPQDir", "VASPQ", true, buffer);
}

void GetPhpDirectory(char* buffer) {
  ConfiguredDirectory(g_configFiles.smsIni, "SMSGW", "PHPDir", "PHP", false, buffer);
}
