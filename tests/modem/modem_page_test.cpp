// The Modem page walked through its states: what it shows of the stored
// settings, what its boxes switch (the rule has its native table), what
// Apply writes, the questions it asks and the modem and operator dialogs it
// opens.
#include <algorithm>
#include <cstring>

#include "gprslink/gprslink_fixture.h"
#include "gwcore/operator_picker_ids.h"
#include "modem/modem_page_fixture.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/window_driver.h"

namespace {

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

// The groups of controls the boxes switch, one letter each: s storage, r
// receive MMS, m the MMS settings, u the connection box, c the connection;
// '-' when none of the group is enabled, '?' when only some are.
std::string On(HWND page) {
  std::string on;
  for (auto [letter, first, last] :
       {std::make_tuple('s', IDC_MODEM_SMS_STORAGE_LABEL, IDC_MODEM_SMS_STORAGE),
        std::make_tuple('r', IDC_MODEM_RECEIVE_MMS, IDC_MODEM_RECEIVE_MMS),
        std::make_tuple('m', IDC_MODEM_LOOKUP_OPERATOR, IDC_MODEM_TEST_CONNECTION),
        std::make_tuple('u', IDC_MODEM_USE_NETWORK_CONNECTION, IDC_MODEM_USE_NETWORK_CONNECTION),
        std::make_tuple('c', IDC_MODEM_NETWORK_CONNECTION_LABEL, IDC_MODEM_NETWORK_CONNECTION)}) {
    int enabled = 0;
    for (int id = first; id <= last; ++id) enabled += Enabled(page, id);
    on += enabled == 0 ? '-' : enabled == last - first + 1 ? letter : '?';
  }
  return on;
}

// A profile section as sorted "key=value" lines.
std::vector<std::string> Section(const std::string& file, const std::string& section) {
  char buffer[8192] = "";
  GetPrivateProfileSectionA(section.c_str(), buffer, sizeof buffer, file.c_str());
  std::vector<std::string> lines;
  for (const char* line = buffer; *line; line += strlen(line) + 1) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(ModemPageTest, WalksFromTheStoredSettingsThroughEditsToTheFilesItWrites) {
  const std::string name = "Acme [USB]";
  const std::string section = ModemSection(name);
  ModemRegistryEntry own(name, "");
  ModemRegistryEntry other("Other Modem", "");
  AddDialUpEntry("Office VPN");
  AddDialUpEntry("ZedSMS GPRS - Other Modem");  // left from a dial: never offered
  ConfigureModem(name, true);
  for (auto [key, value] : {std::pair<const char*, const char*>{"PIN", "4321"}, {"ReceiveTo", "sm"},
                            {"SMSAccess", "GPRS"}, {"DialUpProfile", "Office VPN"}})
    SetModemKey(name, key, value);
  for (int answer : {IDNO,       // APN changed: save it untested
                     IDCANCEL,   // gateway changed: do not save
                     IDCANCEL,   // nor leave the page
                     IDNO,       // then leave it untested
                     IDNO,       // but keep the sheet with its unsaved edits
                     IDYES})     // and then drop them
    boxes_.Answer(answer);
  INT_PTR result = RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Fields(page), (std::vector<std::string>{name, "4321", "mms.example", "mmsuser", "secret", "10.1.2.3",
                                                      "http://mms.example/"}));
    EXPECT_EQ(Selected(page, IDC_MODEM_SMS_STORAGE), "SIM Card") << "ReceiveTo is read in any case";
    EXPECT_EQ(Ticked(page), "gprs receiveSms receiveMms sendMms useConnection")
        << "a missing ReceiveSMS reads as Yes; an MMS server URL means Send MMS";
    EXPECT_EQ(On(page), "srmuc");
    EXPECT_EQ(Entries(page, IDC_MODEM_NETWORK_CONNECTION),
              (std::vector<std::string>{"Modem: Acme [USB]", "Modem: Other Modem", "Office VPN"}))
        << "the modems, then the dial-up entries";
    EXPECT_EQ(Selected(page, IDC_MODEM_NETWORK_CONNECTION), "Office VPN");
    EXPECT_STREQ(sheet_.currentModemName, name.c_str());
    EXPECT_FALSE(sheet_.configDirty) << "loading is no edit";
    EXPECT_FALSE(Enabled(sheet, kApplyButton));
    EXPECT_TRUE(sheet_.mmsSettingsTested);

    Click(page, IDC_MODEM_RECEIVE_SMS);
    EXPECT_EQ(On(page), "--muc");
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
    EXPECT_EQ(Section(SmsIni(), section),
              (std::vector<std::string>{"APN=other.example", "APNLogin=mmsuser", "APNPass=secret",
                                        "DialUpProfile=Modem: Acme [USB]", "MMSURL=http://mms.example/mms",
                                        "PIN=1234", "ReceiveMMS=No", "ReceiveSMS=Yes", "ReceiveTo=ME",
                                        "SMSAccess=GSM", "UseDial=Yes", "UseModem=Acme [USB]",
                                        "WAPGatewayIP=10.1.2.3"}));
    EXPECT_EQ(Section(RouteIni(), "VASP"),
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
    EXPECT_EQ(ModemKey(name, "MMSURL") + " " + ModemKey(name, "APNLogin"),
              "http://mms.example/mms mmsuser");
    Click(page, IDC_MODEM_SEND_MMS);
    Type(page, IDC_MODEM_APN_LOGIN, "mmsuser");

    Type(page, IDC_MODEM_WAP_GATEWAY, "10.9.9.9");
    EXPECT_FALSE(Apply(sheet)) << "Cancel refuses the apply";
    EXPECT_EQ(ModemKey(name, "WAPGatewayIP"), "10.1.2.3");
    EXPECT_TRUE(sheet_.configDirty) << "the edits are still unsaved";
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(CurrentPageIndex(sheet), 0) << "Cancel keeps the page";
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(CurrentPageIndex(sheet), 1) << "No lets it go";
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    Press(sheet, PSBTN_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return boxes_.Boxes().size() == 5; }, 5000));
    Press(sheet, PSBTN_CANCEL);  // only asked again if No kept the sheet
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ModemKey(name, "WAPGatewayIP"), "10.1.2.3");
  std::vector<std::string> expected(4, kUntested);
  expected.insert(expected.end(), 2, kExitUnsaved);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), expected);
}

