#include "monitor/event_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(FormatEventLine, TimeKindAndFirstInsertionStringCutToTheLine) {
  char line[kEventLineChars + 1];
  const EventTime time = {true, 2012, 5, 1, 9, 3, 7}, unknown = {false, 0, 0, 0, 0, 0, 0};
  FormatEventLine(time, EventKind::Error, "Modem not responding", line, sizeof line);
  EXPECT_STREQ(line, "2012-05-01 09:03:07 - Error: Modem not responding");
  FormatEventLine(time, EventKind::Warning, "Queue large", line, sizeof line);
  EXPECT_STREQ(line, "2012-05-01 09:03:07 - Warning: Queue large");
  FormatEventLine(unknown, EventKind::Other, nullptr, line, sizeof line);
  EXPECT_STREQ(line, "Info: ") << "no time when it cannot be converted, no text when there is none";
  FormatEventLine(time, EventKind::Other, std::string(5000, 'x').c_str(), line, sizeof line);
  EXPECT_EQ(std::string(line), "2012-05-01 09:03:07 - Info: " + std::string(kEventLineChars - 28, 'x'));
}
