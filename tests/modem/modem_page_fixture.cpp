#include "modem/modem_page_fixture.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/app_state.h"
#include "app/main_sheet.h"
#include "config/config_files.h"
#include "gprslink/gprslink_fixture.h"
#include "modem/gprs_check.h"
#include "modem/modem_page.h"
#include "services/rights.h"
#include "support/dialog_items.h"
#include "support/window_driver.h"

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kWizardTitle[] = "ZedSMS Lite Setup Wizard:  Modem Settings";


std::string Selected(HWND page, int id) {
  LRESULT index = SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return "<none>";
  char text[1024] = "";
  SendDlgItemMessageA(page, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

bool Choose(HWND page, int id, const char* entry) {
  LRESULT index =
      SendDlgItemMessageA(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
  if (index == CB_ERR) return false;
  SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
  return true;
}

std::vector<std::string> Entries(HWND page, int id) {
  std::vector<std::string> entries;
  LRESULT count = SendDlgItemMessageA(page, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[1024] = "";
    SendDlgItemMessageA(page, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

int CurrentPageIndex(HWND sheet) {
  return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
}

HANDLE RunRealConsole(const char* parameters) {
  return ShellRunAs((ProgramFolder() + "SMSGWCFG.EXE").c_str(), parameters);
}

void ModemPageTest::SetUp() {
  UseFakeRas();
  PrepareConfigFiles();
  Rights().runElevated = RunRealConsole;
  Rights().runPlain = [](const char*) -> HANDLE {
    ADD_FAILURE() << "the console was started without elevation";
    return nullptr;
  };
  Rights().restartSystem = [] { ADD_FAILURE() << "the system would have been restarted"; };
}

void ModemPageTest::TearDown() {
  Rights() = SystemRights();
  boxes_.ExpectAllAnswered();
}

namespace {

INT_PTR RunModemSheet(SheetContext* sheet, bool wizard, std::function<void(HWND, HWND)> action) {
  return RunPageInSheet(sheet, {"DIALOG_MODEM", wizard ? kWizardTitle : "Modem", ModemPageProc},
                        wizard ? PSH_WIZARD | PSH_NOAPPLYNOW : 0, wizard ? kWizardTitle : kCaption,
                        [&](HWND sheet, HWND) { action(sheet, CurrentPage(sheet)); });
}

}  // namespace

INT_PTR ModemPageTest::RunSheet(std::function<void(HWND, HWND)> action) {
  return RunModemSheet(&sheet_, false, std::move(action));
}

INT_PTR ModemPageTest::RunWizard(std::function<void(HWND, HWND)> action) {
  return RunModemSheet(&sheet_, true, std::move(action));
}

void ModemPageTest::ConfigureModem(const std::string& name) {
  WritePrivateProfileStringA("SMSGW", "Modem1", name.c_str(), SmsIni().c_str());
}

void ModemPageTest::ConfigureMmsModem(const std::string& name) {
  ConfigureModem(name);
  for (auto [key, value] : {std::pair<const char*, const char*>{"APN", "mms.example"},
                            {"APNLogin", "mmsuser"},
                            {"APNPass", "secret"},
                            {"WAPGatewayIP", "10.1.2.3"},
                            {"MMSURL", "http://mms.example/"},
                            {"ReceiveMMS", "Yes"}})
    SetModemKey(name, key, value);
}

void ModemPageTest::SetModemKey(const std::string& name, const char* key, const char* value) {
  WritePrivateProfileStringA(("Modem - " + name).c_str(), key, value, SmsIni().c_str());
}

std::string ModemPageTest::ModemKey(const std::string& name, const char* key, const char* fallback) {
  return ReadIni(SmsIni(), ("Modem - " + name).c_str(), key, fallback);
}

void ModemPageTest::AddDialUpEntry(const char* name) {
  std::string section = std::string("Entry ") + name;
  WritePrivateProfileStringA(section.c_str(), "DeviceName", "WAN Miniport", FakeRas().c_str());
  WritePrivateProfileStringA(section.c_str(), "PhoneNumber", "vpn.example", FakeRas().c_str());
}

void ModemPageTest::ExpectBox(size_t index, const std::string& text, UINT icon, std::vector<int> buttons) {
  auto boxes = boxes_.Boxes();
  ASSERT_GT(boxes.size(), index);
  EXPECT_EQ(boxes[index].caption, kCaption);
  EXPECT_EQ(boxes[index].text, text);
  EXPECT_EQ(boxes[index].icon, icon);
  EXPECT_EQ(boxes[index].buttons, buttons);
}
