#include "settings/two_way_entry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TwoWayCommand Split(const std::string& entry) {
  TwoWayCommand command;
  SplitTwoWayEntry(entry.c_str(), &command);
  return command;
}

}  // namespace

TEST(TwoWayEntry, EntriesStoredWithSpacesGetTheirTabsAndSplitAsThePageShowsThem) {
  const char* const rows[][4] = {
      // stored, repaired, prefix, command (the flag field never reads true here)
      {"HELP C:\\bin\\help.exe", "HELP\tC:\\bin\\help.exe", "HELP", "C:\\bin\\help.exe"},
      {"INFO C:\\x.exe @@SMS@@", "INFO\tC:\\x.exe\t@@SMS@@", "INFO", "C:\\x.exe"},  // the last two spaces
      {"A B C D", "A B\tC\tD", "A B", "C"},
      {"HELP\tC:\\x.exe @@SMS@@", "HELP\tC:\\x.exe\t@@SMS@@", "HELP", "C:\\x.exe"},  // one tab: the last space
      {"HELP\tC:\\my prog.exe\tNo", "HELP\tC:\\my prog.exe\tNo", "HELP", "C:\\my prog.exe"},  // two: untouched
      {"HELP", "HELP", "HELP", ""}, {"", "", "", ""}};
  for (const auto& row : rows) {
    char entry[kTwoWayEntrySize];
    snprintf(entry, sizeof entry, "%s", row[0]);
    RepairTwoWayEntry(entry);
    EXPECT_STREQ(entry, row[1]);
    TwoWayCommand split = Split(entry);
    EXPECT_STREQ(split.prefix, row[2]);
    EXPECT_STREQ(split.command, row[3]);
    EXPECT_FALSE(split.returnsResponse) << row[0];
  }
  for (const char* yes : {"P\tcmd\tYes", "P\tcmd\ty", "P\tcmd\t1\textra"})
    EXPECT_TRUE(Split(yes).returnsResponse) << yes;
}

TEST(TwoWayEntry, WrittenWithAStarForAnEmptyPrefixAndCutAtTheFieldWidths) {
  char entry[kTwoWayEntrySize];
  TwoWayCommand command = {"", "http://x/?m=@@SMS@@", false};
  FormatTwoWayEntry(command, entry, sizeof entry);
  EXPECT_STREQ(entry, "*\thttp://x/?m=@@SMS@@\tNo");

  std::string prefix(150, 'p'), text(1500, 'c');
  TwoWayCommand split = Split(prefix + "\t" + text + "\tYes");
  EXPECT_EQ(FormatTwoWayEntry(split, entry, sizeof entry), kTwoWayEntryChars) << "the longest entry fits";
  EXPECT_EQ(std::string(entry), prefix.substr(0, 99) + "\t" + text.substr(0, 1023) + "\tYes");
  char small[8];
  EXPECT_EQ(FormatTwoWayEntry(split, small, sizeof small), 7u);
  EXPECT_STREQ(small, "ppppppp");

  const char* const prefixes[][2] = {{"HELP\tcmd\tNo", "HELP"}, {"\tcmd\tNo", "*"}, {"", "*"}, {"no tabs", "no tabs"}};
  char shown[kTwoWayPrefixChars + 1];
  for (const auto& row : prefixes) {
    TwoWayEntryPrefix(row[0], shown, sizeof shown);
    EXPECT_STREQ(shown, row[1]);
  }
  TwoWayEntryPrefix((prefix + "\tc").c_str(), shown, sizeof shown);
  EXPECT_EQ(std::string(shown), prefix.substr(0, 99));
}

TEST(TwoWayEntry, CommandChecksInTheirOrder) {
  using P = TwoWayCommandProblem;
  const struct {
    const char* command;
    bool returnsResponse;
    TwoWayCommandProblem problem;
  } rows[] = {
      {"", true, P::kEmpty}, {"MAILTO:a@b?body=@@SMS@@", false, P::kMailto}, {"mailto:a@b", true, P::kMailto},
      {"http://host/app", false, P::kNoReplacementString},  // a URL needs a replacement string too
      {"http://host/app", true, P::kNone}, {"x.exe @@sender@@", false, P::kNone}, {"x.exe @@Sms@@", false, P::kNone},
      {"x.exe @@FULLSMS@@", false, P::kNone}, {"x.exe @@FULL@@", false, P::kNoReplacementString}};
  for (const auto& row : rows)
    EXPECT_EQ(CheckTwoWayCommand(row.command, row.returnsResponse), row.problem) << row.command;
  for (const char* url : {"http://a", "HTTPS://a", "HttpPost://a", "httpspost://a"})
    EXPECT_TRUE(IsTwoWayUrl(url)) << url;
  for (const char* other : {"http:/a", "ftp://a", "c:\\http://", "", "https"})
    EXPECT_FALSE(IsTwoWayUrl(other)) << other;
}

TEST(TwoWayEntry, ProgramBetweenQuotesOrBeforeTheFirstSpaceAndItsDot) {
  const char* const rows[][2] = {{"\"C:\\Program Files\\x\\app.exe\" @@SMS@@", "C:\\Program Files\\x\\app.exe"},
                                 {"C:\\bin\\app.exe @@SMS@@ more", "C:\\bin\\app.exe"},
                                 {"\"C:\\bin\\app.exe @@SMS@@", "C:\\bin\\app.exe"},  // a lone quote is ignored
                                 {"\"\" @@SMS@@", ""}};
  char program[64];
  for (const auto& row : rows) {
    TwoWayProgramPath(row[0], program, sizeof program);
    EXPECT_STREQ(program, row[1]);
  }
  EXPECT_EQ(TwoWayProgramPath("\"C:\\Program Files\\app.exe\"", program, 8), 7u);
  EXPECT_STREQ(program, "C:\\Prog");
  for (const char* dotted : {"C:\\bin\\app.exe", "app.bat"}) EXPECT_TRUE(FileNameHasDot(dotted)) << dotted;
  for (const char* plain : {"C:\\v1.2\\app", "app", "C:\\bin\\"}) EXPECT_FALSE(FileNameHasDot(plain)) << plain;
}
