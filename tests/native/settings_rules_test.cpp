// What the settings dialogs decide without a window, one table per rule.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/mm7_settings.h"
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

TEST(Mm7Save, TheDefaultVersionAndSchemaAreNotStoredAndACustomSchemaStays) {
  const char* const versions[][2] = {{"5.3.0", ""}, {"6.7.0", "6.7.0"}, {"7.0.0", "7.0.0"}};
  for (const auto& row : versions) EXPECT_STREQ(Mm7VersionToStore(row[0]), row[1]) << row[0];
  const char* const schemas[][2] = {
      {"REL-5-MM7-1-2", ""},
      {"REL-6-MM7-1-3", "http://www.3gpp.org/ftp/Specs/archive/23_series/23.140/schema/REL-6-MM7-1-3"}};
  char value[200] = "untouched";
  EXPECT_FALSE(Mm7SchemaToStore("(Custom)", value, sizeof value));
  EXPECT_STREQ(value, "untouched");
  for (const auto& row : schemas) {
    EXPECT_TRUE(Mm7SchemaToStore(row[0], value, sizeof value));
    EXPECT_STREQ(value, row[1]);
  }
}

}  // namespace
