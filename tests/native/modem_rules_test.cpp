// The modem's portable rules: its answers, the settings the Modem page
// stores, the GPRS link's contexts and the operator list. No windows.h.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/text_util.h"
#include "gprslink/gprs_rules.h"
#include "gwcore/operator_list.h"
#include "modem/at_rules.h"
#include "modem/connection_name.h"
#include "modem/modem_settings.h"

namespace {

const char kListing[] =
    "\r\n+CGDCONT: 1,\"IP\",\"internet.example\",\"0.0.0.0\",0,0\r\n"
    "+CGDCONT: 3,\"IP\",\"MMS.Example\",\"0.0.0.0\",0,0\r\n"
    "+CGDCONT: 4,\"IP\",\"\",\"0.0.0.0\",0,0\r\n\r\nOK\r\n";

std::vector<OperatorEntry> ParseOperators(const std::string& text, size_t capacity = 8) {
  std::vector<OperatorEntry> entries(capacity);
  entries.resize(ParseOperatorList(text.data(), text.size(), entries.data(), capacity));
  return entries;
}

}  // namespace

TEST(AtRules, ModemAnswersAndPortNames) {
  struct Rule {
    bool (*accepts)(const char*);
    std::initializer_list<const char*> yes, no;
  } const rules[] = {
      {IsFinalResponse, {"ATE0V1\rOK", "\r\n+CMS ERROR: 500\r\n", "ERROR"}, {"OK", "\r\n> ", "", "\r\nok\r\n"}},
      {ResponseIsOk, {"\r\nOK\r\n", "\rOK"}, {"OK\r\n", "\r\nERROR\r\n"}},  // a line break before OK
      {IsDirectComPortName, {"com3:", "Com12:", "COM:"}, {"COM3", "COM3: ", "XCOM3:", "CO3:", ""}},
      {CfunSupportsResetParameter, {"+CFUN:(0-1) ,(0-1)"}, {"\r\n+CFUN: (0,1,4)\r\nOK", "+CFUN: 0,1", "+CFUN: (0,1\r\nOK"}},
      {CfunReportsFullFunctionality, {"\r\n+CFUN: 1\r\n\r\nOK\r\n", "+CFUN:1"}, {"\r\n+CFUN: 4\r\nOK", "\r\nOK\r\n"}},
      {CopsReportsOperator, {"\r\n+COPS: 0,0,\"Operator\"\r\n\r\nOK\r\n", "+COPS:1 ,2,\"26201\""},
       {"\r\n+COPS: 0\r\n\r\nOK\r\n", "\r\nOK\r\n"}},
      {IsUsableApn, {"mms.example"}, {"", "mms\",\"evil", "back\\slash", "two words", "caf\xE9", nullptr}},
  };
  for (const Rule& rule : rules) {
    SCOPED_TRACE(&rule - rules);
    for (const char* text : rule.yes) EXPECT_TRUE(rule.accepts(text)) << text;
    for (const char* text : rule.no) EXPECT_FALSE(rule.accepts(text)) << (text ? text : "null");
  }
  EXPECT_TRUE(IsUsableApn(std::string(100, 'a').c_str()));
  EXPECT_FALSE(IsUsableApn(std::string(101, 'a').c_str())) << "100 characters at most";
}

