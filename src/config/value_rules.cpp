#include "config/value_rules.h"

#include <climits>
#include <cstring>

#include "common/text_util.h"

bool IsTrueValue(const char* value) {
  if (!value) return false;
  if (value[0] == 'Y' || value[0] == 'y' || value[0] == '1') return true;
  return EqualsNoCase(value, "TRUE");
}

unsigned ParseLeadingNumber(const char* text) {
  unsigned long long result = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    result = result * 10 + static_cast<unsigned>(*text - '0');
    if (result > UINT_MAX) return UINT_MAX;
  }
  return static_cast<unsigned>(result);
}

void NameToFileName(char* name) {
  for (; *name; ++name) {
    if (*name == ':' || *name == '/' || *name == '\\') *name = '-';
  }
}

bool EnsureTrailingBackslash(char* path, size_t cap) {
  size_t len = strnlen(path, cap);
  if (len == 0 || path[len - 1] == '\\') return true;
  if (len + 2 > cap) return false;
  path[len] = '\\';
  path[len + 1] = '\0';
  return true;
}
