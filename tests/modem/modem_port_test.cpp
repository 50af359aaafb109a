// The console's modem port and the modem check of the Add Modem dialog: the
// opening through a line or a COM port, the reset sequence and the check's
// dialogue with modems of many kinds, against simulated modems. The listing
// of modem lines runs in the Modem page's Change Modem step, the registry
// walk for a modem's port in the link library's scenario.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "modem/at_channel.h"
#include "modem/modem_check.h"
#include "modem/modem_port.h"
#include "support/fake_telephony.h"
#include "support/message_box_answerer.h"
#include "support/modem_cable.h"

namespace {

using Profile = std::function<void(ModemProfile&)>;
using Commands = std::vector<std::string>;
const char kOpened[] = "info OK: Initialised modem at 115200 bps";
const char kPassed[] = "info OK: Modem successfully tested!";

// A fifth of the real second: the limits and pauses keep their proportions.
class ModemPortTest : public testing::Test {
 protected:
  void SetUp() override { ModemSecondMs() = 200; }
  void StartModem(Profile change = [](ModemProfile&) {}) {
    ModemProfile profile;
    change(profile);
    modem_.reset();  // one modem on the cable at a time
    modem_.reset(new ModemSimulator(1, profile));
    ASSERT_TRUE(modem_->Running());
  }
  void TearDown() override {
    CloseModemPort(&handles_);
    boxes_.ExpectAllAnswered();
    ModemSecondMs() = 1000;
  }
  // Opens the modem, answering the boxes expected, and compares them; the
  // telephony calls are those of this opening.
  void Open(const char* name, const std::vector<std::string>& shown) {
    CloseModemPort(&handles_);
    telephony_.fake.calls.clear();
    size_t before = boxes_.Boxes().size();
    for (size_t i = 0; i < shown.size(); ++i) boxes_.Answer(IDOK);
    handles_ = OpenModemPort(name, "");
    std::vector<std::string> lines = BoxLines(boxes_.Boxes());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + before, lines.end()), shown) << name;
  }

  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
  std::unique_ptr<ModemSimulator> modem_;
  ModemPortHandles handles_;
};

TEST_F(ModemPortTest, ATelephonyLineGivesTheCommHandle) {
  StartModem();
  telephony_.fake.lines = {{"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}, {"Test Modem"}};
  Open("TEST MODEM", {});
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  SetOpenCommTimeouts(handles_.port);
  EXPECT_TRUE(ResponseIsOk(Exchange(handles_.port, "AT\r", 5).c_str())) << "the handle reaches the modem";
  CloseModemPort(&handles_);
  EXPECT_EQ(telephony_.fake.calls,
            (std::vector<std::string>{"lineInitializeEx", "lineOpen 1", "lineGetID comm/datamodem/portname",
                                      "lineMakeCall", "lineGetID comm/datamodem", "lineClose", "lineShutdown"}));
}

TEST_F(ModemPortTest, AStuckLineFallsBackToProbingResettingAndASecondPass) {
  StartModem([](ModemProfile& p) { p.cfunResetParameter = true; });
  telephony_.fake.lines = {{"Stuck Modem"}};
  telephony_.fake.lines[0].portName = "COM5";
  telephony_.fake.lines[0].getIdFailures = 1;
  // The first failure is silent; probe, reset, probe again.
  Open("Stuck Modem", {kOpened, kOpened});
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE) << "the second pass got the line";
  EXPECT_EQ(modem_->Resets(), 1);
  EXPECT_TRUE(modem_->Received("AT+CFUN=1,1"));
  EXPECT_FALSE(modem_->Received("AT!RESET"));
}

TEST_F(ModemPortTest, ResetTriesEachFamilyInTurn) {
  const struct {
    Profile profile;
    bool reset;
    std::vector<std::string> sent;
  } rows[] = {
      {[](ModemProfile& p) { p.bangReset = true; }, true, {"AT+CFUN=?", "AT*E2RESET=?", "AT!RESET"}},
      {[](ModemProfile& p) { p.e2Reset = true, p.refuseCfun1 = 100; }, true,
       {"AT+CFUN=?", "AT*E2RESET=?", "AT*E2RESET"}},
      {[](ModemProfile& p) { p.refuseCfun1 = 100; }, false, {"AT+CFUN=?", "AT*E2RESET=?", "AT!RESET", "AT+CFUN=1"}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.sent.back());
    StartModem(row.profile);
    HANDLE port = OpenConsoleEnd(1);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ResetModem(port), row.reset);
    EXPECT_EQ(modem_->Transcript(), row.sent);
    EXPECT_EQ(modem_->Resets(), row.reset ? 1 : 0);
    CloseHandle(port);
  }
}

