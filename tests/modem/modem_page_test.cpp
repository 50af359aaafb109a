// The Modem page: what it shows, what it stores, its enabling rules, the
// modem and operator dialogs it opens and the questions it asks.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <memory>

#include "app/app_state.h"
#include "app/console.h"
#include "gwcore/operator_picker_ids.h"
#include "modem/gprs_check.h"
#include "modem/modem_page_fixture.h"
#include "services/rights.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/window_driver.h"

namespace {

const char kUntested[] =
    "MMS configuration settings have not been tested.\r\n\r\n"
    "Do you wish to test these settings before saving configuration changes?";
const char kExitUnsaved[] = "Exit without saving configuration changes?";
const std::vector<int> kOk = {IDOK};
const std::vector<int> kYesNoCancel = {IDCANCEL, IDYES, IDNO};

void Type(HWND page, int id, const char* text) { SetDlgItemTextA(page, id, text); }
void Close(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }
bool Apply(HWND sheet) { return SendMessageA(sheet, PSM_APPLY, 0, 0) != 0; }

class ModemPageShowsTest : public ModemPageTest {};

TEST_F(ModemPageShowsTest, TheModemsSettingsFromItsEscapedSection) {
  const std::string name = "Acme [USB]";
  ConfigureModem(name);
  const char* section = "Modem - Acme \\x5BUSB\\x5D";
  for (auto [key, value] : {std::pair<const char*, const char*>{"PIN", "4321"},
                            {"ReceiveTo", "sm"},
                            {"SMSAccess", "GPRS"},
                            {"ReceiveMMS", "Yes"},
                            {"APN", "mms.example"},
                            {"APNLogin", "mmsuser"},
                            {"APNPass", "secret"},
                            {"WAPGatewayIP", "10.1.2.3"},
                            {"MMSURL", "http://mms.example/"},
                            {"DialUpProfile", "Office VPN"}})
    WritePrivateProfileStringA(section, key, value, SmsIni().c_str());
  AddDialUpEntry("Office VPN");
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, kName), name);
    EXPECT_EQ(Text(page, kPin), "4321");
    EXPECT_EQ(Entries(page, kStorage),
              (std::vector<std::string>{"Default", "Device Memory", "SIM Card", "Direct to Modem"}));
    EXPECT_EQ(Selected(page, kStorage), "SIM Card") << "ReceiveTo is read in any case";
    EXPECT_TRUE(Checked(page, kReceiveSms)) << "a missing ReceiveSMS reads as Yes";
    EXPECT_TRUE(Checked(page, kAccessGprs));
    EXPECT_FALSE(Checked(page, kAccessDefault));
    EXPECT_TRUE(Checked(page, kReceiveMms));
    EXPECT_TRUE(Enabled(page, kReceiveMms));
    EXPECT_EQ(Text(page, kApn), "mms.example");
    EXPECT_EQ(Text(page, kLogin), "mmsuser");
    EXPECT_EQ(Text(page, kPassword), "secret");
    EXPECT_EQ(Text(page, kGateway), "10.1.2.3");
    EXPECT_EQ(Text(page, kUrl), "http://mms.example/");
    EXPECT_TRUE(Checked(page, kSendMms)) << "there is an MMS server URL";
    for (int id = kLookup; id <= kTestConnection; ++id) EXPECT_TRUE(Enabled(page, id)) << id;
    EXPECT_TRUE(Checked(page, kUseConnection));
    EXPECT_EQ(Selected(page, kConnection), "Office VPN");
    EXPECT_TRUE(Enabled(page, kConnection));
    EXPECT_TRUE(Enabled(page, kConnectionLabel));
    EXPECT_STREQ(sheet_.currentModemName, name.c_str());
    EXPECT_FALSE(sheet_.configDirty) << "loading is no edit";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    Close(sheet, PSBTN_CANCEL);
  });
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ModemPageShowsTest, ItsLabelsAndButtons) {
  RunSheet([&](HWND sheet, HWND page) {
    const std::vector<std::pair<int, const char*>> labels = {
        {101, "GSM/GPRS Modem:"},      {113, "Change &Modem"},
        {103, "Modem PIN:"},           {105, "SMS Access:"},
        {106, "Default"},              {107, "GSM"},
        {108, "GPRS"},                 {109, "Receive SMS Messages"},
        {110, "SMS Message Storage:"}, {126, "Send MMS Messages"},
        {114, "&Lookup Operator Settings"}, {115, "GPRS APN:"},
        {117, "APN Login Name:"},      {119, "APN Password:"},
        {121, "WAP Gateway Address:"}, {123, "MMS Server URL:"},
        {127, "Use non-standard data connection for MMS"}, {128, "Network Connection:"},
        {125, "&Test Connection"},     {112, "Receive MMS Messages"}};
    for (auto [id, label] : labels) EXPECT_EQ(Text(page, id), label) << id;
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(page, kName), GWL_STYLE) & ES_READONLY) << "chosen only by the dialog";
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(page, kConnection), GWL_STYLE) & CBS_SORT);
    EXPECT_EQ(GetWindowLongA(GetDlgItem(page, kStorage), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    Close(sheet, PSBTN_CANCEL);
  });
}

