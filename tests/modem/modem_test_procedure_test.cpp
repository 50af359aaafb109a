#include "modem/modem_check.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/fake_telephony.h"
#include "support/message_box_answerer.h"
#include "support/modem_cable.h"

namespace {

using Transcript = std::vector<std::string>;
const char kOpened[] = "Initialised modem at 115200 bps";
const char kPassed[] = "Modem successfully tested!";

class TestModemTest : public testing::Test {
 protected:
  // A modem on cable 1 reached as "COM5:".
  void StartModem(const ModemProfile& profile) {
    modem_.reset(new ModemSimulator(1, profile));
    ASSERT_TRUE(modem_->Running());
  }
  // The same modem reached through a telephony line (no baud search, no box).
  void ThroughTelephony(const ModemProfile& profile, bool readOnly = false) {
    StartModem(profile);
    FakeLine line{"Line Modem"};
    line.readOnlyHandle = readOnly;
    telephony_.fake.lines = {line};
  }
  bool Run(const char* name, const char* pin, std::vector<std::string> expectedBoxes) {
    for (size_t i = 0; i < expectedBoxes.size(); ++i) boxes_.Answer(IDOK);
    bool passed = TestModem(nullptr, name, pin);
    std::vector<std::string> texts;
    for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, expectedBoxes);
    return passed;
  }
  UINT LastIcon() { return boxes_.Boxes().empty() ? 0 : boxes_.Boxes().back().icon; }
  // The commands after the opening's "\r" and "ATE0V1".
  Transcript AfterOpening() {
    Transcript all = modem_->Transcript();
    return all.size() >= 2 ? Transcript(all.begin() + 2, all.end()) : all;
  }
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    // Shut down at the end, with the handle as it is (0 for a COM port).
    if (!telephony_.fake.calls.empty()) {
      EXPECT_EQ(telephony_.fake.calls.back().rfind("lineShutdown", 0), 0u) << telephony_.fake.calls.back();
    }
  }

  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
  std::unique_ptr<ModemSimulator> modem_;
};

