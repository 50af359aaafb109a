// The 2-way command entries. One entry is one line of text: the SMS command
// prefix, a tab, the command (a program command line or a URL), a tab, and
// "Yes" when the command returns the response text, else "No". The same text
// is the page's list item, the editor's input and output, and the value of a
// "ReceiveSMSCommand%u" key. No windows.h.
#pragma once
#include <cstddef>

#include "settings/php_lookup.h"

constexpr size_t kTwoWayPrefixChars = 99;
constexpr size_t kTwoWayCommandChars = 1023;
// The longest entry the editor builds: prefix, tab, command, tab, "Yes".
constexpr size_t kTwoWayEntryChars = kTwoWayPrefixChars + 1 + kTwoWayCommandChars + 1 + 3;
constexpr size_t kTwoWayEntrySize = kTwoWayEntryChars + 1;

// Entries written by hand often have spaces where the tabs belong. An entry
// with fewer than two tabs gets them: with no tab its last two spaces become
// tabs, with one tab its last space does.
void RepairTwoWayEntry(char* entry);

struct TwoWayCommand {
  char prefix[kTwoWayPrefixChars + 1];
  char command[kTwoWayCommandChars + 1];
  bool returnsResponse;  // the third field reads as a true value
};

// Splits an entry at its tabs; each field is cut at its width. An empty
// entry gives empty fields.
void SplitTwoWayEntry(const char* entry, TwoWayCommand* command);
// Builds the entry ("*" for an empty prefix), cut at the capacity; its length.
size_t FormatTwoWayEntry(const TwoWayCommand& command, char* entry, size_t cap);
// What an entry matches on: the text before its first tab, at most
// kTwoWayPrefixChars characters, "*" when that is empty.
void TwoWayEntryPrefix(const char* entry, char* prefix, size_t cap);

// What keeps the editor from accepting a command, in the order it is checked.
enum class TwoWayCommandProblem {
  kNone,
  kEmpty,
  kMailto,               // mail is not sent by this edition
  kNoReplacementString,  // nothing of the message would reach the command
};
TwoWayCommandProblem CheckTwoWayCommand(const char* command, bool returnsResponse);
// http://, https://, httppost:// or httpspost:// in any case.
bool IsTwoWayUrl(const char* command);
// The program a command line runs: the text between the first two double
// quotes when it begins with one (a lone leading quote is ignored), else the
// text before the first space. Cut at the capacity; its length.
size_t TwoWayProgramPath(const char* command, char* program, size_t cap);
// Whether the file name (the part after the last backslash) has a dot.
bool FileNameHasDot(const char* path);
// The longest program path the editor names: the command's, with ".EXE".
constexpr size_t kTwoWayProgramSize = kTwoWayCommandChars + sizeof ".EXE";
// Whether the editor finds what the command runs: a URL always, else its
// program as a file, or one without a dot in its file name also with ".EXE"
// added. program gets the path tried last, for the message (empty for a URL).
bool TwoWayProgramFound(const char* command, PlainFileTest exists, void* context, char* program, size_t cap);
// The editor's message refusing a command after the checks above, in their
// order, then TwoWayProgramFound; empty when the command is accepted.
constexpr size_t kTwoWayRefusalSize = kTwoWayProgramSize + 512;
void TwoWayCommandRefusal(const char* command, bool returnsResponse, PlainFileTest exists, void* context,
                          char* message, size_t cap);