TEST_F(ModemPageShowsTest, MissingAndUnknownValuesAsTheirDefaults) {
  ModemRegistryEntry own("Plain Modem", "");
  ConfigureModem("Plain Modem");
  SetModemKey("Plain Modem", "ReceiveTo", "XX");
  SetModemKey("Plain Modem", "SMSAccess", "LTE");
  SetModemKey("Plain Modem", "ReceiveSMS", "No");
  SetModemKey("Plain Modem", "ReceiveMMS", "Yes");
  SetModemKey("Plain Modem", "APN", "kept.example");
  SetModemKey("Plain Modem", "DialUpProfile", "modem: plain modem");
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Selected(page, kStorage), "Default");
    EXPECT_TRUE(Checked(page, kAccessDefault));
    EXPECT_FALSE(Checked(page, kReceiveSms));
    EXPECT_FALSE(Enabled(page, kStorage));
    EXPECT_FALSE(Enabled(page, kStorageLabel));
    EXPECT_EQ(Text(page, kApn), "kept.example");
    EXPECT_FALSE(Checked(page, kSendMms)) << "no MMS server URL";
    for (int id = kLookup; id <= kTestConnection; ++id) EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_FALSE(Enabled(page, kReceiveMms));
    EXPECT_FALSE(Checked(page, kReceiveMms)) << "disabled on opening, so unchecked";
    EXPECT_FALSE(Checked(page, kUseConnection)) << "the modem's own connection is the standard one";
    EXPECT_FALSE(Enabled(page, kConnection));
    EXPECT_FALSE(Enabled(page, kConnectionLabel));
    Close(sheet, PSBTN_CANCEL);
  });
}

TEST_F(ModemPageShowsTest, AnSmppConnectionAsNoModemAndAsksForOneBeforeLeaving) {
  ConfigureModem("SMPP - Provider");
  boxes_.Answer(IDOK);
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, kName), "");
    EXPECT_STREQ(sheet_.currentModemName, "");
    bool dialogSeen = false;
    {
      WindowDriver addModem("Select Modem", [&](HWND dialog) {
        dialogSeen = true;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      });
      SendMessageA(sheet, PSM_SETCURSEL, 1, 0);  // leaving the page
    }
    EXPECT_TRUE(dialogSeen) << "the Add Modem dialog was opened";
    EXPECT_EQ(CurrentPageIndex(sheet), 0) << "the page was kept";
    EXPECT_EQ(Text(page, kName), "") << "the dialog was cancelled";
    Close(sheet, PSBTN_CANCEL);
  });
  ExpectBox(0, "Please select a modem", MB_ICONERROR, kOk);
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "SMPP - Provider");
}

