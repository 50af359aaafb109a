// The Users tab: the gateway's user accounts, listed from the user file, and
// the switch that makes the web interface require a login.
#pragma once
#include <windows.h>

INT_PTR CALLBACK UsersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
