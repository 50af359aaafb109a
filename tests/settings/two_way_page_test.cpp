// The 2-Way tab: routing switches and their enabling, the local-user list,
// the command table with its editor, character sets, PHP processing, and the
// checks made when leaving the page.
#include "settings/two_way_page.h"

#include <windows.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "accounts/account_files.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "resources/two_way_ids.h"
#include "settings/settings_dialogs.h"
#include "support/dialog_items.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kModemSection[] = "Modem - Acme \\x5BUSB\\x5D";
const char kCharsetKey[] = "MIME\\Database\\Charset";
const char kEditorTitle[] = "2-Way SMS Command";
typedef std::vector<std::string> Texts;

void Press(HWND page, int id) { SendMessageA(page, WM_COMMAND, id, 0); }
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

// Opens the command editor with open() and acts in it.
void InEditor(const std::function<void()>& open, std::function<void(HWND)> action) {
  WindowDriver editor(kEditorTitle, std::move(action));
  open();
  EXPECT_TRUE(editor.Appeared());
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
  static void Close(HWND sheet, int button) { PostMessageA(sheet, WM_COMMAND, button, 0); }
  // Asks the sheet to show the other page; true when the 2-Way page let it.
  static bool Leave(HWND sheet) {
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    return PropSheet_GetCurrentPageHwnd(sheet) != PropSheet_IndexToHwnd(sheet, 0);
  }
  static void Return(HWND sheet) { SendMessageA(sheet, PSM_SETCURSEL, 0, 0); }
  std::string Sms(const char* key) { return ReadIni(g_configFiles.smsIni, "SMSGW", key, "<none>"); }
  void SetSms(const char* key, const char* value) {
    WritePrivateProfileStringA("SMSGW", key, value, g_configFiles.smsIni);
  }
  std::string Modem(const char* key) { return ReadIni(g_configFiles.smsIni, kModemSection, key, "<none>"); }
  void SetModem(const char* key, const char* value) {
    WritePrivateProfileStringA(kModemSection, key, value, g_configFiles.smsIni);
  }
  void SetCommand(unsigned n, const std::string& entry) {
    SetSms(("ReceiveSMSCommand" + std::to_string(n)).c_str(), entry.c_str());
  }
  std::string Command(unsigned n) { return Sms(("ReceiveSMSCommand" + std::to_string(n)).c_str()); }
  void SetMm7Server(const char* server) {
    CreateDirectoryPath((dir_.Path() + "VASPOUT\\zedsmslitemm7").c_str());
    WritePrivateProfileStringA("VASP", "Server", server, (dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI").c_str());
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

void ExpectEnabled(HWND page, std::initializer_list<int> on, std::initializer_list<int> off) {
  for (int id : on) EXPECT_TRUE(Enabled(page, id)) << id;
  for (int id : off) EXPECT_FALSE(Enabled(page, id)) << id;
}
void Opens(HWND page, int button, const char* title) {
  WindowDriver dialog(title, Cancel);
  Press(page, button);
  EXPECT_TRUE(dialog.Appeared()) << title;
}
const std::initializer_list<int> kCommandControls = {IDC_RECV_COMMAND_TABLE_LABEL, IDC_RECV_COMMAND_TABLE,
                                                     IDC_RECV_ADD, IDC_RECV_EDIT, IDC_RECV_REMOVE,
                                                     IDC_RECV_CHARSET_LABEL, IDC_RECV_CHARSET};

}  // namespace

TEST_F(TwoWayPageTest, RoutingIsSwitchedOnCheckedWhenLeavingAndApplied) {
  AddUser("carol", true);
  AddUser("alice", true);
  AddUser("bob", false);
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  RunOnPage([this](HWND sheet, HWND page) {
    for (int id : {IDC_RECV_PROCESS_SMS, IDC_RECV_ROUTE_LOCAL, IDC_RECV_PROCESS_MMS, IDC_RECV_MMS_ROUTE_MM7,
                   IDC_RECV_PHP_ENABLE, IDC_RECV_PHP_ALLOW_REMOTE})
      EXPECT_FALSE(Checked(page, id)) << id;
    EXPECT_TRUE(Checked(page, IDC_RECV_USE_COMMANDS));
    EXPECT_TRUE(Checked(page, IDC_RECV_MMS_TO_DIRECTORY));
    ExpectEnabled(page, {IDC_RECV_PROCESS_SMS, IDC_RECV_VIEW_SMS, IDC_RECV_VIEW_MMS, IDC_RECV_PHP_ENABLE},
                  {IDC_RECV_ROUTE_LOCAL, IDC_RECV_LOCAL_USER, IDC_RECV_USE_COMMANDS, IDC_RECV_PROCESS_MMS,
                   IDC_RECV_MMS_TO_DIRECTORY, IDC_RECV_MMS_ROUTE_MM7, IDC_RECV_CONFIGURE_MM7,
                   IDC_RECV_PHP_ALLOW_REMOTE});
    ExpectEnabled(page, {}, kCommandControls);
    EXPECT_EQ(ComboTexts(page, IDC_RECV_LOCAL_USER), (Texts{"", "alice", "carol"})) << "SMPP users, sorted";
    EXPECT_EQ(ComboChosen(page, IDC_RECV_CHARSET), "utf-8");
    EXPECT_TRUE(Commands(page).empty());
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "");
    EXPECT_FALSE(sheet_.configDirty) << "loading is no change";
    EXPECT_FALSE(Enabled(sheet, kApplyButton));
    for (auto opened : {std::make_pair(IDC_RECV_VIEW_SMS, "Received SMS Messages"),
                        std::make_pair(IDC_RECV_VIEW_MMS, "Received MMS Messages")})
      Opens(page, opened.first, opened.second);

    Click(page, IDC_RECV_PROCESS_SMS);
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    ExpectEnabled(page, {IDC_RECV_ROUTE_LOCAL, IDC_RECV_USE_COMMANDS, IDC_RECV_PROCESS_MMS},
                  {IDC_RECV_LOCAL_USER, IDC_RECV_MMS_TO_DIRECTORY, IDC_RECV_MMS_ROUTE_MM7, IDC_RECV_CONFIGURE_MM7});
    ExpectEnabled(page, kCommandControls, {});
    Click(page, IDC_RECV_ROUTE_LOCAL);
    EXPECT_FALSE(Checked(page, IDC_RECV_USE_COMMANDS)) << "one of the two";

    // Routing to a local user needs one chosen; the empty entry is none.
    EXPECT_FALSE(Leave(sheet));
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, IDC_RECV_LOCAL_USER));
    ComboChoose(page, IDC_RECV_LOCAL_USER, "");
    EXPECT_FALSE(Leave(sheet));
    ComboChoose(page, IDC_RECV_LOCAL_USER, "alice");
    EXPECT_TRUE(Leave(sheet));
    AddUser("dave", true);  // users are added while the page is away, none taken away
    {
      OpenUserFile file;
      SmsUserRecord carol;
      ASSERT_TRUE(SMSFindUserRecord(file.handle(), "carol", &carol));
      SMSDeleteUser(file.handle(), &carol);
    }
    Return(sheet);
    EXPECT_EQ(ComboTexts(page, IDC_RECV_LOCAL_USER), (Texts{"", "alice", "carol", "dave"}));

    // Routing MMS over MM7 needs a server in its settings.
    Click(page, IDC_RECV_PROCESS_MMS);
    Click(page, IDC_RECV_MMS_ROUTE_MM7);
    EXPECT_FALSE(Checked(page, IDC_RECV_MMS_TO_DIRECTORY));
    Opens(page, IDC_RECV_CONFIGURE_MM7, "Configure MM7 Receiver");
    EXPECT_FALSE(Leave(sheet));
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, IDC_RECV_CONFIGURE_MM7));
    SetMm7Server("http://mm7.example.com/");
    EXPECT_TRUE(Leave(sheet));
    Return(sheet);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxTexts(boxes_), (std::vector<std::string>{"Please select a local user account to receive messages",
                                                  "Please select a local user account to receive messages",
                                                  "MM7 Settings must be configured"}));
  EXPECT_FALSE(sheet_.configDirty) << "Apply clears the flag";
  EXPECT_EQ(Sms("ReceiveSMS"), "Yes");
  EXPECT_EQ(Sms("ReceiveMMS"), "Yes");
  EXPECT_EQ(Sms("PHPEnable"), "No");
  EXPECT_EQ(Sms("PHPAllowRemote"), "No");
  EXPECT_EQ(Sms("ReceiveSMSCharset"), "utf-8");
  EXPECT_EQ(Modem("RouteLocal"), "alice");
  EXPECT_EQ(Modem("MMSRouting"), "zedsmslitemm7");

  // Switched off, the choices stay but the local user goes: it would switch
  // processing back on next time.
  RunOnPage([](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, IDC_RECV_ROUTE_LOCAL));
    EXPECT_TRUE(Checked(page, IDC_RECV_MMS_ROUTE_MM7));
    Click(page, IDC_RECV_PROCESS_SMS);
    ExpectEnabled(page, {}, {IDC_RECV_ROUTE_LOCAL, IDC_RECV_LOCAL_USER, IDC_RECV_USE_COMMANDS, IDC_RECV_PROCESS_MMS,
                             IDC_RECV_MMS_TO_DIRECTORY, IDC_RECV_MMS_ROUTE_MM7, IDC_RECV_CONFIGURE_MM7});
    EXPECT_TRUE(Checked(page, IDC_RECV_MMS_ROUTE_MM7));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveSMS"), "No");
  EXPECT_EQ(Sms("ReceiveMMS"), "No");
  EXPECT_EQ(Modem("RouteLocal"), "<none>");
  EXPECT_EQ(Modem("MMSRouting"), "zedsmslitemm7");
}

