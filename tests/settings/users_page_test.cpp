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
#include "common/file_util.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "resources/user_editor_ids.h"
#include "settings/settings_dialogs.h"
#include "support/dialog_items.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kRouting[] = "Inbound SMS Routing";
typedef std::vector<std::string> Names;

HWND List(HWND page) { return GetDlgItem(page, IDC_USERS_LIST); }
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
// Opens the editor with open() and acts in it.
void InEditor(const std::function<void()>& open, const std::function<void(HWND)>& action) {
  bool opened = false;
  {
    WindowDriver editor("Edit User", [&](HWND window) {
      opened = true;
      action(window);
    });
    open();
  }
  EXPECT_TRUE(opened);
}
std::function<void(HWND)> Naming(const char* name) {
  return [=](HWND editor) {
    SetDlgItemTextA(editor, IDC_USERINFO_NAME, name);
    Ok(editor);
  };
}

class UsersPageTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  // A sheet of the Users page and one other page; the action closes it.
  void RunOnUsersPage(const std::function<void(HWND, HWND)>& action) {
    RunPageInSheet(&sheet_, {"DIALOG_SMSUSERS", "Users", UsersPageProc}, 0, kProductCaption, action);
  }
  static void Close(HWND sheet, int button) { PostMessageA(sheet, WM_COMMAND, button, 0); }
  std::string Routing(const char* name) { return ReadIni(g_configFiles.smsIni, kRouting, name, "<none>"); }
  std::string UserFolder(const char* name) { return dir_.Path() + "USERS\\" + name; }
  // A user with a folder, a routing entry and an MM7/EAIF account.
  void AddFullUser(const SmsUserRecord& record, const char* routing) {
    StoreUser(record);
    std::string name = RecordName(record.bytes);
    CreateDirectoryPath(UserFolder(name.c_str()).c_str());
    WriteFileText(UserFolder(name.c_str()) + "\\note.txt", name);
    WritePrivateProfileStringA(kRouting, name.c_str(), routing, g_configFiles.smsIni);
    VaspAccountRecord vasp = PatternVasp(name.c_str());
    VASPAddUser(&vasp);
  }
  static bool HasVasp(const char* name) {
    VaspAccountRecord vasp;
    return VASPFindUserRecord(name, &vasp) != FALSE;
  }

  TempDataDirectory dir_{"userspage"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

}  // namespace

