#include "settings/mm7_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

Mm7ServerAddress Parse(const std::string& server) {
  Mm7ServerAddress address;
  ParseMm7ServerAddress(server.c_str(), &address);
  return address;
}

std::string Cut(const char* host) {
  char text[64];
  snprintf(text, sizeof text, "%s", host);
  CutHostNumberSuffix(text);
  return text;
}

}  // namespace

TEST(Mm7ServerAddress, SchemeChoosesTlsAndTheDefaultPort) {
  Mm7ServerAddress plain = Parse("http://mm7.example.com/mm7");
  EXPECT_STREQ(plain.host, "mm7.example.com");
  EXPECT_EQ(plain.port, 80u);
  EXPECT_FALSE(plain.tls);
  Mm7ServerAddress secure = Parse("HTTPS://mm7.example.com/mm7");
  EXPECT_STREQ(secure.host, "mm7.example.com");
  EXPECT_EQ(secure.port, 443u);
  EXPECT_TRUE(secure.tls);
  Mm7ServerAddress bare = Parse("mm7.example.com");
  EXPECT_STREQ(bare.host, "mm7.example.com");
  EXPECT_EQ(bare.port, 80u);
  EXPECT_FALSE(bare.tls) << "no scheme is plain HTTP";
}

TEST(Mm7ServerAddress, PathAfterHostAndPortIsIgnored) {
  Mm7ServerAddress address = Parse("http://10.1.2.3:8080/vasp/mm7:deliver?x=1");
  EXPECT_STREQ(address.host, "10.1.2.3");
  EXPECT_EQ(address.port, 8080u) << "a colon in the path is not a port";
  Mm7ServerAddress colonInPath = Parse("https://host/a:99");
  EXPECT_STREQ(colonInPath.host, "host");
  EXPECT_EQ(colonInPath.port, 443u);
}

TEST(Mm7ServerAddress, ColonWithoutDigitsGivesPortZero) {
  EXPECT_EQ(Parse("http://host:/mm7").port, 0u);
  EXPECT_EQ(Parse("https://host:").port, 0u);
  EXPECT_EQ(Parse("host:abc").port, 0u);
  EXPECT_EQ(Parse("host:99999").port, 99999u) << "kept as typed; the connect refuses it";
}

TEST(Mm7ServerAddress, OtherSchemesAreHostText) {
  Mm7ServerAddress address = Parse("ftp://files");
  EXPECT_STREQ(address.host, "ftp");
  EXPECT_EQ(address.port, 0u);
  EXPECT_FALSE(address.tls);
}

TEST(Mm7ServerAddress, LongHostsAreCutAndKeepTheirPort) {
  std::string host(400, 'h');
  Mm7ServerAddress address = Parse("https://" + host + ":8443/x");
  EXPECT_EQ(std::string(address.host), host.substr(0, kMm7HostChars));
  EXPECT_EQ(address.port, 8443u);
  Mm7ServerAddress huge = Parse(std::string(3000, 'z'));
  EXPECT_EQ(strlen(huge.host), kMm7HostChars);
}

TEST(Mm7ServerAddress, NumberSuffixAfterHashIsCut) {
  EXPECT_EQ(Cut("smsc.example.com#2"), "smsc.example.com");
  EXPECT_EQ(Cut("127.0.0.1#15"), "127.0.0.1");
  EXPECT_EQ(Cut("host#"), "host");
  EXPECT_EQ(Cut("host#2a"), "host#2a") << "only digits to the end";
  EXPECT_EQ(Cut("a#b#12"), "a#b");
  EXPECT_EQ(Cut("plain"), "plain");
}

