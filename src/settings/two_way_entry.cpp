#include "settings/two_way_entry.h"

#include <cstring>
#include <initializer_list>

#include "common/text_util.h"
#include "config/value_rules.h"

namespace {

const char kMailtoMessage[] = "mailto: not supported by this edition of ZedSMS";
const char kReplacementMessage[] =
    "You must include one or more of the following replacement strings in the command to be executed:\r\n\r\n"
    "@@SENDER@@ - Will contain the phone number of the sender of the inbound SMS message\r\n"
    "@@SMS@@ - Will contain the text of the SMS message without the command prefix\r\n"
    "@@FULLSMS@@ - Will contain the complete text of the SMS message, including the command prefix";
const char kProgramMessage[] =
    "Cannot locate program file:  %s\r\n\r\nPlease specify an http://url, or a valid executable file name.";

bool BeginsWithNoCase(const char* text, const char* start) {
  for (; *start; ++text, ++start) {
    char a = *text >= 'a' && *text <= 'z' ? static_cast<char>(*text - 32) : *text;
    char b = *start >= 'a' && *start <= 'z' ? static_cast<char>(*start - 32) : *start;
    if (a != b) return false;
  }
  return true;
}

// The field of an entry that begins at text and runs to the next tab.
size_t FieldLength(const char* text) { return strcspn(text, "\t"); }

// The text after the tab that ends the field at text, or the end of the text.
const char* NextField(const char* text) {
  const char* tab = strchr(text, '\t');
  return tab ? tab + 1 : text + strlen(text);
}

}  // namespace

void RepairTwoWayEntry(char* entry) {
  int tabs = 0;
  for (const char* p = entry; *p; ++p)
    if (*p == '\t') ++tabs;
  int missing = 2 - tabs;
  for (size_t i = strlen(entry); i > 0 && missing > 0; --i) {
    if (entry[i - 1] == ' ') {
      entry[i - 1] = '\t';
      --missing;
    }
  }
}

void SplitTwoWayEntry(const char* entry, TwoWayCommand* command) {
  const char* prefix = entry;
  const char* program = NextField(prefix);
  const char* flag = NextField(program);
  CopyTextMax(command->prefix, sizeof command->prefix, prefix, FieldLength(prefix));
  CopyTextMax(command->command, sizeof command->command, program, FieldLength(program));
  char flagText[8];
  CopyTextMax(flagText, sizeof flagText, flag, FieldLength(flag));
  command->returnsResponse = IsTrueValue(flagText);
}

size_t FormatTwoWayEntry(const TwoWayCommand& command, char* entry, size_t cap) {
  return FormatText(entry, cap, "%s\t%s\t%s", command.prefix[0] ? command.prefix : "*", command.command,
                    command.returnsResponse ? "Yes" : "No");
}

void TwoWayEntryPrefix(const char* entry, char* prefix, size_t cap) {
  size_t length = FieldLength(entry);
  if (length > kTwoWayPrefixChars) length = kTwoWayPrefixChars;
  CopyTextMax(prefix, cap, length ? entry : "*", length ? length : 1);
}

TwoWayCommandProblem CheckTwoWayCommand(const char* command, bool returnsResponse) {
  if (!command[0]) return TwoWayCommandProblem::kEmpty;
  if (BeginsWithNoCase(command, "mailto:")) return TwoWayCommandProblem::kMailto;
  if (!returnsResponse && !FindNoCase(command, "@@SENDER@@") && !FindNoCase(command, "@@SMS@@") &&
      !FindNoCase(command, "@@FULLSMS@@"))
    return TwoWayCommandProblem::kNoReplacementString;
  return TwoWayCommandProblem::kNone;
}

bool IsTwoWayUrl(const char* command) {
  for (const char* scheme : {"http://", "https://", "httppost://", "httpspost://"})
    if (BeginsWithNoCase(command, scheme)) return true;
  return false;
}

size_t TwoWayProgramPath(const char* command, char* program, size_t cap) {
  if (command[0] == '"' && !strchr(command + 1, '"')) ++command;
  if (command[0] == '"') {
    const char* start = command + 1;
    return CopyTextMax(program, cap, start, static_cast<size_t>(strchr(start, '"') - start));
  }
  return CopyTextMax(program, cap, command, strcspn(command, " "));
}

bool FileNameHasDot(const char* path) {
  const char* backslash = strrchr(path, '\\');
  return strchr(backslash ? backslash + 1 : path, '.') != nullptr;
}

bool TwoWayProgramFound(const char* command, PlainFileTest exists, void* context, char* program, size_t cap) {
  CopyText(program, cap, "");
  if (IsTwoWayUrl(command)) return true;
  TwoWayProgramPath(command, program, cap);
  if (exists(program, context)) return true;
  if (FileNameHasDot(program)) return false;
  AppendText(program, cap, ".EXE");
  return exists(program, context);
}

void TwoWayCommandRefusal(const char* command, bool returnsResponse, PlainFileTest exists, void* context,
                          char* message, size_t cap) {
  switch (CheckTwoWayCommand(command, returnsResponse)) {
    case TwoWayCommandProblem::kEmpty: CopyText(message, cap, "Field is required!"); return;
    case TwoWayCommandProblem::kMailto: CopyText(message, cap, kMailtoMessage); return;
    case TwoWayCommandProblem::kNoReplacementString: CopyText(message, cap, kReplacementMessage); return;
    case TwoWayCommandProblem::kNone: break;
  }
  char program[kTwoWayProgramSize];
  if (TwoWayProgramFound(command, exists, context, program, sizeof program))
    CopyText(message, cap, "");
  else
    FormatText(message, cap, kProgramMessage, program);
}
