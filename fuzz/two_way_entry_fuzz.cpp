// 2-way command entries as they come from the profile or the editor:
// repaired, split into their fields and joined back, and the command's
// rules. Input: the entry's text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "settings/two_way_entry.h"
#include "fuzz_checks.h"

namespace {

TwoWayCommand g_command;
TwoWayCommand g_again;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4 * kTwoWayEntrySize) return 0;  // a profile value
  std::string entry(reinterpret_cast<const char*>(data), size);
  entry.resize(strlen(entry.c_str()) + 1);  // the text up to any NUL, and its terminator

  size_t tabsBefore = std::count(entry.begin(), entry.end(), '\t');
  std::string repaired = entry;
  RepairTwoWayEntry(&repaired[0]);
  FUZZ_CHECK(repaired.size() == entry.size() && strlen(repaired.c_str()) + 1 == repaired.size());
  size_t tabsAfter = std::count(repaired.begin(), repaired.end(), '\t');
  FUZZ_CHECK(tabsAfter >= tabsBefore);
  FUZZ_CHECK(tabsBefore >= 2 ? repaired == entry : tabsAfter <= 2);
  // Repairing twice is repairing once.
  std::string twice = repaired;
  RepairTwoWayEntry(&twice[0]);
  FUZZ_CHECK(twice == repaired);

  SplitTwoWayEntry(repaired.c_str(), &g_command);
  FUZZ_CHECK(strlen(g_command.prefix) <= kTwoWayPrefixChars);
  FUZZ_CHECK(strlen(g_command.command) <= kTwoWayCommandChars);
  FUZZ_CHECK(!strchr(g_command.prefix, '\t') && !strchr(g_command.command, '\t'));

  char prefix[kTwoWayPrefixChars + 1];
  TwoWayEntryPrefix(repaired.c_str(), prefix, sizeof prefix);
  FUZZ_CHECK(g_command.prefix[0] ? strcmp(prefix, g_command.prefix) == 0 : strcmp(prefix, "*") == 0);

  // Joined back and split again, the fields are the same ("*" standing for
  // an empty prefix), and so is the entry.
  char joined[kTwoWayEntrySize];
  size_t length = FormatTwoWayEntry(g_command, joined, sizeof joined);
  FUZZ_CHECK(length == strlen(joined));
  SplitTwoWayEntry(joined, &g_again);
  FUZZ_CHECK(strcmp(g_again.prefix, g_command.prefix[0] ? g_command.prefix : "*") == 0);
  FUZZ_CHECK(strcmp(g_again.command, g_command.command) == 0);
  FUZZ_CHECK(g_again.returnsResponse == g_command.returnsResponse);
  char rejoined[kTwoWayEntrySize];
  FUZZ_CHECK(FormatTwoWayEntry(g_again, rejoined, sizeof rejoined) == length);
  FUZZ_CHECK(strcmp(rejoined, joined) == 0);

  CheckTwoWayCommand(g_command.command, g_command.returnsResponse);
  IsTwoWayUrl(g_command.command);
  char program[kTwoWayCommandChars + 1];
  size_t programLength = TwoWayProgramPath(g_command.command, program, sizeof program);
  FUZZ_CHECK(programLength == strlen(program) && programLength <= strlen(g_command.command));
  FileNameHasDot(program);
  return 0;
}
