// Display rows of the queue viewers: one block of NUL-terminated fields, an
// empty string after the last. Field 0 is the message's key (its path
// relative to the store), field 1 the file name, then the columns. The shell
// walks the store, reads the files and allocates each row block (the bytes
// assembled here plus kQueueRowSpareBytes, zero-filled). No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

struct SmsFileRecord;
struct MmsHeaderInfo;

constexpr size_t kQueueRowBytes = 8192;
constexpr size_t kQueueRowSpareBytes = 16;
constexpr unsigned kQueueRowLimit = 5000;
constexpr size_t kQueueRowSlots = kQueueRowLimit + 1;

// Fields of each store's rows (key and file name included).
constexpr size_t kOutboundSmsRowFields = 6;
constexpr size_t kOutboundMmsRowFields = 6;
constexpr size_t kReceivedSmsRowFields = 7;
constexpr size_t kReceivedMmsRowFields = 6;

// Clears row[0..rowCap) and writes the fields one after the other. A field
// that does not fit is cut so that every later field (then empty) and the
// final NUL still fit, so a row always holds all fieldCount fields. Returns
// the bytes used, final NUL included; 0 when rowCap cannot hold fieldCount
// empty fields and the final NUL.
size_t AssembleQueueRow(const char* const* fields, size_t fieldCount, char* row, size_t rowCap);
// Field index of a row assembled with fieldCount fields; "" for an index
// beyond them, so a reader never walks off the row.
const char* QueueRowField(const char* row, size_t fieldCount, size_t index);

// "Retry - %2u attempt(s)" plus " - " and the error text when there is one,
// or "Queued" when no attempt failed yet.
size_t FormatOutboundStatus(int32_t retryCount, const char* lastError, char* out, size_t outCap);

// The received SMS store is walked once per pattern, in this order.
struct ReceivedSmsWalk {
  const char* pattern;
  const char* status;
};
extern const ReceivedSmsWalk kReceivedSmsWalks[3];

// Rows of the four stores, assembled into row[0..rowCap) with
// AssembleQueueRow; each returns the bytes used, final NUL included.
// timeText is the file's creation time in local time (FormatRowTime).
size_t BuildOutboundSmsRow(const char* key, const char* fileName, const SmsFileRecord& record,
                           const char* timeText, char* row, size_t rowCap);
// retryCountText and lastError come from the control file's Routing section.
size_t BuildOutboundMmsRow(const char* key, const char* fileName, const char* sender,
                           const char* recipientsText, const char* timeText,
                           const char* retryCountText, const char* lastError, char* row,
                           size_t rowCap);
// Decodes record->data in place (DecodeSmsText) into the room the row has
// left, so a decoded text is cut at a whole character.
size_t BuildReceivedSmsRow(const char* key, const char* fileName, SmsFileRecord* record,
                           const char* timeText, const char* status, char* row, size_t rowCap);
size_t BuildReceivedMmsRow(const char* key, const char* fileName, const MmsHeaderInfo& header,
                           const char* timeText, char* row, size_t rowCap);
