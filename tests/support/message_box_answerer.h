// Answers the real message boxes a test provokes. A watcher thread finds the
// boxes of the test's own process, or of every other process (the console
// run as a program), records each (caption, text, icon, buttons) and presses
// the next scripted button. A box with no script left fails the test and is
// cancelled, so no test can hang on one.
#pragma once
#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"

struct MessageBoxRecord {
  std::string caption;
  std::string text;
  std::string icon;     // "error", "question", "warning", "info", "plain", or "?" (another process's icon)
  std::string buttons;  // "OK", "YesNo", "YesNoCancel", ...
};

class MessageBoxAnswerer {
 public:
  // Of the answerers for the own process, the one made last answers.
  enum Scope { kThisProcess, kOtherProcesses };
  explicit MessageBoxAnswerer(Scope scope = kThisProcess);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // Scripts the button for the next box that appears.
  void Answer(int buttonId);
  std::vector<MessageBoxRecord> Boxes();
  // Fails the test when scripted answers were never used.
  void ExpectAllAnswered();

 private:
  static DWORD WINAPI WatchProc(void* self);
  void Handle(HWND box);

  Scope scope_;
  std::mutex mutex_;
  std::deque<int> script_;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<HWND> handled_;  // watcher thread only
  HANDLE watcher_ = nullptr;
  HANDLE stopWatching_ = nullptr;
};

// The boxes one line each, so that what a test provoked is compared as one
// transcript: "<icon> <buttons>: <text>", with the caption in brackets before
// the colon when it is not the product's.
inline std::vector<std::string> BoxLines(const std::vector<MessageBoxRecord>& boxes) {
  std::vector<std::string> lines;
  for (const MessageBoxRecord& box : boxes)
    lines.push_back(box.icon + ' ' + box.buttons + (box.caption == kProductCaption ? "" : " [" + box.caption + "]") +
                    ": " + box.text);
  return lines;
}
