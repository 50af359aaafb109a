// The Users tab: the list over the user file, Add, Edit and Delete with all
// they touch (record, user folder, routing key, MM7/EAIF account), and the
// web login switch.
#include "settings/users_page.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "accounts/account_files.h"
#include "app/app_state.h"
#include "app/main_sheet.h"
#include "common/file_util.h"
#include "config/config_files.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kRouting[] = "Inbound SMS Routing";
constexpr int kList = 101, kEdit = 102, kAdd = 103, kDelete = 104, kWebAuth = 105;
constexpr int kEditorName = 104, kEditorFullName = 108, kEditorSmpp = 102, kEditorAccept = 109;
constexpr int kEditorRouting = 111, kEditorMm7 = 113;
constexpr int kApply = 0x3021;
typedef std::vector<std::string> Names;

HWND List(HWND page) { return GetDlgItem(page, kList); }
int Rows(HWND page) { return static_cast<int>(SendMessageA(List(page), LVM_GETITEMCOUNT, 0, 0)); }
std::string Cell(HWND page, int row, int column) {
  char text[256] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(List(page), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}
Names Column(HWND page, int column) {
  Names texts;
  for (int row = 0; row < Rows(page); ++row) texts.push_back(Cell(page, row, column));
  return texts;
}
void Select(HWND page, std::initializer_list<int> rows) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED;
  SendMessageA(List(page), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  item.state = LVIS_SELECTED;
  for (int row : rows) SendMessageA(List(page), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
int Selected(HWND page) {
  return static_cast<int>(SendMessageA(List(page), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}
void Press(HWND page, int button) { SendMessageA(page, WM_COMMAND, button, 0); }
// Presses a button (or sends a key) that opens the editor, and acts in it.
void InEditor(std::function<void()> open, std::function<void(HWND)> action) {
  WindowDriver editor("Edit User", std::move(action));
  open();
}

class UsersPageTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  // A sheet of the Users page and one other page; the action gets the sheet
  // and the Users page and closes the sheet.
  void RunOnUsersPage(std::function<void(HWND, HWND)> action) {
    RunPageInSheet(&sheet_, {"DIALOG_SMSUSERS", "Users", UsersPageProc}, 0, kCaption, action);
  }
  static void Close(HWND sheet, int button) { PostMessageA(sheet, WM_COMMAND, button, 0); }
  std::string Routing(const char* name) { return ReadIni(g_configFiles.smsIni, kRouting, name, "<none>"); }
  void SetRouting(const char* name, const char* value) {
    WritePrivateProfileStringA(kRouting, name, value, g_configFiles.smsIni);
  }
  std::string UserFolder(const char* name) { return dir_.Path() + "USERS\\" + name; }
  void MakeUserFolder(const char* name) {
    CreateDirectoryPath(UserFolder(name).c_str());
    WriteFileText(UserFolder(name) + "\\note.txt", name);
  }
  static void AddVasp(const char* name) {
    VaspAccountRecord vasp = PatternVasp(name);
    VASPAddUser(&vasp);
  }
  static bool HasVasp(const char* name) {
    VaspAccountRecord vasp;
    return VASPFindUserRecord(name, &vasp) != FALSE;
  }
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
    return texts;
  }

  TempDataDirectory dir_{"userspage"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

TEST_F(UsersPageTest, TheMainSheetShowsThisPageAsItsFourthTab) {
  EXPECT_STREQ(kMainSheetPages[3].templateName, "DIALOG_SMSUSERS");
  EXPECT_STREQ(kMainSheetPages[3].title, "Users");
  EXPECT_EQ(kMainSheetPages[3].procedure, &UsersPageProc);
}

TEST_F(UsersPageTest, ListsEveryUserWithNameAndFullNameAndSelectsTheFirst) {
  StoreUser(UserBytes("alice", {{102, "Alice Example"}}));
  StoreUser(UserBytes("bob", {{102, "Bob Example"}}));
  StoreUser(UserBytes("carol"));
  RunOnUsersPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 0), (Names{"alice", "bob", "carol"}));
    EXPECT_EQ(Column(page, 1), (Names{"Alice Example", "Bob Example", ""}));
    EXPECT_EQ(Selected(page), 0);
    EXPECT_EQ(SendMessageA(List(page), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);
    RECT client;
    GetClientRect(List(page), &client);
    for (int column = 0; column < 2; ++column)
      EXPECT_EQ(SendMessageA(List(page), LVM_GETCOLUMNWIDTH, column, 0), client.right / 2);
    EXPECT_TRUE(SendMessageA(List(page), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    LONG style = GetWindowLongA(List(page), GWL_STYLE);
    EXPECT_TRUE(style & LVS_OWNERDATA);
    EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
    EXPECT_FALSE(style & LVS_SINGLESEL);
    EXPECT_TRUE(GetWindowLongA(List(page), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(Text(page, kWebAuth), "Require user login for web interface");
    EXPECT_EQ(Text(page, kEdit), "Edit");
    EXPECT_EQ(Text(page, kAdd), "Add");
    EXPECT_EQ(Text(page, kDelete), "Delete");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApply))) << "loading is no change";
    EXPECT_FALSE(sheet_.configDirty);
    Close(sheet, IDCANCEL);
  });
}

TEST_F(UsersPageTest, WebLoginSwitchIsReadAsATrueValueAndAppliedAsYesOrNo) {
  WritePrivateProfileStringA("SMSGW", "WebAuth", "1", g_configFiles.smsIni);
  RunOnUsersPage([this](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kWebAuth));
    Click(page, kWebAuth);
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApply))) << "the sheet was told";
    Close(sheet, IDOK);
  });
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "WebAuth"), "No");
  EXPECT_TRUE(sheet_.configDirty) << "Apply leaves the flag alone";

  sheet_.configDirty = false;
  WritePrivateProfileStringA("SMSGW", "WebAuth", "true", g_configFiles.smsIni);
  RunOnUsersPage([](HWND sheet, HWND page) {
    EXPECT_TRUE(Checked(page, kWebAuth));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "WebAuth"), "Yes");

  WritePrivateProfileStringA("SMSGW", "WebAuth", nullptr, g_configFiles.smsIni);
  RunOnUsersPage([](HWND sheet, HWND page) {
    EXPECT_FALSE(Checked(page, kWebAuth)) << "read with the default No";
    Close(sheet, IDOK);
  });
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "WebAuth"), "No");
}

