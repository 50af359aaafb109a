// What the settings dialogs decide without a window, one table per rule.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/two_way_entry.h"

namespace {

bool Listed(const char* path, void* files) { return static_cast<std::set<std::string>*>(files)->count(path) != 0; }

TEST(TwoWayProgram, AUrlOrAProgramFileAlsoWithDotExeWhenItsNameHasNoDot) {
  std::set<std::string> files = {"C:\\My Tools\\reply tool.exe", "C:\\bin\\responder.EXE", "C:\\bin\\script.bat.EXE"};
  const struct {
    const char* command;
    bool found;
    const char* program;  // the path tried last
  } rows[] = {
      {"HTTPSPOST://host/app", true, ""},
      {"\"C:\\My Tools\\reply tool.exe\" -t @@SMS@@", true, "C:\\My Tools\\reply tool.exe"},
      {"\"C:\\My Tools\\reply tool.exe @@SMS@@", false, "C:\\My.EXE"},  // a lone quote is ignored
      {"C:\\bin\\responder @@FULLSMS@@", true, "C:\\bin\\responder.EXE"},
      {"C:\\bin\\missing @@SMS@@", false, "C:\\bin\\missing.EXE"},
      {"C:\\bin\\script.bat @@SMS@@", false, "C:\\bin\\script.bat"},  // a dot: only as typed
      {"C:\\v1.2\\responder", false, "C:\\v1.2\\responder.EXE"},        // a dot in a folder is none
  };
  for (const auto& row : rows) {
    char program[kTwoWayProgramSize];
    EXPECT_EQ(TwoWayProgramFound(row.command, Listed, &files, program, sizeof program), row.found) << row.command;
    EXPECT_STREQ(program, row.program);
  }
}

}  // namespace
