// SMS message files (.REQ, .IN, .REC, .SMS): INI-like text with a message
// section "[SMS]" or "[SMS-IN]" and, in queued requests, "[ErrorDetail]".
// The shell reads the file; this parses the bytes. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "queues/compact_time.h"

// Message flags set by the boolean keys. The three receipt-status keys share
// bit 0x04 and add 0x08 (delivered), 0x10 (in transit) or 0x20 (failed).
constexpr uint32_t kFlagReplyRequested = 0x01;
constexpr uint32_t kFlagReceiptRequested = 0x02;
constexpr uint32_t kFlagReceiptDelivered = 0x0C;
constexpr uint32_t kFlagReceiptIntransit = 0x14;
constexpr uint32_t kFlagReceiptFailed = 0x24;
constexpr uint32_t kFlagNonDelReceiptRequested = 0x40;

// One parsed message file. Text capacities include the NUL, so a value keeps
// at most capacity - 1 characters.
struct SmsFileRecord {
  char phoneNumber[150];
  char sender[150];
  char data[8192];  // after UnescapeLineBreaks; DecodeSmsText may replace it
  char udh[500];
  char submittedBy[500];
  char submitUser[250];
  char serviceType[100];
  char routeToLocalUser[100];
  char smppOptions[500];
  char smscRoute[100];
  char validity[50];
  char billingInfo[50];
  char lastErrorInfo[200];
  char modemName[150];
  uint8_t pid;
  uint8_t dcs;
  int32_t binary;  // 0 or 1
  int32_t retryCount;
  uint32_t flags;
  DateTimeRecord lastRetryTime;
  DateTimeRecord firstAttemptTime;
  char receiptMessageId[150];
};

// Clears the record, then fills it from the first "[SMS]" or "[SMS-IN]"
// section and the first "[ErrorDetail]" section of data[0..size). Keys match
// without regard to case, values are taken verbatim and cut at their
// capacity, a later line of a key replaces an earlier one. Nothing past
// data + size is read; the data need not end in a NUL.
void ParseSmsFile(const char* data, size_t size, SmsFileRecord* record);

// A signed decimal number: optional leading white space and sign, then
// digits; no digits give 0. Values beyond 32 bits stop at the limit.
int32_t ParseSignedDecimal(const char* text);
int32_t ParseSignedDecimalSpan(const char* text, size_t length);
