#include "settings/command_editor.h"

#include "common/dialog_state.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "resources/two_way_ids.h"
#include "settings/two_way_entry.h"

namespace {

const char kMailtoMessage[] = "mailto: not supported by this edition of ZedSMS";
const char kReplacementMessage[] =
    "You must include one or more of the following replacement strings in the command to be executed:\r\n\r\n"
    "@@SENDER@@ - Will contain the phone number of the sender of the inbound SMS message\r\n"
    "@@SMS@@ - Will contain the text of the SMS message without the command prefix\r\n"
    "@@FULLSMS@@ - Will contain the complete text of the SMS message, including the command prefix";
const char kProgramMessage[] =
    "Cannot locate program file:  %s\r\n\r\nPlease specify an http://url, or a valid executable file name.";

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
  switch (CheckTwoWayCommand(command.command, command.returnsResponse)) {
    case TwoWayCommandProblem::kEmpty:
      Refuse(dialog, "Field is required!");
      return false;
    case TwoWayCommandProblem::kMailto:
      Refuse(dialog, kMailtoMessage);
      return false;
    case TwoWayCommandProblem::kNoReplacementString:
      Refuse(dialog, kReplacementMessage);
      return false;
    case TwoWayCommandProblem::kNone:
      break;
  }
  char program[kTwoWayProgramSize];
  if (TwoWayProgramFound(command.command, IsPlainFileTest, nullptr, program, sizeof program)) return true;
  char message[sizeof program + sizeof kProgramMessage];
  FormatText(message, sizeof message, kProgramMessage, program);
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
