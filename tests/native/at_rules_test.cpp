#include "modem/at_rules.h"

#include <gtest/gtest.h>

TEST(AtRules, FinalResultsEndTheRead) {
  EXPECT_TRUE(IsFinalResponse("\r\nOK\r\n"));
  EXPECT_TRUE(IsFinalResponse("ATE0V1\rOK"));
  EXPECT_TRUE(IsFinalResponse("\r\n+CMS ERROR: 500\r\n"));
  EXPECT_TRUE(IsFinalResponse("ERROR"));
  EXPECT_FALSE(IsFinalResponse("OK"));
  EXPECT_FALSE(IsFinalResponse("\r\n> "));
  EXPECT_FALSE(IsFinalResponse(""));
  EXPECT_FALSE(IsFinalResponse("\r\nok\r\n")) << "case-sensitive";
}

TEST(AtRules, OkNeedsALineBreakBeforeIt) {
  EXPECT_TRUE(ResponseIsOk("\r\nOK\r\n"));
  EXPECT_TRUE(ResponseIsOk("\rOK"));
  EXPECT_FALSE(ResponseIsOk("OK\r\n"));
  EXPECT_FALSE(ResponseIsOk("\r\n+CMS ERROR: 302\r\n"));
  EXPECT_FALSE(ResponseIsOk("\r\nERROR\r\n"));
}

TEST(AtRules, DirectComPortNames) {
  for (const char* direct : {"COM3:", "com3:", "Com12:", "COM:"}) EXPECT_TRUE(IsDirectComPortName(direct)) << direct;
  for (const char* other : {"COM3", "COM3: ", "XCOM3:", "Standard Modem", "COM3:x", "CO3:", ""})
    EXPECT_FALSE(IsDirectComPortName(other)) << other;
}

TEST(AtRules, CfunAnswers) {
  EXPECT_TRUE(CfunSupportsResetParameter("\r\n+CFUN: (0,1,4),(0,1)\r\n\r\nOK\r\n"));
  EXPECT_TRUE(CfunSupportsResetParameter("+CFUN:(0-1) ,(0-1)"));
  EXPECT_FALSE(CfunSupportsResetParameter("\r\n+CFUN: (0,1,4)\r\n\r\nOK\r\n"));
  EXPECT_FALSE(CfunSupportsResetParameter("\r\n+CFUN: 0,1\r\nOK"));
  EXPECT_FALSE(CfunSupportsResetParameter("\r\n+CFUN: (0,1\r\nOK"));
  EXPECT_FALSE(CfunSupportsResetParameter("\r\nOK\r\n"));

  EXPECT_TRUE(CfunReportsFullFunctionality("\r\n+CFUN: 1\r\n\r\nOK\r\n"));
  EXPECT_TRUE(CfunReportsFullFunctionality("+CFUN:1"));
  EXPECT_FALSE(CfunReportsFullFunctionality("\r\n+CFUN: 0\r\nOK"));
  EXPECT_FALSE(CfunReportsFullFunctionality("\r\n+CFUN: 4\r\nOK"));
  EXPECT_FALSE(CfunReportsFullFunctionality("\r\nOK\r\n"));
  EXPECT_TRUE(CfunAnswered("+CFUN: 4"));
  EXPECT_FALSE(CfunAnswered("\r\nERROR\r\n"));
}

TEST(AtRules, CopsOperator) {
  EXPECT_TRUE(CopsReportsOperator("\r\n+COPS: 0,0,\"Operator\"\r\n\r\nOK\r\n"));
  EXPECT_TRUE(CopsReportsOperator("+COPS:1 ,2,\"26201\""));
  EXPECT_FALSE(CopsReportsOperator("\r\n+COPS: 0\r\n\r\nOK\r\n"));
  EXPECT_FALSE(CopsReportsOperator("\r\nOK\r\n"));
  EXPECT_TRUE(CopsAnswered("\r\n+COPS: 0\r\n"));
  EXPECT_FALSE(CopsAnswered("\r\nERROR\r\n"));
}
