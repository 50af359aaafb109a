// The services' daily logs as the Test Message page reads them: a chunk is
// split into lines, and each line is matched against the SMS and the MMS log
// forms. Input: two bytes choosing the line buffer's size and one the detail
// capacity, then the chunk read from the file.
#include <cstdint>
#include <cstring>

#include "monitor/test_tracking.h"
#include "fuzz_checks.h"

namespace {

const char kTestName[] = "TEST1A2B";

void CheckOutcome(TestOutcome outcome, const char* detail, size_t cap) {
  FUZZ_CHECK(memchr(detail, '\0', cap) != nullptr);
  if (outcome != TestOutcome::Failed) FUZZ_CHECK(detail[0] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  size_t lineSize = 2 + (static_cast<size_t>(data[0]) << 8 | data[1]) % (kMostLogLineBytes - 1);
  size_t cap = 1 + data[2];
  const char* chunk = reinterpret_cast<const char*>(data + 3);
  size_t length = size - 3;

  char* line = new char[lineSize];
  char* detail = new char[cap];
  size_t taken = 0;
  while (taken < length) {
    size_t used = TakeLogLine(chunk + taken, length - taken, lineSize, line);
    FUZZ_CHECK(used > 0 && used <= length - taken && used < lineSize);
    taken += used;
    size_t n = strnlen(line, lineSize);
    FUZZ_CHECK(n < lineSize && n <= used);
    FUZZ_CHECK(!memchr(line, '\r', n) && !memchr(line, '\n', n));
    FUZZ_CHECK(line[0] != 26);

    detail[0] = '\0';
    CheckOutcome(MatchSmsLogLine(line, kTestName, detail, cap), detail, cap);
    detail[0] = '\0';
    CheckOutcome(MatchMmsLogLine(line, kTestName, detail, cap), detail, cap);
  }
  delete[] detail;
  delete[] line;
  return 0;
}
