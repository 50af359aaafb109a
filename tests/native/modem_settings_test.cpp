#include "modem/modem_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/ipv4_address.h"

namespace {

// The gateway as the connection test passes it on, or "<invalid>".
std::string Gateway(const char* typed, size_t cap = 250) {
  char text[250];
  snprintf(text, sizeof text, "%s", typed);
  return PrepareWapGateway(text, cap) ? std::string(text) : "<invalid>";
}

std::string Normal(const char* typed) {
  char text[64];
  snprintf(text, sizeof text, "%s", typed);
  return NormalizeIPv4Address(text, sizeof text) ? std::string(text) : "<invalid>";
}

TEST(WapGateway, DottedAddressesAreWrittenInNormalForm) {
  EXPECT_EQ(Normal(" 010.000.001.002 "), "10.0.1.2") << "blanks around and leading zeros go";
  EXPECT_EQ(Gateway(" 010.000.001.002 \t"), "10.0.1.2");
  EXPECT_EQ(Gateway("192.0.2.10"), "192.0.2.10");
  EXPECT_EQ(Gateway("10"), "10.0.0.0");
  EXPECT_EQ(Gateway("10", 8), "<invalid>") << "the normal form does not fit";
}

TEST(WapGateway, AddressesOutOfRangeOrWithFiveParts) {
  EXPECT_EQ(Normal("10.0.0.256"), "<invalid>");
  EXPECT_EQ(Gateway("10.0.0.256"), "<invalid>");
  EXPECT_EQ(Normal("1.2.3.4.5"), "<invalid>");
  EXPECT_EQ(Gateway("1.2.3.4.5"), "<invalid>");
  EXPECT_EQ(Gateway("gateway.example"), "<invalid>");
  EXPECT_EQ(Gateway("10.0.0.1:8080"), "<invalid>") << "a port needs the http: form";
}

TEST(WapGateway, HttpAddressesLoseTheirSlashesAndAreTakenAsTheyAre) {
  EXPECT_EQ(Normal("http://10.0.0.1:8080"), "<invalid>");
  EXPECT_EQ(Gateway("http://10.0.0.1:8080"), "http:10.0.0.1:8080");
  EXPECT_EQ(Gateway("HTTP://wap.example/"), "HTTP:wap.example/");
  EXPECT_EQ(Gateway("http:wap.example"), "http:wap.example");
  EXPECT_EQ(Gateway("http://"), "http:");
}

TEST(WapGateway, NoAddressIsPiecedTogetherFromTheTextAfterAnyFiveCharacters) {
  EXPECT_EQ(Gateway("1.2.3.4.5"), "<invalid>") << "not 1.2.3 followed by .4.5";
  EXPECT_EQ(Gateway("wsp:/010.1.2.3"), "<invalid>");
  EXPECT_EQ(Gateway("http:010.1.2.3"), "http:010.1.2.3") << "an http: address is taken as typed";
}

TEST(ModemSettingsValues, StorageIndexAndReceiveTo) {
  EXPECT_EQ(StorageIndexOfValue("ME"), 1);
  EXPECT_EQ(StorageIndexOfValue("sm"), 2);
  EXPECT_EQ(StorageIndexOfValue("DIRECT"), 3);
  EXPECT_EQ(StorageIndexOfValue(""), 0);
  EXPECT_EQ(StorageIndexOfValue("MT"), 0);
  EXPECT_STREQ(StorageValueOfIndex(0), "");
  EXPECT_STREQ(StorageValueOfIndex(1), "ME");
  EXPECT_STREQ(StorageValueOfIndex(2), "SM");
  EXPECT_STREQ(StorageValueOfIndex(3), "Direct");
  EXPECT_STREQ(StorageValueOfIndex(-1), "") << "no selection";
  EXPECT_STREQ(StorageValueOfIndex(4), "");
  EXPECT_STREQ(kStorageNames[2], "SIM Card");
}

TEST(ModemSettingsValues, SmsAccess) {
  EXPECT_EQ(SmsAccessOfValue("GPRS"), SmsAccess::kGprs);
  EXPECT_EQ(SmsAccessOfValue("GSM"), SmsAccess::kGsm);
  EXPECT_EQ(SmsAccessOfValue(""), SmsAccess::kDefault);
  EXPECT_EQ(SmsAccessOfValue("LTE"), SmsAccess::kDefault);
  EXPECT_STREQ(SmsAccessValue(SmsAccess::kGprs), "GPRS");
  EXPECT_STREQ(SmsAccessValue(SmsAccess::kGsm), "GSM");
  EXPECT_STREQ(SmsAccessValue(SmsAccess::kDefault), "");
}

TEST(ModemSettingsValues, OnlyModemsAreModemConnections) {
  EXPECT_TRUE(IsModemConnectionName("Acme GSM"));
  EXPECT_TRUE(IsModemConnectionName("COM3:"));
  EXPECT_TRUE(IsModemConnectionName("SMPP-Provider")) << "the prefix has blanks around the hyphen";
  EXPECT_FALSE(IsModemConnectionName("SMPP - Provider"));
  EXPECT_FALSE(IsModemConnectionName("http - web link"));
  EXPECT_FALSE(IsModemConnectionName("UCP - x"));
  EXPECT_FALSE(IsModemConnectionName("CIMD - x"));
}

TEST(ModemChoice, NameAndPinOfTheAddModemDialog) {
  char name[16];
  char pin[8];
  SplitModemChoice("Acme\tPIN=1234", name, sizeof name, pin, sizeof pin);
  EXPECT_STREQ(name, "Acme");
  EXPECT_STREQ(pin, "1234");
  SplitModemChoice("Acme\tpin=99", name, sizeof name, pin, sizeof pin);
  EXPECT_STREQ(pin, "99") << "the prefix in any case";
  SplitModemChoice("Acme", name, sizeof name, pin, sizeof pin);
  EXPECT_STREQ(name, "Acme");
  EXPECT_STREQ(pin, "");
  SplitModemChoice("Acme\tPUK=1", name, sizeof name, pin, sizeof pin);
  EXPECT_STREQ(pin, "");
  SplitModemChoice("A very long modem name\tPIN=123456789", name, sizeof name, pin, sizeof pin);
  EXPECT_STREQ(name, "A very long mod");
  EXPECT_STREQ(pin, "1234567");
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
  EXPECT_EQ(choose(true, "Modem: Other"), "Other|Modem: Other");
  EXPECT_EQ(choose(true, "MODEM: Other"), "Other|MODEM: Other");
  EXPECT_EQ(choose(true, "Office VPN"), "|Office VPN") << "no modem: UseModem removed";
  EXPECT_FALSE(UsesOtherConnection(true, nullptr, "Own"));
  EXPECT_TRUE(UsesOtherConnection(true, "Modem: Owner", "Own"));
  EXPECT_STREQ(ModemNamedByConnection("Modem: Acme"), "Acme");
  EXPECT_EQ(ModemNamedByConnection("Modem:Acme"), nullptr);
}

TEST(ConnectionTestResult, TextsForEachDialOutcome) {
  char result[500];
  FormatDialResult(0, result, sizeof result);
  EXPECT_STREQ(result, "Connection Test OK!");
  FormatDialResult(1, result, sizeof result);
  EXPECT_STREQ(result, "Unable to connect to WAP Gateway");
  FormatDialResult(619, result, sizeof result);
  EXPECT_STREQ(result, "Connection Failed\r\nRAS Error 619\r\n");
  FormatDialResult(600, result, sizeof result);
  EXPECT_STREQ(result, "Connection Failed\r\nRAS Error 600\r\n");
  FormatDialResult(799, result, sizeof result);
  EXPECT_STREQ(result, "Connection Failed\r\nRAS Error 799\r\n");
  for (int other : {-1, 2, 599, 800}) {
    FormatDialResult(other, result, sizeof result);
    EXPECT_STREQ(result, "Connection Failed") << other;
  }
  FormatDialResult(619, result, 12);
  EXPECT_STREQ(result, "Connection ") << "cut at the buffer";
  EXPECT_STREQ(kResultModemInUse, "Unable to allocate modem, modem in use by ZedSMS");
  EXPECT_STREQ(kResultInternalError, "Internal Error");
  EXPECT_STREQ(kResultRestart, "Please restart your system before continuing");
}

TEST(ConnectionTestResult, LineBreaksSurviveTheProfileValue) {
  char escaped[64];
  char back[64];
  EscapeResult("Connection Failed\r\nRAS Error 619\r\nC:\\x", escaped, sizeof escaped);
  EXPECT_STREQ(escaped, "Connection Failed\\r\\nRAS Error 619\\r\\nC:\\\\x");
  EXPECT_EQ(strchr(escaped, '\r'), nullptr);
  EXPECT_EQ(strchr(escaped, '\n'), nullptr);
  UnescapeResult(escaped, back, sizeof back);
  EXPECT_STREQ(back, "Connection Failed\r\nRAS Error 619\r\nC:\\x");
  UnescapeResult("a\\tb\\", back, sizeof back);
  EXPECT_STREQ(back, "a\\tb\\") << "other backslashes stay";
}

TEST(ConnectionTestResult, EscapesAreNeverCutInHalf) {
  char escaped[6];
  EscapeResult("ab\r\n", escaped, sizeof escaped);
  EXPECT_STREQ(escaped, "ab\\r") << "no room for the whole second escape";
  char back[4];
  UnescapeResult("x\\r\\nyz", back, sizeof back);
  EXPECT_STREQ(back, "x\r\n");
  UnescapeResult("abcdef", back, sizeof back);
  EXPECT_STREQ(back, "abc");
}

TEST(ConnectionTestResult, PassedWhenItSaysOk) {
  EXPECT_TRUE(ConnectionTestPassed("Connection Test OK!"));
  EXPECT_TRUE(ConnectionTestPassed("all ok!"));
  EXPECT_FALSE(ConnectionTestPassed("Connection Test OK"));
  EXPECT_FALSE(ConnectionTestPassed("Administrative rights are required for this test."));
  EXPECT_FALSE(ConnectionTestPassed(""));
}

}  // namespace
