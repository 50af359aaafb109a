// What the settings pages store and read back: MM7 addresses and variations,
// 2-way command entries, user and VASP records, and where PHP is found.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/text_util.h"
#include "config/user_records.h"
#include "settings/mm7_settings.h"
#include "settings/php_lookup.h"
#include "settings/two_way_entry.h"

namespace {

using Bytes = std::vector<unsigned char>;

// size bytes of fill with the texts written at their offsets.
Bytes Record(size_t size, unsigned char fill, std::initializer_list<std::pair<size_t, std::string>> texts) {
  Bytes record(size, fill);
  for (const auto& text : texts) memcpy(&record[text.first], text.second.data(), text.second.size());
  return record;
}

UserAccount Account() {
  UserAccount account = {};
  CopyText(account.name, sizeof account.name, "alice");
  CopyText(account.password, sizeof account.password, "secret");
  CopyText(account.fullName, sizeof account.fullName, "Alice Example");
  CopyText(account.ipRestriction, sizeof account.ipRestriction, "10.0.0.1 10.0.0.2");
  return account;
}

TwoWayCommand Split(const std::string& entry) {
  TwoWayCommand command;
  SplitTwoWayEntry(entry.c_str(), &command);
  return command;
}

// A file system of the listed files that records every path asked for.
struct FakeFiles {
  explicit FakeFiles(std::set<std::string> existing) : files(std::move(existing)) {}
  std::set<std::string> files;
  std::vector<std::string> asked;
  char found[260] = "stale";

  bool Find(const std::string& phprc, const std::string& path) {
    return FindPhpProgram(phprc.c_str(), path.c_str(), Exists, this, found, sizeof found);
  }
  static bool Exists(const char* path, void* context) {
    auto* fake = static_cast<FakeFiles*>(context);
    fake->asked.push_back(path);
    return fake->files.count(path) != 0;
  }
};

}  // namespace

TEST(Mm7ServerAddress, SchemeHostAndPortAndTheNumberSuffixAfterAHash) {
  const struct {
    std::string server, host;
    unsigned port;
    bool tls;
  } rows[] = {
      {"http://mm7.example.com/mm7", "mm7.example.com", 80, false},
      {"HTTPS://mm7.example.com", "mm7.example.com", 443, true},
      {"mm7.example.com", "mm7.example.com", 80, false},  // no scheme is plain HTTP
      {"http://10.1.2.3:8080/vasp/mm7:deliver?x=1", "10.1.2.3", 8080, false}, {"https://host/a:99", "host", 443, true},
      {"http://host:/mm7", "host", 0, false}, {"host:abc", "host", 0, false},
      {"host:99999", "host", 99999, false},  // kept as typed; the connect refuses it
      {"ftp://files", "ftp", 0, false},       // other schemes are host text
      {"https://" + std::string(400, 'h') + ":8443/x", std::string(kMm7HostChars, 'h'), 8443, true},  // cut, port kept
      {std::string(3000, 'z'), std::string(kMm7HostChars, 'z'), 80, false},
  };
  for (const auto& row : rows) {
    Mm7ServerAddress address;
    ParseMm7ServerAddress(row.server.c_str(), &address);
    EXPECT_EQ(std::string(address.host), row.host) << row.server;
    EXPECT_EQ(address.port, row.port) << row.server;
    EXPECT_EQ(address.tls, row.tls) << row.server;
  }
  const char* const hosts[][2] = {{"smsc.example.com#2", "smsc.example.com"}, {"127.0.0.1#15", "127.0.0.1"},
                                  {"host#", "host"}, {"host#2a", "host#2a"}, {"a#b#12", "a#b"}, {"plain", "plain"}};
  for (const auto& row : hosts) {
    char text[64];
    CopyText(text, sizeof text, row[0]);
    CutHostNumberSuffix(text);
    EXPECT_STREQ(text, row[1]) << row[0];
  }
}

