// The console's modem port: the AT channel, the opening through a line or a
// COM port and the reset sequence, against simulated modems. The listing of
// modem lines runs in the Add Modem dialog's scenario, the registry walk for
// a modem's port in the link library's.
#include "modem/modem_port.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>

#include "modem/at_channel.h"
#include "support/fake_telephony.h"
#include "support/message_box_answerer.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"

namespace {

using Profile = std::function<void(ModemProfile&)>;
const char kOpened[] = "info OK: Initialised modem at 115200 bps";
constexpr LONG kLineErr = static_cast<LONG>(0x80000048);

// The modem check covers answers that end at once and the limits of a
// silent modem; here an answer split over reads after the echo, and one
// with no final result that fills the buffer: cut, terminated and kept
// until the limit.
TEST(AtChannel, SplitAnswersAreCollectedAndALongOneIsCut) {
  ModemProfile profile;
  profile.echo = profile.splitAnswers = true;
  ModemSimulator modem(1, profile);
  ASSERT_TRUE(modem.Running()) << "no modem end: are the cables up?";
  HANDLE port = OpenConsoleEnd(1);
  DWORD start = GetTickCount();
  EXPECT_EQ(Exchange(port, "ATE0V1\r", 10), "ATE0V1\r\r\nOK\r\n");
  EXPECT_LT(GetTickCount() - start, 5000u) << "a final result ends the read";
  char buffer[10];
  ASSERT_TRUE(ModemWrite(port, "AT+CPMS?\r"));
  EXPECT_EQ(ModemReadResponse(port, buffer, sizeof buffer, 1), 9u);
  EXPECT_EQ(std::string(buffer), "\r\n+CPMS: ") << "the echo is off after ATE0";
  CloseHandle(port);
  EXPECT_EQ(ModemReadResponse(INVALID_HANDLE_VALUE, buffer, sizeof buffer, 1), 0u);
  EXPECT_STREQ(buffer, "") << "the buffer is cleared first";
}

class ModemPortTest : public testing::Test {
 protected:
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

// A COM port never goes through telephony, and the rate search stops at the
// first rate the modem answers (the modem check covers the usual 115200).
// The test system does not refuse a second open of a serial port, so COM9 is
// a device that refuses every open with access denied, as a port in use does.
TEST_F(ModemPortTest, DirectComPortsInitialiseAtTheFirstRateThatAnswersOrSayWhyNot) {
  StartModem([](ModemProfile& p) { p.fixedBaud = 9600; });
  Open("com5:", {"info OK: Initialised modem at 9600 bps"});
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(telephony_.fake.calls.empty());
  EXPECT_EQ(modem_->Count("ATE0V1"), 1) << "the modem hears only the try at its own rate";
  EXPECT_TRUE(ResponseIsOk(Exchange(handles_.port, "AT\r", 5).c_str()));
  boxes_.Answer(IDOK);
  CloseModemPort(&handles_);
  handles_ = OpenModemPort("COM9:", "");
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(std::regex_match(BoxLines(boxes_.Boxes()).back(),
                               std::regex("error OK: Unable to access modem at COM9: -- Error 5 -- [\\s\\S]+\r\n"
                                          "Another application is already using this device.")));
  EXPECT_EQ(boxes_.Boxes().size(), 2u) << "no fallback after an access error";
}

TEST_F(ModemPortTest, ATelephonyLineGivesTheCommHandleAndItsFailuresAreShown) {
  StartModem();
  telephony_.fake.lines = {{"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}, {"Test Modem"}};
  Open("TEST MODEM", {});
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_NE(handles_.application, 0u);
  EXPECT_NE(handles_.line, 0u);
  SetOpenCommTimeouts(handles_.port);
  EXPECT_TRUE(ResponseIsOk(Exchange(handles_.port, "AT\r", 5).c_str())) << "the handle reaches the modem";
  CloseModemPort(&handles_);
  EXPECT_EQ(telephony_.fake.calls,
            (std::vector<std::string>{"lineInitializeEx", "lineOpen 1", "lineGetID comm/datamodem/portname",
                                      "lineMakeCall", "lineGetID comm/datamodem", "lineClose", "lineShutdown"}));

  // A failing line of the same name is skipped silently when a port is known.
  ModemRegistryEntry registry("Twin Modem", "COM5");
  telephony_.fake.lines = {{"Twin Modem"}, {"Twin Modem"}};
  telephony_.fake.lines[0].openError = kLineErr;
  Open("Twin Modem", {});
  EXPECT_NE(handles_.port, INVALID_HANDLE_VALUE);

  // Without a known port each error shows at once and nothing else runs.
  telephony_.fake.lines = {{"Lonely Modem"}, {"Lonely Modem"}};
  telephony_.fake.lines[0].openError = kLineErr;
  telephony_.fake.lines[1].getIdFailures = 1;
  Open("Lonely Modem", {"error OK: Unable to initialize modem:  Error 80000048 from lineOpen",
                        "error OK: Unable to initialize modem:  Error 80000048 from lineGetID"});
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(handles_.application, 0u) << "the application is shut down";
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

}  // namespace
