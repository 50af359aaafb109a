#include "monitor/event_log_dialog.h"

#include <gtest/gtest.h>

#include "support/fake_event_log.h"
#include "support/message_box_answerer.h"
#include "support/window_driver.h"

namespace {

constexpr int kList = 101, kClear = 102;

// Read as wide text: the test system converts an ANSI LB_GETTEXT through a
// 512-character stack buffer, which a long line would overrun.
std::vector<std::string> Lines(HWND dialog) {
  std::vector<std::string> lines;
  int count = static_cast<int>(SendDlgItemMessageW(dialog, kList, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LRESULT length = SendDlgItemMessageW(dialog, kList, LB_GETTEXTLEN, i, 0);
    if (length < 0) break;
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendDlgItemMessageW(dialog, kList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
    std::string text(wide.size() * 2, '\0');
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], static_cast<int>(text.size()), nullptr,
                                    nullptr);
    lines.push_back(bytes > 0 ? text.c_str() : "");
  }
  return lines;
}

// The part after the time stamp "YYYY-MM-DD hh:mm:ss - ".
std::string AfterTime(const std::string& line) {
  bool stamped = line.size() > 22 && line[4] == '-' && line[7] == '-' && line[10] == ' ' && line[13] == ':' &&
                 line[16] == ':' && line.compare(19, 3, " - ") == 0;
  return stamped ? line.substr(22) : "<no time stamp> " + line;
}

class EventLogDialogTest : public testing::Test {
 protected:
  FakeEventLogScope log_;
  MessageBoxAnswerer boxes_;
};

TEST_F(EventLogDialogTest, ListsTheGatewaysEventsNewestFirstAndAddsNewOnes) {
  log_.Add({"ZedSMS", EVENTLOG_INFORMATION_TYPE, {"Service started", "second string"}});
  log_.Add({"OtherApp", EVENTLOG_ERROR_TYPE, {"not ours"}});
  log_.Add({"zedsms", EVENTLOG_WARNING_TYPE, {"Queue is large"}});
  log_.Add({"ZedSMS", EVENTLOG_ERROR_TYPE, {"Modem not responding"}});
  log_.Add({"ZedSMS", EVENTLOG_AUDIT_SUCCESS, {}});
  INT_PTR result = -1;
  {
    WindowDriver driver("Event Log", [this](HWND dialog) {
      std::vector<std::string> lines = Lines(dialog);
      ASSERT_EQ(lines.size(), 4u);
      EXPECT_EQ(AfterTime(lines[0]), "Info: ");
      EXPECT_EQ(AfterTime(lines[1]), "Error: Modem not responding");
      EXPECT_EQ(AfterTime(lines[2]), "Warning: Queue is large");
      EXPECT_EQ(AfterTime(lines[3]), "Info: Service started") << "only the first insertion string";
      log_.Add({"ZedSMS", EVENTLOG_ERROR_TYPE, {"Just now"}});
      EXPECT_TRUE(WaitUntil([&] { return Lines(dialog).size() == 5; }, 7000)) << "read again within 5 seconds";
      EXPECT_EQ(AfterTime(Lines(dialog)[0]), "Error: Just now");
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    result = ShowEventLogViewer(nullptr);
  }
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(EventLogDialogTest, ClearingAsksFirstAndEmptiesTheList) {
  log_.Add({"ZedSMS", EVENTLOG_ERROR_TYPE, {"old"}});
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  INT_PTR result = -1;
  {
    WindowDriver driver("Event Log", [this](HWND dialog) {
      SendMessageA(dialog, WM_COMMAND, kClear, 0);
      EXPECT_EQ(Lines(dialog).size(), 1u) << "No keeps the log";
      EXPECT_EQ(log_.clears, 0);
      SendMessageA(dialog, WM_COMMAND, kClear, 0);
      EXPECT_EQ(log_.clears, 1);
      EXPECT_TRUE(Lines(dialog).empty());
      log_.Add({"ZedSMS", EVENTLOG_WARNING_TYPE, {"after the clear"}});
      EXPECT_TRUE(WaitUntil([&] { return Lines(dialog).size() == 1; }, 7000));
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    result = ShowEventLogViewer(nullptr);
  }
  EXPECT_EQ(result, 0);
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text,
            "This will clear all events from the application event log for this system, which includes events "
            "from applications other than ZedSMS.\r\n\r\nContinue?");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
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
  {
    WindowDriver driver("Event Log", [&](HWND dialog) {
      ASSERT_EQ(Lines(dialog).size(), 1u);
      HWND list = GetDlgItem(dialog, kList);
      g_insertsUntilRefusal = 1;
      // Known before the list can call it.
      g_listProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_WNDPROC));
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingListProc));
      for (const char* name : {"A", "B", "C", "D", "E", "F"})
        log_.Add({"ZedSMS", EVENTLOG_ERROR_TYPE, {name + big}});
      EXPECT_TRUE(WaitUntil([&] { return Lines(dialog).size() == 5; }, 7000)) << Lines(dialog).size();
      log_.Add({"ZedSMS", EVENTLOG_WARNING_TYPE, {"after"}});
      EXPECT_TRUE(WaitUntil([&] { return Lines(dialog).size() == 6; }, 7000));
      std::vector<std::string> starts;
      for (const std::string& line : Lines(dialog)) starts.push_back(AfterTime(line).substr(0, 10));
      EXPECT_EQ(starts, (std::vector<std::string>{"Warning: a", "Error: Fxx", "Error: Exx", "Error: Dxx", "Error: Axx",
                                                  "Info: befo"}))
          << "B refused, C skipped with it; the next batch and later reads go on";
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ShowEventLogViewer(nullptr);
  }
  auto boxes = boxes_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Too many events.  Please use Windows Event Log viewer to view all events.");
  EXPECT_EQ(boxes[0].caption, "Warning");
  EXPECT_EQ(boxes[0].icon, 0u);
  EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
}

TEST_F(EventLogDialogTest, ALogThatCannotBeOpenedIsReportedOnce) {
  log_.failOpen = true;
  boxes_.Answer(IDOK);
  WindowDriver driver("Event Log", [](HWND dialog) {
    // The reads of the 5-second timer find it still closed.
    for (int tick = 0; tick < 2; ++tick) SendMessageA(dialog, WM_TIMER, 1, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  ShowEventLogViewer(nullptr);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Unable to open event log");
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes_.Boxes()[0].caption, "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)");
}

TEST(EventMessageTable, HoldsTheReportText) {
  const char* insertion = "Modem not responding";
  char text[200] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, GetModuleHandleA(nullptr), 0,
                           0, text, sizeof text, reinterpret_cast<va_list*>(const_cast<char**>(&insertion)));
  ASSERT_GT(n, 0u) << GetLastError();
  EXPECT_STREQ(text, "ZedSMS Error Report.  Modem not responding\r\n");
}

}  // namespace
