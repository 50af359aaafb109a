#include "settings/users_page.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"
#include "config/mmsacct_api.h"
#include "config/user_records.h"
#include "resources/page_ids.h"
#include "settings/user_editor.h"

namespace {

const PageProtocol kUsersProtocol = {CancelRule::AskWhenDirty, false};
const char kRoutingSection[] = "Inbound SMS Routing";
// Accounts added here stop at this many records in the user file.
constexpr int kUserLimit = 10;
constexpr UINT_PTR kListSubclassId = 1;
const char kUserFileBusy[] = "The user file is busy: a user could not be changed. Please try again.";

struct UsersPageState {
  SheetContext* sheet;
  HANDLE userFile;
  // The record last read, so that both columns of a row cost one read.
  int cachedIndex;
  SmsUserRecord cached;
  char display[101];
  bool loading;
  // Common controls of 4.70 and later supply rows on demand and select whole rows.
  bool extendedList;
};

HWND List(HWND page) { return GetDlgItem(page, IDC_USERS_LIST); }

bool CommonControlsExtended() {
  HMODULE library = GetModuleHandleA("comctl32.dll");
  auto getVersion =
      library ? reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(library, "DllGetVersion")) : nullptr;
  DLLVERSIONINFO version = {};
  version.cbSize = sizeof version;
  if (!getVersion || FAILED(getVersion(&version))) return false;
  return version.dwMajorVersion > 4 || (version.dwMajorVersion == 4 && version.dwMinorVersion >= 70);
}

bool ReadUser(UsersPageState* state, int index, SmsUserRecord* record) {
  if (index >= 0 && index == state->cachedIndex) {
    *record = state->cached;
    return true;
  }
  if (!SMSGetUserRecord(state->userFile, index, record)) return false;
  state->cached = *record;
  state->cachedIndex = index;
  return true;
}

const char* RecordName(const SmsUserRecord& record) { return reinterpret_cast<const char*>(record.bytes); }

int NextSelected(HWND list, int after) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}
int FirstSelected(HWND list) { return NextSelected(list, -1); }

// The user's own folder, USERS\<name> in the program data directory. A name
// that is not one plain folder name could reach outside USERS or another
// user's folder, so it has none.
bool UserFolder(const char* name, char* path) {
  if (!IsSafeFolderName(name)) return false;
  char relative[MAX_PATH];
  FormatText(relative, sizeof relative, "USERS\\%s", name);
  ProgramDataPath(relative, path, MAX_PATH);
  return true;
}

void MoveUserFolder(const char* oldName, const char* newName) {
  char from[MAX_PATH];
  char to[MAX_PATH];
  if (UserFolder(oldName, from) && UserFolder(newName, to)) MoveFileA(from, to);
}

// Everything kept under the name of a user who is gone. The MM7/EAIF twin
// goes too, so that a deleted user cannot still log in over MM7/EAIF.
void ForgetUserName(const char* name) {
  RemoveIniKey(g_configFiles.smsIni, kRoutingSection, name);
  VASPDeleteUser(name);
}

// Rows follow the user file: as many rows as records, texts read afresh.
void Refresh(HWND page, UsersPageState* state) {
  HWND list = List(page);
  int records = SMSGetRecordCount(state->userFile);
  if (state->extendedList) {
    SendMessageA(list, LVM_SETITEMCOUNT, records, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  } else {
    // Without rows on demand each row is an item that asks for its texts.
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = LPSTR_TEXTCALLBACKA;
    for (int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); rows < records; ++rows) {
      item.iItem = rows;
      if (SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0) break;
    }
  }
  state->cachedIndex = -1;
  int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
  int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  SendMessageA(list, LVM_REDRAWITEMS, top, top + perPage);
  UpdateWindow(list);
}

// In a dialog the Enter key would press the sheet's OK; in the list it edits.
LRESULT CALLBACK ListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE:
      return DialogCodeTakingEnter(list, wParam, lParam);
    case WM_CHAR:
      if (wParam == '\r') return 0;  // no type-ahead on the Enter key
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, ListKeyProc, kListSubclassId);
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

