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
