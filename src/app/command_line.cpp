#include "app/command_line.h"

#include "common/text_util.h"

namespace {

struct SwitchRow {
  SwitchAction action;
  const char* texts[5];
};

// Tested in this order; the first row that matches wins.
const SwitchRow kActionRows[] = {
    {SwitchAction::StopService, {"-STOPSERVICE", "/STOPSERVICE"}},
    {SwitchAction::StartService, {"-STARTSERVICE", "/STARTSERVICE"}},
    {SwitchAction::RestartService, {"-RESTARTSERVICE", "/RESTARTSERVICE"}},
    {SwitchAction::InstallService, {"-INSTALLSERVICE", "/INSTALLSERVICE", "/I", "-I"}},
    {SwitchAction::RemoveService, {"-REMOVESERVICE", "/REMOVESERVICE", "/R", "-R"}},
    {SwitchAction::DeleteDataDirectory, {"-DELETEDATADIR", "/DELETEDATADIR"}},
    {SwitchAction::ModemTest, {"-MODEMTEST", "/MODEMTEST"}},
};

bool HoldsAny(const char* commandLine, const char* const* texts) {
  for (; *texts; ++texts) {
    if (FindNoCase(commandLine, *texts)) return true;
  }
  return false;
}

}  // namespace

CommandLineSwitches ParseCommandLine(const char* commandLine) {
  static const char* const kQuiet[] = {"-QUIET", "/QUIET", "/Q", "-Q", nullptr};
  static const char* const kWizard[] = {"-WIZARD", "/WIZARD", nullptr};
  CommandLineSwitches result;
  if (!commandLine) return result;
  result.quiet = HoldsAny(commandLine, kQuiet);
  for (const SwitchRow& row : kActionRows) {
    if (HoldsAny(commandLine, row.texts)) {
      result.action = row.action;
      break;
    }
  }
  result.wizard = HoldsAny(commandLine, kWizard);
  return result;
}
