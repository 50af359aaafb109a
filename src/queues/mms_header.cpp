#include "queues/mms_header.h"

#include <cstring>

#include "common/text_util.h"

namespace {

// The value after a header name, without leading control characters and
// blanks.
TextLine HeaderValue(const TextLine& line, size_t nameLength) {
  return SkipControlChars(LineRest(line, nameLength));
}

// Addresses carry their type after "/TYPE="; the list shows the address.
// Cut before copying, so that a type marker across the capacity boundary
// does not leave a piece of itself behind.
void CopyAddress(char* field, size_t capacity, const TextLine& value) {
  size_t cut = FindNoCaseIn(value.text, value.length, "/TYPE=");
  CopyTextMax(field, capacity, value.text, cut);
}

size_t FindChar(const TextLine& value, char c) {
  const void* hit = memchr(value.text, c, value.length);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - value.text) : value.length;
}

}  // namespace

void ReadMmsHeader(const char* data, size_t size, MmsHeaderInfo* info) {
  static const char kFrom[] = "From:";
  static const char kTo[] = "To:";
  static const char kSubject[] = "Subject:";
  memset(info, 0, sizeof *info);
  if (!data) return;
  if (size > kMmsHeaderReadBytes) size = kMmsHeaderReadBytes;
  LineCursor cursor;
  BeginLines(&cursor, data, size);
  TextLine line;
  while (NextLine(&cursor, &line)) {
    if (LineStartsWithNoCase(line, kFrom)) {
      CopyAddress(info->from, sizeof info->from, HeaderValue(line, sizeof kFrom - 1));
    } else if (LineStartsWithNoCase(line, kTo)) {
      CopyAddress(info->to, sizeof info->to, HeaderValue(line, sizeof kTo - 1));
    } else if (LineStartsWithNoCase(line, kSubject)) {
      TextLine value = HeaderValue(line, sizeof kSubject - 1);
      CopyTextMax(info->subject, sizeof info->subject, value.text, value.length);
    }
  }
}

bool NextContentObjectItem(LineCursor* cursor, char* item, size_t itemCap) {
  static const char kContentLocation[] = "X-ZedMMS-Content-Location:";
  TextLine line;
  while (NextLine(cursor, &line)) {
    if (!LineStartsWithNoCase(line, kContentLocation)) continue;
    TextLine value = HeaderValue(line, sizeof kContentLocation - 1);
    size_t semicolon = FindChar(value, ';');
    TextLine path{value.text, semicolon};
    char type[150] = "";
    if (semicolon < value.length) {
      TextLine rest = LineRest(value, semicolon + 1);
      CopyTextMax(type, sizeof type, rest.text, FindChar(rest, ';'));
    }
    size_t nameStart = path.length;
    while (nameStart > 0 && path.text[nameStart - 1] != '\\') --nameStart;

    if (itemCap == 0) return true;
    CopyTextMax(item, itemCap, path.text + nameStart, path.length - nameStart);
    if (type[0] != '\0') {
      AppendText(item, itemCap, " (");
      AppendText(item, itemCap, type);
      AppendText(item, itemCap, ")");
    }
    size_t used = AppendText(item, itemCap, "\t");
    CopyTextMax(item + used, itemCap - used, path.text, path.length);
    return true;
  }
  return false;
}

const char* ContentItemPath(const char* item) {
  const char* tab = item ? strchr(item, '\t') : nullptr;
  return tab ? tab + 1 : nullptr;
}

bool ContentItemOpensInNotepad(const char* item) {
  const char* path = ContentItemPath(item);
  if (!path) return false;
  if (FindNoCase(item, "application/smil")) return true;
  // Only the object's own name can carry an extension; a dot in a folder
  // name says nothing about the type.
  const char* name = strrchr(path, '\\');
  name = name ? name + 1 : path;
  return strchr(name, '.') == nullptr && FindNoCase(item, "text/") != nullptr;
}

bool IsProgramFileName(const char* path) {
  static const char* const kPrograms[] = {".exe", ".com", ".bat", ".cmd", ".scr", ".pif", ".js",  ".jse",
                                          ".vbs", ".vbe", ".wsf", ".wsh", ".msi", ".msp", ".lnk", ".hta",
                                          ".cpl", ".ps1", ".reg", ".scf", ".url", ".jar", ".inf", ".msc"};
  size_t length = strlen(path);
  while (length > 0 && (path[length - 1] == '.' || path[length - 1] == ' ')) --length;
  size_t dot = length;
  while (dot > 0 && path[dot - 1] != '.' && path[dot - 1] != '\\' && path[dot - 1] != '/') --dot;
  if (dot == 0 || path[dot - 1] != '.') return false;
  char extension[8];
  size_t extensionLength = length - dot + 1;
  if (extensionLength >= sizeof extension) return false;
  memcpy(extension, path + dot - 1, extensionLength);
  extension[extensionLength] = '\0';
  for (const char* program : kPrograms)
    if (EqualsNoCase(extension, program)) return true;
  return false;
}

bool PathIsInsideFolder(const char* folder, const char* fullPath) {
  size_t length = strlen(folder);
  while (length > 0 && folder[length - 1] == '\\') --length;
  if (length == 0 || strlen(fullPath) <= length + 1 || fullPath[length] != '\\') return false;
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < length; ++i)
    if (fold(folder[i]) != fold(fullPath[i])) return false;
  return true;
}
