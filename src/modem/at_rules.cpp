#include "modem/at_rules.h"

#include <cstring>

#include "common/text_util.h"

bool ResponseIsOk(const char* text) { return strstr(text, "\nOK") || strstr(text, "\rOK"); }

bool IsFinalResponse(const char* text) { return ResponseIsOk(text) || strstr(text, "ERROR"); }

bool IsDirectComPortName(const char* name) {
  if (!FindNoCase(name, "COM") || FindNoCase(name, "COM") != name) return false;
  const char* p = name + 3;
  while (*p >= '0' && *p <= '9') ++p;
  return p[0] == ':' && p[1] == '\0';
}

bool CfunSupportsResetParameter(const char* answer) {
  const char* p = strstr(answer, "+CFUN:");
  if (!p) return false;
  p = SkipBlanks(p + 6);
  if (*p != '(') return false;
  p = strchr(p, ')');
  if (!p) return false;
  return *SkipBlanks(p + 1) == ',';
}

bool CfunAnswered(const char* answer) { return strstr(answer, "+CFUN:") != nullptr; }

bool CfunReportsFullFunctionality(const char* answer) {
  const char* p = strstr(answer, "+CFUN:");
  return p && *SkipBlanks(p + 6) == '1';
}

bool CopsAnswered(const char* answer) { return strstr(answer, "+COPS:") != nullptr; }

bool CopsReportsOperator(const char* answer) {
  const char* p = strstr(answer, "+COPS:");
  if (!p) return false;
  p = SkipBlanks(p + 6);
  while (*p >= '0' && *p <= '9') ++p;
  return *SkipBlanks(p) == ',';
}
