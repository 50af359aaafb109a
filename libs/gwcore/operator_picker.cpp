// ChooseOperatorSettings: the modal operator picker. Countries, then the
// operators of the chosen country, then that operator's settings; OK hands
// them back. The list is OPERATORS.INI in the program folder, a text file the
// administrator may edit (format in operator_list.h).
#include <windows.h>

#include "common/text_util.h"
#include "config/gwcore_api.h"
#include "operator_list.h"
#include "operator_picker_ids.h"

namespace {

const char kListFileName[] = "OPERATORS.INI";
constexpr DWORD kMostListBytes = 1024 * 1024;

struct OperatorFields {
  char* apn;
  char* apnLogin;
  char* apnPassword;
  char* wapGateway;
  char* mmsServerUrl;
};

struct PickerState {
  OperatorEntry* entries;  // from the process heap
  size_t count;
  char listPath[MAX_PATH];
  bool readable;
  OperatorFields fields;
};

const int kFieldIds[] = {IDC_OPERATOR_APN, IDC_OPERATOR_LOGIN, IDC_OPERATOR_PASSWORD, IDC_OPERATOR_GATEWAY,
                         IDC_OPERATOR_URL};

// Reads and parses the list; false when the file cannot be read at all.
bool LoadOperatorList(PickerState* state) {
  char directory[MAX_PATH];
  if (!GetRealProgramDirectory(directory)) return false;
  FormatText(state->listPath, sizeof state->listPath, "%s%s", directory, kListFileName);
  HANDLE file = CreateFileA(state->listPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  bool read = false;
  if (size != INVALID_FILE_SIZE) {
    DWORD wanted = size < kMostListBytes ? size : kMostListBytes;
    auto* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, wanted + 1));
    DWORD got = 0;
    if (text && ReadFile(file, text, wanted, &got, nullptr)) {
      read = true;
      if (state->entries) state->count = ParseOperatorList(text, got, state->entries, kMostOperators);
    }
    if (text) HeapFree(GetProcessHeap(), 0, text);
  }
  CloseHandle(file);
  return read;
}

