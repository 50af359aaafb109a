// The message boxes a test provoked, one line each, so that what was shown is
// compared as one transcript: "<icon> <buttons>: <text>", with the caption in
// brackets before the colon when it is not the product's.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "support/message_box_answerer.h"

inline std::vector<std::string> BoxLines(const std::vector<MessageBoxRecord>& boxes) {
  std::vector<std::string> lines;
  for (const MessageBoxRecord& box : boxes) {
    std::string line = box.icon == MB_ICONERROR          ? "error"
                       : box.icon == MB_ICONQUESTION    ? "question"
                       : box.icon == MB_ICONWARNING     ? "warning"
                       : box.icon == MB_ICONINFORMATION ? "info"
                       : box.icon == 0                  ? "plain"
                                                        : "?";
    line += ' ';
    const std::pair<int, const char*> names[] = {{IDOK, "OK"}, {IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    for (const auto& name : names)
      for (int button : box.buttons)
        if (button == name.first) line += name.second;
    if (box.caption != kProductCaption) line += " [" + box.caption + "]";
    lines.push_back(line + ": " + box.text);
  }
  return lines;
}
