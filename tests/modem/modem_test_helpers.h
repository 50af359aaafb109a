// Readers shared by the modem tests: the message boxes seen and the entries
// of a dialog's combo box.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "support/message_box_answerer.h"

// The message boxes a test saw, one line each ("error: text [Cancel Retry]";
// no button list for a plain OK), so a test compares the whole conversation
// at once. Every box must carry the product's caption.
inline std::vector<std::string> Shown(MessageBoxAnswerer& boxes) {
  std::vector<std::string> lines;
  for (const MessageBoxRecord& box : boxes.Boxes()) {
    EXPECT_EQ(box.caption, kProductCaption) << box.text;
    std::string line = box.icon == MB_ICONERROR         ? "error: "
                       : box.icon == MB_ICONQUESTION    ? "question: "
                       : box.icon == MB_ICONINFORMATION ? "info: "
                                                        : "";
    line += box.text;
    if (box.buttons != std::vector<int>{IDOK}) {
      const char* separator = " [";
      for (int id : box.buttons) {
        line += separator;
        line += id == IDOK ? "OK" : id == IDCANCEL ? "Cancel" : id == IDYES ? "Yes" : id == IDNO ? "No"
              : id == IDRETRY ? "Retry" : std::to_string(id);
        separator = " ";
      }
      line += "]";
    }
    lines.push_back(line);
  }
  return lines;
}

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