TEST(Mm7Settings, ListsHoldTheirEntriesInOrder) {
  EXPECT_STREQ(kMm7Versions[0], "5.2.0");
  EXPECT_STREQ(kMm7Versions[9], "5.11.0");
  EXPECT_STREQ(kMm7Versions[kMm7VersionCount - 1], "6.7.0");
  EXPECT_STREQ(kMm7Schemas[2], kDefaultMm7Schema);
  EXPECT_STREQ(kMm7Schemas[kMm7SchemaCount - 1], "REL-6-MM7-1-3");
  EXPECT_STREQ(kMm7VariationNames[2], "Ericsson");
  EXPECT_EQ(strlen(kMm7SchemaPrefix), 62u);
  EXPECT_STREQ(kMm7SchemaPrefix, "http://www.3gpp.org/ftp/Specs/archive/23_series/23.140/schema/");
}

TEST(Mm7Settings, StoredSchemaNamesAListEntryOrNone) {
  EXPECT_STREQ(Mm7SchemaName(""), "REL-5-MM7-1-2");
  std::string stored = std::string(kMm7SchemaPrefix) + "REL-6-MM7-1-1";
  EXPECT_STREQ(Mm7SchemaName(stored.c_str()), "REL-6-MM7-1-1");
  std::string upper = "HTTP://WWW.3GPP.ORG/ftp/Specs/archive/23_series/23.140/schema/REL-5-MM7-1-0";
  EXPECT_STREQ(Mm7SchemaName(upper.c_str()), "REL-5-MM7-1-0") << "the prefix in any case";
  EXPECT_EQ(Mm7SchemaName((std::string(kMm7SchemaPrefix) + "REL-7-MM7-1-0").c_str()), nullptr);
  EXPECT_EQ(Mm7SchemaName("urn:custom:schema"), nullptr);
  EXPECT_EQ(Mm7SchemaName("REL-5-MM7-1-2"), nullptr) << "the name alone is no namespace";
  EXPECT_EQ(Mm7SchemaName(kMm7SchemaPrefix), nullptr);
}

TEST(Mm7Settings, VariationsAndTheirKeys) {
  struct Case {
    Mm7Variation variation;
    const char* protocol;
    bool annyWay, logica, php;
  };
  const Case cases[] = {
      {Mm7Variation::kStandard, "MM7", false, false, false},
      {Mm7Variation::kPhpUpload, "MM7", false, false, true},
      {Mm7Variation::kEricsson, "EricssonMM7", false, false, false},
      {Mm7Variation::kLogicaCmg, "MM7", false, true, false},
      {Mm7Variation::kAnnyWay, "MM7", true, false, false},
  };
  for (const Case& c : cases) {
    Mm7VariationKeys keys = VariationKeys(c.variation);
    EXPECT_STREQ(keys.protocol, c.protocol);
    EXPECT_EQ(keys.annyWay, c.annyWay);
    EXPECT_EQ(keys.logicaCmg, c.logica);
    EXPECT_EQ(keys.phpMultipartPost, c.php);
    EXPECT_EQ(VariationFromKeys(keys.protocol, keys.annyWay ? "Yes" : "", keys.logicaCmg ? "Yes" : "",
                                keys.phpMultipartPost ? "Yes" : ""),
              c.variation);
  }
}

TEST(Mm7Settings, StoredKeysChooseOneVariation) {
  EXPECT_EQ(VariationFromKeys("mm7", "1", "Yes", "Yes"), Mm7Variation::kAnnyWay) << "AnnyWay first";
  EXPECT_EQ(VariationFromKeys("MM7", "No", "true", "Yes"), Mm7Variation::kLogicaCmg);
  EXPECT_EQ(VariationFromKeys("MM7", "", "", "y"), Mm7Variation::kPhpUpload);
  EXPECT_EQ(VariationFromKeys("ericssonmm7", "Yes", "", ""), Mm7Variation::kEricsson);
  EXPECT_EQ(VariationFromKeys("", "Yes", "Yes", "Yes"), Mm7Variation::kStandard) << "switches need MM7";
  EXPECT_EQ(VariationFromKeys("EAIF", "", "", ""), Mm7Variation::kStandard);
}
