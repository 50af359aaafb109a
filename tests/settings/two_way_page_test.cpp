// The 2-Way tab: routing switches and the checks made when leaving, the
// local-user list, the command table with its editor, character sets, PHP
// processing, and what Apply stores.
#include "settings/two_way_page.h"

#include <prsht.h>

#include "accounts/account_files.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "resources/two_way_ids.h"
#include "settings/settings_dialogs.h"

namespace {

const char kModemSection[] = "Modem - Acme \\x5BUSB\\x5D";
const char kEditorTitle[] = "2-Way SMS Command";

// Read as wide text: the system's narrow copy of a list item goes through a
// fixed 512-character buffer under Wine.
Texts Commands(HWND page) {
  Texts items;
  int count = static_cast<int>(SendDlgItemMessageW(page, IDC_RECV_COMMAND_TABLE, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring wide(SendDlgItemMessageW(page, IDC_RECV_COMMAND_TABLE, LB_GETTEXTLEN, i, 0) + 1, L'\0');
    SendDlgItemMessageW(page, IDC_RECV_COMMAND_TABLE, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
    char item[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, item, sizeof item, nullptr, nullptr);
    items.push_back(item);
  }
  return items;
}
int Selection(HWND page) {
  return static_cast<int>(SendDlgItemMessageA(page, IDC_RECV_COMMAND_TABLE, LB_GETCURSEL, 0, 0));
}
void Select(HWND page, int index) { SendDlgItemMessageA(page, IDC_RECV_COMMAND_TABLE, LB_SETCURSEL, index, 0); }
void AddUser(const char* name, bool smpp) { StoreUser(UserBytes(name, {}, {{204, static_cast<unsigned char>(smpp)}})); }

// Presses the button that opens the command editor and acts in it.
void InEditor(HWND page, int button, const std::function<void(HWND)>& action) {
  InDialog(kEditorTitle, [&] { Press(page, button); }, action);
}
std::function<void(HWND)> Typing(const char* prefix, const std::string& command, bool response = false) {
  return [=](HWND editor) {
    SetDlgItemTextA(editor, IDC_2WAY_PREFIX, prefix);
    SetDlgItemTextA(editor, IDC_2WAY_COMMAND, command.c_str());
    CheckDlgButton(editor, IDC_2WAY_RETURNS_RESPONSE, response ? BST_CHECKED : BST_UNCHECKED);
    Ok(editor);
  };
}
// Acts in the editor, then in the one that opens after it (the first is
// hidden by then, so the second driver cannot take it for the next).
std::function<void(HWND)> ThenInNext(std::function<void(HWND)> first, std::function<void(HWND)> next) {
  return [=](HWND editor) {
    first(editor);
    WindowDriver again(kEditorTitle, next);
  };
}
// Asks the sheet to show the other page; true when the 2-Way page let it.
bool Leave(HWND sheet) {
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  return PropSheet_GetCurrentPageHwnd(sheet) != PropSheet_IndexToHwnd(sheet, 0);
}
void Return(HWND sheet) { SendMessageA(sheet, PSM_SETCURSEL, 0, 0); }

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
  std::string Ini() { return ReadFileText(g_configFiles.smsIni); }
  std::string Sms(const char* key) { return Key(g_configFiles.smsIni, "SMSGW", key); }
  void SetSms(const std::string& key, const std::string& value) {
    WritePrivateProfileStringA("SMSGW", key.c_str(), value.c_str(), g_configFiles.smsIni);
  }
  std::string Command(unsigned n) { return Sms(("ReceiveSMSCommand" + std::to_string(n)).c_str()); }
  void SetCommand(unsigned n, const std::string& entry) { SetSms("ReceiveSMSCommand" + std::to_string(n), entry); }
  // A click or choice that must tell the sheet of the change.
  void Edit(const std::function<void()>& edit) {
    sheet_.configDirty = false;
    edit();
    EXPECT_TRUE(sheet_.configDirty);
  }
  // A folder holding php-cgi.exe.
  std::string MakePhpFolder(const char* name) {
    std::string folder = dir_.Path() + name;
    CreateDirectoryPath(folder.c_str());
    WriteFileText(folder + "\\php-cgi.exe", "MZ");
    return folder;
  }

  TempDataDirectory dir_{"twoway"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
  std::string savedPath_;
};

}  // namespace

TEST_F(TwoWayPageTest, CommandsRoutingAndCharsetAreEditedCheckedWhenLeavingAndApplied) {
  AddUser("carol", true);
  AddUser("alice", true);
  AddUser("bob", false);
  SetCommand(1, "HELP\thttp://old/@@SMS@@\tNo");
  SetCommand(2, "STOP\thttp://stop/@@SMS@@\tNo");
  SetCommand(3, "M\thttp://m/@@SMS@@\tNo");
  SetSms("ReceiveSMSCharset", "UTF-8");
  for (int answer : {IDNO, IDYES, IDNO, IDYES, IDOK, IDOK, IDOK}) boxes_.Answer(answer);
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ComboTexts(page, IDC_RECV_LOCAL_USER), (Texts{"", "alice", "carol"})) << "SMPP users, sorted";
    EXPECT_EQ(ComboChosen(page, IDC_RECV_CHARSET), "utf-8") << "matched without regard to case";
    EXPECT_EQ(Selection(page), 0);
    EXPECT_FALSE(sheet_.configDirty || Enabled(sheet, kApplyButton)) << "loading is no change";
    EXPECT_FALSE(Enabled(page, IDC_RECV_ROUTE_LOCAL) || Enabled(page, IDC_RECV_COMMAND_TABLE));
    for (auto opened : {std::make_pair(IDC_RECV_VIEW_SMS, "Received SMS Messages"),
                        std::make_pair(IDC_RECV_VIEW_MMS, "Received MMS Messages"),
                        std::make_pair(IDC_RECV_CONFIGURE_MM7, "Configure MM7 Receiver")})
      InDialog(opened.second, [&] { Press(page, opened.first); }, Cancel);
    Edit([&] { Click(page, IDC_RECV_PROCESS_SMS); });
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    EXPECT_TRUE(Enabled(page, IDC_RECV_ROUTE_LOCAL) && Enabled(page, IDC_RECV_COMMAND_TABLE));

    // An empty prefix is a star; the new entry is selected in its sorted place.
    Edit([&] { InEditor(page, IDC_RECV_ADD, Typing("", "http://all/?t=@@FULLSMS@@")); });
    EXPECT_EQ(Selection(page), 0);
    InEditor(page, IDC_RECV_ADD, Cancel);
    // A prefix in use: No opens the editor again on what was typed, Yes
    // replaces the entry holding it, No and then Cancel change nothing.
    InEditor(page, IDC_RECV_ADD, ThenInNext(Typing("help", "http://new/@@SMS@@"), [](HWND editor) {
               EXPECT_EQ(Text(editor, IDC_2WAY_COMMAND), "http://new/@@SMS@@");
               Typing("HELP2", "http://new/@@SMS@@")(editor);
             }));
    InEditor(page, IDC_RECV_ADD, Typing("stop", "http://halt/@@SMS@@", true));
    InEditor(page, IDC_RECV_ADD, ThenInNext(Typing("M", "http://x/@@SMS@@"), Cancel));
    EXPECT_EQ(Commands(page), (Texts{"*\thttp://all/?t=@@FULLSMS@@\tNo", "HELP\thttp://old/@@SMS@@\tNo",
                                     "HELP2\thttp://new/@@SMS@@\tNo", "M\thttp://m/@@SMS@@\tNo",
                                     "stop\thttp://halt/@@SMS@@\tYes"}));
    // Editing keeps its own prefix without asking, or takes another's and
    // replaces both with the one entry.
    Select(page, 3);
    InEditor(page, IDC_RECV_EDIT, Typing("m", "http://em/@@SMS@@"));
    Select(page, 4);
    InEditor(page, IDC_RECV_EDIT, [](HWND editor) {
      EXPECT_TRUE(Checked(editor, IDC_2WAY_RETURNS_RESPONSE));
      Typing("HELP", "http://zed/@@SMS@@")(editor);
    });
    EXPECT_EQ(Commands(page), (Texts{"*\thttp://all/?t=@@FULLSMS@@\tNo", "HELP\thttp://zed/@@SMS@@\tNo",
                                     "HELP2\thttp://new/@@SMS@@\tNo", "m\thttp://em/@@SMS@@\tNo"}));
    EXPECT_EQ(Selection(page), 1);
    // Remove selects the item that takes the place, or the new last one.
    Edit([&] { Press(page, IDC_RECV_REMOVE); });
    EXPECT_EQ(Selection(page), 1);
    Select(page, 2);
    Press(page, IDC_RECV_REMOVE);
    EXPECT_EQ(Selection(page), 1);
    Select(page, -1);
    Press(page, IDC_RECV_REMOVE);
    Press(page, IDC_RECV_EDIT);  // no selection: nothing opens
    Edit([&] { ComboChoose(page, IDC_RECV_CHARSET, "(default)"); });

    // Routing to a local user needs one chosen; the empty entry is none.
    Edit([&] { Click(page, IDC_RECV_ROUTE_LOCAL); });
    EXPECT_FALSE(Checked(page, IDC_RECV_USE_COMMANDS)) << "one of the two";
    EXPECT_FALSE(Leave(sheet));
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, IDC_RECV_LOCAL_USER));
    ComboChoose(page, IDC_RECV_LOCAL_USER, "");
    EXPECT_FALSE(Leave(sheet));
    Edit([&] { ComboChoose(page, IDC_RECV_LOCAL_USER, "alice"); });
    EXPECT_TRUE(Leave(sheet));
    AddUser("dave", true);  // users are added while the page is away, none taken away
    {
      OpenUserFile file;
      SmsUserRecord carol = UserBytes("carol");
      SMSDeleteUser(file.handle(), &carol);
    }
    Return(sheet);
    EXPECT_EQ(ComboTexts(page, IDC_RECV_LOCAL_USER), (Texts{"", "alice", "carol", "dave"}));
    // Routing MMS over MM7 needs a server in its settings.
    Edit([&] { Click(page, IDC_RECV_PROCESS_MMS); });
    Edit([&] { Click(page, IDC_RECV_MMS_ROUTE_MM7); });
    EXPECT_FALSE(Checked(page, IDC_RECV_MMS_TO_DIRECTORY));
    EXPECT_FALSE(Leave(sheet));
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, IDC_RECV_CONFIGURE_MM7));
    CreateDirectoryPath((dir_.Path() + "VASPOUT\\zedsmslitemm7").c_str());
    WriteFileText(dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI", "[VASP]\r\nServer=http://mm7/\r\n");
    EXPECT_TRUE(Leave(sheet));
    Return(sheet);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (Texts{"question YesNo: Replace existing defintion for command prefix 'help'?",
                   "question YesNo: Replace existing defintion for command prefix 'stop'?",
                   "question YesNo: Replace existing defintion for command prefix 'M'?",
                   "question YesNo: Replace existing defintion for command prefix 'HELP'?",
                   "error OK: Please select a local user account to receive messages",
                   "error OK: Please select a local user account to receive messages",
                   "error OK: MM7 Settings must be configured"}));
  EXPECT_FALSE(sheet_.configDirty) << "Apply clears the flag";
  EXPECT_EQ(Ini(), "[SMSGW]\r\nReceiveSMSCommand1=*\thttp://all/?t=@@FULLSMS@@\tNo\r\n"
                   "ReceiveSMSCommand2=HELP2\thttp://new/@@SMS@@\tNo\r\nReceiveSMS=Yes\r\nReceiveMMS=Yes\r\n"
                   "PHPEnable=No\r\nPHPAllowRemote=No\r\n[Modem - Acme \\x5BUSB\\x5D]\r\nRouteLocal=alice\r\n"
                   "MMSRouting=zedsmslitemm7\r\n");

  // Stored in another letter case, the user is still chosen. Switched off,
  // the choices stay but the local user goes: it would switch processing
  // back on next time.
  WritePrivateProfileStringA(kModemSection, "RouteLocal", "ALICE", g_configFiles.smsIni);
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, IDC_RECV_ROUTE_LOCAL) && Checked(page, IDC_RECV_MMS_ROUTE_MM7));
    EXPECT_EQ(ComboChosen(page, IDC_RECV_LOCAL_USER), "alice");
    EXPECT_EQ(ComboChosen(page, IDC_RECV_CHARSET), "utf-8") << "none stored";
    Click(page, IDC_RECV_PROCESS_SMS);
    EXPECT_FALSE(Enabled(page, IDC_RECV_ROUTE_LOCAL) || Enabled(page, IDC_RECV_PROCESS_MMS));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Ini(), "[SMSGW]\r\nReceiveSMSCommand1=*\thttp://all/?t=@@FULLSMS@@\tNo\r\n"
                   "ReceiveSMSCommand2=HELP2\thttp://new/@@SMS@@\tNo\r\nReceiveSMS=No\r\nReceiveMMS=No\r\n"
                   "PHPEnable=No\r\nPHPAllowRemote=No\r\nReceiveSMSCharset=utf-8\r\n"
                   "[Modem - Acme \\x5BUSB\\x5D]\r\nMMSRouting=zedsmslitemm7\r\n");

  // Without a modem its keys are neither read nor written.
  sheet_.currentModemName[0] = '\0';
  WritePrivateProfileStringA(kModemSection, "RouteLocal", "alice", g_configFiles.smsIni);
  RunOnPage([](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, IDC_RECV_ROUTE_LOCAL) || Checked(page, IDC_RECV_MMS_ROUTE_MM7));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Key(g_configFiles.smsIni, kModemSection, "RouteLocal"), "alice");
  EXPECT_EQ(Key(g_configFiles.smsIni, kModemSection, "MMSRouting"), "zedsmslitemm7");
}

