#include "queues/hex_text.h"

unsigned HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return 0;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned ParseHexNumber(const char* text) {
  unsigned value = 0;
  if (!text) return 0;
  for (; IsHexDigit(*text); ++text) value = value * 16u + HexDigitValue(*text);
  return value;
}

unsigned ParseHexSpan(const char* text, size_t length) {
  unsigned value = 0;
  for (size_t i = 0; i < length && IsHexDigit(text[i]); ++i) {
    value = value * 16u + HexDigitValue(text[i]);
  }
  return value;
}

size_t EncodeUtf8Unit(unsigned unit, char out[3]) {
  unit &= 0xFFFFu;
  if (unit < 0x80) {
    out[0] = static_cast<char>(unit);
    return 1;
  }
  if (unit < 0x800) {
    out[0] = static_cast<char>(0xC0 | (unit >> 6));
    out[1] = static_cast<char>(0x80 | (unit & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (unit >> 12));
  out[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (unit & 0x3F));
  return 3;
}

size_t HexUcs2ToUtf8(const char* hex, char* out, size_t outCap) {
  if (!out || outCap == 0) return 0;
  size_t written = 0;
  if (hex) {
    const char* p = hex;
    // Each unit is read whole before anything is written, and the write
    // position never passes the read position, so hex and out may coincide.
    while (IsHexDigit(*p)) {
      unsigned unit = 0;
      for (int digits = 0; digits < 4 && IsHexDigit(*p); ++digits, ++p) {
        unit = unit * 16u + HexDigitValue(*p);
      }
      if (unit == 0) break;
      char bytes[3];
      size_t n = EncodeUtf8Unit(unit, bytes);
      if (written + n > outCap - 1) break;
      for (size_t i = 0; i < n; ++i) out[written++] = bytes[i];
    }
  }
  out[written] = '\0';
  return written;
}
