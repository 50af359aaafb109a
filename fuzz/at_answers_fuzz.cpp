// The modem's answers to AT commands: the final-result rules, the +CFUN and
// +COPS readers and the PDP context readers of the GPRS link. Input: the APN
// on the first line, then the modem's answer. The answer's lines also serve
// as the driver's initialisation strings.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gprslink/gprs_rules.h"
#include "modem/at_rules.h"
#include "fuzz_checks.h"

namespace {

constexpr size_t kMostInitStrings = 4;

// The answer's first lines, each cut to what an initialisation string value holds.
std::vector<std::string> InitStringsOf(const std::string& answer) {
  std::vector<std::string> inits;
  size_t start = 0;
  while (inits.size() < kMostInitStrings && start < answer.size()) {
    size_t end = answer.find('\n', start);
    if (end == std::string::npos) end = answer.size();
    inits.push_back(answer.substr(start, std::min(end - start, kInitStringCapacity - 1)));
    start = end + 1;
  }
  return inits;
}

void CheckInitStringPlan(std::vector<std::string> inits, const char* apn) {
  std::vector<const char*> pointers;
  for (const std::string& init : inits) pointers.push_back(init.c_str());
  InitStringPlan plan;
  bool planned = PlanInitStringUpdate(pointers.data(), pointers.size(), apn, &plan);
  FUZZ_CHECK(!planned || IsUsableApn(apn));
  if (!planned) return;
  FUZZ_CHECK(memchr(plan.text, '\0', sizeof plan.text) != nullptr);
  // Carried out, the plan leaves the APN defined.
  if (plan.action == InitStringPlan::kReplace) {
    FUZZ_CHECK(plan.index < inits.size());
    inits[plan.index] = plan.text;
  } else if (plan.action == InitStringPlan::kAppend) {
    inits.push_back(plan.text);
  }
  pointers.clear();
  for (const std::string& init : inits) pointers.push_back(init.c_str());
  FUZZ_CHECK(InitContextForApn(pointers.data(), pointers.size(), apn) != 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const char* lineEnd = static_cast<const char*>(memchr(text, '\n', size));
  if (!lineEnd) return 0;
  // An embedded NUL ends the APN early, as it would in a profile value.
  std::string apn(text, strnlen(text, static_cast<size_t>(lineEnd - text)));
  std::string answer(lineEnd + 1, text + size);
  const char* a = answer.c_str();

  FUZZ_CHECK(!ResponseIsOk(a) || IsFinalResponse(a));
  FUZZ_CHECK(!CfunReportsFullFunctionality(a) || CfunAnswered(a));
  FUZZ_CHECK(!CopsReportsOperator(a) || CopsAnswered(a));
  CfunSupportsResetParameter(a);
  IsDirectComPortName(a);

  unsigned maxCid = MaxContextId(a, kDefaultMaxContextId);
  unsigned freeCid = FreeContextId(a, maxCid);
  FUZZ_CHECK(freeCid <= maxCid);
  unsigned cid = FindContextForApn(a, apn.c_str());
  FUZZ_CHECK(cid == 0 || IsUsableApn(apn.c_str()));
  FUZZ_CHECK(cid == 0 || cid != freeCid);

  InitContext context;
  if (ParseInitContext(a, &context)) {
    FUZZ_CHECK(context.cid != 0);
    FUZZ_CHECK(context.apnBegin <= context.apnEnd && context.apnEnd <= strlen(a));
  }
  CheckInitStringPlan(InitStringsOf(answer), apn.c_str());

  // A context this console defines is found again in the modem's listing.
  if (IsUsableApn(apn.c_str())) {
    unsigned newCid = 1 + (apn.size() % kDefaultMaxContextId);
    char command[160];
    size_t length = FormatContextDefinition(command, sizeof command, newCid, apn.c_str());
    FUZZ_CHECK(length == strlen(command) && length > 0);
    FUZZ_CHECK(ParseInitContext(command, &context) && context.cid == newCid);
    FUZZ_CHECK(std::string(command + context.apnBegin, command + context.apnEnd) == apn);
    char listing[200];
    snprintf(listing, sizeof listing, "\r\n+CGDCONT: %u,\"IP\",\"%s\",\"0.0.0.0\",0,0\r\n\r\nOK\r\n", newCid,
             apn.c_str());
    FUZZ_CHECK(FindContextForApn(listing, apn.c_str()) == newCid);
    FUZZ_CHECK(FreeContextId(listing, newCid) == (newCid == 1 ? 0 : 1));
    FUZZ_CHECK(IsFinalResponse(listing) && ResponseIsOk(listing));
  }
  return 0;
}
