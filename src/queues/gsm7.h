// GSM 7-bit default alphabet (GSM 03.38) to UTF-8, for message bodies stored
// as hexadecimal digits of packed septets. The core library's
// GSM7ToUTF8String wraps this. No windows.h.
#pragma once
#include <cstddef>

// Room of the decoder's own work buffer: decoded text is never longer than
// this, NUL included, whatever outCap says.
constexpr size_t kGsm7MaxOutput = 8192;

// Unicode of a septet of the default alphabet (0x1B, the escape, gives
// 0x1B), and of a septet that follows the escape (0 when the extension table
// has nothing there).
unsigned Gsm7DefaultChar(unsigned septet);
unsigned Gsm7ExtensionChar(unsigned septet);

// headerHex: the user data header as hexadecimal digits, its length octet
// first ("050003A70201"), or empty. dataHex: the packed septets of the user
// data that follows the header, starting with the fill bits that align the
// first septet to a septet boundary after the header (UDHL 5: six octets,
// 48 bits, one fill bit). Data that repeats the header's octets at its start
// is taken as the whole user data, and the header is skipped there.
// Reading stops at the first character that is not a hexadecimal digit, an
// odd last digit and a septet cut short are dropped, and a last septet that
// only pads the final octet (0 or CR in its top seven bits) is not shown.
// Escape 0x1B selects the extension table (euro sign, brackets...); an
// escape before a character the table lacks shows that character from the
// default alphabet.
// Writes NUL-terminated UTF-8 to out, cut at whole characters to fit outCap
// (and kGsm7MaxOutput). out may be the very buffer that holds dataHex or
// headerHex: all input is read before out is written. Returns true when the
// whole text fitted.
bool DecodeGsm7Hex(const char* headerHex, const char* dataHex, char* out, size_t outCap);
