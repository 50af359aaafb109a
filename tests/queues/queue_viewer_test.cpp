// The four queue viewers, driven as a user would: through the list's own
// clicks and keys, the refresh timer's message and the real message boxes.
#include "queues/queue_viewer.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/text_util.h"
#include "config/config_files.h"
#include "queues/queue_store.h"
#include "queues/viewer_driver.h"
#include "resources/page_ids.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;

struct Viewer {
  INT_PTR (*show)(HWND);
  const char* title;
};
const Viewer kOutboundSms = {ShowOutboundSmsQueue, "Outbound SMS Queue"};
const Viewer kOutboundMms = {ShowOutboundMmsQueue, "Outbound MMS Queue"};
const Viewer kReceivedSms = {ShowReceivedSms, "Received SMS Messages"};
const Viewer kReceivedMms = {ShowReceivedMms, "Received MMS Messages"};

void Walk(const Viewer& viewer, const std::function<void(HWND dialog, HWND list)>& steps) {
  WalkDialog(viewer.title, [&] { viewer.show(nullptr); },
             [&](HWND dialog) { steps(dialog, GetDlgItem(dialog, IDC_SMSQ_LIST)); });
}

// The count part of the status line ("2 messages", "Empty").
std::string Count(HWND dialog) {
  std::string status = Text(dialog, IDC_SMSQ_STATUS);
  return status.substr(status.find(":  ") + 3);
}
// One tick of the refresh timer; the viewer pauses a second in it.
void Refresh(HWND dialog) { SendMessageA(dialog, WM_TIMER, 1, 0); }
void PressKey(HWND list, UINT key) {
  PostMessageA(list, WM_KEYDOWN, key, 1);
  PostMessageA(list, WM_KEYUP, key, 0xC0000001);
}
bool RowsBecome(HWND list, int count) {
  return WaitUntil([&] { return ItemCount(list) == count; }, 10000);
}
// Leaves the sort state at this column, ascending, whatever it was.
void SortAscending(HWND list, int column) {
  ClickColumn(list, column == 0 ? 1 : 0);
  ClickColumn(list, column);
}
// Opened without sharing, as a gateway service holds a message it works on.
HANDLE Hold(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
  return file;
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
  void Put(const std::string& path, const std::string& bytes) { ASSERT_TRUE(WriteStoreFile(path, bytes)) << path; }
  // Created at the given minute of 1 May 2012, 10 o'clock.
  void PutAt(const std::string& path, const std::string& bytes, int minute) {
    Put(path, bytes);
    FILETIME created = LocalFileTime(2012, 5, 1, 10, minute, 0);
    ASSERT_TRUE(SetFileTimes(path, created, created));
  }
  void PutRequest(const std::string& name, const std::string& phone, int minute, const std::string& user = "") {
    PutAt(stores_.smsQueue + name, RequestText(phone, user.empty() ? "" : "SubmitUser=" + user + "\r\n"), minute);
  }
  Texts BoxTexts() {
    Texts texts;
    for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
    return texts;
  }

  TempDataDirectory dir_{"viewer"};
  StoreDirectories stores_;
  MessageBoxAnswerer boxes_;
};

TEST_F(QueueViewerTest, OutboundSmsSortsByTimeThenByTheClickedColumnAndKeepsTheSelection) {
  PutRequest("R1.REQ", "300", 10, "bob");
  PutRequest("R2.REQ", "100", 30, "Carol");
  PutRequest("R3.REQ", "200", 20, "alice");
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "3 messages");
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"R1.REQ", "R3.REQ", "R2.REQ"})) << "oldest first";
    EXPECT_EQ(CellText(list, 0, 3), "2012-05-01 10:10:00");
    EXPECT_TRUE(SelectedItems(list).empty());

    SelectItems(list, {0});  // R1, recipient 300
    SendMessageA(list, WM_CHAR, 'r', 1);
    SendMessageA(list, WM_CHAR, '2', 1);
    EXPECT_EQ(SelectedItems(list), std::vector<int>{0}) << "typing does not move the selection";

    SortAscending(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"100", "200", "300"}));
    EXPECT_EQ(SelectedItems(list), std::vector<int>{2}) << "the selected message moves with its row";
    EXPECT_EQ(FocusedItem(list), 2);
    EXPECT_EQ(CellText(list, 2, 0), "R1.REQ");
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"300", "200", "100"})) << "second click: descending";
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"100", "200", "300"})) << "third click: ascending";
    ClickColumn(list, 2);
    ClickColumn(list, 0);
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"R1.REQ", "R2.REQ", "R3.REQ"})) << "a new column sorts ascending";
    ClickColumn(list, 1);
    EXPECT_EQ(ColumnTexts(list, 1), (Texts{"alice", "bob", "Carol"})) << "without regard to case";
    SortAscending(list, 2);
  });

  // The sort state outlives the dialog; clicks on an empty list leave it.
  Texts names = {"R1.REQ", "R2.REQ", "R3.REQ"};
  for (const auto& name : names) MoveFileA((stores_.smsQueue + name).c_str(), dir_.File(name.c_str()).c_str());
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "Empty");
    ClickColumn(list, 0);
    ClickColumn(list, 2);
  });
  for (const auto& name : names) MoveFileA(dir_.File(name.c_str()).c_str(), (stores_.smsQueue + name).c_str());
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"300", "200", "100"})) << "opening shows time order";
    Refresh(dialog);
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"100", "200", "300"})) << "the refresh sorts as left";
  });
}

