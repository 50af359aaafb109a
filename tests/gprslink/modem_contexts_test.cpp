// ModemGetCIDForAPN against simulated modems; reading the answers has its
// native table, a definition in the lowest free id and an unusable APN are in
// the dial-up test, a modem named by its driver and the driver's init strings
// in the console's GPRS connection test.
#include <windows.h>

#include <gtest/gtest.h>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"

namespace {

using Commands = std::vector<std::string>;

ModemProfile WithContexts(std::vector<std::pair<int, std::string>> contexts, int most = 16) {
  ModemProfile profile;
  profile.contexts = std::move(contexts);
  profile.maxContextId = most;
  return profile;
}

// The contexts a modem is asked for.
TEST(ModemContexts, FindsOrDefinesTheApnsContextAndTalksOnlyWhenItMay) {
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
}

}  // namespace
