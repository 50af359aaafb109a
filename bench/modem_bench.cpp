// Modem round trips against a simulated modem that answers at once: one
// command's round trip, and a whole passing modem test. The goal: a round
// trip no slower than the answer plus one read interval of the open profile
// (200 ms). The answer's own time is measured by polling the port until the
// whole answer is there; the ratio is round trip / (answer + 200 ms).
#include <windows.h>

#include <cstdio>

#include "modem/at_channel.h"
#include "modem/modem_check.h"
#include "modemsim/modem_simulator.h"
#include "support/fake_telephony.h"
#include "support/modem_cable.h"

namespace {

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Answers every box of the modem test with OK (the bench has no one to click).
LRESULT CALLBACK CloseBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Mean time until the whole "OK" answer can be read, polling without waiting.
double AnswerTime(HANDLE port, int rounds) {
  COMMTIMEOUTS immediate = {MAXDWORD, 0, 0, 0, 2000};
  SetCommTimeouts(port, &immediate);
  LARGE_INTEGER start, end;
  double total = 0;
  for (int i = 0; i < rounds; ++i) {
    char answer[64] = "";
    DWORD collected = 0;
    QueryPerformanceCounter(&start);
    ModemWrite(port, "AT\r");
    while (!IsFinalResponse(answer) && collected < sizeof answer - 1) {
      OVERLAPPED overlapped = {};
      overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      DWORD got = 0;
      if (!ReadFile(port, answer + collected, sizeof answer - 1 - collected, &got, &overlapped))
        GetOverlappedResult(port, &overlapped, &got, TRUE);
      CloseHandle(overlapped.hEvent);
      collected += got;
      answer[collected] = '\0';
    }
    QueryPerformanceCounter(&end);
    total += Milliseconds(start, end);
  }
  SetOpenCommTimeouts(port);
  return total / rounds;
}

}  // namespace

int main() {
  ModemSimulator modem(1, ModemProfile{});
  if (!modem.Running()) {
    fprintf(stderr, "no modem cable: run through bench.sh\n");
    return 1;
  }
  HANDLE port = OpenConsoleEnd(1);
  const int kRounds = 50;
  char answer[kResponseCapacity];
  Exchange(port, "AT\r", 5);  // warm up
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRounds; ++i) {
    ModemWrite(port, "AT\r");
    ModemReadResponse(port, answer, sizeof answer, 5);
  }
  QueryPerformanceCounter(&end);
  double roundTrip = Milliseconds(start, end) / kRounds;
  double answerMs = AnswerTime(port, kRounds);
  CloseHandle(port);
  printf("AT round trip: %.1f ms (mean of %d); the answer alone: %.1f ms; read interval 200 ms\n", roundTrip,
         kRounds, answerMs);

  FakeTelephonyScope telephony;
  telephony.fake.lines = {FakeLine{"Bench Modem"}};
  HHOOK hook = SetWindowsHookExA(WH_CBT, CloseBoxes, nullptr, GetCurrentThreadId());
  size_t before = modem.Transcript().size();
  QueryPerformanceCounter(&start);
  bool passed = TestModem(nullptr, "Bench Modem", "");
  QueryPerformanceCounter(&end);
  UnhookWindowsHookEx(hook);
  printf("full modem test: %.0f ms, %s, %u commands\n", Milliseconds(start, end), passed ? "passed" : "FAILED",
         static_cast<unsigned>(modem.Transcript().size() - before));
  printf("BENCH modem_round_trip ratio=%.2f goal=1.00\n", roundTrip / (answerMs + 200.0));
  return passed ? 0 : 1;
}