TEST_F(TestModemTest, APromptModemPassesWithoutWaitingForTheNetwork) {
  StartModem(ModemProfile{});
  EXPECT_TRUE(Run("COM5:", "", {kOpened, kPassed}));
  EXPECT_EQ(LastIcon(), static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(AfterOpening(), (Transcript{"AT+CFUN?", "ATE0V1", "ATE0V1", "AT+CSMS=0", "AT+CMGF=0", "AT+CMGS=86",
                                        "<ESC>", "", "AT"}));
}

TEST_F(TestModemTest, AModemThatCannotBeOpenedIsReported) {
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  EXPECT_FALSE(TestModem(nullptr, "COM12:", ""));
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text.rfind("Unable to access modem at COM12:", 0), 0u);
  EXPECT_EQ(boxes[1].text, "Unable to access modem, ensure that it is powered on and passes diagnostic tests.");
  EXPECT_EQ(boxes[1].icon, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(TestModemTest, AReadySimIsNotSentThePinAgain) {
  StartModem(ModemProfile{});
  EXPECT_TRUE(Run("COM5:", "1234", {kOpened, kPassed}));
  EXPECT_EQ(modem_->Count("AT+CPIN=\"1234\""), 1) << "only while opening";
  EXPECT_TRUE(modem_->Received("AT+CPIN?"));
}

TEST_F(TestModemTest, ALockedSimIsUnlockedWithThePin) {
  ModemProfile profile;
  profile.pinRequired = true;
  ThroughTelephony(profile);
  EXPECT_TRUE(Run("Line Modem", "1234", {kPassed}));
  Transcript sent = modem_->Transcript();
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(Transcript(sent.begin(), sent.begin() + 4),
            (Transcript{"AT+CFUN?", "AT+CPIN?", "AT+CPIN=\"1234\"", "AT+CPIN?"}));
}

TEST_F(TestModemTest, AWrongPinShowsTheModemsAnswerAndStops) {
  ModemProfile profile;
  profile.pinRequired = true;
  ThroughTelephony(profile);
  EXPECT_FALSE(Run("Line Modem", "9999", {"Invalid PIN --\r\n\r\n\r\n+CME ERROR: 16\r\n"}));
  EXPECT_EQ(LastIcon(), static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(modem_->Transcript().back(), "AT+CPIN=\"9999\"") << "no command after the refused PIN";
}

TEST_F(TestModemTest, AModemSwitchedOnWaitsForItsOperatorAndStorage) {
  ModemProfile profile;
  profile.cfun = 0;
  profile.registerAfterPolls = 1;
  profile.cpmsErrorPolls = 1;
  ThroughTelephony(profile);
  EXPECT_TRUE(Run("Line Modem", "", {kPassed}));
  Transcript sent = modem_->Transcript();
  ASSERT_GE(sent.size(), 7u);
  EXPECT_EQ(Transcript(sent.begin(), sent.begin() + 7),
            (Transcript{"AT+CFUN?", "AT+CFUN=1", "AT+CFUN?", "AT+COPS?", "AT+COPS?", "AT+CPMS?", "AT+CPMS?"}));
}

TEST_F(TestModemTest, SmsServiceRefusedUntilRegisteredIsRetriedAfterTheNetworkWait) {
  ModemProfile profile;
  profile.cfun = 0;
  profile.refuseCfun1 = 1;
  profile.csms = CsmsSupport::AcceptsOnceRegistered;
  ThroughTelephony(profile);
  EXPECT_TRUE(Run("Line Modem", "", {kPassed}));
  EXPECT_EQ(modem_->Count("AT+CSMS=0"), 2);
  EXPECT_EQ(modem_->Count("AT+CSMS=128"), 1);
  EXPECT_TRUE(modem_->Received("AT+COPS?"));
}

TEST_F(TestModemTest, SmsServiceRefusedAtFullFunctionalityGoesStraightOn) {
  ModemProfile profile;
  profile.csms = CsmsSupport::Refuses;
  ThroughTelephony(profile);
  EXPECT_TRUE(Run("Line Modem", "", {kPassed}));
  EXPECT_EQ(modem_->Transcript(), (Transcript{"AT+CFUN?", "ATE0V1", "ATE0V1", "AT+CSMS=0", "AT+CSMS=128", "AT+CFUN?",
                                              "AT+CMGF=0", "AT+CMGS=86", "<ESC>", "", "AT"}));
}

TEST_F(TestModemTest, ATextOnlyModemPassesWithItsOwnWording) {
  ModemProfile profile;
  profile.cmgf = CmgfSupport::TextOnly;
  ThroughTelephony(profile);
  EXPECT_TRUE(Run("Line Modem", "", {"Modem successfully tested!\r\n\r\nModem supports text messages only."}));
  EXPECT_TRUE(modem_->Received("AT+CMGF=1"));
  EXPECT_TRUE(modem_->Received("AT+CMGS=\"123456789\""));
  EXPECT_FALSE(modem_->Received("AT+CMGS=86"));
}

TEST_F(TestModemTest, ARefusedSendCommandFails) {
  ModemProfile profile;
  profile.cmgsPrompt = false;
  ThroughTelephony(profile);
  EXPECT_FALSE(Run("Line Modem", "", {"Modem does not properly support command for sending SMS (AT+CMGS)"}));
  EXPECT_FALSE(modem_->Received("<ESC>"));

  profile.cmgf = CmgfSupport::TextOnly;
  ThroughTelephony(profile);
  boxes_.Answer(IDOK);
  EXPECT_FALSE(TestModem(nullptr, "Line Modem", ""));
  EXPECT_EQ(boxes_.Boxes().back().text, "Modem does not properly support command for sending SMS (AT+CMGS - text mode)");
}

TEST_F(TestModemTest, InitialisationRefusalsShowTheAnswer) {
  ModemProfile profile;
  profile.ate0Answers = {false};
  ThroughTelephony(profile);
  EXPECT_FALSE(Run("Line Modem", "", {"Error initializing modem --\r\n\r\n\r\nERROR\r\n"}));

  profile.ate0Answers = {true, false};
  ThroughTelephony(profile);
  boxes_.Answer(IDOK);
  EXPECT_FALSE(TestModem(nullptr, "Line Modem", ""));
  EXPECT_EQ(boxes_.Boxes().back().text, "Error initialising modem --\r\n\r\n\r\nERROR\r\n");
}

TEST_F(TestModemTest, APortThatRefusesWritesFailsAtTheFirstCommand) {
  ThroughTelephony(ModemProfile{}, true);
  EXPECT_FALSE(Run("Line Modem", "", {"Unable to send initialization command to modem"}));
  EXPECT_TRUE(modem_->Transcript().empty());
}

TEST_F(TestModemTest, ASilentModemFailsWithinItsTimeLimits) {
  ModemProfile profile;
  profile.silent = true;
  ThroughTelephony(profile);
  DWORD start = GetTickCount();
  EXPECT_FALSE(Run("Line Modem", "", {"Error waiting for initialization response from modem"}));
  DWORD seconds = (GetTickCount() - start) / 1000;
  EXPECT_GE(seconds, 40u) << "10 s for AT+CFUN? and 30 s for ATE0V1";
  EXPECT_LE(seconds, 48u);
  EXPECT_EQ(modem_->Transcript(), (Transcript{"AT+CFUN?", "ATE0V1"}));
}

}  // namespace
