// The MM7 receiver's settings as its VASP.INI keeps them, and how the server
// address and host of the connection test read. No windows.h.
#pragma once
#include <cstddef>

// The 3GPP TS 23.140 MM7 schema namespace without its last part; a stored
// schema is this prefix followed by one of kMm7Schemas.
extern const char kMm7SchemaPrefix[];
constexpr size_t kMm7SchemaPrefixChars = 62;
constexpr size_t kMm7VersionCount = 18;
constexpr size_t kMm7SchemaCount = 10;
extern const char* const kMm7Versions[kMm7VersionCount];
extern const char* const kMm7Schemas[kMm7SchemaCount];
extern const char kDefaultMm7Version[];  // "5.3.0"
extern const char kDefaultMm7Schema[];   // "REL-5-MM7-1-2"
// Offered when the stored schema is none of kMm7Schemas; saving keeps it.
extern const char kCustomMm7Schema[];

// The list entry a stored MM7Schema value names (the prefix in any case, then
// one of kMm7Schemas exactly), or null. Empty means the default schema.
const char* Mm7SchemaName(const char* stored);

// What Save stores for the chosen version: "" (the key goes) for the
// default, else the choice as it is.
const char* Mm7VersionToStore(const char* chosen);
// What Save stores for the chosen schema: "" for the default, else the
// prefix and the choice. False for "(Custom)": the stored value stays.
bool Mm7SchemaToStore(const char* chosen, char* value, size_t cap);

// The non-standard variations of MM7, in the order the dialog lists them.
enum class Mm7Variation { kStandard, kPhpUpload, kEricsson, kLogicaCmg, kAnnyWay };
constexpr size_t kMm7VariationCount = 5;
extern const char* const kMm7VariationNames[kMm7VariationCount];
// The keys that express a variation.
struct Mm7VariationKeys {
  const char* protocol;  // "MM7" or "EricssonMM7"
  bool annyWay, logicaCmg, phpMultipartPost;
};
Mm7VariationKeys VariationKeys(Mm7Variation variation);
// The variation stored keys select; the switches are read as true values.
Mm7Variation VariationFromKeys(const char* protocol, const char* annyWay, const char* logicaCmg,
                               const char* phpMultipartPost);

// The server address as the dialog takes it.
constexpr size_t kMm7ServerChars = 1023;
// Host names longer than this are cut.
constexpr size_t kMm7HostChars = 249;
struct Mm7ServerAddress {
  char host[kMm7HostChars + 1];
  unsigned port;
  bool tls;
};
// "http://" or "https://" (any case, https meaning TLS) is taken off; any
// other text is plain HTTP without a scheme. The rest is cut at its first "/"
// and read as host[:port]; the port is 443 with TLS and 80 without unless
// given, and a colon without digits after it gives 0.
void ParseMm7ServerAddress(const char* server, Mm7ServerAddress* address);

// A host written with "#" and decimal digits after it to the end is the same
// host: the text is cut at that "#".
void CutHostNumberSuffix(char* host);