TEST_F(UsersPageTest, UsersAreListedAddedRenamedAndDeletedWithAllTheyOwn) {
  AddFullUser(UserBytes("alice", {{102, "Alice Example"}}, {{204, 1}}), "+9");
  AddFullUser(UserBytes("frank", {{51, "pw"}}, {{204, 1}}), "+4470001");
  AddFullUser(UserBytes("grace"), "+1");
  AddFullUser(UserBytes("ivan"), "+2");
  AddFullUser(UserBytes("judy"), "+3");
  WritePrivateProfileStringA("SMSGW", "WebAuth", "1", g_configFiles.smsIni);
  for (int answer : {IDOK, IDNO, IDYES, IDYES, IDNO}) boxes_.Answer(answer);
  RunOnUsersPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 0), (Names{"alice", "frank", "grace", "ivan", "judy"}));
    EXPECT_EQ(Column(page, 1), (Names{"Alice Example", "", "", "", ""}));
    EXPECT_EQ(Selected(page), 0);
    EXPECT_TRUE(Checked(page, IDC_USERS_WEB_AUTH));
    EXPECT_FALSE(Enabled(sheet, kApplyButton)) << "loading is no change";

    InEditor([&] { Press(page, IDC_USERS_ADD); }, [](HWND editor) {
      EXPECT_EQ(Text(editor, IDC_USERINFO_NAME), "") << "an empty record";
      SetDlgItemTextA(editor, IDC_USERINFO_NAME, "bob");
      SetDlgItemTextA(editor, IDC_USERINFO_FULL_NAME, "Bob Example");
      Click(editor, IDC_USERINFO_SMPP_LOGIN);
      Click(editor, IDC_USERINFO_ACCEPT_RECEIVED);
      SetDlgItemTextA(editor, IDC_USERINFO_ROUTING, "+4471234");
      Click(editor, IDC_USERINFO_MM7_LOGIN);
      Ok(editor);
    });
    InEditor([&] { Press(page, IDC_USERS_ADD); }, Cancel);
    EXPECT_FALSE(sheet_.configDirty) << "accounts are written at once";
    // A change of letter case is an edit: the folder and entries stay.
    Select(page, {0});
    InEditor([&] { Press(page, IDC_USERS_EDIT); }, Naming("Alice"));
    // A rename to another user's name is refused; otherwise it is a delete
    // and an add that takes the folder, routing entry and account along.
    Select(page, {1});
    InEditor([&] { Press(page, IDC_USERS_EDIT); }, [](HWND editor) {
      EXPECT_TRUE(Checked(editor, IDC_USERINFO_MM7_LOGIN));
      Naming("GRACE")(editor);
      EXPECT_TRUE(IsWindow(editor));
      Naming("henry")(editor);
    });
    EXPECT_EQ(Column(page, 0), (Names{"Alice", "grace", "ivan", "judy", "bob", "henry"}));
    EXPECT_EQ(Cell(page, 4, 1), "Bob Example");

    Select(page, {1, 3});
    Press(page, IDC_USERS_DELETE);  // No
    EXPECT_EQ(Rows(page), 6);
    Press(page, IDC_USERS_DELETE);  // Yes
    EXPECT_EQ(Selected(page), -1);
    Press(page, IDC_USERS_DELETE);  // nothing selected: no question
    Select(page, {1});
    Press(page, IDC_USERS_DELETE);  // Yes
    EXPECT_EQ(Column(page, 0), (Names{"Alice", "bob", "henry"}));

    // Users a service adds meanwhile show when the page is shown again.
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    StoreUser(UserBytes("kim", {{102, "Kim"}}));
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    EXPECT_EQ(Cell(page, 3, 1), "Kim");

    Click(page, IDC_USERS_WEB_AUTH);
    EXPECT_TRUE(sheet_.configDirty);
    EXPECT_TRUE(Enabled(sheet, kApplyButton));
    SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);  // No: stays
    EXPECT_TRUE(IsWindow(sheet));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxTexts(boxes_), (std::vector<std::string>{"User GRACE is already defined.", "Delete 2 users?",
                                                  "Delete 2 users?", "Delete User?",
                                                  "Exit without saving configuration changes?"}));
  EXPECT_EQ(boxes_.Boxes()[1].buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(ReadIni(g_configFiles.smsIni, "SMSGW", "WebAuth"), "No");
  EXPECT_TRUE(sheet_.configDirty) << "Apply leaves the flag alone";

  EXPECT_EQ(UserNames(), (Names{"Alice", "bob", "henry", "kim"}));
  SmsUserRecord bob;
  ASSERT_TRUE(FetchUser("bob", &bob));
  EXPECT_EQ(bob.bytes[204], 1);
  EXPECT_EQ(bob.bytes[421], 1);
  EXPECT_EQ(Routing("bob"), "+4471234");
  EXPECT_TRUE(HasVasp("bob"));
  EXPECT_FALSE(FileExists(UserFolder("bob"))) << "the console never creates it";
  EXPECT_TRUE(FileExists(UserFolder("alice") + "\\note.txt"));
  EXPECT_EQ(Routing("Alice"), "+9");
  EXPECT_TRUE(HasVasp("alice"));
  EXPECT_EQ(ReadFileText(UserFolder("henry") + "\\note.txt"), "frank");
  EXPECT_EQ(Routing("henry"), "+4470001");
  EXPECT_TRUE(HasVasp("henry"));
  for (const char* gone : {"frank", "grace", "ivan", "judy"}) {
    EXPECT_FALSE(FileExists(UserFolder(gone))) << gone;
    EXPECT_EQ(Routing(gone), "<none>") << gone;
    EXPECT_FALSE(HasVasp(gone)) << gone;
  }
}

