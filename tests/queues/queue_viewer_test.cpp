// The four queue viewers and the received MMS details dialog, driven as a
// user would: the list's own clicks and keys, the refresh timer's message,
// the real message boxes and the Notepad windows they start.
#include "queues/queue_viewer.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/text_util.h"
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

// Shows the dialog, runs the steps on it from a helper thread once it is
// there, then closes it.
void WalkDialog(const char* caption, const std::function<void()>& show, const std::function<void(HWND)>& steps) {
  WindowDriver driver(caption, [&](HWND dialog) {
    steps(dialog);
    Cancel(dialog);
  });
  show();
  EXPECT_TRUE(driver.Appeared()) << caption;
}
void Walk(INT_PTR (*show)(HWND), const char* caption, const std::function<void(HWND dialog, HWND list)>& steps) {
  WalkDialog(caption, [&] { show(nullptr); }, [&](HWND dialog) { steps(dialog, GetDlgItem(dialog, IDC_SMSQ_LIST)); });
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
std::string CellText(HWND list, int item, int column) {
  char text[2048] = "";
  LVITEMA request = {};
  request.iSubItem = column;
  request.pszText = text;
  request.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request));
  return text;
}
Texts ColumnTexts(HWND list, int column, int count = -1) {
  Texts texts;
  for (int i = 0; i < (count < 0 ? ItemCount(list) : count); ++i) texts.push_back(CellText(list, i, column));
  return texts;
}
Items SelectedItems(HWND list, UINT state = LVNI_SELECTED) {
  Items items;
  for (int i = -1; (i = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, i, state))) >= 0;) items.push_back(i);
  return items;
}
// Clears the selection and selects these items, the first one focused.
void SelectItems(HWND list, const Items& items) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  for (size_t i = 0; i < items.size(); ++i) {
    item.state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
    SendMessageA(list, LVM_SETITEMSTATE, items[i], reinterpret_cast<LPARAM>(&item));
  }
}
// The mouse's click on a column's header button, clear of the dividers.
void ClickColumn(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  RECT rect = {};
  SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
  LPARAM point = MAKELPARAM(rect.left + std::min<int>(30, (rect.right - rect.left) / 2), (rect.top + rect.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageA(header, WM_LBUTTONUP, 0, point);
}
void DoubleClickItem(HWND list, int item) {
  RECT rect = {};
  rect.left = LVIR_LABEL;
  SendMessageA(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
  LPARAM point = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    SendMessageA(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, point);
}
int TopIndex(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)); }
void PressKey(HWND list, UINT key) {
  PostMessageA(list, WM_KEYDOWN, key, 1);
  PostMessageA(list, WM_KEYUP, key, 0xC0000001);
}
bool RowsBecome(HWND list, int count) {
  return WaitUntil([&] { return ItemCount(list) == count; }, 10000);
}
// The count part of the status line ("2 messages", "Empty").
std::string Count(HWND dialog) {
  std::string status = Text(dialog, IDC_SMSQ_STATUS);
  return status.substr(status.find(":  ") + 3);
}
// One tick of the refresh timer, done before this returns.
void Refresh(HWND dialog) { SendMessageA(dialog, WM_TIMER, 1, 0); }

struct NotepadSearch {
  const std::string* name;
  HWND found;
};

BOOL CALLBACK FindNotepad(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<NotepadSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (process == GetCurrentProcessId() || !IsWindowVisible(window) || !EqualsNoCase(className, "Notepad") ||
      !FindNoCase(InternalText(window).c_str(), search->name->c_str()))
    return TRUE;
  search->found = window;
  return FALSE;
}

// A visible Notepad window of another process whose title names the file
// (any, for an empty name); null when none shows within the time.
HWND WaitForNotepad(const std::string& name, DWORD timeoutMs) {
  NotepadSearch search = {&name, nullptr};
  WaitUntil([&] {
    EnumWindows(FindNotepad, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  }, timeoutMs);
  return search.found;
}
bool CloseNotepad(HWND window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 20000);
}

class QueueViewerTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
  }
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    // A failed test must not leave a Notepad open.
    while (HWND notepad = WaitForNotepad("", 0))
      if (!CloseNotepad(notepad)) break;
  }
  void Put(const std::string& path, const std::string& bytes, int minute = -1) {
    FILETIME created = LocalFileTime(2012, 5, 1, 10, minute, 0);  // of 1 May 2012, 10 o'clock
    ASSERT_TRUE(WriteStoreFile(path, bytes, minute < 0 ? nullptr : &created)) << path;
  }
  void PutRequest(const std::string& name, const std::string& phone, int minute, const std::string& user = "") {
    Put(stores_.smsQueue + name, RequestText(phone, user.empty() ? "" : "SubmitUser=" + user + "\r\n"), minute);
  }
  void OpenAndClose(HWND dialog, HWND list, const char* name, const std::function<void()>& open) {
    SetForegroundWindow(dialog);
    SetFocus(list);
    open();
    HWND notepad = WaitForNotepad(name, 20000);
    ASSERT_NE(notepad, nullptr) << name;
    EXPECT_TRUE(IsWindow(dialog)) << "opening does not close the viewer";
    EXPECT_TRUE(CloseNotepad(notepad));
  }

  TempDataDirectory dir_{"viewer"};
  StoreDirectories stores_;
  MessageBoxAnswerer boxes_;
};

