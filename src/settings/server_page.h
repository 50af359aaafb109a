// The Server tab (and the wizard's Server Settings page): the gateway's ports
// and the button that installs, starts or stops the services.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ServerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
