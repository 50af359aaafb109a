#include "settings/mm7_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

TEST(Mm7ServerAddress, SchemeHostAndPort) {
  struct Row {
    const char* server;
    const char* host;
    unsigned port;
    bool tls;
  } const rows[] = {
      {"http://mm7.example.com/mm7", "mm7.example.com", 80, false},
      {"HTTPS://mm7.example.com", "mm7.example.com", 443, true},
      {"mm7.example.com", "mm7.example.com", 80, false},  // no scheme is plain HTTP
      {"http://10.1.2.3:8080/vasp/mm7:deliver?x=1", "10.1.2.3", 8080, false}, {"https://host/a:99", "host", 443, true},
      {"http://host:/mm7", "host", 0, false}, {"host:abc", "host", 0, false},
      {"host:99999", "host", 99999, false},  // kept as typed; the connect refuses it
      {"ftp://files", "ftp", 0, false},       // other schemes are host text
  };
  for (const Row& row : rows) {
    Mm7ServerAddress address;
    ParseMm7ServerAddress(row.server, &address);
    EXPECT_STREQ(address.host, row.host) << row.server;
    EXPECT_EQ(address.port, row.port) << row.server;
    EXPECT_EQ(address.tls, row.tls) << row.server;
  }
  std::string host(400, 'h');
  Mm7ServerAddress address;
  ParseMm7ServerAddress(("https://" + host + ":8443/x").c_str(), &address);
  EXPECT_EQ(std::string(address.host), host.substr(0, kMm7HostChars));
  EXPECT_EQ(address.port, 8443u) << "a long host is cut and keeps its port";
  ParseMm7ServerAddress(std::string(3000, 'z').c_str(), &address);
  EXPECT_EQ(strlen(address.host), kMm7HostChars);
}

TEST(Mm7ServerAddress, NumberSuffixAfterHashIsCut) {
  const char* const rows[][2] = {{"smsc.example.com#2", "smsc.example.com"}, {"127.0.0.1#15", "127.0.0.1"},
                                 {"host#", "host"}, {"host#2a", "host#2a"}, {"a#b#12", "a#b"}, {"plain", "plain"}};
  for (const auto& row : rows) {
    char text[64];
    snprintf(text, sizeof text, "%s", row[0]);
    CutHostNumberSuffix(text);
    EXPECT_STREQ(text, row[1]) << row[0];
  }
}

TEST(Mm7Settings, StoredSchemaNamesAListEntryOrNone) {
  const std::string prefix = "http://www.3gpp.org/ftp/Specs/archive/23_series/23.140/schema/";
  EXPECT_STREQ(Mm7SchemaName(""), kDefaultMm7Schema);
  EXPECT_STREQ(Mm7SchemaName((prefix + "REL-6-MM7-1-1").c_str()), "REL-6-MM7-1-1");
  EXPECT_STREQ(Mm7SchemaName("HTTP://WWW.3GPP.ORG/ftp/Specs/archive/23_series/23.140/schema/REL-5-MM7-1-0"),
               "REL-5-MM7-1-0")
      << "the prefix in any case";
  for (const std::string& other : {prefix + "REL-7-MM7-1-0", std::string("urn:custom:schema"),
                                  std::string("REL-5-MM7-1-2"), prefix})
    EXPECT_EQ(Mm7SchemaName(other.c_str()), nullptr) << other;
}

TEST(Mm7Settings, VariationsStoredAsKeysAndReadBack) {
  for (Mm7Variation variation : {Mm7Variation::kStandard, Mm7Variation::kPhpUpload, Mm7Variation::kEricsson,
                                 Mm7Variation::kLogicaCmg, Mm7Variation::kAnnyWay}) {
    Mm7VariationKeys keys = VariationKeys(variation);
    EXPECT_EQ(VariationFromKeys(keys.protocol, keys.annyWay ? "Yes" : "", keys.logicaCmg ? "Yes" : "",
                                keys.phpMultipartPost ? "Yes" : ""),
              variation);
  }
  EXPECT_STREQ(VariationKeys(Mm7Variation::kEricsson).protocol, "EricssonMM7");
  EXPECT_EQ(VariationFromKeys("mm7", "1", "Yes", "Yes"), Mm7Variation::kAnnyWay) << "AnnyWay first";
  EXPECT_EQ(VariationFromKeys("MM7", "No", "true", "Yes"), Mm7Variation::kLogicaCmg);
  EXPECT_EQ(VariationFromKeys("MM7", "", "", "y"), Mm7Variation::kPhpUpload);
  EXPECT_EQ(VariationFromKeys("ericssonmm7", "Yes", "", ""), Mm7Variation::kEricsson);
  EXPECT_EQ(VariationFromKeys("", "Yes", "Yes", "Yes"), Mm7Variation::kStandard) << "switches need MM7";
  EXPECT_EQ(VariationFromKeys("EAIF", "", "", ""), Mm7Variation::kStandard);
}
