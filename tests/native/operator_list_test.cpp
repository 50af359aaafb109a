// Reading the operator list. No windows.h.
#include "gwcore/operator_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

size_t Parse(const std::string& text, OperatorEntry* entries, size_t capacity) {
  return ParseOperatorList(text.data(), text.size(), entries, capacity);
}

TEST(OperatorList, ReadsSectionsWithTheirSettingsInFileOrder) {
  std::unique_ptr<OperatorEntry[]> entries(new OperatorEntry[8]);
  size_t count = Parse(
      "; comment\r\n"
      "Country=Before any section\r\n"
      "[one]\r\n"
      "  country = United Kingdom  \r\n"
      "OPERATOR=Example Mobile\r\n"
      "APN=mms.example\r\n"
      "APNLogin=user\r\n"
      "APNPass=secret\r\n"
      "WAPGatewayIP=192.0.2.10\r\n"
      "MMSURL=http://mms.example/mms\r\n"
      "# another comment\n"
      "[two]\n"
      "Country=Germany\n"
      "Operator=Beispiel\n"
      "Unknown=ignored\n"
      "no equals sign\n",
      entries.get(), 8);
  ASSERT_EQ(count, 2u);
  EXPECT_STREQ(entries[0].country, "United Kingdom");
  EXPECT_STREQ(entries[0].name, "Example Mobile");
  EXPECT_STREQ(entries[0].apn, "mms.example");
  EXPECT_STREQ(entries[0].apnLogin, "user");
  EXPECT_STREQ(entries[0].apnPassword, "secret");
  EXPECT_STREQ(entries[0].wapGateway, "192.0.2.10");
  EXPECT_STREQ(entries[0].mmsServerUrl, "http://mms.example/mms");
  EXPECT_STREQ(entries[1].country, "Germany");
  EXPECT_STREQ(entries[1].apn, "") << "settings not given stay empty";
}

TEST(OperatorList, LeavesOutSectionsWithoutCountryOrOperator) {
  std::unique_ptr<OperatorEntry[]> entries(new OperatorEntry[8]);
  size_t count = Parse("[a]\nCountry=X\n[b]\nOperator=Y\n[c]\nCountry=Z\nOperator=W\n[d]\n", entries.get(), 8);
  ASSERT_EQ(count, 1u);
  EXPECT_STREQ(entries[0].country, "Z");
  EXPECT_STREQ(entries[0].name, "W");
  EXPECT_STREQ(entries[0].apn, "") << "nothing left over from the incomplete sections";
}

TEST(OperatorList, CutsLongValuesAtTheFieldSize) {
  std::unique_ptr<OperatorEntry[]> entries(new OperatorEntry[1]);
  std::string url(300, 'u');
  ASSERT_EQ(Parse("[a]\nCountry=X\nOperator=Y\nMMSURL=" + url + "\n", entries.get(), 1), 1u);
  EXPECT_EQ(std::string(entries[0].mmsServerUrl), url.substr(0, kOperatorTextCapacity - 1));
}

TEST(OperatorList, StopsAtItsCapacity) {
  std::unique_ptr<OperatorEntry[]> entries(new OperatorEntry[2]);
  std::string text;
  for (int i = 0; i < 5; ++i) text += "[s]\nCountry=C" + std::to_string(i) + "\nOperator=O\n";
  ASSERT_EQ(Parse(text, entries.get(), 2), 2u);
  EXPECT_STREQ(entries[1].country, "C1");
  EXPECT_EQ(Parse(text, entries.get(), 0), 0u);
}

TEST(OperatorList, FindsNothingInGarbage) {
  std::unique_ptr<OperatorEntry[]> entries(new OperatorEntry[4]);
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37 + 11) % 256);
  garbage[100] = '\0';
  EXPECT_EQ(Parse(garbage, entries.get(), 4), 0u);
  EXPECT_EQ(ParseOperatorList(nullptr, 0, entries.get(), 4), 0u);
  const char withNul[] = "[a]\nCountry=X\0Operator=Y\n";
  ASSERT_EQ(Parse(std::string(withNul, sizeof withNul - 1), entries.get(), 4), 1u) << "a NUL byte ends a line";
  EXPECT_STREQ(entries[0].country, "X");
  EXPECT_STREQ(entries[0].name, "Y");
}

}  // namespace