TEST_F(QueueViewerTest, OutboundSmsSortsRefreshesDeletesAndOpensUpToTheRowLimit) {
  // Clicks on an empty list leave the sort state (time order) alone.
  Walk(ShowOutboundSmsQueue, "Outbound SMS Queue", [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "Empty");
    ClickColumn(list, 2);
  });
  PutRequest("R1.REQ", "300", 10, "bob");
  PutRequest("route one\\R2.REQ", "100", 30, "Carol");  // a blank in the path: Notepad gets it quoted
  PutRequest("R3.REQ", "200", 20, "alice");
  const std::string longName = std::string(MAX_PATH - 1 - stores_.smsQueue.size() - 4, 'L') + ".REQ";
  PutRequest(longName, "400", 40);
  Put(stores_.smsQueue + "garbage.REQ", GarbageBytes());
  PutRequest("LOCKED.REQ", "000", 50);
  HANDLE service = HoldLikeAService(stores_.smsQueue + "LOCKED.REQ");
  Walk(ShowOutboundSmsQueue, "Outbound SMS Queue", [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "6 messages") << "the held and the unreadable ones are counted, not listed";
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"R1.REQ", "R3.REQ", "R2.REQ", longName})) << "oldest first";
    EXPECT_EQ(CellText(list, 0, 3), "2012-05-01 10:10:00");
    EXPECT_TRUE(SelectedItems(list).empty());
    SelectItems(list, {0});
    SendMessageA(list, WM_CHAR, 'r', 1);
    SendMessageA(list, WM_CHAR, '2', 1);
    EXPECT_EQ(SelectedItems(list), Items{0}) << "typing does not move the selection";
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"100", "200", "300", "400"}));
    EXPECT_EQ(SelectedItems(list), Items{2}) << "the selected message moves with its row";
    EXPECT_EQ(SelectedItems(list, LVNI_FOCUSED), Items{2});
    ClickColumn(list, 2);
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"400", "300", "200", "100"})) << "second click: descending";
    ClickColumn(list, 1);
    EXPECT_EQ(ColumnTexts(list, 1), (Texts{"", "alice", "bob", "Carol"})) << "a new column: ascending, any case";
    ClickColumn(list, 2);
  });
  Walk(ShowOutboundSmsQueue, "Outbound SMS Queue", [&](HWND dialog, HWND list) {
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"300", "200", "100", "400"})) << "opening shows time order";
    CloseHandle(service);
    Refresh(dialog);
    EXPECT_EQ(ColumnTexts(list, 2), (Texts{"000", "100", "200", "300", "400"})) << "the refresh sorts as left";

    // The refresh follows a single selection, and shows the top without one.
    for (int i = 0; i < 60; ++i) PutRequest("F" + std::to_string(i) + ".REQ", std::to_string(500 + i), 0);
    Refresh(dialog);
    SendMessageA(list, LVM_ENSUREVISIBLE, 64, FALSE);
    ASSERT_GT(TopIndex(list), 0);
    Refresh(dialog);
    EXPECT_EQ(TopIndex(list), 0) << "without a selection the refresh shows the top";
    SelectItems(list, {64});  // F59
    PutRequest("A0.REQ", "001", 0);  // both sort before it
    PutRequest("A1.REQ", "002", 0);
    Refresh(dialog);
    EXPECT_EQ(SelectedItems(list), Items{66});
    EXPECT_EQ(SelectedItems(list, LVNI_FOCUSED), Items{66});
    EXPECT_EQ(CellText(list, 66, 0), "F59.REQ");
    int top = TopIndex(list);
    EXPECT_TRUE(top <= 66 && 66 < top + SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) << "scrolled into view";
    EXPECT_EQ(Count(dialog), "68 messages");
    DeleteFileA((stores_.smsQueue + "F59.REQ").c_str());
    Refresh(dialog);
    EXPECT_TRUE(SelectedItems(list).empty()) << "the message left the queue";
    SelectItems(list, {0, 2});
    DeleteFileA((stores_.smsQueue + "A0.REQ").c_str());
    Refresh(dialog);
    EXPECT_EQ(CellText(list, 1, 0), "A0.REQ") << "several selected: no refresh";
    EXPECT_EQ(Count(dialog), "67 messages");
    SelectItems(list, {3});  // R2
    Refresh(dialog);
    ASSERT_EQ(SelectedItems(list), Items{2});
    EXPECT_EQ(CellText(list, 2, 0), "R2.REQ");

    // One question for several; the rows go at once, the count with the next refresh.
    boxes_.Answer(IDYES);
    SelectItems(list, {0, 3, 5});  // LOCKED, R3, the long name
    service = HoldLikeAService(stores_.smsQueue + "LOCKED.REQ");
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 62));
    EXPECT_EQ(ColumnTexts(list, 0, 3), (Texts{"A1.REQ", "R2.REQ", "R1.REQ"}));
    EXPECT_EQ(Count(dialog), "66 messages");
    Refresh(dialog);
    EXPECT_EQ(Count(dialog), "64 messages") << "the held request is still there";

    SendMessageA(dialog, WM_COMMAND, IDC_SMSQ_OPEN, 0);  // nothing selected: nothing opens
    SelectItems(list, {1});
    OpenAndClose(dialog, list, "R2", [&] { PressKey(list, VK_RETURN); });
    OpenAndClose(dialog, list, "R2", [&] { DoubleClickItem(list, 1); });
    EXPECT_EQ(WaitForNotepad("", 0), nullptr);

    for (int i = 0; i < 5200; ++i) PutRequest((i % 3 ? "B" : "route\\B") + std::to_string(i) + ".REQ", "9", -1);
    Refresh(dialog);
    EXPECT_EQ(ItemCount(list), 5000);
    EXPECT_EQ(Count(dialog), "5264 messages");
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts{"question YesNo: Delete 3 messages?"});
  EXPECT_FALSE(FileExists(stores_.smsQueue + "R3.REQ") || FileExists(stores_.smsQueue + longName));
  EXPECT_TRUE(FileExists(stores_.smsQueue + "LOCKED.REQ")) << "held by the service";
  CloseHandle(service);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(stores_.smsQueue + "LOCKED.REQ"); }, 15000))
      << "its retry worker takes it once released";
}

