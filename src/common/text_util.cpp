#include "common/text_util.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "config/value_rules.h"

size_t CopyTextMax(char* dst, size_t cap, const char* src, size_t maxChars) {
  if (cap == 0) return 0;
  size_t n = 0;
  if (src) {
    while (n + 1 < cap && n < maxChars && src[n] != '\0') {
      dst[n] = src[n];
      ++n;
    }
  }
  dst[n] = '\0';
  return n;
}

size_t CopyText(char* dst, size_t cap, const char* src) {
  return CopyTextMax(dst, cap, src, static_cast<size_t>(-1));
}

size_t AppendText(char* dst, size_t cap, const char* src) {
  if (cap == 0) return 0;
  size_t used = strnlen(dst, cap - 1);
  return used + CopyText(dst + used, cap - used, src);
}

size_t FormatText(char* dst, size_t cap, const char* format, ...) {
  if (cap == 0) return 0;
  va_list args;
  va_start(args, format);
  int n = vsnprintf(dst, cap, format, args);
  va_end(args);
  if (n < 0) {
    dst[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(n) < cap ? static_cast<size_t>(n) : cap - 1;
}

static char Upper(char c) { return static_cast<char>(toupper(static_cast<unsigned char>(c))); }

const char* FindNoCase(const char* text, const char* pattern) {
  if (!text || !pattern) return nullptr;
  if (*pattern == '\0') return text;
  for (const char* start = text; *start; ++start) {
    const char* t = start;
    const char* p = pattern;
    while (*t && *p && Upper(*t) == Upper(*p)) {
      ++t;
      ++p;
    }
    if (*p == '\0') return start;
  }
  return nullptr;
}

bool EqualsNoCase(const char* a, const char* b) {
  while (*a && *b && Upper(*a) == Upper(*b)) {
    ++a;
    ++b;
  }
  return *a == '\0' && *b == '\0';
}

const char* SkipBlanks(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

void SplitHostPort(const char* text, char* host, size_t hostCap, unsigned* port) {
  const char* colon = strchr(text, ':');
  if (!colon) {
    CopyText(host, hostCap, text);
    return;
  }
  CopyTextMax(host, hostCap, text, static_cast<size_t>(colon - text));
  *port = ParseLeadingNumber(colon + 1);
}
