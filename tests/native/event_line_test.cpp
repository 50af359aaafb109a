#include "monitor/event_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(FormatEventLine, TimeKindAndFirstInsertionString) {
  char line[kEventLineChars + 1];
  EventTime time = {true, 2012, 5, 1, 9, 3, 7};
  FormatEventLine(time, EventKind::Error, "Modem not responding", line, sizeof line);
  EXPECT_STREQ(line, "2012-05-01 09:03:07 - Error: Modem not responding");
  FormatEventLine(time, EventKind::Warning, "Queue large", line, sizeof line);
  EXPECT_STREQ(line, "2012-05-01 09:03:07 - Warning: Queue large");
  FormatEventLine(EventTime{false, 0, 0, 0, 0, 0, 0}, EventKind::Other, "Started", line, sizeof line);
  EXPECT_STREQ(line, "Info: Started") << "no time when it cannot be converted";
  FormatEventLine(EventTime{false, 0, 0, 0, 0, 0, 0}, EventKind::Other, nullptr, line, sizeof line);
  EXPECT_STREQ(line, "Info: ");
}

TEST(FormatEventLine, ALongInsertionIsCutToTheLine) {
  char line[kEventLineChars + 1];
  std::string longText(5000, 'x');
  FormatEventLine(EventTime{true, 2012, 1, 1, 0, 0, 0}, EventKind::Other, longText.c_str(), line, sizeof line);
  EXPECT_EQ(std::string(line).size(), kEventLineChars);
  EXPECT_EQ(std::string(line).substr(0, 28), "2012-01-01 00:00:00 - Info: ");
}
