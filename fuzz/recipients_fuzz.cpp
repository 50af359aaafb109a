// The Recipients section of a queued MMS's control file, as the profile API
// hands it over (at most 500 bytes), and the control file's path rule.
#include <cstdint>
#include <cstring>

#include "queues/queue_rows.h"
#include "queues/recipients.h"
#include "fuzz_checks.h"

namespace {

// A text field is terminated inside its capacity.
bool TerminatedWithin(const char* text, size_t capacity) {
  return memchr(text, '\0', capacity) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t sectionSize = size < kRecipientsSectionBytes ? size : kRecipientsSectionBytes;
  char* section = new char[sectionSize ? sectionSize : 1];
  if (sectionSize) memcpy(section, data, sectionSize);

  char text[kRecipientsTextChars];
  unsigned count = FormatRecipientsText(section, sectionSize, text, sizeof text);
  FUZZ_CHECK(TerminatedWithin(text, sizeof text));
  FUZZ_CHECK(count <= sectionSize / 2 + 1);
  if (count <= 5) FUZZ_CHECK(strlen(text) + 1 < sizeof text);  // five values always fit

  char small[7];
  FormatRecipientsText(section, sectionSize, small, sizeof small);
  FUZZ_CHECK(TerminatedWithin(small, sizeof small));
  delete[] section;

  static char row[kQueueRowBytes];
  size_t used = BuildOutboundMmsRow("Q.MMS", "Q.MMS", "+4711", text, "2012-05-01 09:30:05",
                                    "3", "error", row, sizeof row);
  FUZZ_CHECK(used > kOutboundMmsRowFields && used <= sizeof row);

  // The same bytes as a path.
  char path[300];
  size_t pathLength = size < sizeof path - 1 ? size : sizeof path - 1;
  memcpy(path, data, pathLength);
  path[pathLength] = '\0';
  char control[261];
  if (MmsControlFilePath(path, control, sizeof control)) {
    FUZZ_CHECK(strlen(control) >= 4);
    FUZZ_CHECK(memcmp(control + strlen(control) - 4, ".INI", 4) == 0);
  } else {
    FUZZ_CHECK(control[0] == '\0');
  }
  PathWithoutExtension(path, control, sizeof control);
  FUZZ_CHECK(TerminatedWithin(control, sizeof control));
  return 0;
}
