// Answers the real message boxes a test provokes. On the test's own thread a
// WH_CBT hook sees each box as it is activated; for child processes a watcher
// thread finds the boxes of every process but the test's own. Each box is recorded (caption, text,
// icon, buttons) and the next scripted button is pressed. A box with no script
// left fails the test and is cancelled, so no test can hang on one.
#pragma once
#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"

// An icon of another process's box cannot be compared with the system's.
constexpr UINT kIconUnknown = 0xFFFFFFFFu;

struct MessageBoxRecord {
  std::string caption;
  std::string text;
  UINT icon = 0;  // MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION, 0 or kIconUnknown
  std::vector<int> buttons;  // control ids: IDOK, IDYES, ...
};

class MessageBoxAnswerer {
 public:
  enum Scope { kThisThread, kOtherProcesses };
  explicit MessageBoxAnswerer(Scope scope = kThisThread);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // Scripts the button for the next box that appears.
  void Answer(int buttonId);
  std::vector<MessageBoxRecord> Boxes();
  // Fails the test when scripted answers were never used.
  void ExpectAllAnswered();

  // Handles a box window once: record it and press. Used by both modes.
  void Handle(HWND box);

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK HandleActivated(HWND, UINT, UINT_PTR timer, DWORD);
  static DWORD WINAPI WatchProc(void* self);

  std::mutex mutex_;
  std::deque<int> script_;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<HWND> handled_;
  std::vector<HWND> activated_;  // hook thread only
  HHOOK hook_ = nullptr;
  HANDLE watcher_ = nullptr;
  HANDLE stopWatching_ = nullptr;
};

// The boxes one line each, so that what a test provoked is compared as one
// transcript: "<icon> <buttons>: <text>", with the caption in brackets before
// the colon when it is not the product's.
inline std::vector<std::string> BoxLines(const std::vector<MessageBoxRecord>& boxes) {
  std::vector<std::string> lines;
  for (const MessageBoxRecord& box : boxes) {
    const std::pair<UINT, const char*> icons[] = {{MB_ICONERROR, "error"}, {MB_ICONQUESTION, "question"},
        {MB_ICONWARNING, "warning"}, {MB_ICONINFORMATION, "info"}, {0, "plain"}};
    std::string line = "?";
    for (const auto& icon : icons)
      if (box.icon == icon.first) line = icon.second;
    line += ' ';
    const std::pair<int, const char*> names[] = {{IDOK, "OK"}, {IDYES, "Yes"}, {IDNO, "No"}, {IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    for (const auto& name : names)
      for (int button : box.buttons)
        if (button == name.first) line += name.second;
    if (box.caption != kProductCaption) line += " [" + box.caption + "]";
    lines.push_back(line + ": " + box.text);
  }
  return lines;
}
