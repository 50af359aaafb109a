// The Modem page walked through its states in a property sheet of its own,
// followed by a plain page to move to: what Apply writes of the stored and
// edited settings, the connection check through a test copy and through the
// real elevated console over the dial-up stand-in, the questions it asks and
// the modem and operator dialogs it opens; and the elevated side's driver
// update.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/sheet_context.h"
#include "config/config_files.h"
#include "gprslink/gprslink_fixture.h"
#include "gwcore/operator_picker_ids.h"
#include "modem/connection_name.h"
#include "modem/gprs_check.h"
#include "modem/modem_page.h"
#include "modem/modem_selection.h"
#include "resources/page_ids.h"
#include "services/rights.h"
#include "services/service_control.h"
#include "support/dialog_items.h"
#include "support/fake_telephony.h"
#include "support/message_box_answerer.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/service_fixture.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

// The sheet's own Apply button.
constexpr int kApplyButton = 0x3021;
const char kUntested[] =
    "question YesNoCancel: MMS configuration settings have not been tested.\r\n\r\n"
    "Do you wish to test these settings before saving configuration changes?";
const char kConnectionOk[] = "info OK: Connection Test OK!";
const char kFailed[] = "error RetryCancel: Connection Failed";

// Selects an entry as the user does (with the change notification).
void Choose(HWND page, int id, const char* entry) {
  LRESULT index =
      SendDlgItemMessageA(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
  ASSERT_NE(index, CB_ERR) << entry;
  SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
void Type(HWND page, int id, const char* text) { SetDlgItemTextA(page, id, text); }
bool Apply(HWND sheet) { return SendMessageA(sheet, PSM_APPLY, 0, 0) != 0; }
// Posted, so that a sheet that closes need not return first.
void Press(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }

// A profile section as sorted "key=value" lines.
std::vector<std::string> IniSection(const std::string& file, const std::string& section) {
  char buffer[8192] = "";
  GetPrivateProfileSectionA(section.c_str(), buffer, sizeof buffer, file.c_str());
  std::vector<std::string> lines;
  for (const char* line = buffer; *line; line += strlen(line) + 1) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// With a data directory, the dial-up stand-in and the rights seam.
class ModemPageTest : public testing::Test {
 protected:
  void SetUp() override {
    UseFakeRas();
    PrepareConfigFiles();
    // The real console of the program folder, as the system's "runas" starts it.
    Rights().runElevated = [](const char* parameters) {
      return ShellRunAs((ProgramFolder() + "SMSGWCFG.EXE").c_str(), parameters);
    };
    Rights().restartSystem = [] { ADD_FAILURE() << "the system would have been restarted"; };
  }
  void TearDown() override {
    Rights() = SystemRights();
    boxes_.ExpectAllAnswered();
  }
  // The sheet runs on the test's thread; the action on a helper thread.
  void RunSheet(std::function<void(HWND sheet, HWND page)> action) {
    RunPageInSheet(&sheet_, {"DIALOG_MODEM", "Modem", ModemPageProc}, 0, kProductCaption, action);
  }
  std::string SmsIni() const { return dir_.File("SMSGW.INI"); }
  std::string RouteIni() const { return dir_.File("VASPOUT\\zedsmslite\\VASP.INI"); }
  std::string FakeRas() const { return dir_.File("FAKERAS.INI"); }
  // Modem1 of the gateway with every MMS setting in its section, so that Send
  // MMS Messages is on.
  void ConfigureModem(const std::string& name) {
    WritePrivateProfileStringA("SMSGW", "Modem1", name.c_str(), SmsIni().c_str());
    for (auto [key, value] : {std::pair<const char*, const char*>{"APN", "mms.example"}, {"APNLogin", "mmsuser"},
                              {"APNPass", "secret"}, {"WAPGatewayIP", "10.1.2.3"},
                              {"MMSURL", "http://mms.example/"}, {"ReceiveMMS", "Yes"}})
      SetModemKey(name, key, value);
  }
  // The product's section of a modem in SMSGW.INI.
  std::string Section(const std::string& name) const {
    char section[600];
    ConnectionSectionName(name.c_str(), section, sizeof section);
    return section;
  }
  void SetModemKey(const std::string& name, const char* key, const char* value) {
    WritePrivateProfileStringA(Section(name).c_str(), key, value, SmsIni().c_str());
  }
  std::string ModemKey(const std::string& name, const char* key) {
    return ReadIni(SmsIni(), Section(name).c_str(), key, "<none>");
  }
  void AddDialUpEntry(const char* name) {
    WritePrivateProfileStringA((std::string("Entry ") + name).c_str(), "DeviceName", "WAN", FakeRas().c_str());
  }
  std::string RasLog(const char* key) { return ReadIni(FakeRas(), "Log", key, "<none>"); }

  TempDataDirectory dir_{"modempage"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

// A test copy of the console in this process: records what it finds in
// MODEMTEST.INI and leaves the scripted result (the last one repeats).
struct TestCopy {
  std::vector<std::string> results;
  std::vector<std::map<std::string, std::string>> seen;
};
TestCopy g_copy;

HANDLE RunTestCopy(const char*) {
  char ini[MAX_PATH];
  ProgramDataPath("MODEMTEST.INI", ini, sizeof ini);
  std::map<std::string, std::string> seen;
  for (const char* key : {"WAPGatewayIP", "APN", "APNLogin", "APNPass", "ModemName", "DialUpProfile", "Result"})
    seen[key] = ReadIni(ini, "ModemTest", key, "<none>");
  if (!g_copy.results.empty())
    WritePrivateProfileStringA("ModemTest", "Result",
                               g_copy.results[std::min(g_copy.seen.size(), g_copy.results.size() - 1)].c_str(), ini);
  g_copy.seen.push_back(seen);
  return nullptr;
}

TEST_F(ModemPageTest, WalksFromTheStoredSettingsThroughEditsChecksAndDialogsToTheFilesItWrites) {
  const std::string name = "Acme [USB]";
  ModemRegistryEntry own(name, "");
  ModemRegistryEntry other("Other Modem", "");
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  FakeTelephonyScope telephony;
  FakeLine beta{"Beta Modem"};  // cannot be opened, and its capabilities do not fit the first buffer
  beta.openError = static_cast<LONG>(0x80000048);
  beta.capsNeeded = 3000;
  telephony.fake.lines = {FakeLine{"Alpha Modem"}, beta};
  AddDialUpEntry("Office VPN");
  AddDialUpEntry("ZedSMS GPRS - Other Modem");  // left from a dial: never offered
  ConfigureModem(name);
  for (auto [key, value] : {std::pair<const char*, const char*>{"PIN", "4321"}, {"ReceiveTo", "sm"},
                            {"SMSAccess", "GPRS"}, {"DialUpProfile", "Office VPN"}})
    SetModemKey(name, key, value);
  g_copy = TestCopy{};
  Rights().runElevated = RunTestCopy;
  for (int answer : {IDNO,                     // APN changed: save it untested
                     IDOK, IDRETRY, IDOK,      // the bad gateway; a failed check retried, then the pass
                     IDYES, IDCANCEL,          // test before saving; no retry after the failure
                     IDCANCEL, IDCANCEL,       // still untested: do not save, nor leave the page
                     IDOK, IDOK, IDOK, IDOK,   // no telephony; Beta fails; the modem test passes
                     IDNO})                    // saved untested
    boxes_.Answer(answer);
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_MODEM_NETWORK_CONNECTION, CB_GETCOUNT, 0, 0), 3)
        << "the two modems and Office VPN, never a dial entry of the gateway's own";
    EXPECT_EQ(Text(page, IDC_MODEM_NETWORK_CONNECTION), "Office VPN");
    EXPECT_FALSE(Enabled(sheet, kApplyButton)) << "loading is no edit";

    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    EXPECT_TRUE(Enabled(sheet, kApplyButton));

    Click(page, IDC_MODEM_RECEIVE_MMS);
    Type(page, IDC_MODEM_MMS_URL, "http://mms.example/mms");
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "neither these nor the URL are tested settings";
    Type(page, IDC_MODEM_APN, "other.example");
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    // What was loaded and not edited is written back: ReceiveTo read in any
    // case, a missing ReceiveSMS read as Yes, an MMS server URL as Send MMS,
    // the PIN and the SMS access.
    ASSERT_TRUE(Apply(sheet)) << "No saves untested";
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    EXPECT_FALSE(sheet_.configDirty);
    EXPECT_EQ(IniSection(SmsIni(), Section(name)),
              (std::vector<std::string>{"APN=other.example", "APNLogin=mmsuser", "APNPass=secret",
                                        "DialUpProfile=Modem: Acme [USB]", "MMSURL=http://mms.example/mms",
                                        "PIN=4321", "ReceiveMMS=No", "ReceiveSMS=Yes", "ReceiveTo=SM",
                                        "SMSAccess=GPRS", "UseDial=Yes", "UseModem=Acme [USB]",
                                        "WAPGatewayIP=10.1.2.3"}));
    EXPECT_EQ(IniSection(RouteIni(), "VASP"),
              (std::vector<std::string>{"APN=other.example", "APNLogin=mmsuser", "APNPass=secret",
                                        "DialUpProfile=Modem: Acme [USB]", "ForceSenderAddress=Yes",
                                        "Protocol=MM1", "Server=http://mms.example/mms", "UseDial=Yes",
                                        "UseModem=Acme [USB]", "WAPGatewayIP=10.1.2.3"}));
    EXPECT_EQ(ReadIni(dir_.File("MMSC.INI"), "MMSC", "DefaultOutboundRoute"), "zedsmslite");
    EXPECT_EQ(ReadFileText(dir_.File("VASPROUTES.DAT")), std::string("zedsmslite") + std::string(501, '\0'))
        << "the route account";
    Type(page, IDC_MODEM_PIN, "");
    ASSERT_TRUE(Apply(sheet)) << "not asked again";
    EXPECT_EQ(ModemKey(name, "PIN"), "<none>") << "an empty PIN is removed";

    // Switching MMS off removes the route but keeps the modem's settings.
    Click(page, IDC_MODEM_SEND_MMS);
    Type(page, IDC_MODEM_APN_LOGIN, "");  // not stored while MMS is off
    ASSERT_TRUE(Apply(sheet));
    EXPECT_EQ(ReadFileText(RouteIni()).find("[VASP]"), std::string::npos) << ReadFileText(RouteIni());
    EXPECT_EQ(ModemKey(name, "MMSURL") + " " + ModemKey(name, "APNLogin"), "http://mms.example/mms mmsuser");
    Click(page, IDC_MODEM_SEND_MMS);

    // The connection check: a refused setting (the order of the checks has its
    // native table) starts no copy; the settings reach it in normal form.
    Type(page, IDC_MODEM_WAP_GATEWAY, "10.0.0.256");
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, IDC_MODEM_WAP_GATEWAY));
    EXPECT_TRUE(g_copy.seen.empty());
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the gateway was edited";
    Type(page, IDC_MODEM_WAP_GATEWAY, "010.000.001.002");
    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    Choose(page, IDC_MODEM_NETWORK_CONNECTION, "Office VPN");
    g_copy = TestCopy{{"Connection Failed", "Connection Test OK!"}};
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    ASSERT_EQ(g_copy.seen.size(), 2u) << "Retry runs it again";
    EXPECT_EQ(g_copy.seen[1], (std::map<std::string, std::string>{
                                  {"WAPGatewayIP", "10.0.1.2"}, {"APN", "other.example"}, {"APNLogin", ""},
                                  {"APNPass", "secret"}, {"ModemName", name}, {"DialUpProfile", "Office VPN"},
                                  {"Result", "<none>"}}))
        << "an empty login is written, not removed; no stale result is left";
    g_copy = TestCopy{{"Connection Failed"}};
    Type(page, IDC_MODEM_APN, "third.example");
    EXPECT_FALSE(Apply(sheet)) << "Cancel refuses the apply";
    EXPECT_TRUE(sheet_.configDirty) << "the edits are still unsaved";
    EXPECT_EQ(ModemKey(name, "APN"), "other.example");
    EXPECT_EQ(g_copy.seen.size(), 1u);
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), reinterpret_cast<LRESULT>(page)) << "Cancel keeps it";

    // The operator lookup keeps settings typed in another case.
    Type(page, IDC_MODEM_APN, "MMS.EXAMPLEMOBILE.EXAMPLE");
    sheet_.mmsSettingsTested = true;
    {
      WindowDriver picker("Operator Settings", [](HWND dialog) {
        Pick(dialog, IDC_OPERATOR_COUNTRIES, "United Kingdom");
        Pick(dialog, IDC_OPERATOR_NAMES, "Example Mobile");
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      });
      Click(page, IDC_MODEM_LOOKUP_OPERATOR);
    }
    EXPECT_EQ(Text(page, IDC_MODEM_APN) + " " + Text(page, IDC_MODEM_APN_LOGIN) + " " +
                  Text(page, IDC_MODEM_WAP_GATEWAY) + " " + Text(page, IDC_MODEM_MMS_URL),
              "MMS.EXAMPLEMOBILE.EXAMPLE mms 192.0.2.10 http://mms.examplemobile.example/servlets/mms");
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the login changed";

    // Change Modem: telephony that does not start is said once however often
    // the list is filled again; then a failed modem keeps the dialog, and the
    // tested modem and its PIN are taken, back to its own connection and with
    // the MMS settings untested.
    telephony.fake.initializeError = static_cast<LONG>(LINEERR_NODEVICE);
    {
      WindowDriver selection("Select Modem", [](HWND dialog) {
        for (int activation = 0; activation < 3; ++activation) SendMessageA(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      });
      Click(page, IDC_MODEM_CHANGE);
    }
    telephony.fake.initializeError = 0;
    sheet_.mmsSettingsTested = true;
    {
      WindowDriver selection("Select Modem", [](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_ADDMODEM_LIST, CB_SETCURSEL, 1, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "Beta failed: the dialog stays";
        SendDlgItemMessageA(dialog, IDC_ADDMODEM_LIST, CB_SETCURSEL, 0, 0);
        SetDlgItemTextA(dialog, IDC_ADDMODEM_PIN, "1234");
        PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
      });
      Click(page, IDC_MODEM_CHANGE);
    }
    EXPECT_EQ(Text(page, IDC_MODEM_NAME) + " " + Text(page, IDC_MODEM_PIN), "Alpha Modem 1234");
    EXPECT_STREQ(sheet_.currentModemName, "Alpha Modem");
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the settings are untested on another modem";
    EXPECT_FALSE(Checked(page, IDC_MODEM_USE_NETWORK_CONNECTION)) << "back to the new modem's own connection";
    Press(sheet, PSBTN_OK);
  });
  EXPECT_FALSE(FileExists(dir_.File("MODEMTEST.INI"))) << "MODEMTEST.INI is always removed";
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (std::vector<std::string>{kUntested, "error OK: Invalid WAP Gateway Address", kFailed, kConnectionOk,
                                      kUntested, kFailed, kUntested, kUntested,
                                      "plain OK: Unable to initialize TAPI:  Error 80000042 from lineInitialize",
                                      "error OK: Unable to initialize modem:  Error 80000048 from lineOpen",
                                      "error OK: Unable to access modem, ensure that it is powered on and passes "
                                      "diagnostic tests.",
                                      "info OK: Modem successfully tested!", kUntested}));
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "Alpha Modem");
  EXPECT_EQ(ModemKey("Alpha Modem", "PIN") + " " + ModemKey("Alpha Modem", "DialUpProfile") + " " +
                ModemKey("Alpha Modem", "APN"),
            "1234 Modem: Alpha Modem MMS.EXAMPLEMOBILE.EXAMPLE");
}

