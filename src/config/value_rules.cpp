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

namespace {

size_t TrimmedLength(const char* start, size_t length) {
  while (length > 0 && (start[length - 1] == ' ' || start[length - 1] == '\t')) --length;
  return length;
}

bool KeyMatches(const char* key, size_t keyLength, const char* wanted) {
  size_t i = 0;
  for (; i < keyLength && wanted[i]; ++i) {
    char a = key[i], b = wanted[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return i == keyLength && !wanted[i];
}

}  // namespace

bool FindSectionValue(const char* section, size_t length, const char* key, char* value, size_t cap) {
  if (cap > 0) value[0] = '\0';
  const char* end = section + length;
  for (const char* line = section; line < end;) {
    const char* lineEnd = static_cast<const char*>(memchr(line, '\0', static_cast<size_t>(end - line)));
    if (!lineEnd) lineEnd = end;
    const char* equals = static_cast<const char*>(memchr(line, '=', static_cast<size_t>(lineEnd - line)));
    if (equals) {
      const char* keyStart = line;
      while (keyStart < equals && (*keyStart == ' ' || *keyStart == '\t')) ++keyStart;
      size_t keyLength = TrimmedLength(keyStart, static_cast<size_t>(equals - keyStart));
      if (KeyMatches(keyStart, keyLength, key)) {
        const char* valueStart = equals + 1;
        while (valueStart < lineEnd && (*valueStart == ' ' || *valueStart == '\t')) ++valueStart;
        CopyTextMax(value, cap, valueStart, TrimmedLength(valueStart, static_cast<size_t>(lineEnd - valueStart)));
        return true;
      }
    }
    line = lineEnd + 1;
  }
  return false;
}
