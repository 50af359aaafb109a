// Checks shared by the fuzz targets.
#pragma once
#include <cstddef>

// A broken invariant stops the run like a sanitizer report, so libFuzzer
// keeps the input.
#define FUZZ_CHECK(condition)             \
  do {                                    \
    if (!(condition)) __builtin_trap();   \
  } while (0)

// Only whole UTF-8 sequences of one to three bytes, as the decoders write.
inline bool IsWholeUtf8(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    size_t extra = *p < 0x80 ? 0 : (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2 : 9;
    if (extra == 9) return false;
    ++p;
    for (size_t i = 0; i < extra; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
    }
  }
  return true;
}
