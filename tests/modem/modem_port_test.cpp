#include "modem/modem_port.h"

#include <gtest/gtest.h>

#include <memory>

#include "modem/at_channel.h"
#include "support/fake_telephony.h"
#include "support/message_box_answerer.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";

class ModemPortTest : public testing::Test {
 protected:
  void StartModem(const ModemProfile& profile, int cable = 1) {
    modem_.reset(new ModemSimulator(cable, profile));
    ASSERT_TRUE(modem_->Running());
  }
  void TearDown() override {
    CloseModemPort(&handles_);
    boxes_.ExpectAllAnswered();
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
    return texts;
  }
  std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[500] = "";
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }

  FakeTelephonyScope telephony_;
  MessageBoxAnswerer boxes_;
  std::unique_ptr<ModemSimulator> modem_;
  ModemPortHandles handles_;
};

TEST_F(ModemPortTest, ListModemsAddsDataModemLinesInDeviceOrder) {
  telephony_.fake.lines = {{"Modem A"}, {"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}, {"Big Modem"}};
  telephony_.fake.lines[2].capsNeeded = 3000;  // more than the first buffer
  HWND combo = CreateWindowA("COMBOBOX", "", CBS_DROPDOWNLIST, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetParent(combo, owner);
  SetWindowLongPtrA(combo, GWLP_ID, 102);
  ListModems(owner, 102, true);
  EXPECT_EQ(ComboItems(combo), (std::vector<std::string>{"Modem A", "Big Modem"}));
  EXPECT_EQ(telephony_.fake.calls.back(), "lineShutdown");

  // No data-modem lines: nothing listed, nothing said.
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  telephony_.fake.lines = {{"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}};
  ListModems(owner, 102, true);
  EXPECT_TRUE(ComboItems(combo).empty());
  EXPECT_TRUE(boxes_.Boxes().empty());

  telephony_.fake.initializeError = static_cast<LONG>(0x80000048);
  boxes_.Answer(IDOK);
  ListModems(owner, 102, true);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Unable to initialize TAPI:  Error 80000048 from lineInitialize");
  EXPECT_EQ(boxes_.Boxes()[0].icon, 0u);
  DestroyWindow(owner);
}

TEST_F(ModemPortTest, FindModemComPortLooksOnlyAtTheModemClass) {
  ModemRegistryEntry modem("Acme GSM Modem", "COM7");
  char port[100] = "stale";
  EXPECT_TRUE(FindModemComPort("acme gsm modem", port, sizeof port));
  EXPECT_STREQ(port, "COM7");
  EXPECT_FALSE(FindModemComPort("Other Modem", port, sizeof port));
  EXPECT_STREQ(port, "");
  ModemRegistryEntry noPort("Portless Modem", "");
  EXPECT_FALSE(FindModemComPort("Portless Modem", port, sizeof port));
}

TEST_F(ModemPortTest, DirectComPortInitialisesAtTheFirstRateThatAnswers) {
  StartModem(ModemProfile{});
  boxes_.Answer(IDOK);
  handles_ = OpenModemPort("com5:", "");
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(handles_.application, 0u);
  EXPECT_EQ(handles_.line, 0u);
  EXPECT_TRUE(telephony_.fake.calls.empty()) << "a COM port never goes through telephony";
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Initialised modem at 115200 bps");
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(modem_->Transcript(), (std::vector<std::string>{"", "ATE0V1"})) << "no PIN without a PIN";
  EXPECT_TRUE(ResponseIsOk(Exchange(handles_.port, "AT\r", 5).c_str()));
}

TEST_F(ModemPortTest, APinIsSentWhileInitialising) {
  ModemProfile profile;
  profile.pinRequired = true;
  StartModem(profile);
  boxes_.Answer(IDOK);
  handles_ = OpenModemPort("COM5:", "1234");
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(modem_->Transcript(), (std::vector<std::string>{"", "AT+CPIN=\"1234\"", "ATE0V1"}));
}

TEST_F(ModemPortTest, AModemAnsweringOnlyAt9600IsFoundThere) {
  ModemProfile profile;
  profile.fixedBaud = 9600;
  StartModem(profile);
  boxes_.Answer(IDOK);
  handles_ = OpenModemPort("COM5:", "");
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Initialised modem at 9600 bps"});
  EXPECT_EQ(modem_->Count("ATE0V1"), 1) << "the modem heard only the try at its own rate";
}

TEST_F(ModemPortTest, APortThatCannotBeOpenedIsNamedWithTheSystemsReason) {
  boxes_.Answer(IDOK);
  handles_ = OpenModemPort("COM12:", "");
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
  ASSERT_EQ(boxes_.Boxes().size(), 1u) << "no fallback after an access error";
  const std::string text = boxes_.Boxes()[0].text;
  EXPECT_EQ(text.rfind("Unable to access modem at COM12: -- Error 2 -- ", 0), 0u) << text;
  EXPECT_GT(text.size(), strlen("Unable to access modem at COM12: -- Error 2 -- ")) << "the system's own text follows";
  EXPECT_EQ(text.find("Another application"), std::string::npos);
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONERROR));
}

// The test system does not refuse a second open of a serial port, so COM9 is
// a device that refuses every open with access denied, as a port in use does.
TEST_F(ModemPortTest, AccessDeniedAddsTheAnotherApplicationLine) {
  boxes_.Answer(IDOK);
  handles_ = OpenModemPort("COM9:", "");
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  const std::string text = boxes_.Boxes()[0].text;
  EXPECT_EQ(text.rfind("Unable to access modem at COM9: -- Error 5 -- ", 0), 0u) << text;
  const std::string tail = "\r\nAnother application is already using this device.";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(ModemPortTest, TelephonyLineGivesTheCommHandle) {
  StartModem(ModemProfile{});
  telephony_.fake.lines = {{"Voice Line", LINEMEDIAMODE_INTERACTIVEVOICE}, {"Test Modem"}};
  handles_ = OpenModemPort("TEST MODEM", "");
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_NE(handles_.application, 0u);
  EXPECT_NE(handles_.line, 0u);
  EXPECT_EQ(telephony_.fake.calls,
            (std::vector<std::string>{"lineInitializeEx", "lineOpen 1", "lineGetID comm/datamodem/portname",
                                      "lineMakeCall", "lineGetID comm/datamodem"}));
  SetOpenCommTimeouts(handles_.port);
  EXPECT_TRUE(ResponseIsOk(Exchange(handles_.port, "AT\r", 5).c_str())) << "the handle reaches the modem";
  CloseModemPort(&handles_);
  EXPECT_EQ(telephony_.fake.calls.back(), "lineShutdown");
  EXPECT_EQ(telephony_.fake.calls[telephony_.fake.calls.size() - 2], "lineClose");
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ModemPortTest, AFailingLineOfTheSameNameIsSkippedSilentlyWhenAPortIsKnown) {
  StartModem(ModemProfile{});
  ModemRegistryEntry registry("Twin Modem", "COM5");
  telephony_.fake.lines = {{"Twin Modem"}, {"Twin Modem"}};
  telephony_.fake.lines[0].openError = static_cast<LONG>(0x80000048);
  handles_ = OpenModemPort("Twin Modem", "");
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ModemPortTest, WithoutAKnownPortTelephonyErrorsShowAtOnceAndNothingElseRuns) {
  telephony_.fake.lines = {{"Lonely Modem"}, {"Lonely Modem"}, {"Lonely Modem"}};
  telephony_.fake.lines[0].openError = static_cast<LONG>(0x80000048);
  telephony_.fake.lines[1].makeCallError = static_cast<LONG>(0x8000003F);
  telephony_.fake.lines[2].getIdFailures = 1;
  telephony_.fake.lines[2].getIdError = static_cast<LONG>(0x8000003A);
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDOK);
  handles_ = OpenModemPort("Lonely Modem", "");
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(handles_.application, 0u) << "the application is shut down";
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Unable to initialize modem:  Error 80000048 from lineOpen",
                                               "Unable to initialize modem:  Error 8000003F from lineMakeCall",
                                               "Unable to initialize modem:  Error 8000003A from lineGetID"}));
  for (const auto& box : boxes_.Boxes()) EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(ModemPortTest, TelephonyStartFailureEndsTheOpening) {
  telephony_.fake.initializeError = static_cast<LONG>(0x80000048);
  boxes_.Answer(IDOK);
  handles_ = OpenModemPort("Any Modem", "");
  EXPECT_EQ(handles_.port, INVALID_HANDLE_VALUE);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Unable to initialize TAPI:  Error 80000048 from lineInitialize");
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(ModemPortTest, AStuckLineFallsBackToProbingResettingAndASecondPass) {
  ModemProfile profile;
  profile.cfunResetParameter = true;
  StartModem(profile);
  telephony_.fake.lines = {{"Stuck Modem"}};
  telephony_.fake.lines[0].portName = "COM5";
  telephony_.fake.lines[0].getIdFailures = 1;
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  handles_ = OpenModemPort("Stuck Modem", "");
  ASSERT_NE(handles_.port, INVALID_HANDLE_VALUE) << "the second pass got the line";
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Initialised modem at 115200 bps", "Initialised modem at 115200 bps"}))
      << "the first failure was silent; probe, reset, probe again";
  EXPECT_EQ(modem_->Resets(), 1);
  EXPECT_TRUE(modem_->Received("AT+CFUN=1,1"));
  EXPECT_FALSE(modem_->Received("AT!RESET"));
}

TEST_F(ModemPortTest, ResetTriesEachFamilyInTurn) {
  ModemProfile profile;
  profile.bangReset = true;
  StartModem(profile);
  HANDLE port = OpenConsoleEnd(1);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ResetModem(port));
  EXPECT_EQ(modem_->Transcript(), (std::vector<std::string>{"AT+CFUN=?", "AT*E2RESET=?", "AT!RESET"}));
  EXPECT_EQ(modem_->Resets(), 1);
  CloseHandle(port);

  ModemProfile e2;
  e2.e2Reset = true;
  e2.refuseCfun1 = 100;
  StartModem(e2);
  port = OpenConsoleEnd(1);
  EXPECT_TRUE(ResetModem(port));
  EXPECT_EQ(modem_->Transcript(), (std::vector<std::string>{"AT+CFUN=?", "AT*E2RESET=?", "AT*E2RESET"}));
  CloseHandle(port);

  ModemProfile none;
  none.refuseCfun1 = 100;
  StartModem(none);
  port = OpenConsoleEnd(1);
  EXPECT_FALSE(ResetModem(port));
  EXPECT_EQ(modem_->Transcript(), (std::vector<std::string>{"AT+CFUN=?", "AT*E2RESET=?", "AT!RESET", "AT+CFUN=1"}));
  CloseHandle(port);
}

}  // namespace
