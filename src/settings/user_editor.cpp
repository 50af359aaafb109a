#include "settings/user_editor.h"

#include <cstring>

#include "common/dialog_state.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/mmsacct_api.h"
#include "config/user_records.h"
#include "resources/user_editor_ids.h"

namespace {

const char kRoutingSection[] = "Inbound SMS Routing";
// A routing entry is free text of up to 32767 characters.
constexpr size_t kRoutingChars = 32767;
constexpr int kIpRestrictionChars = 49;
const char* const kWebMenuOptions[] = {"All Options Enabled", "Text SMS Only"};

struct UserEditorState {
  SmsUserRecord* record;
  HANDLE userFile;
  // The name the editor was opened with: keeping it is no clash.
  char openedName[kAccountNameWidth];
};

UserEditorState* State(HWND dialog) { return DialogState<UserEditorState>(dialog); }

char* AllocateRoutingText() {
  return static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kRoutingChars + 1));
}
void FreeRoutingText(char* text) { HeapFree(GetProcessHeap(), 0, text); }

// The menu and the admin switch belong to web login.
void EnableWebOptions(HWND dialog) {
  bool web = IsChecked(dialog, IDC_USERINFO_WEB_LOGIN);
  EnableItem(dialog, IDC_USERINFO_WEB_MENU, web);
  EnableItem(dialog, IDC_USERINFO_WEB_MENU_LABEL, web);
  EnableItem(dialog, IDC_USERINFO_ADMIN, web);
}

void EnableRouting(HWND dialog, bool on) {
  EnableItem(dialog, IDC_USERINFO_ROUTING_LABEL, on);
  EnableItem(dialog, IDC_USERINFO_ROUTING, on);
}

// A user with SMPP login shows the routing entry that already exists.
void LoadRouting(HWND dialog, const UserAccount& account) {
  SendDlgItemMessageA(dialog, IDC_USERINFO_ROUTING, EM_LIMITTEXT, kRoutingChars, 0);
  bool shown = false;
  char* routing = account.smppLogin && account.name[0] ? AllocateRoutingText() : nullptr;
  if (routing) {
    ReadIniText(g_configFiles.smsIni, kRoutingSection, account.name, "", routing, kRoutingChars + 1);
    if (routing[0]) {
      CheckItem(dialog, IDC_USERINFO_ACCEPT_RECEIVED, true);
      SetDlgItemTextA(dialog, IDC_USERINFO_ROUTING, routing);
      shown = true;
    }
    FreeRoutingText(routing);
  }
  if (!shown) EnableRouting(dialog, false);
}

void LoadWebMenu(HWND dialog, unsigned index) {
  for (const char* option : kWebMenuOptions)
    SendDlgItemMessageA(dialog, IDC_USERINFO_WEB_MENU, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option));
  // An index beyond the entries leaves the box without a selection.
  SendDlgItemMessageA(dialog, IDC_USERINFO_WEB_MENU, CB_SETCURSEL, index, 0);
}

void OnInitDialog(HWND dialog, UserEditorState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  UserAccount account;
  ReadUserAccount(state->record->bytes, &account);
  CopyText(state->openedName, sizeof state->openedName, account.name);
  SetDlgItemTextA(dialog, IDC_USERINFO_NAME, account.name);
  SetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, account.password);
  SetDlgItemTextA(dialog, IDC_USERINFO_FULL_NAME, account.fullName);
  CheckItem(dialog, IDC_USERINFO_WEB_LOGIN, account.webLogin);
  CheckItem(dialog, IDC_USERINFO_SMPP_LOGIN, account.smppLogin);
  CheckItem(dialog, IDC_USERINFO_ACCEPT_RECEIVED, account.acceptReceived);
  VaspAccountRecord vasp;
  CheckItem(dialog, IDC_USERINFO_MM7_LOGIN, account.name[0] && VASPFindUserRecord(account.name, &vasp));
  EnableWebOptions(dialog);
  LoadRouting(dialog, account);
  SetDlgItemTextA(dialog, IDC_USERINFO_IP_RESTRICTION, account.ipRestriction);
  SendDlgItemMessageA(dialog, IDC_USERINFO_IP_RESTRICTION, EM_LIMITTEXT, kIpRestrictionChars, 0);
  LoadWebMenu(dialog, account.webMenuIndex);
  CheckItem(dialog, IDC_USERINFO_ADMIN, account.webLogin && account.adminAccess);
}

void Refuse(HWND dialog, const char* message) {
  ShowMessage(dialog, message, MB_OK | MB_ICONERROR);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_USERINFO_NAME)), TRUE);
}

