// The modem check of the Add Modem dialog: the AT dialogue it holds with
// modems of many kinds, and what it tells the user.
#include "modem/modem_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "modem/at_channel.h"
#include "support/fake_telephony.h"
#include "support/message_box_answerer.h"
#include "support/modem_cable.h"

namespace {

using Commands = std::vector<std::string>;
const char kOpened[] = "info OK: Initialised modem at 115200 bps";
const char kPassed[] = "info OK: Modem successfully tested!";

// Each modem kind on cable 1, reached as "COM5:" (after the opening's "\r"
// and "ATE0V1") or through a telephony line (no rate search, no box).
TEST(ModemCheck, TheAnswersOfEachKindOfModem) {
  struct Row {
    const char* name;
    std::function<void(ModemProfile&)> profile;
    bool comPort;
    const char* pin;
    bool passes;
    std::vector<std::string> shown;
    Commands dialogue;  // all commands in order; "..." at the end: and more
    std::vector<std::pair<std::string, int>> counts;  // -1: at least once
    bool readOnlyHandle = false;
    DWORD minSeconds = 0;  // for a silent modem: at most 8 s more, in the shortened seconds
  };
  // A fifth of the real second: the limits and pauses keep their proportions.
  ModemSecondMs() = 200;
  auto locked = [](ModemProfile& p) { p.pinRequired = true; };
  const Row rows[] = {
      {"a prompt modem passes without waiting for the network", [](ModemProfile&) {}, true, "", true,
       {kOpened, kPassed},
       {"", "ATE0V1", "AT+CFUN?", "ATE0V1", "ATE0V1", "AT+CSMS=0", "AT+CMGF=0", "AT+CMGS=86", "<ESC>", "", "AT"}},
      {"a ready SIM is not sent the PIN again", [](ModemProfile&) {}, true, "1234", true, {kOpened, kPassed}, {},
       {{"AT+CPIN=\"1234\"", 1}, {"AT+CPIN?", -1}}},
      {"a locked SIM is unlocked with the PIN", locked, false, "1234", true, {kPassed},
       {"AT+CFUN?", "AT+CPIN?", "AT+CPIN=\"1234\"", "AT+CPIN?", "..."}},
      {"a wrong PIN shows the modem's answer and stops", locked, false, "9999", false,
       {"error OK: Invalid PIN --\r\n\r\n\r\n+CME ERROR: 16\r\n"}, {"AT+CFUN?", "AT+CPIN?", "AT+CPIN=\"9999\""}},
      {"a modem switched on waits for its operator and storage",
       [](ModemProfile& p) { p.cfun = 0, p.registerAfterPolls = 1, p.cpmsErrorPolls = 1; }, false, "", true,
       {kPassed}, {"AT+CFUN?", "AT+CFUN=1", "AT+CFUN?", "AT+COPS?", "AT+COPS?", "AT+CPMS?", "AT+CPMS?", "..."}},
      {"SMS service refused until registered is retried after the network wait",
       [](ModemProfile& p) { p.cfun = 0, p.refuseCfun1 = 1, p.csms = CsmsSupport::AcceptsOnceRegistered; }, false, "",
       true, {kPassed}, {}, {{"AT+CSMS=0", 2}, {"AT+CSMS=128", 1}, {"AT+COPS?", -1}}},
      {"SMS service refused at full functionality goes straight on",
       [](ModemProfile& p) { p.csms = CsmsSupport::Refuses; }, false, "", true, {kPassed},
       {"AT+CFUN?", "ATE0V1", "ATE0V1", "AT+CSMS=0", "AT+CSMS=128", "AT+CFUN?", "AT+CMGF=0", "AT+CMGS=86", "<ESC>",
        "", "AT"}},
      {"a text-only modem passes with its own wording", [](ModemProfile& p) { p.cmgf = CmgfSupport::TextOnly; }, false,
       "", true, {"info OK: Modem successfully tested!\r\n\r\nModem supports text messages only."}, {},
       {{"AT+CMGF=1", -1}, {"AT+CMGS=\"123456789\"", -1}, {"AT+CMGS=86", 0}}},
      {"a refused send command fails", [](ModemProfile& p) { p.cmgsPrompt = false; }, false, "", false,
       {"error OK: Modem does not properly support command for sending SMS (AT+CMGS)"}, {}, {{"<ESC>", 0}}},
      {"a refused send command in text mode fails",
       [](ModemProfile& p) { p.cmgsPrompt = false, p.cmgf = CmgfSupport::TextOnly; }, false, "", false,
       {"error OK: Modem does not properly support command for sending SMS (AT+CMGS - text mode)"}},
      {"the first initialisation refused", [](ModemProfile& p) { p.ate0Answers = {false}; }, false, "", false,
       {"error OK: Error initializing modem --\r\n\r\n\r\nERROR\r\n"}},
      {"the second initialisation refused", [](ModemProfile& p) { p.ate0Answers = {true, false}; }, false, "", false,
       {"error OK: Error initialising modem --\r\n\r\n\r\nERROR\r\n"}},
      {"a port that refuses writes fails at the first command", [](ModemProfile&) {}, false, "", false,
       {"error OK: Unable to send initialization command to modem"}, {}, {{"AT+CFUN?", 0}, {"ATE0V1", 0}}, true},
      {"a silent modem fails within its time limits: 10 s for AT+CFUN? and 30 s for ATE0V1",
       [](ModemProfile& p) { p.silent = true; }, false, "", false,
       {"error OK: Error waiting for initialization response from modem"}, {"AT+CFUN?", "ATE0V1"}, {}, false, 40}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ModemProfile profile;
    row.profile(profile);
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    FakeTelephonyScope telephony;
    telephony.fake.lines = {FakeLine{"Line Modem"}};
    telephony.fake.lines[0].readOnlyHandle = row.readOnlyHandle;
    MessageBoxAnswerer boxes;
    for (size_t i = 0; i < row.shown.size(); ++i) boxes.Answer(IDOK);
    DWORD start = GetTickCount();
    EXPECT_EQ(TestModem(nullptr, row.comPort ? "COM5:" : "Line Modem", row.pin), row.passes);
    DWORD seconds = (GetTickCount() - start) / ModemSecondMs();
    EXPECT_EQ(BoxLines(boxes.Boxes()), row.shown);
    EXPECT_TRUE(!row.minSeconds || (seconds >= row.minSeconds && seconds <= row.minSeconds + 8)) << seconds;
    // Shut down at the end, with the handle as it is (0 for a COM port).
    EXPECT_TRUE(telephony.fake.calls.empty() || telephony.fake.calls.back().rfind("lineShutdown", 0) == 0);
    Commands sent = modem.Transcript();
    if (!row.dialogue.empty() && row.dialogue.back() == "...") {
      Commands head(row.dialogue.begin(), row.dialogue.end() - 1);
      EXPECT_EQ(Commands(sent.begin(), sent.begin() + std::min(sent.size(), head.size())), head);
    } else if (!row.dialogue.empty()) {
      EXPECT_EQ(sent, row.dialogue);
    }
    for (const auto& [command, times] : row.counts)
      EXPECT_TRUE(times < 0 ? modem.Received(command) : modem.Count(command) == times) << command;
  }
  ModemSecondMs() = 1000;
}

}  // namespace
