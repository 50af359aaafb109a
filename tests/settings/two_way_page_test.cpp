// The 2-Way tab: loading and applying the inbound routing keys, the enabling
// rules, the command table with its editor, the local-user list, the
// character sets, PHP processing and the checks made when leaving the page.
#include "settings/two_way_page.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "accounts/account_files.h"
#include "app/app_state.h"
#include "app/main_sheet.h"
#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "config/user_records.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kModemSection[] = "Modem - Acme \\x5BUSB\\x5D";
const char kCharsetKey[] = "MIME\\Database\\Charset";
const char kPhpMissing[] =
    "PHP support not available, unable to locate php-cgi.exe via PHPRC or PATH environemental variable";
constexpr int kProcessSms = 101, kRouteLocal = 102, kLocalUser = 103, kUseCommands = 104, kTableLabel = 105;
constexpr int kTable = 106, kAdd = 107, kEdit = 108, kRemove = 109, kCharsetLabel = 110, kCharset = 111;
constexpr int kProcessMms = 112, kMmsToDirectory = 113, kRouteMm7 = 114, kConfigure = 119, kViewSms = 120;
constexpr int kViewMms = 121, kPhpEnable = 191, kPhpAddress = 192, kPhpRemote = 193;
constexpr int kEditorPrefix = 102, kEditorCommand = 104, kEditorResponse = 105;
constexpr int kApplyButton = 0x3021;
typedef std::vector<std::string> Texts;

