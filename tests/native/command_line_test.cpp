#include "app/command_line.h"

#include <gtest/gtest.h>

TEST(ParseCommandLine, EachSwitchInAllItsForms) {
  struct Case {
    const char* line;
    SwitchAction action;
  };
  const Case cases[] = {
      {"-STOPSERVICE", SwitchAction::StopService},
      {"/stopservice", SwitchAction::StopService},
      {"-StartService", SwitchAction::StartService},
      {"/STARTSERVICE", SwitchAction::StartService},
      {"-RESTARTSERVICE", SwitchAction::RestartService},
      {"/RESTARTSERVICE", SwitchAction::RestartService},
      {"-INSTALLSERVICE", SwitchAction::InstallService},
      {"/INSTALLSERVICE", SwitchAction::InstallService},
      {"/I", SwitchAction::InstallService},
      {"-i", SwitchAction::InstallService},
      {"-REMOVESERVICE", SwitchAction::RemoveService},
      {"/REMOVESERVICE", SwitchAction::RemoveService},
      {"/r", SwitchAction::RemoveService},
      {"-R", SwitchAction::RemoveService},
      {"-DELETEDATADIR", SwitchAction::DeleteDataDirectory},
      {"/DeleteDataDir", SwitchAction::DeleteDataDirectory},
      {"-MODEMTEST", SwitchAction::ModemTest},
      {"/MODEMTEST", SwitchAction::ModemTest},
      {"", SwitchAction::None},
      {"-WIZARD", SwitchAction::None},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCommandLine(c.line).action, c.action) << c.line;
}

TEST(ParseCommandLine, MatchesSubstringsNotWords) {
  EXPECT_EQ(ParseCommandLine("/install").action, SwitchAction::InstallService);
  EXPECT_EQ(ParseCommandLine("something/removeall").action, SwitchAction::RemoveService);
  // "-DELETEDATADIR" holds no earlier switch; "/RESTARTSERVICE" holds "/R" but
  // the restart row comes first.
  EXPECT_EQ(ParseCommandLine("/RESTARTSERVICE").action, SwitchAction::RestartService);
}

TEST(ParseCommandLine, FirstMatchingRowWins) {
  EXPECT_EQ(ParseCommandLine("-STARTSERVICE -STOPSERVICE").action, SwitchAction::StopService);
  EXPECT_EQ(ParseCommandLine("-REMOVESERVICE -INSTALLSERVICE").action, SwitchAction::InstallService);
  EXPECT_EQ(ParseCommandLine("-MODEMTEST -DELETEDATADIR").action, SwitchAction::DeleteDataDirectory);
}

TEST(ParseCommandLine, QuietAndWizardAreFlags) {
  for (const char* line : {"-QUIET", "/quiet", "/Q", "-q -INSTALLSERVICE"}) {
    EXPECT_TRUE(ParseCommandLine(line).quiet) << line;
  }
  CommandLineSwitches quietInstall = ParseCommandLine("-Q -INSTALLSERVICE");
  EXPECT_TRUE(quietInstall.quiet);
  EXPECT_EQ(quietInstall.action, SwitchAction::InstallService);
  EXPECT_FALSE(ParseCommandLine("-INSTALLSERVICE").quiet);
  EXPECT_TRUE(ParseCommandLine("/wizard").wizard);
  EXPECT_TRUE(ParseCommandLine("-WIZARD").wizard);
  EXPECT_FALSE(ParseCommandLine("WIZARD").wizard);
  EXPECT_FALSE(ParseCommandLine(nullptr).quiet);
}
