#include "settings/command_editor.h"

#include "common/dialog_state.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "resources/two_way_ids.h"
#include "settings/two_way_entry.h"

namespace {

struct CommandEditorState {
  char* entry;
  size_t cap;
};

CommandEditorState* State(HWND dialog) { return DialogState<CommandEditorState>(dialog); }

void OnInitDialog(HWND dialog, CommandEditorState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  SendDlgItemMessageA(dialog, IDC_2WAY_PREFIX, EM_LIMITTEXT, kTwoWayPrefixChars, 0);
  SendDlgItemMessageA(dialog, IDC_2WAY_COMMAND, EM_LIMITTEXT, kTwoWayCommandChars, 0);
  // The fields come cut to their widths: the limits above bind typing only.
  TwoWayCommand command;
  SplitTwoWayEntry(state->entry, &command);
  SetDlgItemTextA(dialog, IDC_2WAY_PREFIX, command.prefix);
  SetDlgItemTextA(dialog, IDC_2WAY_COMMAND, command.command);
  CheckItem(dialog, IDC_2WAY_RETURNS_RESPONSE, command.returnsResponse);
}

void Refuse(HWND dialog, const char* message) {
  ShowMessage(dialog, message, MB_OK | MB_ICONERROR);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_2WAY_COMMAND)), TRUE);
}

bool Accepted(HWND dialog, const TwoWayCommand& command) {
  char message[kTwoWayRefusalSize];
  TwoWayCommandRefusal(command.command, command.returnsResponse, IsPlainFileTest, nullptr, message, sizeof message);
  if (!message[0]) return true;
  Refuse(dialog, message);
  return false;
}

void OnOk(HWND dialog, CommandEditorState* state) {
  TwoWayCommand command;
  GetDlgItemTextA(dialog, IDC_2WAY_PREFIX, command.prefix, sizeof command.prefix);
  GetDlgItemTextA(dialog, IDC_2WAY_COMMAND, command.command, sizeof command.command);
  command.returnsResponse = IsChecked(dialog, IDC_2WAY_RETURNS_RESPONSE);
  if (!Accepted(dialog, command)) return;
  FormatTwoWayEntry(command, state->entry, state->cap);
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK CommandEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<CommandEditorState*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOk(dialog, State(dialog));
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowCommandEditor(HWND owner, char* entry, size_t cap) {
  CommandEditorState state = {entry, cap};
  return DialogBoxParamA(GetModuleHandleA(nullptr), "DIALOG_2WAYCOMMAND", owner, CommandEditorProc,
                         reinterpret_cast<LPARAM>(&state));
}
