// The four queue viewers and the received MMS details dialog, driven as a
// user would: the list's keys and notifications, the refresh timer's message
// and the real message boxes. What the viewers decide (sort order, status
// line, paths a delete may touch) has its rows in the native tests; these
// walks check the wiring.
#include "queues/queue_viewer.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/file_util.h"
#include "config/config_files.h"
#include "queues/mms_details_dialog.h"
#include "queues/queue_store.h"
#include "resources/page_ids.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;
using Items = std::vector<int>;

// Shows the viewer, runs the steps on it and its list from a helper thread
// once it is there, then closes it.
void Walk(INT_PTR (*show)(HWND), const char* caption, const std::function<void(HWND dialog, HWND list)>& steps) {
  WindowDriver driver(caption, [&](HWND dialog) {
    steps(dialog, GetDlgItem(dialog, IDC_SMSQ_LIST));
    Cancel(dialog);
  });
  show(nullptr);
  EXPECT_TRUE(driver.Appeared()) << caption;
}

std::string CellText(HWND list, int item, int column) {
  char text[2048] = "";
  ListView_GetItemText(list, item, column, text, sizeof text);
  return text;
}
Texts ColumnTexts(HWND list, int column, int count = -1) {
  Texts texts;
  for (int i = 0; i < (count < 0 ? ListView_GetItemCount(list) : count); ++i) texts.push_back(CellText(list, i, column));
  return texts;
}
// Clears the selection and selects these items, the first one focused.
void SelectItems(HWND list, const Items& items) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (size_t i = 0; i < items.size(); ++i)
    ListView_SetItemState(list, items[i], LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0), LVIS_SELECTED | LVIS_FOCUSED);
}
void PressKey(HWND list, UINT key) {
  PostMessageA(list, WM_KEYDOWN, key, 1);
  PostMessageA(list, WM_KEYUP, key, 0xC0000001);
}
bool RowsBecome(HWND list, int count) {
  return WaitUntil([&] { return ListView_GetItemCount(list) == count; }, 10000);
}
// One tick of the refresh timer, done before this returns.
void Refresh(HWND dialog) { SendMessageA(dialog, WM_TIMER, 1, 0); }

class QueueViewerTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
  }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  void Put(const std::string& path, const std::string& bytes, int minute = -1) {
    FILETIME created = LocalFileTime(2012, 5, 1, 10, minute, 0);  // of 1 May 2012, 10 o'clock
    ASSERT_TRUE(WriteStoreFile(path, bytes, minute < 0 ? nullptr : &created)) << path;
  }
  void PutRequest(const std::string& name, const std::string& phone, int minute, const std::string& user = "") {
    Put(stores_.smsQueue + name, RequestText(phone, user.empty() ? "" : "SubmitUser=" + user + "\r\n"), minute);
  }

  TempDataDirectory dir_{"viewer"};
  StoreDirectories stores_;
  MessageBoxAnswerer boxes_;
};

TEST_F(QueueViewerTest, OutboundSmsSortsRefreshesAndDeletes) {
  Put(stores_.smsQueue + "R1.REQ",
      RequestText("300", "SubmitUser=bob\r\n[ErrorDetail]\r\nRetryCount=3\r\nLastErrorInfo=No signal\r\n"), 10);
  PutRequest("route\\R2.REQ", "100", 30, "Carol");
  PutRequest("R3.REQ", "200", 20, "alice");
  const std::string longName = std::string(MAX_PATH - 1 - stores_.smsQueue.size() - 4, 'L') + ".REQ";
  PutRequest(longName, "400", 40);
  Put(stores_.smsQueue + "big.REQ", "[SMS]\r\n" + std::string(20000, ';') + "\r\nPhoneNumber=777\r\nSubmitUser=zz\r\n", 45);
  PutRequest("route\\deeper\\E.REQ", "9", 0);  // two levels down: not the viewer's business
  Put(stores_.smsQueue + "G.REQ\\x", "");  // a folder is no message
  PutRequest("LOCKED.REQ", "000", 50);
  HANDLE service = HoldLikeAService(stores_.smsQueue + "LOCKED.REQ");
  Walk(ShowOutboundSmsQueue, "Outbound SMS Queue", [&](HWND dialog, HWND list) {
    EXPECT_EQ(Text(dialog, IDC_SMSQ_STATUS), "Outbound SMS Message Queue:  6 messages");
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"R1.REQ", "R3.REQ", "R2.REQ", longName, "big.REQ"})) << "oldest first";
    EXPECT_EQ((Texts{CellText(list, 0, 2), CellText(list, 0, 3), CellText(list, 0, 4)}),
              (Texts{"300", "2012-05-01 10:10:00", "Retry -  3 attempt(s) - No signal"}));
    EXPECT_EQ(CellText(list, 4, 2), "777") << "a large file is read whole";
    SelectItems(list, {0});
    NMLISTVIEW click = {{list, IDC_SMSQ_LIST, LVN_COLUMNCLICK}, -1, 1};
    SendMessageA(dialog, WM_NOTIFY, IDC_SMSQ_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(ColumnTexts(list, 1), (Texts{"", "alice", "bob", "Carol", "zz"}));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2) << "the selected message moves with its row";
  });
  Walk(ShowOutboundSmsQueue, "Outbound SMS Queue", [&](HWND dialog, HWND list) {
    EXPECT_EQ(ColumnTexts(list, 1), (Texts{"bob", "alice", "Carol", "", "zz"})) << "opening shows time order";
    CloseHandle(service);
    Refresh(dialog);
    EXPECT_EQ(ColumnTexts(list, 1), (Texts{"", "", "alice", "bob", "Carol", "zz"})) << "the refresh sorts as left";
    SelectItems(list, {3});  // R1
    PutRequest("A0.REQ", "5", 0, "a0");  // both sort before it
    PutRequest("A1.REQ", "5", 0, "a1");
    Refresh(dialog);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED | LVNI_SELECTED), 5);
    EXPECT_EQ(CellText(list, 5, 0), "R1.REQ");

    // One question for several; the rows go at once, the count with the next refresh.
    boxes_.Answer(IDYES);
    SelectItems(list, {0, 1, 4});  // LOCKED and the long name, R3
    service = HoldLikeAService(stores_.smsQueue + "LOCKED.REQ");
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 5));
    EXPECT_EQ(ColumnTexts(list, 0, 3), (Texts{"A0.REQ", "A1.REQ", "R1.REQ"}));
    Refresh(dialog);
    EXPECT_EQ(Text(dialog, IDC_SMSQ_STATUS), "Outbound SMS Message Queue:  6 messages") << "one is still held";
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts{"question YesNo: Delete 3 messages?"});
  EXPECT_FALSE(FileExists(stores_.smsQueue + "R3.REQ") || FileExists(stores_.smsQueue + longName));
  EXPECT_TRUE(FileExists(stores_.smsQueue + "LOCKED.REQ")) << "held by the service";
  CloseHandle(service);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(stores_.smsQueue + "LOCKED.REQ"); }, 15000))
      << "its retry worker takes it once released";
}

