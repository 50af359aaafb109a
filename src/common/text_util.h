// Bounded text helpers shared by every subsystem. No windows.h: these are
// compiled natively too, for sanitizers and fuzzing.
#pragma once
#include <cstddef>

// Copies at most cap - 1 characters and always terminates (when cap > 0).
// Returns the number of characters copied.
size_t CopyText(char* dst, size_t cap, const char* src);
// Copies at most maxChars characters (and never more than cap - 1).
size_t CopyTextMax(char* dst, size_t cap, const char* src, size_t maxChars);
// Appends src to the text in dst, cut at the capacity. Returns the new length.
size_t AppendText(char* dst, size_t cap, const char* src);
// vsnprintf into a fixed buffer; the result is cut at the capacity.
size_t FormatText(char* dst, size_t cap, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// The first place where pattern occurs in text, comparing upper-cased
// characters; nullptr when absent.
const char* FindNoCase(const char* text, const char* pattern);
bool EqualsNoCase(const char* a, const char* b);
// Leading blanks (space and tab) skipped.
const char* SkipBlanks(const char* text);
// "host:port": the host part goes to host (cut at the colon), the decimal
// number after the colon to *port. Without a colon *port stays unchanged.
void SplitHostPort(const char* text, char* host, size_t hostCap, unsigned* port);
