// The "Configure MM7 Receiver" dialog: the outbound connection over which
// received MMS are forwarded (the VASP account "zedsmslitemm7"), saved only
// after a connection test to the server passes.
#pragma once
#include <windows.h>

#include <cstddef>

// VASPOUT\zedsmslitemm7\VASP.INI in the program data directory.
void Mm7RouteFile(char* path, size_t cap);

// IDOK after a passed test and the save, IDCANCEL otherwise.
INT_PTR ShowMm7Dialog(HWND owner);
