// What the tests of the settings pages and dialogs share: combo boxes read
// and chosen as a user does, and the message boxes a test provoked.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "support/message_box_answerer.h"

// The property sheet's own Apply button.
constexpr int kApplyButton = 0x3021;

inline std::vector<std::string> ComboTexts(HWND dialog, int id) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string text(SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, i, 0) + 1, '\0');
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    items.push_back(text.c_str());
  }
  return items;
}

// The chosen entry's text, "<none>" when none is chosen.
inline std::string ComboChosen(HWND dialog, int id) {
  int index = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
  return index < 0 ? "<none>" : ComboTexts(dialog, id)[index];
}

// Chooses the entry with the text and tells the dialog, as a click does.
inline void ComboChoose(HWND dialog, int id, const char* text) {
  std::vector<std::string> items = ComboTexts(dialog, id);
  auto found = std::find(items.begin(), items.end(), text);
  ASSERT_NE(found, items.end()) << text;
  WPARAM index = static_cast<WPARAM>(found - items.begin());
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The texts of the boxes shown so far, each checked to carry the product's caption.
inline std::vector<std::string> BoxTexts(MessageBoxAnswerer& boxes) {
  std::vector<std::string> texts;
  for (const MessageBoxRecord& box : boxes.Boxes()) {
    EXPECT_EQ(box.caption, kProductCaption) << box.text;
    texts.push_back(box.text);
  }
  return texts;
}
