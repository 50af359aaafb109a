#include "queues/recipients.h"

#include <cstring>

#include "common/text_util.h"
#include "queues/text_lines.h"

unsigned FormatRecipientsText(const char* section, size_t size, char* out, size_t outCap) {
  if (outCap > 0) out[0] = '\0';
  if (!section) return 0;
  unsigned count = 0;
  size_t pos = 0;
  while (pos < size && section[pos] != '\0') {
    const char* entry = section + pos;
    const void* nul = memchr(entry, '\0', size - pos);
    size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - entry) : size - pos;
    const void* equals = memchr(entry, '=', length);
    if (!equals) break;
    const char* value = static_cast<const char*>(equals) + 1;
    size_t valueLength = length - static_cast<size_t>(value - entry);
    valueLength = FindNoCaseIn(value, valueLength, "/TYPE=");
    ++count;
    if (count <= 5 && outCap > 0) {
      if (count > 1) AppendText(out, outCap, ", ");
      size_t used = strlen(out);
      CopyTextMax(out + used, outCap - used, value, valueLength);
    }
    pos += length + 1;
  }
  if (count > 5) FormatText(out, outCap, "%u recipients", count);
  return count;
}

namespace {

// Start of the file name and position of its last dot (or the end).
size_t ExtensionStart(const char* path, size_t length) {
  size_t nameStart = length;
  while (nameStart > 0 && path[nameStart - 1] != '\\' && path[nameStart - 1] != '/') --nameStart;
  for (size_t i = length; i > nameStart; --i) {
    if (path[i - 1] == '.') return i - 1;
  }
  return length;
}

bool ReplaceExtension(const char* path, const char* extension, char* out, size_t outCap) {
  if (outCap == 0) return false;
  out[0] = '\0';
  if (!path) return false;
  size_t length = strlen(path);
  size_t keep = ExtensionStart(path, length);
  if (keep + strlen(extension) + 1 > outCap) return false;
  CopyTextMax(out, outCap, path, keep);
  AppendText(out, outCap, extension);
  return true;
}

}  // namespace

bool MmsControlFilePath(const char* mmsPath, char* out, size_t outCap) {
  return ReplaceExtension(mmsPath, ".INI", out, outCap);
}

bool PathWithoutExtension(const char* path, char* out, size_t outCap) {
  return ReplaceExtension(path, "", out, outCap);
}
