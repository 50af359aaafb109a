// The Modem page walked through its states: what it shows of the stored
// settings, what its boxes switch (the rule has its native table), what
// Apply writes, the connection check through a test copy, the questions it
// asks and the modem and operator dialogs it opens.
#include <algorithm>
#include <cstring>
#include <map>

#include "gprslink/gprslink_fixture.h"
#include "config/config_files.h"
#include "gwcore/operator_picker_ids.h"
#include "modem/modem_page_fixture.h"
#include "services/rights.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/window_driver.h"

namespace {

// The sheet's own Apply button.
constexpr int kApplyButton = 0x3021;
const char kUntested[] =
    "question YesNoCancel: MMS configuration settings have not been tested.\r\n\r\n"
    "Do you wish to test these settings before saving configuration changes?";
const char kConnectionOk[] = "info OK: Connection Test OK!";
const char kFailed[] = "error RetryCancel: Connection Failed";

std::vector<std::string> Fields(HWND page) {
  std::vector<std::string> texts;
  for (int id : {IDC_MODEM_NAME, IDC_MODEM_PIN, IDC_MODEM_APN, IDC_MODEM_APN_LOGIN, IDC_MODEM_APN_PASSWORD,
                 IDC_MODEM_WAP_GATEWAY, IDC_MODEM_MMS_URL})
    texts.push_back(Text(page, id));
  return texts;
}

// The ticked boxes and radio buttons, by name.
std::string Ticked(HWND page) {
  std::string names;
  for (auto [name, id] : {std::pair<const char*, int>{"default", IDC_MODEM_SMS_ACCESS_DEFAULT},
                          {"gsm", IDC_MODEM_SMS_ACCESS_GSM}, {"gprs", IDC_MODEM_SMS_ACCESS_GPRS},
                          {"receiveSms", IDC_MODEM_RECEIVE_SMS}, {"receiveMms", IDC_MODEM_RECEIVE_MMS},
                          {"sendMms", IDC_MODEM_SEND_MMS}, {"useConnection", IDC_MODEM_USE_NETWORK_CONNECTION}})
    if (Checked(page, id)) names += std::string(names.empty() ? "" : " ") + name;
  return names;
}

// A profile section as sorted "key=value" lines.
std::vector<std::string> IniSection(const std::string& file, const std::string& section) {
  char buffer[8192] = "";
  GetPrivateProfileSectionA(section.c_str(), buffer, sizeof buffer, file.c_str());
  std::vector<std::string> lines;
  for (const char* line = buffer; *line; line += strlen(line) + 1) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// A test copy of the console in this process: records what it finds in
// MODEMTEST.INI and leaves the scripted result (the last one repeats).
struct TestCopy {
  std::vector<std::string> results;
  std::vector<std::map<std::string, std::string>> seen;
  std::string parameters;
};
TestCopy g_copy;

HANDLE RunTestCopy(const char* parameters) {
  g_copy.parameters = parameters;
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
  telephony.fake.lines = {FakeLine{"Alpha Modem"}};
  AddDialUpEntry("Office VPN");
  AddDialUpEntry("ZedSMS GPRS - Other Modem");  // left from a dial: never offered
  ConfigureModem(name, true);
  for (auto [key, value] : {std::pair<const char*, const char*>{"PIN", "4321"}, {"ReceiveTo", "sm"},
                            {"SMSAccess", "GPRS"}, {"DialUpProfile", "Office VPN"}})
    SetModemKey(name, key, value);
  g_copy = TestCopy{};
  Rights().runElevated = RunTestCopy;
  for (int answer : {IDNO,                 // APN changed: save it untested
                     IDOK, IDRETRY, IDOK,  // the bad gateway; a failed check retried, then the pass
                     IDYES, IDCANCEL,      // test before saving; no retry after the failure
                     IDCANCEL, IDCANCEL,   // still untested: do not save, nor leave the page
                     IDOK, IDNO})          // the modem test passes; saved untested
    boxes_.Answer(answer);
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Fields(page), (std::vector<std::string>{name, "4321", "mms.example", "mmsuser", "secret", "10.1.2.3",
                                                      "http://mms.example/"}));
    EXPECT_EQ(Selected(page, IDC_MODEM_SMS_STORAGE), "SIM Card") << "ReceiveTo is read in any case";
    EXPECT_EQ(Ticked(page), "gprs receiveSms receiveMms sendMms useConnection")
        << "a missing ReceiveSMS reads as Yes; an MMS server URL means Send MMS";
    EXPECT_EQ(Entries(page, IDC_MODEM_NETWORK_CONNECTION),
              (std::vector<std::string>{"Modem: Acme [USB]", "Modem: Other Modem", "Office VPN"}))
        << "the modems, then the dial-up entries";
    EXPECT_EQ(Selected(page, IDC_MODEM_NETWORK_CONNECTION), "Office VPN");
    EXPECT_STREQ(sheet_.currentModemName, name.c_str());
    EXPECT_FALSE(sheet_.configDirty) << "loading is no edit";
    EXPECT_FALSE(Enabled(sheet, kApplyButton));
    EXPECT_TRUE(sheet_.mmsSettingsTested);

    Click(page, IDC_MODEM_RECEIVE_SMS);
    EXPECT_FALSE(Enabled(page, IDC_MODEM_SMS_STORAGE) || Enabled(page, IDC_MODEM_RECEIVE_MMS));
    EXPECT_EQ(Ticked(page), "gprs receiveMms sendMms useConnection") << "Receive MMS only disabled";
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    Click(page, IDC_MODEM_RECEIVE_SMS);
    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    EXPECT_EQ(Selected(page, IDC_MODEM_NETWORK_CONNECTION), "Modem: Acme [USB]") << "ticking picks the page's modem";
    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);

