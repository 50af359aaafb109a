// Display text of received SMS: data coding scheme tests, escaped line breaks
// and the choice of decoder for the "Text" column. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

struct SmsFileRecord;

// True when the data coding scheme announces the GSM 7-bit default alphabet
// (general coding group with alphabet bits 00, groups 1100 and 1101, and
// group 1111 with bit 2 clear). The compressed bit is not looked at.
bool IsGsm7Dcs(uint8_t dcs);
// True when it announces UCS-2 (general coding group with bit 3 set, which
// takes in the reserved alphabet value, and group 1110).
bool IsUcs2Dcs(uint8_t dcs);

// Turns every backslash-r into CR and every backslash-n into LF, in place.
// A backslash before any other character stays. Returns the new length.
size_t UnescapeLineBreaks(char* text);

// Replaces record->data by its display form: unchanged unless binary is set;
// GSM 7-bit hexadecimal data (with udh) or UCS-2 hexadecimal data become
// UTF-8; other codings keep their hexadecimal digits. Decoded text is cut at
// whole characters to fit textCap bytes with its NUL (at most the size of
// the data field), so the shell can pass the room left in the row.
void DecodeSmsText(SmsFileRecord* record, size_t textCap = static_cast<size_t>(-1));
