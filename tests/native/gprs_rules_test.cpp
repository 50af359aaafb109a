// The GPRS link library's portable rules. No windows.h.
#include "gprslink/gprs_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kListing[] =
    "\r\n+CGDCONT: 1,\"IP\",\"internet.example\",\"0.0.0.0\",0,0\r\n"
    "+CGDCONT: 3,\"IP\",\"MMS.Example\",\"0.0.0.0\",0,0\r\n"
    "+CGDCONT: 4,\"IP\",\"\",\"0.0.0.0\",0,0\r\n\r\nOK\r\n";

TEST(GprsRulesApn, AcceptsOnlyTextThatCanStandBetweenQuotes) {
  EXPECT_TRUE(IsUsableApn("internet.example"));
  EXPECT_TRUE(IsUsableApn(std::string(100, 'a').c_str()));
  EXPECT_FALSE(IsUsableApn(std::string(101, 'a').c_str()));
  EXPECT_FALSE(IsUsableApn(""));
  EXPECT_FALSE(IsUsableApn(nullptr));
  EXPECT_FALSE(IsUsableApn("mms\",\"evil"));
  EXPECT_FALSE(IsUsableApn("back\\slash"));
  EXPECT_FALSE(IsUsableApn("two words"));
  EXPECT_FALSE(IsUsableApn("line\rend"));
  EXPECT_FALSE(IsUsableApn("caf\xE9"));
}

TEST(GprsRulesContexts, FindsTheContextOfAnApnWithoutRegardToCase) {
  EXPECT_EQ(FindContextForApn(kListing, "internet.example"), 1u);
  EXPECT_EQ(FindContextForApn(kListing, "mms.example"), 3u);
  EXPECT_EQ(FindContextForApn(kListing, "other.example"), 0u);
  EXPECT_EQ(FindContextForApn(kListing, "MMS.Exampl"), 0u) << "whole APNs only";
  EXPECT_EQ(FindContextForApn("\r\nOK\r\n", "internet.example"), 0u);
  EXPECT_EQ(FindContextForApn("+CGDCONT: x,\"IP\",\"a\"\r\n+CGDCONT: 2,\"IP\",\"a\r\n", "a"), 0u)
      << "malformed lines name no context";
  EXPECT_EQ(FindContextForApn("+CGDCONT: 0,\"IP\",\"a\"", "a"), 0u) << "0 is no context id";
  EXPECT_EQ(FindContextForApn("+cgdcont:  7 , \"IP\" , \"a\"", "A"), 7u);
}

TEST(GprsRulesContexts, OffersTheLowestFreeIdWithinTheModemsRange) {
  EXPECT_EQ(FreeContextId(kListing, 16), 2u);
  EXPECT_EQ(FreeContextId("\r\nOK\r\n", 16), 1u);
  EXPECT_EQ(FreeContextId("+CGDCONT: 1,\"IP\",\"a\"\r\n+CGDCONT: 2,\"IP\",\"b\"", 2), 0u) << "all taken";
  EXPECT_EQ(MaxContextId("\r\n+CGDCONT: (1-16),\"IP\",,,(0-2),(0-4)\r\n\r\nOK\r\n", 9), 16u);
  EXPECT_EQ(MaxContextId("+CGDCONT: (1,2,5),\"IP\"", 9), 5u);
  EXPECT_EQ(MaxContextId("+CGDCONT: (1-1000),\"IP\"", 9), 255u);
  EXPECT_EQ(MaxContextId("\r\nERROR\r\n", 9), 9u);
  EXPECT_EQ(MaxContextId("+CGDCONT: (1-16", 9), 9u) << "an unclosed range is no range";
}

TEST(GprsRulesContexts, FormatsADefinitionOnlyForUsableInput) {
  char command[64];
  EXPECT_EQ(FormatContextDefinition(command, sizeof command, 2, "mms.example"), 32u);
  EXPECT_STREQ(command, "AT+CGDCONT=2,\"IP\",\"mms.example\"\r");
  EXPECT_EQ(FormatContextDefinition(command, sizeof command, 2, "a\"b"), 0u);
  EXPECT_STREQ(command, "");
  EXPECT_EQ(FormatContextDefinition(command, sizeof command, 0, "mms.example"), 0u);
  EXPECT_EQ(FormatContextDefinition(command, 20, 2, "mms.example"), 0u) << "never a cut command";
  EXPECT_STREQ(command, "");
}

