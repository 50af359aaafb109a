// The Test Message page: sends a test SMS and a test MMS through the running
// gateway services and follows each until the services' daily log tells how
// it went. Serves the main sheet and the setup wizard.
#pragma once
#include <windows.h>

INT_PTR CALLBACK TestMessagePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The tests in flight outlive the page's window, so a test is still followed
// when the page is shown again.
struct TestMessageState {
  bool smsPending;
  bool mmsPending;
  bool smsDone;  // a test SMS has left the queue since start-up
  bool mmsDone;
  DWORD smsTestId;
  DWORD mmsTestId;
  bool pageActive;
};
extern TestMessageState g_testMessages;
