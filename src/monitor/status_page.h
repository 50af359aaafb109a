// The first tab: whether the gateway runs, its queues, errors and counters.
#pragma once
#include <windows.h>

INT_PTR CALLBACK StatusPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
