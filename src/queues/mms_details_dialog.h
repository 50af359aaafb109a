// The details of one received MMS: its header text and its content objects.
#pragma once
#include <windows.h>

// Modal on DIALOG_MMSVIEW for the message's .HDR file; 1 for OK, 0 for Cancel.
INT_PTR MmsDetailsDialog(HWND owner, const char* headerPath);