TEST(ModemSettings, WapGatewayInNormalFormAndWhatKeepsTheConnectionTestFromRunning) {
  // A refused address gives null.
  const char* const rows[][2] = {
      {" 010.000.001.002 \t", "10.0.1.2"}, {"10", "10.0.0.0"}, {"1.2.3.4.5", nullptr}, {"gateway.example", nullptr},
      {"10.0.0.1:8080", nullptr}, {"wsp:/010.1.2.3", nullptr},  // a port needs the http: form; no address pieced
      {"http://10.0.0.1:8080", "http:10.0.0.1:8080"}, {"HTTP://wap.example/", "HTTP:wap.example/"},
      {"http:010.1.2.3", "http:010.1.2.3"}, {"http://", "http:"}};
  for (const auto& row : rows) {
    char text[250];
    CopyText(text, sizeof text, row[0]);
    EXPECT_EQ(PrepareWapGateway(text, sizeof text), row[1] != nullptr) << row[0];
    if (row[1]) EXPECT_STREQ(text, row[1]) << row[0];
  }
  char tight[16] = "10";
  EXPECT_FALSE(PrepareWapGateway(tight, 8)) << "the normal form does not fit";

  const struct {
    const char *url, *modem, *gateway;
    MmsSettingsGap gap;
  } gaps[] = {{"", "", "", MmsSettingsGap::kNoUrl},  // the URL first, then the modem
              {"http://mms.example/", "", "", MmsSettingsGap::kNoModem},
              {"http://mms.example/", "Acme", "", MmsSettingsGap::kNoGateway},
              {"http://mms.example/", "Acme", "10.0.0.256", MmsSettingsGap::kBadGateway},
              {"http://mms.example/", "Acme", "010.000.001.002", MmsSettingsGap::kNone}};
  for (const auto& row : gaps) {
    char gateway[32];
    CopyText(gateway, sizeof gateway, row.gateway);
    EXPECT_EQ(FindMmsSettingsGap(row.url, row.modem, gateway, sizeof gateway), row.gap) << row.gateway;
  }
}

// Storage and SMS access values are read and written by the Modem page's walk.
TEST(ModemSettings, NamesAndPinsCutToTheirFieldsAndSectionsOfConnections) {
  const char* const choices[][3] = {{"Acme\tpin=99", "Acme", "99"}, {"Acme\tPUK=1", "Acme", ""},
                                    {"A very long modem name\tPIN=123456789", "A very long mod", "1234567"}};
  for (const auto& row : choices) {
    char name[16], pin[8];
    SplitModemChoice(row[0], name, sizeof name, pin, sizeof pin);
    EXPECT_STREQ(name, row[1]) << row[0];
    EXPECT_STREQ(pin, row[2]) << row[0];
  }
  const char* const sections[][2] = {{"Acme [USB]", "Modem - Acme \\x5BUSB\\x5D"}, {"cimd - x", "cimd - x"},
                                     {"SMPP-smsc", "Modem - SMPP-smsc"}};  // the link prefix needs its blanks
  char section[64];
  for (const auto& row : sections) {
    ConnectionSectionName(row[0], section, sizeof section);
    EXPECT_STREQ(section, row[1]) << row[0];
  }
  ConnectionSectionName("Acme [USB]", section, 12);
  EXPECT_STREQ(section, "Modem - Acm");
}

TEST(ModemSettings, TheModemsOwnEntryIsTheStandardDataConnection) {
  const char* const rows[][4] = {
      {"y", "", "Own", "Modem: Own"}, {"y", "Modem: own", "Own", "Modem: Own"},  // nothing selected; the page's own
      {"y", "MODEM: Other", "Other", "MODEM: Other"}, {"y", "Office VPN", "", "Office VPN"}};  // no modem: UseModem removed
  for (const auto& row : rows) {
    char useModem[32], profile[32];
    ChooseDataConnection(*row[0] != '\0', row[1], "Own", useModem, sizeof useModem, profile, sizeof profile);
    EXPECT_STREQ(useModem, row[2]) << row[1];
    EXPECT_STREQ(profile, row[3]) << row[1];
  }
}

TEST(ModemSettings, DialOutcomesEscapedIntoTheProfileAndBack) {
  const struct {
    int ras;
    size_t cap;
    std::string text;
  } dials[] = {{600, 500, "Connection Failed\r\nRAS Error 600\r\n"}, {799, 500, "Connection Failed\r\nRAS Error 799\r\n"},
               {0, 500, "Connection Test OK!"}, {599, 500, "Connection Failed"}, {800, 500, "Connection Failed"},
               {619, 12, "Connection "}};  // cut at the buffer
  char result[500];
  for (const auto& row : dials) {
    FormatDialResult(row.ras, result, row.cap);
    EXPECT_EQ(std::string(result), row.text) << row.ras;
  }

  const struct {
    void (*convert)(const char*, char*, size_t);
    const char* in;
    size_t cap;
    const char* out;
  } escapes[] = {
      {EscapeResult, "Failed\r\nC:\\x", 64, "Failed\\r\\nC:\\\\x"}, {UnescapeResult, "C:\\\\x\\t", 64, "C:\\x\\t"},
      {EscapeResult, "ab\r\n", 6, "ab\\r"}, {UnescapeResult, "x\\r\\nyz", 4, "x\r\n"},  // escapes never cut in half
  };
  for (const auto& row : escapes) {
    char out[64];
    row.convert(row.in, out, row.cap);
    EXPECT_STREQ(out, row.out) << row.in;
  }
}

