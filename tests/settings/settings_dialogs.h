// What the tests of the settings pages and dialogs share: combo box entries
// chosen as a user does, and dialogs opened from a page and acted in.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

// The property sheet's own Apply button.
constexpr int kApplyButton = 0x3021;
using Texts = std::vector<std::string>;

// Chooses the entry with the text and tells the dialog, as a click does.
// (A drop-down list's Text() is its chosen entry.)
inline void ComboChoose(HWND dialog, int id, const char* text) {
  LRESULT index =
      SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  ASSERT_NE(index, CB_ERR) << text;
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, id, 0); }
inline void Close(HWND sheet, int button) { PostMessageA(sheet, WM_COMMAND, button, 0); }

// Does open(), which shows (or posts what shows) the dialog titled title,
// and acts in the dialog; the driver fails the test when it never appears.
inline void InDialog(const char* title, const std::function<void()>& open, const std::function<void(HWND)>& action) {
  WindowDriver dialog(title, action);
  open();
}

// An INI key's value, "<none>" when it is missing.
inline std::string Key(const std::string& file, const char* section, const std::string& key) {
  return ReadIni(file, section, key.c_str(), "<none>");
}
