// The "2-Way SMS Command" editor on its own: the entry it shows and returns,
// the checks of OK against the file system, and the caller's buffer.
#include "settings/command_editor.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "app/app_state.h"
#include "common/file_util.h"
#include "resources/two_way_ids.h"
#include "settings/two_way_entry.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

void Type(HWND dialog, const char* prefix, const std::string& command, bool response) {
  SetDlgItemTextA(dialog, IDC_2WAY_PREFIX, prefix);
  SetDlgItemTextA(dialog, IDC_2WAY_COMMAND, command.c_str());
  CheckDlgButton(dialog, IDC_2WAY_RETURNS_RESPONSE, response ? BST_CHECKED : BST_UNCHECKED);
}

class CommandEditorTest : public testing::Test {
 protected:
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  // Opens the editor on entry and acts in it; the result and the entry after.
  INT_PTR Edit(std::string* entry, std::function<void(HWND)> action, size_t cap = kTwoWayEntrySize) {
    std::string buffer(cap + 16, '#');  // guard bytes after the capacity
    memcpy(&buffer[0], entry->c_str(), entry->size() + 1);
    WindowDriver driver("2-Way SMS Command", std::move(action));
    INT_PTR result = ShowCommandEditor(nullptr, &buffer[0], cap);
    EXPECT_TRUE(driver.Appeared());
    EXPECT_EQ(buffer.substr(cap), std::string(16, '#')) << "nothing written past the capacity";
    *entry = buffer.c_str();
    return result;
  }

  TempDataDirectory dir_{"2way"};
  std::string folder_ = dir_.Path();
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(CommandEditorTest, OkChecksTheCommandAndItsProgramFile) {
  CreateDirectoryPath((folder_ + "Program Files\\My Tools").c_str());
  CreateDirectoryPath((folder_ + "Program.Files").c_str());
  for (const char* file : {"Program Files\\My Tools\\reply tool.exe", "responder.exe", "script.bat.EXE"})
    WriteFileText(folder_ + file, "MZ");
  const std::string replacement =
      "You must include one or more of the following replacement strings in the command to be executed:\r\n\r\n"
      "@@SENDER@@ - Will contain the phone number of the sender of the inbound SMS message\r\n"
      "@@SMS@@ - Will contain the text of the SMS message without the command prefix\r\n"
      "@@FULLSMS@@ - Will contain the complete text of the SMS message, including the command prefix";
  auto missing = [](const std::string& program) {
    return "Cannot locate program file:  " + program +
           "\r\n\r\nPlease specify an http://url, or a valid executable file name.";
  };
  const struct {
    std::string command;
    bool response;
    std::string refusal;  // empty: accepted and stored as typed
  } rows[] = {
      {"", true, "Field is required!"},
      {"MailTo:someone@example.com?body=@@SMS@@", false, "mailto: not supported by this edition of ZedSMS"},
      {"http://host/app", false, replacement},  // a URL needs a replacement string too
      {"c:\\nowhere\\app.exe", false, replacement},
      {"HTTPSPOST://host/app", true, ""},  // returning the response needs none; no program check
      {"\"" + folder_ + "Program Files\\My Tools\\reply tool.exe\" -t @@SMS@@", false, ""},
      {"\"" + folder_ + "Program Files\\My Tools\\reply tool.exe @@SMS@@", false, missing(folder_ + "Program.EXE")},
      {folder_ + "responder @@FULLSMS@@", false, ""},  // tried again with .EXE
      {folder_ + "missing @@SMS@@", false, missing(folder_ + "missing.EXE")},
      {folder_ + "script.bat @@SMS@@", false, missing(folder_ + "script.bat")},  // a dot: only as typed
      {folder_ + "Program.Files @@SMS@@", false, missing(folder_ + "Program.Files")},  // a folder
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    if (!row.refusal.empty()) boxes_.Answer(IDOK);
    std::string entry;
    INT_PTR result = Edit(&entry, [&](HWND dialog) {
      Type(dialog, "A", row.command, row.response);
      Ok(dialog);
      if (row.refusal.empty()) return;
      EXPECT_TRUE(IsWindowVisible(dialog)) << "the editor stays open";
      EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_2WAY_COMMAND));
      Cancel(dialog);
    });
    if (row.refusal.empty()) {
      EXPECT_EQ(result, IDOK);
      EXPECT_EQ(entry, "A\t" + row.command + (row.response ? "\tYes" : "\tNo"));
      continue;
    }
    ASSERT_FALSE(boxes_.Boxes().empty());
    MessageBoxRecord box = boxes_.Boxes().back();
    EXPECT_EQ(box.text, row.refusal);
    EXPECT_EQ(box.caption, kProductCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
  }
  EXPECT_EQ(boxes_.Boxes().size(), 8u);
}

TEST_F(CommandEditorTest, AnEntryIsShownCutToTheFieldsAndReturnedOnlyOnOk) {
  std::string prefix(150, 'p');
  std::string command = "http://host/" + std::string(1500, 'c');
  const std::string stored = prefix + "\t" + command + "\tYes";
  std::string entry = stored;
  auto check = [&](HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_2WAY_PREFIX), prefix.substr(0, 99));
    EXPECT_EQ(Text(dialog, IDC_2WAY_COMMAND), command.substr(0, 1023));
    EXPECT_TRUE(Checked(dialog, IDC_2WAY_RETURNS_RESPONSE));
    // Typing cannot go past the limits either.
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_2WAY_PREFIX, EM_GETLIMITTEXT, 0, 0), 99);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_2WAY_COMMAND, EM_GETLIMITTEXT, 0, 0), 1023);
  };
  EXPECT_EQ(Edit(&entry, [&](HWND dialog) {
              check(dialog);
              Type(dialog, "", "http://host/?m=@@SMS@@", false);
              Cancel(dialog);
            }, 4096),
            IDCANCEL);
  EXPECT_EQ(entry, stored);
  EXPECT_EQ(Edit(&entry, [&](HWND dialog) {
              check(dialog);
              Ok(dialog);
            }, 4096),
            IDOK);
  EXPECT_EQ(entry, prefix.substr(0, 99) + "\t" + command.substr(0, 1023) + "\tYes");
  EXPECT_EQ(Edit(&entry, [](HWND dialog) {
              Type(dialog, "", "http://host/sms?from=@@SENDER@@", false);
              Ok(dialog);
            }),
            IDOK);
  EXPECT_EQ(entry, "*\thttp://host/sms?from=@@SENDER@@\tNo") << "an empty prefix is a star";

  // A caller's smaller buffer is filled to its capacity and no further.
  std::string small;
  EXPECT_EQ(Edit(&small, [&](HWND dialog) {
              Type(dialog, "SMALL", "http://host/@@SMS@@", false);
              Ok(dialog);
            }, 12),
            IDOK);
  EXPECT_EQ(small, "SMALL\thttp:") << "eleven characters and the NUL";
}
