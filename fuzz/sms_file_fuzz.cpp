// SMS message files of any content, up to the received-row and queue-row
// forming that the scanners do with them.
#include <cstdint>
#include <cstring>

#include "queues/queue_rows.h"
#include "queues/sms_file.h"
#include "queues/sms_text.h"
#include "fuzz_checks.h"

namespace {

// A text field is terminated inside its capacity.
bool TerminatedWithin(const char* text, size_t capacity) {
  return memchr(text, '\0', capacity) != nullptr;
}

SmsFileRecord g_record;
char g_row[kQueueRowBytes];

void CheckRecord(const SmsFileRecord& r) {
  FUZZ_CHECK(TerminatedWithin(r.phoneNumber, sizeof r.phoneNumber));
  FUZZ_CHECK(TerminatedWithin(r.sender, sizeof r.sender));
  FUZZ_CHECK(TerminatedWithin(r.data, sizeof r.data));
  FUZZ_CHECK(TerminatedWithin(r.udh, sizeof r.udh));
  FUZZ_CHECK(TerminatedWithin(r.submittedBy, sizeof r.submittedBy));
  FUZZ_CHECK(TerminatedWithin(r.submitUser, sizeof r.submitUser));
  FUZZ_CHECK(TerminatedWithin(r.serviceType, sizeof r.serviceType));
  FUZZ_CHECK(TerminatedWithin(r.routeToLocalUser, sizeof r.routeToLocalUser));
  FUZZ_CHECK(TerminatedWithin(r.smppOptions, sizeof r.smppOptions));
  FUZZ_CHECK(TerminatedWithin(r.smscRoute, sizeof r.smscRoute));
  FUZZ_CHECK(TerminatedWithin(r.validity, sizeof r.validity));
  FUZZ_CHECK(TerminatedWithin(r.billingInfo, sizeof r.billingInfo));
  FUZZ_CHECK(TerminatedWithin(r.lastErrorInfo, sizeof r.lastErrorInfo));
  FUZZ_CHECK(TerminatedWithin(r.modemName, sizeof r.modemName));
  FUZZ_CHECK(TerminatedWithin(r.receiptMessageId, sizeof r.receiptMessageId));
  FUZZ_CHECK(r.binary == 0 || r.binary == 1);
  FUZZ_CHECK((r.flags & ~0x7Fu) == 0);
}

void CheckRow(size_t used, size_t fields) {
  FUZZ_CHECK(used >= fields + 1 && used <= sizeof g_row);
  FUZZ_CHECK(g_row[used - 1] == '\0');
  size_t total = 0;
  for (size_t i = 0; i < fields; ++i) total += strlen(QueueRowField(g_row, fields, i)) + 1;
  FUZZ_CHECK(total + 1 == used);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the file's size: any read past the end is reported.
  char* bytes = new char[size ? size : 1];
  if (size) memcpy(bytes, data, size);
  ParseSmsFile(bytes, size, &g_record);
  delete[] bytes;
  CheckRecord(g_record);

  CheckRow(BuildOutboundSmsRow("route\\F.REQ", "F.REQ", g_record, "2012-05-01 09:30:05", g_row,
                               sizeof g_row),
           kOutboundSmsRowFields);
  bool decodes = g_record.binary != 0;
  CheckRow(BuildReceivedSmsRow("F.SMS", "F.SMS", &g_record, "2012-05-01 09:30:05", "Received",
                               g_row, sizeof g_row),
           kReceivedSmsRowFields);
  CheckRecord(g_record);
  if (decodes) FUZZ_CHECK(IsWholeUtf8(QueueRowField(g_row, kReceivedSmsRowFields, 6)) ||
                          !(IsGsm7Dcs(g_record.dcs) || IsUcs2Dcs(g_record.dcs)));
  return 0;
}
