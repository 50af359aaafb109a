// The 2-Way tab: what the gateway does with received SMS (route them to one
// local user or run the 2-way command table) and received MMS (store them or
// forward them over MM7), and local PHP processing.
#pragma once
#include <windows.h>

INT_PTR CALLBACK TwoWayPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
