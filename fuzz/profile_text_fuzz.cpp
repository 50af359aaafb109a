// Profile text read from files users edit: FindSectionValue over a section as
// the profile API returns it, and the operator list (OPERATORS.INI). Input: a
// byte choosing the value capacity, a key and a line feed, then the text,
// read both as a section (NUL-separated strings) and as the operator list.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "config/value_rules.h"
#include "gwcore/operator_list.h"
#include "fuzz_checks.h"

namespace {

OperatorEntry g_entries[kMostOperators];
OperatorEntry g_again[kMostOperators];

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A key or value that comes back the same once written as "key=value".
bool SurvivesRewrite(const std::string& text) {
  return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

void CheckSectionValue(const char* section, size_t length, const std::string& key, size_t cap) {
  char* value = new char[cap];
  bool found = FindSectionValue(section, length, key.c_str(), value, cap);
  FUZZ_CHECK(memchr(value, '\0', cap) != nullptr);
  FUZZ_CHECK(found || value[0] == '\0');

  // The value written back under the key in another case, with blanks
  // around both, is read first and the same.
  std::string v(value);
  if (!key.empty() && key.find('=') == std::string::npos && SurvivesRewrite(key) && SurvivesRewrite(v)) {
    std::string upper = key;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string written = " " + upper + "\t= " + v + " ";
    written.push_back('\0');
    written.append(section, length);
    char* again = new char[cap];
    FUZZ_CHECK(FindSectionValue(written.data(), written.size(), key.c_str(), again, cap));
    FUZZ_CHECK(v == again);
    delete[] again;
  }
  delete[] value;
}

void AppendField(std::string* list, const char* key, const char* value) {
  if (value[0]) *list += std::string(key) + "=" + value + "\r\n";
}

bool SameEntry(const OperatorEntry& a, const OperatorEntry& b) {
  return !strcmp(a.country, b.country) && !strcmp(a.name, b.name) && !strcmp(a.apn, b.apn) &&
         !strcmp(a.apnLogin, b.apnLogin) && !strcmp(a.apnPassword, b.apnPassword) &&
         !strcmp(a.wapGateway, b.wapGateway) && !strcmp(a.mmsServerUrl, b.mmsServerUrl);
}

void CheckOperatorList(const char* text, size_t length) {
  size_t count = ParseOperatorList(text, length, g_entries, kMostOperators);
  FUZZ_CHECK(count <= kMostOperators);
  std::string list = "; written back\r\n";
  bool rewritable = true;
  for (size_t i = 0; i < count; ++i) {
    const OperatorEntry& e = g_entries[i];
    for (const char* field : {e.country, e.name, e.apn, e.apnLogin, e.apnPassword, e.wapGateway, e.mmsServerUrl}) {
      FUZZ_CHECK(memchr(field, '\0', kOperatorTextCapacity) != nullptr);
      rewritable = rewritable && SurvivesRewrite(field);
    }
    FUZZ_CHECK(e.country[0] && e.name[0]);
    list += "[" + std::to_string(i) + "]\r\n";
    AppendField(&list, "Country", e.country);
    AppendField(&list, "operator", e.name);
    AppendField(&list, "APN", e.apn);
    AppendField(&list, "APNLOGIN", e.apnLogin);
    AppendField(&list, "APNPass", e.apnPassword);
    AppendField(&list, "WAPGatewayIP", e.wapGateway);
    AppendField(&list, "MMSURL", e.mmsServerUrl);
  }
  // The entries written out as a list read back the same.
  if (!rewritable) return;
  FUZZ_CHECK(ParseOperatorList(list.data(), list.size(), g_again, kMostOperators) == count);
  for (size_t i = 0; i < count; ++i) FUZZ_CHECK(SameEntry(g_entries[i], g_again[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t cap = 1 + data[0];
  const char* rest = reinterpret_cast<const char*>(data + 1);
  const char* keyEnd = static_cast<const char*>(memchr(rest, '\n', size - 1));
  if (!keyEnd) return 0;
  std::string key(rest, strnlen(rest, static_cast<size_t>(keyEnd - rest)));
  size_t length = size - 1 - static_cast<size_t>(keyEnd + 1 - rest);
  // A copy of exactly the text's size: any read past the end is reported.
  char* text = new char[length ? length : 1];
  memcpy(text, keyEnd + 1, length);

  CheckSectionValue(text, length, key, cap);
  CheckOperatorList(text, length);
  delete[] text;
  return 0;
}