void Press(HWND page, int id) { SendMessageA(page, WM_COMMAND, id, 0); }
// Read as wide text: the system's narrow copy of a list item goes through a
// fixed 512-character buffer under Wine.
Texts ListItems(HWND page) {
  Texts items;
  int count = static_cast<int>(SendDlgItemMessageW(page, kTable, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring wide(SendDlgItemMessageW(page, kTable, LB_GETTEXTLEN, i, 0) + 1, L'\0');
    SendDlgItemMessageW(page, kTable, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
    char item[4096] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, item, sizeof item, nullptr, nullptr);
    items.push_back(item);
  }
  return items;
}
int ListSelection(HWND page) { return static_cast<int>(SendDlgItemMessageA(page, kTable, LB_GETCURSEL, 0, 0)); }
void SelectItem(HWND page, int index) { SendDlgItemMessageA(page, kTable, LB_SETCURSEL, index, 0); }

Texts ComboItems(HWND page, int id) {
  Texts items;
  int count = static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[600] = "";
    SendDlgItemMessageA(page, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}
std::string ComboChosen(HWND page, int id) {
  int index = static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
  return index < 0 ? "<none>" : ComboItems(page, id)[index];
}
// Chooses an entry as the user does, so the page hears of it.
void ComboChooseAt(HWND page, int id, LRESULT index) {
  SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
void ComboChoose(HWND page, int id, const char* text) {
  LRESULT index = SendDlgItemMessageA(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(text));
  ASSERT_NE(index, CB_ERR) << text;
  ComboChooseAt(page, id, index);
}

// The subkeys of the character-set database in enumeration order.
Texts RegistryCharsets() {
  Texts names;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kCharsetKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[600];
  DWORD length = sizeof name;
  for (DWORD i = 0; RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = sizeof name)
    names.push_back(name);
  RegCloseKey(key);
  return names;
}

void AddUser(const char* name, bool smpp) {
  UserAccount account = {};
  CopyText(account.name, sizeof account.name, name);
  account.smppLogin = smpp;
  SmsUserRecord record;
  WriteUserAccount(account, record.bytes);
  StoreUser(record);
}

// Opens the command editor with open() and acts in it.
void InEditor(std::function<void()> open, std::function<void(HWND)> action) {
  WindowDriver editor("2-Way SMS Command", std::move(action));
  open();
  EXPECT_TRUE(editor.Appeared());
}
std::function<void(HWND)> Typing(const char* prefix, const std::string& command, bool response = false) {
  return [=](HWND editor) {
    SetDlgItemTextA(editor, kEditorPrefix, prefix);
    SetDlgItemTextA(editor, kEditorCommand, command.c_str());
    CheckDlgButton(editor, kEditorResponse, response ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(editor, WM_COMMAND, IDOK, 0);
  };
}
void CancelEditor(HWND editor) { PostMessageA(editor, WM_COMMAND, IDCANCEL, 0); }
// Acts in the editor, then in the one that opens after it (the first is
// hidden by then, so the second driver cannot take it for the next).
std::function<void(HWND)> ThenInNext(std::function<void(HWND)> first, std::function<void(HWND)> next) {
  return [=](HWND editor) {
    first(editor);
    WindowDriver again("2-Way SMS Command", next);
  };
}

class EnvironmentVariable {
 public:
  explicit EnvironmentVariable(const char* name) : name_(name) {
    char value[32768];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    had_ = length > 0 && length < sizeof value;
    if (had_) value_ = value;
  }
  ~EnvironmentVariable() { SetEnvironmentVariableA(name_, had_ ? value_.c_str() : nullptr); }
  void Set(const std::string& value) { SetEnvironmentVariableA(name_, value.c_str()); }
  void Clear() { SetEnvironmentVariableA(name_, nullptr); }

 private:
  const char* name_;
  bool had_ = false;
  std::string value_;
};

class TwoWayPageTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    CopyText(sheet_.currentModemName, sizeof sheet_.currentModemName, "Acme [USB]");
    phprc_.Clear();
    path_.Set("C:\\windows\\system32;C:\\windows");
  }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  // A sheet of the 2-Way page and one other page; the action gets the sheet
  // and the page and closes the sheet.
  void RunOnPage(std::function<void(HWND, HWND)> action) {
    RunPageInSheet(&sheet_, {"DIALOG_RECV", "2-Way", TwoWayPageProc}, 0, kCaption, action);
  }
  static void Close(HWND sheet, int button) { PostMessageA(sheet, WM_COMMAND, button, 0); }
  // Cancels the sheet, agreeing to lose the edits when this page asks about them.
  void Discard(HWND sheet) {
    if (sheet_.configDirty && PropSheet_GetCurrentPageHwnd(sheet) == PropSheet_IndexToHwnd(sheet, 0))
      boxes_.Answer(IDYES);
    Close(sheet, IDCANCEL);
  }
  // Asks the sheet to show the other page; true when the 2-Way page let it.
  static bool Leave(HWND sheet) {
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    return PropSheet_GetCurrentPageHwnd(sheet) != PropSheet_IndexToHwnd(sheet, 0);
  }
  std::string Sms(const char* key) { return ReadIni(g_configFiles.smsIni, "SMSGW", key, "<none>"); }
  void SetSms(const char* key, const char* value) {
    WritePrivateProfileStringA("SMSGW", key, value, g_configFiles.smsIni);
  }
  std::string Modem(const char* key) { return ReadIni(g_configFiles.smsIni, kModemSection, key, "<none>"); }
  void SetModem(const char* key, const char* value) {
    WritePrivateProfileStringA(kModemSection, key, value, g_configFiles.smsIni);
  }
  static std::string CommandKey(unsigned n) { return "ReceiveSMSCommand" + std::to_string(n); }
  void SetCommand(unsigned n, const std::string& entry) { SetSms(CommandKey(n).c_str(), entry.c_str()); }
  std::string Command(unsigned n) { return Sms(CommandKey(n).c_str()); }
  MessageBoxRecord OnlyBox() {
    std::vector<MessageBoxRecord> all = boxes_.Boxes();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? MessageBoxRecord() : all.back();
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
  EnvironmentVariable phprc_{"PHPRC"};
  EnvironmentVariable path_{"PATH"};
};

}  // namespace

TEST_F(TwoWayPageTest, TheMainSheetShowsThisPageAsItsFifthTab) {
  EXPECT_STREQ(kMainSheetPages[4].templateName, "DIALOG_RECV");
  EXPECT_STREQ(kMainSheetPages[4].title, "2-Way");
  EXPECT_EQ(kMainSheetPages[4].procedure, &TwoWayPageProc);
}

TEST_F(TwoWayPageTest, AnEmptyConfigurationLoadsWithEverythingOff) {
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, kProcessSms), "Process received SMS Messages");
    EXPECT_EQ(Text(page, kRouteLocal), "Route SMS to local user");
    EXPECT_EQ(Text(page, kUseCommands), "Use 2-way command processor");
    EXPECT_EQ(Text(page, kTableLabel), "Received SMS Command Table");
    EXPECT_EQ(Text(page, kAdd), "&Add");
    EXPECT_EQ(Text(page, kEdit), "&Edit");
    EXPECT_EQ(Text(page, kRemove), "&Remove");
    EXPECT_EQ(Text(page, kCharsetLabel), "Command Character Set:");
    EXPECT_EQ(Text(page, kProcessMms), "Process received MMS Messages");
    EXPECT_EQ(Text(page, kMmsToDirectory), "Receive to MMS-IN Directory");
    EXPECT_EQ(Text(page, kRouteMm7), "Route via MM7 or PHP Upload");
    EXPECT_EQ(Text(page, kConfigure), "Configure");
    EXPECT_EQ(Text(page, kViewSms), "View");
    EXPECT_EQ(Text(page, kViewMms), "View");
    EXPECT_EQ(Text(page, kPhpEnable), "Enable Local PHP Processing");
    EXPECT_EQ(Text(page, kPhpRemote), "Allow External Web Access to PHP Scripts");

    EXPECT_FALSE(Checked(page, kProcessSms));
    EXPECT_FALSE(Checked(page, kRouteLocal));
    EXPECT_TRUE(Checked(page, kUseCommands));
    EXPECT_FALSE(Checked(page, kProcessMms));
    EXPECT_TRUE(Checked(page, kMmsToDirectory));
    EXPECT_FALSE(Checked(page, kRouteMm7));
    EXPECT_FALSE(Checked(page, kPhpEnable));
    EXPECT_FALSE(Checked(page, kPhpRemote));
    EXPECT_EQ(Text(page, kPhpAddress), "");
    for (int id : {kRouteLocal, kLocalUser, kUseCommands, kTableLabel, kTable, kAdd, kEdit, kRemove, kCharsetLabel,
                   kCharset, kProcessMms, kMmsToDirectory, kRouteMm7, kConfigure, kPhpRemote})
      EXPECT_FALSE(Enabled(page, id)) << id;
    for (int id : {kProcessSms, kViewSms, kViewMms, kPhpEnable}) EXPECT_TRUE(Enabled(page, id)) << id;
    EXPECT_EQ(ComboItems(page, kLocalUser), Texts{""}) << "the empty entry, no users";
    EXPECT_EQ(ComboChosen(page, kCharset), "utf-8") << "the default character set";
    EXPECT_TRUE(ListItems(page).empty());
    EXPECT_FALSE(sheet_.configDirty) << "loading is no change";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveSMS"), "No");
  EXPECT_EQ(Sms("ReceiveMMS"), "No");
  EXPECT_EQ(Sms("PHPEnable"), "No");
  EXPECT_EQ(Sms("PHPAllowRemote"), "No");
  EXPECT_EQ(Sms("ReceiveSMSCharset"), "utf-8");
  EXPECT_EQ(Modem("RouteLocal"), "<none>");
  EXPECT_EQ(Modem("MMSRouting"), "<none>");
}