TEST_F(UsersPageTest, CancelWithUnsavedChangesAsksFirst) {
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    Click(page, kWebAuth);
    SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);  // No: stays
    EXPECT_TRUE(IsWindow(sheet));
    Close(sheet, IDCANCEL);  // Yes: closes
  });
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Exit without saving configuration changes?");
  EXPECT_EQ(boxes_.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "WebAuth", "<none>"), "<none>");
}

TEST_F(UsersPageTest, AddStoresTheNewUserAndShowsIt) {
  StoreUser(UserBytes("alice"));
  RunOnUsersPage([this](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kAdd); },
             [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorName), "") << "an empty record";
               SetDlgItemTextA(editor, kEditorName, "bob");
               SetDlgItemTextA(editor, kEditorFullName, "Bob Example");
               Click(editor, kEditorSmpp);
               Click(editor, kEditorAccept);
               SetDlgItemTextA(editor, kEditorRouting, "+4471234");
               Click(editor, kEditorMm7);
               Ok(editor);
             });
    EXPECT_EQ(Column(page, 0), (Names{"alice", "bob"}));
    EXPECT_EQ(Cell(page, 1, 1), "Bob Example");
    EXPECT_FALSE(sheet_.configDirty) << "accounts are written at once";
    InEditor([&] { Press(page, kAdd); }, Cancel);
    EXPECT_EQ(Rows(page), 2);
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(UserNames(), (Names{"alice", "bob"}));
  SmsUserRecord bob;
  ASSERT_TRUE(FetchUser("bob", &bob));
  EXPECT_EQ(bob.bytes[204], 1);
  EXPECT_EQ(bob.bytes[421], 1);
  EXPECT_EQ(Routing("bob"), "+4471234");
  EXPECT_TRUE(HasVasp("bob"));
  EXPECT_FALSE(FileExists(UserFolder("bob"))) << "the console never creates it";
}