const char kElevationQuestion[] =
    "plain YesNoCancel: Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to assume "
    "administrator rights to perform this task.\r\n\r\nDo you wish to continue?";
const char kRasFailed[] = "error RetryCancel: Connection Failed\r\nRAS Error 619\r\nFake dial-up error 619.";

// The page and the real elevated console, dialling through the stand-in: a
// modem another process holds, then a dial-up error over a chosen connection
// after the elevation question.
TEST_F(ModemPageTest, TheConnectionTestThroughTheRealConsole) {
  GatewayListener gateway;
  ConfigureModem("GPRS Test Modem");
  AddDialUpEntry("Office VPN");
  for (int answer : {IDCANCEL, IDYES, IDCANCEL}) boxes_.Answer(answer);
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, IDC_MODEM_WAP_GATEWAY, ("http://" + gateway.Address()).c_str());
    {
      ModemHeldElsewhere holder("GPRS Test Modem");
      ASSERT_TRUE(holder.Held()) << "the other process never got the modem";
      Click(page, IDC_MODEM_TEST_CONNECTION);
    }
    EXPECT_EQ(RasLog("Dials"), "<none>") << "no dial for a modem in use";

    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    Choose(page, IDC_MODEM_NETWORK_CONNECTION, "Office VPN");
    WritePrivateProfileStringA("FakeRas", "DialResult", "619", FakeRas().c_str());
    Rights().openServiceManager = DenyFullAccess;
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    sheet_.configDirty = false;
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (std::vector<std::string>{"error RetryCancel: Unable to allocate modem, modem in use by ZedSMS",
                                      kElevationQuestion, kRasFailed}));
  EXPECT_EQ(RasLog("Dials") + RasLog("Connected") + " " + RasLog("LastEntry") + " " + RasLog("LastUser"),
            "1No Office VPN mmsuser");
  EXPECT_FALSE(FileExists(dir_.File("MODEMTEST.INI")));
}

