// Addresses and times typed into settings or read from message files: the
// compact time of retry keys, IPv4 addresses, the WAP gateway as the
// connection test takes it (and the test's escaped result), and the MM7
// server address. Input: a byte choosing the buffer capacity, then the text.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <strings.h>
#include <string>

#include "common/ipv4_address.h"
#include "gprslink/gprs_rules.h"
#include "modem/modem_settings.h"
#include "queues/compact_time.h"
#include "settings/mm7_settings.h"
#include "fuzz_checks.h"

namespace {

void CheckCompactTime(const char* bytes, size_t size) {
  // A copy of exactly the span's size: any read past the end is reported.
  char* span = new char[size ? size : 1];
  memcpy(span, bytes, size);
  DateTimeRecord time;
  ParseCompactTimeSpan(span, size, &time);
  delete[] span;
  bool digits = size >= 14;
  for (size_t i = 0; digits && i < 14; ++i) digits = isdigit(static_cast<unsigned char>(bytes[i]));
  FUZZ_CHECK(time.dayOfWeek == 0 && time.milliseconds == 0);

  // The row text holds the same fourteen digits, or the default time.
  char row[kRowTimeChars];
  size_t length = FormatRowTime(time, row, sizeof row);
  FUZZ_CHECK(length == strlen(row));
  std::string rowDigits;
  for (const char* c = row; *c; ++c)
    if (isdigit(static_cast<unsigned char>(*c))) rowDigits += *c;
  FUZZ_CHECK(rowDigits == (digits ? std::string(bytes, 14) : "20000101000000"));
}

// A writable copy of text in a buffer of at least cap bytes.
std::string Buffer(const std::string& text, size_t cap) {
  std::string buffer = text;
  buffer.resize(std::max(text.size() + 1, cap));
  return buffer;
}

void CheckIPv4(const std::string& text, size_t cap) {
  std::string once = Buffer(text, cap);
  bool normal = NormalizeIPv4Address(&once[0], cap);
  size_t length = strlen(once.c_str());
  if (normal) {
    FUZZ_CHECK(length < cap && length < kIPv4TextSize);
    FUZZ_CHECK(std::count(once.c_str(), once.c_str() + length, '.') == 3);
  }
  // Normalising twice is normalising once.
  std::string twice = once;
  FUZZ_CHECK(NormalizeIPv4Address(&twice[0], cap) == normal);
  FUZZ_CHECK(strcmp(twice.c_str(), once.c_str()) == 0);
}

bool BeginsHttp(const char* text) { return strncasecmp(text, "http:", 5) == 0; }

void CheckWapGateway(const std::string& text, size_t cap) {
  std::string prepared = Buffer(text, cap);
  bool usable = PrepareWapGateway(&prepared[0], cap);
  FUZZ_CHECK(strlen(prepared.c_str()) < prepared.size());
  // An http: address loses only what the gateway reader skips anyway.
  if (usable && BeginsHttp(prepared.c_str())) {
    char host[128], hostBefore[128];
    unsigned port = 0, portBefore = 0;
    bool parsed = ParseGatewayAddress(prepared.c_str(), host, sizeof host, &port);
    FUZZ_CHECK(ParseGatewayAddress(text.c_str(), hostBefore, sizeof hostBefore, &portBefore) == parsed);
    FUZZ_CHECK(!parsed || (strcmp(host, hostBefore) == 0 && port == portBefore));
  }
  char host[128];
  unsigned port = 0;
  if (ParseGatewayAddress(text.c_str(), host, sizeof host, &port)) FUZZ_CHECK(host[0] && port >= 1 && port <= 65535);
}

void CheckEscapedResult(const std::string& text, size_t cap) {
  // With room for every escape, unescaping gives the text back.
  std::string escaped(2 * text.size() + 1, '\0');
  EscapeResult(text.c_str(), &escaped[0], escaped.size());
  FUZZ_CHECK(!strchr(escaped.c_str(), '\r') && !strchr(escaped.c_str(), '\n'));
  std::string back(text.size() + 1, '\0');
  UnescapeResult(escaped.c_str(), &back[0], back.size());
  FUZZ_CHECK(strcmp(back.c_str(), text.c_str()) == 0);
  // Cut short, it is never cut inside an escape: what comes back begins the text.
  std::string cut(cap, '\0');
  EscapeResult(text.c_str(), &cut[0], cap);
  FUZZ_CHECK(strlen(cut.c_str()) < cap);
  UnescapeResult(cut.c_str(), &back[0], back.size());
  FUZZ_CHECK(text.compare(0, strlen(back.c_str()), back.c_str()) == 0);
}

void CheckMm7Server(const std::string& text) {
  Mm7ServerAddress address;
  ParseMm7ServerAddress(text.c_str(), &address);
  FUZZ_CHECK(strlen(address.host) <= kMm7HostChars);
  FUZZ_CHECK(!strchr(address.host, '/') && !strchr(address.host, ':'));
  // Written out with its scheme and port, the address reads back the same.
  std::string written = std::string(address.tls ? "https://" : "http://") + address.host + ":" +
                        std::to_string(address.port) + "/mm7";
  Mm7ServerAddress again;
  ParseMm7ServerAddress(written.c_str(), &again);
  FUZZ_CHECK(strcmp(again.host, address.host) == 0);
  FUZZ_CHECK(again.port == address.port && again.tls == address.tls);

  std::string host = address.host;
  CutHostNumberSuffix(&host[0]);
  FUZZ_CHECK(strncmp(address.host, host.c_str(), strlen(host.c_str())) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 + kMm7ServerChars) return 0;
  size_t cap = 1 + data[0];
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  std::string text(bytes, strnlen(bytes, size - 1));

  CheckCompactTime(bytes, size - 1);
  CheckIPv4(text, cap);
  CheckWapGateway(text, cap);
  CheckEscapedResult(text, cap);
  CheckMm7Server(text);
  return 0;
}
