#include "modem/modem_page_fixture.h"

#include "config/config_files.h"
#include "gprslink/gprslink_fixture.h"
#include "modem/connection_name.h"
#include "modem/modem_page.h"
#include "services/rights.h"
#include "support/window_driver.h"

void Choose(HWND page, int id, const char* entry) {
  LRESULT index =
      SendDlgItemMessageA(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
  ASSERT_NE(index, CB_ERR) << entry;
  SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void ModemPageTest::SetUp() {
  UseFakeRas();
  PrepareConfigFiles();
  // The real console of the program folder, as the system's "runas" starts it.
  Rights().runElevated = [](const char* parameters) {
    return ShellRunAs((ProgramFolder() + "SMSGWCFG.EXE").c_str(), parameters);
  };
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

INT_PTR ModemPageTest::RunSheet(std::function<void(HWND, HWND)> action, bool wizard) {
  const char* title = wizard ? "ZedSMS Lite Setup Wizard:  Modem Settings" : "Modem";
  return RunPageInSheet(&sheet_, {"DIALOG_MODEM", title, ModemPageProc}, wizard ? PSH_WIZARD | PSH_NOAPPLYNOW : 0,
                        wizard ? title : kProductCaption, action);
}

void ModemPageTest::ConfigureModem(const std::string& name, bool mms) {
  WritePrivateProfileStringA("SMSGW", "Modem1", name.c_str(), SmsIni().c_str());
  if (!mms) return;
  for (auto [key, value] : {std::pair<const char*, const char*>{"APN", "mms.example"}, {"APNLogin", "mmsuser"},
                            {"APNPass", "secret"}, {"WAPGatewayIP", "10.1.2.3"},
                            {"MMSURL", "http://mms.example/"}, {"ReceiveMMS", "Yes"}})
    SetModemKey(name, key, value);
}

std::string ModemPageTest::Section(const std::string& name) const {
  char section[600];
  ConnectionSectionName(name.c_str(), section, sizeof section);
  return section;
}
