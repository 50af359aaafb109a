// The four queue viewers, driven as a user would: through the list's own
// clicks and keys, the refresh timer's message and the real message boxes.
#include "queues/queue_viewer.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "queues/queue_store.h"
#include "queues/viewer_driver.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
constexpr int kList = 101;
constexpr int kStatus = 102;
constexpr int kOpen = 102;
constexpr int kDelete = 103;

using ShowViewer = INT_PTR (*)(HWND);

struct ViewerKind {
  ShowViewer show;
  const char* title;
  const char* prefix;
  const char* emptyText;
  std::vector<std::string> headers;
};

const ViewerKind kOutboundSms = {ShowOutboundSmsQueue, "Outbound SMS Queue", "Outbound SMS Message Queue:  ", "Empty",
                                 {"ID", "Submit User", "Recipient", "Submit Time", "Status"}};
const ViewerKind kOutboundMms = {ShowOutboundMmsQueue, "Outbound MMS Queue", "Outbound MMS Message Queue:  ", "Empty",
                                 {"ID", "Sender", "Recipient", "Submit Time", "Status"}};
const ViewerKind kReceivedSms = {ShowReceivedSms, "Received SMS Messages", "Received SMS Messages:  ", "None",
                                 {"ID", "Sender", "Recipient", "Receive Time", "Status", "Text"}};
const ViewerKind kReceivedMms = {ShowReceivedMms, "Received MMS Messages", "Received MMS Messages:  ", "None",
                                 {"ID", "Sender", "Recipient", "Receive Time", "Subject"}};

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, kList); }
std::string Status(HWND dialog) { return DialogItemText(dialog, kStatus); }
// One tick of the refresh timer; the viewer pauses a second in it.
void Refresh(HWND dialog) { SendMessageA(dialog, WM_TIMER, 1, 0); }
void PressKey(HWND list, UINT key) {
  PostMessageA(list, WM_KEYDOWN, key, 1);
  PostMessageA(list, WM_KEYUP, key, 0xC0000001);
}

class QueueViewerTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
  }
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    CloseAllNotepads();
  }
  INT_PTR Run(const ViewerKind& kind, std::function<void(HWND)> action) {
    WindowDriver driver(kind.title, std::move(action));
    INT_PTR result = kind.show(nullptr);
    EXPECT_TRUE(driver.Appeared());
    return result;
  }
  void Put(const std::string& path, const std::string& bytes) { ASSERT_TRUE(WriteStoreFile(path, bytes)) << path; }
  // A request whose creation time is the given minute of 1 May 2012.
  void PutRequest(const std::string& name, const std::string& phone, int minute, const std::string& user = "") {
    std::string path = stores_.smsQueue + name;
    Put(path, RequestText(phone, user.empty() ? "" : "SubmitUser=" + user + "\r\n"));
    FILETIME created = LocalFileTime(2012, 5, 1, 10, minute, 0);
    ASSERT_TRUE(SetFileTimes(path, created, created));
  }
  void PutReceived(const std::string& name, const std::string& sender, int minute) {
    std::string path = stores_.smsIn + name;
    Put(path, "[SMS]\r\nSender=" + sender + "\r\nPhoneNumber=+1\r\nData=text of " + name + "\r\n");
    FILETIME created = LocalFileTime(2012, 5, 1, 10, minute, 0);
    ASSERT_TRUE(SetFileTimes(path, created, created));
  }
  // Leaves the sort state at this column, ascending, whatever it was.
  static void SortAscending(HWND list, int column) {
    ClickColumn(list, column == 0 ? 1 : 0);
    ClickColumn(list, column);
  }
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
    return texts;
  }

  TempDataDirectory dir_{"viewer"};
  StoreDirectories stores_;
  MessageBoxAnswerer boxes_;
};

// ---------------------------------------------------------------- layout and status line