TEST(GprsRules, TheContextsOfTheModemsListing) {
  const struct {
    const char* listing;
    const char* apn;
    unsigned context;
  } finds[] = {{kListing, "mms.example", 3}, {kListing, "MMS.Exampl", 0},  // without regard to case; whole APNs only
               {"+CGDCONT: x,\"IP\",\"a\"\r\n+CGDCONT: 2,\"IP\",\"a\r\n", "a", 0},  // malformed
               {"+CGDCONT: 0,\"IP\",\"a\"", "a", 0}, {"+cgdcont:  7 , \"IP\" , \"a\"", "A", 7}};  // 0 is no context id
  for (const auto& row : finds) EXPECT_EQ(FindContextForApn(row.listing, row.apn), row.context) << row.listing;
  EXPECT_EQ(FreeContextId(kListing, 16), 2u);
  EXPECT_EQ(FreeContextId("+CGDCONT: 1,\"IP\",\"a\"\r\n+CGDCONT: 2,\"IP\",\"b\"", 2), 0u) << "all taken";
  EXPECT_EQ(FreeContextId("+CGDCONT: 2,\"IP\",\"+CGDCONT:1,\"", 2), 1u) << "an APN holding +CGDCONT: lists none";
  const std::pair<const char*, unsigned> ranges[] = {{"\r\n+CGDCONT: (1-16),\"IP\",,,(0-2),(0-4)\r\n\r\nOK\r\n", 16},
                                                     {"+CGDCONT: (1,2,5),\"IP\"", 5}, {"+CGDCONT: (1-1000),\"IP\"", 255},
                                                     {"+CGDCONT: (1-16", 9}};  // an unclosed range is no range
  for (const auto& row : ranges) EXPECT_EQ(MaxContextId(row.first, 9), row.second) << row.first;

  char command[64];
  EXPECT_EQ(FormatContextDefinition(command, sizeof command, 2, "mms.example"), 32u);
  EXPECT_STREQ(command, "AT+CGDCONT=2,\"IP\",\"mms.example\"\r");
  EXPECT_EQ(FormatContextDefinition(command, 20, 2, "mms.example"), 0u) << "never a cut command";
  EXPECT_STREQ(command, "");
}

