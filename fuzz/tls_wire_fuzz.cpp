// What a server sends before the TLS library sees it: the opening, plaintext
// alerts among whole records, the ServerHello's version, an empty record's
// header and the quoted text of a peer that does not speak TLS. Input: a byte
// choosing the quote's capacity, then the bytes from the server.
#include <cstdint>
#include <cstring>

#include "gwtls/tls_wire.h"
#include "fuzz_checks.h"

namespace {

// How much of an opening ClassifyOpening may need before it can tell.
constexpr size_t kLongestOpening = 7;

uint32_t Word(const unsigned char* bytes, size_t length) {
  uint32_t word = 0;
  for (size_t i = 0; i < 4 && i < length; ++i) word = word << 8 | bytes[i];
  return word;
}

void CheckOpening(const unsigned char* bytes, size_t length) {
  unsigned alert = 0;
  TlsOpening opening = ClassifyOpening(bytes, length, &alert);
  FUZZ_CHECK(opening != kOpeningIncomplete || length < kLongestOpening);
  // Fewer bytes tell the same or cannot tell yet.
  for (size_t shorter = 0; shorter < length && shorter < kLongestOpening; ++shorter) {
    TlsOpening early = ClassifyOpening(bytes, shorter, nullptr);
    FUZZ_CHECK(early == kOpeningIncomplete || early == opening);
  }
  unsigned found = 0;
  bool plainAlert = FindPlainAlert(bytes, length, &found);
  // An opening alert is a whole first record, so the walk stops at it.
  if (opening == kOpeningAlert) FUZZ_CHECK(plainAlert && found == alert);
  if (opening == kOpeningAlert) TlsAlertText(alert);
  if (plainAlert) TlsAlertText(found);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t cap = 1 + data[0];
  size_t length = size - 1;
  // A copy of exactly what arrived: any read past the end is reported.
  unsigned char* bytes = new unsigned char[length ? length : 1];
  memcpy(bytes, data + 1, length);

  CheckOpening(bytes, length);
  ProtocolVersionName(ServerHelloVersion(bytes, length));
  EmptyRecordWasAlert(bytes, length);
  SecurityStatusText(Word(bytes, length));
  SocketErrorText(static_cast<int>(Word(bytes, length)));

  char* quote = new char[cap];
  size_t quoted = QuotePeerText(bytes, length, quote, cap);
  FUZZ_CHECK(quoted == strnlen(quote, cap) && quoted < cap);
  FUZZ_CHECK(quoted <= kQuotedPeerTextChars + 3);
  for (size_t i = 0; i < quoted; ++i) FUZZ_CHECK(quote[i] >= 0x20 && quote[i] < 0x7F);
  delete[] quote;
  delete[] bytes;
  return 0;
}