TEST_F(UsersPageTest, TheEleventhUserIsRefusedButEditingGoesOn) {
  char name[8];
  for (int i = 0; i < 9; ++i) {
    wsprintfA(name, "u%d", i);
    StoreUser(UserBytes(name));
  }
  boxes_.Answer(IDOK);
  RunOnUsersPage([](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kAdd); },
             [](HWND editor) {
               SetDlgItemTextA(editor, kEditorName, "tenth");
               Ok(editor);
             });
    EXPECT_EQ(Rows(page), 10);
    Press(page, kAdd);  // the box is answered; no editor opens
    EXPECT_EQ(FindOwnWindow("Edit User"), nullptr);
    Select(page, {9});
    InEditor([&] { Press(page, kEdit); },
             [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorName), "tenth");
               SetDlgItemTextA(editor, kEditorName, "renamed");
               Ok(editor);
             });
    EXPECT_EQ(Cell(page, 9, 0), "renamed") << "editing and renaming are not limited";
    Close(sheet, IDCANCEL);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "User Limit Exceeded");
  EXPECT_EQ(boxes_.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(UserNames().size(), 10u);
}

TEST_F(UsersPageTest, EditingClearsEveryRecordByteTheEditorDoesNotFill) {
  SmsUserRecord record;
  memset(record.bytes, 0xEE, sizeof record.bytes);
  memset(record.bytes, 0, 51);
  strcpy(reinterpret_cast<char*>(record.bytes), "erin");
  record.bytes[204] = 0;
  StoreUser(record);
  RunOnUsersPage([](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kEdit); }, Ok);
    Close(sheet, IDCANCEL);
  });
  SmsUserRecord stored;
  ASSERT_TRUE(FetchUser("erin", &stored));
  // What remains: the name, texts cut where their fields end, the switches.
  SmsUserRecord expected = {};
  strcpy(reinterpret_cast<char*>(expected.bytes), "erin");
  memset(&expected.bytes[51], 0xEE, 50);
  memset(&expected.bytes[102], 0xEE, 100);
  expected.bytes[203] = 1;  // 0xEE: web login was disabled
  memset(&expected.bytes[225], 0xEE, 49);
  expected.bytes[419] = 0xB0;
  expected.bytes[421] = 1;
  for (size_t i = 0; i < sizeof stored.bytes; ++i) EXPECT_EQ(stored.bytes[i], expected.bytes[i]) << "byte " << i;
  EXPECT_EQ(UserNames(), (Names{"erin"}));
}

TEST_F(UsersPageTest, AChangeOfLetterCaseIsAnEditNotARename) {
  StoreUser(UserBytes("alice", {}, {{204, 1}}));
  StoreUser(UserBytes("bob"));
  MakeUserFolder("alice");
  SetRouting("alice", "+1");
  AddVasp("alice");
  RunOnUsersPage([](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kEdit); },
             [](HWND editor) {
               SetDlgItemTextA(editor, kEditorName, "Alice");
               Ok(editor);
             });
    EXPECT_EQ(Column(page, 0), (Names{"Alice", "bob"})) << "in its place";
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(UserNames(), (Names{"Alice", "bob"}));
  EXPECT_TRUE(FileExists(UserFolder("alice") + "\\note.txt"));
  EXPECT_EQ(Routing("Alice"), "+1");
  EXPECT_TRUE(HasVasp("alice"));
}

TEST_F(UsersPageTest, ARenameTakesTheFolderTheRoutingEntryAndTheMm7Account) {
  StoreUser(UserBytes("frank", {{51, "pw"}}, {{204, 1}}));
  StoreUser(UserBytes("grace"));
  MakeUserFolder("frank");
  SetRouting("frank", "+4470001");
  AddVasp("frank");
  boxes_.Answer(IDOK);
  RunOnUsersPage([](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kEdit); },
             [](HWND editor) {
               EXPECT_TRUE(Checked(editor, kEditorMm7));
               SetDlgItemTextA(editor, kEditorName, "GRACE");
               Ok(editor);  // refused: another user's name
               EXPECT_TRUE(IsWindow(editor));
               SetDlgItemTextA(editor, kEditorName, "henry");
               Ok(editor);
             });
    EXPECT_EQ(Column(page, 0), (Names{"grace", "henry"})) << "a rename is a delete and an add";
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"User GRACE is already defined."}));
  EXPECT_EQ(UserNames(), (Names{"grace", "henry"}));
  EXPECT_FALSE(FileExists(UserFolder("frank")));
  EXPECT_EQ(ReadFileText(UserFolder("henry") + "\\note.txt"), "frank");
  EXPECT_EQ(Routing("frank"), "<none>");
  EXPECT_EQ(Routing("henry"), "+4470001");
  EXPECT_TRUE(HasVasp("henry"));
  EXPECT_FALSE(HasVasp("frank")) << "the old name no longer logs in";
}

