#include "modem/at_channel.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/modem_cable.h"

namespace {

class AtChannelTest : public testing::Test {
 protected:
  void Start(const ModemProfile& profile) {
    modem_.reset(new ModemSimulator(1, profile));
    ASSERT_TRUE(modem_->Running()) << "no modem end: are the cables up?";
    port_ = OpenConsoleEnd(1);
    ASSERT_NE(port_, INVALID_HANDLE_VALUE);
  }
  void TearDown() override {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    modem_.reset();
  }
  static DWORD SecondsSince(DWORD startTicks) { return (GetTickCount() - startTicks + 500) / 1000; }

  std::unique_ptr<ModemSimulator> modem_;
  HANDLE port_ = INVALID_HANDLE_VALUE;
};

TEST_F(AtChannelTest, AnOkLineEndsTheReadAtOnce) {
  Start(ModemProfile{});
  DWORD count = 0;
  DWORD start = GetTickCount();
  std::string answer = Exchange(port_, "AT\r", 30, &count);
  EXPECT_LT(SecondsSince(start), 5u) << "did not wait for the limit";
  EXPECT_EQ(answer, "\r\nOK\r\n");
  EXPECT_EQ(count, answer.size());
  EXPECT_TRUE(ResponseIsOk(answer.c_str()));
  EXPECT_EQ(modem_->Transcript(), std::vector<std::string>{"AT"});
}

TEST_F(AtChannelTest, AnSmsErrorEndsTheReadAndIsNotOk) {
  ModemProfile profile;
  profile.cmgsPrompt = false;
  Start(profile);
  DWORD start = GetTickCount();
  std::string answer = Exchange(port_, "AT+CMGS=86\r", 30);
  EXPECT_LT(SecondsSince(start), 5u);
  EXPECT_EQ(answer, "\r\n+CMS ERROR: 500\r\n");
  EXPECT_FALSE(ResponseIsOk(answer.c_str()));
}

TEST_F(AtChannelTest, EchoAndAnAnswerSplitOverReadsAreCollectedTogether) {
  ModemProfile profile;
  profile.echo = true;
  profile.splitAnswers = true;
  Start(profile);
  std::string answer = Exchange(port_, "ATE0V1\r", 10);
  EXPECT_EQ(answer, "ATE0V1\r\r\nOK\r\n");
  EXPECT_TRUE(ResponseIsOk(answer.c_str()));
}

TEST_F(AtChannelTest, ASilentModemCostsTheLimitAndGivesNothing) {
  ModemProfile profile;
  profile.silent = true;
  Start(profile);
  DWORD count = 99;
  DWORD start = GetTickCount();
  std::string answer = Exchange(port_, "AT\r", 2, &count);
  DWORD elapsed = SecondsSince(start);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(answer, "");
  EXPECT_GE(elapsed, 2u);
  EXPECT_LE(elapsed, 5u) << "bounded by the limit and one read pass";
  EXPECT_TRUE(modem_->Received("AT"));
}

TEST_F(AtChannelTest, AnAnswerWithoutFinalResultRunsToTheLimitAndKeepsItsText) {
  Start(ModemProfile{});
  DWORD count = 0;
  DWORD start = GetTickCount();
  std::string answer = Exchange(port_, "AT+CMGS=86\r", 1, &count);
  EXPECT_GE(SecondsSince(start), 1u);
  EXPECT_EQ(answer, "\r\n> ");
  EXPECT_EQ(count, 4u);
  EXPECT_FALSE(ResponseIsOk(answer.c_str()));
}

TEST_F(AtChannelTest, ALongAnswerIsCutAndStaysTerminated) {
  Start(ModemProfile{});
  char buffer[10];
  memset(buffer, 'x', sizeof buffer);
  ASSERT_TRUE(ModemWrite(port_, "AT+CPMS?\r"));
  DWORD count = ModemReadResponse(port_, buffer, sizeof buffer, 1);
  EXPECT_EQ(count, 9u);
  EXPECT_EQ(std::string(buffer), std::string("\r\n+CPMS: \"SM\",0,20", 9));
}

TEST(AtChannel, RefusedWritesAndReadsReportFailure) {
  char buffer[16] = "stale";
  EXPECT_FALSE(ModemWrite(INVALID_HANDLE_VALUE, "AT\r"));
  EXPECT_EQ(ModemReadResponse(INVALID_HANDLE_VALUE, buffer, sizeof buffer, 1), 0u);
  EXPECT_STREQ(buffer, "") << "the buffer is cleared first";
}

TEST(AtChannel, TimeoutProfiles) {
  HANDLE port = OpenConsoleEnd(2);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  COMMTIMEOUTS timeouts = {};
  SetOpenCommTimeouts(port);
  GetCommTimeouts(port, &timeouts);
  EXPECT_EQ(timeouts.ReadIntervalTimeout, 200u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 2000u);
  EXPECT_TRUE(SetTestCommTimeouts(port));
  GetCommTimeouts(port, &timeouts);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 15000u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1000u);
  CloseHandle(port);
}

}  // namespace
