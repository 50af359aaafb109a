// The console's command-line switches. Matching is by case-insensitive
// substring, not by tokens: "/install" holds "/I" and so installs. No windows.h.
#pragma once

enum class SwitchAction {
  None,
  StopService,
  StartService,
  RestartService,
  InstallService,
  RemoveService,
  DeleteDataDirectory,
  ModemTest,
};

struct CommandLineSwitches {
  bool quiet = false;
  // Only the first matching action row counts.
  SwitchAction action = SwitchAction::None;
  bool wizard = false;
};

CommandLineSwitches ParseCommandLine(const char* commandLine);