TEST_F(UsersPageTest, SeveralUsersAreDeletedAfterOneQuestion) {
  for (const char* name : {"a", "b", "c", "d"}) {
    StoreUser(UserBytes(name));
    MakeUserFolder(name);
    SetRouting(name, "+1");
    AddVasp(name);
  }
  boxes_.Answer(IDNO);
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    Select(page, {1, 3});
    Press(page, kDelete);  // No
    EXPECT_EQ(Rows(page), 4);
    Press(page, kDelete);  // Yes
    EXPECT_EQ(Column(page, 0), (Names{"a", "c"}));
    EXPECT_EQ(Selected(page), -1);
    Press(page, kDelete);  // nothing selected: no question
    Close(sheet, IDCANCEL);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  for (const auto& box : boxes_.Boxes()) {
    EXPECT_EQ(box.text, "Delete 2 users?");
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
  }
  EXPECT_EQ(UserNames(), (Names{"a", "c"}));
  for (const char* gone : {"b", "d"}) {
    EXPECT_FALSE(FileExists(UserFolder(gone))) << gone;
    EXPECT_EQ(Routing(gone), "<none>") << gone;
    EXPECT_FALSE(HasVasp(gone)) << gone;
  }
  for (const char* kept : {"a", "c"}) {
    EXPECT_TRUE(FileExists(UserFolder(kept))) << kept;
    EXPECT_EQ(Routing(kept), "+1") << kept;
    EXPECT_TRUE(HasVasp(kept)) << kept;
  }
}

TEST_F(UsersPageTest, OneUserIsDeletedAfterItsOwnQuestion) {
  StoreUser(UserBytes("solo"));
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    Press(page, kDelete);
    EXPECT_EQ(Rows(page), 0);
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Delete User?"}));
  EXPECT_TRUE(UserNames().empty());
}

TEST_F(UsersPageTest, KeysAndTheMouseOnTheList) {
  StoreUser(UserBytes("alice"));
  StoreUser(UserBytes("bob"));
  boxes_.Answer(IDNO);
  RunOnUsersPage([this](HWND sheet, HWND page) {
    HWND list = List(page);
    Select(page, {1});
    InEditor([&] { PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0); },
             [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorName), "bob") << "Enter edits";
               Cancel(editor);
             });
    EXPECT_TRUE(IsWindow(sheet)) << "Enter did not close the sheet";
    InEditor([&] { PostMessageA(list, WM_KEYDOWN, VK_INSERT, 0); },
             [](HWND editor) {
               EXPECT_EQ(Text(editor, kEditorName), "") << "Insert adds";
               Cancel(editor);
             });
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !boxes_.Boxes().empty(); }, 5000));
    RECT row = {LVIR_BOUNDS};
    SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
    InEditor(
        [&] {
          PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
          PostMessageA(list, WM_LBUTTONUP, 0, at);
          PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
          PostMessageA(list, WM_LBUTTONUP, 0, at);
        },
        [](HWND editor) {
          EXPECT_EQ(Text(editor, kEditorName), "alice") << "a double click edits";
          Cancel(editor);
        });
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Delete User?"})) << "Delete asks";
  EXPECT_EQ(UserNames(), (Names{"alice", "bob"}));
}

TEST_F(UsersPageTest, TypingFindsTheFirstUserWhoseNameBeginsWithTheText) {
  for (const char* name : {"alice", "Bob", "bert", "carol"}) StoreUser(UserBytes(name));
  RunOnUsersPage([](HWND sheet, HWND page) {
    HWND list = List(page);
    auto find = [&](UINT flags, const char* text) {
      LVFINDINFOA info = {};
      info.flags = flags;
      info.psz = text;
      return static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info)));
    };
    EXPECT_EQ(find(LVFI_PARTIAL | LVFI_STRING, "BE"), 2);
    EXPECT_EQ(find(LVFI_PARTIAL | LVFI_STRING, "b"), 1) << "the first in the file";
    EXPECT_EQ(find(LVFI_STRING, "car"), 3) << "an exact search is answered the same way";
    EXPECT_EQ(find(LVFI_PARTIAL | LVFI_STRING, "dave"), -1);
    LVFINDINFOA byParam = {};
    byParam.flags = LVFI_PARAM;
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&byParam)), -1);
    // Typed into the list, the selection follows.
    SendMessageA(list, WM_CHAR, 'c', 1);  // a repeat count of one
    EXPECT_TRUE(WaitUntil([&] { return Selected(page) == 3; }, 3000));
    Close(sheet, IDCANCEL);
  });
}

