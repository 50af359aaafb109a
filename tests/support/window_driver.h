// Drives a modal window the code under test shows on the test's thread: a
// helper thread waits for the window to appear and then acts on it (through
// messages, which the modal loop serves).
#pragma once
#include <windows.h>

#include "app/main_sheet.h"

#include <functional>
#include <string>
#include <vector>

class WindowDriver {
 public:
  // Acts once a visible top-level window of this process with the caption appears.
  WindowDriver(std::string caption, std::function<void(HWND)> action);
  // Waits for the action to finish.
  ~WindowDriver();
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  bool Appeared() const { return appeared_; }

 private:
  static DWORD WINAPI Run(void* self);
  std::string caption_;
  std::function<void(HWND)> action_;
  HANDLE thread_ = nullptr;
  volatile bool appeared_ = false;
};

// Polls until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// A window's text read without sending it a message, so it works while the
// window's thread is busy.
std::string InternalText(HWND window);
// The visible top-level window of this process with the caption, or null.
HWND FindOwnWindow(const std::string& caption);
// The main sheet as the console opens it, its pages given the context.
INT_PTR RunConsoleSheet(SheetContext* sheetContext);
// Shows a page in a sheet of its own (a wizard with PSH_WIZARD among the
// flags), followed by an empty page to move to, and runs the action with the
// sheet and the page from another thread once the window titled caption is
// there (a wizard is titled by its page). The action closes the sheet. The
// page gets the sheet context given.
INT_PTR RunPageInSheet(SheetContext* sheetContext, const SheetPage& page, DWORD sheetFlags, const char* caption,
                       const std::function<void(HWND sheet, HWND page)>& action);