TEST(GprsRulesInitStrings, AppendsADefinitionWhenNoStringHasOne) {
  const char* inits[] = {"AT&F<cr>", "ATE0V1<cr>"};
  InitStringPlan plan;
  ASSERT_TRUE(PlanInitStringUpdate(inits, 2, "mms.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kAppend);
  EXPECT_STREQ(plan.text, "AT+CGDCONT=1,\"IP\",\"mms.example\"<cr>");
  ASSERT_TRUE(PlanInitStringUpdate(nullptr, 0, "mms.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kAppend);
}

TEST(GprsRulesInitStrings, LeavesStringsThatDefineTheApnAlready) {
  const char* inits[] = {"AT&F<cr>", "AT+CGDCONT=4,\"IP\",\"MMS.EXAMPLE\"<cr>"};
  InitStringPlan plan;
  ASSERT_TRUE(PlanInitStringUpdate(inits, 2, "mms.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kNone);
  EXPECT_EQ(InitContextForApn(inits, 2, "mms.example"), 4u);
  EXPECT_EQ(InitContextForApn(inits, 2, "other.example"), 0u);
}

TEST(GprsRulesInitStrings, RewritesOnlyTheApnOfAnotherDefinition) {
  const char* inits[] = {"ATZ<cr>", "AT&F+CGDCONT=3,\"IP\",\"old.example\";+CGQREQ=3<cr>",
                         "AT+CGDCONT=5,\"IP\",\"second.example\"<cr>"};
  InitStringPlan plan;
  ASSERT_TRUE(PlanInitStringUpdate(inits, 3, "new.example", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kReplace);
  EXPECT_EQ(plan.index, 1u);
  EXPECT_STREQ(plan.text, "AT&F+CGDCONT=3,\"IP\",\"new.example\";+CGQREQ=3<cr>");
  InitContext context;
  ASSERT_TRUE(ParseInitContext(inits[2], &context));
  EXPECT_EQ(context.cid, 5u);
  EXPECT_EQ(std::string(inits[2] + context.apnBegin, inits[2] + context.apnEnd), "second.example");
  EXPECT_FALSE(ParseInitContext("AT+CGDCONT=1,\"IP\",noquotes<cr>", &context));
  EXPECT_FALSE(ParseInitContext("AT+CGDCONT=0,\"IP\",\"a\"<cr>", &context));
}

TEST(GprsRulesInitStrings, RefusesUnusableApnsAndStringsThatWouldNotFit) {
  const char* inits[] = {"AT<cr>"};
  InitStringPlan plan;
  EXPECT_FALSE(PlanInitStringUpdate(inits, 1, "a\"b", &plan));
  EXPECT_EQ(plan.action, InitStringPlan::kNone);
  std::string longInit = "AT+CGDCONT=1,\"IP\",\"a\"" + std::string(230, ';') + "<cr>";
  const char* tooLong[] = {longInit.c_str()};
  EXPECT_FALSE(PlanInitStringUpdate(tooLong, 1, std::string(60, 'b').c_str(), &plan));
}

TEST(GprsRulesGateway, ReadsEveryFormTheModemPageStores) {
  char host[64];
  unsigned port = 0;
  ASSERT_TRUE(ParseGatewayAddress("10.0.0.1", host, sizeof host, &port));
  EXPECT_STREQ(host, "10.0.0.1");
  EXPECT_EQ(port, 8080u) << "no port given";
  ASSERT_TRUE(ParseGatewayAddress(" 10.0.0.2:9201 ", host, sizeof host, &port));
  EXPECT_STREQ(host, "10.0.0.2");
  EXPECT_EQ(port, 9201u);
  ASSERT_TRUE(ParseGatewayAddress("http:10.0.0.3:80", host, sizeof host, &port));
  EXPECT_STREQ(host, "10.0.0.3");
  EXPECT_EQ(port, 80u);
  ASSERT_TRUE(ParseGatewayAddress("HTTP://gw.example/path:1", host, sizeof host, &port));
  EXPECT_STREQ(host, "gw.example");
  EXPECT_EQ(port, 8080u);
  EXPECT_FALSE(ParseGatewayAddress("", host, sizeof host, &port));
  EXPECT_FALSE(ParseGatewayAddress("http://", host, sizeof host, &port));
  EXPECT_FALSE(ParseGatewayAddress("10.0.0.1:0", host, sizeof host, &port));
  EXPECT_FALSE(ParseGatewayAddress("10.0.0.1:70000", host, sizeof host, &port));
  EXPECT_FALSE(ParseGatewayAddress("10.0.0.1:port", host, sizeof host, &port));
  EXPECT_STREQ(host, "");
  EXPECT_FALSE(ParseGatewayAddress(nullptr, host, sizeof host, &port));
}

TEST(GprsRulesPorts, GivesTheDevicePathOfComPortNamesOnly) {
  char device[32];
  ASSERT_TRUE(ComDevicePath("COM5:", device, sizeof device));
  EXPECT_STREQ(device, "\\\\.\\COM5");
  ASSERT_TRUE(ComDevicePath("com12", device, sizeof device));
  EXPECT_STREQ(device, "\\\\.\\COM12");
  EXPECT_FALSE(ComDevicePath("COM", device, sizeof device));
  EXPECT_FALSE(ComDevicePath("COM:", device, sizeof device));
  EXPECT_FALSE(ComDevicePath("COM5x", device, sizeof device));
  EXPECT_FALSE(ComDevicePath("COM5::", device, sizeof device));
  EXPECT_FALSE(ComDevicePath("Acme Modem", device, sizeof device));
  EXPECT_STREQ(device, "");
  EXPECT_FALSE(ComDevicePath("COM5", device, 8)) << "no room for the whole path";
}

TEST(GprsRulesHandover, NamesOneObjectPerModemAndRoleWhateverTheName) {
  char a[96], b[96], c[96], d[96];
  ModemHandoverObjectName("Acme GSM Modem", "Lease", a, sizeof a);
  ModemHandoverObjectName("ACME gsm MODEM", "Lease", b, sizeof b);
  ModemHandoverObjectName("Acme GSM Modem 2", "Lease", c, sizeof c);
  ModemHandoverObjectName("Acme GSM Modem", "Request", d, sizeof d);
  EXPECT_STREQ(a, b) << "modem names compare without case";
  EXPECT_STRNE(a, c);
  EXPECT_EQ(std::string(a).rfind("Global\\ZedSMS_Modem_", 0), 0u);
  EXPECT_EQ(std::string(d).substr(std::string(d).size() - 8), "_Request");
  std::string longName(500, '\\');
  ModemHandoverObjectName(longName.c_str(), "Lease", c, sizeof c);
  EXPECT_EQ(std::string(c).find('\\', 7), std::string::npos) << "no backslash after the namespace";
  EXPECT_LT(std::string(c).size(), 64u);
}

}  // namespace
