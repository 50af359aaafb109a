// The console's modem code that this library links (the driver registry walk,
// the reset sequence) reports through these two; in the console they belong
// to the application shell, which this library does not carry.
#include "app/app_state.h"
#include "common/ui_util.h"

const char kProductCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";

int ShowMessage(HWND owner, const char* text, UINT flags, const char* caption) {
  return MessageBoxA(owner, text, caption ? caption : kProductCaption, flags);
}