TEST_F(QueueViewerTest, RefreshFollowsTheSelectionAndSkipsSeveralSelected) {
  for (int i = 0; i < 60; ++i) PutRequest("R" + std::to_string(100 + i) + ".REQ", std::to_string(500 + i), i);
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    SendMessageA(list, LVM_ENSUREVISIBLE, 59, FALSE);
    ASSERT_GT(TopIndex(list), 0);
    Refresh(dialog);
    EXPECT_EQ(TopIndex(list), 0) << "without a selection the refresh shows the top";

    SortAscending(list, 2);
    SelectItems(list, {59});
    PutRequest("A000.REQ", "001", 0);  // both sort first: every row moves down two
    PutRequest("A001.REQ", "002", 0);
    Refresh(dialog);
    ASSERT_EQ(ItemCount(list), 62);
    EXPECT_EQ(SelectedItems(list), std::vector<int>{61});
    EXPECT_EQ(FocusedItem(list), 61);
    EXPECT_EQ(CellText(list, 61, 0), "R159.REQ");
    EXPECT_TRUE(ItemShown(list, 61)) << "scrolled into view";
    EXPECT_EQ(Count(dialog), "62 messages");

    DeleteFileA((stores_.smsQueue + "R159.REQ").c_str());
    Refresh(dialog);
    EXPECT_TRUE(SelectedItems(list).empty()) << "the message left the queue";
    EXPECT_EQ(TopIndex(list), 0);

    SelectItems(list, {0, 2});
    DeleteFileA((stores_.smsQueue + "A000.REQ").c_str());
    Refresh(dialog);
    EXPECT_EQ(CellText(list, 0, 0), "A000.REQ") << "several selected: no refresh";
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{0, 2}));
    EXPECT_EQ(Count(dialog), "61 messages");
    SelectItems(list, {2});
    Refresh(dialog);
    EXPECT_EQ(ItemCount(list), 60);
    ASSERT_EQ(SelectedItems(list).size(), 1u);
    EXPECT_EQ(CellText(list, SelectedItems(list)[0], 0), "R100.REQ");
  });
}

TEST_F(QueueViewerTest, FiveThousandRowsOfFiveThousandTwoHundredRequests) {
  for (int i = 0; i < 5200; ++i) {
    char name[32];
    FormatText(name, sizeof name, "%sR%05d.REQ", i % 3 == 0 ? "route\\" : "", i);
    Put(stores_.smsQueue + name, RequestText("1"));
  }
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(ItemCount(list), 5000);
    EXPECT_EQ(Count(dialog), "5200 messages");
    Refresh(dialog);
    EXPECT_EQ(ItemCount(list), 5000);
    EXPECT_EQ(Count(dialog), "5200 messages");
  });
}

TEST_F(QueueViewerTest, OutboundSmsDeletesAfterOneQuestionAndOpensInNotepad) {
  for (int i = 1; i <= 5; ++i) PutRequest("R" + std::to_string(i) + ".REQ", std::to_string(i), i);
  Put(stores_.smsQueue + "route one\\OPENME.REQ", RequestText("9"));  // a blank in the path: it is quoted
  boxes_.Answer(IDYES);
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    SelectItems(list, {0, 2, 4});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 3));
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"R2.REQ", "R4.REQ", "OPENME.REQ"}));
    EXPECT_TRUE(SelectedItems(list).empty());
    EXPECT_EQ(Count(dialog), "6 messages") << "until the next refresh";

    SetForegroundWindow(dialog);
    SetFocus(list);
    PressKey(list, VK_RETURN);
    EXPECT_EQ(WaitForNotepad("OPENME", 2000), nullptr) << "nothing selected: nothing opens";
    SelectItems(list, {2});
    PressKey(list, VK_RETURN);
    HWND notepad = WaitForNotepad("OPENME", 20000);
    ASSERT_NE(notepad, nullptr) << "Enter";
    EXPECT_TRUE(IsWindow(dialog)) << "Enter in the list does not close the viewer";
    EXPECT_TRUE(CloseNotepad(notepad));
    DoubleClickItem(list, 2);
    notepad = WaitForNotepad("OPENME", 20000);
    ASSERT_NE(notepad, nullptr) << "double-click";
    EXPECT_TRUE(CloseNotepad(notepad));
  });
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  const MessageBoxRecord box = boxes_.Boxes()[0];
  EXPECT_EQ(box.text, "Delete 3 messages?");
  EXPECT_EQ(box.caption, "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)");
  EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
  for (const char* gone : {"R1.REQ", "R3.REQ", "R5.REQ"}) EXPECT_FALSE(FileExists(stores_.smsQueue + gone)) << gone;
  for (const char* kept : {"R2.REQ", "R4.REQ"}) EXPECT_TRUE(FileExists(stores_.smsQueue + kept)) << kept;
}

