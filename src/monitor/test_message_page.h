// The Test Message page: sends a test SMS and a test MMS through the running
// gateway services and follows each until the services' daily log tells how
// it went. Serves the main sheet and the setup wizard.
#pragma once
#include <windows.h>

INT_PTR CALLBACK TestMessagePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

