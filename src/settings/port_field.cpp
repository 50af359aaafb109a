#include "settings/port_field.h"

#include <cstdint>

#include "common/text_util.h"

unsigned ParsePortField(const char* text) {
  const char* p = SkipBlanks(text);
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) value = static_cast<int64_t>(INT32_MAX) + 1;  // stays in range, never overflows
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<uint32_t>(static_cast<int32_t>(value));
}
