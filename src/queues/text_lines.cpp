#include "queues/text_lines.h"

#include <cctype>
#include <cstring>

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

char Upper(char c) { return static_cast<char>(toupper(static_cast<unsigned char>(c))); }

}  // namespace

void BeginLines(LineCursor* cursor, const char* data, size_t size) {
  cursor->pos = data;
  cursor->end = data ? data + size : data;
}

bool NextLine(LineCursor* cursor, TextLine* line) {
  const char* p = cursor->pos;
  const char* end = cursor->end;
  while (p < end && static_cast<unsigned char>(*p) <= 32) ++p;
  if (p >= end) {
    cursor->pos = end;
    return false;
  }
  const char* start = p;
  while (p < end && !IsLineEnd(*p)) ++p;
  line->text = start;
  line->length = static_cast<size_t>(p - start);
  cursor->pos = p;
  return true;
}

bool LineStartsWithNoCase(const TextLine& line, const char* prefix) {
  size_t n = strlen(prefix);
  if (line.length < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (Upper(line.text[i]) != Upper(prefix[i])) return false;
  }
  return true;
}

TextLine LineRest(const TextLine& line, size_t skip) {
  if (skip > line.length) skip = line.length;
  return TextLine{line.text + skip, line.length - skip};
}

TextLine SkipControlChars(const TextLine& line) {
  size_t i = 0;
  while (i < line.length && static_cast<unsigned char>(line.text[i]) <= 32) ++i;
  return LineRest(line, i);
}

size_t FindNoCaseIn(const char* text, size_t length, const char* pattern) {
  size_t n = strlen(pattern);
  if (n == 0) return 0;
  if (n > length) return length;
  for (size_t start = 0; start + n <= length; ++start) {
    size_t i = 0;
    while (i < n && Upper(text[start + i]) == Upper(pattern[i])) ++i;
    if (i == n) return start;
  }
  return length;
}
