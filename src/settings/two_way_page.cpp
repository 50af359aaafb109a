#include "settings/two_way_page.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"
#include "config/user_records.h"
#include "modem/connection_name.h"
#include "queues/queue_viewer.h"
#include "resources/page_ids.h"
#include "settings/command_editor.h"
#include "settings/mm7_dialog.h"
#include "settings/mm7_settings.h"
#include "settings/php_support.h"
#include "settings/two_way_entry.h"
#include "settings/two_way_rules.h"

namespace {

const PageProtocol kTwoWayProtocol = {CancelRule::AskWhenDirty, false};
const char kSection[] = "SMSGW";
const char kMm7Route[] = "zedsmslitemm7";
const char kDefaultCharset[] = "(default)";
const char kCommandKey[] = "ReceiveSMSCommand%u";
// Gaps in the numbered command keys are passed over up to here.
constexpr unsigned kCommandKeysAlwaysWalked = 201;
constexpr size_t kValueChars = 500;
constexpr size_t kCharsetNameChars = 499;
// "Modem - " and the name with every bracket written as four characters.
constexpr size_t kSectionChars = 8 + 4 * kModemNameChars + 1;
// Dialog units; the list shows prefix, command and flag in columns.
const INT kCommandTabStops[2] = {50, 300};
constexpr int kCommandListExtent = 1500;

struct TwoWayPageState {
  SheetContext* sheet;
  bool loading;
  // The local-user list has its empty first entry.
  bool usersListed;
};

TwoWayPageState* State(HWND page) { return DialogState<TwoWayPageState>(page); }
HWND CommandList(HWND page) { return GetDlgItem(page, IDC_RECV_COMMAND_TABLE); }
const char* SmsIni() { return g_configFiles.smsIni; }

LRESULT ComboMessage(HWND page, int id, UINT message, WPARAM wParam, const char* text) {
  return SendDlgItemMessageA(page, id, message, wParam, reinterpret_cast<LPARAM>(text));
}
int ComboSelection(HWND page, int id) { return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0)); }

// The selected entry's text; empty when there is none or it would not fit.
void ComboSelectedText(HWND page, int id, char* text, size_t cap) {
  text[0] = '\0';
  int index = ComboSelection(page, id);
  if (index < 0 || static_cast<size_t>(SendDlgItemMessageA(page, id, CB_GETLBTEXTLEN, index, 0)) >= cap) return;
  SendDlgItemMessageA(page, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
}

// A command's text; false (and empty) when it would not fit. Read as wide
// text and converted here: the system's own narrow copy of an item goes
// through a fixed 512-character buffer on some Windows implementations, and
// a command line is often longer than that.
bool ItemText(HWND list, int index, char* text, size_t cap) {
  text[0] = '\0';
  WCHAR wide[kTwoWayEntrySize];
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR || static_cast<size_t>(length) >= sizeof wide / sizeof wide[0]) return false;
  if (SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide)) == LB_ERR) return false;
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, text, static_cast<int>(cap), nullptr, nullptr) == 0) {
    text[0] = '\0';
    return false;
  }
  return true;
}

// The configured modem's connection section; false without a modem.
bool ModemSection(HWND page, char* section, size_t cap) {
  const char* modem = State(page)->sheet->currentModemName;
  if (!modem[0]) return false;
  ConnectionSectionName(modem, section, cap);
  return true;
}

void MarkChanged(HWND page) {
  if (!State(page)->loading) MarkPageChanged(page, State(page)->sheet);
}

TwoWayChoices ReadChoices(HWND page) {
  TwoWayChoices c = {};
  c.processSms = IsChecked(page, IDC_RECV_PROCESS_SMS);
  c.routeLocal = IsChecked(page, IDC_RECV_ROUTE_LOCAL);
  c.useCommands = IsChecked(page, IDC_RECV_USE_COMMANDS);
  c.userSelected = ComboSelection(page, IDC_RECV_LOCAL_USER) > 0;
  c.processMms = IsChecked(page, IDC_RECV_PROCESS_MMS);
  c.mmsRouteMm7 = IsChecked(page, IDC_RECV_MMS_ROUTE_MM7);
  return c;
}

