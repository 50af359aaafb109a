#include "support/window_driver.h"

#include <prsht.h>
#include <gtest/gtest.h>

#include "config/config_files.h"

std::string InternalText(HWND window) {
  wchar_t wide[1024];
  int n = InternalGetWindowText(window, wide, sizeof wide / sizeof wide[0]);
  char text[2048];
  n = WideCharToMultiByte(CP_ACP, 0, wide, n, text, sizeof text - 1, nullptr, nullptr);
  text[n > 0 ? n : 0] = '\0';
  return text;
}

HWND FindOwnWindow(const std::string& caption) {
  for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, nullptr); window;
       window = FindWindowExA(nullptr, window, nullptr, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window) && InternalText(window) == caption) return window;
  }
  return nullptr;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

WindowDriver::WindowDriver(std::string caption, std::function<void(HWND)> action)
    : caption_(std::move(caption)), action_(std::move(action)) {
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

WindowDriver::~WindowDriver() {
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
}

DWORD WINAPI WindowDriver::Run(void* param) {
  auto* self = static_cast<WindowDriver*>(param);
  HWND window = nullptr;
  if (!WaitUntil([&] { return (window = FindOwnWindow(self->caption_)) != nullptr; }, 30000)) {
    ADD_FAILURE() << "window \"" << self->caption_ << "\" never appeared";
    return 0;
  }
  self->appeared_ = true;
  self->action_(window);
  // Never leave the test thread stuck in a modal loop.
  if (!WaitUntil([&] { return !IsWindow(window); }, 20000)) {
    ADD_FAILURE() << "window \"" << self->caption_ << "\" was left open";
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return 0;
}

INT_PTR RunConsoleSheet(SheetContext* sheetContext) {
  PrepareConfigFiles();
  return RunMainSheet(sheetContext);
}

static INT_PTR CALLBACK EmptyPageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR RunPageInSheet(SheetContext* sheetContext, const SheetPage& page, DWORD sheetFlags, const char* caption,
                       const std::function<void(HWND sheet, HWND page)>& action) {
  const SheetPage pages[2] = {page, {"DIALOG_DEBUGLOG", "Other", EmptyPageProc}};
  PROPSHEETPAGEA records[2];
  BuildPropertyPages(pages, 2, records, sheetContext);
  PROPSHEETHEADERA header = ConsoleSheetHeader(records, 2, sheetFlags);
  header.pszCaption = caption;
  WindowDriver driver(caption, [&](HWND sheet) {
    action(sheet, reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
  });
  INT_PTR result = PropertySheetA(&header);
  EXPECT_TRUE(driver.Appeared());
  return result;
}
