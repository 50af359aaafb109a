#include "app/command_line.h"

#include <gtest/gtest.h>

TEST(ParseCommandLine, SwitchesInAnyCaseWithSlashOrDashAnywhereInTheLine) {
  using A = SwitchAction;
  struct Row {
    const char* line;
    SwitchAction action;
    bool quiet, wizard;
  } const rows[] = {
      {"-STOPSERVICE", A::StopService, false, false}, {"/stopservice", A::StopService, false, false},
      {"-StartService", A::StartService, false, false}, {"-i", A::InstallService, false, false},
      {"/R", A::RemoveService, false, false}, {"/DeleteDataDir", A::DeleteDataDirectory, false, false},
      {"", A::None, false, false}, {"-UNKNOWN", A::None, false, false}, {"WIZARD", A::None, false, false},
      {"/wizard", A::None, false, true}, {"/Q", A::None, true, false},
      // Not whole words: "/install" holds "/I", and "/RESTARTSERVICE" "/R".
      {"/install", A::InstallService, false, false}, {"x/removeall", A::RemoveService, false, false},
      {"/RESTARTSERVICE", A::RestartService, false, false},
      // Of several actions one wins, whatever their order in the line.
      {"-STARTSERVICE -STOPSERVICE", A::StopService, false, false},
      {"-REMOVESERVICE -INSTALLSERVICE", A::InstallService, false, false},
      {"-MODEMTEST -DELETEDATADIR", A::DeleteDataDirectory, false, false},
      {"-q -INSTALLSERVICE -WIZARD", A::InstallService, true, true},
  };
  for (const Row& row : rows) {
    CommandLineSwitches parsed = ParseCommandLine(row.line);
    EXPECT_EQ(parsed.action, row.action) << row.line;
    EXPECT_EQ(parsed.quiet, row.quiet) << row.line;
    EXPECT_EQ(parsed.wizard, row.wizard) << row.line;
  }
  EXPECT_EQ(ParseCommandLine(nullptr).action, A::None);
}