TEST(Mm7Settings, StoredSchemaNamesAListEntryOrNone) {
  const std::string prefix = "http://www.3gpp.org/ftp/Specs/archive/23_series/23.140/schema/";
  EXPECT_STREQ(Mm7SchemaName(""), kDefaultMm7Schema);
  EXPECT_STREQ(Mm7SchemaName((prefix + "REL-6-MM7-1-1").c_str()), "REL-6-MM7-1-1");
  EXPECT_STREQ(Mm7SchemaName("HTTP://WWW.3GPP.ORG/ftp/Specs/archive/23_series/23.140/schema/REL-5-MM7-1-0"),
               "REL-5-MM7-1-0")
      << "the prefix in any case";
  for (const std::string& other : {prefix + "REL-7-MM7-1-0", std::string("urn:custom:schema"),
                                  std::string("REL-5-MM7-1-2"), prefix})
    EXPECT_EQ(Mm7SchemaName(other.c_str()), nullptr) << other;
}

TEST(Mm7Settings, VariationsStoredAsKeysAndReadBack) {
  using V = Mm7Variation;
  for (V variation : {V::kStandard, V::kPhpUpload, V::kEricsson, V::kLogicaCmg, V::kAnnyWay}) {
    Mm7VariationKeys keys = VariationKeys(variation);
    EXPECT_EQ(VariationFromKeys(keys.protocol, keys.annyWay ? "Yes" : "", keys.logicaCmg ? "Yes" : "",
                                keys.phpMultipartPost ? "Yes" : ""),
              variation);
  }
  EXPECT_STREQ(VariationKeys(V::kEricsson).protocol, "EricssonMM7");
  const struct {
    const char *protocol, *annyWay, *logicaCmg, *php;
    V variation;
  } rows[] = {{"mm7", "1", "Yes", "Yes", V::kAnnyWay},  // AnnyWay first
              {"MM7", "No", "true", "Yes", V::kLogicaCmg}, {"MM7", "", "", "y", V::kPhpUpload},
              {"ericssonmm7", "Yes", "", "", V::kEricsson},
              {"", "Yes", "Yes", "Yes", V::kStandard},  // switches need MM7
              {"EAIF", "", "", "", V::kStandard}};
  for (const auto& row : rows)
    EXPECT_EQ(VariationFromKeys(row.protocol, row.annyWay, row.logicaCmg, row.php), row.variation) << row.protocol;
}

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
    CopyText(entry, sizeof entry, row[0]);
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

  const std::string prefixes[][2] = {{"HELP\tcmd\tNo", "HELP"}, {"\tcmd\tNo", "*"}, {"", "*"}, {"no tabs", "no tabs"},
                                     {prefix + "\tc", prefix.substr(0, 99)}};
  for (const auto& row : prefixes) {
    char shown[kTwoWayPrefixChars + 1];
    TwoWayEntryPrefix(row[0].c_str(), shown, sizeof shown);
    EXPECT_EQ(std::string(shown), row[1]);
  }
}

TEST(TwoWayEntry, CommandChecksInTheirOrderAndTheProgramTheyName) {
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

  const char* const programs[][2] = {{"\"C:\\Program Files\\x\\app.exe\" @@SMS@@", "C:\\Program Files\\x\\app.exe"},
                                     {"C:\\bin\\app.exe @@SMS@@ more", "C:\\bin\\app.exe"},
                                     {"\"C:\\bin\\app.exe @@SMS@@", "C:\\bin\\app.exe"},  // a lone quote is ignored
                                     {"\"\" @@SMS@@", ""}};
  char program[64];
  for (const auto& row : programs) {
    TwoWayProgramPath(row[0], program, sizeof program);
    EXPECT_STREQ(program, row[1]);
  }
  EXPECT_EQ(TwoWayProgramPath("\"C:\\Program Files\\app.exe\"", program, 8), 7u);
  EXPECT_STREQ(program, "C:\\Prog");
  for (const char* dotted : {"C:\\bin\\app.exe", "app.bat"}) EXPECT_TRUE(FileNameHasDot(dotted)) << dotted;
  for (const char* plain : {"C:\\v1.2\\app", "app", "C:\\bin\\"}) EXPECT_FALSE(FileNameHasDot(plain)) << plain;
}

