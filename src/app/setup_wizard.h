// The setup wizard of a first run (or of "-WIZARD"): select and test a
// modem, its settings, the server ports (then the services are installed and
// started), and optionally a test message, before the main sheet opens.
#pragma once
#include <windows.h>

#include "app/sheet_context.h"

// Stops running services, switches the debug logs on and runs the wizard on
// the sheet's context. The sheet's result: below 1 when cancelled or failed.
INT_PTR RunSetupWizard(SheetContext* sheet);

INT_PTR CALLBACK ConfigurationCompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
