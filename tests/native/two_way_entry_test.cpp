#include "settings/two_way_entry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repaired(const char* stored) {
  char entry[kTwoWayEntrySize];
  snprintf(entry, sizeof entry, "%s", stored);
  RepairTwoWayEntry(entry);
  return entry;
}

TwoWayCommand Split(const std::string& entry) {
  TwoWayCommand command;
  SplitTwoWayEntry(entry.c_str(), &command);
  return command;
}

std::string Program(const char* command) {
  char program[64];
  TwoWayProgramPath(command, program, sizeof program);
  return program;
}

}  // namespace

TEST(TwoWayEntry, EntriesStoredWithSpacesGetTheirTabs) {
  EXPECT_EQ(Repaired("HELP C:\\bin\\help.exe"), "HELP\tC:\\bin\\help.exe")
      << "one space: prefix and command, no flag";
  EXPECT_EQ(Repaired("HELP C:\\bin\\help.exe @@SMS@@"), "HELP\tC:\\bin\\help.exe\t@@SMS@@")
      << "the replacement string lands in the flag field";
  EXPECT_EQ(Repaired("A B C D"), "A B\tC\tD") << "the last two spaces, counted from the end";
  EXPECT_EQ(Repaired("HELP\tC:\\x.exe @@SMS@@"), "HELP\tC:\\x.exe\t@@SMS@@") << "one tab: the last space";
  EXPECT_EQ(Repaired("HELP\tC:\\my prog.exe\tNo"), "HELP\tC:\\my prog.exe\tNo") << "two tabs: untouched";
  EXPECT_EQ(Repaired("HELP"), "HELP");
  EXPECT_EQ(Repaired(""), "");
}

TEST(TwoWayEntry, ConvertedEntriesSplitAsThePageShowsThem) {
  TwoWayCommand plain = Split(Repaired("HELP C:\\bin\\help.exe"));
  EXPECT_STREQ(plain.prefix, "HELP");
  EXPECT_STREQ(plain.command, "C:\\bin\\help.exe");
  EXPECT_FALSE(plain.returnsResponse);
  TwoWayCommand withString = Split(Repaired("INFO C:\\bin\\info.exe @@SMS@@"));
  EXPECT_STREQ(withString.prefix, "INFO");
  EXPECT_STREQ(withString.command, "C:\\bin\\info.exe");
  EXPECT_FALSE(withString.returnsResponse) << "\"@@SMS@@\" reads as false";
}

TEST(TwoWayEntry, SplitReadsTheFlagAsATrueValue) {
  EXPECT_TRUE(Split("P\tcmd\tYes").returnsResponse);
  EXPECT_TRUE(Split("P\tcmd\ty").returnsResponse);
  EXPECT_TRUE(Split("P\tcmd\t1\textra").returnsResponse);
  EXPECT_FALSE(Split("P\tcmd\tNo").returnsResponse);
  EXPECT_FALSE(Split("P\tcmd").returnsResponse);
  TwoWayCommand empty = Split("");
  EXPECT_STREQ(empty.prefix, "");
  EXPECT_STREQ(empty.command, "");
  EXPECT_FALSE(empty.returnsResponse);
}

TEST(TwoWayEntry, OverlongFieldsAreCutAtTheirWidths) {
  std::string prefix(150, 'p');
  std::string command(1500, 'c');
  TwoWayCommand split = Split(prefix + "\t" + command + "\tYes");
  EXPECT_EQ(std::string(split.prefix), prefix.substr(0, kTwoWayPrefixChars));
  EXPECT_EQ(std::string(split.command), command.substr(0, kTwoWayCommandChars));
  EXPECT_TRUE(split.returnsResponse);
  char entry[kTwoWayEntrySize];
  EXPECT_EQ(FormatTwoWayEntry(split, entry, sizeof entry), kTwoWayEntryChars) << "the longest entry fits";
  EXPECT_EQ(std::string(entry), prefix.substr(0, 99) + "\t" + command.substr(0, 1023) + "\tYes");
  char small[8];
  EXPECT_EQ(FormatTwoWayEntry(split, small, sizeof small), 7u);
  EXPECT_EQ(std::string(small), "ppppppp");
}

TEST(TwoWayEntry, FormatGivesAnEmptyPrefixAStar) {
  TwoWayCommand command = {"", "http://x/?m=@@SMS@@", false};
  char entry[kTwoWayEntrySize];
  FormatTwoWayEntry(command, entry, sizeof entry);
  EXPECT_STREQ(entry, "*\thttp://x/?m=@@SMS@@\tNo");
  TwoWayCommand withFlag = {"Stop", "c:\\x.exe", true};
  FormatTwoWayEntry(withFlag, entry, sizeof entry);
  EXPECT_STREQ(entry, "Stop\tc:\\x.exe\tYes");
}

