// Dotted IPv4 addresses in the one form the gateway writes and connects to.
// No windows.h.
#pragma once
#include <cstddef>

// "255.255.255.255" and its NUL.
constexpr size_t kIPv4TextSize = 16;

// Trailing blanks and control characters are removed from the text in place.
// Then, when what is left (after leading spaces) is a dotted IPv4 address of
// digits and at most three dots, each part 0 to 255 and missing parts 0, the
// text is rewritten as its four parts joined by dots without leading zeros
// ("10" becomes "10.0.0.0", "010.1" becomes "10.1.0.0") and the result is
// true. Otherwise, or when the normal form does not fit in cap, false.
bool NormalizeIPv4Address(char* text, size_t cap);
