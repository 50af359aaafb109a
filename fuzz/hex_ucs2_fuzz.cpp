// UCS-2 message bodies as hexadecimal digits: the in-place conversion must
// give what a separate output gives, and a plain reading of all units first.
#include <cstdint>
#include <cstring>

#include "queues/hex_text.h"
#include "fuzz_checks.h"

namespace {

constexpr size_t kMaxText = 8192;
unsigned short g_units[kMaxText];

// Reads every unit before writing anything, without a capacity.
size_t Reference(const char* hex, char* out) {
  size_t units = 0;
  const char* p = hex;
  while (IsHexDigit(*p)) {
    unsigned unit = 0;
    for (int d = 0; d < 4 && IsHexDigit(*p); ++d, ++p) unit = unit * 16 + HexDigitValue(*p);
    g_units[units++] = static_cast<unsigned short>(unit);
  }
  size_t n = 0;
  for (size_t i = 0; i < units && g_units[i] != 0; ++i) {
    char bytes[3];
    size_t k = EncodeUtf8Unit(g_units[i], bytes);
    memcpy(out + n, bytes, k);
    n += k;
  }
  out[n] = '\0';
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > kMaxText) return 0;
  size_t cap = data[0] < 0x80 ? 1 + data[0] : kMaxText;  // small outputs get cut
  size_t length = size - 1;
  char* text = new char[length + 1];
  memcpy(text, data + 1, length);
  text[length] = '\0';

  static char expected[kMaxText * 2];
  Reference(text, expected);

  char* separate = new char[cap];
  size_t n = HexUcs2ToUtf8(text, separate, cap);
  FUZZ_CHECK(n < cap && separate[n] == '\0');
  FUZZ_CHECK(IsWholeUtf8(separate));
  FUZZ_CHECK(memcmp(separate, expected, n) == 0);
  if (cap == kMaxText) FUZZ_CHECK(strcmp(separate, expected) == 0);

  if (cap >= length + 1) {
    size_t m = HexUcs2ToUtf8(text, text, length + 1);
    FUZZ_CHECK(m == n && strcmp(text, separate) == 0);
  }
  delete[] separate;
  delete[] text;
  return 0;
}
