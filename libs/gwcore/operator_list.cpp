#include "operator_list.h"

#include <cstring>

#include "common/text_util.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One line without its end, and blanks trimmed at both ends.
struct Line {
  const char* begin;
  const char* end;
};

Line Trim(const char* begin, const char* end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  return {begin, end};
}

bool KeyIs(Line key, const char* name) {
  size_t length = static_cast<size_t>(key.end - key.begin);
  if (length != strlen(name)) return false;
  char copy[32];
  CopyTextMax(copy, sizeof copy, key.begin, length);
  return EqualsNoCase(copy, name);
}

char* Field(OperatorEntry* entry, Line key) {
  struct Slot {
    const char* key;
    char* field;
  };
  const Slot slots[] = {{"Country", entry->country},      {"Operator", entry->name},
                        {"APN", entry->apn},              {"APNLogin", entry->apnLogin},
                        {"APNPass", entry->apnPassword},  {"WAPGatewayIP", entry->wapGateway},
                        {"MMSURL", entry->mmsServerUrl}};
  for (const Slot& slot : slots)
    if (KeyIs(key, slot.key)) return slot.field;
  return nullptr;
}

bool Complete(const OperatorEntry& entry) { return entry.country[0] && entry.name[0]; }

}  // namespace

size_t ParseOperatorList(const char* text, size_t length, OperatorEntry* entries, size_t capacity) {
  size_t count = 0;
  bool inSection = false;
  const char* p = text;
  const char* end = text ? text + length : text;
  while (p < end && count < capacity) {
    const char* lineEnd = p;
    while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r' && *lineEnd != '\0') ++lineEnd;
    Line line = Trim(p, lineEnd);
    p = lineEnd < end ? lineEnd + 1 : end;
    if (line.begin == line.end || *line.begin == ';' || *line.begin == '#') continue;
    if (*line.begin == '[') {
      // A section closes the entry before it; an incomplete one is reused.
      if (inSection && Complete(entries[count])) ++count;
      if (count == capacity) break;
      memset(&entries[count], 0, sizeof entries[count]);
      inSection = true;
      continue;
    }
    const char* equals = static_cast<const char*>(memchr(line.begin, '=', static_cast<size_t>(line.end - line.begin)));
    if (!inSection || !equals) continue;
    char* field = Field(&entries[count], Trim(line.begin, equals));
    if (!field) continue;
    Line value = Trim(equals + 1, line.end);
    CopyTextMax(field, kOperatorTextCapacity, value.begin, static_cast<size_t>(value.end - value.begin));
  }
  if (inSection && count < capacity && Complete(entries[count])) ++count;
  return count;
}