TEST_F(ModemPageShowsTest, TheModemPageOfTheMainSheet) {
  ConfigureModem("Sheet Modem");
  boxes_.Answer(IDNO);  // the services are not running
  {
    WindowDriver driver(kCaption, [](HWND sheet) {
      SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
      HWND page = CurrentPage(sheet);
      EXPECT_EQ(Text(page, kName), "Sheet Modem");
      EXPECT_EQ(Entries(page, kStorage).size(), 4u);
      PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(ConsoleMain(""), 0);
  }
  ExpectBox(0, "Service is not active, do you wish to activate the service?", MB_ICONQUESTION, {IDYES, IDNO});
}

class ModemPageControlsTest : public ModemPageTest {};

TEST_F(ModemPageControlsTest, EnablingFollowsTheBoxes) {
  ModemRegistryEntry own("Boxed Modem", "");
  ConfigureMmsModem("Boxed Modem");
  RunSheet([&](HWND sheet, HWND page) {
    ASSERT_TRUE(Checked(page, kReceiveMms));
    Click(page, kReceiveSms);
    EXPECT_FALSE(Enabled(page, kStorage));
    EXPECT_FALSE(Enabled(page, kStorageLabel));
    EXPECT_FALSE(Enabled(page, kReceiveMms));
    EXPECT_TRUE(Checked(page, kReceiveMms)) << "after a click only disabled";
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
    Click(page, kReceiveSms);
    EXPECT_TRUE(Enabled(page, kReceiveMms));
    Click(page, kSendMms);
    for (int id = kLookup; id <= kTestConnection; ++id) EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_FALSE(Enabled(page, kReceiveMms));
    EXPECT_TRUE(Enabled(page, kUseConnection)) << "the connection box is not an MMS field";
    Click(page, kSendMms);
    for (int id = kLookup; id <= kTestConnection; ++id) EXPECT_TRUE(Enabled(page, id)) << id;

    EXPECT_EQ(Selected(page, kConnection), "<none>");
    Click(page, kUseConnection);
    EXPECT_TRUE(Enabled(page, kConnection));
    EXPECT_TRUE(Enabled(page, kConnectionLabel));
    EXPECT_EQ(Selected(page, kConnection), "Modem: Boxed Modem") << "checking picks the page's modem";
    Click(page, kUseConnection);
    EXPECT_FALSE(Enabled(page, kConnection));
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "none of these is a tested setting";
    sheet_.configDirty = false;
    Close(sheet, PSBTN_CANCEL);
  });
}

TEST_F(ModemPageControlsTest, CancellingWithUnsavedEditsAsks) {
  ConfigureModem("Asking Modem");
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  INT_PTR result = RunSheet([&](HWND sheet, HWND page) {
    Type(page, kPin, "0000");
    EXPECT_TRUE(sheet_.configDirty);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return boxes_.Boxes().size() == 1; }, 5000));
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(sheet)) << "No keeps the sheet";
    Close(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(result, 0);
  ExpectBox(0, kExitUnsaved, MB_ICONQUESTION, kYesNoCancel);
  ExpectBox(1, kExitUnsaved, MB_ICONQUESTION, kYesNoCancel);
  EXPECT_EQ(ModemKey("Asking Modem", "PIN"), "<none>");
}

TEST_F(ModemPageControlsTest, ChangeModemTakesTheTestedModemAndItsPin) {
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
    ASSERT_TRUE(Checked(page, kUseConnection));
    {
      WindowDriver addModem("Select Modem", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
      Click(page, kChange);
    }
    EXPECT_EQ(Text(page, kName), "Old Modem") << "cancelled";
    EXPECT_FALSE(sheet_.configDirty);
    {
      WindowDriver addModem("Select Modem", [](HWND dialog) {
        SetDlgItemTextA(dialog, 104, "1234");
        PostMessageA(dialog, WM_COMMAND, 106, 0);
      });
      Click(page, kChange);
    }
    EXPECT_EQ(Text(page, kName), "Alpha Modem");
    EXPECT_EQ(Text(page, kPin), "1234");
    EXPECT_STREQ(sheet_.currentModemName, "Alpha Modem");
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the settings are untested on another modem";
    EXPECT_FALSE(Checked(page, kUseConnection));
    EXPECT_FALSE(Enabled(page, kConnection));
    EXPECT_FALSE(Enabled(page, kConnectionLabel));
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
    Close(sheet, PSBTN_OK);
  });
  ExpectBox(0, "Modem successfully tested!", MB_ICONINFORMATION, kOk);
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "Alpha Modem");
  EXPECT_EQ(ModemKey("Alpha Modem", "PIN"), "1234");
  EXPECT_EQ(ModemKey("Alpha Modem", "DialUpProfile"), "Modem: Alpha Modem");
}

