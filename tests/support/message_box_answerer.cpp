#include "support/message_box_answerer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

thread_local MessageBoxAnswerer* t_threadAnswerer = nullptr;
constexpr int kMessageBoxTextId = 0xFFFF;

// The icon a box shows, as the MB_ICON flag that asked for it.
UINT IconOf(HWND icon) {
  static const std::pair<LPCSTR, UINT> kIcons[] = {
      {IDI_HAND, MB_ICONERROR}, {IDI_QUESTION, MB_ICONQUESTION},
      {IDI_EXCLAMATION, MB_ICONWARNING}, {IDI_ASTERISK, MB_ICONINFORMATION}};
  HICON shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
  for (const auto& known : kIcons)
    if (shown && shown == LoadIconA(nullptr, known.first)) return known.second;
  return shown ? kIconUnknown : 0;
}

std::string WindowText(HWND window) {
  char text[4096] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Reads a message box window; false when the window is not one.
bool ReadMessageBox(HWND window, MessageBoxRecord* record) {
  char className[32];
  GetClassNameA(window, className, sizeof className);
  HWND text = GetDlgItem(window, kMessageBoxTextId);
  if (lstrcmpA(className, "#32770") != 0 || !text) return false;
  record->caption = WindowText(window);
  record->text = WindowText(text);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    // The box itself is not shown yet when activated: read the style bit.
    if (lstrcmpiA(className, "Button") == 0 && (style & WS_VISIBLE)) record->buttons.push_back(GetDlgCtrlID(child));
    if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) record->icon = IconOf(child);
  }
  std::sort(record->buttons.begin(), record->buttons.end());
  return true;
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(Scope scope) {
  if (scope == kThisThread) {
    t_threadAnswerer = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
  } else {
    stopWatching_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    watcher_ = CreateThread(nullptr, 0, WatchProc, this, 0, nullptr);
  }
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  if (hook_) {
    UnhookWindowsHookEx(hook_);
    t_threadAnswerer = nullptr;
  }
  if (watcher_) {
    SetEvent(stopWatching_);
    WaitForSingleObject(watcher_, 5000);
    CloseHandle(watcher_);
    CloseHandle(stopWatching_);
  }
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

void MessageBoxAnswerer::Handle(HWND box) {
  MessageBoxRecord record;
  if (!ReadMessageBox(box, &record)) return;
  int button = IDCANCEL;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Window handles are reused once a box is gone.
    handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND h) { return !IsWindow(h); }),
                   handled_.end());
    if (std::find(handled_.begin(), handled_.end(), box) != handled_.end()) return;
    handled_.push_back(box);
    // A scripted button the box lacks shows in the transcript's buttons.
    if (script_.empty()) {
      ADD_FAILURE() << "unexpected message box: [" << record.caption << "] " << record.text;
    } else {
      button = script_.front();
      script_.pop_front();
    }
    boxes_.push_back(record);
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

// A box may be activated before it has its text and icon (a task-modal box
// is), so it is read a moment later, from the modal loop's timer.
void CALLBACK MessageBoxAnswerer::HandleActivated(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!t_threadAnswerer) return;
  std::vector<HWND> activated;
  activated.swap(t_threadAnswerer->activated_);
  for (HWND box : activated)
    if (IsWindow(box)) t_threadAnswerer->Handle(box);
}

LRESULT CALLBACK MessageBoxAnswerer::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && t_threadAnswerer) {
    t_threadAnswerer->activated_.push_back(reinterpret_cast<HWND>(wParam));
    SetTimer(nullptr, 0, 10, HandleActivated);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI MessageBoxAnswerer::WatchProc(void* param) {
  auto* self = static_cast<MessageBoxAnswerer*>(param);
  while (WaitForSingleObject(self->stopWatching_, 20) == WAIT_TIMEOUT)
    for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(nullptr, window, nullptr, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner != GetCurrentProcessId() && IsWindowVisible(window)) self->Handle(window);
    }
  return 0;
}
