// The gateway's events in the Application event log, newest first.
#pragma once
#include <windows.h>

// Modal; 1 for OK, 0 for Cancel.
INT_PTR ShowEventLogViewer(HWND owner);
