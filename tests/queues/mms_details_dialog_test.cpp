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
#include "resources/page_ids.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

std::vector<std::string> Items(HWND dialog) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_MMSVIEW_OBJECTS, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[2048] = "";
    SendDlgItemMessageA(dialog, IDC_MMSVIEW_OBJECTS, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

// Views the object in the row and waits for the Notepad window it opens.
void ViewIn(HWND dialog, int row, const char* name) {
  SendDlgItemMessageA(dialog, IDC_MMSVIEW_OBJECTS, LB_SETCURSEL, row, 0);
  PostMessageA(dialog, WM_COMMAND, IDC_MMSVIEW_VIEW, 0);
  HWND notepad = WaitForNotepad(name, 20000);
  ASSERT_NE(notepad, nullptr) << name;
  EXPECT_TRUE(CloseNotepad(notepad));
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

class MmsDetailsTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
  }
  void TearDown() override { CloseAllNotepads(); }
  void Walk(const std::string& header, const std::function<void(HWND)>& steps) {
    WalkDialog("MMS Message Details", [&] { MmsDetailsDialog(nullptr, (stores_.mmsIn + header).c_str()); }, steps);
  }
  void Put(const std::string& relative, const std::string& bytes) {
    ASSERT_TRUE(WriteStoreFile(stores_.mmsIn + relative, bytes)) << relative;
  }

  TempDataDirectory dir_{"details"};
  StoreDirectories stores_;
};

TEST_F(MmsDetailsTest, ObjectsInHeaderOrderOpenInNotepadOrThroughTheShell) {
  TestFileType fileType;
  const std::string header =
      "From: +4471/TYPE=PLMN\r\n"
      "X-ZedMMS-Content-Location: m1\\PRESENTATION;application/smil\r\n"
      "x-zedmms-content-location:   m1\\BODYTEXT;text/plain;charset=utf-8\r\n"
      "X-ZedMMS-Content-Location: m1\\card.zedview;image/jpeg\r\n"
      "Subject: objects\r\n";
  Put("m1.HDR", header);
  Put("m1\\PRESENTATION", "<smil></smil>");
  Put("m1\\BODYTEXT", "hello");
  Put("m1\\card.zedview", "jpeg");
  Walk("m1.HDR", [&](HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_MMSVIEW_HEADER), header);
    DWORD start = 1, end = 2;
    SendDlgItemMessageA(dialog, IDC_MMSVIEW_HEADER, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end) << "no text selected";
    EXPECT_EQ(Items(dialog), (std::vector<std::string>{"PRESENTATION (application/smil)\tm1\\PRESENTATION",
                                                       "BODYTEXT (text/plain)\tm1\\BODYTEXT",
                                                       "card.zedview (image/jpeg)\tm1\\card.zedview"}))
        << "header order, although the list has the sorted style";
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MMSVIEW_OBJECTS, LB_GETCURSEL, 0, 0), 0);
    ViewIn(dialog, 0, "PRESENTATION");
    ViewIn(dialog, 1, "BODYTEXT");
    ViewIn(dialog, 2, "card");
  });
}

TEST_F(MmsDetailsTest, HeaderWithoutObjectsOrUnreadableStillOpens) {
  Put("plain.HDR", "From: +1\r\nSubject: no objects\r\n");
  Put("held.HDR", "X-ZedMMS-Content-Location: a.txt\r\n");
  HANDLE service = CreateFileA((stores_.mmsIn + "held.HDR").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
  ASSERT_NE(service, INVALID_HANDLE_VALUE);
  for (const char* header : {"plain.HDR", "held.HDR", "missing.HDR"}) {
    Walk(header, [&](HWND dialog) {
      EXPECT_TRUE(Items(dialog).empty()) << header;
      PostMessageA(dialog, WM_COMMAND, IDC_MMSVIEW_VIEW, 0);
      EXPECT_EQ(WaitForNotepad("", 2000), nullptr) << header;
    });
  }
  CloseHandle(service);
}

// Content paths come from outside the machine: only the message's own files
// open, and never a program.
TEST_F(MmsDetailsTest, ObjectsOutsideTheMessageAndProgramsAreRefused) {
  TestFileType fileType;
  Put("m2.HDR",
      "X-ZedMMS-Content-Location: ..\\..\\outside.zedview;application/octet-stream\r\n"
      "X-ZedMMS-Content-Location: m2\\run.exe.;application/octet-stream\r\n"
      "X-ZedMMS-Content-Location: m1\\other.zedview;image/jpeg\r\n");
  Put("..\\..\\outside.zedview", "x");
  Put("m2\\run.exe", "MZ");
  Put("m1\\other.zedview", "another message's");
  MessageBoxAnswerer boxes;
  for (int i = 0; i < 3; ++i) boxes.Answer(IDOK);
  Walk("m2.HDR", [&](HWND dialog) {
    for (int row = 0; row < 3; ++row) {
      SendDlgItemMessageA(dialog, IDC_MMSVIEW_OBJECTS, LB_SETCURSEL, row, 0);
      PostMessageA(dialog, WM_COMMAND, IDC_MMSVIEW_VIEW, 0);
      EXPECT_TRUE(WaitUntil([&] { return boxes.Boxes().size() > static_cast<size_t>(row); }, 5000)) << row;
    }
    EXPECT_EQ(WaitForNotepad("", 1000), nullptr) << "nothing was opened";
  });
  std::vector<std::string> texts;
  for (const auto& box : boxes.Boxes()) texts.push_back(box.text);
  const std::string outside = "This content object lies outside the message's folder and is not opened.";
  EXPECT_EQ(texts, (std::vector<std::string>{outside, "This content object is a program or script and is not opened.",
                                             outside}));
}

}  // namespace
