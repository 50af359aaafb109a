#include "support/dialog_items.h"

#include <vector>

std::string Text(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  return text.data();
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Ok(HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDOK, 0); }

void Cancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}
