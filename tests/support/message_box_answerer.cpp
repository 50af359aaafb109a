#include "support/message_box_answerer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

std::atomic<MessageBoxAnswerer*> g_ownAnswerer{nullptr};
constexpr int kMessageBoxTextId = 0xFFFF;

// The icon a box shows, named after the MB_ICON flag that asked for it.
std::string IconOf(HWND icon) {
  static const std::pair<LPCSTR, const char*> kIcons[] = {
      {IDI_HAND, "error"}, {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"}, {IDI_ASTERISK, "info"}};
  HICON shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
  for (const auto& known : kIcons)
    if (shown && shown == LoadIconA(nullptr, known.first)) return known.second;
  return shown ? "?" : "plain";
}

std::string WindowText(HWND window) {
  char text[4096] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsMessageBox(HWND window) {
  char className[32];
  GetClassNameA(window, className, sizeof className);
  return lstrcmpA(className, "#32770") == 0 && GetDlgItem(window, kMessageBoxTextId);
}

MessageBoxRecord ReadMessageBox(HWND box) {
  MessageBoxRecord record{WindowText(box), WindowText(GetDlgItem(box, kMessageBoxTextId)), "plain", ""};
  std::vector<int> buttons;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32];
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0 && (style & WS_VISIBLE)) buttons.push_back(GetDlgCtrlID(child));
    if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) record.icon = IconOf(child);
  }
  const std::pair<int, const char*> names[] = {
      {IDOK, "OK"}, {IDYES, "Yes"}, {IDNO, "No"}, {IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
  for (const auto& name : names)
    if (std::find(buttons.begin(), buttons.end(), name.first) != buttons.end()) record.buttons += name.second;
  return record;
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(Scope scope) : scope_(scope) {
  if (scope == kThisProcess) g_ownAnswerer = this;
  stopWatching_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  watcher_ = CreateThread(nullptr, 0, WatchProc, this, 0, nullptr);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  SetEvent(stopWatching_);
  WaitForSingleObject(watcher_, 5000);
  CloseHandle(watcher_);
  CloseHandle(stopWatching_);
  MessageBoxAnswerer* self = this;
  g_ownAnswerer.compare_exchange_strong(self, nullptr);
}

void MessageBoxAnswerer::Answer(int buttonId) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.push_back(buttonId);
}

std::vector<MessageBoxRecord> MessageBoxAnswerer::Boxes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

void MessageBoxAnswerer::ExpectAllAnswered() {
  std::lock_guard<std::mutex> lock(mutex_);
  EXPECT_EQ(script_.size(), 0u) << "scripted message boxes never appeared";
}

// Records the box once and presses the scripted button, or Cancel.
void MessageBoxAnswerer::Handle(HWND box) {
  // Window handles are reused once a box is gone.
  handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND h) { return !IsWindow(h); }),
                 handled_.end());
  if (!IsMessageBox(box) || std::find(handled_.begin(), handled_.end(), box) != handled_.end()) return;
  handled_.push_back(box);
  MessageBoxRecord record = ReadMessageBox(box);
  int button = IDCANCEL;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (script_.empty()) {
      ADD_FAILURE() << "unexpected message box: [" << record.caption << "] " << record.text;
    } else {
      button = script_.front();
      script_.pop_front();
    }
    boxes_.push_back(record);
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

DWORD WINAPI MessageBoxAnswerer::WatchProc(void* param) {
  auto* self = static_cast<MessageBoxAnswerer*>(param);
  while (WaitForSingleObject(self->stopWatching_, 20) == WAIT_TIMEOUT)
    for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(nullptr, window, nullptr, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      bool mine = owner == GetCurrentProcessId() ? g_ownAnswerer == self : self->scope_ == kOtherProcesses;
      if (mine && IsWindowVisible(window)) self->Handle(window);
    }
  return 0;
}
