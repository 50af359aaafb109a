#include "modem/at_channel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "support/modem_cable.h"

namespace {

// One exchange with a modem of the profile: what is read, whether it counts
// as OK, and how long it took (whole seconds, rounded).
TEST(AtChannel, AnswersEndTheReadAtAFinalResultOrAtTheLimit) {
  struct Row {
    const char* name;
    std::function<void(ModemProfile&)> profile;
    const char* command;
    DWORD limit;
    const char* answer;
    bool ok;
    DWORD minSeconds, maxSeconds;
  };
  const Row rows[] = {
      {"an OK line ends at once", [](ModemProfile&) {}, "AT\r", 30, "\r\nOK\r\n", true, 0, 4},
      {"an SMS error ends at once", [](ModemProfile& p) { p.cmgsPrompt = false; }, "AT+CMGS=86\r", 30,
       "\r\n+CMS ERROR: 500\r\n", false, 0, 4},
      {"echo and an answer split over reads",
       [](ModemProfile& p) { p.echo = p.splitAnswers = true; }, "ATE0V1\r", 10, "ATE0V1\r\r\nOK\r\n", true, 0, 9},
      {"a silent modem costs the limit and one read pass", [](ModemProfile& p) { p.silent = true; }, "AT\r", 2, "",
       false, 2, 5},
      {"no final result runs to the limit and keeps its text", [](ModemProfile&) {}, "AT+CMGS=86\r", 1, "\r\n> ",
       false, 1, 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ModemProfile profile;
    row.profile(profile);
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running()) << "no modem end: are the cables up?";
    HANDLE port = OpenConsoleEnd(1);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    DWORD count = 99;
    DWORD start = GetTickCount();
    std::string answer = Exchange(port, row.command, row.limit, &count);
    DWORD seconds = (GetTickCount() - start + 500) / 1000;
    CloseHandle(port);
    EXPECT_EQ(answer, row.answer);
    EXPECT_EQ(count, answer.size());
    EXPECT_EQ(ResponseIsOk(answer.c_str()), row.ok);
    EXPECT_GE(seconds, row.minSeconds);
    EXPECT_LE(seconds, row.maxSeconds);
    EXPECT_EQ(modem.Transcript().at(0), std::string(row.command, strlen(row.command) - 1));
  }
}

TEST(AtChannel, ALongAnswerIsCutAndStaysTerminated) {
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  HANDLE port = OpenConsoleEnd(1);
  char buffer[10];
  memset(buffer, 'x', sizeof buffer);
  ASSERT_TRUE(ModemWrite(port, "AT+CPMS?\r"));
  EXPECT_EQ(ModemReadResponse(port, buffer, sizeof buffer, 1), 9u);
  EXPECT_EQ(std::string(buffer), std::string("\r\n+CPMS: \"SM\",0,20", 9));
  CloseHandle(port);
}

TEST(AtChannel, RefusedWritesAndReadsReportFailure) {
  char buffer[16] = "stale";
  EXPECT_FALSE(ModemWrite(INVALID_HANDLE_VALUE, "AT\r"));
  EXPECT_EQ(ModemReadResponse(INVALID_HANDLE_VALUE, buffer, sizeof buffer, 1), 0u);
  EXPECT_STREQ(buffer, "") << "the buffer is cleared first";
}

}  // namespace
