// Built without the icon resource: start-up says so and goes on to the sheet.
#include <gtest/gtest.h>

#include "app/console.h"
#include "support/test_env.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

TEST(MissingIcon, StartUpReportsItAndStillShowsTheSheet) {
  TempDataDirectory dir("noicon");
  // A modem configured: the main sheet opens without the setup wizard.
  WritePrivateProfileStringA("SMSGW", "Modem1", "COM5:", dir.File("SMSGW.INI").c_str());
  MessageBoxAnswerer boxes;
  boxes.Answer(IDOK);
  boxes.Answer(IDNO);
  WindowDriver driver(kProductCaption, [](HWND sheet) { PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(ConsoleMain(""), 0);
  EXPECT_TRUE(driver.Appeared());
  EXPECT_EQ(BoxLines(boxes.Boxes()),
            (std::vector<std::string>{"plain OK [Debug]: Error loading Icon",
                                      "question YesNo: Service is not active, do you wish to activate the service?"}));
}
