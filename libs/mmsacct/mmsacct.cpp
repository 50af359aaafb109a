// MMSACCT.DLL: the MMS (VASP) account store. The accounts arrive with the pages
// that edit them; the library is already linked so the console's imports are fixed.
#include <windows.h>

#define MMSACCT_BUILD
#include "config/mmsacct_api.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