TEST_F(TwoWayPageTest, StoredRoutingIsLoadedByItsRules) {
  AddUser("alice", true);
  AddUser("bob", false);
  SetMm7Server("http://mm7");
  const struct {
    const char* why;
    bool modem;
    const char *receiveSms, *receiveMms, *routeLocal, *mmsRouting;
    bool sms, local, mms, mm7;
    const char *storedMms, *storedRouteLocal, *storedMmsRouting;
  } rows[] = {
      {"the user is matched without regard to case", true, "No", "Yes", "ALICE", nullptr, true, true, true, false, "Yes", "alice",
       "<none>"},
      {"a user without SMPP login", true, "Yes", "No", "bob", "other", true, false, false, false, "No", "<none>",
       "<none>"},
      {"no modem: its keys are left alone", false, "Yes", "Yes", "alice", "zedsmslitemm7", true, false, true, false,
       "Yes", "alice", "zedsmslitemm7"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    sheet_.currentModemName[0] = '\0';
    if (row.modem) CopyText(sheet_.currentModemName, sizeof sheet_.currentModemName, "Acme [USB]");
    SetSms("ReceiveSMS", row.receiveSms);
    SetSms("ReceiveMMS", row.receiveMms);
    SetModem("RouteLocal", row.routeLocal);
    SetModem("MMSRouting", row.mmsRouting);
    RunOnPage([&](HWND sheet, HWND page) {
      EXPECT_EQ(Checked(page, IDC_RECV_PROCESS_SMS), row.sms);
      EXPECT_EQ(Checked(page, IDC_RECV_ROUTE_LOCAL), row.local);
      EXPECT_EQ(Checked(page, IDC_RECV_USE_COMMANDS), !row.local);
      EXPECT_EQ(ComboChosen(page, IDC_RECV_LOCAL_USER), row.local ? "alice" : "<none>");
      EXPECT_EQ(Checked(page, IDC_RECV_PROCESS_MMS), row.mms);
      EXPECT_EQ(Checked(page, IDC_RECV_MMS_ROUTE_MM7), row.mm7);
      Close(sheet, IDOK);
    });
    EXPECT_EQ(Sms("ReceiveMMS"), row.storedMms);
    EXPECT_EQ(Modem("RouteLocal"), row.storedRouteLocal);
    EXPECT_EQ(Modem("MMSRouting"), row.storedMmsRouting);
  }
}

TEST_F(TwoWayPageTest, EveryEditTellsTheSheet) {
  AddUser("alice", true);
  SetSms("ReceiveSMS", "Yes");
  SetSms("ReceiveMMS", "Yes");
  SetSms("PHPEnable", "Yes");
  SetEnvironmentVariableA("PHPRC", MakePhpFolder("php").c_str());
  boxes_.Answer(IDYES);
  RunOnPage([this](HWND sheet, HWND page) {
    // In an order that keeps each control enabled until its turn.
    for (int id : {IDC_RECV_ROUTE_LOCAL, IDC_RECV_LOCAL_USER, IDC_RECV_USE_COMMANDS, IDC_RECV_CHARSET,
                   IDC_RECV_MMS_ROUTE_MM7, IDC_RECV_MMS_TO_DIRECTORY, IDC_RECV_PROCESS_MMS,
                   IDC_RECV_PHP_ALLOW_REMOTE, IDC_RECV_PHP_ENABLE, IDC_RECV_PROCESS_SMS}) {
      sheet_.configDirty = false;
      if (id == IDC_RECV_LOCAL_USER || id == IDC_RECV_CHARSET)
        ComboChoose(page, id, id == IDC_RECV_CHARSET ? "(default)" : "alice");
      else
        Click(page, id);
      EXPECT_TRUE(sheet_.configDirty) << id;
    }
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(boxes_), std::vector<std::string>{"Exit without saving configuration changes?"});
}

TEST_F(TwoWayPageTest, CommandsAreAddedEditedAndRemovedThroughTheEditor) {
  SetCommand(1, "HELP\thttp://old/@@SMS@@\tNo");
  SetCommand(2, "STOP\thttp://stop/@@SMS@@\tNo");
  SetCommand(3, "M\thttp://m/@@SMS@@\tNo");
  SetCommand(4, "Z\thttp://z/@@SMS@@\tNo");
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Selection(page), 0);
    // An empty prefix is a star; the new entry is selected in its sorted place.
    InEditor([&] { Press(page, IDC_RECV_ADD); }, Typing("", "http://all/?t=@@FULLSMS@@"));
    EXPECT_EQ(Selection(page), 0);
    EXPECT_TRUE(sheet_.configDirty);
    InEditor([&] { Press(page, IDC_RECV_ADD); }, Cancel);
    EXPECT_EQ(Commands(page).size(), 5u);
    // A prefix in use: No opens the editor again on what was typed.
    InEditor([&] { Press(page, IDC_RECV_ADD); },
             ThenInNext(Typing("help", "http://new/@@SMS@@"), [](HWND editor) {
               EXPECT_EQ(Text(editor, IDC_2WAY_COMMAND), "http://new/@@SMS@@");
               Typing("HELP2", "http://new/@@SMS@@")(editor);
             }));
    // Yes replaces the entry holding it.
    InEditor([&] { Press(page, IDC_RECV_ADD); }, Typing("stop", "http://halt/@@SMS@@", true));
    // No, then Cancel: nothing changes.
    InEditor([&] { Press(page, IDC_RECV_ADD); }, ThenInNext(Typing("M", "http://x/@@SMS@@"), Cancel));
    EXPECT_EQ(Commands(page), (Texts{"*\thttp://all/?t=@@FULLSMS@@\tNo", "HELP\thttp://old/@@SMS@@\tNo",
                                     "HELP2\thttp://new/@@SMS@@\tNo", "M\thttp://m/@@SMS@@\tNo",
                                     "stop\thttp://halt/@@SMS@@\tYes", "Z\thttp://z/@@SMS@@\tNo"}));
    // Editing keeps its own prefix without asking, or takes another's and
    // replaces both with the one entry.
    Select(page, 3);
    InEditor([&] { Press(page, IDC_RECV_EDIT); }, Typing("m", "http://em/@@SMS@@"));
    Select(page, 5);
    InEditor([&] { Press(page, IDC_RECV_EDIT); }, Typing("HELP", "http://zed/@@SMS@@"));
    EXPECT_EQ(Commands(page), (Texts{"*\thttp://all/?t=@@FULLSMS@@\tNo", "HELP\thttp://zed/@@SMS@@\tNo",
                                     "HELP2\thttp://new/@@SMS@@\tNo", "m\thttp://em/@@SMS@@\tNo",
                                     "stop\thttp://halt/@@SMS@@\tYes"}));
    EXPECT_EQ(Selection(page), 1);
    // Remove selects the item that takes the place, or the new last one.
    Press(page, IDC_RECV_REMOVE);
    EXPECT_EQ(Selection(page), 1);
    Select(page, 3);
    Press(page, IDC_RECV_REMOVE);
    EXPECT_EQ(Selection(page), 2);
    Select(page, -1);
    Press(page, IDC_RECV_REMOVE);
    Press(page, IDC_RECV_EDIT);  // no selection: nothing opens
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxTexts(boxes_), (std::vector<std::string>{"Replace existing defintion for command prefix 'help'?",
                                                  "Replace existing defintion for command prefix 'stop'?",
                                                  "Replace existing defintion for command prefix 'M'?",
                                                  "Replace existing defintion for command prefix 'HELP'?"}));
  EXPECT_EQ(boxes_.Boxes()[0].buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(Command(1), "*\thttp://all/?t=@@FULLSMS@@\tNo");
  EXPECT_EQ(Command(2), "HELP2\thttp://new/@@SMS@@\tNo");
  EXPECT_EQ(Command(3), "m\thttp://em/@@SMS@@\tNo");
  EXPECT_EQ(Command(4), "<none>");
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
    InEditor([&] { Press(page, IDC_RECV_EDIT); }, [&](HWND editor) {
      EXPECT_EQ(Text(editor, IDC_2WAY_COMMAND), longCommand.substr(0, 1023));
      Ok(editor);
    });
    Close(sheet, IDOK);
  });
  for (unsigned n = 1; n <= 5; ++n) EXPECT_NE(Command(n), "<none>") << n;
  EXPECT_EQ(Command(6), "LONG\t" + longCommand.substr(0, 1023) + "\tNo");
  for (unsigned n : {7u, 201u, 202u}) EXPECT_EQ(Command(n), "<none>") << n;
  EXPECT_EQ(Command(250), "Z\tz.exe @@SMS@@\tNo") << "never seen, never touched";

  for (unsigned n = 1; n <= 205; ++n) {
    char entry[64];
    FormatText(entry, sizeof entry, "P%03u\tp.exe @@SMS@@\tNo", n);
    SetCommand(n, entry);
  }
  RunOnPage([](HWND sheet, HWND page) {
    ASSERT_EQ(Commands(page).size(), 205u);
    for (int i = 0; i < 10; ++i) Press(page, IDC_RECV_REMOVE);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Command(1), "P011\tp.exe @@SMS@@\tNo");
  EXPECT_EQ(Command(195), "P205\tp.exe @@SMS@@\tNo");
  for (unsigned n = 196; n <= 205; ++n) EXPECT_EQ(Command(n), "<none>") << n;
}

