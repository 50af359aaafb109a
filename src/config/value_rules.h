// How configuration values are encoded in the profile files. No windows.h.
#pragma once
#include <cstddef>

// A switch is on when its first character is Y, y or 1, or it reads TRUE in
// any case; anything else, the empty value included, is off.
bool IsTrueValue(const char* value);
// The leading decimal digits as a number (0 when there are none). Values
// beyond the 32-bit range stop at its maximum rather than wrapping.
unsigned ParseLeadingNumber(const char* text);
// Turns colons, slashes and backslashes into hyphens so that a connection or
// route name becomes a single file or folder name.
void NameToFileName(char* name);
// Appends a backslash unless the text already ends in one (or is empty).
// False when there was no room for it.
bool EnsureTrailingBackslash(char* path, size_t cap);

// The value of key in a profile section as the profile API returns it whole:
// "key=value" strings, each NUL-terminated, within length bytes. Keys compare
// without regard to case; blanks around key and value are dropped. The value
// is cut at the capacity; false (and an empty value) when the key is absent.
bool FindSectionValue(const char* section, size_t length, const char* key, char* value, size_t cap);