void ShowChoices(HWND page, const TwoWayChoices& c) {
  CheckItem(page, IDC_RECV_PROCESS_SMS, c.processSms);
  CheckItem(page, IDC_RECV_ROUTE_LOCAL, c.routeLocal);
  CheckItem(page, IDC_RECV_USE_COMMANDS, c.useCommands);
  CheckItem(page, IDC_RECV_PROCESS_MMS, c.processMms);
  CheckItem(page, IDC_RECV_MMS_ROUTE_MM7, c.mmsRouteMm7);
  CheckItem(page, IDC_RECV_MMS_TO_DIRECTORY, !c.mmsRouteMm7);
}

void ApplyEnabling(HWND page) {
  TwoWayEnabling e = TwoWayEnablingOf(ReadChoices(page));
  EnableItem(page, IDC_RECV_ROUTE_LOCAL, e.routeChoice);
  EnableItem(page, IDC_RECV_USE_COMMANDS, e.routeChoice);
  EnableItem(page, IDC_RECV_LOCAL_USER, e.localUser);
  for (int id = IDC_RECV_COMMAND_TABLE_LABEL; id <= IDC_RECV_CHARSET; ++id) EnableItem(page, id, e.commandTable);
  EnableItem(page, IDC_RECV_PROCESS_MMS, e.processMms);
  EnableItem(page, IDC_RECV_MMS_TO_DIRECTORY, e.mmsRouteChoice);
  EnableItem(page, IDC_RECV_MMS_ROUTE_MM7, e.mmsRouteChoice);
  EnableItem(page, IDC_RECV_CONFIGURE_MM7, e.configureMm7);
}

// Adds the users with SMPP login that the list lacks; users are never taken
// away while the page lives. Nothing at all when the user file cannot be read.
void AddLocalUsers(HWND page, TwoWayPageState* state) {
  HANDLE file = nullptr;
  if (!SMSOpenUserFile(&file, GENERIC_READ)) return;
  if (!state->usersListed) {
    ComboMessage(page, IDC_RECV_LOCAL_USER, CB_ADDSTRING, 0, "");
    state->usersListed = true;
  }
  SmsUserRecord record;
  for (int index = 0; SMSGetUserRecord(file, index, &record); ++index) {
    UserAccount account;
    ReadUserAccount(record.bytes, &account);
    if (account.smppLogin && account.name[0] &&
        ComboMessage(page, IDC_RECV_LOCAL_USER, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), account.name) == CB_ERR)
      ComboMessage(page, IDC_RECV_LOCAL_USER, CB_ADDSTRING, 0, account.name);
  }
  SMSCloseUserFile(file);
}

// The modem's stored routing: selects its local user when listed. False
// for either without a modem.
void LoadModemRouting(HWND page, bool* userListed, bool* mmsRoutingMm7) {
  *userListed = *mmsRoutingMm7 = false;
  char section[kSectionChars];
  if (!ModemSection(page, section, sizeof section)) return;
  char value[kValueChars];
  ReadIniText(SmsIni(), section, "RouteLocal", "", value, sizeof value);
  LRESULT user = value[0] ? ComboMessage(page, IDC_RECV_LOCAL_USER, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), value)
                          : CB_ERR;
  if (user > 0) {
    SendDlgItemMessageA(page, IDC_RECV_LOCAL_USER, CB_SETCURSEL, user, 0);
    *userListed = true;
  }
  ReadIniText(SmsIni(), section, "MMSRouting", "", value, sizeof value);
  *mmsRoutingMm7 = EqualsNoCase(value, kMm7Route);
}

void LoadCharsets(HWND page) {
  ComboMessage(page, IDC_RECV_CHARSET, CB_ADDSTRING, 0, kDefaultCharset);
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "MIME\\Database\\Charset", 0, KEY_ENUMERATE_SUB_KEYS, &key) == ERROR_SUCCESS) {
    char name[kCharsetNameChars + 1];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      LONG status = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_SUCCESS)
        ComboMessage(page, IDC_RECV_CHARSET, CB_ADDSTRING, 0, name);
      else if (status != ERROR_MORE_DATA)  // a name too long is passed over
        break;
    }
    RegCloseKey(key);
  }
  char chosen[kValueChars];
  ReadIniText(SmsIni(), kSection, "ReceiveSMSCharset", "utf-8", chosen, sizeof chosen);
  LRESULT index = ComboMessage(page, IDC_RECV_CHARSET, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), chosen);
  SendDlgItemMessageA(page, IDC_RECV_CHARSET, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
}