TEST_F(QueueViewerTest, TitlesColumnsAndEmptyStatusOfAllFour) {
  for (const ViewerKind* kind : {&kOutboundSms, &kOutboundMms, &kReceivedSms, &kReceivedMms}) {
    Run(*kind, [&](HWND dialog) {
      EXPECT_EQ(WindowTitle(dialog), kind->title);
      EXPECT_EQ(DialogItemText(dialog, IDOK), "OK");
      EXPECT_EQ(DialogItemText(dialog, IDCANCEL), "Cancel");
      HWND list = ListOf(dialog);
      EXPECT_EQ(HeaderTexts(list), kind->headers);
      EXPECT_EQ(Status(dialog), std::string(kind->prefix) + kind->emptyText);
      EXPECT_EQ(ItemCount(list), 0);
      RECT client;
      GetClientRect(list, &client);
      int columns = static_cast<int>(kind->headers.size());
      for (int i = 0; i + 1 < columns; ++i) EXPECT_EQ(ColumnWidth(list, i), client.right / 6) << kind->title << i;
      EXPECT_EQ(ColumnWidth(list, columns - 1), client.right) << "the last column spans the list";
      LONG style = GetWindowLongA(list, GWL_STYLE);
      EXPECT_TRUE(style & LVS_OWNERDATA);
      EXPECT_FALSE(style & LVS_SINGLESEL) << "several messages can be selected";
      EXPECT_EQ((style & LVS_TYPEMASK), LVS_REPORT);
      EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
  }
}

TEST_F(QueueViewerTest, StatusLineSingularAndPlural) {
  PutRequest("A.REQ", "1", 1);
  Run(kOutboundSms, [&](HWND dialog) {
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  1 message");
    PutRequest("B.REQ", "2", 2);
    Refresh(dialog);
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  2 messages");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  PutReceived("A.SMS", "x", 1);
  Run(kReceivedSms, [&](HWND dialog) {
    EXPECT_EQ(Status(dialog), "Received SMS Messages:  1 message");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Put(stores_.mmsQueue + "A.MMS", "");
  Put(stores_.mmsQueue + "A.INI", "[Recipients]\r\nRecip1=1\r\n");
  Put(stores_.mmsQueue + "B.MMS", "");
  Run(kOutboundMms, [&](HWND dialog) {
    EXPECT_EQ(Status(dialog), "Outbound MMS Message Queue:  2 messages") << "the total counts the unlisted one";
    EXPECT_EQ(ItemCount(ListOf(dialog)), 1);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Put(stores_.mmsIn + "A.HDR", "Subject: s\r\n");
  Run(kReceivedMms, [&](HWND dialog) {
    EXPECT_EQ(Status(dialog), "Received MMS Messages:  1 message");
    EXPECT_EQ(CellText(ListOf(dialog), 0, 4), "s");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, OkCancelAndCloseResults) {
  EXPECT_EQ(Run(kOutboundSms, [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }), 1);
  EXPECT_EQ(Run(kOutboundSms, [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }), 0);
  EXPECT_EQ(Run(kReceivedMms, [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }), 0);
}

// ---------------------------------------------------------------- sorting

TEST_F(QueueViewerTest, OpeningSortsByTimeOutboundOldestReceivedNewestFirst) {
  PutRequest("A.REQ", "1", 30);
  PutRequest("B.REQ", "2", 10);
  PutRequest("C.REQ", "3", 20);
  Run(kOutboundSms, [&](HWND dialog) {
    EXPECT_EQ(ColumnTexts(ListOf(dialog), 0), (std::vector<std::string>{"B.REQ", "C.REQ", "A.REQ"}));
    EXPECT_EQ(CellText(ListOf(dialog), 0, 3), "2012-05-01 10:10:00");
    EXPECT_TRUE(SelectedItems(ListOf(dialog)).empty());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  PutReceived("A.SMS", "1", 30);
  PutReceived("B.SMS", "2", 10);
  PutReceived("C.IN", "3", 20);
  Run(kReceivedSms, [&](HWND dialog) {
    EXPECT_EQ(ColumnTexts(ListOf(dialog), 0), (std::vector<std::string>{"A.SMS", "C.IN", "B.SMS"}));
    EXPECT_EQ(ColumnTexts(ListOf(dialog), 4), (std::vector<std::string>{"Received", "Queued", "Received"}));
    EXPECT_EQ(CellText(ListOf(dialog), 0, 5), "text of A.SMS");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, ColumnClicksSortBothWays) {
  PutRequest("R1.REQ", "300", 1, "bob");
  PutRequest("R2.REQ", "100", 2, "Carol");
  PutRequest("R3.REQ", "200", 3, "alice");
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SortAscending(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (std::vector<std::string>{"100", "200", "300"}));
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (std::vector<std::string>{"300", "200", "100"})) << "second click: descending";
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (std::vector<std::string>{"100", "200", "300"})) << "third click: ascending";
    ClickColumn(list, 2);
    ClickColumn(list, 0);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"R1.REQ", "R2.REQ", "R3.REQ"}))
        << "a new column sorts ascending";
    ClickColumn(list, 1);
    EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"alice", "bob", "Carol"})) << "without regard to case";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, ColumnClickKeepsTheSelectedMessage) {
  PutRequest("R1.REQ", "300", 1);
  PutRequest("R2.REQ", "100", 2);
  PutRequest("R3.REQ", "200", 3);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SelectItems(list, {0});  // R1, recipient 300
    SortAscending(list, 2);
    EXPECT_EQ(SelectedItems(list), std::vector<int>{2});
    EXPECT_EQ(FocusedItem(list), 2);
    EXPECT_EQ(CellText(list, 2, 0), "R1.REQ");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, SortStateOutlivesTheDialogAndAnEmptyListKeepsIt) {
  PutRequest("R1.REQ", "300", 1);
  PutRequest("R2.REQ", "100", 2);
  PutRequest("R3.REQ", "200", 3);
  Run(kOutboundSms, [&](HWND dialog) {
    SortAscending(ListOf(dialog), 2);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  std::vector<std::string> names = {"R1.REQ", "R2.REQ", "R3.REQ"};
  for (const auto& name : names) MoveFileA((stores_.smsQueue + name).c_str(), dir_.File(name.c_str()).c_str());
  Run(kOutboundSms, [&](HWND dialog) {
    EXPECT_EQ(ItemCount(ListOf(dialog)), 0);
    ClickColumn(ListOf(dialog), 0);  // nothing to sort: the sort state stays
    ClickColumn(ListOf(dialog), 2);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  for (const auto& name : names) MoveFileA(dir_.File(name.c_str()).c_str(), (stores_.smsQueue + name).c_str());
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    EXPECT_EQ(ColumnTexts(list, 0), names) << "opening shows time order";
    Refresh(dialog);
    EXPECT_EQ(ColumnTexts(list, 2), (std::vector<std::string>{"100", "200", "300"}))
        << "the refresh sorts by recipient, ascending as left";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

// ---------------------------------------------------------------- refresh

TEST_F(QueueViewerTest, RefreshKeepsTheSelectedMessageWhereverItMoves) {
  for (int i = 0; i < 60; ++i) PutRequest("R" + std::to_string(100 + i) + ".REQ", std::to_string(500 + i), i);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SortAscending(list, 2);
    SelectItems(list, {59});
    SendMessageA(list, LVM_ENSUREVISIBLE, 59, FALSE);
    PutRequest("A000.REQ", "001", 0);  // sorts first: every row moves down one
    PutRequest("A001.REQ", "002", 0);
    Refresh(dialog);
    ASSERT_EQ(ItemCount(list), 62);
    EXPECT_EQ(SelectedItems(list), std::vector<int>{61});
    EXPECT_EQ(FocusedItem(list), 61);
    EXPECT_EQ(CellText(list, 61, 0), "R159.REQ");
    EXPECT_TRUE(ItemShown(list, 61)) << "scrolled into view";
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  62 messages");

    DeleteFileA((stores_.smsQueue + "R159.REQ").c_str());
    Refresh(dialog);
    EXPECT_TRUE(SelectedItems(list).empty()) << "the message left the queue";
    EXPECT_EQ(TopIndex(list), 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, RefreshWithoutSelectionShowsTheTop) {
  for (int i = 0; i < 60; ++i) PutRequest("R" + std::to_string(100 + i) + ".REQ", "1", i);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SendMessageA(list, LVM_ENSUREVISIBLE, 59, FALSE);
    EXPECT_GT(TopIndex(list), 0);
    Refresh(dialog);
    EXPECT_EQ(TopIndex(list), 0);
    EXPECT_TRUE(SelectedItems(list).empty());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, RefreshSkippedWhileSeveralAreSelected) {
  PutRequest("R1.REQ", "1", 1);
  PutRequest("R2.REQ", "2", 2);
  PutRequest("R3.REQ", "3", 3);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SelectItems(list, {0, 2});
    PutRequest("R4.REQ", "4", 4);
    DeleteFileA((stores_.smsQueue + "R1.REQ").c_str());
    Refresh(dialog);
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"R1.REQ", "R2.REQ", "R3.REQ"})) << "unchanged";
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{0, 2}));
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  3 messages");
    SelectItems(list, {2});
    Refresh(dialog);
    EXPECT_EQ(ItemCount(list), 3);
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  3 messages");
    std::vector<std::string> ids = ColumnTexts(list, 0);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"R2.REQ", "R3.REQ", "R4.REQ"}));
    ASSERT_EQ(SelectedItems(list).size(), 1u);
    EXPECT_EQ(CellText(list, SelectedItems(list)[0], 0), "R3.REQ");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, FiveThousandTwoHundredRequests) {
  for (int i = 0; i < 5200; ++i) {
    char name[32];
    FormatText(name, sizeof name, "%sR%05d.REQ", i % 3 == 0 ? "route\\" : "", i);
    Put(stores_.smsQueue + name, RequestText("1"));
  }
  Run(kOutboundSms, [&](HWND dialog) {
    EXPECT_EQ(ItemCount(ListOf(dialog)), 5000);
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  5200 messages");
    Refresh(dialog);
    EXPECT_EQ(ItemCount(ListOf(dialog)), 5000);
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  5200 messages");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, LongCellTextCutAt499) {
  std::string text(600, 'a');
  text[498] = 'Y';
  text[499] = 'Z';
  Put(stores_.smsIn + "long.SMS", "[SMS]\r\nSender=" + std::string(140, 's') + "\r\nData=" + text + "\r\n");
  Run(kReceivedSms, [&](HWND dialog) {
    std::string shown = CellText(ListOf(dialog), 0, 5);
    EXPECT_EQ(shown.size(), 499u);
    EXPECT_EQ(shown.back(), 'Y');
    EXPECT_EQ(CellText(ListOf(dialog), 0, 1), std::string(140, 's'));
    EXPECT_EQ(CellText(ListOf(dialog), 0, 6), "") << "no seventh column";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, TypingDoesNotMoveTheSelection) {
  PutRequest("ALPHA.REQ", "1", 1);
  PutRequest("BETA.REQ", "2", 2);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SetForegroundWindow(dialog);
    SelectItems(list, {1});
    PostMessageA(list, WM_CHAR, 'a', 1);
    PostMessageA(list, WM_CHAR, 'l', 1);
    Sleep(300);
    EXPECT_EQ(SelectedItems(list), std::vector<int>{1});
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

// ---------------------------------------------------------------- delete

TEST_F(QueueViewerTest, DeletingSeveralAsksOnceAndTakesThemAll) {
  for (int i = 1; i <= 5; ++i) PutRequest("R" + std::to_string(i) + ".REQ", std::to_string(i), i);
  boxes_.Answer(IDYES);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SelectItems(list, {0, 2, 4});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 2; }, 10000));
    EXPECT_EQ(ColumnTexts(list, 0), (std::vector<std::string>{"R2.REQ", "R4.REQ"}));
    EXPECT_TRUE(SelectedItems(list).empty());
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  5 messages") << "until the next refresh";
    Refresh(dialog);
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  2 messages");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  const MessageBoxRecord box = boxes_.Boxes()[0];
  EXPECT_EQ(box.text, "Delete 3 messages?");
  EXPECT_EQ(box.caption, kCaption);
  EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
  for (const char* gone : {"R1.REQ", "R3.REQ", "R5.REQ"}) EXPECT_FALSE(FileExists(stores_.smsQueue + gone)) << gone;
  for (const char* kept : {"R2.REQ", "R4.REQ"}) EXPECT_TRUE(FileExists(stores_.smsQueue + kept)) << kept;
}

TEST_F(QueueViewerTest, DeletingOneAsksForTheMessageAndNoKeepsIt) {
  PutReceived("A.SMS", "1", 1);
  PutReceived("B.IN", "2", 2);
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  Run(kReceivedSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    PressKey(list, VK_DELETE);  // nothing selected: no question
    Sleep(200);
    SelectItems(list, {1});
    PostMessageA(dialog, WM_COMMAND, kDelete, 0);
    EXPECT_TRUE(WaitUntil([&] { return boxes_.Boxes().size() == 1; }, 10000));
    Sleep(200);
    EXPECT_EQ(ItemCount(list), 2);
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 1; }, 10000));
    EXPECT_EQ(CellText(list, 0, 0), "B.IN");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Delete Message?", "Delete Message?"}));
  EXPECT_TRUE(FileExists(stores_.smsIn + "B.IN"));
  EXPECT_FALSE(FileExists(stores_.smsIn + "A.SMS"));
}

TEST_F(QueueViewerTest, LockedRequestIsRemovedByItsWorkerOnceReleased) {
  PutRequest("LOCKED.REQ", "1", 1);
  PutRequest("FREE.REQ", "2", 2);
  std::string locked = stores_.smsQueue + "LOCKED.REQ";
  HANDLE service = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(service, INVALID_HANDLE_VALUE);
  boxes_.Answer(IDYES);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    EXPECT_EQ(ItemCount(list), 1) << "a file held without sharing cannot be read";
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  2 messages");
    CloseHandle(service);
    Refresh(dialog);
    ASSERT_EQ(ItemCount(list), 2);
    service = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SelectItems(list, {CellText(list, 0, 0) == "LOCKED.REQ" ? 0 : 1});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 1; }, 10000)) << "the row leaves at once";
    EXPECT_TRUE(FileExists(locked));
    Refresh(dialog);
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  2 messages") << "it is still there";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_TRUE(FileExists(locked)) << "held by the service";
  CloseHandle(service);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(locked); }, 15000)) << "the worker takes it once released";
  EXPECT_TRUE(FileExists(stores_.smsQueue + "FREE.REQ"));
}

