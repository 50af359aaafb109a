#include "queues/queue_view_rules.h"

#include <cstring>

#include "common/text_util.h"
#include "queues/queue_rows.h"
#include "queues/recipients.h"

int NextSortState(int sortState, int column, unsigned columnCount, unsigned rowCount) {
  if (rowCount == 0 || column < 0 || static_cast<unsigned>(column) >= columnCount) return sortState;
  int wanted = column + 1;
  return sortState == wanted ? -wanted : wanted;
}

int FindRowByKey(char* const* rows, unsigned count, size_t fieldCount, const char* key) {
  if (!key[0]) return -1;
  for (unsigned i = 0; i < count; ++i)
    if (EqualsNoCase(QueueRowField(rows[i], fieldCount, 0), key)) return static_cast<int>(i);
  return -1;
}

void FormatQueueStatus(const char* prefix, const char* emptyText, unsigned total, char* out, size_t outCap) {
  if (total == 0)
    FormatText(out, outCap, "%s%s", prefix, emptyText);
  else
    FormatText(out, outCap, "%s%u message%s", prefix, total, total > 1 ? "s" : "");
}

void FormatDeleteQuestion(unsigned selected, char* out, size_t outCap) {
  if (selected == 1)
    CopyText(out, outCap, "Delete Message?");
  else
    FormatText(out, outCap, "Delete %u messages?", selected);
}

bool MessagePath(const char* directory, const char* key, char* out, size_t outCap) {
  if (outCap == 0) return false;
  out[0] = '\0';
  if (strlen(directory) + strlen(key) + 1 > outCap) return false;
  CopyText(out, outCap, directory);
  AppendText(out, outCap, key);
  return true;
}

bool ReceivedMmsContentFolder(const char* directory, const char* headerPath, char* out, size_t outCap) {
  if (!PathWithoutExtension(headerPath, out, outCap)) return false;
  size_t length = strlen(out);
  if (length > strlen(directory) && out[length - 1] != '\\') return true;
  out[0] = '\0';
  return false;
}
