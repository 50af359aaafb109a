// Header files of received MMS: the list row and the content-object items.
#include <cstdint>
#include <cstring>
#include <string>

#include "queues/mms_header.h"
#include "queues/queue_rows.h"
#include "fuzz_checks.h"

namespace {

// A text field is terminated inside its capacity.
bool TerminatedWithin(const char* text, size_t capacity) {
  return memchr(text, '\0', capacity) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char* bytes = new char[size ? size : 1];
  if (size) memcpy(bytes, data, size);

  MmsHeaderInfo info;
  ReadMmsHeader(bytes, size, &info);
  FUZZ_CHECK(TerminatedWithin(info.from, sizeof info.from));
  FUZZ_CHECK(TerminatedWithin(info.to, sizeof info.to));
  FUZZ_CHECK(TerminatedWithin(info.subject, sizeof info.subject));

  static char row[kQueueRowBytes];
  size_t used = BuildReceivedMmsRow("M.HDR", "M.HDR", info, "2012-05-01 09:30:05", row, sizeof row);
  FUZZ_CHECK(used > kReceivedMmsRowFields && used <= sizeof row);

  LineCursor cursor;
  BeginLines(&cursor, bytes, size < kMmsHeaderReadBytes ? size : kMmsHeaderReadBytes);
  char item[kContentItemChars];
  for (int guard = 0; NextContentObjectItem(&cursor, item, sizeof item); ++guard) {
    FUZZ_CHECK(guard < 8192);
    FUZZ_CHECK(TerminatedWithin(item, sizeof item));
    const char* path = ContentItemPath(item);
    ContentItemOpensInNotepad(item);
    if (!path) continue;
    FUZZ_CHECK(path > item && path <= item + strlen(item));
    // The content path decides what the details viewer may open.
    bool program = IsProgramFileName(path);
    std::string below = std::string("C:\\MMSIN\\m1\\") + path;
    FUZZ_CHECK(PathIsInsideFolder("C:\\MMSIN\\m1", below.c_str()) == (path[0] != '\0'));
    FUZZ_CHECK(IsProgramFileName((std::string(path) + ". ").c_str()) == program);
  }
  delete[] bytes;
  return 0;
}