TEST_F(TwoWayPageTest, TheTableReadsGapsUpTo201CutsLongEntriesAndLeavesNoStaleEntry) {
  std::string longCommand = "http://x/@@SMS@@" + std::string(3000, 'c');
  SetCommand(1, "C\tc.exe @@SMS@@\tNo");
  SetCommand(2, "A\ta.exe @@SMS@@\tNo");
  SetCommand(3, "LONG\t" + longCommand + "\tYes");
  SetCommand(4, "");  // an empty value is no entry
  SetCommand(7, "G\tg.exe @@SMS@@\tNo");
  SetCommand(201, "H\th.exe @@SMS@@\tNo");
  SetCommand(202, "I\ti.exe @@SMS@@\tNo");
  SetCommand(250, "Z\tz.exe @@SMS@@\tNo");
  RunOnPage([&](HWND sheet, HWND page) {
    EXPECT_EQ(Commands(page), (Texts{"A\ta.exe @@SMS@@\tNo", "C\tc.exe @@SMS@@\tNo", "G\tg.exe @@SMS@@\tNo",
                                     "H\th.exe @@SMS@@\tNo", "I\ti.exe @@SMS@@\tNo",
                                     ("LONG\t" + longCommand).substr(0, 1127)}))
        << "gaps up to 201 are passed over, 202 follows 201, 250 is past a gap; read into the entry's buffer";
    Select(page, 5);
    InEditor(page, IDC_RECV_EDIT, [&](HWND editor) {
      EXPECT_EQ(Text(editor, IDC_2WAY_COMMAND), longCommand.substr(0, 1023));
      Ok(editor);
    });
    Close(sheet, IDOK);
  });
  for (unsigned n = 1; n <= 5; ++n) EXPECT_NE(Command(n), "<none>") << n;
  EXPECT_EQ(Command(6), "LONG\t" + longCommand.substr(0, 1023) + "\tNo");
  for (unsigned n : {7u, 201u, 202u}) EXPECT_EQ(Command(n), "<none>") << n;
  EXPECT_EQ(Command(250), "Z\tz.exe @@SMS@@\tNo") << "never seen, never touched";
}