TEST_F(QueueViewerTest, OutboundMmsDeleteTakesTheControlFileToo) {
  Put(stores_.mmsQueue + "route\\M1.MMS", "m");
  Put(stores_.mmsQueue + "route\\M1.INI", "[Recipients]\r\nRecip1=+1/TYPE=PLMN\r\n[Routing]\r\nSenderAddress=+2\r\n");
  boxes_.Answer(IDYES);
  Run(kOutboundMms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    ASSERT_EQ(ItemCount(list), 1);
    EXPECT_EQ(CellText(list, 0, 1), "+2");
    EXPECT_EQ(CellText(list, 0, 2), "+1");
    EXPECT_EQ(CellText(list, 0, 4), "Queued");
    SelectItems(list, {0});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 0; }, 10000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "route\\M1.MMS"));
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "route\\M1.INI"));
}

TEST_F(QueueViewerTest, ReceivedMmsDeleteTakesTheContentFolder) {
  Put(stores_.mmsIn + "route\\msg1.HDR", "From: +1\r\n");
  Put(stores_.mmsIn + "route\\msg1\\image.jpg", "jpg");
  Put(stores_.mmsIn + "route\\msg1\\inner\\part.txt", "txt");
  Put(stores_.mmsIn + "route\\msg2.HDR", "From: +2\r\n");
  Put(stores_.mmsIn + "route\\msg2\\text.txt", "kept");
  boxes_.Answer(IDYES);
  Run(kReceivedMms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    ASSERT_EQ(ItemCount(list), 2);
    int index = CellText(list, 0, 1) == "+1" ? 0 : 1;
    SelectItems(list, {index});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 1; }, 10000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(FileExists(stores_.mmsIn + "route\\msg1.HDR"));
  EXPECT_FALSE(FileExists(stores_.mmsIn + "route\\msg1"));
  EXPECT_TRUE(FileExists(stores_.mmsIn + "route\\msg2\\text.txt"));
}

