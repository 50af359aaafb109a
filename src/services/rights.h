// Administrator rights and elevation. The system always grants full access in
// the test environment, so these go through a table a test can replace.
#pragma once
#include <windows.h>

struct RightsTable {
  SC_HANDLE (*openServiceManager)(DWORD access);
  bool (*isNtFamily)();
  bool (*isVistaOrLater)();
  // Starts the console elevated with the given parameters; the process handle or null.
  HANDLE (*runElevated)(const char* parameters);
  // The same with the shell's default verb, for systems without elevation.
  HANDLE (*runPlain)(const char* parameters);
  // Restarts the system, enabling the shutdown privilege first.
  void (*restartSystem)();
};

// The table in force; tests swap entries and restore them.
RightsTable& Rights();
const RightsTable& SystemRights();

// The "runas" launch of an executable through the shell; the process handle or null.
HANDLE ShellRunAs(const char* executable, const char* parameters);

bool HasAdminRights();
bool IsVistaOrLater();
// Asks whether to go on with elevation; true only for Yes.
bool ConfirmElevation();
// When the call is interactive, the system has elevation and the user agrees:
// re-launches the console with the switch and waits up to a minute for it.
bool RelaunchElevated(bool interactive, const char* switchText);
