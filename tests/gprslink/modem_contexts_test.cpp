// ModemGetCIDForAPN and ModemReset against the simulated modem on cable 1.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"

namespace {

typedef BOOL(__cdecl* ModemResetFn)(const char*);

int Definitions(ModemSimulator& modem) {
  auto transcript = modem.Transcript();
  return static_cast<int>(std::count_if(transcript.begin(), transcript.end(), [](const std::string& line) {
    return line.rfind("AT+CGDCONT=", 0) == 0 && line != "AT+CGDCONT=?";
  }));
}

ModemProfile WithContexts(std::vector<std::pair<int, std::string>> contexts) {
  ModemProfile profile;
  profile.contexts = std::move(contexts);
  return profile;
}

TEST(ModemContexts, FindsTheContextThatHasTheApn) {
  ModemSimulator modem(1, WithContexts({{1, "internet.example"}, {3, "mms.example"}}));
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 0), 3);
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "MMS.EXAMPLE", 1), 3) << "APNs compare without case";
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "other.example", 0), 0) << "flag 0 only looks";
  EXPECT_EQ(Definitions(modem), 0);
  EXPECT_TRUE(modem.Received("ATE0V1"));
  EXPECT_EQ(modem.Count("AT+CGDCONT?"), 3);
}

TEST(ModemContexts, DefinesAMissingApnInTheLowestFreeContext) {
  ModemSimulator modem(1, WithContexts({{1, "internet.example"}, {3, "wap.example"}}));
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 1), 2);
  EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 0), 2) << "the modem keeps it";
  EXPECT_EQ(Definitions(modem), 1);
}

TEST(ModemContexts, FindsTheModemsPortThroughItsDriver) {
  ModemRegistryEntry driver("Context Test Modem", "COM5");
  ModemSimulator modem(1, WithContexts({{2, "mms.example"}}));
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("Context Test Modem", "mms.example", 0), 2);
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("Unknown Context Modem", "mms.example", 1), 0);
}

TEST(ModemContexts, ReportsNoneWhenEveryContextIsTaken) {
  ModemProfile profile = WithContexts({{1, "a.example"}, {2, "b.example"}});
  profile.maxContextId = 2;
  ModemSimulator modem(1, profile);
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 1), 0);
  EXPECT_TRUE(modem.Received("AT+CGDCONT=?"));
  EXPECT_EQ(Definitions(modem), 0);
}

TEST(ModemContexts, AModemThatForgetsItsDefinitionIsSeenToForget) {
  ModemProfile profile;
  profile.keepsContexts = false;
  ModemSimulator modem(1, profile);
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 1), 1) << "the definition was accepted";
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 0), 0) << "but it is gone";
}

TEST(ModemContexts, RefusesApnsThatCouldBreakTheCommandWithoutTalkingToTheModem) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms\";+CFUN=0;\"", 1), 0);
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "", 1), 0);
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", nullptr, 1), 0);
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN(nullptr, "mms.example", 1), 0);
  EXPECT_TRUE(modem.Transcript().empty());
}

TEST(ModemContexts, ASilentOrRefusingModemHasNoContext) {
  ModemProfile silent;
  silent.silent = true;
  {
    ModemSimulator modem(1, silent);
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 1), 0);
    EXPECT_FALSE(modem.Received("AT+CGDCONT?")) << "no command after an unanswered ATE0V1";
  }
  ModemProfile refusing;
  refusing.ate0Answers = {false, false};
  ModemSimulator modem(1, refusing);
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM5:", "mms.example", 1), 0);
  EXPECT_EQ(GprsLink().ModemGetCIDForAPN("COM9:", "mms.example", 1), 0) << "a port that cannot be opened";
}

TEST(ModemReset, RunsTheConsolesResetSequence) {
  auto reset = reinterpret_cast<ModemResetFn>(GprsLink().ModemReset);
  ASSERT_NE(reset, nullptr);
  ModemProfile resettable;
  resettable.cfunResetParameter = true;
  {
    ModemSimulator modem(1, resettable);
    ASSERT_TRUE(modem.Running());
    EXPECT_TRUE(reset("COM5:"));
    EXPECT_EQ(modem.Resets(), 1);
    EXPECT_TRUE(modem.Received("AT+CFUN=1,1"));
  }
  ModemProfile stubborn;
  stubborn.refuseCfun1 = 10;
  ModemSimulator modem(1, stubborn);
  ASSERT_TRUE(modem.Running());
  EXPECT_FALSE(reset("COM5:")) << "no reset command accepted";
  EXPECT_TRUE(modem.Received("AT!RESET"));
  EXPECT_FALSE(reset("No Such Modem"));
}

}  // namespace