void SetUpList(HWND page, const UsersPageState& state) {
  HWND list = List(page);
  if (state.extendedList)
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  RECT client;
  GetClientRect(list, &client);
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = (client.right - client.left) / 2;
  column.pszText = const_cast<char*>("");
  for (int i = 0; i < 2; ++i) {  // user name, full name
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  SetWindowSubclass(list, ListKeyProc, kListSubclassId, 0);
}

void OnInitDialog(HWND page, UsersPageState* state) {
  state->cachedIndex = -1;
  state->loading = true;
  state->extendedList = CommonControlsExtended();
  CheckItem(page, IDC_USERS_WEB_AUTH, ReadIniSwitch(g_configFiles.smsIni, "SMSGW", "WebAuth", "No"));
  SMSOpenUserFile(&state->userFile, GENERIC_READ | GENERIC_WRITE);  // none on failure: every call then fails
  SetUpList(page, *state);
  Refresh(page, state);
  LVITEMA first = {};
  first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  first.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(List(page), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  state->loading = false;
}

void OnEdit(HWND page, UsersPageState* state) {
  SmsUserRecord old;
  if (!ReadUser(state, FirstSelected(List(page)), &old)) return;
  SmsUserRecord edited = old;
  // The editor has stored the record under its new name; a change of letter
  // case alone is the same user. The old name goes only once the new one is
  // stored, and keeps everything while its record cannot be removed.
  if (ShowUserEditor(page, &edited, state->userFile) == IDOK && !EqualsNoCase(RecordName(old), RecordName(edited))) {
    if (SMSDeleteUser(state->userFile, &old)) {
      MoveUserFolder(RecordName(old), RecordName(edited));
      ForgetUserName(RecordName(old));
    } else {
      ShowMessage(page, kUserFileBusy, MB_OK | MB_ICONERROR);
    }
  }
  state->cachedIndex = -1;
  Refresh(page, state);
}

void OnAdd(HWND page, UsersPageState* state) {
  if (SMSGetRecordCount(state->userFile) >= kUserLimit) {
    ShowMessage(page, "User Limit Exceeded", MB_OK | MB_ICONERROR);
    return;
  }
  SmsUserRecord record = {};
  if (ShowUserEditor(page, &record, state->userFile) != IDOK) return;
  state->cachedIndex = -1;
  Refresh(page, state);
}

void OnDelete(HWND page, UsersPageState* state) {
  HWND list = List(page);
  unsigned selected = static_cast<unsigned>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
  if (selected == 0) return;
  char question[64];
  if (selected == 1)
    CopyText(question, sizeof question, "Delete User?");
  else
    FormatText(question, sizeof question, "Delete %u users?", selected);
  if (ShowMessage(page, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  // Every selected record is read before any goes: a deletion moves the
  // later records up, so rows would no longer name them.
  std::vector<SmsUserRecord> chosen;
  for (int index = FirstSelected(list); index >= 0; index = NextSelected(list, index)) {
    SmsUserRecord record;
    if (ReadUser(state, index, &record)) chosen.push_back(record);
  }
  bool refused = false;
  for (const SmsUserRecord& record : chosen) {
    if (!SMSDeleteUser(state->userFile, &record)) {
      refused = true;
      continue;
    }
    char folder[MAX_PATH];
    if (UserFolder(RecordName(record), folder)) DeleteDirectoryTree(folder);
    ForgetUserName(RecordName(record));
  }
  // Rows keep their selection by index; the chosen rows are gone.
  LVITEMA none = {};
  none.stateMask = LVIS_SELECTED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  state->cachedIndex = -1;
  Refresh(page, state);
  if (refused) ShowMessage(page, kUserFileBusy, MB_OK | MB_ICONERROR);
}

void OnGetDisplayInfo(UsersPageState* state, NMLVDISPINFOA* info) {
  if (!(info->item.mask & LVIF_TEXT)) return;
  SmsUserRecord record;
  state->display[0] = '\0';
  if (ReadUser(state, info->item.iItem, &record)) {
    UserAccount account;
    ReadUserAccount(record.bytes, &account);
    CopyText(state->display, sizeof state->display, info->item.iSubItem == 0 ? account.name : account.fullName);
  }
  info->item.pszText = state->display;
}

// Type-ahead: the first user whose name begins with what was typed.
int FindTyped(UsersPageState* state, UINT flags, const char* typed) {
  if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || !typed) return -1;
  SmsUserRecord record;
  int index = SMSFindFirstUserRecord(state->userFile, typed, &record);
  if (index >= 0) {
    state->cached = record;
    state->cachedIndex = index;
  }
  return index;
}

int OnFindItem(UsersPageState* state, const NMHDR* header) {
  if (header->code == LVN_ODFINDITEMA) {
    const LVFINDINFOA& find = reinterpret_cast<const NMLVFINDITEMA*>(header)->lvfi;
    return FindTyped(state, find.flags, find.psz);
  }
  const LVFINDINFOW& find = reinterpret_cast<const NMLVFINDITEMW*>(header)->lvfi;
  char typed[kAccountNameWidth] = "";
  if (find.psz) WideCharToMultiByte(CP_ACP, 0, find.psz, -1, typed, sizeof typed - 1, nullptr, nullptr);
  return FindTyped(state, find.flags, find.psz ? typed : nullptr);
}

void OnListKey(HWND page, WORD key) {
  int command = 0;
  switch (key) {
    case VK_RETURN:
      command = IDC_USERS_EDIT;
      break;
    case VK_INSERT:
      command = IDC_USERS_ADD;
      break;
    case VK_DELETE:
      command = IDC_USERS_DELETE;
      break;
  }
  if (command) PostMessageA(page, WM_COMMAND, command, 0);
}

bool OnListNotify(HWND page, UsersPageState* state, const NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOA:
      OnGetDisplayInfo(state, reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header)));
      return true;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
      SetDialogResult(page, OnFindItem(state, header));
      return true;
    case LVN_KEYDOWN:
      OnListKey(page, reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
      return true;
    case NM_DBLCLK:
      PostMessageA(page, WM_COMMAND, IDC_USERS_EDIT, 0);
      return true;
  }
  return false;
}

bool OnNotify(HWND page, UsersPageState* state, const NMHDR* header) {
  if (header->idFrom == IDC_USERS_LIST) return OnListNotify(page, state, header);
  switch (header->code) {
    case PSN_SETACTIVE:
      Refresh(page, state);
      SetDialogResult(page, 0);
      return true;
    case PSN_APPLY:
      WriteIniYesNo(g_configFiles.smsIni, "SMSGW", "WebAuth", IsChecked(page, IDC_USERS_WEB_AUTH));
      SetDialogResult(page, PSNRET_NOERROR);
      return true;
  }
  return false;
}

void OnCommand(HWND page, UsersPageState* state, int control, int code) {
  switch (control) {
    case IDC_USERS_EDIT:
      OnEdit(page, state);
      break;
    case IDC_USERS_ADD:
      OnAdd(page, state);
      break;
    case IDC_USERS_DELETE:
      OnDelete(page, state);
      break;
    case IDC_USERS_WEB_AUTH:
      if (code == BN_CLICKED && !state->loading) MarkPageChanged(page, state->sheet);
      break;
  }
}

}  // namespace

INT_PTR CALLBACK UsersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  UsersPageState* state = AttachedPageState<UsersPageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(page, state);
      return TRUE;
    case WM_DESTROY:
      SMSCloseUserFile(state->userFile);
      return FALSE;
    case WM_COMMAND:
      OnCommand(page, state, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      if (OnNotify(page, state, reinterpret_cast<NMHDR*>(lParam))) return TRUE;
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kUsersProtocol, state->sheet);
}
