#include "queues/sms_file.h"

#include <cstddef>
#include <cstring>

#include "common/text_util.h"
#include "config/value_rules.h"
#include "queues/hex_text.h"
#include "queues/sms_text.h"
#include "queues/text_lines.h"

namespace {

enum class FieldKind { Text, Data, Hex, Boolean, Flag };

struct KeyRule {
  const char* key;  // with its "="
  FieldKind kind;
  size_t offset;
  size_t capacity;
  uint32_t flag;
};

#define TEXT_KEY(key, member) \
  {key, FieldKind::Text, offsetof(SmsFileRecord, member), sizeof(SmsFileRecord::member), 0}
#define BYTE_KEY(key, member) {key, FieldKind::Hex, offsetof(SmsFileRecord, member), 0, 0}
#define FLAG_KEY(key, bits) {key, FieldKind::Flag, 0, 0, bits}

// Compared in this order; the first key that starts the line takes it.
const KeyRule kMessageKeys[] = {
    TEXT_KEY("PhoneNumber=", phoneNumber),
    TEXT_KEY("Sender=", sender),
    {"Data=", FieldKind::Data, offsetof(SmsFileRecord, data), sizeof(SmsFileRecord::data), 0},
    TEXT_KEY("udh=", udh),
    TEXT_KEY("SubmittedBy=", submittedBy),
    TEXT_KEY("SubmitUser=", submitUser),
    TEXT_KEY("ServiceType=", serviceType),
    TEXT_KEY("BillingInfo=", billingInfo),
    TEXT_KEY("Validity=", validity),
    TEXT_KEY("SMSCRoute=", smscRoute),
    TEXT_KEY("SMPPOptions=", smppOptions),
    TEXT_KEY("RouteToLocalUser=", routeToLocalUser),
    BYTE_KEY("pid=", pid),
    BYTE_KEY("dcs=", dcs),
    {"binary=", FieldKind::Boolean, offsetof(SmsFileRecord, binary), 0, 0},
    FLAG_KEY("ReplyRequested=", kFlagReplyRequested),
    FLAG_KEY("ReceiptRequested=", kFlagReceiptRequested),
    FLAG_KEY("ReceiptFailed=", kFlagReceiptFailed),
    FLAG_KEY("ReceiptDelivered=", kFlagReceiptDelivered),
    FLAG_KEY("ReceiptIntransit=", kFlagReceiptIntransit),
    FLAG_KEY("NonDelReceiptRequested=", kFlagNonDelReceiptRequested),
    TEXT_KEY("ReceiptMessageId=", receiptMessageId),
    TEXT_KEY("ModemName=", modemName),
};

#undef TEXT_KEY
#undef BYTE_KEY
#undef FLAG_KEY

// IsTrueValue looks at the first character or compares with "TRUE", so five
// characters are enough to decide it exactly.
bool IsTrueSpan(const TextLine& value) {
  char head[6];
  CopyTextMax(head, sizeof head, value.text, value.length);
  return IsTrueValue(head);
}

void CopyValue(char* field, size_t capacity, const TextLine& value) {
  CopyTextMax(field, capacity, value.text, value.length);
}

void StoreMessageValue(const KeyRule& rule, const TextLine& value, SmsFileRecord* record) {
  char* base = reinterpret_cast<char*>(record);
  switch (rule.kind) {
    case FieldKind::Text:
      CopyValue(base + rule.offset, rule.capacity, value);
      break;
    case FieldKind::Data:
      CopyValue(base + rule.offset, rule.capacity, value);
      UnescapeLineBreaks(base + rule.offset);
      break;
    case FieldKind::Hex:
      *reinterpret_cast<uint8_t*>(base + rule.offset) =
          static_cast<uint8_t>(ParseHexSpan(value.text, value.length) & 0xFF);
      break;
    case FieldKind::Boolean:
      record->binary = IsTrueSpan(value) ? 1 : 0;
      break;
    case FieldKind::Flag:
      if (IsTrueSpan(value)) record->flags |= rule.flag;
      break;
  }
}

bool IsSectionHeader(const TextLine& line) { return line.text[0] == '['; }

// Moves the cursor past the first line that starts with one of the headers.
bool FindSection(LineCursor* cursor, const char* header, const char* otherHeader) {
  TextLine line;
  while (NextLine(cursor, &line)) {
    if (LineStartsWithNoCase(line, header)) return true;
    if (otherHeader && LineStartsWithNoCase(line, otherHeader)) return true;
  }
  return false;
}

void ReadMessageSection(LineCursor* cursor, SmsFileRecord* record) {
  TextLine line;
  while (NextLine(cursor, &line) && !IsSectionHeader(line)) {
    for (const KeyRule& rule : kMessageKeys) {
      if (LineStartsWithNoCase(line, rule.key)) {
        StoreMessageValue(rule, LineRest(line, strlen(rule.key)), record);
        break;
      }
    }
  }
}

void ReadErrorDetailSection(LineCursor* cursor, SmsFileRecord* record) {
  static const char kRetryCount[] = "RetryCount=";
  static const char kLastRetryTime[] = "LastRetryTime=";
  static const char kFirstAttemptTime[] = "FirstAttemptTime=";
  static const char kLastErrorInfo[] = "LastErrorInfo=";
  TextLine line;
  while (NextLine(cursor, &line) && !IsSectionHeader(line)) {
    if (LineStartsWithNoCase(line, kRetryCount)) {
      TextLine value = LineRest(line, sizeof kRetryCount - 1);
      record->retryCount = ParseSignedDecimalSpan(value.text, value.length);
    } else if (LineStartsWithNoCase(line, kLastRetryTime)) {
      TextLine value = LineRest(line, sizeof kLastRetryTime - 1);
      ParseCompactTimeSpan(value.text, value.length, &record->lastRetryTime);
    } else if (LineStartsWithNoCase(line, kFirstAttemptTime)) {
      TextLine value = LineRest(line, sizeof kFirstAttemptTime - 1);
      ParseCompactTimeSpan(value.text, value.length, &record->firstAttemptTime);
    } else if (LineStartsWithNoCase(line, kLastErrorInfo)) {
      CopyValue(record->lastErrorInfo, sizeof record->lastErrorInfo,
                LineRest(line, sizeof kLastErrorInfo - 1));
    }
  }
}

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void ParseSmsFile(const char* data, size_t size, SmsFileRecord* record) {
  memset(record, 0, sizeof *record);
  if (!data) return;
  LineCursor cursor;
  BeginLines(&cursor, data, size);
  if (FindSection(&cursor, "[SMS]", "[SMS-IN]")) ReadMessageSection(&cursor, record);
  BeginLines(&cursor, data, size);
  if (FindSection(&cursor, "[ErrorDetail]", nullptr)) ReadErrorDetailSection(&cursor, record);
}

int32_t ParseSignedDecimalSpan(const char* text, size_t length) {
  size_t i = 0;
  while (i < length && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulated towards the sign's limit so that no intermediate overflows.
  int64_t value = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value >= limit) {
      value = limit;
      break;
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int32_t ParseSignedDecimal(const char* text) {
  if (!text) return 0;
  return ParseSignedDecimalSpan(text, strlen(text));
}
