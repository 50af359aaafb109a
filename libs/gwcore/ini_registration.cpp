// The configuration files the console registered; the library's own readers of
// SMSGW.INI and MMSC.INI use these paths.
#include <windows.h>

#include "common/text_util.h"
#include "config/gwcore_api.h"

namespace {
char g_smsIniPath[MAX_PATH];
char g_mmscIniPath[MAX_PATH];
}  // namespace

GWCORE_API void SMSIniSetFilename(const char* path) { CopyText(g_smsIniPath, sizeof g_smsIniPath, path); }

GWCORE_API void MMSCIniSetFilename(const char* path) {
  CopyText(g_mmscIniPath, sizeof g_mmscIniPath, path);
}
