// The last tab: the debug log switches of the three gateway components.
#pragma once
#include <windows.h>

INT_PTR CALLBACK DebugLogPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