TEST_F(QueueViewerTest, OutboundMmsOpensAndDeletesWithItsControlFile) {
  Put(stores_.mmsQueue + "route\\M1.MMS", "binary");
  Put(stores_.mmsQueue + "route\\M1.INI", "[Recipients]\r\nRecip1=+1/TYPE=PLMN\r\n[Routing]\r\nSenderAddress=+2\r\n");
  Put(stores_.mmsQueue + "LONELY.MMS", "");
  boxes_.Answer(IDYES);
  Walk(ShowOutboundMmsQueue, "Outbound MMS Queue", [&](HWND dialog, HWND list) {
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
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "route\\M1.MMS") || FileExists(stores_.mmsQueue + "route\\M1.INI"));
}

TEST_F(QueueViewerTest, ReceivedSmsNewestFirstAndDeletedOnlyOnYes) {
  std::string text(600, 'a');
  text[498] = 'Y';
  Put(stores_.smsIn + "A.SMS", "[SMS]\r\nSender=" + std::string(140, 's') + "\r\nData=" + text + "\r\n", 30);
  Put(stores_.smsIn + "B.SMS", "[SMS]\r\nSender=2\r\n", 10);
  Put(stores_.smsIn + "C.IN", "[SMS]\r\nSender=3\r\n", 20);
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  Walk(ShowReceivedSms, "Received SMS Messages", [&](HWND dialog, HWND list) {
    EXPECT_EQ(Count(dialog), "3 messages");
    EXPECT_EQ(ColumnTexts(list, 0), (Texts{"A.SMS", "C.IN", "B.SMS"}));
    EXPECT_EQ(ColumnTexts(list, 4), (Texts{"Received", "Queued", "Received"}));
    EXPECT_EQ(CellText(list, 0, 1), std::string(140, 's'));
    EXPECT_EQ(CellText(list, 0, 5), text.substr(0, 499)) << "a cell shows 499 characters";
    SendMessageA(dialog, WM_COMMAND, IDC_SMSQ_DELETE, 0);  // nothing selected: no question
    SelectItems(list, {0});
    SendMessageA(dialog, WM_COMMAND, IDC_SMSQ_DELETE, 0);
    EXPECT_EQ(ItemCount(list), 3) << "No keeps it";
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 2));
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{"question YesNo: Delete Message?", "question YesNo: Delete Message?"}));
  EXPECT_FALSE(FileExists(stores_.smsIn + "A.SMS"));
  EXPECT_TRUE(FileExists(stores_.smsIn + "C.IN"));
}

