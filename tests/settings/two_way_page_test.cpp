// The 2-Way tab walked through: routing switches and the check made when
// leaving, the local-user list, the command table with its editor, PHP
// processing, and what Apply stores; and the "Configure MM7 Receiver" dialog,
// with what it saves once its connection test reached a server on loopback.
#include "settings/loopback_servers.h"

#include <prsht.h>

#include "accounts/account_files.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "resources/two_way_ids.h"
#include "settings/mm7_dialog.h"
#include "settings/settings_dialogs.h"
#include "settings/two_way_page.h"

namespace {

const char kEditorTitle[] = "2-Way SMS Command";

void Select(HWND page, int index) { SendDlgItemMessageA(page, IDC_RECV_COMMAND_TABLE, LB_SETCURSEL, index, 0); }

// Presses the button that opens the command editor and types an entry; a
// second entry is typed in the editor that opens again after a clash.
void InEditor(HWND page, int button, const char* prefix, const std::string& command, const char* again = nullptr) {
  InDialog(kEditorTitle, [&] { Press(page, button); }, [&](HWND editor) {
    SetDlgItemTextA(editor, IDC_2WAY_PREFIX, prefix);
    SetDlgItemTextA(editor, IDC_2WAY_COMMAND, command.c_str());
    Ok(editor);
    if (!again) return;
    // The first editor is hidden by then; the second is another window.
    WindowDriver next(kEditorTitle, [&](HWND editor) {
      EXPECT_EQ(Text(editor, IDC_2WAY_COMMAND), command) << "opened again on what was typed";
      SetDlgItemTextA(editor, IDC_2WAY_PREFIX, again);
      Ok(editor);
    });
  });
}

class TwoWayPageTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    CopyText(sheet_.currentModemName, sizeof sheet_.currentModemName, "Acme [USB]");
    char path[32768] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    savedPath_ = path;
    SetEnvironmentVariableA("PATH", "C:\\windows\\system32;C:\\windows");
    SetEnvironmentVariableA("PHPRC", nullptr);
  }
  void TearDown() override {
    boxes_.ExpectAllAnswered();
    SetEnvironmentVariableA("PATH", savedPath_.c_str());
    SetEnvironmentVariableA("PHPRC", nullptr);
  }
  // A sheet of the 2-Way page and one other page; the action closes it.
  void RunOnPage(const std::function<void(HWND, HWND)>& action) {
    RunPageInSheet(&sheet_, {"DIALOG_RECV", "2-Way", TwoWayPageProc}, 0, kProductCaption, action);
  }
  std::string Sms(const char* key) { return Key(g_configFiles.smsIni, "SMSGW", key); }
  std::string Command(unsigned n) { return Sms(("ReceiveSMSCommand" + std::to_string(n)).c_str()); }
  void SetCommand(unsigned n, const std::string& entry) {
    WritePrivateProfileStringA("SMSGW", ("ReceiveSMSCommand" + std::to_string(n)).c_str(), entry.c_str(),
                               g_configFiles.smsIni);
  }

  std::string File() { return dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI"; }

  TempDataDirectory dir_{"twoway"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
  std::string savedPath_;
};

}  // namespace

