// The modem check of the Add Modem dialog: the AT dialogue it holds with
// modems of many kinds, and what it tells the user.
#include "modem/modem_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "modem/modem_test_helpers.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"

namespace {

using Commands = std::vector<std::string>;
const char kOpened[] = "info: Initialised modem at 115200 bps";
const char kPassed[] = "info: Modem successfully tested!";

class ModemCheckTest : public testing::Test {
 protected:
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    // Shut down at the end, with the handle as it is (0 for a COM port).
    if (!telephony_.fake.calls.empty()) {
      EXPECT_EQ(telephony_.fake.calls.back().rfind("lineShutdown", 0), 0u) << telephony_.fake.calls.back();
    }
  }

  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
};

// Each modem kind on cable 1, reached as "COM5:" (after the opening's "\r"
// and "ATE0V1") or through a telephony line (no rate search, no box).
TEST_F(ModemCheckTest, TheAnswersOfEachKindOfModem) {
  struct Row {
    const char* name;
    std::function<void(ModemProfile&)> profile;
    bool comPort;
    const char* pin;
    bool passes;
    std::vector<std::string> shown;
    Commands dialogue;  // all commands in order; "..." at the end: and more
    std::vector<std::pair<std::string, int>> counts;
    Commands sent, never;
  };
  auto locked = [](ModemProfile& p) { p.pinRequired = true; };
  const Row rows[] = {
      {"a prompt modem passes without waiting for the network", [](ModemProfile&) {}, true, "", true,
       {kOpened, kPassed},
       {"", "ATE0V1", "AT+CFUN?", "ATE0V1", "ATE0V1", "AT+CSMS=0", "AT+CMGF=0", "AT+CMGS=86", "<ESC>", "", "AT"}},
      {"a ready SIM is not sent the PIN again", [](ModemProfile&) {}, true, "1234", true, {kOpened, kPassed}, {},
       {{"AT+CPIN=\"1234\"", 1}}, {"AT+CPIN?"}},
      {"a locked SIM is unlocked with the PIN", locked, false, "1234", true, {kPassed},
       {"AT+CFUN?", "AT+CPIN?", "AT+CPIN=\"1234\"", "AT+CPIN?", "..."}},
      {"a wrong PIN shows the modem's answer and stops", locked, false, "9999", false,
       {"error: Invalid PIN --\r\n\r\n\r\n+CME ERROR: 16\r\n"}, {"AT+CFUN?", "AT+CPIN?", "AT+CPIN=\"9999\""}},
      {"a modem switched on waits for its operator and storage",
       [](ModemProfile& p) { p.cfun = 0, p.registerAfterPolls = 1, p.cpmsErrorPolls = 1; }, false, "", true,
       {kPassed}, {"AT+CFUN?", "AT+CFUN=1", "AT+CFUN?", "AT+COPS?", "AT+COPS?", "AT+CPMS?", "AT+CPMS?", "..."}},
      {"SMS service refused until registered is retried after the network wait",
       [](ModemProfile& p) { p.cfun = 0, p.refuseCfun1 = 1, p.csms = CsmsSupport::AcceptsOnceRegistered; }, false, "",
       true, {kPassed}, {}, {{"AT+CSMS=0", 2}, {"AT+CSMS=128", 1}}, {"AT+COPS?"}},
      {"SMS service refused at full functionality goes straight on",
       [](ModemProfile& p) { p.csms = CsmsSupport::Refuses; }, false, "", true, {kPassed},
       {"AT+CFUN?", "ATE0V1", "ATE0V1", "AT+CSMS=0", "AT+CSMS=128", "AT+CFUN?", "AT+CMGF=0", "AT+CMGS=86", "<ESC>",
        "", "AT"}},
      {"a text-only modem passes with its own wording", [](ModemProfile& p) { p.cmgf = CmgfSupport::TextOnly; }, false,
       "", true, {"info: Modem successfully tested!\r\n\r\nModem supports text messages only."}, {}, {},
       {"AT+CMGF=1", "AT+CMGS=\"123456789\""}, {"AT+CMGS=86"}},
      {"a refused send command fails", [](ModemProfile& p) { p.cmgsPrompt = false; }, false, "", false,
       {"error: Modem does not properly support command for sending SMS (AT+CMGS)"}, {}, {}, {}, {"<ESC>"}},
      {"a refused send command in text mode fails",
       [](ModemProfile& p) { p.cmgsPrompt = false, p.cmgf = CmgfSupport::TextOnly; }, false, "", false,
       {"error: Modem does not properly support command for sending SMS (AT+CMGS - text mode)"}},
      {"the first initialisation refused", [](ModemProfile& p) { p.ate0Answers = {false}; }, false, "", false,
       {"error: Error initializing modem --\r\n\r\n\r\nERROR\r\n"}},
      {"the second initialisation refused", [](ModemProfile& p) { p.ate0Answers = {true, false}; }, false, "", false,
       {"error: Error initialising modem --\r\n\r\n\r\nERROR\r\n"}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ModemProfile profile;
    row.profile(profile);
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    telephony_.fake.lines = {FakeLine{"Line Modem"}};
    size_t before = boxes_.Boxes().size();
    for (size_t i = 0; i < row.shown.size(); ++i) boxes_.Answer(IDOK);
    EXPECT_EQ(TestModem(nullptr, row.comPort ? "COM5:" : "Line Modem", row.pin), row.passes);
    std::vector<std::string> shown = Shown(boxes_);
    EXPECT_EQ(std::vector<std::string>(shown.begin() + before, shown.end()), row.shown);
    Commands sent = modem.Transcript();
    if (!row.dialogue.empty() && row.dialogue.back() == "...") {
      Commands start(row.dialogue.begin(), row.dialogue.end() - 1);
      EXPECT_EQ(Commands(sent.begin(), sent.begin() + std::min(sent.size(), start.size())), start);
    } else if (!row.dialogue.empty()) {
      EXPECT_EQ(sent, row.dialogue);
    }
    for (const auto& [command, times] : row.counts) EXPECT_EQ(modem.Count(command), times) << command;
    for (const auto& command : row.sent) EXPECT_TRUE(modem.Received(command)) << command;
    for (const auto& command : row.never) EXPECT_FALSE(modem.Received(command)) << command;
  }
}

TEST_F(ModemCheckTest, APortThatRefusesWritesFailsAtTheFirstCommand) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  FakeLine line{"Line Modem"};
  line.readOnlyHandle = true;
  telephony_.fake.lines = {line};
  boxes_.Answer(IDOK);
  EXPECT_FALSE(TestModem(nullptr, "Line Modem", ""));
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>{"error: Unable to send initialization command to modem"});
  EXPECT_TRUE(modem.Transcript().empty());
}

TEST_F(ModemCheckTest, ASilentModemFailsWithinItsTimeLimits) {
  ModemProfile silent;
  silent.silent = true;
  ModemSimulator modem(1, silent);
  ASSERT_TRUE(modem.Running());
  telephony_.fake.lines = {FakeLine{"Line Modem"}};
  boxes_.Answer(IDOK);
  DWORD start = GetTickCount();
  EXPECT_FALSE(TestModem(nullptr, "Line Modem", ""));
  DWORD seconds = (GetTickCount() - start) / 1000;
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>{"error: Error waiting for initialization response from modem"});
  EXPECT_GE(seconds, 40u) << "10 s for AT+CFUN? and 30 s for ATE0V1";
  EXPECT_LE(seconds, 48u);
  EXPECT_EQ(modem.Transcript(), (Commands{"AT+CFUN?", "ATE0V1"}));
}

}  // namespace