// A header goes with its content folder, but a nameless one (".HDR") takes
// no folder with it, and never the store; no retry for a held one.
TEST_F(QueueViewerTest, ReceivedMmsDeletesHeadersWithTheirContentButNeverTheStore) {
  Put(stores_.mmsIn + "route\\msg1.HDR", "From: +1\r\nSubject: Holiday\r\n");
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
    Items rows;
    for (int i = 0; i < ItemCount(list); ++i)
      if (CellText(list, i, 1).rfind(sender, 0) == 0) rows.push_back(i);
    return rows;
  };
  Walk(ShowReceivedMms, "Received MMS Messages", [&](HWND dialog, HWND list) {
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
    service = HoldLikeAService(stores_.mmsIn + "route\\held.HDR");
    SelectItems(list, rowsFrom(list, "+3"));
    PressKey(list, VK_DELETE);
    EXPECT_TRUE(RowsBecome(list, 1));
  });
  CloseHandle(service);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{"question YesNo: Delete Message?", "question YesNo: Delete 2 messages?",
                                             "question YesNo: Delete Message?"}));
  for (const char* gone : {"route\\msg1.HDR", "route\\msg1", ".HDR", "route\\.HDR"})
    EXPECT_FALSE(FileExists(stores_.mmsIn + gone)) << gone;
  EXPECT_TRUE(FileExists(stores_.mmsIn + "other\\part.txt"));
  Sleep(6000);  // longer than a retry worker's pause: a non-event cannot be awaited
  EXPECT_TRUE(FileExists(stores_.mmsIn + "route\\held.HDR") && FileExists(stores_.mmsIn + "route\\held\\part.txt"));
}

// A file type of the test's own, opened by Notepad: a Notepad window with the
// object's name shows that the shell was asked to open the whole path.
struct TestFileType {
  TestFileType() {
    RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zedview", REG_SZ, "ZedView.Test", 0);
    RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\ZedView.Test\\shell\\open\\command", REG_SZ,
                 "notepad.exe \"%1\"", 0);
  }
  ~TestFileType() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\ZedView.Test");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zedview");
  }
};

