// The four queue viewers: modal dialogs on DIALOG_SMSQ that list a message
// store, refresh every minute, sort by any column, open and delete messages.
// Each keeps its rows and sort order for the life of the process.
#pragma once
#include <windows.h>

INT_PTR ShowOutboundSmsQueue(HWND owner);
INT_PTR ShowOutboundMmsQueue(HWND owner);
INT_PTR ShowReceivedSms(HWND owner);
INT_PTR ShowReceivedMms(HWND owner);