TEST_F(QueueViewerTest, HeldMmsHeaderKeepsItsContentAndGetsNoWorker) {
  Put(stores_.mmsIn + "held.HDR", "From: +1\r\n");
  Put(stores_.mmsIn + "held\\part.txt", "x");
  boxes_.Answer(IDYES);
  HANDLE service = INVALID_HANDLE_VALUE;
  Run(kReceivedMms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    service = CreateFileA((stores_.mmsIn + "held.HDR").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SelectItems(list, {0});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 0; }, 10000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_NE(service, INVALID_HANDLE_VALUE);
  CloseHandle(service);
  Sleep(6000);  // longer than a worker's pause
  EXPECT_TRUE(FileExists(stores_.mmsIn + "held.HDR")) << "no retry for received MMS";
  EXPECT_TRUE(FileExists(stores_.mmsIn + "held\\part.txt"));
}

TEST_F(QueueViewerTest, HeaderWithoutANameNeverTakesTheStore) {
  Put(stores_.mmsIn + ".HDR", "From: nameless\r\n");
  Put(stores_.mmsIn + "route\\.HDR", "From: nameless in route\r\n");
  Put(stores_.mmsIn + "other.HDR", "From: +1\r\n");
  Put(stores_.mmsIn + "other\\part.txt", "x");
  Put(stores_.mmsIn + "route\\keep.HDR", "From: +2\r\n");
  boxes_.Answer(IDYES);
  Run(kReceivedMms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    ASSERT_EQ(ItemCount(list), 4);
    std::vector<int> nameless;
    for (int i = 0; i < 4; ++i)
      if (CellText(list, i, 0) == ".HDR") nameless.push_back(i);
    ASSERT_EQ(nameless.size(), 2u);
    SelectItems(list, nameless);
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 2; }, 10000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Delete 2 messages?"});
  EXPECT_FALSE(FileExists(stores_.mmsIn + ".HDR"));
  EXPECT_FALSE(FileExists(stores_.mmsIn + "route\\.HDR"));
  EXPECT_TRUE(FileExists(stores_.mmsIn + "other\\part.txt"));
  EXPECT_TRUE(FileExists(stores_.mmsIn + "route\\keep.HDR"));
}

// ---------------------------------------------------------------- open

TEST_F(QueueViewerTest, EnterAndDoubleClickOpenTheRequestInNotepad) {
  Put(stores_.smsQueue + "route one\\OPENME.REQ", RequestText("1"));
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SetForegroundWindow(dialog);
    SetFocus(list);
    PressKey(list, VK_RETURN);  // nothing selected: nothing opens
    EXPECT_EQ(WaitForNotepad("OPENME", 2000), nullptr);
    SelectItems(list, {0});
    PressKey(list, VK_RETURN);
    HWND notepad = WaitForNotepad("OPENME", 20000);
    ASSERT_NE(notepad, nullptr) << "Notepad with the request (the path has a blank: it is quoted)";
    EXPECT_TRUE(IsWindow(dialog)) << "Enter in the list does not close the viewer";
    EXPECT_TRUE(CloseNotepad(notepad));
    DoubleClickItem(list, 0);
    notepad = WaitForNotepad("OPENME", 20000);
    ASSERT_NE(notepad, nullptr) << "double-click";
    EXPECT_TRUE(CloseNotepad(notepad));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, OutboundMmsOpensItsControlFile) {
  Put(stores_.mmsQueue + "MSGA.MMS", "binary");
  Put(stores_.mmsQueue + "MSGA.INI", "[Recipients]\r\nRecip1=1\r\n");
  Run(kOutboundMms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SelectItems(list, {0});
    PostMessageA(dialog, WM_COMMAND, kOpen, 0);
    HWND notepad = WaitForNotepad("MSGA", 20000);
    ASSERT_NE(notepad, nullptr);
    std::string title = WindowTitle(notepad);
    EXPECT_EQ(title.find(".MMS"), std::string::npos) << title;
    EXPECT_TRUE(CloseNotepad(notepad));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(QueueViewerTest, ReceivedMmsOpensTheDetailsDialog) {
  Put(stores_.mmsIn + "route\\pic.HDR", "From: +1\r\nSubject: Holiday\r\n");
  Run(kReceivedMms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    SelectItems(list, {0});
    SetForegroundWindow(dialog);
    SetFocus(list);
    PressKey(list, VK_RETURN);
    HWND details = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (details = FindOwnWindow("MMS Message Details")) != nullptr; }, 10000));
    EXPECT_EQ(DialogItemText(details, 102), "From: +1\r\nSubject: Holiday\r\n");
    EXPECT_EQ(GetWindow(details, GW_OWNER), dialog) << "owned by the viewer";
    PostMessageA(details, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(details); }, 10000));
    EXPECT_TRUE(IsWindow(dialog));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