TEST_F(QueueViewerTest, LockedRequestIsRemovedByItsWorkerOnceReleased) {
  PutRequest("LOCKED.REQ", "1", 1);
  PutRequest("FREE.REQ", "2", 2);
  std::string locked = stores_.smsQueue + "LOCKED.REQ";
  HANDLE service = Hold(locked);
  boxes_.Answer(IDYES);
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(ItemCount(list), 1) << "a file held without sharing cannot be read";
    EXPECT_EQ(Count(dialog), "2 messages");
    CloseHandle(service);
    Refresh(dialog);
    ASSERT_EQ(ItemCount(list), 2);
    service = Hold(locked);
    SelectItems(list, {CellText(list, 0, 0) == "LOCKED.REQ" ? 0 : 1});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 1)) << "the row leaves at once";
    EXPECT_TRUE(FileExists(locked));
    Refresh(dialog);
    EXPECT_EQ(Count(dialog), "2 messages") << "it is still there";
  });
  EXPECT_TRUE(FileExists(locked)) << "held by the service";
  CloseHandle(service);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(locked); }, 15000)) << "the worker takes it once released";
  EXPECT_TRUE(FileExists(stores_.smsQueue + "FREE.REQ"));
}

TEST_F(QueueViewerTest, ReceivedSmsNewestFirstAndDeletedOnlyOnYes) {
  std::string text(600, 'a');
  text[498] = 'Y';
  PutAt(stores_.smsIn + "A.SMS", "[SMS]\r\nSender=" + std::string(140, 's') + "\r\nData=" + text + "\r\n", 30);
  PutAt(stores_.smsIn + "B.SMS", "[SMS]\r\nSender=2\r\n", 10);
  PutAt(stores_.smsIn + "C.IN", "[SMS]\r\nSender=3\r\n", 20);
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  Walk(kReceivedSms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "3 messages");
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"A.SMS", "C.IN", "B.SMS"}));
    EXPECT_EQ(ColumnTexts(list, 4), (Texts{"Received", "Queued", "Received"}));
    EXPECT_EQ(CellText(list, 0, 1), std::string(140, 's'));
    EXPECT_EQ(CellText(list, 0, 5), text.substr(0, 499)) << "a cell shows 499 characters";

    SendMessageA(list, WM_KEYDOWN, VK_DELETE, 1);  // nothing selected: no question
    SelectItems(list, {0});
    PostMessageA(dialog, WM_COMMAND, IDC_SMSQ_DELETE, 0);
    EXPECT_TRUE(WaitUntil([&] { return boxes_.Boxes().size() == 1; }, 10000));
    Sleep(200);
    EXPECT_EQ(ItemCount(list), 3) << "No keeps it";
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 2));
  });
  EXPECT_EQ(BoxTexts(), (Texts{"Delete Message?", "Delete Message?"}));
  EXPECT_FALSE(FileExists(stores_.smsIn + "A.SMS"));
  EXPECT_TRUE(FileExists(stores_.smsIn + "C.IN"));
}

TEST_F(QueueViewerTest, OutboundMmsOpensAndDeletesWithItsControlFile) {
  Put(stores_.mmsQueue + "route\\M1.MMS", "binary");
  Put(stores_.mmsQueue + "route\\M1.INI", "[Recipients]\r\nRecip1=+1/TYPE=PLMN\r\n[Routing]\r\nSenderAddress=+2\r\n");
  Put(stores_.mmsQueue + "LONELY.MMS", "");
  boxes_.Answer(IDYES);
  Walk(kOutboundMms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "2 messages") << "the total counts the unlisted one";
    ASSERT_EQ(ItemCount(list), 1);
    EXPECT_EQ(CellText(list, 0, 1), "+2");
    SelectItems(list, {0});
    PostMessageA(dialog, WM_COMMAND, IDC_SMSQ_OPEN, 0);
    HWND notepad = WaitForNotepad("M1", 20000);
    ASSERT_NE(notepad, nullptr);
    EXPECT_EQ(InternalText(notepad).find(".MMS"), std::string::npos) << "the control file, not the message";
    EXPECT_TRUE(CloseNotepad(notepad));
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 0));
    Refresh(dialog);
    EXPECT_EQ(Count(dialog), "1 message");
  });
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "route\\M1.MMS"));
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "route\\M1.INI"));
}

