// Reading a dialog's combo box in the modem tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

inline std::vector<std::string> Entries(HWND dialog, int id) {
  std::vector<std::string> entries;
  for (LRESULT i = 0; i < SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0); ++i) {
    char text[1024] = "";
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

// The selected entry, "<none>" without one.
inline std::string Selected(HWND dialog, int id) {
  LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? "<none>" : Entries(dialog, id).at(static_cast<size_t>(index));
}
