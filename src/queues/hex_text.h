// Hexadecimal values of the message files and UCS-2 message bodies written as
// hexadecimal digits. None of these allocates or fails: bad input gives a
// defined fallback. No windows.h.
#pragma once
#include <cstddef>

// 0-9 for "0"-"9", 10-15 for "a"-"f" and "A"-"F", 0 for anything else.
unsigned HexDigitValue(char c);
bool IsHexDigit(char c);

// The number written by the hexadecimal digits at the start of text; stops at
// the first other character, so "f5x" gives 245 and "x5" gives 0. No sign,
// prefix or blank is accepted. Digits beyond 32 bits wrap, which keeps the
// low bits that byte-sized callers use.
unsigned ParseHexNumber(const char* text);
// The same over a byte range that need not end in a NUL.
unsigned ParseHexSpan(const char* text, size_t length);

// UTF-8 form of one 16-bit code unit (surrogates are encoded by themselves).
// Writes 1 to 3 bytes to out and returns their number.
size_t EncodeUtf8Unit(unsigned unit, char out[3]);

// Reads 16-bit units of up to four hexadecimal digits each (a short last
// group still forms a unit), stopping at the first character that is not a
// hexadecimal digit, and writes them as UTF-8 up to the first zero unit,
// then a NUL. Only whole characters are written: one that would not fit in
// outCap - 1 bytes ends the text there. out may be hex itself (four input
// characters never give more than three bytes, and each unit is read before
// its bytes are written); otherwise the two must not overlap.
// Returns the number of bytes written before the NUL.
size_t HexUcs2ToUtf8(const char* hex, char* out, size_t outCap);