TEST_F(TwoWayPageTest, LoadsRoutingUsersAndMmsSettings) {
  AddUser("carol", true);
  AddUser("alice", true);
  AddUser("bob", false);
  SetSms("ReceiveSMS", "Yes");
  SetSms("ReceiveMMS", "1");
  SetModem("RouteLocal", "CAROL");
  SetModem("MMSRouting", "ZedSmsLiteMM7");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ComboItems(page, kLocalUser), (Texts{"", "alice", "carol"})) << "only users with SMPP login, sorted";
    EXPECT_TRUE(Checked(page, kProcessSms));
    EXPECT_TRUE(Checked(page, kRouteLocal));
    EXPECT_FALSE(Checked(page, kUseCommands));
    EXPECT_EQ(ComboChosen(page, kLocalUser), "carol");
    EXPECT_TRUE(Checked(page, kProcessMms));
    EXPECT_TRUE(Checked(page, kRouteMm7));
    EXPECT_FALSE(Checked(page, kMmsToDirectory));
    for (int id : {kRouteLocal, kLocalUser, kUseCommands, kProcessMms, kMmsToDirectory, kRouteMm7, kConfigure})
      EXPECT_TRUE(Enabled(page, id)) << id;
    for (int id : {kTableLabel, kTable, kAdd, kEdit, kRemove, kCharsetLabel, kCharset}) EXPECT_FALSE(Enabled(page, id)) << id;
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, ALocalUserTurnsSmsProcessingOnAndMmsIsReadOnlyWithIt) {
  AddUser("alice", true);
  SetSms("ReceiveSMS", "No");
  SetSms("ReceiveMMS", "Yes");
  SetModem("RouteLocal", "alice");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kProcessSms));
    EXPECT_TRUE(Checked(page, kProcessMms));
    Discard(sheet);
  });
  SetModem("RouteLocal", nullptr);
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, kProcessSms));
    EXPECT_FALSE(Checked(page, kProcessMms)) << "ReceiveMMS is read only while SMS are processed";
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveMMS"), "No");
}

TEST_F(TwoWayPageTest, ALocalUserWithoutSmppLoginFallsBackToCommandsAndIsDeleted) {
  AddUser("alice", true);
  AddUser("bob", false);
  SetSms("ReceiveSMS", "Yes");
  SetModem("RouteLocal", "bob");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, kRouteLocal));
    EXPECT_TRUE(Checked(page, kUseCommands));
    EXPECT_EQ(ComboChosen(page, kLocalUser), "<none>");
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Modem("RouteLocal"), "<none>");
}

TEST_F(TwoWayPageTest, WithoutAModemTheModemKeysAreLeftAlone) {
  sheet_.currentModemName[0] = '\0';
  AddUser("alice", true);
  SetSms("ReceiveSMS", "Yes");
  SetModem("RouteLocal", "alice");
  SetModem("MMSRouting", "zedsmslitemm7");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, kRouteLocal));
    EXPECT_FALSE(Checked(page, kRouteMm7));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Modem("RouteLocal"), "alice");
  EXPECT_EQ(Modem("MMSRouting"), "zedsmslitemm7");
}

