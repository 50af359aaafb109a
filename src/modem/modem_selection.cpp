#include "modem/modem_selection.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/link_libraries.h"
#include "modem/connection_name.h"
#include "modem/modem_check.h"
#include "modem/modem_lines.h"
#include "resources/page_ids.h"

namespace {

constexpr size_t kDialogPinChars = 19;
constexpr size_t kWizardPinChars = 49;
constexpr DWORD kAllocationWaitLimit = 60;
constexpr UINT kRefreshList = WM_APP + 1;
constexpr UINT_PTR kActivationSubclass = 1;

const char kNotListed[] =
    "To use a modem with this application, a Windows modem driver must be installed.\r\n\r\n"
    "To add a Windows modem driver, go to the Windows Control Panel, select 'Phone and Modem Options', "
    "then 'Modems.\r\n\r\nAfter defining the modem, return to the ZedSMS Setup.";

// Selects the entry that matches the name exactly, else the first one.
void SelectModem(HWND dialog, const char* name) {
  HWND list = GetDlgItem(dialog, IDC_ADDMODEM_LIST);
  LRESULT index = name[0] ? SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(name))
                          : CB_ERR;
  SendMessageA(list, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
}

// What the dialog and the wizard page keep between fillings of their list.
struct ModemListState {
  // The list is filled again on every activation, and closing the failure's
  // box activates the dialog again: one failure, one box.
  bool telephonyFailureShown;
};

void FillModemList(HWND dialog, ModemListState* list, const char* select) {
  SendDlgItemMessageA(dialog, IDC_ADDMODEM_LIST, CB_RESETCONTENT, 0, 0);
  // Marked before listing: the box's own modal loop activates and fills again.
  bool alreadyShown = list->telephonyFailureShown;
  list->telephonyFailureShown = true;
  if (ListModems(dialog, IDC_ADDMODEM_LIST, !alreadyShown)) list->telephonyFailureShown = alreadyShown;
  SelectModem(dialog, select);
}

void FillWithConfiguredModem(HWND dialog, ModemListState* list) {
  char configured[kModemChoiceCapacity];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "Modem1", "", configured, sizeof configured);
  FillModemList(dialog, list, configured);
}

// The selected entry's text; with firstWhenNone, the first entry when nothing is selected.
void SelectedModem(HWND dialog, bool firstWhenNone, char* name, size_t cap) {
  name[0] = '\0';
  HWND list = GetDlgItem(dialog, IDC_ADDMODEM_LIST);
  LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR && firstWhenNone) index = 0;
  if (index == CB_ERR) return;
  LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR || static_cast<size_t>(length) >= cap) return;
  SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name));
}

// A modem driver installed meanwhile shows up when the user comes back.
void RefreshModemList(HWND dialog, ModemListState* list) {
  char selected[kModemChoiceCapacity];
  SelectedModem(dialog, false, selected, sizeof selected);
  FillModemList(dialog, list, selected);
}

void ReadPin(HWND dialog, size_t maxChars, char* pin, size_t cap) {
  char typed[64];
  GetDlgItemTextA(dialog, IDC_ADDMODEM_PIN, typed, sizeof typed);
  CopyTextMax(pin, cap, typed, maxChars);
}

// Borrows the modem from a running gateway service for the test; 0 when not borrowed.
DWORD AllocateModem(HWND dialog, const char* name) {
  const GprsLinkLibrary* link = LoadGprsLinkLibrary();
  if (!link) return 0;
  HCURSOR previous = BeginBusyCursor();
  DWORD value = 0;
  DWORD allocation = link->ModemAllocate(name, kAllocationWaitLimit, &value);
  EndBusyCursor(previous);
  if (!allocation)
    ShowMessage(dialog, "Modem is in use by the ZedSMS service.\r\n\r\nPlease try again later.",
                MB_OK | MB_ICONERROR);
  return allocation;
}

void ReleaseModem(DWORD allocation) {
  const GprsLinkLibrary* link = LoadGprsLinkLibrary();
  if (allocation && link) link->ModemRelease(allocation);
}