// The name must be given, storable, and not another user's.
bool NameAccepted(HWND dialog, const UserEditorState& state, const char* name) {
  if (!name[0]) {
    Refuse(dialog, "Field is required!");
    return false;
  }
  if (!IsValidAccountName(name)) {
    Refuse(dialog, "A user name cannot contain control characters.");
    return false;
  }
  SmsUserRecord existing;
  if (!EqualsNoCase(name, state.openedName) && SMSFindUserRecord(state.userFile, name, &existing)) {
    char message[128];
    FormatText(message, sizeof message, "User %s is already defined.", name);
    Refuse(dialog, message);
    return false;
  }
  return true;
}

// The routing entry exists while received messages are accepted and it names addresses.
void StoreRouting(HWND dialog, const UserAccount& account) {
  if (!account.acceptReceived) {
    RemoveIniKey(g_configFiles.smsIni, kRoutingSection, account.name);
    return;
  }
  char* routing = AllocateRoutingText();
  if (!routing) return;
  GetDlgItemTextA(dialog, IDC_USERINFO_ROUTING, routing, kRoutingChars + 1);
  WriteIniTextOrRemove(g_configFiles.smsIni, kRoutingSection, account.name, routing);
  FreeRoutingText(routing);
}

// The MM7/EAIF twin keeps what the MMS library stored in it beyond our fields.
void StoreVaspAccount(HWND dialog, const UserAccount& account) {
  if (!IsChecked(dialog, IDC_USERINFO_MM7_LOGIN)) {
    VASPDeleteUser(account.name);
    return;
  }
  VaspAccountRecord vasp;
  if (!VASPFindUserRecord(account.name, &vasp)) memset(&vasp, 0, sizeof vasp);
  FillVaspAccount(account, vasp.bytes);
  VASPAddUser(&vasp);
}

void OnOk(HWND dialog, UserEditorState* state) {
  UserAccount account = {};
  GetDlgItemTextA(dialog, IDC_USERINFO_NAME, account.name, sizeof account.name);
  GetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, account.password, sizeof account.password);
  GetDlgItemTextA(dialog, IDC_USERINFO_FULL_NAME, account.fullName, sizeof account.fullName);
  account.webLogin = IsChecked(dialog, IDC_USERINFO_WEB_LOGIN);
  account.smppLogin = IsChecked(dialog, IDC_USERINFO_SMPP_LOGIN);
  if (!NameAccepted(dialog, *state, account.name)) return;
  GetDlgItemTextA(dialog, IDC_USERINFO_IP_RESTRICTION, account.ipRestriction, sizeof account.ipRestriction);
  LRESULT menu = SendDlgItemMessageA(dialog, IDC_USERINFO_WEB_MENU, CB_GETCURSEL, 0, 0);
  account.webMenuIndex = menu == CB_ERR ? 0 : static_cast<unsigned>(menu);
  account.adminAccess = IsChecked(dialog, IDC_USERINFO_ADMIN);
  account.acceptReceived = IsChecked(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
  // The record first: routing and the MM7/EAIF account only for a user that exists.
  SmsUserRecord record = *state->record;
  WriteUserAccount(account, record.bytes);
  if (!SMSAddUser(state->userFile, &record)) {
    ShowMessage(dialog, "The user file is busy: the user was not saved. Please try again.", MB_OK | MB_ICONERROR);
    return;
  }
  *state->record = record;
  StoreRouting(dialog, account);
  StoreVaspAccount(dialog, account);
  EndDialog(dialog, IDOK);
}

void OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK:
      OnOk(dialog, State(dialog));
      break;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      break;
    case IDC_USERINFO_WEB_LOGIN:
      if (code == BN_CLICKED) EnableWebOptions(dialog);
      break;
    case IDC_USERINFO_SMPP_LOGIN:
    case IDC_USERINFO_ACCEPT_RECEIVED:
      if (code == BN_CLICKED) EnableRouting(dialog, IsChecked(dialog, IDC_USERINFO_ACCEPT_RECEIVED));
      break;
  }
}

INT_PTR CALLBACK UserEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<UserEditorState*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (State(dialog)) OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowUserEditor(HWND owner, SmsUserRecord* record, HANDLE userFile) {
  UserEditorState state = {record, userFile, ""};
  return DialogBoxParamA(GetModuleHandleA(nullptr), "DIALOG_USERINFO", owner, UserEditorProc,
                         reinterpret_cast<LPARAM>(&state));
}
