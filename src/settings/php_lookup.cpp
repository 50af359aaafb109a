#include "settings/php_lookup.h"

#include <cstring>

#include "common/text_util.h"

const char kPhpProgramName[] = "php-cgi.exe";

bool PhpProgramCandidate(const char* folder, size_t folderLength, char* path, size_t cap) {
  if (folderLength == 0) return false;
  const char* separator = folder[folderLength - 1] == '\\' ? "" : "\\";
  size_t needed = folderLength + strlen(separator) + sizeof kPhpProgramName;  // with the NUL
  if (needed > cap) return false;
  CopyTextMax(path, cap, folder, folderLength);
  AppendText(path, cap, separator);
  AppendText(path, cap, kPhpProgramName);
  return true;
}

bool FindPhpProgram(const char* phprc, const char* pathList, PlainFileTest exists, void* context,
                    char* found, size_t cap) {
  if (phprc[0] && PhpProgramCandidate(phprc, strlen(phprc), found, cap) && exists(found, context)) return true;
  for (const char* folder = SkipBlanks(pathList); *folder;) {
    size_t length = strcspn(folder, ";");
    if (PhpProgramCandidate(folder, length, found, cap) && exists(found, context)) return true;
    if (!folder[length]) break;
    folder = SkipBlanks(folder + length + 1);
  }
  if (cap) found[0] = '\0';
  return false;
}
