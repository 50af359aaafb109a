#include "common/ipv4_address.h"

#include <cstring>

#include "common/text_util.h"

bool NormalizeIPv4Address(char* text, size_t cap) {
  size_t length = strlen(text);
  while (length > 0 && static_cast<unsigned char>(text[length - 1]) <= 32) text[--length] = '\0';
  const char* p = text;
  while (*p == ' ') ++p;
  unsigned parts[4] = {0, 0, 0, 0};
  int part = 0;
  for (; *p; ++p) {
    if (*p == '.') {
      if (++part > 3) return false;
    } else if (*p < '0' || *p > '9') {
      return false;
    } else if (parts[part] <= 255) {  // past 255 it is invalid anyway; stop before it can overflow
      parts[part] = parts[part] * 10 + static_cast<unsigned>(*p - '0');
    }
  }
  for (unsigned value : parts)
    if (value > 255) return false;
  char normal[kIPv4TextSize];
  size_t normalLength = FormatText(normal, sizeof normal, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
  if (normalLength + 1 > cap) return false;
  memcpy(text, normal, normalLength + 1);
  return true;
}
