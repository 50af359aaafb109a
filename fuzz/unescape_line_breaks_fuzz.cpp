// Escaped line breaks: the single pass must match the plain rule of
// replacing every backslash-r from the start again and again, then every
// backslash-n.
#include <cstdint>
#include <cstring>

#include "queues/sms_text.h"
#include "fuzz_checks.h"

namespace {

void ReplaceAll(char* text, char letter, char replacement) {
  for (;;) {
    char* p = text;
    while (*p && !(p[0] == '\\' && p[1] == letter)) ++p;
    if (!*p) return;
    *p = replacement;
    memmove(p + 1, p + 2, strlen(p + 2) + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8191) return 0;  // a Data value
  char* text = new char[size + 1];
  char* expected = new char[size + 1];
  memcpy(text, data, size);
  text[size] = '\0';
  memcpy(expected, text, size + 1);

  size_t n = UnescapeLineBreaks(text);
  ReplaceAll(expected, 'r', '\r');
  ReplaceAll(expected, 'n', '\n');
  FUZZ_CHECK(n == strlen(text));
  FUZZ_CHECK(strcmp(text, expected) == 0);
  delete[] expected;
  delete[] text;
  return 0;
}