TEST_F(TwoWayPageTest, HundredsOfCharacterSetsAreListedAndTheDefaultIsNotStored) {
  HKEY database;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kCharsetKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &database,
                            nullptr),
            ERROR_SUCCESS);
  std::vector<std::string> added;
  for (int i = 0; i < 400; ++i) {
    std::string name = "zed-test-charset-" + std::to_string(i) + std::string(i % 7 == 0 ? 200 : 0, 'x');
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(database, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    added.push_back(name);
  }
  SetSms("ReceiveSMSCharset", "ZED-TEST-CHARSET-398");
  RunOnPage([&](HWND sheet, HWND page) {
    Texts listed = ComboTexts(page, IDC_RECV_CHARSET);
    EXPECT_EQ(listed.front(), "(default)");
    for (const std::string& name : added)
      EXPECT_EQ(std::count(listed.begin(), listed.end(), name), 1) << name.substr(0, 25);
    EXPECT_EQ(ComboChosen(page, IDC_RECV_CHARSET), "zed-test-charset-398") << "matched without regard to case";
    ComboChoose(page, IDC_RECV_CHARSET, "(default)");
    Close(sheet, IDOK);
  });
  for (const std::string& name : added) RegDeleteKeyA(database, name.c_str());
  RegCloseKey(database);
  EXPECT_EQ(Sms("ReceiveSMSCharset"), "<none>");
}

