// The Modem page walked through its states: what it shows of the stored
// settings, which controls each box switches, what Apply writes, the
// questions it asks and the modem and operator dialogs it opens.
#include <algorithm>
#include <cstring>

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

// The groups of controls the boxes switch that are enabled; "(partly)" when
// only some of a group are.
std::string EnabledGroups(HWND page) {
  struct Group {
    const char* name;
    int first, last;
  };
  const Group groups[] = {{"storage", IDC_MODEM_SMS_STORAGE_LABEL, IDC_MODEM_SMS_STORAGE},
                          {"receiveMms", IDC_MODEM_RECEIVE_MMS, IDC_MODEM_RECEIVE_MMS},
                          {"mms", IDC_MODEM_LOOKUP_OPERATOR, IDC_MODEM_TEST_CONNECTION},
                          {"useConnection", IDC_MODEM_USE_NETWORK_CONNECTION, IDC_MODEM_USE_NETWORK_CONNECTION},
                          {"connection", IDC_MODEM_NETWORK_CONNECTION_LABEL, IDC_MODEM_NETWORK_CONNECTION}};
  std::string names;
  for (const Group& group : groups) {
    int enabled = 0;
    for (int id = group.first; id <= group.last; ++id) enabled += Enabled(page, id);
    if (enabled == 0) continue;
    names += std::string(names.empty() ? "" : " ") + group.name;
    if (enabled <= group.last - group.first) names += "(partly)";
  }
  return names;
}

// A profile section as sorted "key=value" lines.
std::vector<std::string> Section(const std::string& file, const char* section) {
  char buffer[8192] = "";
  GetPrivateProfileSectionA(section, buffer, sizeof buffer, file.c_str());
  std::vector<std::string> lines;
  for (const char* line = buffer; *line; line += strlen(line) + 1) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(ModemPageTest, WalksFromTheStoredSettingsThroughEditsToTheFilesItWrites) {
  const std::string name = "Acme [USB]";
  const char* section = "Modem - Acme \\x5BUSB\\x5D";
  ModemRegistryEntry own(name, "");
  ModemRegistryEntry other("Other Modem", "");
  AddDialUpEntry("Office VPN");
  ConfigureModem(name);
  for (auto [key, value] : {std::pair<const char*, const char*>{"PIN", "4321"}, {"ReceiveTo", "sm"},
                            {"SMSAccess", "GPRS"}, {"ReceiveMMS", "Yes"}, {"APN", "mms.example"},
                            {"APNLogin", "mmsuser"}, {"APNPass", "secret"}, {"WAPGatewayIP", "10.1.2.3"},
                            {"MMSURL", "http://mms.example/"}, {"DialUpProfile", "Office VPN"}})
    WritePrivateProfileStringA(section, key, value, SmsIni().c_str());
  boxes_.Answer(IDNO);      // APN changed: save it untested
  boxes_.Answer(IDCANCEL);  // gateway changed: do not save
  boxes_.Answer(IDCANCEL);  // nor leave the page
  boxes_.Answer(IDNO);      // then leave it untested
  boxes_.Answer(IDNO);      // but keep the sheet with its unsaved edits
  boxes_.Answer(IDYES);     // and then drop them
  INT_PTR result = RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Fields(page), (std::vector<std::string>{name, "4321", "mms.example", "mmsuser", "secret", "10.1.2.3",
                                                      "http://mms.example/"}));
    EXPECT_EQ(Selected(page, IDC_MODEM_SMS_STORAGE), "SIM Card") << "ReceiveTo is read in any case";
    EXPECT_EQ(Ticked(page), "gprs receiveSms receiveMms sendMms useConnection")
        << "a missing ReceiveSMS reads as Yes; an MMS server URL means Send MMS";
    EXPECT_EQ(EnabledGroups(page), "storage receiveMms mms useConnection connection");
    EXPECT_EQ(Entries(page, IDC_MODEM_NETWORK_CONNECTION),
              (std::vector<std::string>{"Modem: Acme [USB]", "Modem: Other Modem", "Office VPN"}));
    EXPECT_EQ(Selected(page, IDC_MODEM_NETWORK_CONNECTION), "Office VPN");
    EXPECT_STREQ(sheet_.currentModemName, name.c_str());
    EXPECT_FALSE(sheet_.configDirty) << "loading is no edit";
    EXPECT_FALSE(Enabled(sheet, kApplyButton));
    EXPECT_TRUE(sheet_.mmsSettingsTested);

    Click(page, IDC_MODEM_RECEIVE_SMS);
    EXPECT_EQ(EnabledGroups(page), "mms useConnection connection");
    EXPECT_EQ(Ticked(page), "gprs receiveMms sendMms useConnection") << "Receive MMS only disabled";
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    Click(page, IDC_MODEM_RECEIVE_SMS);
    Click(page, IDC_MODEM_SEND_MMS);
    EXPECT_EQ(EnabledGroups(page), "storage useConnection connection");
    Click(page, IDC_MODEM_SEND_MMS);
    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    EXPECT_EQ(EnabledGroups(page), "storage receiveMms mms useConnection");
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "none of these is a tested setting";

    Type(page, IDC_MODEM_PIN, "1234");
    Choose(page, IDC_MODEM_SMS_STORAGE, "Device Memory");
    Click(page, IDC_MODEM_SMS_ACCESS_GSM);
    Click(page, IDC_MODEM_RECEIVE_MMS);
    Type(page, IDC_MODEM_MMS_URL, "http://mms.example/mms");
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "the URL is not a tested setting";
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
    EXPECT_EQ(ReadIni(SmsIni(), section, "PIN", "<none>"), "<none>") << "an empty PIN is removed";

    Type(page, IDC_MODEM_WAP_GATEWAY, "10.9.9.9");
    EXPECT_FALSE(Apply(sheet)) << "Cancel refuses the apply";
    EXPECT_EQ(ReadIni(SmsIni(), section, "WAPGatewayIP"), "10.1.2.3");
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
  EXPECT_EQ(ReadIni(SmsIni(), section, "WAPGatewayIP"), "10.1.2.3");
  std::vector<std::string> expected(4, kUntested);
  expected.insert(expected.end(), 2, kExitUnsaved);
  EXPECT_EQ(Shown(boxes_), expected);
}

