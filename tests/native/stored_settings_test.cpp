// What the settings pages and dialogs store, read back and decide without a
// window: MM7 addresses, schemas and variations, 2-way command entries and the
// editor's refusals, user and VASP records, and where PHP is found.
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

// A file system of the listed files that records every path asked for.
struct FakeFiles {
  std::set<std::string> files;
  std::vector<std::string> asked;
  static bool Exists(const char* path, void* context) {
    auto* fake = static_cast<FakeFiles*>(context);
    fake->asked.push_back(path);
    return fake->files.count(path) != 0;
  }
};

}  // namespace

// Where the MM7 connection test connects, and over TLS or not.
TEST(Mm7ServerAddress, SchemeHostAndPortAndTheNumberSuffixAfterAHash) {
  const std::pair<std::string, std::string> rows[] = {
      {"http://10.1.2.3:8080/vasp/mm7", "10.1.2.3:8080"}, {"HTTPS://host/a:99", "host:443 tls"},
      {"mm7.example.com", "mm7.example.com:80"},  // no scheme is plain HTTP
      {"http://host:/mm7", "host:0"}, {"ftp://files", "ftp:0"},  // other schemes are host text
      {"https://" + std::string(400, 'h') + ":8443/x", std::string(kMm7HostChars, 'h') + ":8443 tls"}};
  for (const auto& row : rows) {
    Mm7ServerAddress a;
    ParseMm7ServerAddress(row.first.c_str(), &a);
    EXPECT_EQ(std::string(a.host) + ":" + std::to_string(a.port) + (a.tls ? " tls" : ""), row.second) << row.first;
  }
  const char* const hosts[][2] = {{"host#", "host"}, {"host#2a", "host#2a"}, {"a#b#12", "a#b"}};
  for (const auto& row : hosts) {
    char text[64];
    CopyText(text, sizeof text, row[0]);
    CutHostNumberSuffix(text);
    EXPECT_STREQ(text, row[1]) << row[0];
  }
}

// The dialog's test reads a custom version and schema and a LogicaCMG
// variation and writes Ericsson; here the listed choices and defaults.
TEST(Mm7Settings, ListedSchemasStoredWithTheirNamespaceDefaultsNotAtAllAndVariationsReadInOrder) {
  char value[200];
  ASSERT_TRUE(Mm7SchemaToStore("REL-6-MM7-1-3", value, sizeof value));
  EXPECT_STREQ(Mm7SchemaName(value), "REL-6-MM7-1-3");
  EXPECT_TRUE(Mm7SchemaToStore("REL-5-MM7-1-2", value, sizeof value) && !value[0] && !Mm7VersionToStore("5.3.0")[0]);
  EXPECT_STREQ(Mm7SchemaName(""), "REL-5-MM7-1-2");
  using V = Mm7Variation;
  const struct {
    const char *protocol, *annyWay, *logicaCmg, *php;
    V variation;
  } rows[] = {{"mm7", "1", "Yes", "Yes", V::kAnnyWay},  // AnnyWay first
              {"MM7", "", "", "y", V::kPhpUpload},
              {"EAIF", "Yes", "Yes", "Yes", V::kStandard}};  // switches need MM7
  for (const auto& row : rows)
    EXPECT_EQ(VariationFromKeys(row.protocol, row.annyWay, row.logicaCmg, row.php), row.variation) << row.protocol;
}