const OperatorEntry* SelectedOperator(HWND dialog, const PickerState* state) {
  LRESULT index = SendDlgItemMessageA(dialog, IDC_OPERATOR_NAMES, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return nullptr;
  LRESULT entry = SendDlgItemMessageA(dialog, IDC_OPERATOR_NAMES, LB_GETITEMDATA, index, 0);
  return entry >= 0 && static_cast<size_t>(entry) < state->count ? &state->entries[entry] : nullptr;
}

void ShowOperator(HWND dialog, const PickerState* state) {
  const OperatorEntry* entry = SelectedOperator(dialog, state);
  const char* values[] = {entry ? entry->apn : "",         entry ? entry->apnLogin : "",
                          entry ? entry->apnPassword : "", entry ? entry->wapGateway : "",
                          entry ? entry->mmsServerUrl : ""};
  for (size_t i = 0; i < sizeof kFieldIds / sizeof kFieldIds[0]; ++i) SetDlgItemTextA(dialog, kFieldIds[i], values[i]);
  EnableWindow(GetDlgItem(dialog, IDOK), entry != nullptr);
}

void AddCountries(HWND dialog, const PickerState* state) {
  for (size_t i = 0; i < state->count; ++i) {
    const char* country = state->entries[i].country;
    if (SendDlgItemMessageA(dialog, IDC_OPERATOR_COUNTRIES, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(country)) == LB_ERR)
      SendDlgItemMessageA(dialog, IDC_OPERATOR_COUNTRIES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(country));
  }
}

// The operators of the chosen country; the first one is shown at once.
void OnCountryChosen(HWND dialog, const PickerState* state) {
  SendDlgItemMessageA(dialog, IDC_OPERATOR_NAMES, LB_RESETCONTENT, 0, 0);
  char country[kOperatorTextCapacity] = "";
  LRESULT index = SendDlgItemMessageA(dialog, IDC_OPERATOR_COUNTRIES, LB_GETCURSEL, 0, 0);
  if (index != LB_ERR &&
      SendDlgItemMessageA(dialog, IDC_OPERATOR_COUNTRIES, LB_GETTEXTLEN, index, 0) < static_cast<LRESULT>(kOperatorTextCapacity))
    SendDlgItemMessageA(dialog, IDC_OPERATOR_COUNTRIES, LB_GETTEXT, index, reinterpret_cast<LPARAM>(country));
  for (size_t i = 0; country[0] && i < state->count; ++i) {
    if (!EqualsNoCase(state->entries[i].country, country)) continue;
    LRESULT added = SendDlgItemMessageA(dialog, IDC_OPERATOR_NAMES, LB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(state->entries[i].name));
    if (added >= 0) SendDlgItemMessageA(dialog, IDC_OPERATOR_NAMES, LB_SETITEMDATA, added, static_cast<LPARAM>(i));
  }
  SendDlgItemMessageA(dialog, IDC_OPERATOR_NAMES, LB_SETCURSEL, 0, 0);
  ShowOperator(dialog, state);
}

void ShowStatus(HWND dialog, const PickerState* state) {
  char status[MAX_PATH + 96];
  if (!state->readable)
    FormatText(status, sizeof status, "The operator list \"%s\" could not be read.", state->listPath);
  else if (state->count == 0)
    FormatText(status, sizeof status, "The operator list \"%s\" holds no operator settings.", state->listPath);
  else
    CopyText(status, sizeof status, "Choose the country, then the operator.");
  SetDlgItemTextA(dialog, IDC_OPERATOR_STATUS, status);
}

void OnInit(HWND dialog, PickerState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  AddCountries(dialog, state);
  ShowStatus(dialog, state);
  ShowOperator(dialog, state);
}

void OnOk(HWND dialog, const PickerState* state) {
  const OperatorEntry* entry = SelectedOperator(dialog, state);
  if (!entry) return;
  CopyText(state->fields.apn, kOperatorFieldSize, entry->apn);
  CopyText(state->fields.apnLogin, kOperatorFieldSize, entry->apnLogin);
  CopyText(state->fields.apnPassword, kOperatorFieldSize, entry->apnPassword);
  CopyText(state->fields.wapGateway, kOperatorFieldSize, entry->wapGateway);
  CopyText(state->fields.mmsServerUrl, kOperatorFieldSize, entry->mmsServerUrl);
  EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, int id, int code) {
  const auto* state = reinterpret_cast<const PickerState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!state) return;
  if (id == IDC_OPERATOR_COUNTRIES && code == LBN_SELCHANGE) OnCountryChosen(dialog, state);
  else if (id == IDC_OPERATOR_NAMES && code == LBN_SELCHANGE) ShowOperator(dialog, state);
  else if ((id == IDC_OPERATOR_NAMES && code == LBN_DBLCLK) || id == IDOK) OnOk(dialog, state);
  else if (id == IDCANCEL) EndDialog(dialog, 0);
}

INT_PTR CALLBACK PickerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog, reinterpret_cast<PickerState*>(lParam));
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

HINSTANCE ThisLibrary() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&PickerProc), &module);
  return module;
}

}  // namespace

// Non-zero when the user chose an operator: the five buffers (of
// kOperatorFieldSize characters) then hold its settings. Zero, with the
// buffers untouched, when the user cancelled or the dialog could not open.
GWCORE_API BOOL ChooseOperatorSettings(HWND owner, char* apn, char* apnLogin, char* apnPassword, char* wapGateway,
                                       char* mmsServerUrl) {
  if (!apn || !apnLogin || !apnPassword || !wapGateway || !mmsServerUrl) return FALSE;
  PickerState state = {};
  state.fields = {apn, apnLogin, apnPassword, wapGateway, mmsServerUrl};
  state.entries = static_cast<OperatorEntry*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(OperatorEntry) * kMostOperators));
  state.readable = LoadOperatorList(&state);
  INT_PTR result =
      DialogBoxParamA(ThisLibrary(), "DIALOG_OPERATORS", owner, PickerProc, reinterpret_cast<LPARAM>(&state));
  if (state.entries) HeapFree(GetProcessHeap(), 0, state.entries);
  return result == 1 ? TRUE : FALSE;
}