TEST_F(TwoWayPageTest, CommandsRoutingPhpAndCharsetAreEditedCheckedWhenLeavingAndApplied) {
  for (const char* name : {"carol", "alice"}) StoreUser(UserBytes(name, {}, {{204, 1}}));  // SMPP login
  StoreUser(UserBytes("bob"));
  const std::string folder = dir_.Path(), scripts = folder + "www\\scripts";
  WriteFileText(g_configFiles.smsIni, "[SMSGW]\r\nReceiveSMSCommand1=HELP\thttp://old/@@SMS@@\tNo\r\n"
                                      "ReceiveSMSCommand2=STOP\thttp://stop/@@SMS@@\tNo\r\n"
                                      "ReceiveSMSCommand3=M\thttp://m/@@SMS@@\tNo\r\nReceiveSMSCharset=UTF-8\r\n"
                                      "PHPEnable=Yes\r\nPHPDir=" + scripts + "\r\n");
  WriteFileText(folder + "responder.exe", "MZ");
  for (int answer : {IDNO, IDYES, IDOK}) boxes_.Answer(answer);
  RunOnPage([&](HWND sheet, HWND page) {
    // Every kind of edit must tell the sheet, or closing would drop it unasked.
    auto Edit = [this](const std::function<void()>& edit) {
      sheet_.configDirty = false;
      edit();
      EXPECT_TRUE(sheet_.configDirty);
    };
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_RECV_LOCAL_USER, CB_GETCOUNT, 0, 0), 3) << "none and the SMPP users";
    EXPECT_EQ(Text(page, IDC_RECV_CHARSET), "utf-8") << "matched without regard to case";
    EXPECT_FALSE(sheet_.configDirty || Enabled(sheet, kApplyButton) || Enabled(page, IDC_RECV_COMMAND_TABLE));
    Edit([&] { Click(page, IDC_RECV_PROCESS_SMS); });

    // PHP stored on without the program loads off; it is found far along a
    // long PATH, with a PHPRC too long for its buffer; then the scripts
    // folder is shown and made.
    EXPECT_FALSE(Checked(page, IDC_RECV_PHP_ENABLE) || IsDirectory(scripts.c_str()));
    std::string path;
    for (int i = 0; i < 150; ++i) path += "C:\\no\\such\\folder" + std::to_string(i) + ";";
    CreateDirectoryPath((folder + "php").c_str());
    WriteFileText(folder + "php\\php-cgi.exe", "MZ");
    SetEnvironmentVariableA("PATH", (path + "  " + folder + "php").c_str());
    SetEnvironmentVariableA("PHPRC", std::string(3000, 'x').c_str());
    Click(page, IDC_RECV_PHP_ENABLE);
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "http://localhost/php resolves to " + scripts + "\\");
    EXPECT_TRUE(IsDirectory(scripts.c_str()) && Enabled(page, IDC_RECV_PHP_ALLOW_REMOTE));
    Edit([&] { Click(page, IDC_RECV_PHP_ALLOW_REMOTE); });

    // The editor finds the program on disk with .EXE added. An empty prefix is a star.
    InEditor(page, IDC_RECV_ADD, "", folder + "responder @@SMS@@");
    // A prefix in use: No opens the editor again, Yes replaces the entry
    // holding it. Editing keeps its own prefix without asking.
    InEditor(page, IDC_RECV_ADD, "help", "http://new/@@SMS@@", "HELP2");
    Select(page, 3);
    Edit([&] { InEditor(page, IDC_RECV_EDIT, "m", "http://em/@@SMS@@"); });
    Select(page, 4);
    InEditor(page, IDC_RECV_EDIT, "HELP", "http://zed/@@SMS@@");
    Select(page, 3);
    Edit([&] { Press(page, IDC_RECV_REMOVE); });
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_RECV_COMMAND_TABLE, LB_GETCURSEL, 0, 0), 2) << "the new last one";
    Edit([&] { ComboChoose(page, IDC_RECV_CHARSET, "(default)"); });

    // Routing to a local user needs one chosen.
    Edit([&] { Click(page, IDC_RECV_ROUTE_LOCAL); });
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), page) << "the page is not left";
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, IDC_RECV_LOCAL_USER));
    Edit([&] { ComboChoose(page, IDC_RECV_LOCAL_USER, "alice"); });
    // Routing MMS over MM7, with a server in its settings.
    CreateDirectoryPath((dir_.Path() + "VASPOUT\\zedsmslitemm7").c_str());
    WriteFileText(File(), "[VASP]\r\nServer=http://mm7/\r\n");
    Click(page, IDC_RECV_PROCESS_MMS);
    Edit([&] { Click(page, IDC_RECV_MMS_ROUTE_MM7); });
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (Texts{"question YesNo: Replace existing defintion for command prefix 'help'?",
                   "question YesNo: Replace existing defintion for command prefix 'HELP'?",
                   "error OK: Please select a local user account to receive messages"}));
  EXPECT_FALSE(sheet_.configDirty) << "Apply clears the flag";
  EXPECT_EQ(ReadFileText(g_configFiles.smsIni),
            "[SMSGW]\r\nReceiveSMSCommand1=*\t" + folder + "responder @@SMS@@\tNo\r\n"
            "ReceiveSMSCommand2=HELP\thttp://zed/@@SMS@@\tNo\r\nReceiveSMSCommand3=HELP2\thttp://new/@@SMS@@\tNo\r\n"
            "PHPEnable=Yes\r\nPHPDir=" + scripts + "\r\nReceiveSMS=Yes\r\nReceiveMMS=Yes\r\nPHPAllowRemote=Yes\r\n"
            "[Modem - Acme \\x5BUSB\\x5D]\r\nRouteLocal=alice\r\nMMSRouting=zedsmslitemm7\r\n");

}