TEST_F(TwoWayPageTest, AnUnreadableUserFileLeavesTheListEmpty) {
  CreateDirectoryPath(dir_.File("SMSUSERS.DAT").c_str());  // a folder cannot be opened as the file
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(ComboItems(page, kLocalUser).empty()) << "not even the empty entry";
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, BecomingActiveAddsNewUsersAndKeepsTheOld) {
  AddUser("alice", true);
  AddUser("bob", true);
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ComboItems(page, kLocalUser), (Texts{"", "alice", "bob"}));
    ASSERT_TRUE(Leave(sheet));
    AddUser("carol", true);
    AddUser("dave", false);
    {
      OpenUserFile file;
      SmsUserRecord bob;
      ASSERT_TRUE(SMSFindUserRecord(file.handle(), "bob", &bob));
      SMSDeleteUser(file.handle(), &bob);
    }
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    EXPECT_EQ(ComboItems(page, kLocalUser), (Texts{"", "alice", "bob", "carol"}));
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, EnablingFollowsTheSwitches) {
  AddUser("alice", true);
  RunOnPage([this](HWND sheet, HWND page) {
    Click(page, kProcessSms);
    for (int id : {kRouteLocal, kUseCommands, kTableLabel, kTable, kAdd, kEdit, kRemove, kCharsetLabel, kCharset,
                   kProcessMms})
      EXPECT_TRUE(Enabled(page, id)) << id;
    for (int id : {kLocalUser, kMmsToDirectory, kRouteMm7, kConfigure}) EXPECT_FALSE(Enabled(page, id)) << id;
    Click(page, kRouteLocal);
    EXPECT_FALSE(Checked(page, kUseCommands)) << "one of the two";
    EXPECT_TRUE(Enabled(page, kLocalUser));
    for (int id : {kTableLabel, kTable, kAdd, kEdit, kRemove, kCharsetLabel, kCharset}) EXPECT_FALSE(Enabled(page, id)) << id;
    Click(page, kProcessMms);
    EXPECT_TRUE(Enabled(page, kMmsToDirectory));
    EXPECT_TRUE(Enabled(page, kRouteMm7));
    EXPECT_FALSE(Enabled(page, kConfigure));
    Click(page, kRouteMm7);
    EXPECT_FALSE(Checked(page, kMmsToDirectory));
    EXPECT_TRUE(Enabled(page, kConfigure));
    Click(page, kMmsToDirectory);
    EXPECT_FALSE(Enabled(page, kConfigure));
    Click(page, kRouteMm7);
    Click(page, kProcessSms);
    for (int id : {kRouteLocal, kLocalUser, kUseCommands, kProcessMms, kMmsToDirectory, kRouteMm7, kConfigure})
      EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_TRUE(Checked(page, kRouteMm7)) << "switching off keeps the choices";
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, EveryEditTellsTheSheetAndSetsTheDirtyFlag) {
  AddUser("alice", true);
  std::vector<std::function<void(HWND)>> edits = {
      [](HWND page) { Click(page, kProcessSms); },
      [](HWND page) { Click(page, kRouteLocal); },
      [](HWND page) { Click(page, kUseCommands); },
      [](HWND page) { Click(page, kProcessMms); },
      [](HWND page) { Click(page, kRouteMm7); },
      [](HWND page) { Click(page, kMmsToDirectory); },
      [](HWND page) { Click(page, kPhpRemote); },
      [](HWND page) { ComboChoose(page, kLocalUser, "alice"); },
      [](HWND page) { ComboChoose(page, kCharset, "(default)"); },
  };
  SetSms("ReceiveSMS", "Yes");
  SetSms("ReceiveMMS", "Yes");
  SetSms("PHPEnable", "Yes");
  phprc_.Set(MakePhpFolder("php"));
  for (size_t i = 0; i < edits.size(); ++i) {
    sheet_.configDirty = false;
    RunOnPage([&](HWND sheet, HWND page) {
      EXPECT_FALSE(sheet_.configDirty);
      edits[i](page);
      EXPECT_TRUE(sheet_.configDirty) << "edit " << i;
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton))) << "edit " << i;
      Discard(sheet);
    });
  }
  std::vector<MessageBoxRecord> asked = boxes_.Boxes();
  ASSERT_EQ(asked.size(), edits.size());
  EXPECT_EQ(asked[0].text, "Exit without saving configuration changes?");
  EXPECT_EQ(asked[0].caption, kCaption);
  EXPECT_EQ(asked[0].icon, static_cast<UINT>(MB_ICONQUESTION));
}

