// The received MMS details dialog: header text, content objects, View.
#include "queues/mms_details_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "config/config_files.h"
#include "queues/queue_store.h"
#include "queues/viewer_driver.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

constexpr int kHeaderLabel = 101;
constexpr int kHeader = 102;
constexpr int kObjects = 103;
constexpr int kObjectsLabel = 104;
constexpr int kView = 105;

std::vector<std::string> Items(HWND dialog) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendDlgItemMessageA(dialog, kObjects, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    // Wide: the ANSI conversion of the test system's list box overruns a
    // fixed buffer with items of more than 511 characters.
    WCHAR wide[4096] = L"";
    if (SendDlgItemMessageW(dialog, kObjects, LB_GETTEXTLEN, i, 0) < 4096)
      SendDlgItemMessageW(dialog, kObjects, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
    char text[8192] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    items.push_back(text);
  }
  return items;
}

int Selected(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, kObjects, LB_GETCURSEL, 0, 0)); }

class MmsDetailsTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
  }
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    CloseAllNotepads();
  }
  INT_PTR Run(const std::string& header, std::function<void(HWND)> action) {
    WindowDriver driver("MMS Message Details", std::move(action));
    INT_PTR result = MmsDetailsDialog(nullptr, header.c_str());
    EXPECT_TRUE(driver.Appeared());
    return result;
  }
  void Put(const std::string& relative, const std::string& bytes) {
    ASSERT_TRUE(WriteStoreFile(stores_.mmsIn + relative, bytes)) << relative;
  }

  TempDataDirectory dir_{"details"};
  StoreDirectories stores_;
  MessageBoxAnswerer boxes_;
};

TEST_F(MmsDetailsTest, HeaderTextAndObjectsInHeaderOrder) {
  const std::string header =
      "From: +4471/TYPE=PLMN\r\n"
      "X-ZedMMS-Content-Location: m1\\zeta.txt;text/plain\r\n"
      "x-zedmms-content-location:   m1\\alpha.jpg;image/jpeg;Name=alpha\r\n"
      "X-ZedMMS-Content-Location: m1\\pres.smil;application/smil\r\n"
      "X-ZedMMS-Content-Location: bare\r\n"
      "Subject: objects\r\n";
  Put("m1.HDR", header);
  INT_PTR result = Run(stores_.mmsIn + "m1.HDR", [&](HWND dialog) {
    EXPECT_EQ(WindowTitle(dialog), "MMS Message Details");
    EXPECT_EQ(DialogItemText(dialog, kHeaderLabel), "Message Header:");
    EXPECT_EQ(DialogItemText(dialog, kObjectsLabel), "Content Objects:");
    EXPECT_EQ(DialogItemText(dialog, kView), "View");
    EXPECT_EQ(DialogItemText(dialog, IDOK), "OK");
    EXPECT_EQ(DialogItemText(dialog, IDCANCEL), "Cancel");
    EXPECT_EQ(DialogItemText(dialog, kHeader), header);
    DWORD start = 1, end = 2;
    SendDlgItemMessageA(dialog, kHeader, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end) << "no text selected";
    EXPECT_EQ(Items(dialog), (std::vector<std::string>{"zeta.txt (text/plain)\tm1\\zeta.txt",
                                                       "alpha.jpg (image/jpeg)\tm1\\alpha.jpg",
                                                       "pres.smil (application/smil)\tm1\\pres.smil",
                                                       "bare\tbare"}))
        << "header order, although the list has the sorted style";
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, kObjects), GWL_STYLE) & LBS_SORT);
    EXPECT_EQ(Selected(dialog), 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, 1);
}

