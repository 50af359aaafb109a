// ModemDriverUpdateInitStrings over the modem class of the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_registry.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> Values;

BOOL Update(const char* modem, const char* apn) { return GprsLink().ModemDriverUpdateInitStrings(modem, apn); }

TEST(ModemDriverInitStrings, AddsTheApnsContextToADriverThatHasNone) {
  ModemRegistryEntry driver("Driver Test Modem", "COM7");
  DriverInitStrings init("Driver Test Modem");
  init.Set("1", "AT<cr>");
  init.Set("2", "AT&F E0 V1 &D2 &C1 S0=0<cr>");
  EXPECT_TRUE(Update("driver test modem", "mms.example"));
  EXPECT_EQ(init.Read(), (Values{{"1", "AT<cr>"},
                                 {"2", "AT&F E0 V1 &D2 &C1 S0=0<cr>"},
                                 {"3", "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>"}}));
  EXPECT_FALSE(Update("Driver Test Modem", "MMS.Example")) << "already right: unchanged";
  EXPECT_EQ(init.Read().size(), 3u);
}

TEST(ModemDriverInitStrings, CreatesTheInitKeyWhenMissing) {
  ModemRegistryEntry driver("Bare Driver Modem", "COM7");
  DriverInitStrings init("Bare Driver Modem");
  EXPECT_TRUE(Update("Bare Driver Modem", "mms.example"));
  EXPECT_EQ(init.Read(), (Values{{"1", "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>"}}));
}

TEST(ModemDriverInitStrings, RewritesTheApnOfAnotherDefinitionInPlace) {
  ModemRegistryEntry driver("Redefined Modem", "COM7");
  DriverInitStrings init("Redefined Modem");
  init.Set("1", "ATZ<cr>");
  init.Set("2", "AT+CGDCONT=2,\"IP\",\"old.example\"<cr>");
  init.Set("7", "ATS7=60<cr>");
  EXPECT_TRUE(Update("Redefined Modem", "new.example"));
  EXPECT_EQ(init.Read(), (Values{{"1", "ATZ<cr>"},
                                 {"2", "AT+CGDCONT=2,\"IP\",\"new.example\"<cr>"},
                                 {"7", "ATS7=60<cr>"}}));
}

TEST(ModemDriverInitStrings, NumbersANewStringAfterTheHighestEvenPastAGapOrAnOverlongString) {
  ModemRegistryEntry driver("Gapped Modem", "COM7");
  DriverInitStrings init("Gapped Modem");
  init.Set("1", "AT<cr>");
  init.Set("5", "AT" + std::string(400, 'S') + "<cr>");
  init.Set("Label", "not a command");
  EXPECT_TRUE(Update("Gapped Modem", "mms.example"));
  Values values = init.Read();
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[2], (std::pair<std::string, std::string>{"6", "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>"}));
  EXPECT_EQ(values[1].second.size(), 406u) << "the long string is left as it was";
}

TEST(ModemDriverInitStrings, ChangesNothingForAnUnknownModemOrAnUnusableApn) {
  ModemRegistryEntry driver("Careful Modem", "COM7");
  DriverInitStrings init("Careful Modem");
  init.Set("1", "AT<cr>");
  EXPECT_FALSE(Update("Missing Driver Modem", "mms.example"));
  EXPECT_FALSE(Update("Careful Modem", "bad\"apn"));
  EXPECT_FALSE(Update("Careful Modem", ""));
  EXPECT_FALSE(Update("Careful Modem", nullptr));
  EXPECT_FALSE(Update(nullptr, "mms.example"));
  EXPECT_EQ(init.Read(), (Values{{"1", "AT<cr>"}}));
}

}  // namespace