// Outbound MMS: rows come from the control files, which go with their messages.
// Received SMS: every message listed, newest first, deleted only on Yes, the
// .SMS files filling what the .IN and .REC ones left of the row limit; route
// folders left empty for five minutes go with a scan of the received stores,
// the outbound ones stay.
TEST_F(QueueViewerTest, OutboundMmsAndReceivedSmsListOpenAndDeleteTheirFiles) {
  Put(stores_.mmsQueue + "route\\M1.MMS", "binary", 5);
  Put(stores_.mmsQueue + "route\\M1.INI",
      "[Recipients]\r\nRecip1=+111/TYPE=PLMN\r\nx=+222/type=vasp:zedsmslite\r\n"
      "[Routing]\r\nSenderAddress=+999\r\nRetryCount=2\r\nLastErrorInfo=Timeout\r\n");
  Put(stores_.mmsQueue + "LONELY.MMS", "");
  Put(stores_.smsIn + "A.SMS", "[SMS]\r\nSender=1\r\nData=Hi\r\n", 30);
  Put(stores_.smsIn + "B.SMS", "just some text\r\n", 10);
  Put(stores_.smsIn + "route\\C.IN", "[SMS]\r\nSender=3\r\n", 20);
  const char garbage[] = "\x00\xFF\x1B[SMS]\x00PhoneNumber\r\n=\xFE" "Data=\x80";  // with pieces of a request
  Put(stores_.smsIn + "D.REC", std::string(garbage, sizeof garbage - 1), 25);
  // Just made is recent; 2012 is long ago.
  const std::string old = stores_.smsIn + "old", recent = stores_.smsIn + "recent", outbound = stores_.mmsQueue + "old";
  for (const std::string* folder : {&old, &recent, &outbound}) CreateDirectoryPath(folder->c_str());
  const FILETIME longAgo = LocalFileTime(2012, 5, 1, 10, 0, 0);
  ASSERT_TRUE(SetFileTimes(old, longAgo) && SetFileTimes(outbound, longAgo));
  for (int answer : {IDYES, IDNO, IDYES}) boxes_.Answer(answer);
  Walk(ShowOutboundMmsQueue, "Outbound MMS Queue", [&](HWND dialog, HWND list) {
    EXPECT_EQ(Text(dialog, IDC_SMSQ_STATUS), "Outbound MMS Message Queue:  2 messages")
        << "a missing control file: counted, not listed";
    EXPECT_EQ(ColumnTexts(list, 0), Texts{"M1.MMS"});
    EXPECT_EQ((Texts{CellText(list, 0, 1), CellText(list, 0, 2), CellText(list, 0, 3), CellText(list, 0, 4)}),
              (Texts{"+999", "+111, +222", "2012-05-01 10:05:00", "Retry -  2 attempt(s) - Timeout"}));
    SelectItems(list, {0});
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 0));
  });
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "route\\M1.MMS") || FileExists(stores_.mmsQueue + "route\\M1.INI"));
  Walk(ShowReceivedSms, "Received SMS Messages", [&](HWND dialog, HWND list) {
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"A.SMS", "D.REC", "C.IN", "B.SMS"}));
    EXPECT_EQ(ColumnTexts(list, 1), (Texts{"1", "", "3", ""}));
    EXPECT_EQ(ColumnTexts(list, 4), (Texts{"Received", "Queued", "Queued", "Received"}));
    SelectItems(list, {0});
    SendMessageA(dialog, WM_COMMAND, IDC_SMSQ_DELETE, 0);
    EXPECT_EQ(ListView_GetItemCount(list), 4) << "No keeps it";
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 3));
    for (int i = 0; i < 2600; ++i) {
      Put(stores_.smsIn + "i" + std::to_string(i) + ".IN", "");
      Put(stores_.smsIn + "s" + std::to_string(i) + ".SMS", "");
    }
    Refresh(dialog);
    EXPECT_EQ(Text(dialog, IDC_SMSQ_STATUS), "Received SMS Messages:  5203 messages");
    Texts kinds = ColumnTexts(list, 4);
    EXPECT_EQ(kinds.size(), 5000u);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "Received"), 2398);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts(3, "question YesNo: Delete Message?"));
  EXPECT_FALSE(FileExists(stores_.smsIn + "A.SMS") || IsDirectory(old.c_str()));
  EXPECT_TRUE(IsDirectory(recent.c_str()) && IsDirectory(outbound.c_str()));
}

