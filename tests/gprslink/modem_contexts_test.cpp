// ModemGetCIDForAPN and ModemReset against simulated modems; reading the
// answers has its native table.
#include <windows.h>

#include <gtest/gtest.h>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"

namespace {

using Commands = std::vector<std::string>;

ModemProfile WithContexts(std::vector<std::pair<int, std::string>> contexts, int most = 16) {
  ModemProfile profile;
  profile.contexts = std::move(contexts);
  profile.maxContextId = most;
  return profile;
}

struct ContextCase {
  const char* why;
  ModemProfile modem;
  const char* name;
  const char* apn;
  int flag;
  int cid;
  Commands sent;
};

TEST(ModemContexts, FindsOrDefinesTheApnsContextAndTalksOnlyWhenItMay) {
  ModemRegistryEntry driver("Context Test Modem", "COM5");
  ModemProfile silent;
  silent.silent = true;
  ModemProfile refusing;
  refusing.ate0Answers = {false, false};
  const Commands look = {"ATE0V1", "AT+CGDCONT?"};
  const ContextCase cases[] = {
      {"listed", WithContexts({{1, "internet.example"}, {3, "mms.example"}}), "COM5:", "mms.example", 0, 3, look},
      {"flag 0 only looks", WithContexts({{1, "internet.example"}}), "COM5:", "mms.example", 0, 0, look},
      {"the port of the modem's driver", WithContexts({{2, "mms.example"}}), "Context Test Modem", "mms.example", 0,
       2, look},
      {"defined in the lowest free id", WithContexts({{1, "internet.example"}, {3, "wap.example"}}), "COM5:",
       "mms.example", 1, 2, {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?", "AT+CGDCONT=2,\"IP\",\"mms.example\""}},
      {"every id taken", WithContexts({{1, "a.example"}, {2, "b.example"}}, 2), "COM5:", "mms.example", 1, 0,
       {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?"}},
      {"an APN that would break the command", {}, "COM5:", "mms\";+CFUN=0;\"", 1, 0, {}},
      {"no APN", {}, "COM5:", nullptr, 1, 0, {}},
      {"no modem", {}, nullptr, "mms.example", 1, 0, {}},
      {"an unknown modem", {}, "Unknown Context Modem", "mms.example", 1, 0, {}},
      {"a port that cannot be opened", {}, "COM9:", "mms.example", 1, 0, {}},
      {"a silent modem: asked twice, then left", silent, "COM5:", "mms.example", 1, 0, {"ATE0V1", "ATE0V1"}},
      {"a modem refusing ATE0V1", refusing, "COM5:", "mms.example", 1, 0, {"ATE0V1", "ATE0V1"}},
  };
  for (const ContextCase& c : cases) {
    ModemSimulator modem(1, c.modem);
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(GprsLink().ModemGetCIDForAPN(c.name, c.apn, c.flag), c.cid) << c.why;
    EXPECT_EQ(modem.Transcript(), c.sent) << c.why;
  }
}

TEST(ModemContexts, ADefinitionIsLookedForAgain) {
  ModemSimulator keeping(1, ModemProfile{});
  ASSERT_TRUE(keeping.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 1), 1);
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 0), 1) << "the modem keeps it";
  ModemProfile forgetful;
  forgetful.keepsContexts = false;
  ModemSimulator forgetting(2, forgetful);
  ASSERT_TRUE(forgetting.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM6:", "mms.example", 1), 1) << "the definition was accepted";
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM6:", "mms.example", 0), 0) << "but it is gone";
}

TEST(ModemReset, RunsTheConsolesResetSequence) {
  auto reset = reinterpret_cast<BOOL(__cdecl*)(const char*)>(GprsLink().ModemReset);
  ASSERT_NE(reset, nullptr);
  ModemProfile resettable;
  resettable.cfunResetParameter = true;
  ModemSimulator modem(1, resettable);
  ModemProfile stubborn;
  stubborn.refuseCfun1 = 10;
  ModemSimulator refusing(2, stubborn);
  ASSERT_TRUE(modem.Running() && refusing.Running());
  EXPECT_TRUE(reset("COM5:"));
  EXPECT_EQ(modem.Resets(), 1);
  EXPECT_TRUE(modem.Received("AT+CFUN=1,1"));
  EXPECT_FALSE(reset("COM6:")) << "no reset command accepted";
  EXPECT_TRUE(refusing.Received("AT!RESET"));
  EXPECT_FALSE(reset("No Such Modem"));
}

}  // namespace
