// The "2-Way SMS Command" editor on its own: what it shows for an entry, the
// checks of OK in their order with their messages, and the entry it returns.
#include "settings/command_editor.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "common/file_util.h"
#include "settings/two_way_entry.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kTitle[] = "2-Way SMS Command";
constexpr int kPrefixLabel = 101, kPrefix = 102, kCommandLabel = 103, kCommand = 104, kResponse = 105;
const char kReplacementMessage[] =
    "You must include one or more of the following replacement strings in the command to be executed:\r\n\r\n"
    "@@SENDER@@ - Will contain the phone number of the sender of the inbound SMS message\r\n"
    "@@SMS@@ - Will contain the text of the SMS message without the command prefix\r\n"
    "@@FULLSMS@@ - Will contain the complete text of the SMS message, including the command prefix";

void Type(HWND dialog, const char* prefix, const std::string& command, bool response) {
  SetDlgItemTextA(dialog, kPrefix, prefix);
  SetDlgItemTextA(dialog, kCommand, command.c_str());
  CheckDlgButton(dialog, kResponse, response ? BST_CHECKED : BST_UNCHECKED);
}

class CommandEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "zed-2way-" + std::to_string(GetCurrentProcessId()) + "\\";
    DeleteDirectoryTree(folder_.c_str());
    CreateDirectoryPath((folder_ + "Program Files\\My Tools").c_str());
  }
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    DeleteDirectoryTree(folder_.c_str());
  }
  // Opens the editor on entry and acts in it; the result and the entry after.
  INT_PTR Edit(std::string* entry, std::function<void(HWND)> action, size_t cap = kTwoWayEntrySize) {
    EXPECT_LT(entry->size(), cap);
    std::string buffer(cap + 16, '#');  // guard bytes after the capacity
    memcpy(&buffer[0], entry->c_str(), entry->size() + 1);
    WindowDriver driver(kTitle, std::move(action));
    INT_PTR result = ShowCommandEditor(nullptr, &buffer[0], cap);
    EXPECT_TRUE(driver.Appeared());
    EXPECT_EQ(buffer.substr(cap), std::string(16, '#')) << "nothing written past the capacity";
    *entry = buffer.c_str();
    return result;
  }
  // OK with the fields as typed is refused with this message.
  void ExpectRefused(HWND dialog, const std::string& message) {
    size_t before = boxes_.Boxes().size();
    boxes_.Answer(IDOK);
    Ok(dialog);
    ASSERT_EQ(boxes_.Boxes().size(), before + 1);
    MessageBoxRecord box = boxes_.Boxes().back();
    EXPECT_EQ(box.text, message);
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the editor stays open";
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, kCommand));
  }
  void MakeFile(const std::string& path) { WriteFileText(folder_ + path, "MZ"); }

  std::string folder_;
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(CommandEditorTest, ANewCommandStartsEmptyAndCancelChangesNothing) {
  std::string entry;
  INT_PTR result = Edit(&entry, [](HWND dialog) {
    EXPECT_EQ(InternalText(dialog), kTitle);
    EXPECT_EQ(Text(dialog, kPrefixLabel), "SMS Command Prefix:");
    EXPECT_EQ(Text(dialog, kCommandLabel), "Command to Execute:");
    EXPECT_EQ(Text(dialog, kResponse), "Command returns response text");
    EXPECT_EQ(Text(dialog, IDOK), "&OK");
    EXPECT_EQ(Text(dialog, IDCANCEL), "&Cancel");
    EXPECT_EQ(Text(dialog, kPrefix), "");
    EXPECT_EQ(Text(dialog, kCommand), "");
    EXPECT_FALSE(Checked(dialog, kResponse));
    Type(dialog, "X", "http://host/?m=@@SMS@@", true);
    Cancel(dialog);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(entry, "");
}

TEST_F(CommandEditorTest, OpensTheEntrySplitAtItsTabs) {
  std::string entry = "HELP\tC:\\bin\\help.exe @@SENDER@@\tYes";
  Edit(&entry, [](HWND dialog) {
    EXPECT_EQ(Text(dialog, kPrefix), "HELP");
    EXPECT_EQ(Text(dialog, kCommand), "C:\\bin\\help.exe @@SENDER@@");
    EXPECT_TRUE(Checked(dialog, kResponse));
    Cancel(dialog);
  });
  EXPECT_EQ(entry, "HELP\tC:\\bin\\help.exe @@SENDER@@\tYes") << "Cancel leaves the entry";
  entry = "INFO\thttp://x/?t=@@SMS@@\tNo";
  Edit(&entry, [](HWND dialog) {
    EXPECT_FALSE(Checked(dialog, kResponse));
    Cancel(dialog);
  });
}

TEST_F(CommandEditorTest, AnEmptyPrefixIsStoredAsAStar) {
  std::string entry;
  INT_PTR result = Edit(&entry, [](HWND dialog) {
    Type(dialog, "", "http://host/sms?from=@@SENDER@@", false);
    Ok(dialog);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(entry, "*\thttp://host/sms?from=@@SENDER@@\tNo");
}

TEST_F(CommandEditorTest, OkChecksInOrderAndKeepsTheEditorOpenOnTheCommand) {
  std::string entry;
  INT_PTR result = Edit(&entry, [this](HWND dialog) {
    Type(dialog, "A", "", true);
    ExpectRefused(dialog, "Field is required!");
    Type(dialog, "A", "MailTo:someone@example.com?body=@@SMS@@", false);
    ExpectRefused(dialog, "mailto: not supported by this edition of ZedSMS");
    Type(dialog, "A", "http://host/app", false);
    ExpectRefused(dialog, kReplacementMessage);  // a URL needs a replacement string too
    Type(dialog, "A", "c:\\nowhere\\app.exe", false);
    ExpectRefused(dialog, kReplacementMessage);
    Click(dialog, kResponse);  // a command that returns the response text needs none
    Type(dialog, "A", "HTTPSPOST://host/app", true);
    Ok(dialog);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(entry, "A\tHTTPSPOST://host/app\tYes");
}

TEST_F(CommandEditorTest, EveryUrlSchemeIsAcceptedWithoutAProgramCheck) {
  for (const char* url : {"http://h/@@SMS@@", "https://h/@@SMS@@", "httppost://h/@@SMS@@", "httpspost://h/@@SMS@@"}) {
    std::string entry;
    EXPECT_EQ(Edit(&entry, [url](HWND dialog) {
                Type(dialog, "U", url, false);
                Ok(dialog);
              }),
              IDOK)
        << url;
    EXPECT_EQ(entry, std::string("U\t") + url + "\tNo");
  }
}

TEST_F(CommandEditorTest, AQuotedProgramPathWithSpacesIsCheckedBetweenTheQuotes) {
  MakeFile("Program Files\\My Tools\\reply tool.exe");
  std::string command = "\"" + folder_ + "Program Files\\My Tools\\reply tool.exe\" -t @@SMS@@";
  std::string entry;
  EXPECT_EQ(Edit(&entry, [&](HWND dialog) {
              Type(dialog, "Q", command, false);
              Ok(dialog);
            }),
            IDOK);
  EXPECT_EQ(entry, "Q\t" + command + "\tNo") << "the command exactly as typed";

  // Only a leading quote: it is ignored, and the path ends at the first space.
  std::string unclosed = "\"" + folder_ + "Program Files\\My Tools\\reply tool.exe @@SMS@@";
  std::string tried = folder_ + "Program";
  Edit(&entry, [&](HWND dialog) {
    Type(dialog, "Q", unclosed, false);
    ExpectRefused(dialog, "Cannot locate program file:  " + tried +
                              ".EXE\r\n\r\nPlease specify an http://url, or a valid executable file name.");
    Cancel(dialog);
  });
}

TEST_F(CommandEditorTest, AProgramWithoutADotIsTriedAgainWithExe) {
  MakeFile("responder.exe");
  std::string entry;
  EXPECT_EQ(Edit(&entry, [&](HWND dialog) {
              Type(dialog, "R", folder_ + "responder @@FULLSMS@@", false);
              Ok(dialog);
            }),
            IDOK);
  EXPECT_EQ(entry, "R\t" + folder_ + "responder @@FULLSMS@@\tNo") << "stored as typed, without .EXE";

  Edit(&entry, [&](HWND dialog) {
    Type(dialog, "R", folder_ + "missing @@SMS@@", false);
    ExpectRefused(dialog, "Cannot locate program file:  " + folder_ +
                              "missing.EXE\r\n\r\nPlease specify an http://url, or a valid executable file name.");
    Cancel(dialog);
  });
}

TEST_F(CommandEditorTest, AProgramWithADotIsTriedOnlyAsTyped) {
  MakeFile("script.bat.EXE");  // would be found if .EXE were appended
  std::string entry;
  Edit(&entry, [&](HWND dialog) {
    Type(dialog, "S", folder_ + "script.bat @@SMS@@", false);
    ExpectRefused(dialog, "Cannot locate program file:  " + folder_ +
                              "script.bat\r\n\r\nPlease specify an http://url, or a valid executable file name.");
    Cancel(dialog);
  });
}

TEST_F(CommandEditorTest, AFolderIsNoProgram) {
  CreateDirectoryPath((folder_ + "Program.Files").c_str());
  std::string entry;
  Edit(&entry, [&](HWND dialog) {
    Type(dialog, "F", folder_ + "Program.Files @@SMS@@", false);
    ExpectRefused(dialog, "Cannot locate program file:  " + folder_ +
                              "Program.Files\r\n\r\nPlease specify an http://url, or a valid executable file name.");
    Cancel(dialog);
  });
}

TEST_F(CommandEditorTest, OverlongEntriesAreCutToTheFieldsAndTheBuffer) {
  std::string prefix(150, 'p');
  std::string command = "http://host/" + std::string(1500, 'c');
  std::string entry = prefix + "\t" + command + "\tYes";
  INT_PTR result = Edit(&entry, [&](HWND dialog) {
    EXPECT_EQ(Text(dialog, kPrefix), prefix.substr(0, 99));
    EXPECT_EQ(Text(dialog, kCommand), command.substr(0, 1023));
    // Typing cannot go past the limits either.
    EXPECT_EQ(SendDlgItemMessageA(dialog, kPrefix, EM_GETLIMITTEXT, 0, 0), 99);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kCommand, EM_GETLIMITTEXT, 0, 0), 1023);
    Ok(dialog);
  }, 4096);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(entry, prefix.substr(0, 99) + "\t" + command.substr(0, 1023) + "\tYes");

  // A caller's smaller buffer is filled to its capacity and no further.
  std::string small;
  EXPECT_EQ(Edit(&small, [&](HWND dialog) {
              Type(dialog, "SMALL", "http://host/@@SMS@@", false);
              Ok(dialog);
            }, 12),
            IDOK);
  EXPECT_EQ(small, "SMALL\thttp:") << "eleven characters and the NUL";
}
