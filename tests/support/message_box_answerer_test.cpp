// A box nobody scripted must fail the test and be cancelled, or a test that
// provokes one unawares would hang or pass. What the answerer records is
// checked by every transcript the other tests compare.
#include "support/message_box_answerer.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

TEST(MessageBoxAnswerer, UnscriptedBoxFailsAndIsCancelled) {
  MessageBoxAnswerer answerer;
  int result = 0;
  EXPECT_NONFATAL_FAILURE(result = MessageBoxA(nullptr, "Surprise", "t", MB_YESNOCANCEL),
                          "unexpected message box");
  EXPECT_EQ(result, IDCANCEL);
}
