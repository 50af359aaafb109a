#include "settings/mm7_settings.h"

#include <cstring>

#include "common/text_util.h"
#include "config/value_rules.h"

const char kMm7SchemaPrefix[] = "http://www.3gpp.org/ftp/Specs/archive/23_series/23.140/schema/";
const char* const kMm7Versions[kMm7VersionCount] = {
    "5.2.0", "5.3.0", "5.4.0", "5.5.0", "5.6.0", "5.7.0", "5.8.0", "5.9.0", "5.10.0",
    "5.11.0", "6.0.0", "6.1.0", "6.2.0", "6.3.0", "6.4.0", "6.5.0", "6.6.0", "6.7.0"};
const char* const kMm7Schemas[kMm7SchemaCount] = {
    "REL-5-MM7-1-0", "REL-5-MM7-1-1", "REL-5-MM7-1-2", "REL-5-MM7-1-3", "REL-5-MM7-1-4",
    "REL-5-MM7-1-5", "REL-6-MM7-1-0", "REL-6-MM7-1-1", "REL-6-MM7-1-2", "REL-6-MM7-1-3"};
const char kDefaultMm7Version[] = "5.3.0";
const char kDefaultMm7Schema[] = "REL-5-MM7-1-2";
const char kCustomMm7Schema[] = "(Custom)";
const char* const kMm7VariationNames[kMm7VariationCount] = {
    "None - Use Standard MM7", "PHP Multipart File Upload", "Ericsson", "LogicaCMG - PAP", "AnnyWay"};

namespace {

static_assert(sizeof kMm7SchemaPrefix - 1 == kMm7SchemaPrefixChars, "the namespace prefix's length");

// A scheme at the start of text in any case; the text after it, or null.
const char* AfterScheme(const char* text, const char* scheme) {
  size_t length = strlen(scheme);
  char start[16];
  CopyTextMax(start, sizeof start, text, length);
  return EqualsNoCase(start, scheme) ? text + length : nullptr;
}

}  // namespace

const char* Mm7SchemaName(const char* stored) {
  if (!stored[0]) return kDefaultMm7Schema;
  char prefix[kMm7SchemaPrefixChars + 1];
  CopyTextMax(prefix, sizeof prefix, stored, kMm7SchemaPrefixChars);
  if (strlen(prefix) < kMm7SchemaPrefixChars || !EqualsNoCase(prefix, kMm7SchemaPrefix)) return nullptr;
  for (const char* schema : kMm7Schemas)
    if (strcmp(stored + kMm7SchemaPrefixChars, schema) == 0) return schema;
  return nullptr;
}

const char* Mm7VersionToStore(const char* chosen) { return EqualsNoCase(chosen, kDefaultMm7Version) ? "" : chosen; }

bool Mm7SchemaToStore(const char* chosen, char* value, size_t cap) {
  if (EqualsNoCase(chosen, kCustomMm7Schema)) return false;
  if (EqualsNoCase(chosen, kDefaultMm7Schema))
    CopyText(value, cap, "");
  else
    FormatText(value, cap, "%s%s", kMm7SchemaPrefix, chosen);
  return true;
}

Mm7VariationKeys VariationKeys(Mm7Variation variation) {
  switch (variation) {
    case Mm7Variation::kPhpUpload: return {"MM7", false, false, true};
    case Mm7Variation::kEricsson: return {"EricssonMM7", false, false, false};
    case Mm7Variation::kLogicaCmg: return {"MM7", false, true, false};
    case Mm7Variation::kAnnyWay: return {"MM7", true, false, false};
    case Mm7Variation::kStandard: break;
  }
  return {"MM7", false, false, false};
}

Mm7Variation VariationFromKeys(const char* protocol, const char* annyWay, const char* logicaCmg,
                               const char* phpMultipartPost) {
  if (EqualsNoCase(protocol, "MM7")) {
    if (IsTrueValue(annyWay)) return Mm7Variation::kAnnyWay;
    if (IsTrueValue(logicaCmg)) return Mm7Variation::kLogicaCmg;
    if (IsTrueValue(phpMultipartPost)) return Mm7Variation::kPhpUpload;
  } else if (EqualsNoCase(protocol, "EricssonMM7")) {
    return Mm7Variation::kEricsson;
  }
  return Mm7Variation::kStandard;
}

void ParseMm7ServerAddress(const char* server, Mm7ServerAddress* address) {
  const char* rest = AfterScheme(server, "https://");
  address->tls = rest != nullptr;
  if (!rest) rest = AfterScheme(server, "http://");
  if (!rest) rest = server;
  address->port = address->tls ? 443 : 80;
  char hostPort[kMm7ServerChars + 1];
  CopyTextMax(hostPort, sizeof hostPort, rest, strcspn(rest, "/"));
  SplitHostPort(hostPort, address->host, sizeof address->host, &address->port);
}

void CutHostNumberSuffix(char* host) {
  char* hash = strrchr(host, '#');
  if (hash && strspn(hash + 1, "0123456789") == strlen(hash + 1)) *hash = '\0';
}