void LoadCommands(HWND page) {
  HWND list = CommandList(page);
  SendMessageA(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(kCommandTabStops));
  SendMessageA(list, LB_SETHORIZONTALEXTENT, kCommandListExtent, 0);
  char key[32];
  char entry[kTwoWayEntrySize];
  for (unsigned n = 1;; ++n) {
    FormatText(key, sizeof key, kCommandKey, n);
    ReadIniText(SmsIni(), kSection, key, "", entry, sizeof entry);
    if (!entry[0]) {
      if (n > kCommandKeysAlwaysWalked) break;
      continue;
    }
    RepairTwoWayEntry(entry);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

void ShowPhpAddress(HWND page) {
  char line[MAX_PATH + 64];
  PreparePhpAddressLine(line, sizeof line);
  SetDlgItemTextA(page, IDC_RECV_PHP_ADDRESS, line);
}

// PHP stored as on counts as off while the PHP program cannot be found.
void LoadPhp(HWND page) {
  bool on = ReadIniSwitch(SmsIni(), kSection, "PHPEnable", "No") && LocatePhpProgram();
  CheckItem(page, IDC_RECV_PHP_ENABLE, on);
  EnableItem(page, IDC_RECV_PHP_ALLOW_REMOTE, on);
  if (on) ShowPhpAddress(page);
}

void Load(HWND page, TwoWayPageState* state) {
  state->loading = true;
  AddLocalUsers(page, state);
  bool userListed, mmsRoutingMm7;
  LoadModemRouting(page, &userListed, &mmsRoutingMm7);
  ShowChoices(page, TwoWayChoicesFromStored(ReadIniSwitch(SmsIni(), kSection, "ReceiveSMS", "No"),
                                            ReadIniSwitch(SmsIni(), kSection, "ReceiveMMS", "No"), userListed,
                                            mmsRoutingMm7));
  LoadCharsets(page);
  LoadCommands(page);
  ApplyEnabling(page);
  LoadPhp(page);
  CheckItem(page, IDC_RECV_PHP_ALLOW_REMOTE, ReadIniSwitch(SmsIni(), kSection, "PHPAllowRemote", "No"));
  state->loading = false;
}

void OnPhpSwitch(HWND page) {
  if (!IsChecked(page, IDC_RECV_PHP_ENABLE)) {
    SetDlgItemTextA(page, IDC_RECV_PHP_ADDRESS, "");
    EnableItem(page, IDC_RECV_PHP_ALLOW_REMOTE, false);
  } else if (LocatePhpProgram()) {
    EnableItem(page, IDC_RECV_PHP_ALLOW_REMOTE, true);
    ShowPhpAddress(page);
  } else {
    CheckItem(page, IDC_RECV_PHP_ENABLE, false);
    ShowMessage(page, kPhpNotAvailableMessage, MB_OK | MB_ICONERROR);
  }
}

// The first item other than skip whose prefix is the entry's, or -1.
int FindPrefix(HWND list, const char* entry, int skip) {
  char wanted[kTwoWayPrefixChars + 1];
  TwoWayEntryPrefix(entry, wanted, sizeof wanted);
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    char item[kTwoWayEntrySize];
    char prefix[kTwoWayPrefixChars + 1];
    if (index == skip || !ItemText(list, index, item, sizeof item)) continue;
    TwoWayEntryPrefix(item, prefix, sizeof prefix);
    if (EqualsNoCase(prefix, wanted)) return index;
  }
  return -1;
}

bool ConfirmReplace(HWND page, const char* entry) {
  char prefix[kTwoWayPrefixChars + 1];
  TwoWayEntryPrefix(entry, prefix, sizeof prefix);
  char question[kTwoWayPrefixChars + 64];
  FormatText(question, sizeof question, "Replace existing defintion for command prefix '%s'?", prefix);
  return ShowMessage(page, question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Edits until the entry's prefix is free or may replace the item holding
// it. The item to replace, -1 for none, or -2 when the editor was cancelled.
constexpr int kEditCancelled = -2;
int EditUntilPrefixSettled(HWND page, char* entry, size_t cap, int edited) {
  for (;;) {
    int clash = FindPrefix(CommandList(page), entry, edited);
    if (clash < 0 || ConfirmReplace(page, entry)) return clash;
    if (ShowCommandEditor(page, entry, cap) != IDOK) return kEditCancelled;
  }
}

void AddCommand(HWND page, const char* entry) {
  HWND list = CommandList(page);
  LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  SendMessageA(list, LB_SETCURSEL, index, 0);
  MarkChanged(page);
}

void OnAdd(HWND page) {
  char entry[kTwoWayEntrySize] = "";
  if (ShowCommandEditor(page, entry, sizeof entry) != IDOK) return;
  int replaced = EditUntilPrefixSettled(page, entry, sizeof entry, -1);
  if (replaced == kEditCancelled) return;
  if (replaced >= 0) SendMessageA(CommandList(page), LB_DELETESTRING, replaced, 0);
  AddCommand(page, entry);
}

void OnEdit(HWND page) {
  HWND list = CommandList(page);
  int edited = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  char entry[kTwoWayEntrySize];
  if (edited < 0 || !ItemText(list, edited, entry, sizeof entry) || !entry[0]) return;
  if (ShowCommandEditor(page, entry, sizeof entry) != IDOK) return;
  int replaced = EditUntilPrefixSettled(page, entry, sizeof entry, edited);
  if (replaced == kEditCancelled) return;
  // The later item first, so that the other keeps its index.
  if (replaced > edited) SendMessageA(list, LB_DELETESTRING, replaced, 0);
  SendMessageA(list, LB_DELETESTRING, edited, 0);
  if (replaced >= 0 && replaced < edited) SendMessageA(list, LB_DELETESTRING, replaced, 0);
  AddCommand(page, entry);
}

void OnRemove(HWND page) {
  HWND list = CommandList(page);
  int removed = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  if (removed < 0) return;
  int left = static_cast<int>(SendMessageA(list, LB_DELETESTRING, removed, 0));
  if (left > 0) SendMessageA(list, LB_SETCURSEL, removed < left ? removed : left - 1, 0);
  MarkChanged(page);
}

bool Mm7ServerConfigured() {
  char file[MAX_PATH];
  Mm7RouteFile(file, sizeof file);
  char server[kMm7ServerChars + 1];
  return ReadIniText(file, "VASP", "Server", "", server, sizeof server) > 0;
}

// Refuses to let the page go while a chosen route is incomplete.
bool RefusesToLeave(HWND page) {
  switch (TwoWayLeaveRefusal(ReadChoices(page), Mm7ServerConfigured())) {
    case TwoWayRefusal::kNone:
      return false;
    case TwoWayRefusal::kNoLocalUser:
      ShowMessage(page, "Please select a local user account to receive messages", MB_OK | MB_ICONERROR);
      SetFocus(GetDlgItem(page, IDC_RECV_LOCAL_USER));
      return true;
    case TwoWayRefusal::kMm7NotConfigured:
      ShowMessage(page, "MM7 Settings must be configured", MB_OK | MB_ICONERROR);
      SetFocus(GetDlgItem(page, IDC_RECV_CONFIGURE_MM7));
      return true;
  }
  return false;
}

void SaveCommands(HWND page) {
  HWND list = CommandList(page);
  unsigned count = static_cast<unsigned>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  char key[32];
  char entry[kTwoWayEntrySize];
  // As far as the table is read (every key up to 201, past it up to the
  // first empty one), so that no stale entry survives to be listed again.
  for (unsigned n = 1;; ++n) {
    FormatText(key, sizeof key, kCommandKey, n);
    if (n <= count) {
      ItemText(list, static_cast<int>(n - 1), entry, sizeof entry);
      WritePrivateProfileStringA(kSection, key, entry, SmsIni());
      continue;
    }
    bool present = ReadIniText(SmsIni(), kSection, key, "", entry, sizeof entry) > 0;
    if (!present && n > kCommandKeysAlwaysWalked) break;
    RemoveIniKey(SmsIni(), kSection, key);
  }
}

void Apply(HWND page) {
  TwoWayWrites writes = TwoWayWritesOf(ReadChoices(page));
  WriteIniYesNo(SmsIni(), kSection, "ReceiveSMS", writes.receiveSms);
  WriteIniYesNo(SmsIni(), kSection, "ReceiveMMS", writes.receiveMms);
  WriteIniYesNo(SmsIni(), kSection, "PHPEnable", IsChecked(page, IDC_RECV_PHP_ENABLE));
  WriteIniYesNo(SmsIni(), kSection, "PHPAllowRemote", IsChecked(page, IDC_RECV_PHP_ALLOW_REMOTE));
  char section[kSectionChars];
  bool modem = ModemSection(page, section, sizeof section);
  char value[kValueChars] = "";
  if (writes.keepLocalUser) ComboSelectedText(page, IDC_RECV_LOCAL_USER, value, sizeof value);
  if (modem) WriteIniTextOrRemove(SmsIni(), section, "RouteLocal", value);
  SaveCommands(page);
  value[0] = '\0';
  if (ComboSelection(page, IDC_RECV_CHARSET) > 0) ComboSelectedText(page, IDC_RECV_CHARSET, value, sizeof value);
  WriteIniTextOrRemove(SmsIni(), kSection, "ReceiveSMSCharset", value);
  if (modem)
    WriteIniTextOrRemove(SmsIni(), section, "MMSRouting", writes.mmsRoutingMm7 ? kMm7Route : "");
  State(page)->sheet->configDirty = false;
}

void OnCommand(HWND page, int control, int code) {
  switch (control) {
    case IDC_RECV_PROCESS_SMS:
    case IDC_RECV_ROUTE_LOCAL:
    case IDC_RECV_USE_COMMANDS:
    case IDC_RECV_PROCESS_MMS:
    case IDC_RECV_MMS_TO_DIRECTORY:
    case IDC_RECV_MMS_ROUTE_MM7:
      if (code != BN_CLICKED) break;
      ApplyEnabling(page);
      MarkChanged(page);
      break;
    case IDC_RECV_PHP_ALLOW_REMOTE:
      if (code == BN_CLICKED) MarkChanged(page);
      break;
    case IDC_RECV_PHP_ENABLE:
      if (code != BN_CLICKED) break;
      OnPhpSwitch(page);
      MarkChanged(page);
      break;
    case IDC_RECV_LOCAL_USER:
    case IDC_RECV_CHARSET:
      if (code == CBN_SELCHANGE) MarkChanged(page);
      break;
    case IDC_RECV_ADD: OnAdd(page); break;
    case IDC_RECV_EDIT: OnEdit(page); break;
    case IDC_RECV_REMOVE: OnRemove(page); break;
    case IDC_RECV_CONFIGURE_MM7: ShowMm7Dialog(page); break;
    case IDC_RECV_VIEW_SMS: ShowReceivedSms(page); break;
    case IDC_RECV_VIEW_MMS: ShowReceivedMms(page); break;
  }
}

bool OnNotify(HWND page, TwoWayPageState* state, const NMHDR* header) {
  switch (header->code) {
    case PSN_SETACTIVE:
      AddLocalUsers(page, state);
      SetDialogResult(page, 0);
      return true;
    case PSN_KILLACTIVE:
      SetDialogResult(page, RefusesToLeave(page) ? TRUE : FALSE);
      return true;
    case PSN_APPLY:
      Apply(page);
      SetDialogResult(page, PSNRET_NOERROR);
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK TwoWayPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  TwoWayPageState* state = AttachedPageState<TwoWayPageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      Load(page, state);
      return TRUE;
    case WM_COMMAND:
      OnCommand(page, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      if (OnNotify(page, state, reinterpret_cast<NMHDR*>(lParam))) return TRUE;
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kTwoWayProtocol, state->sheet);
}