TEST_F(UsersPageTest, RecordsThatCannotBeReadShowEmptyAndAreOnlyRemovedFromTheList) {
  SmsUserRecord alice = UserBytes("alice", {{102, "Alice"}});
  SmsUserRecord bob = UserBytes("bob");
  std::vector<unsigned char> bytes(3 * sizeof(SmsUserRecord) + 100, 0x5A);  // garbage record, partial tail
  memcpy(&bytes[0], alice.bytes, sizeof alice.bytes);
  memcpy(&bytes[2 * sizeof(SmsUserRecord)], bob.bytes, sizeof bob.bytes);
  WriteBytes(UserFilePath(), bytes);
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 0), (Names{"alice", "", "bob"}));
    EXPECT_EQ(Column(page, 1), (Names{"Alice", "", ""}));
    Select(page, {1});
    Press(page, kEdit);  // cannot be read: nothing happens
    EXPECT_EQ(FindOwnWindow("Edit User"), nullptr);
    Press(page, kDelete);
    EXPECT_EQ(Rows(page), 3) << "still in the file, so listed again";
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Delete User?"}));
  EXPECT_EQ(UserNames(), (Names{"alice", "<unreadable>", "bob"}));
}

TEST_F(UsersPageTest, ANameThatIsNoPlainFolderNameTouchesNoFolder) {
  StoreUser(UserBytes("..\\victim"));
  StoreUser(UserBytes("..\\other"));
  CreateDirectoryPath(dir_.File("victim").c_str());
  WriteFileText(dir_.File("victim\\keep.txt"), "keep");
  CreateDirectoryPath(dir_.File("other").c_str());
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kEdit); },
             [](HWND editor) {
               SetDlgItemTextA(editor, kEditorName, "safe");
               Ok(editor);
             });
    Select(page, {0});
    EXPECT_EQ(Cell(page, 0, 0), "..\\other");
    Press(page, kDelete);
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(UserNames(), (Names{"safe"}));
  EXPECT_TRUE(FileExists(dir_.File("victim\\keep.txt"))) << "not moved to USERS\\safe";
  EXPECT_FALSE(FileExists(UserFolder("safe")));
  EXPECT_TRUE(FileExists(dir_.File("other"))) << "not deleted";
}

TEST_F(UsersPageTest, ReadersKeepTheFileOpenWhileThePageWrites) {
  StoreUser(UserBytes("alice"));
  OpenUserFile reader(GENERIC_READ);
  HANDLE foreign = CreateFileA(UserFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(foreign, INVALID_HANDLE_VALUE);
  boxes_.Answer(IDYES);
  RunOnUsersPage([&](HWND sheet, HWND page) {
    InEditor([&] { Press(page, kAdd); },
             [](HWND editor) {
               SetDlgItemTextA(editor, kEditorName, "bob");
               Ok(editor);
             });
    EXPECT_EQ(SMSGetRecordCount(reader.handle()), 2);
    Select(page, {0});
    Press(page, kDelete);
    SmsUserRecord record;
    ASSERT_TRUE(SMSGetUserRecord(reader.handle(), 0, &record));
    EXPECT_EQ(RecordName(record.bytes), "bob");
    Close(sheet, IDCANCEL);
  });
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(foreign, &size));
  EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(sizeof(SmsUserRecord)));
  CloseHandle(foreign);
}

TEST_F(UsersPageTest, ComingBackToThePageShowsUsersAddedMeanwhile) {
  StoreUser(UserBytes("alice"));
  RunOnUsersPage([](HWND sheet, HWND page) {
    EXPECT_EQ(Rows(page), 1);
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    StoreUser(UserBytes("bob", {{102, "Bob"}}));  // as a service would
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    EXPECT_EQ(Column(page, 0), (Names{"alice", "bob"}));
    EXPECT_EQ(Cell(page, 1, 1), "Bob");
    Close(sheet, IDCANCEL);
  });
}

}  // namespace
