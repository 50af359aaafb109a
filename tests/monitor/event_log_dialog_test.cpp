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

class EventLogDialogTest : public testing::Test {
 protected:
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  INT_PTR Walk(const std::function<void(HWND)>& steps) {
    WindowDriver driver("Event Log", steps);
    return ShowEventLogViewer(nullptr);
  }
  FakeEventLogScope log_;
  MessageBoxAnswerer boxes_;
};

TEST_F(EventLogDialogTest, ListsTheGatewaysEventsNewestFirstAndClearsOnlyAfterYes) {
  log_.Add({"ZedSMS", EVENTLOG_INFORMATION_TYPE, {"Service started", "second string"}});
  log_.Add({"OtherApp", EVENTLOG_ERROR_TYPE, {"not ours"}});
  log_.Add({"zedsms", EVENTLOG_WARNING_TYPE, {"Queue is large"}});
  log_.Add({"ZedSMS", EVENTLOG_AUDIT_SUCCESS, {}});
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  INT_PTR result = Walk([this](HWND dialog) {
    EXPECT_EQ(Lines(dialog), (Texts{"Info: ", "Warning: Queue is large", "Info: Service started"}));
    log_.Add({"ZedSMS", EVENTLOG_ERROR_TYPE, {"Just now"}});
    ReadAgain(dialog);
    EXPECT_EQ(Lines(dialog), (Texts{"Error: Just now", "Info: ", "Warning: Queue is large", "Info: Service started"}));
    SendMessageA(dialog, WM_COMMAND, IDC_EVENT_CLEAR, 0);
    EXPECT_EQ(log_.clears, 0) << "No keeps the log";
    EXPECT_EQ(Lines(dialog).size(), 4u);
    SendMessageA(dialog, WM_COMMAND, IDC_EVENT_CLEAR, 0);
    EXPECT_EQ(log_.clears, 1);
    EXPECT_TRUE(Lines(dialog).empty());
    log_.Add({"ZedSMS", EVENTLOG_WARNING_TYPE, {"after the clear"}});
    ReadAgain(dialog);
    EXPECT_EQ(Lines(dialog), Texts{"Warning: after the clear"});
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, 1);
  const std::string question =
      "question YesNo: This will clear all events from the application event log for this system, which includes "
      "events from applications other than ZedSMS.\r\n\r\nContinue?";
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{question, question}));
}

// A list that refuses one insertion, as a full list box would. A wide
// procedure, so that no ANSI conversion (see Lines) sits in front of the list.
WNDPROC g_listProc = nullptr;
int g_insertsUntilRefusal = -1;
LRESULT CALLBACK RefusingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == LB_INSERTSTRING && g_insertsUntilRefusal >= 0 && g_insertsUntilRefusal-- == 0) return LB_ERRSPACE;
  return CallWindowProcW(g_listProc, list, message, wParam, lParam);
}

TEST_F(EventLogDialogTest, ARefusedLineWarnsAndSkipsTheRestOfItsBatchOnly) {
  log_.Add({"ZedSMS", EVENTLOG_INFORMATION_TYPE, {"before"}});
  // Records of 40 000 characters: three fill one 131072-byte read.
  std::string big(40000, 'x');
  boxes_.Answer(IDOK);
  Walk([&](HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_EVENT_LIST);
    g_insertsUntilRefusal = 1;
    // Known before the list can call it.
    g_listProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_WNDPROC));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingListProc));
    for (const char* name : {"A", "B", "C", "D", "E", "F"}) log_.Add({"ZedSMS", EVENTLOG_ERROR_TYPE, {name + big}});
    ReadAgain(dialog);
    log_.Add({"ZedSMS", EVENTLOG_WARNING_TYPE, {"after"}});
    ReadAgain(dialog);
    EXPECT_EQ(Lines(dialog, 10), (Texts{"Warning: a", "Error: Fxx", "Error: Exx", "Error: Dxx", "Error: Axx", "Info: befo"}))
        << "B refused, C skipped with it; the next batch and later reads go on";
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            Texts{"plain OK [Warning]: Too many events.  Please use Windows Event Log viewer to view all events."});
}

TEST_F(EventLogDialogTest, ALogThatCannotBeOpenedIsReportedOnce) {
  log_.failOpen = true;
  boxes_.Answer(IDOK);
  Walk([](HWND dialog) {
    // The reads of the 5-second timer find it still closed.
    for (int tick = 0; tick < 2; ++tick) ReadAgain(dialog);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts{"error OK: Unable to open event log"});
}

}  // namespace
