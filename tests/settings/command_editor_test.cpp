// The "2-Way SMS Command" editor on its own: the checks of OK against the
// file system, and the caller's buffer (the page shows what it returns).
#include "settings/command_editor.h"

#include "common/file_util.h"
#include "resources/two_way_ids.h"
#include "settings/settings_dialogs.h"
#include "settings/two_way_entry.h"

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
  INT_PTR Edit(std::string* entry, const std::function<void(HWND)>& action, size_t cap = kTwoWayEntrySize) {
    std::string buffer(cap + 16, '#');  // guard bytes after the capacity
    memcpy(&buffer[0], entry->c_str(), entry->size() + 1);
    INT_PTR result = 0;
    InDialog("2-Way SMS Command", [&] { result = ShowCommandEditor(nullptr, &buffer[0], cap); }, action);
    EXPECT_EQ(buffer.substr(cap), std::string(16, '#')) << "nothing written past the capacity";
    *entry = buffer.c_str();
    return result;
  }

  TempDataDirectory dir_{"2way"};
  std::string folder_ = dir_.Path();
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(CommandEditorTest, OkChecksTheCommandAndItsProgramFileAndFillsNoMoreThanTheBuffer) {
  CreateDirectoryPath((folder_ + "Program.Files").c_str());
  WriteFileText(folder_ + "responder.exe", "MZ");
  const std::string missing = "error OK: Cannot locate program file:  ";
  const struct {
    std::string command;
    bool response;
    std::string refusal;  // empty: accepted and stored as typed
  } rows[] = {
      {"", true, "error OK: Field is required!"},
      {"MailTo:someone@example.com?body=@@SMS@@", false, "error OK: mailto: not supported by this edition of ZedSMS"},
      {"http://host/app", false, "error OK: You must include one or more of the following replacement strings"},
      {"http://host/app", true, ""},
      {folder_ + "responder @@FULLSMS@@", false, ""},  // tried again with .EXE
      {"\"" + folder_ + "Program Files\\reply.exe @@SMS@@", false, missing + folder_ + "Program.EXE\r\n\r\n"
                                                                   "Please specify an http://url, or a valid executable file name."},
      {folder_ + "Program.Files @@SMS@@", false, missing + folder_ + "Program.Files"},  // a folder
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    if (!row.refusal.empty()) boxes_.Answer(IDOK);
    std::string entry;
    INT_PTR result = Edit(&entry, [&](HWND dialog) {
      Type(dialog, "A", row.command, row.response);
      Ok(dialog);
      if (row.refusal.empty()) return;
      EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_2WAY_COMMAND)) << "the editor stays open";
      Cancel(dialog);
    });
    if (row.refusal.empty()) {
      EXPECT_EQ(entry, "A\t" + row.command + (row.response ? "\tYes" : "\tNo"));
      EXPECT_EQ(result, IDOK);
    } else {
      EXPECT_EQ(entry, "") << "Cancel returns nothing";
      ASSERT_FALSE(boxes_.Boxes().empty());
      EXPECT_EQ(BoxLines(boxes_.Boxes()).back().substr(0, row.refusal.size()), row.refusal);
    }
  }
  EXPECT_EQ(boxes_.Boxes().size(), 5u);
  // A caller's smaller buffer is filled to its capacity and no further.
  std::string small;
  Edit(&small, [&](HWND dialog) {
    Type(dialog, "SMALL", "http://host/@@SMS@@", false);
    Ok(dialog);
  }, 12);
  EXPECT_EQ(small, "SMALL\thttp:") << "eleven characters and the NUL";
}
