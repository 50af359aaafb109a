// How the console reads a modem's answers. No windows.h.
#pragma once
#include <cstddef>

// The answer holds a final result: "\nOK", "\rOK" or "ERROR" anywhere.
bool IsFinalResponse(const char* text);
// "\nOK" or "\rOK": an OK at the very start, without a line break before it, does not count.
bool ResponseIsOk(const char* text);
// "COM", any digits, ":" and nothing more, letters in any case.
bool IsDirectComPortName(const char* name);
// The answer to "AT+CFUN=?" lists a reset parameter: "+CFUN:" then "(", a
// matching ")" and a "," (blanks allowed between).
bool CfunSupportsResetParameter(const char* answer);
// The answer to "AT+CFUN?" reports full functionality (the value 1).
bool CfunReportsFullFunctionality(const char* answer);
// The answer to "AT+CFUN?" holds a "+CFUN:" line at all.
bool CfunAnswered(const char* answer);
// The answer to "AT+COPS?" names an operator: a "," after the mode digits.
bool CopsReportsOperator(const char* answer);
// "+COPS:" appears in the answer.
bool CopsAnswered(const char* answer);