// Another link than a modem (an SMPP or CIMD connection) shows as no modem:
// testing and leaving the page both ask for one. The operator lookup always
// takes the URL and keeps settings typed in another case; Change Modem takes
// the tested modem and its PIN, back to its own connection and with the MMS
// settings untested.
TEST_F(ModemPageTest, TheOperatorAndModemDialogsFillThePage) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  FakeTelephonyScope telephony;
  telephony.fake.lines = {FakeLine{"Alpha Modem"}};
  ConfigureModem("SMPP - Provider");
  AddDialUpEntry("Office VPN");
  auto pick = [](const char* country, const char* name) {
    return [country, name](HWND dialog) {
      Pick(dialog, IDC_OPERATOR_COUNTRIES, country);
      Pick(dialog, IDC_OPERATOR_NAMES, name);
      PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
  };
  auto open = [](HWND page, const char* caption, int button, std::function<void(HWND)> action) {
    WindowDriver driver(caption, action);
    Click(page, button);
    EXPECT_TRUE(WaitUntil([&] { return driver.Appeared(); }, 10000)) << caption;  // some open it posted
  };
  for (int answer : {IDOK, IDOK,  // no modem to test, nor to leave
                     IDOK,        // the modem test passes
                     IDNO})       // and the settings are saved untested
    boxes_.Answer(answer);
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, IDC_MODEM_NAME), "");
    EXPECT_STREQ(sheet_.currentModemName, "");
    Click(page, IDC_MODEM_SEND_MMS);
    Type(page, IDC_MODEM_MMS_URL, "http://mms.example/");
    open(page, "Select Modem", IDC_MODEM_TEST_CONNECTION, [](HWND dialog) { Cancel(dialog); });
    {
      WindowDriver addModem("Select Modem", [](HWND dialog) { Cancel(dialog); });
      SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
      EXPECT_TRUE(WaitUntil([&] { return addModem.Appeared(); }, 10000));
    }
    EXPECT_EQ(CurrentPageIndex(sheet), 0) << "the page was kept";
    Type(page, IDC_MODEM_APN, "MMS.EXAMPLEMOBILE.EXAMPLE");
    Type(page, IDC_MODEM_APN_LOGIN, "MMS");
    Type(page, IDC_MODEM_APN_PASSWORD, "MMS");
    Type(page, IDC_MODEM_WAP_GATEWAY, "192.0.2.10");
    Type(page, IDC_MODEM_MMS_URL, "HTTP://MMS.EXAMPLEMOBILE.EXAMPLE/SERVLETS/MMS");
    sheet_.mmsSettingsTested = true;
    std::vector<std::string> expected = Fields(page);
    expected.back() = "http://mms.examplemobile.example/servlets/mms";
    open(page, "Operator Settings", IDC_MODEM_LOOKUP_OPERATOR, pick("United Kingdom", "Example Mobile"));
    EXPECT_EQ(Fields(page), expected) << "the URL is always taken";
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "no tested setting changed";
    open(page, "Operator Settings", IDC_MODEM_LOOKUP_OPERATOR, pick("Germany", "Muster Netz"));
    EXPECT_EQ(Fields(page), (std::vector<std::string>{"", "", "internet.musternetz.example", "", "",
                                                      "198.51.100.17", "http://mmsc.musternetz.example/"}));
    EXPECT_FALSE(sheet_.mmsSettingsTested);

    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    Choose(page, IDC_MODEM_NETWORK_CONNECTION, "Office VPN");
    sheet_.mmsSettingsTested = true;
    sheet_.configDirty = false;
    open(page, "Select Modem", IDC_MODEM_CHANGE, [](HWND dialog) {
      SetDlgItemTextA(dialog, IDC_ADDMODEM_PIN, "1234");
      PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
    });
    EXPECT_EQ(Text(page, IDC_MODEM_NAME) + " " + Text(page, IDC_MODEM_PIN), "Alpha Modem 1234");
    EXPECT_STREQ(sheet_.currentModemName, "Alpha Modem");
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the settings are untested on another modem";
    EXPECT_FALSE(Checked(page, IDC_MODEM_USE_NETWORK_CONNECTION)) << "back to the new modem's own connection";
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    Press(sheet, PSBTN_OK);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (std::vector<std::string>{"error OK: Please select a modem",
                                                                 "error OK: Please select a modem",
                                                                 "info OK: Modem successfully tested!", kUntested}));
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "Alpha Modem");
  EXPECT_EQ(ModemKey("Alpha Modem", "PIN") + " " + ModemKey("Alpha Modem", "DialUpProfile") + " " +
                ModemKey("Alpha Modem", "APN"),
            "1234 Modem: Alpha Modem internet.musternetz.example");
}

}  // namespace
