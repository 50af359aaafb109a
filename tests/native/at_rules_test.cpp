#include "modem/at_rules.h"

#include <gtest/gtest.h>

#include <initializer_list>

TEST(AtRules, ModemAnswersAndPortNames) {
  struct Rule {
    bool (*accepts)(const char*);
    std::initializer_list<const char*> yes, no;
  } const rules[] = {
      {IsFinalResponse,
       {"\r\nOK\r\n", "ATE0V1\rOK", "\r\n+CMS ERROR: 500\r\n", "ERROR"},
       {"OK", "\r\n> ", "", "\r\nok\r\n"}},
      {ResponseIsOk, {"\r\nOK\r\n", "\rOK"}, {"OK\r\n", "\r\nERROR\r\n"}},  // a line break before OK
      {IsDirectComPortName, {"com3:", "Com12:", "COM:"}, {"COM3", "COM3: ", "XCOM3:", "CO3:", ""}},
      {CfunSupportsResetParameter,
       {"\r\n+CFUN: (0,1,4),(0,1)\r\n\r\nOK\r\n", "+CFUN:(0-1) ,(0-1)"},
       {"\r\n+CFUN: (0,1,4)\r\n\r\nOK\r\n", "\r\n+CFUN: 0,1\r\nOK", "\r\n+CFUN: (0,1\r\nOK", "\r\nOK\r\n"}},
      {CfunReportsFullFunctionality, {"\r\n+CFUN: 1\r\n\r\nOK\r\n", "+CFUN:1"}, {"\r\n+CFUN: 4\r\nOK", "\r\nOK\r\n"}},
      {CfunAnswered, {"+CFUN: 4"}, {"\r\nERROR\r\n"}},
      {CopsReportsOperator, {"\r\n+COPS: 0,0,\"Operator\"\r\n\r\nOK\r\n", "+COPS:1 ,2,\"26201\""},
       {"\r\n+COPS: 0\r\n\r\nOK\r\n", "\r\nOK\r\n"}},
      {CopsAnswered, {"\r\n+COPS: 0\r\n"}, {"\r\nERROR\r\n"}},
  };
  for (const Rule& rule : rules) {
    SCOPED_TRACE(&rule - rules);
    for (const char* text : rule.yes) EXPECT_TRUE(rule.accepts(text)) << text;
    for (const char* text : rule.no) EXPECT_FALSE(rule.accepts(text)) << text;
  }
}