TEST_F(ModemPageControlsTest, LookupFillsTheOperatorsSettings) {
  ConfigureModem("Lookup Modem");
  RunSheet([&](HWND sheet, HWND page) {
    Click(page, kSendMms);
    // The operator's settings, but in other case: kept as typed.
    Type(page, kApn, "MMS.EXAMPLEMOBILE.EXAMPLE");
    Type(page, kLogin, "MMS");
    Type(page, kPassword, "MMS");
    Type(page, kGateway, "192.0.2.10");
    Type(page, kUrl, "HTTP://MMS.EXAMPLEMOBILE.EXAMPLE/SERVLETS/MMS");
    sheet_.mmsSettingsTested = true;
    auto pick = [](const char* country, const char* name) {
      return [country, name](HWND dialog) {
        for (auto [list, item] : {std::pair<int, const char*>{IDC_OPERATOR_COUNTRIES, country},
                                  {IDC_OPERATOR_NAMES, name}}) {
          LRESULT index = SendDlgItemMessageA(dialog, list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(item));
          SendDlgItemMessageA(dialog, list, LB_SETCURSEL, index, 0);
          SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, list)));
        }
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      };
    };
    {
      WindowDriver picker("Operator Settings", pick("United Kingdom", "Example Mobile"));
      Click(page, kLookup);
    }
    EXPECT_EQ(Text(page, kApn), "MMS.EXAMPLEMOBILE.EXAMPLE");
    EXPECT_EQ(Text(page, kLogin), "MMS");
    EXPECT_EQ(Text(page, kGateway), "192.0.2.10");
    EXPECT_EQ(Text(page, kUrl), "http://mms.examplemobile.example/servlets/mms") << "the URL is always taken";
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "no tested setting changed";
    {
      WindowDriver picker("Operator Settings", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
      Click(page, kLookup);
    }
    EXPECT_EQ(Text(page, kApn), "MMS.EXAMPLEMOBILE.EXAMPLE") << "cancelled";
    {
      WindowDriver picker("Operator Settings", pick("Germany", "Muster Netz"));
      Click(page, kLookup);
    }
    EXPECT_EQ(Text(page, kApn), "internet.musternetz.example");
    EXPECT_EQ(Text(page, kLogin), "");
    EXPECT_EQ(Text(page, kGateway), "198.51.100.17");
    EXPECT_EQ(Text(page, kUrl), "http://mmsc.musternetz.example/");
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    sheet_.configDirty = false;
    Close(sheet, PSBTN_CANCEL);
  });
}

class ModemPageApplyTest : public ModemPageTest {};

