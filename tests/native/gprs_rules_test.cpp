// The GPRS link library's portable rules. No windows.h.
#include "gprslink/gprs_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const char kListing[] =
    "\r\n+CGDCONT: 1,\"IP\",\"internet.example\",\"0.0.0.0\",0,0\r\n"
    "+CGDCONT: 3,\"IP\",\"MMS.Example\",\"0.0.0.0\",0,0\r\n"
    "+CGDCONT: 4,\"IP\",\"\",\"0.0.0.0\",0,0\r\n\r\nOK\r\n";

TEST(GprsRules, ApnsAndTheContextsOfTheModemsListing) {
  EXPECT_TRUE(IsUsableApn(std::string(100, 'a').c_str()));
  for (const std::string& bad : {std::string(101, 'a'), std::string(), std::string("mms\",\"evil"),
                                std::string("back\\slash"), std::string("two words"), std::string("caf\xE9")})
    EXPECT_FALSE(IsUsableApn(bad.c_str())) << bad;
  EXPECT_FALSE(IsUsableApn(nullptr));

  EXPECT_EQ(FindContextForApn(kListing, "mms.example"), 3u) << "without regard to case";
  EXPECT_EQ(FindContextForApn(kListing, "MMS.Exampl"), 0u) << "whole APNs only";
  EXPECT_EQ(FindContextForApn("+CGDCONT: x,\"IP\",\"a\"\r\n+CGDCONT: 2,\"IP\",\"a\r\n", "a"), 0u) << "malformed";
  EXPECT_EQ(FindContextForApn("+CGDCONT: 0,\"IP\",\"a\"", "a"), 0u) << "0 is no context id";
  EXPECT_EQ(FindContextForApn("+cgdcont:  7 , \"IP\" , \"a\"", "A"), 7u);

  EXPECT_EQ(FreeContextId(kListing, 16), 2u);
  EXPECT_EQ(FreeContextId("+CGDCONT: 1,\"IP\",\"a\"\r\n+CGDCONT: 2,\"IP\",\"b\"", 2), 0u) << "all taken";
  EXPECT_EQ(FreeContextId("+CGDCONT: 2,\"IP\",\"+CGDCONT:1,\"", 2), 1u) << "an APN holding +CGDCONT: lists none";
  EXPECT_EQ(MaxContextId("\r\n+CGDCONT: (1-16),\"IP\",,,(0-2),(0-4)\r\n\r\nOK\r\n", 9), 16u);
  EXPECT_EQ(MaxContextId("+CGDCONT: (1,2,5),\"IP\"", 9), 5u);
  EXPECT_EQ(MaxContextId("+CGDCONT: (1-1000),\"IP\"", 9), 255u);
  EXPECT_EQ(MaxContextId("+CGDCONT: (1-16", 9), 9u) << "an unclosed range is no range";

  char command[64];
  EXPECT_EQ(FormatContextDefinition(command, sizeof command, 2, "mms.example"), 32u);
  EXPECT_STREQ(command, "AT+CGDCONT=2,\"IP\",\"mms.example\"\r");
  EXPECT_EQ(FormatContextDefinition(command, sizeof command, 2, "a\"b"), 0u);
  EXPECT_EQ(FormatContextDefinition(command, sizeof command, 0, "mms.example"), 0u);
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
  EXPECT_EQ(InitContextForApn(defined, 2, "mms.example"), 4u);

  const char* other[] = {"ATZ<cr>", "AT&F+CGDCONT=3,\"IP\",\"old.example\";+CGQREQ=3<cr>",
                         "AT+CGDCONT=5,\"IP\",\"second.example\"<cr>"};
  ASSERT_TRUE(PlanInitStringUpdate(other, 3, "new.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kReplace);
  EXPECT_EQ(plan.index, 1u);
  EXPECT_STREQ(plan.text, "AT&F+CGDCONT=3,\"IP\",\"new.example\";+CGQREQ=3<cr>") << "only the APN is rewritten";
  InitContext context;
  EXPECT_FALSE(ParseInitContext("AT+CGDCONT=1,\"IP\",noquotes<cr>", &context));
  EXPECT_FALSE(ParseInitContext("AT+CGDCONT=0,\"IP\",\"a\"<cr>", &context));

  EXPECT_FALSE(PlanInitStringUpdate(defined, 1, "a\"b", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kNone);
  std::string longInit = "AT+CGDCONT=1,\"IP\",\"a\"" + std::string(230, ';') + "<cr>";
  const char* tooLong[] = {longInit.c_str()};
  EXPECT_FALSE(PlanInitStringUpdate(tooLong, 1, std::string(60, 'b').c_str(), &plan)) << "would not fit";
}

TEST(GprsRules, GatewayAddressesAndComPorts) {
  char host[64];
  unsigned port = 0;
  const std::pair<const char*, unsigned> accepted[] = {
      {"10.0.0.1", 8080}, {" 10.0.0.1:9201 ", 9201}, {"http:10.0.0.1:80", 80}, {"HTTP://10.0.0.1/path:1", 8080}};
  for (const auto& row : accepted) {
    ASSERT_TRUE(ParseGatewayAddress(row.first, host, sizeof host, &port)) << row.first;
    EXPECT_STREQ(host, "10.0.0.1") << row.first;
    EXPECT_EQ(port, row.second) << row.first;
  }
  for (const char* bad : {"", "http://", "10.0.0.1:0", "10.0.0.1:70000", "10.0.0.1:port"}) {
    EXPECT_FALSE(ParseGatewayAddress(bad, host, sizeof host, &port)) << bad;
    EXPECT_STREQ(host, "") << bad;
  }
  EXPECT_FALSE(ParseGatewayAddress(nullptr, host, sizeof host, &port));

  char device[32];
  ASSERT_TRUE(ComDevicePath("com12:", device, sizeof device));
  EXPECT_STREQ(device, "\\\\.\\COM12");
  for (const char* bad : {"COM", "COM:", "COM5x", "COM5::", "Acme Modem"}) {
    EXPECT_FALSE(ComDevicePath(bad, device, sizeof device)) << bad;
    EXPECT_STREQ(device, "") << bad;
  }
  EXPECT_FALSE(ComDevicePath("COM5", device, 8)) << "no room for the whole path";
}

TEST(GprsRules, OneHandoverObjectPerModemAndRoleWhateverTheName) {
  char a[96], b[96], c[96], d[96];
  ModemHandoverObjectName("Acme GSM Modem", "Lease", a, sizeof a);
  ModemHandoverObjectName("ACME gsm MODEM", "Lease", b, sizeof b);
  ModemHandoverObjectName("Acme GSM Modem 2", "Lease", c, sizeof c);
  ModemHandoverObjectName("Acme GSM Modem", "Request", d, sizeof d);
  EXPECT_STREQ(a, b) << "modem names compare without case";
  EXPECT_STRNE(a, c);
  EXPECT_STRNE(a, d);
  std::string longName(500, '\\');
  ModemHandoverObjectName(longName.c_str(), "Lease", c, sizeof c);
  EXPECT_EQ(std::string(c).rfind("Global\\", 0), 0u);
  EXPECT_EQ(std::string(c).find('\\', 7), std::string::npos) << "no backslash after the namespace";
  EXPECT_LT(std::string(c).size(), 64u);
}

}  // namespace
