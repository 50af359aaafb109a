#include "modem/modem_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(WapGateway, DottedAddressesInNormalFormHttpAddressesAsTyped) {
  // A refused address gives null.
  const char* const rows[][2] = {
      {" 010.000.001.002 \t", "10.0.1.2"}, {"10", "10.0.0.0"}, {"10.0.0.256", nullptr}, {"1.2.3.4.5", nullptr},
      {"gateway.example", nullptr}, {"10.0.0.1:8080", nullptr},  // a port needs the http: form
      {"wsp:/010.1.2.3", nullptr},  // no address pieced together from the text after any five characters
      {"http://10.0.0.1:8080", "http:10.0.0.1:8080"}, {"HTTP://wap.example/", "HTTP:wap.example/"},
      {"http:010.1.2.3", "http:010.1.2.3"}, {"http://", "http:"}};
  for (const auto& row : rows) {
    char text[250];
    snprintf(text, sizeof text, "%s", row[0]);
    EXPECT_EQ(PrepareWapGateway(text, sizeof text), row[1] != nullptr) << row[0];
    if (row[1]) EXPECT_STREQ(text, row[1]) << row[0];
  }
  char tight[16] = "10";
  EXPECT_FALSE(PrepareWapGateway(tight, 8)) << "the normal form does not fit";
}

TEST(ModemSettingsValues, StoredValuesReadInAnyCaseAndWrittenBack) {
  for (int index = -1; index <= kStorageEntries; ++index)
    EXPECT_EQ(StorageIndexOfValue(StorageValueOfIndex(index)), index >= 0 && index < kStorageEntries ? index : 0);
  EXPECT_EQ(StorageIndexOfValue("sm"), StorageIndexOfValue("SM"));
  for (SmsAccess access : {SmsAccess::kDefault, SmsAccess::kGsm, SmsAccess::kGprs})
    EXPECT_EQ(SmsAccessOfValue(SmsAccessValue(access)), access);
  EXPECT_EQ(SmsAccessOfValue("gprs"), SmsAccess::kGprs);
}

TEST(ModemChoice, NameAndPinOfTheAddModemDialogCutToTheirFields) {
  const char* const rows[][3] = {{"Acme\tPIN=1234", "Acme", "1234"}, {"Acme\tpin=99", "Acme", "99"},
                                 {"Acme", "Acme", ""}, {"Acme\tPUK=1", "Acme", ""},
                                 {"A very long modem name\tPIN=123456789", "A very long mod", "1234567"}};
  for (const auto& row : rows) {
    char name[16], pin[8];
    SplitModemChoice(row[0], name, sizeof name, pin, sizeof pin);
    EXPECT_STREQ(name, row[1]) << row[0];
    EXPECT_STREQ(pin, row[2]) << row[0];
  }
}

TEST(DataConnection, TheModemsOwnEntryIsTheStandardConnection) {
  char useModem[32];
  char profile[32];
  auto choose = [&](bool ticked, const char* entry) {
    ChooseDataConnection(ticked, entry, "Own", useModem, sizeof useModem, profile, sizeof profile);
    return std::string(useModem) + "|" + profile;
  };
  EXPECT_EQ(choose(false, "Office VPN"), "Own|Modem: Own") << "box not ticked";
  EXPECT_EQ(choose(true, ""), "Own|Modem: Own") << "nothing selected";
  EXPECT_EQ(choose(true, "Modem: own"), "Own|Modem: Own");
  EXPECT_EQ(choose(true, "MODEM: Other"), "Other|MODEM: Other");
  EXPECT_EQ(choose(true, "Office VPN"), "|Office VPN") << "no modem: UseModem removed";
  EXPECT_FALSE(UsesOtherConnection(true, nullptr, "Own"));
  EXPECT_TRUE(UsesOtherConnection(true, "Modem: Owner", "Own"));
  EXPECT_EQ(ModemNamedByConnection("Modem:Acme"), nullptr);
}

TEST(ConnectionTestResult, DialOutcomesEscapedIntoTheProfileAndBack) {
  char result[500];
  FormatDialResult(0, result, sizeof result);
  EXPECT_TRUE(ConnectionTestPassed(result));
  FormatDialResult(1, result, sizeof result);
  EXPECT_FALSE(ConnectionTestPassed(result));
  for (int ras : {600, 619, 799}) {
    FormatDialResult(ras, result, sizeof result);
    EXPECT_EQ(std::string(result), "Connection Failed\r\nRAS Error " + std::to_string(ras) + "\r\n");
  }
  for (int other : {-1, 2, 599, 800}) {
    FormatDialResult(other, result, sizeof result);
    EXPECT_STREQ(result, "Connection Failed") << other;
  }
  FormatDialResult(619, result, 12);
  EXPECT_STREQ(result, "Connection ") << "cut at the buffer";
  EXPECT_TRUE(ConnectionTestPassed("all ok!"));
  for (const char* failed : {"Connection Test OK", "Administrative rights are required for this test.", ""})
    EXPECT_FALSE(ConnectionTestPassed(failed)) << failed;

  char escaped[64], back[64];
  EscapeResult("Connection Failed\r\nRAS Error 619\r\nC:\\x", escaped, sizeof escaped);
  EXPECT_STREQ(escaped, "Connection Failed\\r\\nRAS Error 619\\r\\nC:\\\\x");
  UnescapeResult(escaped, back, sizeof back);
  EXPECT_STREQ(back, "Connection Failed\r\nRAS Error 619\r\nC:\\x");
  UnescapeResult("a\\tb\\", back, sizeof back);
  EXPECT_STREQ(back, "a\\tb\\") << "other backslashes stay";
  // Escapes are never cut in half.
  EscapeResult("ab\r\n", escaped, 6);
  EXPECT_STREQ(escaped, "ab\\r");
  UnescapeResult("x\\r\\nyz", back, 4);
  EXPECT_STREQ(back, "x\r\n");
}

}  // namespace
