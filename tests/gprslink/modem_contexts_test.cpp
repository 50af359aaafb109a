// ModemGetCIDForAPN, ModemReset and ModemDriverUpdateInitStrings against
// simulated modems and the registry's modem class; reading the answers and
// which init string to write have their native tables, the reset sequence
// its table in the console's tests; a definition in the lowest free id and an
// unusable APN are in the dial-up test, a modem named by its driver in the
// console's GPRS connection test.
#include <windows.h>

#include <gtest/gtest.h>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"

namespace {

using Commands = std::vector<std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;

ModemProfile WithContexts(std::vector<std::pair<int, std::string>> contexts, int most = 16) {
  ModemProfile profile;
  profile.contexts = std::move(contexts);
  profile.maxContextId = most;
  return profile;
}

// The contexts a modem is asked for, then its reset through the same port opening.
TEST(ModemContexts, FindsOrDefinesTheApnsContextTalksOnlyWhenItMayAndResets) {
  ModemProfile silent;
  silent.silent = true;
  const Commands look = {"ATE0V1", "AT+CGDCONT?"};
  const struct {
    const char* why;
    ModemProfile modem;
    const char* name;
    int flag, cid;
    Commands sent;
  } cases[] = {
      {"listed", WithContexts({{1, "internet.example"}, {3, "mms.example"}}), "COM5:", 0, 3, look},
      {"flag 0 only looks", WithContexts({{1, "internet.example"}}), "COM5:", 0, 0, look},
      {"every id taken", WithContexts({{1, "a.example"}, {2, "b.example"}}, 2), "COM5:", 1, 0,
       {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?"}},
      {"a port that cannot be opened", {}, "COM9:", 1, 0, {}},
      {"a silent modem: asked twice, then left", silent, "COM5:", 1, 0, {"ATE0V1", "ATE0V1"}},
  };
  for (const auto& c : cases) {
    ModemSimulator modem(1, c.modem);
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(GprsLink().ModemGetCIDForAPN(c.name, "mms.example", c.flag), c.cid) << c.why;
    EXPECT_EQ(modem.Transcript(), c.sent) << c.why;
  }
  ModemProfile forgetful;
  forgetful.cfunResetParameter = true;
  ModemSimulator modem(2, forgetful);
  ASSERT_TRUE(modem.Running());
  EXPECT_TRUE(reinterpret_cast<BOOL(__cdecl*)(const char*)>(GprsLink().ModemReset)("COM6:"));
  EXPECT_EQ(modem.Resets(), 1);
}

// Rewritten in place, or numbered past the highest value whatever lies
// between; the elevated side's test of the console has the Init key made.
TEST(ModemDriverInitStrings, TheApnsContextIsRewrittenOrAddedOnce) {
  const std::string kLong = "AT" + std::string(400, 'S') + "<cr>";
  const struct {
    Values before, after;
  } cases[] = {
      {{{"1", "ATZ<cr>"}, {"2", "AT+CGDCONT=2,\"IP\",\"old.example\"<cr>"}},
       {{"1", "ATZ<cr>"}, {"2", "AT+CGDCONT=2,\"IP\",\"mms.example\"<cr>"}}},
      {{{"1", "AT<cr>"}, {"5", kLong}, {"Label", "not a command"}},
       {{"1", "AT<cr>"}, {"5", kLong}, {"6", "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>"}, {"Label", "not a command"}}},
  };
  ModemRegistryEntry driver("Driver Test Modem", "COM7");
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    driver.RemoveInit();
    for (const auto& value : c.before) driver.SetInit(value.first.c_str(), value.second);
    EXPECT_TRUE(GprsLink().ModemDriverUpdateInitStrings("driver test modem", "mms.example"));
    EXPECT_EQ(driver.Init(), c.after);
  }
}

}  // namespace
