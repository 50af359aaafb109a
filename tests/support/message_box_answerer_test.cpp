// The harness must report message boxes faithfully, or every test that
// relies on it proves nothing.
#include "support/message_box_answerer.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

TEST(MessageBoxAnswerer, RecordsTheBoxAndPressesTheScriptedButton) {
  MessageBoxAnswerer answerer;
  answerer.Answer(IDNO);
  answerer.Answer(IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Question?", "Title", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Broken", "Other", MB_OK | MB_ICONERROR), IDOK);
  auto boxes = answerer.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Title");
  EXPECT_EQ(boxes[0].text, "Question?");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
  EXPECT_EQ(boxes[1].icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes[1].buttons, std::vector<int>{IDOK});
  answerer.ExpectAllAnswered();
}

TEST(MessageBoxAnswerer, TellsTheIconsApart) {
  MessageBoxAnswerer answerer;
  for (int i = 0; i < 3; ++i) answerer.Answer(IDOK);
  MessageBoxA(nullptr, "a", "t", MB_OK | MB_ICONINFORMATION);
  MessageBoxA(nullptr, "b", "t", MB_OK | MB_ICONWARNING);
  MessageBoxA(nullptr, "c", "t", MB_OK);
  auto boxes = answerer.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(boxes[1].icon, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(boxes[2].icon, 0u);
}

TEST(MessageBoxAnswerer, UnscriptedBoxFailsAndIsCancelled) {
  MessageBoxAnswerer answerer;
  int result = 0;
  EXPECT_NONFATAL_FAILURE(result = MessageBoxA(nullptr, "Surprise", "t", MB_YESNOCANCEL),
                          "unexpected message box");
  EXPECT_EQ(result, IDCANCEL);
}
