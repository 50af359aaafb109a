// The Event Log viewer against a fake Application log served as real
// EVENTLOGRECORD bytes.
#include "monitor/event_log_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "resources/page_ids.h"
#include "support/fake_event_log.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;

// The lines after their time stamp ("YYYY-MM-DD hh:mm:ss - ").
Texts Lines(HWND dialog) {
  Texts lines;
  int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char line[512] = "";
    SendDlgItemMessageA(dialog, IDC_EVENT_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    lines.push_back(strlen(line) > 22 && memcmp(line + 19, " - ", 3) == 0 ? line + 22 : std::string("<no time stamp> ") + line);
  }
  return lines;
}

// One read of the log by the dialog's timer, done before this returns.
void ReadAgain(HWND dialog) { SendMessageA(dialog, WM_TIMER, 1, 0); }

TEST(EventLogDialog, ListsTheGatewaysEventsNewestFirstAndClearsOnlyAfterYes) {
  FakeEventLogScope log;
  MessageBoxAnswerer boxes;
  auto walk = [](const std::function<void(HWND)>& steps) {
    WindowDriver driver("Event Log", [&](HWND dialog) {
      steps(dialog);
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    return ShowEventLogViewer(nullptr);
  };
  // A log that cannot be opened is reported once, whatever the timer reads.
  log.failOpen = true;
  boxes.Answer(IDOK);
  walk([](HWND dialog) {
    ReadAgain(dialog);
    ReadAgain(dialog);
  });
  log.failOpen = false;

  log.Add({"ZedSMS", EVENTLOG_INFORMATION_TYPE, {"Service started", "second string"}});
  log.Add({"OtherApp", EVENTLOG_ERROR_TYPE, {"not ours"}});
  log.Add({"zedsms", EVENTLOG_WARNING_TYPE, {"Queue is large"}});
  boxes.Answer(IDNO);
  boxes.Answer(IDYES);
  EXPECT_EQ(walk([&](HWND dialog) {
    EXPECT_EQ(Lines(dialog), (Texts{"Warning: Queue is large", "Info: Service started"}));
    SendMessageA(dialog, WM_COMMAND, IDC_EVENT_CLEAR, 0);
    EXPECT_EQ(log.clears, 0) << "No keeps the log";
    SendMessageA(dialog, WM_COMMAND, IDC_EVENT_CLEAR, 0);
    EXPECT_TRUE(log.clears == 1 && Lines(dialog).empty());
  }), 1);
  const std::string question =
      "question YesNo: This will clear all events from the application event log for this system, which includes "
      "events from applications other than ZedSMS.\r\n\r\nContinue?";
  EXPECT_EQ(BoxLines(boxes.Boxes()), (Texts{"error OK: Unable to open event log", question, question}));
}

}  // namespace