TEST_F(ModemPageTest, SwitchingMmsOffRemovesTheRouteButKeepsTheModemsSettings) {
  ModemRegistryEntry own("Mms Modem", "");
  ConfigureModem("Mms Modem", true);
  SetModemKey("Mms Modem", "ReceiveSMS", "No");
  SetModemKey("Mms Modem", "DialUpProfile", "modem: mms modem");
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Ticked(page), "default sendMms")
        << "Receive MMS is disabled on opening, so unticked; the modem's own connection is the standard one";
    EXPECT_EQ(EnabledGroups(page), "mms useConnection");
    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    EXPECT_EQ(Selected(page, IDC_MODEM_NETWORK_CONNECTION), "Modem: Mms Modem") << "ticking picks the page's modem";
    ASSERT_TRUE(Apply(sheet));
    EXPECT_EQ(RouteKey("Server"), "http://mms.example/");
    Click(page, IDC_MODEM_SEND_MMS);
    Type(page, IDC_MODEM_APN_LOGIN, "");  // not stored while MMS is off
    Press(sheet, PSBTN_OK);
  });
  EXPECT_TRUE(FileExists(RouteIni()));
  EXPECT_EQ(ReadFileText(RouteIni()).find("[VASP]"), std::string::npos) << ReadFileText(RouteIni());
  EXPECT_EQ(ModemKey("Mms Modem", "MMSURL"), "http://mms.example/");
  EXPECT_EQ(ModemKey("Mms Modem", "APNLogin"), "mmsuser");
  EXPECT_EQ(ModemKey("Mms Modem", "UseDial"), "Yes");
}