TEST(UserRecords, NamesReadableInsideTheirFieldComparedWithoutCasePartialRecordsAndUnsafeFolders) {
  auto named = [](const std::string& name) { return Record(kUserRecordBytes, 0, {{0, name}}); };
  for (const std::string& name : {std::string(50, 'x'), std::string("J\xe9r\xf4me")})
    EXPECT_TRUE(IsReadableRecordName(named(name).data())) << name;
  // 60 characters run into the next field: no name at all.
  for (const std::string& name : {std::string(), std::string("a\tb"), std::string("bad\x7f"), std::string(60, 'x')})
    EXPECT_FALSE(IsReadableRecordName(named(name).data())) << name;
  EXPECT_FALSE(IsReadableRecordName(nullptr));
  EXPECT_FALSE(RecordNameEquals(named(std::string(60, 'x')).data(), std::string(60, 'x').c_str()));
  EXPECT_FALSE(RecordNameStartsWith(named(std::string(60, 'x')).data(), "x"));
  EXPECT_TRUE(IsValidAccountName(std::string(50, 'b').c_str()));
  for (const char* bad : {"", "line\nbreak", static_cast<const char*>(nullptr)}) EXPECT_FALSE(IsValidAccountName(bad));
  EXPECT_FALSE(IsValidAccountName(std::string(51, 'b').c_str()));
  Bytes alice = named("Alice");
  EXPECT_TRUE(RecordNameEquals(alice.data(), "ALICE"));
  EXPECT_FALSE(RecordNameEquals(alice.data(), "alic"));
  EXPECT_TRUE(RecordNameStartsWith(alice.data(), "aLiCe"));
  EXPECT_FALSE(RecordNameStartsWith(alice.data(), "alicex"));
  EXPECT_FALSE(RecordNameEquals(named("").data(), ""));

  EXPECT_EQ(CompleteRecordCount(521, kUserRecordBytes), 0u);
  EXPECT_EQ(CompleteRecordCount(522 * 3 + 100, kUserRecordBytes), 3u);
  EXPECT_EQ(CompleteRecordCount(511 * 2, kVaspRecordBytes), 2u);
  EXPECT_EQ(CompleteRecordCount(1000, 0), 0u);
  for (const char* safe : {"alice", "Alice Smith", "a.b"}) EXPECT_TRUE(IsSafeFolderName(safe)) << safe;
  for (const char* unsafe : {"", ".", "..", "..\\Windows", "a/b", "c:x", "a*", "a?", "x\"y", "<a>", "a|b",
                             "trailing.", "trailing ", "tab\tname", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(IsSafeFolderName(unsafe)) << (unsafe ? unsafe : "null");
}

TEST(UserRecords, WrittenFieldByFieldFromZeroAndReadBackCutAtEachField) {
  UserAccount account = Account();
  account.webLogin = account.smppLogin = account.adminAccess = account.acceptReceived = true;
  account.webMenuIndex = 1;
  Bytes record(kUserRecordBytes, 0xEE);
  WriteUserAccount(account, record.data());
  EXPECT_EQ(record, Record(kUserRecordBytes, 0,
                           {{0, "alice"}, {51, "secret"}, {102, "Alice Example"}, {204, "\x01"},
                            {225, "10.0.0.1 10.0.0.2"}, {419, "\xB1j\x01"}}))
      << "every other byte is cleared";
  account.webLogin = false;
  account.webMenuIndex = 7;
  WriteUserAccount(account, record.data());
  EXPECT_EQ(record[203], 1) << "web login disabled";
  EXPECT_EQ(record[420], 0) << "no admin access without web login";
  EXPECT_EQ(record[419], 0xB0) << "an index beyond the options is the first option";
  for (unsigned value = 0; value < 256; ++value) {
    record[419] = static_cast<unsigned char>(value);
    UserAccount read;
    ReadUserAccount(record.data(), &read);
    EXPECT_EQ(read.webMenuIndex, (value >= 0xB0 && value <= 0xB4) ? value - 0xB0 : 0) << value;
  }

  Bytes full = Record(kUserRecordBytes, 'z', {{203, std::string("\0\x02", 2)}, {420, std::string("j\0", 2)}});
  ReadUserAccount(full.data(), &account);  // no NUL in any text
  EXPECT_EQ(std::string(account.name), std::string(50, 'z'));
  EXPECT_EQ(std::string(account.password), std::string(50, 'z'));
  EXPECT_EQ(std::string(account.fullName), std::string(100, 'z'));
  EXPECT_EQ(std::string(account.ipRestriction), std::string(49, 'z'));
  EXPECT_TRUE(account.webLogin && account.smppLogin && account.adminAccess);
  EXPECT_FALSE(account.acceptReceived);
  full[420] = 'J';
  ReadUserAccount(full.data(), &account);
  EXPECT_FALSE(account.adminAccess) << "only a lower-case j";
}

TEST(VaspRecord, TheConsoleFieldsAreSetAndTheRestKept) {
  Bytes record(kVaspRecordBytes, 0x55);
  memset(&record[51], 'p', 51);  // an old, longer password leaves nothing behind
  FillVaspAccount(Account(), record.data());
  Bytes expected = Record(kVaspRecordBytes, 0x55,
                          {{0, std::string(203, '\0')}, {0, "alice"}, {51, "secret"}, {102, "Alice Example"},
                           {203, std::string("\x01\0\x01\x01", 4)}, {267, std::string(50, '\0')},
                           {267, "10.0.0.1 10.0.0.2"}});
  EXPECT_EQ(record, expected);
}

TEST(PhpLookup, PhprcFirstThenPathFoldersInOrderNeverACutPath) {
  char path[64];
  ASSERT_TRUE(PhpProgramCandidate("C:\\php\\;rest", 7, path, sizeof path));
  EXPECT_STREQ(path, "C:\\php\\php-cgi.exe") << "a backslash only when missing";
  EXPECT_FALSE(PhpProgramCandidate("", 0, path, sizeof path));
  ASSERT_TRUE(PhpProgramCandidate("C:\\p", 4, path, 17));
  EXPECT_STREQ(path, "C:\\p\\php-cgi.exe");
  EXPECT_FALSE(PhpProgramCandidate("C:\\p", 4, path, 16)) << "a cut path would name another file";

  using Paths = std::vector<std::string>;
  std::string longPath;
  for (int i = 0; i < 300; ++i) longPath += "C:\\folder" + std::to_string(i) + ";";
  const std::string longFolder(300, 'x');
  const struct {
    std::set<std::string> files;
    std::string phprc, path, found;
    Paths asked;
  } rows[] = {
      {{"C:\\rc\\php-cgi.exe", "C:\\path\\php-cgi.exe"}, "C:\\rc", "C:\\path", "C:\\rc\\php-cgi.exe",
       {"C:\\rc\\php-cgi.exe"}},
      {{"D:\\two\\php-cgi.exe", "D:\\three\\php-cgi.exe"}, "C:\\rc\\", "D:\\one;  D:\\two;D:\\three",  // blanks skipped
       "D:\\two\\php-cgi.exe", {"C:\\rc\\php-cgi.exe", "D:\\one\\php-cgi.exe", "D:\\two\\php-cgi.exe"}},
      {{}, "", "A;;  ;B; ", "", {"A\\php-cgi.exe", "B\\php-cgi.exe"}},  // never the root an empty folder gives
      {{}, "", "", "", {}},
      // Cut candidates are never asked for.
      {{"C:\\php\\php-cgi.exe"}, longFolder, longFolder + ";C:\\php", "C:\\php\\php-cgi.exe", {"C:\\php\\php-cgi.exe"}},
  };
  for (const auto& row : rows) {
    FakeFiles fake(row.files);
    EXPECT_EQ(fake.Find(row.phprc, row.path), !row.found.empty()) << row.path;
    EXPECT_EQ(std::string(fake.found), row.found);
    EXPECT_EQ(fake.asked, row.asked);
  }
  FakeFiles walked({"C:\\php\\php-cgi.exe"});
  ASSERT_TRUE(walked.Find("", longPath + "C:\\php"));
  EXPECT_EQ(walked.asked.size(), 301u) << "walked to its end, past 2048 characters";
}
