#include "settings/php_support.h"

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "settings/php_lookup.h"

// The message keeps its wording as the gateway has always shown it.
const char kPhpNotAvailableMessage[] =
    "PHP support not available, unable to locate php-cgi.exe via PHPRC or PATH environemental variable";

namespace {

constexpr DWORD kPhprcChars = 2048;
// The largest value an environment variable can hold.
constexpr DWORD kEnvironmentValueChars = 32767;
const char kLocalHostName[] = "localhost";

// The variable's value, or an empty text when it is unset or longer than cap
// holds (a cut value would name another folder).
void ReadEnvironment(const char* name, char* value, DWORD cap) {
  DWORD length = GetEnvironmentVariableA(name, value, cap);
  if (length == 0 || length >= cap) value[0] = '\0';
}

}  // namespace

bool LocatePhpProgram() {
  char phprc[kPhprcChars];
  ReadEnvironment("PHPRC", phprc, sizeof phprc);
  // PATH may be far longer than any fixed buffer: take it whole.
  char* path = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kEnvironmentValueChars + 1));
  if (!path) return false;
  ReadEnvironment("PATH", path, kEnvironmentValueChars + 1);
  char found[MAX_PATH];
  bool located = FindPhpProgram(phprc, path, IsPlainFileTest, nullptr, found, sizeof found);
  HeapFree(GetProcessHeap(), 0, path);
  return located;
}

void PreparePhpAddressLine(char* line, size_t cap) {
  char folder[MAX_PATH];
  GetPhpDirectory(folder);
  if (!IsDirectory(folder)) CreateDirectoryPath(folder);
  FormatText(line, cap, "http://%s/php resolves to %s", kLocalHostName, folder);
}