TEST_F(TwoWayPageTest, ApplyWritesTheSwitchesAndTheModemRoutes) {
  AddUser("alice", true);
  CreateDirectoryPath((dir_.Path() + "VASPOUT\\zedsmslitemm7").c_str());
  WritePrivateProfileStringA("VASP", "Server", "http://mm7", (dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI").c_str());
  sheet_.configDirty = true;
  RunOnPage([this](HWND sheet, HWND page) {
    Click(page, kProcessSms);
    Click(page, kRouteLocal);
    ComboChoose(page, kLocalUser, "alice");
    Click(page, kProcessMms);
    Click(page, kRouteMm7);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveSMS"), "Yes");
  EXPECT_EQ(Sms("ReceiveMMS"), "Yes");
  EXPECT_EQ(Modem("RouteLocal"), "alice");
  EXPECT_EQ(Modem("MMSRouting"), "zedsmslitemm7");
  EXPECT_FALSE(sheet_.configDirty) << "Apply clears the flag";

  // MMS routing follows its own choice; ReceiveMMS needs both switches.
  RunOnPage([this](HWND sheet, HWND page) {
    Click(page, kUseCommands);
    Click(page, kProcessSms);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveSMS"), "No");
  EXPECT_EQ(Sms("ReceiveMMS"), "No");
  EXPECT_EQ(Modem("RouteLocal"), "<none>");
  EXPECT_EQ(Modem("MMSRouting"), "zedsmslitemm7");
  RunOnPage([this](HWND sheet, HWND page) {
    Click(page, kProcessSms);
    Click(page, kProcessMms);
    Click(page, kMmsToDirectory);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveMMS"), "Yes");
  EXPECT_EQ(Modem("MMSRouting"), "<none>");
}

TEST_F(TwoWayPageTest, SwitchingSmsOffWithALocalUserStaysOff) {
  AddUser("alice", true);
  SetSms("ReceiveSMS", "Yes");
  SetModem("RouteLocal", "alice");
  RunOnPage([this](HWND sheet, HWND page) {
    ASSERT_TRUE(Checked(page, kRouteLocal));
    Click(page, kProcessSms);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveSMS"), "No");
  EXPECT_EQ(Modem("RouteLocal"), "<none>") << "kept, it would switch processing back on";
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, kProcessSms));
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, CharacterSetsComeFromTheRegistryAndDefaultIsDeleted) {
  SetSms("ReceiveSMSCharset", "ISO-8859-1");
  RunOnPage([this](HWND sheet, HWND page) {
    Texts expected = {"(default)"};
    for (const std::string& name : RegistryCharsets()) expected.push_back(name);
    EXPECT_EQ(ComboItems(page, kCharset), expected) << "in enumeration order";
    EXPECT_GT(expected.size(), 2u);
    EXPECT_EQ(ComboChosen(page, kCharset), "iso-8859-1") << "matched without regard to case";
    ComboChoose(page, kCharset, "(default)");
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveSMSCharset"), "<none>");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ComboChosen(page, kCharset), "utf-8") << "the default the registry lists";
    ComboChoose(page, kCharset, "us-ascii");
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("ReceiveSMSCharset"), "us-ascii");
  SetSms("ReceiveSMSCharset", "no-such-charset");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ComboChosen(page, kCharset), "(default)");
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, HundredsOfCharacterSetsAreAllListed) {
  HKEY database;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kCharsetKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &database,
                            nullptr),
            ERROR_SUCCESS);
  std::vector<std::string> added;
  for (int i = 0; i < 400; ++i) {
    std::string name = "zed-test-charset-" + std::to_string(i) + std::string(i % 7 == 0 ? 200 : 0, 'x');
    HKEY key;
    if (RegCreateKeyExA(database, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      RegCloseKey(key);
      added.push_back(name);
    }
  }
  ASSERT_EQ(added.size(), 400u);
  SetSms("ReceiveSMSCharset", "ZED-TEST-CHARSET-398");
  RunOnPage([this](HWND sheet, HWND page) {
    Texts expected = {"(default)"};
    for (const std::string& name : RegistryCharsets()) expected.push_back(name);
    EXPECT_EQ(ComboItems(page, kCharset), expected);
    EXPECT_GT(expected.size(), 400u);
    EXPECT_EQ(ComboChosen(page, kCharset), "zed-test-charset-398");
    Discard(sheet);
  });
  for (const std::string& name : added) RegDeleteKeyA(database, name.c_str());
  RegCloseKey(database);
}

TEST_F(TwoWayPageTest, TheTableReadsGapsUpTo201AndStopsAfter) {
  SetCommand(1, "C\tc.exe @@SMS@@\tNo");
  SetCommand(2, "A\ta.exe @@SMS@@\tNo");
  SetCommand(3, "B\tb.exe @@SMS@@\tYes");
  SetCommand(250, "Z\tz.exe @@SMS@@\tNo");
  SetCommand(4, "");  // an empty value is no entry
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ListItems(page), (Texts{"A\ta.exe @@SMS@@\tNo", "B\tb.exe @@SMS@@\tYes", "C\tc.exe @@SMS@@\tNo"}))
        << "the first three, sorted";
    EXPECT_EQ(ListSelection(page), 0);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Command(1), "A\ta.exe @@SMS@@\tNo");
  EXPECT_EQ(Command(2), "B\tb.exe @@SMS@@\tYes");
  EXPECT_EQ(Command(3), "C\tc.exe @@SMS@@\tNo");
  EXPECT_EQ(Command(4), "<none>");
  EXPECT_EQ(Command(250), "Z\tz.exe @@SMS@@\tNo") << "past the gap: never seen, never touched";

  SetCommand(7, "G\tg.exe @@SMS@@\tNo");
  SetCommand(201, "H\th.exe @@SMS@@\tNo");
  SetCommand(202, "I\ti.exe @@SMS@@\tNo");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ListItems(page).size(), 6u) << "gaps up to 201 are passed over; 202 follows 201";
    Close(sheet, IDOK);
  });
  for (unsigned n = 1; n <= 6; ++n) EXPECT_NE(Command(n), "<none>") << n;
  for (unsigned n : {7u, 201u, 202u}) EXPECT_EQ(Command(n), "<none>") << n;
  EXPECT_EQ(Command(250), "Z\tz.exe @@SMS@@\tNo");
}

TEST_F(TwoWayPageTest, ApplyDeletesStaleEntriesPast201) {
  for (unsigned n = 1; n <= 205; ++n) {
    char entry[64];
    FormatText(entry, sizeof entry, "P%03u\tp.exe @@SMS@@\tNo", n);
    SetCommand(n, entry);
  }
  RunOnPage([this](HWND sheet, HWND page) {
    ASSERT_EQ(ListItems(page).size(), 205u);
    for (int i = 0; i < 10; ++i) Press(page, kRemove);
    EXPECT_EQ(ListItems(page).size(), 195u);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Command(1), "P011\tp.exe @@SMS@@\tNo");
  EXPECT_EQ(Command(195), "P205\tp.exe @@SMS@@\tNo");
  for (unsigned n = 196; n <= 205; ++n) EXPECT_EQ(Command(n), "<none>") << n;
}

TEST_F(TwoWayPageTest, EntriesStoredWithSpacesAreListedWithTabs) {
  SetCommand(1, "HELP C:\\bin\\help.exe");
  SetCommand(2, "INFO C:\\bin\\info.exe @@SMS@@");
  SetCommand(3, "TAB\tC:\\bin\\tab.exe @@SENDER@@");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(ListItems(page), (Texts{"HELP\tC:\\bin\\help.exe", "INFO\tC:\\bin\\info.exe\t@@SMS@@",
                                      "TAB\tC:\\bin\\tab.exe\t@@SENDER@@"}));
    SelectItem(page, 1);
    InEditor([&] { Press(page, kEdit); },
             [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorPrefix), "INFO");
               EXPECT_EQ(Text(editor, kEditorCommand), "C:\\bin\\info.exe");
               EXPECT_FALSE(Checked(editor, kEditorResponse)) << "the replacement string reads as false";
               CancelEditor(editor);
             });
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Command(1), "HELP\tC:\\bin\\help.exe");
  EXPECT_EQ(Command(2), "INFO\tC:\\bin\\info.exe\t@@SMS@@");
}

