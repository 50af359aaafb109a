// The console's start-up: switches, then the main sheet.
#pragma once

// Runs the console for a command line (without the program name); the
// process's exit status.
int ConsoleMain(const char* commandLine);

// Before the setup wizard: stops running services behind the wait dialog.
void StopServicesForWizard();
