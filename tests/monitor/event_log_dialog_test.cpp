// The Event Log viewer against a fake Application log served as real
// EVENTLOGRECORD bytes.
#include "monitor/event_log_dialog.h"

#include <gtest/gtest.h>

#include "resources/page_ids.h"
#include "support/fake_event_log.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;

// The lines after their time stamp ("YYYY-MM-DD hh:mm:ss - "), cut to `width`.
// Read as wide text: the test system converts an ANSI LB_GETTEXT through a
// 512-character stack buffer, which a long line would overrun.
Texts Lines(HWND dialog, size_t width = std::string::npos) {
  Texts lines;
  int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_EVENT_LIST, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring wide(static_cast<size_t>(SendDlgItemMessageW(dialog, IDC_EVENT_LIST, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    SendDlgItemMessageW(dialog, IDC_EVENT_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
    std::string line(wide.begin(), wide.end() - 1);
    lines.push_back(line.size() > 22 && line.compare(19, 3, " - ") == 0 ? line.substr(22, width) : "<no time stamp> " + line);
  }
  return lines;
}

// One read of the log by the dialog's timer, done before this returns.
void ReadAgain(HWND dialog) { SendMessageA(dialog, WM_TIMER, 1, 0); }

// A list that refuses one insertion, as a full list box would. A wide
// procedure, so that no ANSI conversion (see Lines) sits in front of the list.
WNDPROC g_listProc = nullptr;
int g_insertsUntilRefusal = -1;
LRESULT CALLBACK RefusingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == LB_INSERTSTRING && g_insertsUntilRefusal >= 0 && g_insertsUntilRefusal-- == 0) return LB_ERRSPACE;
  return CallWindowProcW(g_listProc, list, message, wParam, lParam);
}

TEST(EventLogDialog, ListsTheGatewaysEventsNewestFirstClearsOnlyAfterYesAndSurvivesAFullList) {
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
  log.Add({"ZedSMS", EVENTLOG_AUDIT_SUCCESS, {}});
  boxes.Answer(IDNO);
  boxes.Answer(IDYES);
  boxes.Answer(IDOK);
  EXPECT_EQ(walk([&](HWND dialog) {
    EXPECT_EQ(Lines(dialog), (Texts{"Info: ", "Warning: Queue is large", "Info: Service started"}));
    SendMessageA(dialog, WM_COMMAND, IDC_EVENT_CLEAR, 0);
    EXPECT_EQ(log.clears, 0) << "No keeps the log";
    SendMessageA(dialog, WM_COMMAND, IDC_EVENT_CLEAR, 0);
    EXPECT_TRUE(log.clears == 1 && Lines(dialog).empty());
    log.Add({"ZedSMS", EVENTLOG_INFORMATION_TYPE, {"before"}});
    ReadAgain(dialog);
    EXPECT_EQ(Lines(dialog), Texts{"Info: before"});

    // A refused line warns and skips the rest of its batch only. Records of
    // 40 000 characters: three fill one 131072-byte read.
    HWND list = GetDlgItem(dialog, IDC_EVENT_LIST);
    g_insertsUntilRefusal = 1;
    g_listProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_WNDPROC));  // known before the list calls it
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingListProc));
    for (const char* name : {"A", "B", "C", "D", "E", "F"})
      log.Add({"ZedSMS", EVENTLOG_ERROR_TYPE, {name + std::string(40000, 'x')}});
    ReadAgain(dialog);
    log.Add({"ZedSMS", EVENTLOG_WARNING_TYPE, {"after"}});
    ReadAgain(dialog);
    EXPECT_EQ(Lines(dialog, 10), (Texts{"Warning: a", "Error: Fxx", "Error: Exx", "Error: Dxx", "Error: Axx", "Info: befo"}))
        << "B refused, C skipped with it; the next batch and later reads go on";
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
  }), 1);
  const std::string question =
      "question YesNo: This will clear all events from the application event log for this system, which includes "
      "events from applications other than ZedSMS.\r\n\r\nContinue?";
  EXPECT_EQ(BoxLines(boxes.Boxes()),
            (Texts{"error OK: Unable to open event log", question, question,
                   "plain OK [Warning]: Too many events.  Please use Windows Event Log viewer to view all events."}));
  boxes.ExpectAllAnswered();
}

}  // namespace
