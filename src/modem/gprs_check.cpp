#include "modem/gprs_check.h"

#include <cstring>

#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/link_libraries.h"
#include "modem/modem_page.h"
#include "modem/modem_settings.h"
#include "resources/page_ids.h"
#include "services/rights.h"

namespace {

const char kSection[] = "ModemTest";
const char kSwitch[] = "/MODEMTEST";
constexpr size_t kParameterChars = 249;
constexpr size_t kUrlChars = 499;
constexpr size_t kModemNameChars = 500;
constexpr size_t kResultChars = 499;
constexpr DWORD kCopyWaitMs = 120000;
constexpr DWORD kAllocationWaitMs = 30000;

const char kRebootQuestion[] =
    "ZedSMS has updated your modem driver settings to enable GPRS connectivity.\r\n\r\n"
    "Your system must be rebooted to apply these updates.\r\n\r\nDo you wish to reboot now?";

struct TestParameters {
  char wapGateway[kParameterChars + 1];
  char apn[kParameterChars + 1];
  char apnLogin[kParameterChars + 1];
  char apnPassword[kParameterChars + 1];
  char modemName[kModemNameChars + 1];
  // The network connection to dial; on the page side only set for another connection.
  char connection[kModemConnectionPrefixLength + kModemNameChars + 1];
};

void ModemTestIniPath(char* path) { ProgramDataPath("MODEMTEST.INI", path, MAX_PATH); }

void ReadField(HWND page, int id, char* text, size_t chars) {
  GetDlgItemTextA(page, id, text, static_cast<int>(chars + 1));
}

// Always false: the settings cannot be tested.
bool Refuse(HWND page, const char* text, int focus) {
  ShowMessage(page, text, MB_OK | MB_ICONERROR);
  SetFocus(GetDlgItem(page, focus));
  return false;
}

// The page's settings as the test copy takes them; false (the user told why)
// when they cannot be tested.
bool ReadPageSettings(HWND page, TestParameters* parameters, bool* otherConnection) {
  ReadField(page, IDC_MODEM_WAP_GATEWAY, parameters->wapGateway, kParameterChars);
  ReadField(page, IDC_MODEM_APN, parameters->apn, kParameterChars);
  ReadField(page, IDC_MODEM_APN_LOGIN, parameters->apnLogin, kParameterChars);
  ReadField(page, IDC_MODEM_APN_PASSWORD, parameters->apnPassword, kParameterChars);
  char url[kUrlChars + 1];
  ReadField(page, IDC_MODEM_MMS_URL, url, kUrlChars);
  ReadField(page, IDC_MODEM_NAME, parameters->modemName, kModemNameChars);
  switch (FindMmsSettingsGap(url, parameters->modemName, parameters->wapGateway, sizeof parameters->wapGateway)) {
    case MmsSettingsGap::kNone: break;
    case MmsSettingsGap::kNoUrl: return Refuse(page, "MMS Server URL is Required!", IDC_MODEM_MMS_URL);
    case MmsSettingsGap::kNoModem: AskForModem(page); return false;
    case MmsSettingsGap::kNoGateway: return Refuse(page, "WAP Gateway Address is Required!", IDC_MODEM_WAP_GATEWAY);
    case MmsSettingsGap::kBadGateway: return Refuse(page, "Invalid WAP Gateway Address", IDC_MODEM_WAP_GATEWAY);
  }
  *otherConnection = OtherConnectionChosen(page, parameters->connection, sizeof parameters->connection);
  return true;
}

// A fresh file each time: nothing of an earlier test may be taken for this one's.
void WriteParameters(const char* ini, const TestParameters& parameters, bool otherConnection) {
  HANDLE file = CreateFileA(ini, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  WritePrivateProfileStringA(kSection, "WAPGatewayIP", parameters.wapGateway, ini);
  WritePrivateProfileStringA(kSection, "APN", parameters.apn, ini);
  WritePrivateProfileStringA(kSection, "APNLogin", parameters.apnLogin, ini);
  WritePrivateProfileStringA(kSection, "APNPass", parameters.apnPassword, ini);
  WritePrivateProfileStringA(kSection, "ModemName", parameters.modemName, ini);
  if (otherConnection) WritePrivateProfileStringA(kSection, "DialUpProfile", parameters.connection, ini);
}

// One run of the test copy behind the wait dialog; result is what it left.
void RunTestCopy(HWND page, const char* ini, char* result, size_t cap) {
  // A copy that never runs must not leave the previous attempt's result to be shown again.
  WritePrivateProfileStringA(kSection, "Result", nullptr, ini);
  HCURSOR previous = BeginBusyCursor();
  HWND wait = WaitDialog(page);
  if (wait) {
    SetForegroundWindow(wait);
    UpdateWindow(wait);
  }
  HANDLE process = IsVistaOrLater() ? Rights().runElevated(kSwitch) : Rights().runPlain(kSwitch);
  if (process) {
    WaitForSingleObject(process, kCopyWaitMs);
    CloseHandle(process);
  }
  if (wait && IsWindow(wait)) DestroyWindow(wait);
  EndBusyCursor(previous);
  char escaped[2 * kResultChars + 1];
  ReadIniText(ini, kSection, "Result", "", escaped, sizeof escaped);
  UnescapeResult(escaped, result, cap);
}

void ReadTestParameters(const char* ini, TestParameters* parameters) {
  constexpr size_t kRead = kParameterChars + 1;
  ReadIniText(ini, kSection, "WAPGatewayIP", "", parameters->wapGateway, kRead);
  ReadIniText(ini, kSection, "APN", "", parameters->apn, kRead);
  ReadIniText(ini, kSection, "APNLogin", "", parameters->apnLogin, kRead);
  ReadIniText(ini, kSection, "APNPass", "", parameters->apnPassword, kRead);
  ReadIniText(ini, kSection, "ModemName", "", parameters->modemName, kRead);
  ReadIniText(ini, kSection, "DialUpProfile", "", parameters->connection, kRead);
  if (!parameters->connection[0])
    FormatText(parameters->connection, sizeof parameters->connection, "%s%s", kModemConnectionPrefix,
               parameters->modemName);
}

// A modem that forgets the APN's context as soon as it is defined needs its
// driver to define it at every initialisation, which takes a restart. True
// when the user chose to restart now.
bool UpdateDriverAndRestart(const GprsLinkLibrary& link, const TestParameters& parameters) {
  const char* modem = ModemNamedByConnection(parameters.connection);
  if (!link.ModemGetCIDForAPN || !parameters.apn[0] || !modem) return false;
  if (link.ModemGetCIDForAPN(modem, parameters.apn, 0) != 0) return false;
  WORD defined = link.ModemGetCIDForAPN(modem, parameters.apn, 1);
  if (defined == 0 || link.ModemGetCIDForAPN(modem, parameters.apn, 0) == defined) return false;
  if (!link.ModemDriverUpdateInitStrings || !link.ModemDriverUpdateInitStrings(modem, parameters.apn)) return false;
  if (ShowMessage(nullptr, kRebootQuestion, MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES) return false;
  Rights().restartSystem();
  return true;
}

void DialAndHangUp(const GprsLinkLibrary& link, const TestParameters& parameters, DWORD allocation, char* result,
                   size_t cap) {
  int dialed = link.WSPRasDial(parameters.connection, parameters.apn, parameters.apnLogin, parameters.apnPassword,
                               parameters.wapGateway);
  if (dialed == 0) link.WSPRasHangUp(parameters.connection);
  link.ModemRelease(allocation);
  FormatDialResult(dialed, result, cap);
  size_t used = strlen(result);
  if (IsDialUpError(dialed) && link.WSPRasGetErrorString && used + 1 < cap) {
    link.WSPRasGetErrorString(static_cast<DWORD>(dialed), result + used, static_cast<DWORD>(cap - used));
    result[cap - 1] = '\0';
  }
}

}  // namespace

bool TestGprsConnection(HWND page) {
  TestParameters parameters = {};
  bool otherConnection = false;
  if (!ReadPageSettings(page, &parameters, &otherConnection)) return false;
  char ini[MAX_PATH];
  ModemTestIniPath(ini);
  WriteParameters(ini, parameters, otherConnection);
  bool passed = false;
  if (!IsVistaOrLater() || HasAdminRights() || ConfirmElevation()) {
    for (;;) {
      char result[kResultChars + 1];
      RunTestCopy(page, ini, result, sizeof result);
      if (!result[0]) break;
      if (ConnectionTestPassed(result)) {
        passed = true;
        ShowMessage(page, result, MB_OK | MB_ICONINFORMATION);
        break;
      }
      if (ShowMessage(page, result, MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY) break;
    }
  }
  DeleteFileA(ini);
  return passed;
}

void ModemConnectionTest() {
  char ini[MAX_PATH];
  ModemTestIniPath(ini);
  TestParameters parameters = {};
  ReadTestParameters(ini, &parameters);
  char result[kResultChars + 1];
  const GprsLinkLibrary* link = LoadGprsLinkLibrary();
  DWORD value = 0;
  DWORD allocation = link ? link->ModemAllocate(parameters.modemName, kAllocationWaitMs, &value) : 0;
  if (!link)
    CopyText(result, sizeof result, kResultInternalError);
  else if (!allocation)
    CopyText(result, sizeof result, kResultModemInUse);
  else if (UpdateDriverAndRestart(*link, parameters))
    CopyText(result, sizeof result, kResultRestart);  // the modem goes back when this process ends
  else
    DialAndHangUp(*link, parameters, allocation, result, sizeof result);
  char escaped[2 * kResultChars + 1];
  EscapeResult(result, escaped, sizeof escaped);
  WritePrivateProfileStringA(kSection, "Result", escaped, ini);
}