TEST_F(MmsDetailsTest, WithoutContentLinesViewDoesNothing) {
  Put("plain.HDR", "From: +1\r\nSubject: no objects\r\n");
  INT_PTR result = Run(stores_.mmsIn + "plain.HDR", [&](HWND dialog) {
    EXPECT_TRUE(Items(dialog).empty());
    EXPECT_EQ(Selected(dialog), LB_ERR);
    PostMessageA(dialog, WM_COMMAND, kView, 0);
    EXPECT_EQ(WaitForNotepad("", 2000), nullptr);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(result, 0);
}

TEST_F(MmsDetailsTest, UnreadableHeaderStillOpens) {
  Run(stores_.mmsIn + "missing.HDR", [&](HWND dialog) {
    EXPECT_EQ(DialogItemText(dialog, kHeader), "");
    EXPECT_TRUE(Items(dialog).empty());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Put("held.HDR", "X-ZedMMS-Content-Location: a.txt\r\n");
  HANDLE service = CreateFileA((stores_.mmsIn + "held.HDR").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(service, INVALID_HANDLE_VALUE);
  Run(stores_.mmsIn + "held.HDR", [&](HWND dialog) {
    EXPECT_TRUE(Items(dialog).empty());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  CloseHandle(service);
}

TEST_F(MmsDetailsTest, SmilAndTextWithoutExtensionOpenInNotepad) {
  Put("m2.HDR",
      "X-ZedMMS-Content-Location: m2\\PRESENTATION;application/smil\r\n"
      "X-ZedMMS-Content-Location: m2\\BODYTEXT;text/plain;charset=utf-8\r\n");
  Put("m2\\PRESENTATION", "<smil></smil>");
  Put("m2\\BODYTEXT", "hello");
  Run(stores_.mmsIn + "m2.HDR", [&](HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, kView, 0);
    HWND notepad = WaitForNotepad("PRESENTATION", 20000);
    ASSERT_NE(notepad, nullptr) << "SMIL opens in Notepad";
    EXPECT_TRUE(CloseNotepad(notepad));
    SendDlgItemMessageA(dialog, kObjects, LB_SETCURSEL, 1, 0);
    // A double-click on the item is the same as View.
    HWND list = GetDlgItem(dialog, kObjects);
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    LPARAM point = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(list, WM_LBUTTONUP, 0, point);
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageA(list, WM_LBUTTONUP, 0, point);
    notepad = WaitForNotepad("BODYTEXT", 20000);
    ASSERT_NE(notepad, nullptr) << "text without an extension opens in Notepad";
    EXPECT_TRUE(CloseNotepad(notepad));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

// A file type of the test's own, opened by Notepad: a Notepad window with the
// object's name shows that the shell was asked to open the whole path.
class TestFileType {
 public:
  TestFileType() {
    SetValue("Software\\Classes\\.zedview", "ZedView.Test");
    SetValue("Software\\Classes\\ZedView.Test\\shell\\open\\command", "notepad.exe \"%1\"");
  }
  ~TestFileType() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\ZedView.Test");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zedview");
  }

 private:
  static void SetValue(const char* path, const char* value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(key);
  }
};

TEST_F(MmsDetailsTest, ObjectWithAnExtensionOpensThroughTheShell) {
  TestFileType fileType;
  Put("m3.HDR",
      "X-ZedMMS-Content-Location: m3\\letter.zedview;text/plain\r\n"
      "X-ZedMMS-Content-Location: m3\\card.zedview;image/jpeg\r\n");
  Put("m3\\letter.zedview", "dear");
  Put("m3\\card.zedview", "jpeg");
  Run(stores_.mmsIn + "m3.HDR", [&](HWND dialog) {
    EXPECT_EQ(Items(dialog), (std::vector<std::string>{"letter.zedview (text/plain)\tm3\\letter.zedview",
                                                       "card.zedview (image/jpeg)\tm3\\card.zedview"}));
    PostMessageA(dialog, WM_COMMAND, kView, 0);
    HWND notepad = WaitForNotepad("letter", 20000);
    ASSERT_NE(notepad, nullptr) << "text with an extension goes to the program of its type";
    EXPECT_TRUE(CloseNotepad(notepad));
    SendDlgItemMessageA(dialog, kObjects, LB_SETCURSEL, 1, 0);
    PostMessageA(dialog, WM_COMMAND, kView, 0);
    notepad = WaitForNotepad("card", 20000);
    ASSERT_NE(notepad, nullptr);
    EXPECT_TRUE(CloseNotepad(notepad));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(MmsDetailsTest, LongItemsAreCut) {
  std::string path(3000, 'p');
  Put("m4.HDR", "X-ZedMMS-Content-Location: " + path + ";text/plain\r\n"
                "X-ZedMMS-Content-Location: m4\\ok.txt;" + std::string(200, 't') + ";x\r\n");
  Run(stores_.mmsIn + "m4.HDR", [&](HWND dialog) {
    std::vector<std::string> items = Items(dialog);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].size(), 2047u) << "an item holds 2047 characters";
    EXPECT_EQ(items[1], "ok.txt (" + std::string(149, 't') + ")\tm4\\ok.txt") << "a type keeps 149";
    PostMessageA(dialog, WM_COMMAND, kView, 0);  // the cut item has no path after a tab: nothing opens
    EXPECT_EQ(WaitForNotepad("", 2000), nullptr);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

}  // namespace