TEST_F(QueueViewerTest, ReceivedMmsDeletesHeadersWithTheirContentButNeverTheStore) {
  Put(stores_.mmsIn + "route\\msg1.HDR", "From: +1\r\nSubject: Holiday\r\n");
  Put(stores_.mmsIn + "route\\msg1\\image.jpg", "jpg");
  Put(stores_.mmsIn + "route\\msg1\\inner\\part.txt", "txt");
  Put(stores_.mmsIn + ".HDR", "From: nameless\r\n");
  Put(stores_.mmsIn + "route\\.HDR", "From: nameless in route\r\n");
  Put(stores_.mmsIn + "other.HDR", "From: +2\r\n");
  Put(stores_.mmsIn + "other\\part.txt", "x");
  Put(stores_.mmsIn + "route\\held.HDR", "From: +3\r\n");
  Put(stores_.mmsIn + "route\\held\\part.txt", "x");
  HANDLE service = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDYES);
  auto rowsFrom = [](HWND list, const std::string& sender) {
    std::vector<int> rows;
    for (int i = 0; i < ItemCount(list); ++i)
      if (CellText(list, i, 1).rfind(sender, 0) == 0) rows.push_back(i);
    return rows;
  };
  Walk(kReceivedMms, [&](HWND dialog, HWND list) {
    ASSERT_EQ(ItemCount(list), 5);
    SelectItems(list, rowsFrom(list, "+1"));
    SetForegroundWindow(dialog);
    SetFocus(list);
    PressKey(list, VK_RETURN);
    HWND details = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (details = FindOwnWindow("MMS Message Details")) != nullptr; }, 10000));
    EXPECT_EQ(Text(details, IDC_MMSVIEW_HEADER), "From: +1\r\nSubject: Holiday\r\n");
    EXPECT_EQ(GetWindow(details, GW_OWNER), dialog) << "owned by the viewer";
    Cancel(details);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(details); }, 10000));

    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 4));
    SelectItems(list, rowsFrom(list, "nameless"));
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 2));
    service = Hold(stores_.mmsIn + "route\\held.HDR");
    SelectItems(list, rowsFrom(list, "+3"));
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 1));
  });
  EXPECT_EQ(BoxTexts(), (Texts{"Delete Message?", "Delete 2 messages?", "Delete Message?"}));
  EXPECT_FALSE(FileExists(stores_.mmsIn + "route\\msg1.HDR"));
  EXPECT_FALSE(FileExists(stores_.mmsIn + "route\\msg1"));
  EXPECT_FALSE(FileExists(stores_.mmsIn + ".HDR"));
  EXPECT_FALSE(FileExists(stores_.mmsIn + "route\\.HDR"));
  EXPECT_TRUE(FileExists(stores_.mmsIn + "other\\part.txt")) << "a nameless header takes no folder with it";
  CloseHandle(service);
  Sleep(6000);  // longer than a retry worker's pause: nothing must happen
  EXPECT_TRUE(FileExists(stores_.mmsIn + "route\\held.HDR")) << "no retry for received MMS";
  EXPECT_TRUE(FileExists(stores_.mmsIn + "route\\held\\part.txt"));
}

TEST_F(QueueViewerTest, ANameAsLongAsAPathCanBeIsListedAndDeleted) {
  std::string longRequest = stores_.smsQueue + std::string(MAX_PATH - 1 - stores_.smsQueue.size() - 4, 'L') + ".REQ";
  Put(longRequest, RequestText("3"));
  static const char kGarbage[] = "\x00\xFF[SMS]\x00PhoneNumber\x1B\r\n=\x80";
  Put(stores_.smsQueue + "garbage.REQ", std::string(kGarbage, sizeof kGarbage - 1));
  boxes_.Answer(IDYES);
  Walk(kOutboundSms, [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "2 messages");
    ASSERT_EQ(ColumnTexts(list, 0), Texts{longRequest.substr(stores_.smsQueue.size())});
    SelectItems(list, {0});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 0));
  });
  EXPECT_FALSE(FileExists(longRequest));
}

}  // namespace
