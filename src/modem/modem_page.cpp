#include "modem/modem_page.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstring>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"
#include "config/link_libraries.h"
#include "config/mmsacct_api.h"
#include "modem/connection_name.h"
#include "modem/gprs_check.h"
#include "modem/modem_selection.h"
#include "modem/modem_settings.h"
#include "resources/page_ids.h"

namespace {

const PageProtocol kModemProtocol = {CancelRule::AskWhenDirty, false};
// The gateway's own MM1 route over the modem, and its account.
const char kRouteName[] = "zedsmslite";
const char kRouteFolder[] = "VASPOUT\\zedsmslite\\";
const char kVaspSection[] = "VASP";
constexpr size_t kTextChars = 500;
// A modem name with every character a bracket written as \x5B or \x5D.
constexpr size_t kSectionCapacity = sizeof "Modem - " + 4 * kModemChoiceCapacity;

const char kUntestedQuestion[] =
    "MMS configuration settings have not been tested.\r\n\r\n"
    "Do you wish to test these settings before saving configuration changes?";

struct ModemPageState {
  SheetContext* sheet;
  // The controls are being filled: their notifications are no edits.
  bool loading;
  // Modem1 as this page last read or wrote it. Another value found there was
  // stored by the wizard's Select Modem page after the user went back to it.
  char storedModem[kModemChoiceCapacity];
};

// The MMS settings: their keys in the modem's section and in the route's VASP.INI.
struct MmsField {
  int id;
  const char* key;
  const char* routeKey;
};
const MmsField kMmsFields[] = {
    {IDC_MODEM_APN, "APN", "APN"},
    {IDC_MODEM_APN_LOGIN, "APNLogin", "APNLogin"},
    {IDC_MODEM_APN_PASSWORD, "APNPass", "APNPass"},
    {IDC_MODEM_WAP_GATEWAY, "WAPGatewayIP", "WAPGatewayIP"},
    {IDC_MODEM_MMS_URL, "MMSURL", "Server"},
};

ModemPageState* State(HWND page) { return DialogState<ModemPageState>(page); }
SheetContext& Sheet(HWND page) { return *State(page)->sheet; }

void ModemName(HWND page, char* name, size_t cap) { GetDlgItemTextA(page, IDC_MODEM_NAME, name, static_cast<int>(cap)); }

bool HasModem(HWND page) { return GetWindowTextLengthA(GetDlgItem(page, IDC_MODEM_NAME)) > 0; }

// The text of the selected entry of a list; empty when none is selected.
void SelectedEntry(HWND page, int id, char* text, size_t cap) {
  text[0] = '\0';
  LRESULT index = SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  LRESULT length = SendDlgItemMessageA(page, id, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR || static_cast<size_t>(length) >= cap) return;
  SendDlgItemMessageA(page, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
}

bool SelectExactEntry(HWND page, int id, const char* text) {
  LRESULT index =
      SendDlgItemMessageA(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  if (index == CB_ERR) return false;
  SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
  return true;
}

void EnableControls(HWND page) {
  ModemEnabling e = ModemEnablingOf({IsChecked(page, IDC_MODEM_RECEIVE_SMS), IsChecked(page, IDC_MODEM_SEND_MMS),
                                     IsChecked(page, IDC_MODEM_USE_NETWORK_CONNECTION)});
  EnableItem(page, IDC_MODEM_SMS_STORAGE_LABEL, e.smsStorage);
  EnableItem(page, IDC_MODEM_SMS_STORAGE, e.smsStorage);
  for (int id = IDC_MODEM_LOOKUP_OPERATOR; id <= IDC_MODEM_TEST_CONNECTION; ++id) EnableItem(page, id, e.mmsSettings);
  EnableItem(page, IDC_MODEM_RECEIVE_MMS, e.receiveMms);
  EnableItem(page, IDC_MODEM_NETWORK_CONNECTION_LABEL, e.networkConnection);
  EnableItem(page, IDC_MODEM_NETWORK_CONNECTION, e.networkConnection);
}

void MarkChanged(HWND page) {
  if (!State(page)->loading) MarkPageChanged(page, State(page)->sheet);
}

bool TestSettings(HWND page) {
  bool passed = TestGprsConnection(page);
  if (passed) Sheet(page).mmsSettingsTested = true;
  return passed;
}

void CheckSmsAccess(HWND page, SmsAccess access) {
  int id = access == SmsAccess::kGprs ? IDC_MODEM_SMS_ACCESS_GPRS
           : access == SmsAccess::kGsm ? IDC_MODEM_SMS_ACCESS_GSM
                                        : IDC_MODEM_SMS_ACCESS_DEFAULT;
  CheckRadioButton(page, IDC_MODEM_SMS_ACCESS_DEFAULT, IDC_MODEM_SMS_ACCESS_GPRS, id);
}

SmsAccess CheckedSmsAccess(HWND page) {
  if (IsChecked(page, IDC_MODEM_SMS_ACCESS_GPRS)) return SmsAccess::kGprs;
  if (IsChecked(page, IDC_MODEM_SMS_ACCESS_GSM)) return SmsAccess::kGsm;
  return SmsAccess::kDefault;
}

void LoadModemSection(HWND page, const char* modem) {
  char section[kSectionCapacity];
  ConnectionSectionName(modem, section, sizeof section);
  const char* ini = g_configFiles.smsIni;
  char value[kTextChars + 1];
  ReadIniText(ini, section, "PIN", "", value, sizeof value);
  SetDlgItemTextA(page, IDC_MODEM_PIN, value);
  ReadIniText(ini, section, "ReceiveTo", "", value, sizeof value);
  SendDlgItemMessageA(page, IDC_MODEM_SMS_STORAGE, CB_SETCURSEL, StorageIndexOfValue(value), 0);
  CheckItem(page, IDC_MODEM_RECEIVE_SMS, ReadIniSwitch(ini, section, "ReceiveSMS", "Yes"));
  ReadIniText(ini, section, "SMSAccess", "", value, sizeof value);
  CheckSmsAccess(page, SmsAccessOfValue(value));
  CheckItem(page, IDC_MODEM_RECEIVE_MMS, ReadIniSwitch(ini, section, "ReceiveMMS", "No"));
  for (const MmsField& field : kMmsFields) {
    ReadIniText(ini, section, field.key, "", value, sizeof value);
    SetDlgItemTextA(page, field.id, value);
  }
  ReadIniText(ini, section, "DialUpProfile", "", value, sizeof value);
  char standard[kModemConnectionPrefixLength + kModemChoiceCapacity];
  FormatText(standard, sizeof standard, "%s%s", kModemConnectionPrefix, modem);
  if (value[0] && !EqualsNoCase(value, standard) && SelectExactEntry(page, IDC_MODEM_NETWORK_CONNECTION, value))
    CheckItem(page, IDC_MODEM_USE_NETWORK_CONNECTION, true);
}

// Shows Modem1 with its settings.
void ShowStoredModem(HWND page) {
  State(page)->loading = true;
  char modem[kModemChoiceCapacity];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "Modem1", "", modem, sizeof modem);
  CopyText(State(page)->storedModem, sizeof State(page)->storedModem, modem);
  if (!IsModemConnectionName(modem)) modem[0] = '\0';
  SetDlgItemTextA(page, IDC_MODEM_NAME, modem);
  CopyText(Sheet(page).currentModemName, sizeof Sheet(page).currentModemName, modem);
  // What a section without these keys reads as, for a modem still to be chosen too.
  CheckSmsAccess(page, SmsAccess::kDefault);
  CheckItem(page, IDC_MODEM_RECEIVE_SMS, true);
  CheckItem(page, IDC_MODEM_USE_NETWORK_CONNECTION, false);
  if (modem[0]) LoadModemSection(page, modem);

  bool hasUrl = GetWindowTextLengthA(GetDlgItem(page, IDC_MODEM_MMS_URL)) > 0;
  CheckItem(page, IDC_MODEM_SEND_MMS, hasUrl);
  EnableControls(page);
  if (!IsWindowEnabled(GetDlgItem(page, IDC_MODEM_RECEIVE_MMS)))
    CheckItem(page, IDC_MODEM_RECEIVE_MMS, false);
  State(page)->loading = false;
}

// True when Modem1 is no longer what this page last read or wrote.
bool StoredModemChanged(HWND page) {
  char modem[kModemChoiceCapacity];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "Modem1", "", modem, sizeof modem);
  return strcmp(modem, State(page)->storedModem) != 0;
}

void Load(HWND page) {
  State(page)->loading = true;
  for (const char* name : kStorageNames)
    SendDlgItemMessageA(page, IDC_MODEM_SMS_STORAGE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  SendDlgItemMessageA(page, IDC_MODEM_SMS_STORAGE, CB_SETCURSEL, 0, 0);
  const GprsLinkLibrary* link = LoadGprsLinkLibrary();
  if (link) link->RasLoadListOrComboBox(page, IDC_MODEM_NETWORK_CONNECTION, CB_ADDSTRING);

  ShowStoredModem(page);
}

void ChangeModem(HWND page) {
  char choice[kModemChoiceCapacity];
  if (ShowAddModemDialog(page, choice) != 1 || !choice[0]) return;
  char name[kModemChoiceCapacity];
  char pin[kModemChoiceCapacity];
  SplitModemChoice(choice, name, sizeof name, pin, sizeof pin);
  char shown[kModemChoiceCapacity];
  ModemName(page, shown, sizeof shown);
  if (!EqualsNoCase(name, shown)) {
    CopyText(Sheet(page).currentModemName, sizeof Sheet(page).currentModemName, name);
    SetDlgItemTextA(page, IDC_MODEM_NAME, name);
    MarkChanged(page);
    Sheet(page).mmsSettingsTested = false;
    // Another connection chosen for the old modem is not this one's.
    CheckItem(page, IDC_MODEM_USE_NETWORK_CONNECTION, false);
    EnableControls(page);
  }
  char typed[kTextChars + 1];
  GetDlgItemTextA(page, IDC_MODEM_PIN, typed, sizeof typed);
  if (!EqualsNoCase(pin, typed)) {
    SetDlgItemTextA(page, IDC_MODEM_PIN, pin);
    MarkChanged(page);
  }
}

void LookupOperatorSettings(HWND page) {
  char values[5][kOperatorFieldSize] = {};
  if (!ChooseOperatorSettings(page, values[0], values[1], values[2], values[3], values[4])) return;
  for (int i = 0; i < 4; ++i)
    if (SetDlgItemTextIfChanged(page, kMmsFields[i].id, values[i])) Sheet(page).mmsSettingsTested = false;
  SetDlgItemTextA(page, IDC_MODEM_MMS_URL, values[4]);
}

// Untested MMS settings: offers the test first. False when the user cancelled.
bool OfferUntestedSettingsTest(HWND page) {
  SheetContext& sheet = Sheet(page);
  if (!IsChecked(page, IDC_MODEM_SEND_MMS) || sheet.mmsSettingsTested) return true;
  int answer = ShowMessage(page, kUntestedQuestion, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES)
    TestSettings(page);
  else if (answer == IDNO)
    sheet.mmsSettingsTested = true;
  return answer == IDYES || answer == IDNO;
}

// VASPOUT\zedsmslite\VASP.INI, with its folders and the file made when missing.
void PrepareRouteFile(char* path) {
  char folder[MAX_PATH];
  ProgramDataPath(kRouteFolder, folder, sizeof folder);
  CreateDirectoryPath(folder);
  FormatText(path, MAX_PATH, "%sVASP.INI", folder);
  CreateFileIfMissing(path);
}

void WriteDataConnection(HWND page, const char* modem, const char* section, const char* routeIni) {
  char entry[kTextChars + 1];
  SelectedEntry(page, IDC_MODEM_NETWORK_CONNECTION, entry, sizeof entry);
  char useModem[kTextChars + 1];
  char profile[kModemConnectionPrefixLength + kTextChars + 1];
  ChooseDataConnection(IsChecked(page, IDC_MODEM_USE_NETWORK_CONNECTION), entry, modem, useModem, sizeof useModem,
                       profile, sizeof profile);
  const char* files[] = {g_configFiles.smsIni, routeIni};
  const char* sections[] = {section, kVaspSection};
  for (int i = 0; i < 2; ++i) {
    WriteIniTextOrRemove(files[i], sections[i], "UseModem", useModem);
    WriteIniTextOrRemove(files[i], sections[i], "DialUpProfile", profile);
  }
}

void WriteSmsSettings(HWND page, const char* section) {
  const char* ini = g_configFiles.smsIni;
  char pin[kTextChars + 1];
  GetDlgItemTextA(page, IDC_MODEM_PIN, pin, sizeof pin);
  WriteIniTextOrRemove(ini, section, "PIN", pin);
  LRESULT storage = SendDlgItemMessageA(page, IDC_MODEM_SMS_STORAGE, CB_GETCURSEL, 0, 0);
  WriteIniTextOrRemove(ini, section, "ReceiveTo", StorageValueOfIndex(static_cast<int>(storage)));
  WriteIniYesNo(ini, section, "ReceiveSMS", IsChecked(page, IDC_MODEM_RECEIVE_SMS));
  WriteIniTextOrRemove(ini, section, "SMSAccess", SmsAccessValue(CheckedSmsAccess(page)));
  WriteIniYesNo(ini, section, "ReceiveMMS", IsChecked(page, IDC_MODEM_RECEIVE_MMS));
}

// Without MMS over the modem the route goes; the modem's own MMS keys stay,
// so the settings come back when MMS is switched on again.
void WriteMmsSettings(HWND page, const char* section, const char* routeIni) {
  if (!IsChecked(page, IDC_MODEM_SEND_MMS)) {
    WritePrivateProfileStringA(kVaspSection, nullptr, nullptr, routeIni);
    return;
  }
  for (const MmsField& field : kMmsFields) {
    char text[kTextChars + 1];
    GetDlgItemTextA(page, field.id, text, sizeof text);
    WriteIniTextOrRemove(g_configFiles.smsIni, section, field.key, text);
    WriteIniTextOrRemove(routeIni, kVaspSection, field.routeKey, text);
  }
}

void WriteSettings(HWND page, const char* modem) {
  VaspAccountRecord route = {};
  CopyText(reinterpret_cast<char*>(route.bytes), sizeof route.bytes, kRouteName);
  VASPOutAddUser(&route);
  WritePrivateProfileStringA("SMSGW", "Modem1", modem, g_configFiles.smsIni);
  CopyText(State(page)->storedModem, sizeof State(page)->storedModem, modem);
  WritePrivateProfileStringA("MMSC", "DefaultOutboundRoute", kRouteName, g_configFiles.mmscIni);
  char routeIni[MAX_PATH];
  PrepareRouteFile(routeIni);
  WritePrivateProfileStringA(kVaspSection, "Protocol", "MM1", routeIni);
  WritePrivateProfileStringA(kVaspSection, "ForceSenderAddress", "Yes", routeIni);
  char section[kSectionCapacity];
  ConnectionSectionName(modem, section, sizeof section);
  WritePrivateProfileStringA(section, "UseDial", "Yes", g_configFiles.smsIni);
  WritePrivateProfileStringA(kVaspSection, "UseDial", "Yes", routeIni);
  WriteDataConnection(page, modem, section, routeIni);
  WriteSmsSettings(page, section);
  WriteMmsSettings(page, section, routeIni);
}

// False when the apply is refused.
bool Apply(HWND page) {
  SheetContext& sheet = Sheet(page);
  bool wasDirty = sheet.configDirty;
  sheet.configDirty = false;
  if (!OfferUntestedSettingsTest(page)) {
    // Nothing was saved: the sheet must still warn before the edits are dropped.
    sheet.configDirty = wasDirty;
    return false;
  }
  char modem[kModemChoiceCapacity];
  ModemName(page, modem, sizeof modem);
  if (modem[0]) WriteSettings(page, modem);
  return true;
}

bool MayLeave(HWND page) {
  if (!HasModem(page)) {
    AskForModem(page);
    return false;
  }
  return OfferUntestedSettingsTest(page);
}

// The wizard goes on only with MMS settings that passed the test.
bool WizardNext(HWND page) {
  if (!HasModem(page)) {
    AskForModem(page);
    return false;
  }
  if (IsChecked(page, IDC_MODEM_SEND_MMS)) {
    Sheet(page).mmsSettingsTested = false;
    if (!TestSettings(page)) return false;
  }
  return Apply(page);
}

void OnUseNetworkConnection(HWND page) {
  MarkChanged(page);
  if (IsChecked(page, IDC_MODEM_USE_NETWORK_CONNECTION)) {
    char own[kModemConnectionPrefixLength + kModemNameChars + 1];
    FormatText(own, sizeof own, "%s%s", kModemConnectionPrefix, Sheet(page).currentModemName);
    SelectExactEntry(page, IDC_MODEM_NETWORK_CONNECTION, own);
  }
  EnableControls(page);
}

void OnCommand(HWND page, int id, int code) {
  switch (id) {
    case IDC_MODEM_PIN:
    case IDC_MODEM_MMS_URL:
      if (code == EN_CHANGE) MarkChanged(page);
      break;
    case IDC_MODEM_APN:
    case IDC_MODEM_APN_LOGIN:
    case IDC_MODEM_APN_PASSWORD:
    case IDC_MODEM_WAP_GATEWAY:
      if (code == EN_CHANGE && !State(page)->loading) {
        MarkChanged(page);
        Sheet(page).mmsSettingsTested = false;
      }
      break;
    case IDC_MODEM_SMS_ACCESS_DEFAULT:
    case IDC_MODEM_SMS_ACCESS_GSM:
    case IDC_MODEM_SMS_ACCESS_GPRS:
      if (code == BN_CLICKED) MarkChanged(page);
      break;
    case IDC_MODEM_RECEIVE_SMS:
    case IDC_MODEM_RECEIVE_MMS:
    case IDC_MODEM_SEND_MMS:
      if (code == BN_CLICKED) {
        MarkChanged(page);
        EnableControls(page);
      }
      break;
    case IDC_MODEM_USE_NETWORK_CONNECTION:
      if (code == BN_CLICKED) OnUseNetworkConnection(page);
      break;
    case IDC_MODEM_SMS_STORAGE:
    case IDC_MODEM_NETWORK_CONNECTION:
      if (code == CBN_SELCHANGE) MarkChanged(page);
      break;
    case IDC_MODEM_CHANGE:
      if (code == BN_CLICKED) ChangeModem(page);
      break;
    case IDC_MODEM_LOOKUP_OPERATOR:
      if (code == BN_CLICKED) LookupOperatorSettings(page);
      break;
    case IDC_MODEM_TEST_CONNECTION:
      if (code == BN_CLICKED) TestSettings(page);
      break;
  }
}

bool OnNotify(HWND page, const NMHDR* header) {
  switch (header->code) {
    case PSN_SETACTIVE:
      // A modem tested since on the wizard's first page replaces the one shown,
      // so that Next does not apply the old one over it.
      if (StoredModemChanged(page)) {
        ShowStoredModem(page);
        Sheet(page).mmsSettingsTested = false;
      }
      PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | PSWIZB_NEXT);
      SetDialogResult(page, 0);
      return true;
    case PSN_KILLACTIVE: {
      bool mayLeave = MayLeave(page);
      SetDialogResult(page, mayLeave ? FALSE : TRUE);
      return true;
    }
    case PSN_APPLY: {
      bool applied = Apply(page);
      SetDialogResult(page, applied ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
      return true;
    }
    case PSN_WIZNEXT: {
      bool next = WizardNext(page);
      SetDialogResult(page, next ? 0 : -1);
      return true;
    }
  }
  return false;
}

}  // namespace

void AskForModem(HWND page) {
  ShowMessage(page, "Please select a modem", MB_OK | MB_ICONERROR);
  HWND change = GetDlgItem(page, IDC_MODEM_CHANGE);
  SetFocus(change);
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_MODEM_CHANGE, BN_CLICKED), reinterpret_cast<LPARAM>(change));
}

bool OtherConnectionChosen(HWND page, char* entry, size_t cap) {
  char modem[kModemChoiceCapacity];
  ModemName(page, modem, sizeof modem);
  SelectedEntry(page, IDC_MODEM_NETWORK_CONNECTION, entry, cap);
  return UsesOtherConnection(IsChecked(page, IDC_MODEM_USE_NETWORK_CONNECTION), entry, modem);
}

INT_PTR CALLBACK ModemPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  ModemPageState* state = AttachedPageState<ModemPageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      Load(page);
      return TRUE;
    case WM_COMMAND:
      OnCommand(page, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      if (OnNotify(page, reinterpret_cast<NMHDR*>(lParam))) return TRUE;
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kModemProtocol, state->sheet);
}