TEST_F(ModemPageTest, ChangeModemTakesTheTestedModemAndItsPin) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  FakeTelephonyScope telephony;
  telephony.fake.lines = {FakeLine{"Alpha Modem"}};
  ConfigureModem("Old Modem");
  SetModemKey("Old Modem", "PIN", "9999");
  SetModemKey("Old Modem", "DialUpProfile", "Office VPN");
  AddDialUpEntry("Office VPN");
  boxes_.Answer(IDOK);  // the modem test passes
  RunSheet([&](HWND sheet, HWND page) {
    {
      WindowDriver addModem("Select Modem", [](HWND dialog) { Cancel(dialog); });
      Click(page, IDC_MODEM_CHANGE);
    }
    EXPECT_EQ(Text(page, IDC_MODEM_NAME), "Old Modem") << "cancelled";
    EXPECT_FALSE(sheet_.configDirty);
    {
      WindowDriver addModem("Select Modem", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_ADDMODEM_PIN, "1234");
        PostMessageA(dialog, WM_COMMAND, IDC_ADDMODEM_TEST, 0);
      });
      Click(page, IDC_MODEM_CHANGE);
    }
    EXPECT_EQ(Text(page, IDC_MODEM_NAME), "Alpha Modem");
    EXPECT_EQ(Text(page, IDC_MODEM_PIN), "1234");
    EXPECT_STREQ(sheet_.currentModemName, "Alpha Modem");
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the settings are untested on another modem";
    EXPECT_EQ(EnabledGroups(page), "storage useConnection") << "back to the new modem's own connection";
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    Press(sheet, PSBTN_OK);
  });
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>{"info: Modem successfully tested!"});
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "Alpha Modem");
  EXPECT_EQ(ModemKey("Alpha Modem", "PIN"), "1234");
  EXPECT_EQ(ModemKey("Alpha Modem", "DialUpProfile"), "Modem: Alpha Modem");
}

TEST_F(ModemPageTest, LookupFillsTheOperatorsSettingsAndKeepsOnesTypedInOtherCase) {
  ConfigureModem("Lookup Modem");
  auto pick = [](const char* country, const char* name) {
    return [country, name](HWND dialog) {
      for (auto [list, item] :
           {std::pair<int, const char*>{IDC_OPERATOR_COUNTRIES, country}, {IDC_OPERATOR_NAMES, name}}) {
        LRESULT index = SendDlgItemMessageA(dialog, list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(item));
        SendDlgItemMessageA(dialog, list, LB_SETCURSEL, index, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, list)));
      }
      PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
  };
  auto lookUp = [&](HWND page, std::function<void(HWND)> action) {
    WindowDriver picker("Operator Settings", action);
    Click(page, IDC_MODEM_LOOKUP_OPERATOR);
  };
  RunSheet([&](HWND sheet, HWND page) {
    Click(page, IDC_MODEM_SEND_MMS);
    Type(page, IDC_MODEM_APN, "MMS.EXAMPLEMOBILE.EXAMPLE");
    Type(page, IDC_MODEM_APN_LOGIN, "MMS");
    Type(page, IDC_MODEM_APN_PASSWORD, "MMS");
    Type(page, IDC_MODEM_WAP_GATEWAY, "192.0.2.10");
    Type(page, IDC_MODEM_MMS_URL, "HTTP://MMS.EXAMPLEMOBILE.EXAMPLE/SERVLETS/MMS");
    sheet_.mmsSettingsTested = true;
    std::vector<std::string> expected = Fields(page);
    expected.back() = "http://mms.examplemobile.example/servlets/mms";
    lookUp(page, pick("United Kingdom", "Example Mobile"));
    EXPECT_EQ(Fields(page), expected) << "the URL is always taken";
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "no tested setting changed";
    lookUp(page, [](HWND dialog) { Cancel(dialog); });
    EXPECT_EQ(Fields(page), expected) << "cancelled";
    lookUp(page, pick("Germany", "Muster Netz"));
    EXPECT_EQ(Text(page, IDC_MODEM_APN), "internet.musternetz.example");
    EXPECT_EQ(Text(page, IDC_MODEM_APN_LOGIN), "");
    EXPECT_EQ(Text(page, IDC_MODEM_WAP_GATEWAY), "198.51.100.17");
    EXPECT_EQ(Text(page, IDC_MODEM_MMS_URL), "http://mmsc.musternetz.example/");
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    sheet_.configDirty = false;
    Press(sheet, PSBTN_CANCEL);
  });
}

}  // namespace