// The details of a received MMS list its objects in header order. Content
// paths come from outside the machine: only the message's own files open,
// never a program. A header goes with its content folder, but a nameless one
// (".HDR") takes no folder with it, and never the store; a held one keeps its
// folder.
TEST_F(QueueViewerTest, ReceivedMmsDetailsOpenOnlyTheMessagesOwnAndDeletesNeverTakeTheStore) {
  Put(stores_.mmsIn + "m1.HDR", "From: +1\r\n");
  Put(stores_.mmsIn + "m1\\inner\\part.txt", "txt");
  Put(stores_.mmsIn + "m2.HDR",
      "From: +2\r\nX-ZedMMS-Content-Location: m2\\run.exe.;application/octet-stream\r\n"
      "x-zedmms-content-location:   ..\\..\\outside.txt;text/plain\r\n");
  Put(stores_.mmsIn + "..\\..\\outside.txt", "x");
  Put(stores_.mmsIn + "m2\\run.exe", "MZ");
  Put(stores_.mmsIn + ".HDR", "From: nameless\r\n");
  Put(stores_.mmsIn + "route\\.HDR", "From: nameless in route\r\n");
  Put(stores_.mmsIn + "route\\held.HDR", "From: +3\r\n");
  Put(stores_.mmsIn + "route\\held\\part.txt", "x");
  HANDLE service = INVALID_HANDLE_VALUE;
  for (int answer : {IDOK, IDOK, IDYES, IDYES, IDYES}) boxes_.Answer(answer);
  auto selectFrom = [](HWND list, const std::string& sender) {
    Items rows;
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
      if (CellText(list, i, 1).rfind(sender, 0) == 0) rows.push_back(i);
    SelectItems(list, rows);
  };
  Walk(ShowReceivedMms, "Received MMS Messages", [&](HWND, HWND list) {
    ASSERT_EQ(ListView_GetItemCount(list), 5);
    selectFrom(list, "+2");
    PressKey(list, VK_RETURN);
    HWND details = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (details = FindOwnWindow("MMS Message Details")) != nullptr; }, 10000));
    HWND objects = GetDlgItem(details, IDC_MMSVIEW_OBJECTS);
    char first[64] = "";
    SendMessageA(objects, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::string(first).rfind("run.exe.", 0), 0u) << "header order, although the list has the sorted style";
    for (int row : {0, 1}) {
      SendMessageA(objects, LB_SETCURSEL, row, 0);
      SendMessageA(details, WM_COMMAND, IDC_MMSVIEW_VIEW, 0);
    }
    Cancel(details);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(details); }, 10000));
    service = HoldLikeAService(stores_.mmsIn + "route\\held.HDR");
    const std::pair<const char*, int> deletes[] = {{"+1", 4}, {"nameless", 2}, {"+3", 1}};
    for (const auto& row : deletes) {
      selectFrom(list, row.first);
      PressKey(list, VK_DELETE);
      EXPECT_TRUE(RowsBecome(list, row.second)) << row.first;
    }
  });
  CloseHandle(service);
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (Texts{"error OK: This content object is a program or script and is not opened.",
                   "error OK: This content object lies outside the message's folder and is not opened.",
                   "question YesNo: Delete Message?", "question YesNo: Delete 2 messages?", "question YesNo: Delete Message?"}));
  for (const char* gone : {"m1.HDR", "m1", ".HDR", "route\\.HDR"}) EXPECT_FALSE(FileExists(stores_.mmsIn + gone)) << gone;
  EXPECT_TRUE(FileExists(stores_.mmsIn + "m2\\run.exe") && FileExists(stores_.mmsIn + "route\\held\\part.txt"));
}

}  // namespace