TEST_F(TwoWayPageTest, AddPutsTheNewEntryInSortedPlaceWithAStarForNoPrefix) {
  SetCommand(1, "M\thttp://m/@@SMS@@\tNo");
  RunOnPage([this](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kAdd); },
             [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorPrefix), "") << "a new command starts empty";
               Typing("", "http://all/?t=@@FULLSMS@@")(editor);
             });
    EXPECT_EQ(ListItems(page), (Texts{"*\thttp://all/?t=@@FULLSMS@@\tNo", "M\thttp://m/@@SMS@@\tNo"}));
    EXPECT_EQ(ListSelection(page), 0) << "the new entry is selected";
    EXPECT_TRUE(sheet_.configDirty);
    InEditor([&] { Press(page, kAdd); }, CancelEditor);
    EXPECT_EQ(ListItems(page).size(), 2u);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Command(1), "*\thttp://all/?t=@@FULLSMS@@\tNo");
  EXPECT_EQ(Command(2), "M\thttp://m/@@SMS@@\tNo");
}

TEST_F(TwoWayPageTest, AddingAnExistingPrefixAsksBeforeReplacing) {
  SetCommand(1, "HELP\thttp://old/@@SMS@@\tNo");
  SetCommand(2, "STOP\thttp://stop/@@SMS@@\tNo");
  RunOnPage([this](HWND sheet, HWND page) {
    // No: the editor opens again on what was typed; a new prefix is added.
    boxes_.Answer(IDNO);
    InEditor([&] { Press(page, kAdd); }, ThenInNext(Typing("help", "http://new/@@SMS@@"), [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorPrefix), "help");
               EXPECT_EQ(Text(editor, kEditorCommand), "http://new/@@SMS@@");
               Typing("HELP2", "http://new/@@SMS@@")(editor);
             }));
    EXPECT_EQ(ListItems(page), (Texts{"HELP\thttp://old/@@SMS@@\tNo", "HELP2\thttp://new/@@SMS@@\tNo",
                                      "STOP\thttp://stop/@@SMS@@\tNo"}));
    // Yes: the old entry goes.
    boxes_.Answer(IDYES);
    InEditor([&] { Press(page, kAdd); }, Typing("stop", "http://halt/@@SMS@@", true));
    EXPECT_EQ(ListItems(page), (Texts{"HELP\thttp://old/@@SMS@@\tNo", "HELP2\thttp://new/@@SMS@@\tNo",
                                      "stop\thttp://halt/@@SMS@@\tYes"}));
    // No, then Cancel in the editor: nothing changes.
    boxes_.Answer(IDNO);
    InEditor([&] { Press(page, kAdd); }, ThenInNext(Typing("HELP", "http://x/@@SMS@@"), CancelEditor));
    EXPECT_EQ(ListItems(page).size(), 3u);
    Discard(sheet);
  });
  std::vector<MessageBoxRecord> asked = boxes_.Boxes();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].text, "Replace existing defintion for command prefix 'help'?");
  EXPECT_EQ(asked[0].caption, kCaption);
  EXPECT_EQ(asked[0].icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(asked[0].buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(asked[1].text, "Replace existing defintion for command prefix 'stop'?");
  EXPECT_EQ(asked[2].text, "Replace existing defintion for command prefix 'HELP'?");
}

TEST_F(TwoWayPageTest, EditReplacesTheItemAndAnotherWithItsNewPrefix) {
  SetCommand(1, "A\thttp://a/@@SMS@@\tNo");
  SetCommand(2, "B\thttp://b/@@SMS@@\tNo");
  SetCommand(3, "C\thttp://c/@@SMS@@\tNo");
  RunOnPage([this](HWND sheet, HWND page) {
    // Keeping its own prefix asks nothing.
    SelectItem(page, 1);
    InEditor([&] { Press(page, kEdit); },
             [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorPrefix), "B");
               Typing("b", "http://bee/@@SMS@@", true)(editor);
             });
    EXPECT_EQ(ListItems(page), (Texts{"A\thttp://a/@@SMS@@\tNo", "b\thttp://bee/@@SMS@@\tYes", "C\thttp://c/@@SMS@@\tNo"}));
    EXPECT_TRUE(boxes_.Boxes().empty());
    // Taking another's prefix replaces both with the one entry.
    boxes_.Answer(IDYES);
    SelectItem(page, 2);
    InEditor([&] { Press(page, kEdit); }, Typing("A", "http://sea/@@SMS@@"));
    EXPECT_EQ(ListItems(page), (Texts{"A\thttp://sea/@@SMS@@\tNo", "b\thttp://bee/@@SMS@@\tYes"}));
    EXPECT_EQ(ListSelection(page), 0);
    // Cancel leaves everything.
    SelectItem(page, 1);
    InEditor([&] { Press(page, kEdit); }, CancelEditor);
    EXPECT_EQ(ListItems(page).size(), 2u);
    // No selection: nothing opens.
    SelectItem(page, -1);
    Press(page, kEdit);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(Command(1), "A\thttp://sea/@@SMS@@\tNo");
  EXPECT_EQ(Command(2), "b\thttp://bee/@@SMS@@\tYes");
  EXPECT_EQ(Command(3), "<none>");
}

TEST_F(TwoWayPageTest, RemoveSelectsTheItemThatTakesThePlace) {
  for (unsigned n = 1; n <= 4; ++n) SetCommand(n, std::string(1, static_cast<char>('A' + n - 1)) + "\thttp://x/@@SMS@@\tNo");
  RunOnPage([this](HWND sheet, HWND page) {
    SelectItem(page, 1);
    Press(page, kRemove);
    EXPECT_EQ(ListItems(page).size(), 3u);
    EXPECT_EQ(ListItems(page)[1].substr(0, 1), "C");
    EXPECT_EQ(ListSelection(page), 1);
    SelectItem(page, 2);
    Press(page, kRemove);
    EXPECT_EQ(ListSelection(page), 1) << "the last one was removed";
    SelectItem(page, -1);
    Press(page, kRemove);
    EXPECT_EQ(ListItems(page).size(), 2u) << "nothing without a selection";
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Command(1), "A\thttp://x/@@SMS@@\tNo");
  EXPECT_EQ(Command(2), "C\thttp://x/@@SMS@@\tNo");
  EXPECT_EQ(Command(3), "<none>");
}

TEST_F(TwoWayPageTest, OverlongStoredEntriesAreCutAndEditedSafely) {
  std::string command = "http://x/@@SMS@@" + std::string(3000, 'c');
  SetCommand(1, "LONG\t" + command + "\tYes");
  RunOnPage([&](HWND sheet, HWND page) {
    Texts items = ListItems(page);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], ("LONG\t" + command).substr(0, 1127)) << "read into the entry's buffer";
    InEditor([&] { Press(page, kEdit); },
             [&](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorCommand), command.substr(0, 1023));
               SendMessageA(editor, WM_COMMAND, IDOK, 0);
             });
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Command(1), "LONG\t" + command.substr(0, 1023) + "\tNo");
}

