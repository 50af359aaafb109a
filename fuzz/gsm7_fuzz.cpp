// The GSM 7-bit decoder. Input: one byte choosing the output capacity, then
// the header's hexadecimal text, a line feed, and the data's.
#include <cstdint>
#include <cstring>

#include "queues/gsm7.h"
#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 20000) return 0;
  size_t cap = data[0] < 0xF0 ? 1 + data[0] : kGsm7MaxOutput + data[0];
  const char* rest = reinterpret_cast<const char*>(data + 1);
  size_t restSize = size - 1;
  const char* split = static_cast<const char*>(memchr(rest, '\n', restSize));
  size_t headerLength = split ? static_cast<size_t>(split - rest) : 0;
  const char* dataStart = split ? split + 1 : rest;
  size_t dataLength = restSize - static_cast<size_t>(dataStart - rest);

  char* header = new char[headerLength + 1];
  memcpy(header, rest, headerLength);
  header[headerLength] = '\0';

  // The output may share the data's buffer, so give the data room for it.
  size_t bufferSize = (dataLength + 1 > cap ? dataLength + 1 : cap);
  char* shared = new char[bufferSize];
  memcpy(shared, dataStart, dataLength);
  shared[dataLength] = '\0';
  char* separate = new char[cap];

  bool whole = DecodeGsm7Hex(header, shared, separate, cap);
  size_t n = strnlen(separate, cap);
  FUZZ_CHECK(n < cap && n < kGsm7MaxOutput);
  FUZZ_CHECK(IsWholeUtf8(separate));

  bool sameWhole = DecodeGsm7Hex(header, shared, shared, cap);
  FUZZ_CHECK(sameWhole == whole);
  FUZZ_CHECK(strcmp(shared, separate) == 0);

  delete[] separate;
  delete[] shared;
  delete[] header;
  return 0;
}