// ---------------------------------------------------------------- hostile stores

TEST_F(QueueViewerTest, StoresThatMustNotHurtAViewer) {
  static const char kGarbage[] = "\x00\x01\xFF\xFE[SMS]\x00PhoneNumber\x1B\r\r\n\n=\x80\x81";
  const std::string garbage(kGarbage, sizeof kGarbage - 1);
  Put(stores_.smsQueue + "empty.REQ", "");
  Put(stores_.smsQueue + "garbage.REQ", garbage);
  Put(stores_.smsQueue + "route\\deeper\\hidden.REQ", RequestText("1"));
  Put(stores_.smsQueue + "ok.REQ", RequestText("2"));
  Put(stores_.smsIn + "empty.SMS", "");
  Put(stores_.smsIn + "garbage.IN", garbage);
  Put(stores_.smsIn + "binary.REC", "[SMS]\r\nData=ZZ\xFF" + std::string(9000, 'F') + "\r\nbinary=1\r\ndcs=8\r\n");
  Put(stores_.smsIn + "a\\b\\deep.SMS", "");
  Put(stores_.mmsQueue + "zero.MMS", "");
  Put(stores_.mmsQueue + "a\\b\\deep.MMS", "");
  Put(stores_.mmsQueue + "a\\b\\deep.INI", "[Recipients]\r\nx=1\r\n");
  Put(stores_.mmsIn + "empty.HDR", "");
  Put(stores_.mmsIn + "garbage.HDR", garbage);
  Put(stores_.mmsIn + "a\\b\\deep.HDR", "From: x\r\n");

  // Names that fill the path to its limit.
  std::string longRequest = stores_.smsQueue + std::string(MAX_PATH - 1 - stores_.smsQueue.size() - 4, 'L') + ".REQ";
  ASSERT_EQ(longRequest.size(), static_cast<size_t>(MAX_PATH - 1));
  Put(longRequest, RequestText("3"));
  std::string longSms = stores_.smsIn + std::string(MAX_PATH - 1 - stores_.smsIn.size() - 4, 'S') + ".SMS";
  Put(longSms, "[SMS]\r\nSender=long\r\n");
  std::string held = stores_.smsIn + "held.SMS";
  Put(held, "[SMS]\r\nSender=held\r\n");
  HANDLE service = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(service, INVALID_HANDLE_VALUE);

  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    std::vector<std::string> ids = ColumnTexts(list, 0);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{longRequest.substr(stores_.smsQueue.size()), "ok.REQ"}));
    EXPECT_EQ(Status(dialog), "Outbound SMS Message Queue:  4 messages");
    ClickColumn(list, 0);
    Refresh(dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Run(kReceivedSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    EXPECT_EQ(ItemCount(list), 4) << "empty, garbage, binary, long; the held one cannot be read";
    EXPECT_EQ(Status(dialog), "Received SMS Messages:  5 messages");
    for (int i = 0; i < ItemCount(list); ++i)
      for (int c = 0; c < 6; ++c) CellText(list, i, c);
    ClickColumn(list, 5);
    Refresh(dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Run(kOutboundMms, [&](HWND dialog) {
    EXPECT_EQ(ItemCount(ListOf(dialog)), 0);
    EXPECT_EQ(Status(dialog), "Outbound MMS Message Queue:  1 message");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Run(kReceivedMms, [&](HWND dialog) {
    EXPECT_EQ(ItemCount(ListOf(dialog)), 2);
    EXPECT_EQ(Status(dialog), "Received MMS Messages:  2 messages");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  CloseHandle(service);

  // The long name can be deleted through the viewer as well.
  boxes_.Answer(IDYES);
  Run(kOutboundSms, [&](HWND dialog) {
    HWND list = ListOf(dialog);
    for (int i = 0; i < ItemCount(list); ++i)
      if (CellText(list, i, 0) != "ok.REQ") SelectItems(list, {i});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 1; }, 10000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(FileExists(longRequest));
}

}  // namespace