TEST_F(TwoWayPageTest, LeavingNeedsALocalUserWhenRoutingToOne) {
  AddUser("alice", true);
  SetSms("ReceiveSMS", "Yes");
  RunOnPage([this](HWND sheet, HWND page) {
    Click(page, kRouteLocal);
    boxes_.Answer(IDOK);
    EXPECT_FALSE(Leave(sheet));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    MessageBoxRecord box = boxes_.Boxes()[0];
    EXPECT_EQ(box.text, "Please select a local user account to receive messages");
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, kLocalUser));
    ComboChooseAt(page, kLocalUser, 0);
    boxes_.Answer(IDOK);
    EXPECT_FALSE(Leave(sheet)) << "the empty entry is no user";
    ComboChoose(page, kLocalUser, "alice");
    EXPECT_TRUE(Leave(sheet));
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, LeavingNeedsAnMm7ServerWhenRoutingOverMm7) {
  SetSms("ReceiveSMS", "Yes");
  RunOnPage([this](HWND sheet, HWND page) {
    Click(page, kProcessMms);
    Click(page, kRouteMm7);
    boxes_.Answer(IDOK);
    EXPECT_FALSE(Leave(sheet));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    MessageBoxRecord box = boxes_.Boxes()[0];
    EXPECT_EQ(box.text, "MM7 Settings must be configured");
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, kConfigure));
    CreateDirectoryPath((dir_.Path() + "VASPOUT\\zedsmslitemm7").c_str());
    std::string file = dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI";
    WritePrivateProfileStringA("VASP", "Server", "", file.c_str());
    boxes_.Answer(IDOK);
    EXPECT_FALSE(Leave(sheet)) << "an empty server is none";
    WritePrivateProfileStringA("VASP", "Server", "http://mm7.example.com/", file.c_str());
    EXPECT_TRUE(Leave(sheet));
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    Click(page, kProcessSms);  // nothing is checked while SMS are not processed
    RemoveIniKey(file.c_str(), "VASP", "Server");
    EXPECT_TRUE(Leave(sheet));
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, ButtonsOpenTheViewersAndTheMm7Dialog) {
  SetSms("ReceiveSMS", "Yes");
  SetSms("ReceiveMMS", "Yes");
  SetModem("MMSRouting", "zedsmslitemm7");
  RunOnPage([this](HWND sheet, HWND page) {
    for (auto opened : {std::make_pair(kViewSms, "Received SMS Messages"), std::make_pair(kViewMms, "Received MMS Messages"),
                        std::make_pair(kConfigure, "Configure MM7 Receiver")}) {
      WindowDriver dialog(opened.second, [](HWND window) { PostMessageA(window, WM_COMMAND, IDCANCEL, 0); });
      Press(page, opened.first);
      EXPECT_TRUE(dialog.Appeared()) << opened.second;
    }
    EXPECT_FALSE(sheet_.configDirty) << "the dialogs write their own settings";
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, PhpStoredOnWithoutTheProgramLoadsOffSilently) {
  SetSms("PHPEnable", "Yes");
  SetSms("PHPAllowRemote", "Yes");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, kPhpEnable));
    EXPECT_FALSE(Enabled(page, kPhpRemote));
    EXPECT_TRUE(Checked(page, kPhpRemote));
    EXPECT_EQ(Text(page, kPhpAddress), "");
    Close(sheet, IDOK);
  });
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_EQ(Sms("PHPEnable"), "No");
  EXPECT_EQ(Sms("PHPAllowRemote"), "Yes");
  EXPECT_FALSE(FileExists(dir_.Path() + "PHP"));
}