// The elevated side on its own: a modem that forgets the context the check
// defines has the APN put into its driver's initialisation, which asks for a
// restart; declining it dials all the same. A modem that keeps it gets a
// free context and no update, so no question.
TEST_F(ModemPageTest, TheElevatedSideUpdatesTheDriverOnlyForAModemThatForgetsTheContext) {
  static int restarts = 0;
  Rights().restartSystem = [] { ++restarts; };
  const std::string ini = dir_.File("MODEMTEST.INI");
  const struct {
    const char* modem;
    bool keepsContexts;
    int answer;  // to the restart question, 0 when none is asked
    const char* result;
  } rows[] = {{"Forgetful Restart Modem", false, IDYES, "Please restart your system before continuing"},
              {"Forgetful Modem", false, IDNO, "Connection Test OK!"},
              {"Keeping Modem", true, 0, "Connection Test OK!"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.modem);
    ModemProfile profile;
    profile.keepsContexts = row.keepsContexts;
    profile.contexts = {{1, "internet.example"}};
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    ModemRegistryEntry driver(row.modem, "COM5");
    GatewayListener gateway;
    for (auto [key, value] : {std::pair<const char*, std::string>{"WAPGatewayIP", "http:" + gateway.Address()},
                              {"APN", "mms.example"}, {"ModemName", row.modem}})
      WritePrivateProfileStringA("ModemTest", key, value.c_str(), ini.c_str());
    if (row.answer) boxes_.Answer(row.answer);
    ModemConnectionTest();
    EXPECT_EQ(ReadIni(ini, "ModemTest", "Result"), row.result);
    EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
    if (row.answer == IDYES) {
      EXPECT_EQ(RasLog("Dials"), "<none>") << "no dial before the restart";
    } else {
      EXPECT_EQ(RasLog("LastEntry") + " " + RasLog("Connected"), std::string("ZedSMS GPRS - ") + row.modem + " No");
      EXPECT_EQ(RunChild(std::string("allocate \"") + row.modem + "\" 0 0"), 0u) << "the modem was given back";
    }
  }
  EXPECT_EQ(restarts, 1);
  const std::string reboot =
      "question YesNo: ZedSMS has updated your modem driver settings to enable GPRS connectivity.\r\n\r\n"
      "Your system must be rebooted to apply these updates.\r\n\r\nDo you wish to reboot now?";
  EXPECT_EQ(BoxLines(boxes_.Boxes()), std::vector<std::string>(2, reboot));
}

