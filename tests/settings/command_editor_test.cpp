// The "2-Way SMS Command" editor on its own: OK checked against the real
// file system, and the caller's buffer (the page shows what it returns).
#include "settings/command_editor.h"

#include "common/file_util.h"
#include "resources/two_way_ids.h"
#include "settings/settings_dialogs.h"
#include "settings/two_way_entry.h"

namespace {

// Opens the editor on an empty entry of cap characters, types the command
// and presses OK; a refused command is cancelled. The result and the entry.
std::pair<INT_PTR, std::string> Edit(const std::string& command, size_t cap = kTwoWayEntrySize) {
  std::string buffer(cap + 16, '#');  // guard bytes after the capacity
  buffer[0] = '\0';
  INT_PTR result = 0;
  InDialog("2-Way SMS Command", [&] { result = ShowCommandEditor(nullptr, &buffer[0], cap); }, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_2WAY_PREFIX, "PREFIX");
    SetDlgItemTextA(dialog, IDC_2WAY_COMMAND, command.c_str());
    Ok(dialog);
    if (!IsWindowVisible(dialog)) return;
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_2WAY_COMMAND)) << "the editor stays open";
    Cancel(dialog);
  });
  EXPECT_EQ(buffer.substr(cap), std::string(16, '#')) << "nothing written past the capacity";
  return {result, buffer.c_str()};
}

}  // namespace

TEST(CommandEditorTest, OkLooksForTheProgramFileAndFillsNoMoreThanTheBuffer) {
  TempDataDirectory dir("2way");
  MessageBoxAnswerer boxes;
  const std::string folder = dir.Path();
  CreateDirectoryPath((folder + "Program.Files").c_str());
  WriteFileText(folder + "responder.exe", "MZ");
  boxes.Answer(IDOK);
  EXPECT_EQ(Edit(folder + "Program.Files @@SMS@@"), std::make_pair(INT_PTR(IDCANCEL), std::string()))
      << "a folder is no program";
  // Found with .EXE added; stored as typed.
  EXPECT_EQ(Edit(folder + "responder @@SMS@@"), std::make_pair(INT_PTR(IDOK), "PREFIX\t" + folder + "responder @@SMS@@\tNo"));
  EXPECT_EQ(Edit("http://host/@@SMS@@", 12).second, "PREFIX\thttp") << "eleven characters and the NUL";
  EXPECT_EQ(BoxLines(boxes.Boxes()),
            Texts{"error OK: Cannot locate program file:  " + folder +
                  "Program.Files\r\n\r\nPlease specify an http://url, or a valid executable file name."});
}
