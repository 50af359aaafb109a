// The outbound MMS queue's control files (.INI beside each .MMS): the path
// rule and the "Recipients" column. No windows.h.
#pragma once
#include <cstddef>

// The shell reads at most this much of the Recipients section.
constexpr size_t kRecipientsSectionBytes = 500;
// Five values joined by ", " out of a 500-byte section always fit.
constexpr size_t kRecipientsTextChars = 520;

// section[0..size) as the profile API returns a whole section: entries of a
// key, "=" and a value, each NUL-terminated, an empty entry at the end. An
// entry without "=" also ends the list, and so does the end of the range
// (a section cut short needs no terminator). Each value is cut at "/TYPE="
// (any case). Up to five values are joined with ", "; more than five give
// "%u recipients". Returns the number of values.
unsigned FormatRecipientsText(const char* section, size_t size, char* out, size_t outCap);

// The control file of a queued MMS: the path with everything from the last
// "." of its file name replaced by ".INI" (".INI" appended when the name has
// no dot). False, with an empty result, when it does not fit.
bool MmsControlFilePath(const char* mmsPath, char* out, size_t outCap);
// The content folder of a received MMS: the header path without the
// extension of its file name. False, with an empty result, when it does not fit.
bool PathWithoutExtension(const char* path, char* out, size_t outCap);