TEST_F(ModemPageApplyTest, WritesTheModemSectionTheRouteAndTheDefaultRoute) {
  ConfigureModem("Route Modem");
  boxes_.Answer(IDNO);  // save untested
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, kPin, "1234");
    Choose(page, kStorage, "Device Memory");
    Click(page, kAccessGsm);
    Click(page, kSendMms);
    Type(page, kApn, "mms.example");
    Type(page, kLogin, "mmsuser");
    Type(page, kPassword, "secret");
    Type(page, kGateway, "10.1.2.3");
    Type(page, kUrl, "http://mms.example/mms");
    Click(page, kReceiveMms);
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    Close(sheet, PSBTN_OK);
  });
  ExpectBox(0, kUntested, MB_ICONQUESTION, kYesNoCancel);
  EXPECT_TRUE(sheet_.mmsSettingsTested) << "No saves them as they are";
  EXPECT_FALSE(sheet_.configDirty);
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "Route Modem");
  EXPECT_EQ(ReadIni(MmscIni(), "MMSC", "DefaultOutboundRoute"), "zedsmslite");
  const std::vector<std::pair<const char*, const char*>> modemKeys = {
      {"PIN", "1234"},      {"ReceiveTo", "ME"},      {"ReceiveSMS", "Yes"},        {"SMSAccess", "GSM"},
      {"ReceiveMMS", "Yes"}, {"APN", "mms.example"},  {"APNLogin", "mmsuser"},      {"APNPass", "secret"},
      {"WAPGatewayIP", "10.1.2.3"}, {"MMSURL", "http://mms.example/mms"}, {"UseDial", "Yes"},
      {"UseModem", "Route Modem"}, {"DialUpProfile", "Modem: Route Modem"}};
  for (auto [key, value] : modemKeys) EXPECT_EQ(ModemKey("Route Modem", key), value) << key;
  const std::vector<std::pair<const char*, const char*>> routeKeys = {
      {"Protocol", "MM1"},          {"ForceSenderAddress", "Yes"},   {"UseDial", "Yes"},
      {"UseModem", "Route Modem"},  {"DialUpProfile", "Modem: Route Modem"}, {"APN", "mms.example"},
      {"APNLogin", "mmsuser"},      {"APNPass", "secret"},           {"WAPGatewayIP", "10.1.2.3"},
      {"Server", "http://mms.example/mms"}};
  for (auto [key, value] : routeKeys) EXPECT_EQ(RouteKey(key), value) << key;
  EXPECT_EQ(RouteKey("MMSURL"), "<none>");
  std::string routes = ReadFileText(dir_.File("VASPROUTES.DAT"));
  ASSERT_EQ(routes.size(), 511u) << "the route account";
  EXPECT_EQ(routes, std::string("zedsmslite") + std::string(501, '\0'));
}

TEST_F(ModemPageApplyTest, EachChoiceIsStoredByItsRule) {
  ConfigureMmsModem("Rule Modem");
  SetModemKey("Rule Modem", "PIN", "1234");
  struct Round {
    const char* storage;
    int access;
    bool receiveSms;
    const char* receiveTo;
    const char* smsAccess;
    const char* receiveSmsValue;
  };
  const Round rounds[] = {{"SIM Card", kAccessGprs, true, "SM", "GPRS", "Yes"},
                          {"Direct to Modem", kAccessDefault, false, "Direct", "<none>", "No"},
                          {"Default", kAccessGsm, true, "<none>", "GSM", "Yes"}};
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, kPin, "");
    Type(page, kUrl, "http://other.example/");  // not a tested setting: no question
    for (const Round& round : rounds) {
      Choose(page, kStorage, round.storage);
      Click(page, round.access);
      if (Checked(page, kReceiveSms) != round.receiveSms) Click(page, kReceiveSms);
      ASSERT_TRUE(Apply(sheet));
      EXPECT_EQ(ModemKey("Rule Modem", "ReceiveTo"), round.receiveTo);
      EXPECT_EQ(ModemKey("Rule Modem", "SMSAccess"), round.smsAccess);
      EXPECT_EQ(ModemKey("Rule Modem", "ReceiveSMS"), round.receiveSmsValue);
      EXPECT_EQ(ModemKey("Rule Modem", "PIN"), "<none>") << "an empty PIN is removed";
    }
    Click(page, kReceiveMms);
    ASSERT_TRUE(Apply(sheet));
    EXPECT_EQ(ModemKey("Rule Modem", "ReceiveMMS"), "No");
    EXPECT_EQ(ModemKey("Rule Modem", "MMSURL"), "http://other.example/");
    Close(sheet, PSBTN_CANCEL);
  });
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ModemPageApplyTest, MmsOffRemovesTheRouteButKeepsTheModemsMmsSettings) {
  ConfigureMmsModem("Mms Modem");
  RunSheet([&](HWND sheet, HWND page) {
    ASSERT_TRUE(Apply(sheet));
    EXPECT_EQ(RouteKey("Server"), "http://mms.example/");
    Click(page, kSendMms);
    Type(page, kLogin, "");  // not stored while MMS is off
    Close(sheet, PSBTN_OK);
  });
  EXPECT_TRUE(FileExists(RouteIni()));
  EXPECT_EQ(ReadFileText(RouteIni()).find("[VASP]"), std::string::npos) << ReadFileText(RouteIni());
  EXPECT_EQ(RouteKey("Protocol"), "<none>");
  EXPECT_EQ(ModemKey("Mms Modem", "MMSURL"), "http://mms.example/");
  EXPECT_EQ(ModemKey("Mms Modem", "APNLogin"), "mmsuser");
  EXPECT_EQ(ModemKey("Mms Modem", "UseDial"), "Yes");
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kSendMms)) << "the URL is still there";
    Close(sheet, PSBTN_CANCEL);
  });
}

