// Line handling shared by the readers of message files (.REQ, .IN, .REC,
// .SMS and .HDR). Works on a byte range that need not end in a NUL, so a
// last line without a terminator, or a file that fills its buffer exactly,
// is read without touching a byte beyond the range. No windows.h.
#pragma once
#include <cstddef>

// One line of a message file: never empty, never holding CR, LF or NUL.
struct TextLine {
  const char* text;
  size_t length;
};

struct LineCursor {
  const char* pos;
  const char* end;
};

void BeginLines(LineCursor* cursor, const char* data, size_t size);
// Skips every byte of code 32 or less (blanks, tabs, CR, LF, NUL and other
// control characters), then takes the line up to the next CR, LF, NUL or the
// end of the range. False when the range holds no more lines.
bool NextLine(LineCursor* cursor, TextLine* line);

// True when the line begins with prefix, compared without regard to case.
bool LineStartsWithNoCase(const TextLine& line, const char* prefix);
// The part of the line after its first skip characters.
TextLine LineRest(const TextLine& line, size_t skip);
// The line with its leading bytes of code 32 or less removed.
TextLine SkipControlChars(const TextLine& line);

// Offset of the first occurrence of pattern in text[0..length), comparing
// upper-cased characters; length when absent. An empty pattern is found at 0.
size_t FindNoCaseIn(const char* text, size_t length, const char* pattern);