TEST(TwoWayEntry, StoredEntriesRepairedSplitWrittenBackAndMatchedAndCommandsTheEditorRefuses) {
  const char* const rows[][5] = {
      // stored, repaired, prefix, command, response (written back with "*" for no prefix)
      {"A B C D", "A B\tC\tD", "A B", "C", "No"},  // the last two spaces
      {"HELP\tC:\\x.exe @@SMS@@", "HELP\tC:\\x.exe\t@@SMS@@", "HELP", "C:\\x.exe", "No"},  // one tab: the last space
      {"HELP\tC:\\my prog.exe\tNo", "HELP\tC:\\my prog.exe\tNo", "HELP", "C:\\my prog.exe", "No"},  // untouched
      {"P\tcmd\t1\textra", "P\tcmd\t1\textra", "P", "cmd", "Yes"}, {"\tcmd\tNo", "\tcmd\tNo", "", "cmd", "No"},
      {"", "", "", "", "No"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    char entry[kTwoWayEntrySize];
    CopyText(entry, sizeof entry, row[0]);
    RepairTwoWayEntry(entry);
    EXPECT_STREQ(entry, row[1]);
    TwoWayCommand split;
    SplitTwoWayEntry(entry, &split);
    EXPECT_EQ(std::string(split.prefix) + "|" + split.command + "|" + (split.returnsResponse ? "Yes" : "No"),
              std::string(row[2]) + "|" + row[3] + "|" + row[4]);
    const std::string prefix = row[2][0] ? row[2] : "*";
    char written[kTwoWayEntrySize], shown[kTwoWayPrefixChars + 1];
    FormatTwoWayEntry(split, written, sizeof written);
    EXPECT_EQ(std::string(written), prefix + "\t" + row[3] + "\t" + row[4]);
    TwoWayEntryPrefix(entry, shown, sizeof shown);
    EXPECT_EQ(shown, prefix);
  }
  // Fields are cut at their widths; the longest entry fits.
  std::string prefix(150, 'p'), text(1500, 'c');
  TwoWayCommand split;
  SplitTwoWayEntry((prefix + "\t" + text + "\tYes").c_str(), &split);
  char entry[kTwoWayEntrySize];
  EXPECT_EQ(FormatTwoWayEntry(split, entry, sizeof entry), kTwoWayEntryChars);
  EXPECT_EQ(std::string(entry), prefix.substr(0, 99) + "\t" + text.substr(0, 1023) + "\tYes");

  // The editor refuses in order, and looks for the program also with .EXE.
  const std::string missing = "Cannot locate program file:  ";
  const std::string hint = "\r\n\r\nPlease specify an http://url, or a valid executable file name.";
  const struct {
    const char* command;
    bool response;
    std::string refusal;  // its start; empty: accepted
  } commands[] = {
      {"", true, "Field is required!"}, {"MAILTO:a@b?body=@@SMS@@", false, "mailto: not supported by this edition"},
      {"http://host/app", false, "You must include one or more of the following replacement strings"},
      {"x.exe @@FULL@@", false, "You must include one"}, {"http://host/app", true, ""},
      {"HttpsPost://host/@@sender@@", false, ""},
      {"\"C:\\My Tools\\reply tool.exe\" -t @@Sms@@", false, ""},
      {"\"C:\\My Tools\\reply tool.exe @@SMS@@", false, missing + "C:\\My.EXE" + hint},  // a lone quote is ignored
      {"C:\\bin\\script.bat @@SMS@@", false, missing + "C:\\bin\\script.bat" + hint},  // a dot: only as typed
      {"C:\\v1.2\\responder", true, missing + "C:\\v1.2\\responder.EXE" + hint},      // a dot in a folder is none
      {"http:/a @@SMS@@", false, missing + "http:/a.EXE" + hint},                       // no URL
  };
  for (const auto& row : commands) {
    FakeFiles fake{{"C:\\My Tools\\reply tool.exe", "C:\\bin\\script.bat.EXE"}, {}};
    char message[kTwoWayRefusalSize];
    TwoWayCommandRefusal(row.command, row.response, FakeFiles::Exists, &fake, message, sizeof message);
    EXPECT_EQ(std::string(message).substr(0, row.refusal.empty() ? std::string::npos : row.refusal.size()),
              row.refusal)
        << row.command;
  }
}

// Stored names are found, compared and counted through the stores in the
// accounts tests; here what a name may be, in its field and as a folder.
TEST(UserRecords, NamesInTheirFieldAndAsFoldersAndRecordsReadAndWrittenFieldByField) {
  auto named = [](const std::string& name) { return Record(kUserRecordBytes, 0, {{0, name}}); };
  for (const std::string& name : {std::string(50, 'x'), std::string("J\xe9r\xf4me")})
    EXPECT_TRUE(IsReadableRecordName(named(name).data()) && IsValidAccountName(name.c_str())) << name;
  // 60 characters run into the next field: no name at all.
  for (const std::string& name : {std::string(), std::string("a\tb"), std::string("bad\x7f"), std::string(60, 'x')})
    EXPECT_FALSE(IsReadableRecordName(named(name).data()) || IsValidAccountName(name.c_str())) << name;
  EXPECT_FALSE(IsReadableRecordName(nullptr) || IsValidAccountName(nullptr) ||
               IsValidAccountName(std::string(51, 'b').c_str()));
  for (const char* safe : {"alice", "Alice Smith", "a.b"}) EXPECT_TRUE(IsSafeFolderName(safe)) << safe;
  for (const char* unsafe : {"", ".", "..", "..\\Windows", "a/b", "c:x", "a*", "<a>", "a|b", "trailing.", "trailing ",
                             "tab\tname", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(IsSafeFolderName(unsafe)) << (unsafe ? unsafe : "null");

  // User and VASP records read and written field by field, cut at each field.
  const Bytes stored = Record(kUserRecordBytes, 0, {{0, "alice"}, {51, "secret"}, {102, "Alice Example"}, {204, "\x01"},
                                                    {225, "10.0.0.1 10.0.0.2"}, {419, "\xB1j\x01"}});
  UserAccount account;
  ReadUserAccount(stored.data(), &account);
  Bytes vasp(kVaspRecordBytes, 0x55);
  memset(&vasp[51], 'p', 51);  // an old, longer password leaves nothing behind
  FillVaspAccount(account, vasp.data());
  EXPECT_EQ(vasp, Record(kVaspRecordBytes, 0x55,
                         {{0, std::string(203, '\0')}, {0, "alice"}, {51, "secret"}, {102, "Alice Example"},
                          {203, std::string("\x01\0\x01\x01", 4)}, {267, std::string(50, '\0')},
                          {267, "10.0.0.1 10.0.0.2"}}));
  Bytes record(kUserRecordBytes, 0xEE);
  WriteUserAccount(account, record.data());
  EXPECT_EQ(record, stored) << "every other byte is cleared";
  account.webLogin = false;
  account.webMenuIndex = 7;
  WriteUserAccount(account, record.data());
  // Web login off, the first menu option for an index beyond them, no admin without web login.
  EXPECT_EQ(Bytes(record.begin() + 203, record.begin() + 205), (Bytes{1, 1}));
  EXPECT_EQ(Bytes(record.begin() + 419, record.begin() + 421), (Bytes{0xB0, 0}));
  Bytes full = Record(kUserRecordBytes, 'z', {{203, std::string("\0\x02", 2)}, {420, std::string("J\0", 2)}});
  ReadUserAccount(full.data(), &account);  // no NUL in any text
  EXPECT_EQ(std::string(account.name) + account.password + account.fullName + account.ipRestriction,
            std::string(50 + 50 + 100 + 49, 'z'));
  // Admin only for a lower-case j; a menu byte outside 0xB0 to 0xB4 is the first option.
  EXPECT_TRUE(account.webLogin && account.smppLogin && !account.adminAccess && !account.acceptReceived &&
              account.webMenuIndex == 0);
}

TEST(PhpLookup, PhprcFirstThenPathFoldersInOrderNeverACutPath) {
  using Paths = std::vector<std::string>;
  const std::string longFolder(300, 'x');
  const struct {
    std::set<std::string> files;
    std::string phprc, path, found;
    Paths asked;
  } rows[] = {
      {{"D:\\two\\php-cgi.exe", "D:\\three\\php-cgi.exe"}, "C:\\rc\\", "D:\\one;  D:\\two;D:\\three",  // blanks skipped
       "D:\\two\\php-cgi.exe", {"C:\\rc\\php-cgi.exe", "D:\\one\\php-cgi.exe", "D:\\two\\php-cgi.exe"}},
      {{}, "", "A;;  ;B; ", "", {"A\\php-cgi.exe", "B\\php-cgi.exe"}},  // never the root an empty folder gives
      // Cut candidates are never asked for.
      {{"C:\\php\\php-cgi.exe"}, longFolder, longFolder + ";C:\\php", "C:\\php\\php-cgi.exe", {"C:\\php\\php-cgi.exe"}},
  };
  for (const auto& row : rows) {
    FakeFiles fake{row.files, {}};
    char found[260] = "stale";
    EXPECT_EQ(FindPhpProgram(row.phprc.c_str(), row.path.c_str(), FakeFiles::Exists, &fake, found, sizeof found),
              !row.found.empty());
    EXPECT_EQ(std::string(found), row.found);
    EXPECT_EQ(fake.asked, row.asked) << row.path.substr(0, 40);
  }
}
