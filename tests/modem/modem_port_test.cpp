#include "modem/modem_port.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "modem/at_channel.h"
#include "modem/modem_test_helpers.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"

namespace {

const char kTapiRefused[] = "Unable to initialize TAPI:  Error 80000048 from lineInitialize";
constexpr LONG kLineErr = static_cast<LONG>(0x80000048);

class ModemPortTest : public testing::Test {
 protected:
  void StartModem(const ModemProfile& profile) {
    modem_.reset();  // one modem on the cable at a time
    modem_.reset(new ModemSimulator(1, profile));
    ASSERT_TRUE(modem_->Running());
  }
  void TearDown() override {
    CloseModemPort(&handles_);
    boxes_.ExpectAllAnswered();
  }
  // Opens the modem, answering the boxes expected, and compares them.
  void Open(const char* name, const char* pin, const std::vector<std::string>& shown) {
    for (size_t i = 0; i < shown.size(); ++i) boxes_.Answer(IDOK);
    handles_ = OpenModemPort(name, pin);
    EXPECT_EQ(Shown(boxes_), shown);
  }

  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
  std::unique_ptr<ModemSimulator> modem_;
  ModemPortHandles handles_;
};

TEST_F(ModemPortTest, ListModemsAddsDataModemLinesInDeviceOrder) {
  telephony_.fake.lines = {{"Modem A"}, {"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}, {"Big Modem"}};
  telephony_.fake.lines[2].capsNeeded = 3000;  // more than the first buffer
  HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND combo = CreateWindowA("COMBOBOX", "", CBS_DROPDOWNLIST | WS_CHILD, 0, 0, 100, 100, owner,
                             reinterpret_cast<HMENU>(102), nullptr, nullptr);
  auto listed = [&] {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ListModems(owner, 102, true);
    return Entries(owner, 102);
  };
  EXPECT_EQ(listed(), (std::vector<std::string>{"Modem A", "Big Modem"}));
  EXPECT_EQ(telephony_.fake.calls.back(), "lineShutdown");
  telephony_.fake.lines = {{"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}};
  EXPECT_TRUE(listed().empty());
  EXPECT_TRUE(boxes_.Boxes().empty()) << "no data modem: nothing said";
  telephony_.fake.initializeError = kLineErr;
  boxes_.Answer(IDOK);
  EXPECT_TRUE(listed().empty());
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>{kTapiRefused});
  DestroyWindow(owner);
}

TEST_F(ModemPortTest, FindModemComPortLooksOnlyAtTheModemClass) {
  ModemRegistryEntry modem("Acme GSM Modem", "COM7");
  ModemRegistryEntry noPort("Portless Modem", "");
  char port[100] = "stale";
  EXPECT_TRUE(FindModemComPort("acme gsm modem", port, sizeof port));
  EXPECT_STREQ(port, "COM7");
  EXPECT_FALSE(FindModemComPort("Other Modem", port, sizeof port));
  EXPECT_STREQ(port, "");
  EXPECT_FALSE(FindModemComPort("Portless Modem", port, sizeof port));
}

// A COM port never goes through telephony, and the rate search stops at the
// first rate the modem answers (the modem check covers the usual 115200).
TEST_F(ModemPortTest, DirectComPortInitialisesAtTheFirstRateThatAnswers) {
  ModemProfile slow;
  slow.fixedBaud = 9600;
  StartModem(slow);
  Open("com5:", "", {"info: Initialised modem at 9600 bps"});
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(telephony_.fake.calls.empty());
  EXPECT_EQ(modem_->Count("ATE0V1"), 1) << "the modem hears only the try at its own rate";
  EXPECT_TRUE(ResponseIsOk(Exchange(handles_.port, "AT\r", 5).c_str()));
}

// The test system does not refuse a second open of a serial port, so COM9 is
// a device that refuses every open with access denied, as a port in use does.
TEST_F(ModemPortTest, APortThatCannotBeOpenedIsNamedWithTheSystemsReason) {
  for (auto [port, prefix, inUse] : {std::make_tuple("COM12:", "Unable to access modem at COM12: -- Error 2 -- ", false),
                                     std::make_tuple("COM9:", "Unable to access modem at COM9: -- Error 5 -- ", true)}) {
    size_t before = boxes_.Boxes().size();
    boxes_.Answer(IDOK);
    handles_ = OpenModemPort(port, "");
    EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
    auto boxes = boxes_.Boxes();
    ASSERT_EQ(boxes.size(), before + 1) << "no fallback after an access error";
    const std::string text = boxes.back().text;
    const std::string tail = "\r\nAnother application is already using this device.";
    const bool endsInUse = text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
    EXPECT_GT(text.size(), strlen(prefix) + (inUse ? tail.size() : 0)) << "the system's own text follows";
    EXPECT_EQ(endsInUse, inUse) << text;
    EXPECT_EQ(boxes.back().icon, static_cast<UINT>(MB_ICONERROR));
  }
}

TEST_F(ModemPortTest, TelephonyLineGivesTheCommHandle) {
  StartModem(ModemProfile{});
  telephony_.fake.lines = {{"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}, {"Test Modem"}};
  Open("TEST MODEM", "", {});
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_NE(handles_.application, 0u);
  EXPECT_NE(handles_.line, 0u);
  EXPECT_EQ(telephony_.fake.calls,
            (std::vector<std::string>{"lineInitializeEx", "lineOpen 1", "lineGetID comm/datamodem/portname",
                                      "lineMakeCall", "lineGetID comm/datamodem"}));
  SetOpenCommTimeouts(handles_.port);
  EXPECT_TRUE(ResponseIsOk(Exchange(handles_.port, "AT\r", 5).c_str())) << "the handle reaches the modem";
  CloseModemPort(&handles_);
  const auto& calls = telephony_.fake.calls;
  EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
            (std::vector<std::string>{"lineClose", "lineShutdown"}));
}

TEST_F(ModemPortTest, TelephonyFailures) {
  // A failing line of the same name is skipped silently when a port is known.
  StartModem(ModemProfile{});
  ModemRegistryEntry registry("Twin Modem", "COM5");
  telephony_.fake.lines = {{"Twin Modem"}, {"Twin Modem"}};
  telephony_.fake.lines[0].openError = kLineErr;
  Open("Twin Modem", "", {});
  EXPECT_NE(handles_.port, INVALID_HANDLE_VALUE);
  CloseModemPort(&handles_);

  // Without a known port each error shows at once and nothing else runs.
  telephony_.fake.lines = {{"Lonely Modem"}, {"Lonely Modem"}, {"Lonely Modem"}};
  telephony_.fake.lines[0].openError = kLineErr;
  telephony_.fake.lines[1].makeCallError = static_cast<LONG>(0x8000003F);
  telephony_.fake.lines[2].getIdFailures = 1;
  telephony_.fake.lines[2].getIdError = static_cast<LONG>(0x8000003A);
  Open("Lonely Modem", "", {"error: Unable to initialize modem:  Error 80000048 from lineOpen",
                            "error: Unable to initialize modem:  Error 8000003F from lineMakeCall",
                            "error: Unable to initialize modem:  Error 8000003A from lineGetID"});
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(handles_.application, 0u) << "the application is shut down";
}

TEST_F(ModemPortTest, TelephonyStartFailureEndsTheOpening) {
  telephony_.fake.initializeError = kLineErr;
  Open("Any Modem", "", {std::string("error: ") + kTapiRefused});
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
}

TEST_F(ModemPortTest, AStuckLineFallsBackToProbingResettingAndASecondPass) {
  ModemProfile profile;
  profile.cfunResetParameter = true;
  StartModem(profile);
  telephony_.fake.lines = {{"Stuck Modem"}};
  telephony_.fake.lines[0].portName = "COM5";
  telephony_.fake.lines[0].getIdFailures = 1;
  // The first failure is silent; probe, reset, probe again.
  Open("Stuck Modem", "", std::vector<std::string>(2, "info: Initialised modem at 115200 bps"));
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE) << "the second pass got the line";
  EXPECT_EQ(modem_->Resets(), 1);
  EXPECT_TRUE(modem_->Received("AT+CFUN=1,1"));
  EXPECT_FALSE(modem_->Received("AT!RESET"));
}

TEST_F(ModemPortTest, ResetTriesEachFamilyInTurn) {
  struct Row {
    std::function<void(ModemProfile&)> profile;
    bool reset;
    std::vector<std::string> sent;
  };
  const Row rows[] = {
      {[](ModemProfile& p) { p.bangReset = true; }, true, {"AT+CFUN=?", "AT*E2RESET=?", "AT!RESET"}},
      {[](ModemProfile& p) { p.e2Reset = true, p.refuseCfun1 = 100; }, true,
       {"AT+CFUN=?", "AT*E2RESET=?", "AT*E2RESET"}},
      {[](ModemProfile& p) { p.refuseCfun1 = 100; }, false, {"AT+CFUN=?", "AT*E2RESET=?", "AT!RESET", "AT+CFUN=1"}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sent.back());
    ModemProfile profile;
    row.profile(profile);
    StartModem(profile);
    HANDLE port = OpenConsoleEnd(1);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ResetModem(port), row.reset);
    EXPECT_EQ(modem_->Transcript(), row.sent);
    EXPECT_EQ(modem_->Resets(), row.reset ? 1 : 0);
    CloseHandle(port);
  }
}

}  // namespace