TEST_F(TwoWayPageTest, PhpFoundThroughPhprcShowsWhereScriptsAreServed) {
  phprc_.Set(MakePhpFolder("php-rc") + "\\");
  SetSms("PHPEnable", "Yes");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kPhpEnable));
    EXPECT_TRUE(Enabled(page, kPhpRemote));
    EXPECT_EQ(Text(page, kPhpAddress), "http://localhost/php resolves to " + dir_.Path() + "PHP\\");
    EXPECT_TRUE(IsDirectory((dir_.Path() + "PHP").c_str())) << "created when shown";
    Click(page, kPhpEnable);
    EXPECT_EQ(Text(page, kPhpAddress), "");
    EXPECT_FALSE(Enabled(page, kPhpRemote));
    EXPECT_TRUE(sheet_.configDirty);
    Click(page, kPhpEnable);
    EXPECT_TRUE(Checked(page, kPhpEnable));
    EXPECT_TRUE(Enabled(page, kPhpRemote));
    Click(page, kPhpRemote);
    Close(sheet, IDOK);
  });
  EXPECT_EQ(Sms("PHPEnable"), "Yes");
  EXPECT_EQ(Sms("PHPAllowRemote"), "Yes");
}

TEST_F(TwoWayPageTest, PhpDirectoryComesFromPhpDirWithABackslash) {
  std::string scripts = dir_.Path() + "www\\scripts";
  SetSms("PHPDir", scripts.c_str());
  phprc_.Set(MakePhpFolder("php-rc"));
  RunOnPage([&](HWND sheet, HWND page) {
    Click(page, kPhpEnable);
    EXPECT_EQ(Text(page, kPhpAddress), "http://localhost/php resolves to " + scripts + "\\");
    EXPECT_TRUE(IsDirectory(scripts.c_str()));
    Discard(sheet);
  });
}

TEST_F(TwoWayPageTest, SwitchingPhpOnWithoutTheProgramIsRefused) {
  MakePhpFolder("elsewhere");  // on neither PHPRC nor PATH
  phprc_.Set(dir_.Path() + "empty-rc");
  RunOnPage([this](HWND sheet, HWND page) {
    boxes_.Answer(IDOK);
    Click(page, kPhpEnable);
    EXPECT_FALSE(Checked(page, kPhpEnable));
    EXPECT_FALSE(Enabled(page, kPhpRemote));
    EXPECT_EQ(Text(page, kPhpAddress), "");
    Close(sheet, IDOK);
  });
  MessageBoxRecord box = OnlyBox();
  EXPECT_EQ(box.text, kPhpMissing);
  EXPECT_EQ(box.caption, kCaption);
  EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(Sms("PHPEnable"), "No");
}

TEST_F(TwoWayPageTest, PhpIsFoundAnywhereOnALongPath) {
  std::string path;
  for (int i = 0; i < 150; ++i) path += "C:\\no\\such\\folder" + std::to_string(i) + ";";
  path += "  " + MakePhpFolder("php-on-path");
  ASSERT_GT(path.size(), 2048u);
  path_.Set(path);
  // A PHPRC too long for its buffer counts as not set.
  phprc_.Set(std::string(3000, 'x'));
  SetSms("PHPEnable", "Yes");
  RunOnPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kPhpEnable));
    Discard(sheet);
  });
  EXPECT_TRUE(boxes_.Boxes().empty());
}