TEST_F(TwoWayPageTest, PhpProcessingFollowsTheProgramOnPhprcOrPath) {
  // Stored on without the program: loaded off without a word, then refused
  // until PHPRC names its folder; then the scripts folder is shown and made.
  SetSms("PHPEnable", "Yes");
  SetSms("PHPAllowRemote", "Yes");
  MakePhpFolder("elsewhere");  // on neither PHPRC nor PATH
  boxes_.Answer(IDOK);
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, IDC_RECV_PHP_ENABLE));
    EXPECT_TRUE(Checked(page, IDC_RECV_PHP_ALLOW_REMOTE));
    EXPECT_FALSE(Enabled(page, IDC_RECV_PHP_ALLOW_REMOTE));
    EXPECT_TRUE(boxes_.Boxes().empty());
    Click(page, IDC_RECV_PHP_ENABLE);
    EXPECT_FALSE(Checked(page, IDC_RECV_PHP_ENABLE) || Enabled(page, IDC_RECV_PHP_ALLOW_REMOTE));
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "");
    EXPECT_FALSE(FileExists(dir_.Path() + "PHP"));
    SetEnvironmentVariableA("PHPRC", (MakePhpFolder("php-rc") + "\\").c_str());
    Edit([&] { Click(page, IDC_RECV_PHP_ENABLE); });
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "http://localhost/php resolves to " + dir_.Path() + "PHP\\");
    EXPECT_TRUE(IsDirectory((dir_.Path() + "PHP").c_str()));
    Edit([&] { Click(page, IDC_RECV_PHP_ALLOW_REMOTE); });
    Click(page, IDC_RECV_PHP_ENABLE);
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "");
    EXPECT_FALSE(Enabled(page, IDC_RECV_PHP_ALLOW_REMOTE));
    Click(page, IDC_RECV_PHP_ENABLE);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            Texts{"error OK: PHP support not available, unable to locate php-cgi.exe via PHPRC or PATH "
                  "environemental variable"});
  EXPECT_EQ(Sms("PHPEnable") + Sms("PHPAllowRemote"), "YesNo");

  // Found far along a long PATH, with a PHPRC too long for its buffer; the
  // folder comes from PHPDir with a backslash added.
  std::string path;
  for (int i = 0; i < 150; ++i) path += "C:\\no\\such\\folder" + std::to_string(i) + ";";
  SetEnvironmentVariableA("PATH", (path + "  " + MakePhpFolder("php-on-path")).c_str());
  SetEnvironmentVariableA("PHPRC", std::string(3000, 'x').c_str());
  std::string scripts = dir_.Path() + "www\\scripts";
  SetSms("PHPDir", scripts);
  RunOnPage([&](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, IDC_RECV_PHP_ENABLE));
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "http://localhost/php resolves to " + scripts + "\\");
    EXPECT_TRUE(IsDirectory(scripts.c_str()));
    Close(sheet, IDCANCEL);
  });
}
