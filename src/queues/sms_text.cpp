#include "queues/sms_text.h"

#include "queues/gsm7.h"
#include "queues/hex_text.h"
#include "queues/sms_file.h"

bool IsGsm7Dcs(uint8_t dcs) {
  switch (dcs >> 4) {
    case 0x0:
    case 0x1:
    case 0x2:
    case 0x3:
      return (dcs & 0x0C) == 0;
    case 0xC:
    case 0xD:
      return true;
    case 0xF:
      return (dcs & 0x04) == 0;
    default:
      return false;
  }
}

bool IsUcs2Dcs(uint8_t dcs) {
  if ((dcs & 0xC0) == 0) return (dcs & 0x08) != 0;
  return (dcs >> 4) == 0xE;
}

size_t UnescapeLineBreaks(char* text) {
  if (!text) return 0;
  // One left-to-right pass gives the same text as replacing all "\r" first
  // and then all "\n": a replacement never forms a new pair, and a backslash
  // belongs to at most one pair.
  size_t read = 0;
  size_t write = 0;
  while (text[read] != '\0') {
    if (text[read] == '\\' && (text[read + 1] == 'r' || text[read + 1] == 'n')) {
      text[write++] = text[read + 1] == 'r' ? '\r' : '\n';
      read += 2;
    } else {
      text[write++] = text[read++];
    }
  }
  text[write] = '\0';
  return write;
}

void DecodeSmsText(SmsFileRecord* record, size_t textCap) {
  if (!record->binary) return;
  if (textCap > sizeof record->data) textCap = sizeof record->data;
  if (textCap == 0) return;
  if (IsGsm7Dcs(record->dcs)) {
    DecodeGsm7Hex(record->udh, record->data, record->data, textCap);
  } else if (IsUcs2Dcs(record->dcs)) {
    HexUcs2ToUtf8(record->data, record->data, textCap);
  }
}
