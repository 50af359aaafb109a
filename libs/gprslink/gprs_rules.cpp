#include "gprs_rules.h"

#include <cctype>
#include <cstdint>
#include <cstring>

#include "common/text_util.h"

namespace {

constexpr size_t kMaxApnLength = 100;

// Reads a decimal number; false when there is no digit.
bool ReadNumber(const char** cursor, unsigned* value) {
  const char* p = *cursor;
  if (!isdigit(static_cast<unsigned char>(*p))) return false;
  unsigned long long n = 0;
  while (isdigit(static_cast<unsigned char>(*p))) {
    if (n < 0xFFFFFFFFull) n = n * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  *value = n > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(n);
  *cursor = p;
  return true;
}

// Reads a quoted field (blanks before it allowed): where its text starts and
// ends. False when the text is not a quoted field.
bool ReadQuoted(const char** cursor, const char** begin, const char** end) {
  const char* p = SkipBlanks(*cursor);
  if (*p != '"') return false;
  *begin = ++p;
  while (*p && *p != '"' && *p != '\r' && *p != '\n') ++p;
  if (*p != '"') return false;
  *end = p;
  *cursor = p + 1;
  return true;
}

bool Expect(const char** cursor, char c) {
  const char* p = SkipBlanks(*cursor);
  if (*p != c) return false;
  *cursor = p + 1;
  return true;
}

bool SameApn(const char* begin, const char* end, const char* apn) {
  size_t length = static_cast<size_t>(end - begin);
  if (length != strlen(apn)) return false;
  for (size_t i = 0; i < length; ++i)
    if (toupper(static_cast<unsigned char>(begin[i])) != toupper(static_cast<unsigned char>(apn[i]))) return false;
  return true;
}

// Walks the "+CGDCONT: <cid>,"<type>","<apn>"..." lines of an answer. The
// visitor returns true to stop. Only a line's start counts: an APN may hold
// "+CGDCONT:" itself.
template <typename Visit>
void ForEachListedContext(const char* answer, Visit visit) {
  const char* p = answer;
  while ((p = FindNoCase(p, "+CGDCONT:")) != nullptr) {
    bool lineStart = p == answer || p[-1] == '\r' || p[-1] == '\n';
    p += 9;
    if (!lineStart) continue;
    const char* cursor = SkipBlanks(p);
    unsigned cid = 0;
    if (!ReadNumber(&cursor, &cid)) continue;
    const char* apnBegin = nullptr;
    const char* apnEnd = nullptr;
    const char* typeBegin = nullptr;
    const char* typeEnd = nullptr;
    bool hasApn = Expect(&cursor, ',') && ReadQuoted(&cursor, &typeBegin, &typeEnd) && Expect(&cursor, ',') &&
                  ReadQuoted(&cursor, &apnBegin, &apnEnd);
    if (visit(cid, hasApn ? apnBegin : nullptr, hasApn ? apnEnd : nullptr)) return;
  }
}

}  // namespace

bool IsUsableApn(const char* apn) {
  if (!apn || !*apn) return false;
  size_t length = 0;
  for (const char* p = apn; *p; ++p, ++length) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x21 || c > 0x7E || c == '"' || c == '\\' || length >= kMaxApnLength) return false;
  }
  return true;
}

unsigned FindContextForApn(const char* answer, const char* apn) {
  unsigned found = 0;
  if (!answer || !IsUsableApn(apn)) return 0;
  ForEachListedContext(answer, [&](unsigned cid, const char* begin, const char* end) {
    if (cid == 0 || !begin || !SameApn(begin, end, apn)) return false;
    found = cid;
    return true;
  });
  return found;
}

unsigned FreeContextId(const char* answer, unsigned maxCid) {
  for (unsigned candidate = 1; candidate <= maxCid; ++candidate) {
    bool taken = false;
    ForEachListedContext(answer ? answer : "", [&](unsigned cid, const char*, const char*) {
      taken = cid == candidate;
      return taken;
    });
    if (!taken) return candidate;
  }
  return 0;
}

unsigned MaxContextId(const char* rangeAnswer, unsigned fallback) {
  const char* p = rangeAnswer ? FindNoCase(rangeAnswer, "+CGDCONT:") : nullptr;
  if (!p) return fallback;
  const char* cursor = SkipBlanks(p + 9);
  if (*cursor != '(') return fallback;
  ++cursor;
  unsigned highest = 0;
  unsigned value = 0;
  while (*cursor && *cursor != ')') {
    if (ReadNumber(&cursor, &value)) {
      if (value > highest) highest = value;
    } else {
      ++cursor;  // the "-" of a range or the "," of a list
    }
  }
  if (*cursor != ')' || highest == 0) return fallback;
  return highest > 255 ? 255 : highest;
}

size_t FormatContextDefinition(char* out, size_t cap, unsigned cid, const char* apn) {
  if (cap == 0) return 0;
  out[0] = '\0';
  if (cid == 0 || !IsUsableApn(apn)) return 0;
  char text[160];
  size_t length = FormatText(text, sizeof text, "AT+CGDCONT=%u,\"IP\",\"%s\"\r", cid, apn);
  if (length >= cap) return 0;
  CopyText(out, cap, text);
  return length;
}