// Each modem kind on cable 1, reached as "COM5:" (after the opening's "\r"
// and "ATE0V1", at the first rate that answers) or through a telephony line
// (no rate search, no box).
TEST(ModemCheck, TheAnswersOfEachKindOfModem) {
  struct Row {
    const char* name;
    Profile profile;
    bool comPort;
    const char* pin;
    bool passes;
    std::vector<std::string> shown;
    Commands dialogue;  // all commands in order; "..." at the end: and more
    std::vector<std::pair<std::string, int>> counts;  // -1: at least once
    DWORD minSeconds = 0;  // for a silent modem: at most 8 s more, in the shortened seconds
  };
  // A fifth of the real second: the limits and pauses keep their proportions.
  ModemSecondMs() = 200;
  auto locked = [](ModemProfile& p) { p.pinRequired = true; };
  const Row rows[] = {
      {"a prompt modem, its answers split over reads, passes without waiting for the network",
       [](ModemProfile& p) { p.echo = p.splitAnswers = true; }, true, "", true,
       {kOpened, kPassed},
       {"", "ATE0V1", "AT+CFUN?", "ATE0V1", "ATE0V1", "AT+CSMS=0", "AT+CMGF=0", "AT+CMGS=86", "<ESC>", "", "AT"}},
      {"the rate search stops at the rate the modem answers", [](ModemProfile& p) { p.fixedBaud = 9600; }, true, "",
       true, {"info OK: Initialised modem at 9600 bps", kPassed}, {}, {{"ATE0V1", 3}}},
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
      {"a silent modem fails within its time limits: 10 s for AT+CFUN? and 30 s for ATE0V1",
       [](ModemProfile& p) { p.silent = true; }, false, "", false,
       {"error OK: Error waiting for initialization response from modem"}, {"AT+CFUN?", "ATE0V1"}, {}, 40}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ModemProfile profile;
    row.profile(profile);
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    FakeTelephonyScope telephony;
    telephony.fake.lines = {FakeLine{"Line Modem"}};
    MessageBoxAnswerer boxes;
    for (size_t i = 0; i < row.shown.size(); ++i) boxes.Answer(IDOK);
    DWORD start = GetTickCount();
    EXPECT_EQ(TestModem(nullptr, row.comPort ? "COM5:" : "Line Modem", row.pin), row.passes);
    DWORD seconds = (GetTickCount() - start) / ModemSecondMs();
    EXPECT_EQ(BoxLines(boxes.Boxes()), row.shown);
    EXPECT_TRUE(!row.minSeconds || (seconds >= row.minSeconds && seconds <= row.minSeconds + 8)) << seconds;
    // Shut down at the end, with the handle as it is (0 for a COM port).
    EXPECT_TRUE(telephony.fake.calls.empty() || telephony.fake.calls.back().rfind("lineShutdown", 0) == 0);
    Commands sent = row.dialogue.empty() ? Commands{} : modem.Transcript();
    if (!row.dialogue.empty() && row.dialogue.back() == "...") {
      sent.resize(std::min(sent.size(), row.dialogue.size() - 1));
      sent.push_back("...");  // the rest need not match
    }
    EXPECT_EQ(sent, row.dialogue);
    for (const auto& [command, times] : row.counts)
      EXPECT_TRUE(times < 0 ? modem.Received(command) : modem.Count(command) == times) << command;
  }
  ModemSecondMs() = 1000;
}

}  // namespace