// The Add Modem dialog's test of the modem the running SMS service holds: it
// is borrowed for the test and given back while the service keeps running.
class AddModemAllocationTest : public ServiceTest {};

TEST_F(AddModemAllocationTest, TheModemTheServiceHoldsIsBorrowedAndGivenBack) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  FakeTelephonyScope telephony;
  telephony.fake.lines = {FakeLine{"Alpha Modem"}};
  ModemRegistryEntry driver("Alpha Modem", "COM5");
  for (auto [file, section, key, value] : {std::make_tuple(g_configFiles.smsIni, "SMSGW", "WebPort", "18800"),
                                           std::make_tuple(g_configFiles.mmscIni, "MMSC", "WebPort", "18801"),
                                           std::make_tuple(g_configFiles.smsIni, "SMSGW", "Modem1", "Alpha Modem")})
    WritePrivateProfileStringA(section, key, value, file);
  auto handover = [&](const char* key) { return ReadIni(dir_.File("GATEWAYSIM.INI"), "ModemHandover", key); };
  ASSERT_TRUE(InstallServices(false));
  ASSERT_TRUE(WaitUntil([&] { return handover("Modem1") == "Holding"; }, 15000)) << "the service holds its modem";
  boxes_.Answer(IDOK);
  char choice[kModemChoiceCapacity] = "";
  WindowDriver dialog("Select Modem", [](HWND d) { PostMessageA(d, WM_COMMAND, IDC_ADDMODEM_TEST, 0); });
  ShowAddModemDialog(nullptr, choice);
  EXPECT_STREQ(choice, "Alpha Modem");
  EXPECT_EQ(handover("Modem1Lent"), "1") << "lent for the test";
  EXPECT_TRUE(WaitUntil([&] { return handover("Modem1") == "Holding"; }, 10000)) << "and given back";
  EXPECT_TRUE(IsSmsServiceRunning());
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (std::vector<std::string>{"info OK: Modem successfully tested!"}));
}

}  // namespace