    Type(page, IDC_MODEM_PIN, "1234");
    Choose(page, IDC_MODEM_SMS_STORAGE, "Device Memory");
    Click(page, IDC_MODEM_SMS_ACCESS_GSM);
    Click(page, IDC_MODEM_RECEIVE_MMS);
    Type(page, IDC_MODEM_MMS_URL, "http://mms.example/mms");
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "neither these nor the URL are tested settings";
    Type(page, IDC_MODEM_APN, "other.example");
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    ASSERT_TRUE(Apply(sheet)) << "No saves untested";
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    EXPECT_FALSE(sheet_.configDirty);
    EXPECT_EQ(IniSection(SmsIni(), Section(name)),
              (std::vector<std::string>{"APN=other.example", "APNLogin=mmsuser", "APNPass=secret",
                                        "DialUpProfile=Modem: Acme [USB]", "MMSURL=http://mms.example/mms",
                                        "PIN=1234", "ReceiveMMS=No", "ReceiveSMS=Yes", "ReceiveTo=ME",
                                        "SMSAccess=GSM", "UseDial=Yes", "UseModem=Acme [USB]",
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
    EXPECT_TRUE(FileExists(RouteIni()));
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
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "no result: nothing to say";
    g_copy = TestCopy{{"Connection Failed", "Connection Test OK!"}};
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    ASSERT_EQ(g_copy.seen.size(), 2u) << "Retry runs it again";
    EXPECT_EQ(g_copy.seen[1], (std::map<std::string, std::string>{
                                  {"WAPGatewayIP", "10.0.1.2"}, {"APN", "other.example"}, {"APNLogin", ""},
                                  {"APNPass", "secret"}, {"ModemName", name}, {"DialUpProfile", "Office VPN"},
                                  {"Result", "<none>"}}))
        << "an empty login is written, not removed; no stale result is left";
    EXPECT_EQ(g_copy.parameters, "/MODEMTEST");
    g_copy = TestCopy{{"Connection Failed"}};
    Type(page, IDC_MODEM_APN, "third.example");
    EXPECT_FALSE(Apply(sheet)) << "Cancel refuses the apply";
    EXPECT_TRUE(sheet_.configDirty) << "the edits are still unsaved";
    EXPECT_EQ(ModemKey(name, "APN"), "other.example");
    EXPECT_EQ(g_copy.seen.size(), 1u);
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(CurrentPageIndex(sheet), 0) << "Cancel keeps the page";

    // The operator lookup keeps settings typed in another case and always
    // takes the URL.
    Type(page, IDC_MODEM_APN, "MMS.EXAMPLEMOBILE.EXAMPLE");
    Type(page, IDC_MODEM_MMS_URL, "HTTP://MMS.EXAMPLEMOBILE.EXAMPLE/SERVLETS/MMS");
    sheet_.mmsSettingsTested = true;
    {
      WindowDriver picker("Operator Settings", [](HWND dialog) {
        Pick(dialog, IDC_OPERATOR_COUNTRIES, "United Kingdom");
        Pick(dialog, IDC_OPERATOR_NAMES, "Example Mobile");
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      });
      Click(page, IDC_MODEM_LOOKUP_OPERATOR);
    }
    EXPECT_EQ(Fields(page), (std::vector<std::string>{name, "", "MMS.EXAMPLEMOBILE.EXAMPLE", "mms", "mms",
                                                      "192.0.2.10", "http://mms.examplemobile.example/servlets/mms"}));
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the login changed";

    // Change Modem takes the tested modem and its PIN, back to its own
    // connection and with the MMS settings untested.
    sheet_.mmsSettingsTested = true;
    {
      WindowDriver selection("Select Modem", [](HWND dialog) {
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
                                      "info OK: Modem successfully tested!", kUntested}));
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "Alpha Modem");
  EXPECT_EQ(ModemKey("Alpha Modem", "PIN") + " " + ModemKey("Alpha Modem", "DialUpProfile") + " " +
                ModemKey("Alpha Modem", "APN"),
            "1234 Modem: Alpha Modem MMS.EXAMPLEMOBILE.EXAMPLE");
}

// In the wizard, with MMS on, Next goes on only after a passed test, and
// only then applies.
TEST_F(ModemPageTest, TheWizardGoesOnAfterAPassedTest) {
  ConfigureModem("Checked Modem", true);
  g_copy = TestCopy{{"Connection Failed", "Connection Test OK!"}};
  Rights().runElevated = RunTestCopy;
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDOK);
  RunSheet(
      [&](HWND sheet, HWND page) {
        Type(page, IDC_MODEM_PIN, "5678");
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_EQ(CurrentPageIndex(sheet), 0) << "the test failed";
        EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "<none>") << "nothing applied";
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 1; }, 10000));
        EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "5678") << "applied after the pass";
        Press(sheet, PSBTN_CANCEL);
      },
      true);
  EXPECT_EQ(g_copy.seen.size(), 2u);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (std::vector<std::string>{kFailed, kConnectionOk}));
}

}  // namespace
