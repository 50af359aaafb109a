// Reading the operator list. No windows.h.
#include "gwcore/operator_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<OperatorEntry> Parse(const std::string& text, size_t capacity = 8) {
  std::vector<OperatorEntry> entries(capacity);
  entries.resize(ParseOperatorList(text.data(), text.size(), entries.data(), capacity));
  return entries;
}

TEST(OperatorList, SectionsWithCountryAndOperatorInFileOrder) {
  std::vector<OperatorEntry> entries = Parse(
      "; comment\r\nCountry=Before any section\r\n[one]\r\n  country = United Kingdom  \r\n"
      "OPERATOR=Example Mobile\r\nAPN=mms.example\r\nAPNLogin=user\r\nAPNPass=secret\r\n"
      "WAPGatewayIP=192.0.2.10\r\nMMSURL=http://mms.example/mms\r\n# another comment\n"
      "[no operator]\nCountry=X\nAPN=left.over\n[no country]\nOperator=Y\n"
      "[two]\nCountry=Germany\nOperator=Beispiel\nUnknown=ignored\nno equals sign\n[empty]\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_STREQ(entries[0].country, "United Kingdom");
  EXPECT_STREQ(entries[0].name, "Example Mobile");
  EXPECT_STREQ(entries[0].apn, "mms.example");
  EXPECT_STREQ(entries[0].apnLogin, "user");
  EXPECT_STREQ(entries[0].apnPassword, "secret");
  EXPECT_STREQ(entries[0].wapGateway, "192.0.2.10");
  EXPECT_STREQ(entries[0].mmsServerUrl, "http://mms.example/mms");
  EXPECT_STREQ(entries[1].country, "Germany");
  EXPECT_STREQ(entries[1].apn, "") << "nothing left over from the incomplete sections";
}

TEST(OperatorList, CapacitiesAndGarbage) {
  std::string url(300, 'u');
  std::vector<OperatorEntry> entries = Parse("[a]\nCountry=X\nOperator=Y\nMMSURL=" + url + "\n", 1);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(std::string(entries[0].mmsServerUrl), url.substr(0, kOperatorTextCapacity - 1));

  std::string five;
  for (int i = 0; i < 5; ++i) five += "[s]\nCountry=C" + std::to_string(i) + "\nOperator=O\n";
  ASSERT_EQ(Parse(five, 2).size(), 2u);
  EXPECT_STREQ(Parse(five, 2)[1].country, "C1");
  EXPECT_TRUE(Parse(five, 0).empty());

  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37 + 11) % 256);
  garbage[100] = '\0';
  EXPECT_TRUE(Parse(garbage).empty());
  OperatorEntry entry;
  EXPECT_EQ(ParseOperatorList(nullptr, 0, &entry, 1), 0u);
  const char withNul[] = "[a]\nCountry=X\0Operator=Y\n";
  entries = Parse(std::string(withNul, sizeof withNul - 1));
  ASSERT_EQ(entries.size(), 1u) << "a NUL byte ends a line";
  EXPECT_STREQ(entries[0].name, "Y");
}

}  // namespace