TEST(GprsRules, InitStringsGetADefinitionOfTheApnOnce) {
  InitStringPlan plan;
  ASSERT_TRUE(PlanInitStringUpdate(nullptr, 0, "mms.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kAppend);
  EXPECT_STREQ(plan.text, "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>");

  const char* defined[] = {"AT&F<cr>", "AT+CGDCONT=4,\"IP\",\"MMS.EXAMPLE\"<cr>"};
  ASSERT_TRUE(PlanInitStringUpdate(defined, 2, "mms.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kNone);

  const char* other[] = {"ATZ<cr>", "AT&F+CGDCONT=3,\"IP\",\"old.example\";+CGQREQ=3<cr>",
                         "AT+CGDCONT=5,\"IP\",\"second.example\"<cr>"};
  ASSERT_TRUE(PlanInitStringUpdate(other, 3, "new.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kReplace);
  EXPECT_EQ(plan.index, 1u);
  EXPECT_STREQ(plan.text, "AT&F+CGDCONT=3,\"IP\",\"new.example\";+CGQREQ=3<cr>") << "only the APN is rewritten";

  EXPECT_FALSE(PlanInitStringUpdate(defined, 1, "a\"b", &plan));
  std::string longInit = "AT+CGDCONT=1,\"IP\",\"a\"" + std::string(230, ';') + "<cr>";
  const char* tooLong[] = {longInit.c_str()};
  EXPECT_FALSE(PlanInitStringUpdate(tooLong, 1, std::string(60, 'b').c_str(), &plan)) << "would not fit";
}

TEST(GprsRules, GatewayAddressesComPortsAndHandoverObjects) {
  const struct {
    const char* address;
    unsigned port;  // 0: refused
  } rows[] = {{"10.0.0.1", 8080}, {" 10.0.0.1:9201 ", 9201}, {"http:10.0.0.1:80", 80}, {"HTTP://10.0.0.1/path:1", 8080},
              {"", 0}, {"http://", 0}, {"10.0.0.1:0", 0}, {"10.0.0.1:70000", 0}, {"10.0.0.1:port", 0}, {nullptr, 0}};
  for (const auto& row : rows) {
    char host[64] = "stale";
    unsigned port = 0;
    EXPECT_EQ(ParseGatewayAddress(row.address, host, sizeof host, &port), row.port != 0) << row.address;
    if (row.port) EXPECT_EQ(port, row.port);
    if (row.address) EXPECT_STREQ(host, row.port ? "10.0.0.1" : "") << row.address;
  }
  char device[32];
  ASSERT_TRUE(ComDevicePath("com12:", device, sizeof device));
  EXPECT_STREQ(device, "\\\\.\\COM12");
  for (const char* bad : {"COM", "COM:", "COM5x", "COM5::", "Acme Modem"}) {
    EXPECT_FALSE(ComDevicePath(bad, device, sizeof device)) << bad;
    EXPECT_STREQ(device, "") << bad;
  }

  auto object = [](const std::string& modem, const char* role) {
    char name[96];
    ModemHandoverObjectName(modem.c_str(), role, name, sizeof name);
    return std::string(name);
  };
  EXPECT_EQ(object("Acme GSM Modem", "Lease"), object("ACME gsm MODEM", "Lease")) << "names compare without case";
  std::string longName = object(std::string(500, '\\'), "Lease");
  EXPECT_EQ(longName.rfind("Global\\", 0), 0u);
  EXPECT_EQ(longName.find('\\', 7), std::string::npos) << "no backslash after the namespace";
  EXPECT_LT(longName.size(), 64u);
}

TEST(OperatorList, SectionsWithCountryAndOperatorInFileOrderCapacitiesAndGarbage) {
  std::vector<OperatorEntry> entries = ParseOperators(
      "; comment\r\nCountry=Before any section\r\n[one]\r\n  country = United Kingdom  \r\n"
      "OPERATOR=Example Mobile\r\nAPN=mms.example\r\nAPNLogin=user\r\nAPNPass=secret\r\n"
      "WAPGatewayIP=192.0.2.10\r\nMMSURL=http://mms.example/mms\r\n# another comment\n"
      "[no operator]\nCountry=X\nAPN=left.over\n[no country]\nOperator=Y\n"
      "[two]\nCountry=Germany\nOperator=Beispiel\nUnknown=ignored\nno equals sign\n[empty]\n");
  ASSERT_EQ(entries.size(), 2u);
  // The fields themselves reach the Modem page through the operator lookup.
  EXPECT_EQ(std::string(entries[0].country) + "/" + entries[0].name + "/" + entries[0].apnPassword,
            "United Kingdom/Example Mobile/secret");
  EXPECT_STREQ(entries[1].country, "Germany");
  EXPECT_STREQ(entries[1].apn, "") << "nothing left over from the incomplete sections";
  std::string three = "[a]\nCountry=X\nOperator=Y\nMMSURL=" + std::string(300, 'u') + "\n";
  three += three + three;
  entries = ParseOperators(three, 2);
  ASSERT_EQ(entries.size(), 2u) << "no more than there is room for";
  EXPECT_EQ(strlen(entries[1].mmsServerUrl), kOperatorTextCapacity - 1u) << "cut to its field";

  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37 + 11) % 256);
  garbage[100] = '\0';
  EXPECT_TRUE(ParseOperators(garbage).empty());
}