TEST(TwoWayEntry, PrefixIsTheFirstFieldCutAt99OrAStar) {
  char prefix[kTwoWayPrefixChars + 1];
  TwoWayEntryPrefix("HELP\tcmd\tNo", prefix, sizeof prefix);
  EXPECT_STREQ(prefix, "HELP");
  TwoWayEntryPrefix("\tcmd\tNo", prefix, sizeof prefix);
  EXPECT_STREQ(prefix, "*");
  TwoWayEntryPrefix("", prefix, sizeof prefix);
  EXPECT_STREQ(prefix, "*");
  TwoWayEntryPrefix("no tabs at all", prefix, sizeof prefix);
  EXPECT_STREQ(prefix, "no tabs at all");
  std::string longPrefix(120, 'x');
  TwoWayEntryPrefix((longPrefix + "\tc").c_str(), prefix, sizeof prefix);
  EXPECT_EQ(std::string(prefix), std::string(99, 'x'));
}

TEST(TwoWayEntry, CommandChecksInTheirOrder) {
  EXPECT_EQ(CheckTwoWayCommand("", true), TwoWayCommandProblem::kEmpty);
  EXPECT_EQ(CheckTwoWayCommand("", false), TwoWayCommandProblem::kEmpty);
  EXPECT_EQ(CheckTwoWayCommand("MAILTO:a@b?body=@@SMS@@", false), TwoWayCommandProblem::kMailto);
  EXPECT_EQ(CheckTwoWayCommand("mailto:a@b", true), TwoWayCommandProblem::kMailto);
  EXPECT_EQ(CheckTwoWayCommand("http://host/app", false), TwoWayCommandProblem::kNoReplacementString)
      << "a URL needs a replacement string too";
  EXPECT_EQ(CheckTwoWayCommand("http://host/app", true), TwoWayCommandProblem::kNone);
  EXPECT_EQ(CheckTwoWayCommand("x.exe @@sender@@", false), TwoWayCommandProblem::kNone) << "any case";
  EXPECT_EQ(CheckTwoWayCommand("x.exe @@Sms@@", false), TwoWayCommandProblem::kNone);
  EXPECT_EQ(CheckTwoWayCommand("x.exe @@FULLSMS@@", false), TwoWayCommandProblem::kNone);
  EXPECT_EQ(CheckTwoWayCommand("x.exe @@FULL@@", false), TwoWayCommandProblem::kNoReplacementString);
}

TEST(TwoWayEntry, UrlSchemesInAnyCase) {
  for (const char* url : {"http://a", "HTTPS://a", "HttpPost://a", "httpspost://a"}) EXPECT_TRUE(IsTwoWayUrl(url)) << url;
  for (const char* other : {"http:/a", "ftp://a", "c:\\http://", "", "https"}) EXPECT_FALSE(IsTwoWayUrl(other)) << other;
}

TEST(TwoWayEntry, ProgramIsBetweenQuotesOrBeforeTheFirstSpace) {
  EXPECT_EQ(Program("\"C:\\Program Files\\x\\app.exe\" @@SMS@@"), "C:\\Program Files\\x\\app.exe");
  EXPECT_EQ(Program("C:\\bin\\app.exe @@SMS@@ more"), "C:\\bin\\app.exe");
  EXPECT_EQ(Program("C:\\bin\\app.exe"), "C:\\bin\\app.exe");
  EXPECT_EQ(Program("\"C:\\bin\\app.exe @@SMS@@"), "C:\\bin\\app.exe") << "a lone leading quote is ignored";
  EXPECT_EQ(Program("\"\" @@SMS@@"), "");
  char cut[8];
  EXPECT_EQ(TwoWayProgramPath("\"C:\\Program Files\\app.exe\"", cut, sizeof cut), 7u);
  EXPECT_STREQ(cut, "C:\\Prog");
}

TEST(TwoWayEntry, DotCountsOnlyInTheFileName) {
  EXPECT_TRUE(FileNameHasDot("C:\\bin\\app.exe"));
  EXPECT_TRUE(FileNameHasDot("app.bat"));
  EXPECT_FALSE(FileNameHasDot("C:\\v1.2\\app"));
  EXPECT_FALSE(FileNameHasDot("app"));
  EXPECT_FALSE(FileNameHasDot("C:\\bin\\"));
}
