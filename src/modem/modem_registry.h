// Where modem drivers record themselves: a key per installed modem under the
// modem device class, with its FriendlyName, the port it is AttachedTo and
// its Init strings. Shared by the console and GPRSLINK.DLL.
#pragma once
#include <windows.h>

// A REG_SZ value, cut to the buffer; false for a missing value or another type.
bool ReadRegistryText(HKEY key, const char* valueName, char* buffer, DWORD cap);
// Opens the driver key of the modem with that FriendlyName (case-insensitive);
// the caller closes it.
bool OpenModemDriverKey(const char* modemName, REGSAM access, HKEY* driver);
// Calls visit with the FriendlyName of every installed modem, in key order.
void ForEachModemDriver(void (*visit)(const char* name, void* context), void* context);