TEST_F(TwoWayPageTest, PhpProcessingFollowsTheProgramOnPhprcOrPath) {
  // Stored on without the program: loaded off without a word, then refused.
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
    EXPECT_FALSE(Checked(page, IDC_RECV_PHP_ENABLE));
    EXPECT_FALSE(Enabled(page, IDC_RECV_PHP_ALLOW_REMOTE));
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "");
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxTexts(boxes_), std::vector<std::string>{"PHP support not available, unable to locate php-cgi.exe via PHPRC "
                                                 "or PATH environemental variable"});
  EXPECT_EQ(Sms("PHPEnable"), "No");
  EXPECT_EQ(Sms("PHPAllowRemote"), "Yes");
  EXPECT_FALSE(FileExists(dir_.Path() + "PHP"));

  // Found through PHPRC: the scripts folder is shown and made.
  SetEnvironmentVariableA("PHPRC", (MakePhpFolder("php-rc") + "\\").c_str());
  RunOnPage([this](HWND sheet, HWND page) {
    Click(page, IDC_RECV_PHP_ENABLE);
    EXPECT_TRUE(Enabled(page, IDC_RECV_PHP_ALLOW_REMOTE));
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "http://localhost/php resolves to " + dir_.Path() + "PHP\\");
    EXPECT_TRUE(IsDirectory((dir_.Path() + "PHP").c_str()));
    Click(page, IDC_RECV_PHP_ENABLE);
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "");
    EXPECT_FALSE(Enabled(page, IDC_RECV_PHP_ALLOW_REMOTE));
    Click(page, IDC_RECV_PHP_ENABLE);
    Click(page, IDC_RECV_PHP_ALLOW_REMOTE);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("PHPEnable"), "Yes");
  EXPECT_EQ(Sms("PHPAllowRemote"), "No");

  // Found far along a long PATH, with a PHPRC too long for its buffer; the
  // folder comes from PHPDir with a backslash added.
  std::string path;
  for (int i = 0; i < 150; ++i) path += "C:\\no\\such\\folder" + std::to_string(i) + ";";
  SetEnvironmentVariableA("PATH", (path + "  " + MakePhpFolder("php-on-path")).c_str());
  SetEnvironmentVariableA("PHPRC", std::string(3000, 'x').c_str());
  std::string scripts = dir_.Path() + "www\\scripts";
  SetSms("PHPDir", scripts.c_str());
  RunOnPage([&](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, IDC_RECV_PHP_ENABLE));
    EXPECT_EQ(Text(page, IDC_RECV_PHP_ADDRESS), "http://localhost/php resolves to " + scripts + "\\");
    EXPECT_TRUE(IsDirectory(scripts.c_str()));
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(boxes_.Boxes().size(), 1u);
}
