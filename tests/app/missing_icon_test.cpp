// Built without the icon resource: start-up says so and goes on to the sheet.
#include <gtest/gtest.h>

#include "app/console.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

TEST(MissingIcon, StartUpReportsItAndStillShowsTheSheet) {
  TempDataDirectory dir("noicon");
  MessageBoxAnswerer boxes;
  boxes.Answer(IDOK);
  WindowDriver driver("Zed SMS/MMS Gateway Lite Edition (v2012.05.01)",
                      [](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(ConsoleMain(""), 0);
  EXPECT_TRUE(driver.Appeared());
  auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Debug");
  EXPECT_EQ(shown[0].text, "Error loading Icon");
  EXPECT_EQ(shown[0].icon, 0u);
  EXPECT_EQ(shown[0].buttons, std::vector<int>{IDOK});
}