TEST_F(TwoWayPageTest, TheTableReadsGapsUpTo201CutsLongEntriesAndLeavesNoStaleEntry) {
  const std::string longEntry = "LONG\thttp://x/@@SMS@@" + std::string(3000, 'c') + "\tYes";
  const std::pair<unsigned, std::string> stored[] = {
      {1, "C\tc.exe\tNo"}, {2, "A\ta.exe\tNo"}, {3, longEntry}, {4, ""},  // an empty value is no entry
      {7, "G\tg.exe\tNo"}, {200, "H\th.exe\tNo"}, {202, "I\ti.exe\tNo"}, {250, "Z\tz.exe\tNo"}};
  for (const auto& key : stored) SetCommand(key.first, key.second);
  RunOnPage([](HWND sheet, HWND) { Close(sheet, IDOK); });
  // Listed sorted, the long one read into the entry's buffer, and written back in that order.
  const std::string listed[] = {"A\ta.exe\tNo", "C\tc.exe\tNo", "G\tg.exe\tNo", "H\th.exe\tNo", "I\ti.exe\tNo",
                                longEntry.substr(0, 1127)};
  for (unsigned n = 1; n <= 6; ++n) EXPECT_EQ(Command(n), listed[n - 1]) << "gaps up to 201 are passed over";
  EXPECT_EQ(Command(7) + Command(200) + Command(202), "<none><none><none>") << "202 was listed: removed too";
  EXPECT_EQ(Command(250), "Z\tz.exe\tNo") << "past a gap: never seen, never touched";
}

TEST_F(TwoWayPageTest, Mm7SettingsAreShownAndSavedAfterAPassedConnectionTest) {
  SocketsStarted sockets;
  Listener server;
  const std::string address = "http://localhost#2:" + std::to_string(server.Port()) + "/vasp/mm7";
  // Values outside the lists are offered and kept; emptied fields, Domain
  // and the switches of other variations go.
  CreateDirectoryPath((dir_.Path() + "VASPOUT\\zedsmslitemm7").c_str());
  WriteFileText(File(), "[VASP]\r\nProtocol=MM7\r\nVASPID=vasp-1\r\nPassword=se cret\r\nMM7Version=7.0.0\r\n"
                        "MM7Schema=urn:example:custom-mm7\r\nStripWhiteSpace=Yes\r\nLogicaCMG=Yes\r\n"
                        "Domain=example.com\r\n");
  INT_PTR result = 0;
  InDialog("Configure MM7 Receiver", [&] { result = ShowMm7Dialog(nullptr); }, [&](HWND dialog) {
    EXPECT_TRUE(Text(dialog, IDC_MM7_PASSWORD) == "se cret" && Checked(dialog, IDC_MM7_STRIP_WHITE_SPACE));
    EXPECT_EQ(Text(dialog, IDC_MM7_VERSION) + " " + Text(dialog, IDC_MM7_SCHEMA) + " " + Text(dialog, IDC_MM7_VARIATION),
              "7.0.0 (Custom) LogicaCMG - PAP");
    for (const auto& field : {std::make_pair(IDC_MM7_VASP_ID, ""), std::make_pair(IDC_MM7_VAS_ID, "vas-2"),
                              std::make_pair(IDC_MM7_SERVICE_CODE, "svc"), std::make_pair(IDC_MM7_USER_NAME, "user"),
                              std::make_pair(IDC_MM7_SERVER, address.c_str())})
      SetDlgItemTextA(dialog, field.first, field.second);
    Click(dialog, IDC_MM7_STRIP_WHITE_SPACE);
    ComboChoose(dialog, IDC_MM7_VARIATION, "Ericsson");
    Ok(dialog);
  });
  EXPECT_TRUE(result == IDOK && server.Accepted() == 1) << "saved once the connection test passed";
  EXPECT_EQ(ReadFileText(File()), "[VASP]\r\nProtocol=EricssonMM7\r\nPassword=se cret\r\nMM7Version=7.0.0\r\n"
                                  "MM7Schema=urn:example:custom-mm7\r\nServer=" + address +
                                      "\r\nVASID=vas-2\r\nServiceCode=svc\r\nmm7DeliverReq=Yes\r\nUserName=user\r\n");
  // A failed test keeps the dialog open and saves nothing.
  const std::string saved = ReadFileText(File()), closed = "127.0.0.1:" + std::to_string(Listener().Port());
  boxes_.Answer(IDOK);
  InDialog("Configure MM7 Receiver", [] { ShowMm7Dialog(nullptr); }, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_MM7_SERVER, ("http://" + closed + "/").c_str());
    Ok(dialog);
    Cancel(dialog);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts{"error OK: Unable to connect to server " + closed});
  EXPECT_EQ(ReadFileText(File()), saved);
}
