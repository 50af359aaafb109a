// ModemDriverUpdateInitStrings over the modem class of the registry; which
// string to add or rewrite has its native table.
#include <windows.h>

#include <gtest/gtest.h>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_registry.h"

namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

struct DriverCase {
  const char* why;
  Values before;
  const char* modem;
  const char* apn;
  bool changed;
  Values after;
};

TEST(ModemDriverInitStrings, TheApnsContextIsAddedOrRewrittenOnce) {
  const std::string kDefinition = "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>";
  const std::string kLong = "AT" + std::string(400, 'S') + "<cr>";
  const DriverCase cases[] = {
      {"added after the others", {{"1", "AT<cr>"}, {"2", "AT&F E0 V1<cr>"}}, "driver test modem", "mms.example", true,
       {{"1", "AT<cr>"}, {"2", "AT&F E0 V1<cr>"}, {"3", kDefinition}}},
      {"the Init key made", {}, "Driver Test Modem", "mms.example", true, {{"1", kDefinition}}},
      {"another APN rewritten in place",
       {{"1", "ATZ<cr>"}, {"2", "AT+CGDCONT=2,\"IP\",\"old.example\"<cr>"}, {"7", "ATS7=60<cr>"}},
       "Driver Test Modem", "new.example", true,
       {{"1", "ATZ<cr>"}, {"2", "AT+CGDCONT=2,\"IP\",\"new.example\"<cr>"}, {"7", "ATS7=60<cr>"}}},
      {"numbered after the highest, past a gap and an overlong string",
       {{"1", "AT<cr>"}, {"5", kLong}, {"Label", "not a command"}}, "Driver Test Modem", "mms.example", true,
       {{"1", "AT<cr>"}, {"5", kLong}, {"6", kDefinition}, {"Label", "not a command"}}},
      {"an unknown modem", {{"1", "AT<cr>"}}, "Missing Driver Modem", "mms.example", false, {{"1", "AT<cr>"}}},
      {"no modem", {{"1", "AT<cr>"}}, nullptr, "mms.example", false, {{"1", "AT<cr>"}}},
      {"no APN", {{"1", "AT<cr>"}}, "Driver Test Modem", nullptr, false, {{"1", "AT<cr>"}}},
  };
  ModemRegistryEntry driver("Driver Test Modem", "COM7");
  for (const DriverCase& c : cases) {
    DriverInitStrings init("Driver Test Modem");
    for (const auto& value : c.before) init.Set(value.first.c_str(), value.second);
    EXPECT_EQ(GprsLink().ModemDriverUpdateInitStrings(c.modem, c.apn) != FALSE, c.changed) << c.why;
    EXPECT_EQ(init.Read(), c.after) << c.why;
  }
}

}  // namespace