bool ParseInitContext(const char* init, InitContext* context) {
  const char* start = init ? FindNoCase(init, "+CGDCONT=") : nullptr;
  if (!start) return false;
  const char* cursor = SkipBlanks(start + 9);
  unsigned cid = 0;
  const char* typeBegin = nullptr;
  const char* typeEnd = nullptr;
  const char* apnBegin = nullptr;
  const char* apnEnd = nullptr;
  if (!ReadNumber(&cursor, &cid) || cid == 0 || !Expect(&cursor, ',') ||
      !ReadQuoted(&cursor, &typeBegin, &typeEnd) || !Expect(&cursor, ',') ||
      !ReadQuoted(&cursor, &apnBegin, &apnEnd))
    return false;
  context->cid = cid;
  context->apnBegin = static_cast<size_t>(apnBegin - init);
  context->apnEnd = static_cast<size_t>(apnEnd - init);
  return true;
}

unsigned InitContextForApn(const char* const* inits, size_t count, const char* apn) {
  if (!IsUsableApn(apn)) return 0;
  for (size_t i = 0; i < count; ++i) {
    InitContext context;
    if (inits[i] && ParseInitContext(inits[i], &context) &&
        SameApn(inits[i] + context.apnBegin, inits[i] + context.apnEnd, apn))
      return context.cid;
  }
  return 0;
}

bool PlanInitStringUpdate(const char* const* inits, size_t count, const char* apn, InitStringPlan* plan) {
  plan->action = InitStringPlan::kNone;
  plan->index = 0;
  plan->text[0] = '\0';
  if (!IsUsableApn(apn)) return false;
  if (InitContextForApn(inits, count, apn)) return true;
  bool haveOther = false;
  for (size_t i = 0; i < count && !haveOther; ++i) {
    InitContext context;
    if (inits[i] && ParseInitContext(inits[i], &context)) {
      haveOther = true;
      plan->index = i;
    }
  }
  if (haveOther) {
    // Only the APN changes: whatever else the string sets stays as it was.
    const char* old = inits[plan->index];
    InitContext context;
    ParseInitContext(old, &context);
    size_t length = FormatText(plan->text, sizeof plan->text, "%.*s%s%s", static_cast<int>(context.apnBegin), old,
                               apn, old + context.apnEnd);
    if (length != context.apnBegin + strlen(apn) + strlen(old + context.apnEnd)) return false;
    plan->action = InitStringPlan::kReplace;
    return true;
  }
  // Unimodem runs each value as one command line ended by "<cr>".
  FormatText(plan->text, sizeof plan->text, "AT+CGDCONT=%u,\"IP\",\"%s\"<cr>", kDriverContextId, apn);
  plan->action = InitStringPlan::kAppend;
  return true;
}

bool ParseGatewayAddress(const char* text, char* host, size_t hostCap, unsigned* port) {
  if (hostCap == 0) return false;
  host[0] = '\0';
  if (!text) return false;
  const char* p = SkipBlanks(text);
  if (FindNoCase(p, "http:") == p) {
    p += 5;
    while (*p == '/') ++p;
  }
  char address[260];
  CopyText(address, sizeof address, p);
  char* path = strchr(address, '/');
  if (path) *path = '\0';
  size_t length = strlen(address);
  while (length > 0 && static_cast<unsigned char>(address[length - 1]) <= ' ') address[--length] = '\0';
  unsigned value = kDefaultGatewayPort;
  SplitHostPort(address, host, hostCap, &value);
  if (host[0] == '\0' || value == 0 || value > 65535) {
    host[0] = '\0';
    return false;
  }
  *port = value;
  return true;
}

bool ComDevicePath(const char* portName, char* out, size_t cap) {
  if (cap > 0) out[0] = '\0';
  if (!portName || FindNoCase(portName, "COM") != portName) return false;
  const char* digits = portName + 3;
  size_t count = 0;
  while (isdigit(static_cast<unsigned char>(digits[count]))) ++count;
  if (count == 0 || count > 3 || !(digits[count] == '\0' || (digits[count] == ':' && digits[count + 1] == '\0')))
    return false;
  return FormatText(out, cap, "\\\\.\\COM%.*s", static_cast<int>(count), digits) == 7 + count;
}

void ModemHandoverObjectName(const char* modemName, const char* role, char* out, size_t cap) {
  // FNV-1a over the upper-cased name: modem names compare without case.
  uint64_t hash = 14695981039346656037ull;
  for (const char* p = modemName ? modemName : ""; *p; ++p) {
    hash ^= static_cast<unsigned char>(toupper(static_cast<unsigned char>(*p)));
    hash *= 1099511628211ull;
  }
  FormatText(out, cap, "Global\\ZedSMS_Modem_%08lX%08lX_%s", static_cast<unsigned long>(hash >> 32),
             static_cast<unsigned long>(hash & 0xFFFFFFFFu), role);
}