// Content paths come from outside the machine: only the message's own files
// open (text in Notepad, the rest through the shell), and never a program.
TEST_F(QueueViewerTest, MmsDetailsListObjectsInHeaderOrderAndOpenOnlyTheMessagesOwn) {
  TestFileType fileType;
  const std::string header =
      "From: +4471/TYPE=PLMN\r\n"
      "X-ZedMMS-Content-Location: m1\\PRESENTATION;application/smil\r\n"
      "x-zedmms-content-location:   m1\\BODYTEXT;text/plain;charset=utf-8\r\n"
      "X-ZedMMS-Content-Location: m1\\card.zedview;image/jpeg\r\n";
  Put(stores_.mmsIn + "m1.HDR", header);
  Put(stores_.mmsIn + "m1\\PRESENTATION", "<smil></smil>");
  Put(stores_.mmsIn + "m1\\card.zedview", "jpeg");
  Put(stores_.mmsIn + "m2.HDR",
      "X-ZedMMS-Content-Location: ..\\..\\outside.zedview;application/octet-stream\r\n"
      "X-ZedMMS-Content-Location: m2\\run.exe.;application/octet-stream\r\n"
      "X-ZedMMS-Content-Location: m1\\card.zedview;image/jpeg\r\n");
  Put(stores_.mmsIn + "..\\..\\outside.zedview", "x");
  Put(stores_.mmsIn + "m2\\run.exe", "MZ");
  Put(stores_.mmsIn + "plain.HDR", "From: +1\r\nSubject: no objects\r\n");
  Put(stores_.mmsIn + "held.HDR", "X-ZedMMS-Content-Location: a.txt\r\n");
  HANDLE service = HoldLikeAService(stores_.mmsIn + "held.HDR");
  auto details = [&](const char* name, const std::function<void(HWND, HWND)>& steps) {
    WalkDialog("MMS Message Details", [&] { MmsDetailsDialog(nullptr, (stores_.mmsIn + name).c_str()); },
         [&](HWND dialog) { steps(dialog, GetDlgItem(dialog, IDC_MMSVIEW_OBJECTS)); });
  };
  auto view = [](HWND dialog, HWND objects, int row) {
    SendMessageA(objects, LB_SETCURSEL, row, 0);
    SendMessageA(dialog, WM_COMMAND, IDC_MMSVIEW_VIEW, 0);
  };
  details("m1.HDR", [&](HWND dialog, HWND objects) {
    EXPECT_EQ(Text(dialog, IDC_MMSVIEW_HEADER), header);
    DWORD start = 1, end = 2;
    SendDlgItemMessageA(dialog, IDC_MMSVIEW_HEADER, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end) << "no text selected";
    Texts items;
    for (int i = 0; i < SendMessageA(objects, LB_GETCOUNT, 0, 0); ++i) {
      char text[2048] = "";
      SendMessageA(objects, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    EXPECT_EQ(items, (Texts{"PRESENTATION (application/smil)\tm1\\PRESENTATION", "BODYTEXT (text/plain)\tm1\\BODYTEXT",
                            "card.zedview (image/jpeg)\tm1\\card.zedview"}))
        << "header order, although the list has the sorted style";
    EXPECT_EQ(SendMessageA(objects, LB_GETCURSEL, 0, 0), 0);
    for (int row : {0, 2}) {
      view(dialog, objects, row);
      HWND notepad = WaitForNotepad(row == 0 ? "PRESENTATION" : "card", 20000);
      ASSERT_NE(notepad, nullptr) << row;
      EXPECT_TRUE(CloseNotepad(notepad));
    }
  });
  for (int i = 0; i < 3; ++i) boxes_.Answer(IDOK);
  details("m2.HDR", [&](HWND dialog, HWND objects) {
    for (int row = 0; row < 3; ++row) view(dialog, objects, row);
  });
  for (const char* name : {"plain.HDR", "held.HDR", "missing.HDR"}) {
    details(name, [&](HWND dialog, HWND objects) {
      EXPECT_EQ(SendMessageA(objects, LB_GETCOUNT, 0, 0), 0) << name;
      view(dialog, objects, 0);
    });
  }
  CloseHandle(service);
  EXPECT_EQ(WaitForNotepad("", 2000), nullptr) << "nothing else was opened";
  const std::string outside = "error OK: This content object lies outside the message's folder and is not opened.";
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (Texts{outside, "error OK: This content object is a program or script and is not opened.", outside}));
}

}  // namespace