TEST_F(UsersPageTest, TheEleventhUserIsRefusedButEditingGoesOn) {
  for (int i = 0; i < 9; ++i) StoreUser(UserBytes(("u" + std::to_string(i)).c_str()));
  boxes_.Answer(IDOK);
  RunOnUsersPage([](HWND sheet, HWND page) {
    InEditor([&] { Press(page, IDC_USERS_ADD); }, Naming("tenth"));
    Press(page, IDC_USERS_ADD);  // the box is answered; no editor opens
    EXPECT_EQ(FindOwnWindow("Edit User"), nullptr);
    Select(page, {9});
    InEditor([&] { Press(page, IDC_USERS_EDIT); }, Naming("renamed"));
    EXPECT_EQ(Cell(page, 9, 0), "renamed") << "editing and renaming are not limited";
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(boxes_), std::vector<std::string>{"User Limit Exceeded"});
  EXPECT_EQ(UserNames().size(), 10u);
}

TEST_F(UsersPageTest, KeysTypingAndTheMouseOnTheList) {
  for (const char* name : {"alice", "Bob", "bert", "carol"}) StoreUser(UserBytes(name));
  boxes_.Answer(IDNO);
  RunOnUsersPage([this](HWND sheet, HWND page) {
    HWND list = List(page);
    auto editsUser = [](const char* name) {
      return [=](HWND editor) {
        EXPECT_EQ(Text(editor, IDC_USERINFO_NAME), name);
        Cancel(editor);
      };
    };
    Select(page, {1});
    InEditor([&] { PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0); }, editsUser("Bob"));
    EXPECT_TRUE(IsWindow(sheet)) << "Enter did not close the sheet";
    InEditor([&] { PostMessageA(list, WM_KEYDOWN, VK_INSERT, 0); }, editsUser(""));
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !boxes_.Boxes().empty(); }, 5000));
    RECT row = {LVIR_BOUNDS};
    SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
    InEditor(
        [&] {
          for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            PostMessageA(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        },
        editsUser("alice"));

    // Typed into the owner-data list, the first name beginning with the text is selected.
    for (char typed : {'b', 'e'}) SendMessageA(list, WM_CHAR, typed, 1);
    EXPECT_TRUE(WaitUntil([&] { return Selected(page) == 2; }, 3000)) << "bert, past Bob";
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(boxes_), std::vector<std::string>{"Delete User?"}) << "Delete asks";
  EXPECT_EQ(UserNames().size(), 4u);
}

TEST_F(UsersPageTest, RecordsThatCannotBeReadShowEmptyAndAreOnlyRemovedFromTheList) {
  SmsUserRecord alice = UserBytes("alice", {{102, "Alice"}});
  SmsUserRecord bob = UserBytes("bob");
  std::vector<unsigned char> bytes(3 * sizeof(SmsUserRecord) + 100, 0x5A);  // garbage record, partial tail
  memcpy(&bytes[0], alice.bytes, sizeof alice.bytes);
  memcpy(&bytes[2 * sizeof(SmsUserRecord)], bob.bytes, sizeof bob.bytes);
  WriteBytes(UserFilePath(), bytes);
  boxes_.Answer(IDYES);
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 0), (Names{"alice", "", "bob"}));
    EXPECT_EQ(Column(page, 1), (Names{"Alice", "", ""}));
    Select(page, {1});
    Press(page, IDC_USERS_EDIT);  // cannot be read: nothing happens
    EXPECT_EQ(FindOwnWindow("Edit User"), nullptr);
    Press(page, IDC_USERS_DELETE);
    EXPECT_EQ(Rows(page), 3) << "still in the file, so listed again";
    // Rows after one that stays must still name their own records.
    Select(page, {1, 2});
    Press(page, IDC_USERS_DELETE);
    EXPECT_EQ(Column(page, 0), (Names{"alice", ""}));
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxTexts(boxes_), (std::vector<std::string>{"Delete User?", "Delete 2 users?"}));
  EXPECT_EQ(UserNames(), (Names{"alice", "<unreadable>"})) << "bob went, alice stayed";
}

TEST_F(UsersPageTest, ANameThatIsNoPlainFolderNameTouchesNoFolder) {
  StoreUser(UserBytes("..\\victim"));
  StoreUser(UserBytes("..\\other"));
  CreateDirectoryPath(dir_.File("victim").c_str());
  WriteFileText(dir_.File("victim\\keep.txt"), "keep");
  CreateDirectoryPath(dir_.File("other").c_str());
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    InEditor([&] { Press(page, IDC_USERS_EDIT); }, Naming("safe"));
    Select(page, {0});
    EXPECT_EQ(Cell(page, 0, 0), "..\\other");
    Press(page, IDC_USERS_DELETE);
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
    InEditor([&] { Press(page, IDC_USERS_ADD); }, Naming("bob"));
    EXPECT_EQ(SMSGetRecordCount(reader.handle()), 2);
    Select(page, {0});
    Press(page, IDC_USERS_DELETE);
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
