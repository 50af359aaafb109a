// ModemGetCIDForAPN, ModemReset and ModemDriverUpdateInitStrings against
// simulated modems and the registry's modem class; reading the answers and
// which init string to write have their native tables, the reset sequence
// its table in the console's tests, an unusable APN the dial-up test.
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

TEST(ModemContexts, FindsOrDefinesTheApnsContextAndTalksOnlyWhenItMay) {
  ModemRegistryEntry driver("Context Test Modem", "COM5");
  ModemProfile silent;
  silent.silent = true;
  ModemProfile refusing;
  refusing.ate0Answers = {false, false};
  const Commands look = {"ATE0V1", "AT+CGDCONT?"};
  const struct {
    const char* why;
    ModemProfile modem;
    const char *name, *apn;
    int flag, cid;
    Commands sent;
  } cases[] = {
      {"listed", WithContexts({{1, "internet.example"}, {3, "mms.example"}}), "COM5:", "mms.example", 0, 3, look},
      {"flag 0 only looks", WithContexts({{1, "internet.example"}}), "COM5:", "mms.example", 0, 0, look},
      {"the port of the modem's driver", WithContexts({{2, "mms.example"}}), "Context Test Modem", "mms.example", 0,
       2, look},
      {"defined in the lowest free id", WithContexts({{1, "internet.example"}, {3, "wap.example"}}), "COM5:",
       "mms.example", 1, 2, {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?", "AT+CGDCONT=2,\"IP\",\"mms.example\""}},
      {"every id taken", WithContexts({{1, "a.example"}, {2, "b.example"}}, 2), "COM5:", "mms.example", 1, 0,
       {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?"}},
      {"no modem", {}, nullptr, "mms.example", 1, 0, {}},
      {"an unknown modem", {}, "Unknown Context Modem", "mms.example", 1, 0, {}},
      {"a port that cannot be opened", {}, "COM9:", "mms.example", 1, 0, {}},
      {"a silent modem: asked twice, then left", silent, "COM5:", "mms.example", 1, 0, {"ATE0V1", "ATE0V1"}},
      {"a modem refusing ATE0V1", refusing, "COM5:", "mms.example", 1, 0, {"ATE0V1", "ATE0V1"}},
  };
  for (const auto& c : cases) {
    ModemSimulator modem(1, c.modem);
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(GprsLink().ModemGetCIDForAPN(c.name, c.apn, c.flag), c.cid) << c.why;
    EXPECT_EQ(modem.Transcript(), c.sent) << c.why;
  }
}

TEST(ModemContexts, TheResetIsTheConsolesSequence) {
  ModemProfile forgetful;
  forgetful.cfunResetParameter = true;
  ModemSimulator modem(2, forgetful);
  ASSERT_TRUE(modem.Running());
  auto reset = reinterpret_cast<BOOL(__cdecl*)(const char*)>(GprsLink().ModemReset);
  ASSERT_NE(reset, nullptr);
  EXPECT_TRUE(reset("COM6:"));
  EXPECT_EQ(modem.Resets(), 1);
  EXPECT_FALSE(reset("No Such Modem"));
}

TEST(ModemDriverInitStrings, TheApnsContextIsAddedOrRewrittenOnce) {
  const std::string kDefinition = "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>";
  const std::string kLong = "AT" + std::string(400, 'S') + "<cr>";
  const struct {
    const char* why;
    Values before;
    const char *modem, *apn;
    bool changed;
    Values after;
  } cases[] = {
      {"the Init key made; names compare without case", {}, "driver test modem", "mms.example", true,
       {{"1", kDefinition}}},
      {"another APN rewritten in place",
       {{"1", "ATZ<cr>"}, {"2", "AT+CGDCONT=2,\"IP\",\"old.example\"<cr>"}, {"7", "ATS7=60<cr>"}},
       "Driver Test Modem", "new.example", true,
       {{"1", "ATZ<cr>"}, {"2", "AT+CGDCONT=2,\"IP\",\"new.example\"<cr>"}, {"7", "ATS7=60<cr>"}}},
      {"numbered after the highest, past a gap and an overlong string",
       {{"1", "AT<cr>"}, {"5", kLong}, {"Label", "not a command"}}, "Driver Test Modem", "mms.example", true,
       {{"1", "AT<cr>"}, {"5", kLong}, {"6", kDefinition}, {"Label", "not a command"}}},
      {"an unknown modem", {{"1", "AT<cr>"}}, "Missing Driver Modem", "mms.example", false, {{"1", "AT<cr>"}}},
      {"no APN", {{"1", "AT<cr>"}}, "Driver Test Modem", nullptr, false, {{"1", "AT<cr>"}}},
  };
  ModemRegistryEntry driver("Driver Test Modem", "COM7");
  for (const auto& c : cases) {
    driver.RemoveInit();
    for (const auto& value : c.before) driver.SetInit(value.first.c_str(), value.second);
    EXPECT_EQ(GprsLink().ModemDriverUpdateInitStrings(c.modem, c.apn) != FALSE, c.changed) << c.why;
    EXPECT_EQ(driver.Init(), c.after) << c.why;
  }
}

}  // namespace
