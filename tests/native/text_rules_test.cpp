// Values as typed or stored. No windows.h.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "app/command_line.h"
#include "common/ipv4_address.h"
#include "common/text_util.h"
#include "config/value_rules.h"
#include "settings/port_field.h"

TEST(ParseCommandLine, SwitchesInAnyCaseWithSlashOrDashAnywhereInTheLine) {
  using A = SwitchAction;
  const struct {
    const char* line;
    SwitchAction action;
    bool quiet = false, wizard = false;
  } rows[] = {
      {"/stopservice", A::StopService}, {"-StartService", A::StartService}, {"/DeleteDataDir", A::DeleteDataDirectory},
      {nullptr, A::None}, {"WIZARD", A::None}, {"/wizard", A::None, false, true},
      // Not whole words: "/install" holds "/I", and "/RESTARTSERVICE" "/R".
      {"/install", A::InstallService}, {"x/removeall", A::RemoveService}, {"/RESTARTSERVICE", A::RestartService},
      // Of several actions one wins, whatever their order in the line.
      {"-STARTSERVICE -STOPSERVICE", A::StopService}, {"-REMOVESERVICE -INSTALLSERVICE", A::InstallService},
      {"-MODEMTEST -DELETEDATADIR", A::DeleteDataDirectory},
      {"-q -INSTALLSERVICE -WIZARD", A::InstallService, true, true},
  };
  for (const auto& row : rows) {
    CommandLineSwitches parsed = ParseCommandLine(row.line);
    EXPECT_TRUE(parsed.action == row.action && parsed.quiet == row.quiet && parsed.wizard == row.wizard) << row.line;
  }
}

TEST(NormalizeIPv4Address, NormalFormOrRefusal) {
  // Parts fill from the left (unlike inet_addr); a refused text gives null.
  const char* const rows[][2] = {
      {"10", "10.0.0.0"}, {"127.1", "127.1.0.0"}, {"192.168.001.010", "192.168.1.10"}, {"1.2.3.", "1.2.3.0"},
      {"255.255.255.255", "255.255.255.255"}, {"0000000000000000001.2", "1.2.0.0"},
      {"  10.1.2.3 \t\r\n", "10.1.2.3"}, {"10. 1", nullptr}, {"1.2.3.4.5", nullptr},
      {"1.2.3.4:80", nullptr}, {"256.1.1.1", nullptr}, {"1.1.1.99999999999999999999", nullptr}, {"-1", nullptr}};
  for (const auto& row : rows) {
    char text[64];
    CopyText(text, sizeof text, row[0]);
    EXPECT_EQ(NormalizeIPv4Address(text, sizeof text), row[1] != nullptr) << row[0];
    if (row[1]) EXPECT_STREQ(text, row[1]) << row[0];
  }
  char fits[16] = "10", tight[16] = "10", blanks[4] = "10 ";
  EXPECT_TRUE(NormalizeIPv4Address(fits, 9));
  EXPECT_FALSE(NormalizeIPv4Address(tight, 8)) << "the normal form must fit";
  EXPECT_FALSE(NormalizeIPv4Address(blanks, sizeof blanks));
  EXPECT_STREQ(blanks, "10") << "trailing blanks are taken off in place in any case";
}

TEST(ValueRules, TrueValuesNumbersPortFieldsFileNamesFoldersAndSectionValues) {
  for (const char* on : {"Y", "y", "1", "TRUE", "True", "Yes please", "10"}) EXPECT_TRUE(IsTrueValue(on)) << on;
  for (const char* off : {"No", "0", "", "false", "on", " yes", "TRUE ", "tru", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(IsTrueValue(off)) << (off ? off : "null");
  const std::pair<const char*, unsigned> numbers[] = {
      {"100abc", 100}, {"abc", 0}, {"", 0}, {" 5", 0}, {"-5", 0}, {"4294967295", UINT_MAX},
      {"99999999999999999999", UINT_MAX}};  // saturates, never wraps
  for (const auto& row : numbers) EXPECT_EQ(ParseLeadingNumber(row.first), row.second) << row.first;
  // Port fields: signed decimal after blanks, shown unsigned, stopped at the limits.
  const std::pair<const char*, unsigned> ports[] = {
      {"  2775", 2775}, {"12abc", 12}, {"+25", 25}, {"", 0}, {"abc", 0}, {"-", 0}, {"- 1", 0},
      {"-1", 4294967295u}, {"2147483647", 2147483647u}, {"99999999999999999999", 2147483647u},
      {"-99999999999999999999", 2147483648u}};
  for (const auto& row : ports) EXPECT_EQ(ParsePortField(row.first), row.second) << row.first;

  char name[] = "SMPP - smsc.example.com:2775/a\\b";
  NameToFileName(name);
  EXPECT_STREQ(name, "SMPP - smsc.example.com-2775-a-b");
  char path[8] = "C:\\Q", full[5] = "C:\\Q";
  EXPECT_TRUE(EnsureTrailingBackslash(path, sizeof path));
  EXPECT_TRUE(EnsureTrailingBackslash(path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\") << "only one";
  EXPECT_FALSE(EnsureTrailingBackslash(full, sizeof full));
  EXPECT_STREQ(full, "C:\\Q");

  // Keys without regard to case, blanks dropped, never read past the length.
  const char section[] = "Modem1=COM5:\0 modem3 = SMPP - smsc:2775 \0WebPort=8800\0Empty=\0";
  const char unterminated[] = {'K', 'e', 'y', '=', 'v', 'a', 'l'};
  const struct {
    const char* section;
    size_t length;
    const char* key;
    size_t cap;
    const char* value;  // null: not found
  } rows[] = {{section, sizeof section - 1, "MODEM3", 64, "SMPP - smsc:2775"},
              {section, sizeof section - 1, "Modem2", 64, nullptr},
              {section, sizeof section - 1, "Modem", 64, nullptr},  // whole keys only
              {section, sizeof section - 1, "Empty", 64, ""}, {section, sizeof section - 1, "WebPort", 4, "880"},
              {unterminated, sizeof unterminated, "Key", 64, "val"}, {unterminated, 3, "Key", 64, nullptr}};
  for (const auto& row : rows) {
    char value[64] = "stale";
    EXPECT_EQ(FindSectionValue(row.section, row.length, row.key, value, row.cap), row.value != nullptr) << row.key;
    EXPECT_STREQ(value, row.value ? row.value : "") << row.key;
  }
}
