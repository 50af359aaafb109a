#include "queues/queue_rows.h"

#include <cstring>

#include "common/text_util.h"
#include "queues/mms_header.h"
#include "queues/sms_file.h"
#include "queues/sms_text.h"

const ReceivedSmsWalk kReceivedSmsWalks[3] = {
    {"*.IN", "Queued"},
    {"*.REC", "Queued"},
    {"*.SMS", "Received"},
};

size_t AssembleQueueRow(const char* const* fields, size_t fieldCount, char* row, size_t rowCap) {
  if (rowCap == 0) return 0;
  memset(row, 0, rowCap);
  if (rowCap < fieldCount + 1) return 0;
  size_t used = 0;
  for (size_t i = 0; i < fieldCount; ++i) {
    // Keep one NUL for this field, one for each later field and the final one.
    size_t room = rowCap - used - (fieldCount - i) - 1;
    used += CopyTextMax(row + used, room + 1, fields[i], room) + 1;
  }
  return used + 1;
}

const char* QueueRowField(const char* row, size_t fieldCount, size_t index) {
  if (!row || index >= fieldCount) return "";
  for (size_t i = 0; i < index; ++i) row += strlen(row) + 1;
  return row;
}

size_t FormatOutboundStatus(int32_t retryCount, const char* lastError, char* out, size_t outCap) {
  if (retryCount == 0) return CopyText(out, outCap, "Queued");
  size_t length = FormatText(out, outCap, "Retry - %2u attempt(s)", static_cast<unsigned>(retryCount));
  if (lastError && lastError[0] != '\0') {
    AppendText(out, outCap, " - ");
    length = AppendText(out, outCap, lastError);
  }
  return length;
}

size_t BuildOutboundSmsRow(const char* key, const char* fileName, const SmsFileRecord& record,
                           const char* timeText, char* row, size_t rowCap) {
  char status[256];
  FormatOutboundStatus(record.retryCount, record.lastErrorInfo, status, sizeof status);
  const char* fields[kOutboundSmsRowFields] = {key, fileName, record.submitUser,
                                               record.phoneNumber, timeText, status};
  return AssembleQueueRow(fields, kOutboundSmsRowFields, row, rowCap);
}

size_t BuildOutboundMmsRow(const char* key, const char* fileName, const char* sender,
                           const char* recipientsText, const char* timeText,
                           const char* retryCountText, const char* lastError, char* row,
                           size_t rowCap) {
  char status[600];
  FormatOutboundStatus(ParseSignedDecimal(retryCountText), lastError, status, sizeof status);
  const char* fields[kOutboundMmsRowFields] = {key, fileName, sender, recipientsText, timeText,
                                               status};
  return AssembleQueueRow(fields, kOutboundMmsRowFields, row, rowCap);
}

size_t BuildReceivedSmsRow(const char* key, const char* fileName, SmsFileRecord* record,
                           const char* timeText, const char* status, char* row, size_t rowCap) {
  const char* fields[kReceivedSmsRowFields] = {key, fileName, record->sender, record->phoneNumber,
                                               timeText, status, record->data};
  size_t leading = 0;
  for (size_t i = 0; i + 1 < kReceivedSmsRowFields; ++i) {
    leading += (fields[i] ? strlen(fields[i]) : 0) + 1;
  }
  // Room for the text and its NUL once the other fields and the final NUL
  // are in; the decoder cuts at a whole character there.
  size_t textCap = leading + 2 <= rowCap ? rowCap - leading - 1 : 1;
  DecodeSmsText(record, textCap);
  return AssembleQueueRow(fields, kReceivedSmsRowFields, row, rowCap);
}

size_t BuildReceivedMmsRow(const char* key, const char* fileName, const MmsHeaderInfo& header,
                           const char* timeText, char* row, size_t rowCap) {
  const char* fields[kReceivedMmsRowFields] = {key,      fileName,      header.from,
                                               header.to, timeText, header.subject};
  return AssembleQueueRow(fields, kReceivedMmsRowFields, row, rowCap);
}