struct AddModemDialogState {
  char* choice;  // kModemChoiceCapacity characters
  ModemListState list;
};

void TestAndSelect(HWND dialog, char* choice) {
  char name[kModemChoiceCapacity];
  SelectedModem(dialog, false, name, sizeof name);
  if (!name[0]) return;
  char pin[kDialogPinChars + 1];
  ReadPin(dialog, kDialogPinChars, pin, sizeof pin);
  DWORD allocation = AllocateModem(dialog, name);
  bool passed = TestModem(dialog, name, pin);
  ReleaseModem(allocation);
  if (!passed) return;
  if (pin[0])
    FormatText(choice, kModemChoiceCapacity, "%s\tPIN=%s", name, pin);
  else
    CopyText(choice, kModemChoiceCapacity, name);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK AddModemDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    FillWithConfiguredModem(dialog, &reinterpret_cast<AddModemDialogState*>(lParam)->list);
    return TRUE;
  }
  auto* state = DialogState<AddModemDialogState>(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) RefreshModemList(dialog, &state->list);
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ADDMODEM_TEST:
          TestAndSelect(dialog, state->choice);
          return TRUE;
        case IDC_ADDMODEM_NOT_LISTED:
          ShowMessage(dialog, kNotListed, MB_OK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// The wizard page is a child window: the sheet's activation is watched for it.
LRESULT CALLBACK SheetActivation(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR page) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) PostMessageA(reinterpret_cast<HWND>(page), kRefreshList, 0, 0);
  return DefSubclassProc(sheet, message, wParam, lParam);
}

// Next: only a modem that passes the test is stored, and only then the wizard goes on.
bool StoreTestedModem(HWND page) {
  char name[kModemChoiceCapacity];
  SelectedModem(page, true, name, sizeof name);
  if (!name[0]) return false;
  char pin[kWizardPinChars + 1];
  ReadPin(page, kWizardPinChars, pin, sizeof pin);
  if (!TestModem(page, name, pin)) return false;
  WritePrivateProfileStringA("SMSGW", "Modem1", name, g_configFiles.smsIni);
  char section[kModemChoiceCapacity + 64];
  ConnectionSectionName(name, section, sizeof section);
  WriteIniTextOrRemove(g_configFiles.smsIni, section, "PIN", pin);
  return true;
}

const PageProtocol kSelectModemProtocol = {CancelRule::LetCancel, false};

struct SelectModemPageState {
  SheetContext* sheet;
  ModemListState list;
};

}  // namespace

INT_PTR ShowAddModemDialog(HWND owner, char* choice) {
  choice[0] = '\0';
  AddModemDialogState state = {choice, {}};
  return DialogBoxParamA(GetModuleHandleA(nullptr), "DIALOG_ADDMODEM", owner, AddModemDialogProc,
                         reinterpret_cast<LPARAM>(&state));
}

INT_PTR CALLBACK SelectModemPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  SelectModemPageState* state = AttachedPageState<SelectModemPageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      FillWithConfiguredModem(page, &state->list);
      SetWindowSubclass(GetParent(page), SheetActivation, kActivationSubclass, reinterpret_cast<DWORD_PTR>(page));
      return TRUE;
    case WM_DESTROY:
      RemoveWindowSubclass(GetParent(page), SheetActivation, kActivationSubclass);
      return FALSE;
    case kRefreshList:
      RefreshModemList(page, &state->list);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_ADDMODEM_NOT_LISTED) {
        ShowMessage(page, kNotListed, MB_OK);
        return TRUE;
      }
      break;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == PSN_SETACTIVE) {
        PropSheet_SetWizButtons(GetParent(page), PSWIZB_NEXT);
        SetDialogResult(page, 0);
        return TRUE;
      }
      if (header->code == PSN_WIZNEXT) {
        SetDialogResult(page, StoreTestedModem(page) ? 0 : -1);
        return TRUE;
      }
      break;
    }
  }
  return HandlePageProtocol(page, message, wParam, lParam, kSelectModemProtocol, state->sheet);
}