TEST_F(ModemPageApplyTest, TheModemsOwnEntryIsTheStandardConnection) {
  ModemRegistryEntry own("Own Modem", "");
  ModemRegistryEntry other("Other Modem", "");
  AddDialUpEntry("Office VPN");
  ConfigureMmsModem("Own Modem");
  auto expectConnection = [&](const char* useModem, const char* profile) {
    EXPECT_EQ(ModemKey("Own Modem", "UseModem"), useModem);
    EXPECT_EQ(ModemKey("Own Modem", "DialUpProfile"), profile);
    EXPECT_EQ(RouteKey("UseModem"), useModem);
    EXPECT_EQ(RouteKey("DialUpProfile"), profile);
  };
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Entries(page, kConnection),
              (std::vector<std::string>{"Modem: Other Modem", "Modem: Own Modem", "Office VPN"}))
        << "sorted";
    Click(page, kUseConnection);
    ASSERT_TRUE(Apply(sheet));
    expectConnection("Own Modem", "Modem: Own Modem");
    ASSERT_TRUE(Choose(page, kConnection, "Modem: Other Modem"));
    ASSERT_TRUE(Apply(sheet));
    expectConnection("Other Modem", "Modem: Other Modem");
    ASSERT_TRUE(Choose(page, kConnection, "Office VPN"));
    ASSERT_TRUE(Apply(sheet));
    expectConnection("<none>", "Office VPN");
    Click(page, kUseConnection);
    ASSERT_TRUE(Apply(sheet));
    expectConnection("Own Modem", "Modem: Own Modem");
    Close(sheet, PSBTN_CANCEL);
  });
  SetModemKey("Own Modem", "DialUpProfile", "Office VPN");
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kUseConnection));
    EXPECT_EQ(Selected(page, kConnection), "Office VPN");
    Close(sheet, PSBTN_CANCEL);
  });
}

TEST_F(ModemPageApplyTest, UntestedSettingsAreAskedAboutOnceUntilATestedOneChanges) {
  ConfigureMmsModem("Asked Modem");
  boxes_.Answer(IDNO);      // APN changed: save untested
  boxes_.Answer(IDCANCEL);  // gateway changed: do not save
  boxes_.Answer(IDCANCEL);  // and do not leave the page
  boxes_.Answer(IDNO);      // then leave it untested
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, kUrl, "http://changed.example/");
    EXPECT_TRUE(sheet_.mmsSettingsTested) << "the URL is not a tested setting";
    ASSERT_TRUE(Apply(sheet));
    EXPECT_EQ(boxes_.Boxes().size(), 0u);
    Type(page, kApn, "other.example");
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    ASSERT_TRUE(Apply(sheet));
    EXPECT_EQ(ModemKey("Asked Modem", "APN"), "other.example");
    Type(page, kPin, "4321");
    ASSERT_TRUE(Apply(sheet)) << "not asked again";
    EXPECT_EQ(boxes_.Boxes().size(), 1u);

    Type(page, kGateway, "10.9.9.9");
    EXPECT_FALSE(Apply(sheet)) << "Cancel refuses the apply";
    EXPECT_EQ(ModemKey("Asked Modem", "WAPGatewayIP"), "10.1.2.3");
    EXPECT_TRUE(sheet_.configDirty) << "the edits are still unsaved";
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(CurrentPageIndex(sheet), 0) << "Cancel keeps the page";
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(CurrentPageIndex(sheet), 1) << "No lets it go";
    sheet_.configDirty = false;
    Close(sheet, PSBTN_CANCEL);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 4u);
  for (size_t i = 0; i < 4; ++i) ExpectBox(i, kUntested, MB_ICONQUESTION, kYesNoCancel);
}

}  // namespace
