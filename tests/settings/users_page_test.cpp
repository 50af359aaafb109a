// The Users tab: the list over the user file, Add, Edit and Delete with all
// they touch (record, user folder, routing key, MM7/EAIF account), the keys
// and the mouse on the list, and the web login switch.
#include "settings/users_page.h"

#include <commctrl.h>
#include <prsht.h>

#include "accounts/account_files.h"
#include "common/file_util.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "resources/user_editor_ids.h"
#include "settings/settings_dialogs.h"

namespace {

const char kRouting[] = "Inbound SMS Routing";

HWND List(HWND page) { return GetDlgItem(page, IDC_USERS_LIST); }
Texts Column(HWND page, int column) {
  Texts texts;
  for (int row = 0; row < ListView_GetItemCount(List(page)); ++row) {
    char text[256] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(List(page), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    texts.push_back(text);
  }
  return texts;
}
void Select(HWND page, std::initializer_list<int> rows) {
  ListView_SetItemState(List(page), -1, 0, LVIS_SELECTED);
  for (int row : rows) ListView_SetItemState(List(page), row, LVIS_SELECTED, LVIS_SELECTED);
}
int Selected(HWND page) { return ListView_GetNextItem(List(page), -1, LVNI_SELECTED); }
void InEditor(const std::function<void()>& open, const std::function<void(HWND)>& action) {
  InDialog("Edit User", open, action);
}
std::function<void(HWND)> Naming(const char* name) {
  return [=](HWND editor) {
    SetDlgItemTextA(editor, IDC_USERINFO_NAME, name);
    Ok(editor);
  };
}
void PressKey(HWND page, WPARAM key) { PostMessageA(List(page), WM_KEYDOWN, key, 0); }

class UsersPageTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  // A sheet of the Users page and one other page; the action closes it.
  void RunOnUsersPage(const std::function<void(HWND, HWND)>& action) {
    RunPageInSheet(&sheet_, {"DIALOG_SMSUSERS", "Users", UsersPageProc}, 0, kProductCaption, action);
  }
  std::string Routing(const char* name) { return Key(g_configFiles.smsIni, kRouting, name); }
  std::string UserFolder(const char* name) { return dir_.Path() + "USERS\\" + name; }
  // A user with a folder, a routing entry and an MM7/EAIF account.
  void AddFullUser(const SmsUserRecord& record, const char* routing) {
    StoreUser(record);
    std::string name = RecordName(record.bytes);
    CreateDirectoryPath(UserFolder(name.c_str()).c_str());
    WriteFileText(UserFolder(name.c_str()) + "\\note.txt", name);
    WritePrivateProfileStringA(kRouting, name.c_str(), routing, g_configFiles.smsIni);
    VaspAccountRecord vasp = Pattern<VaspAccountRecord>(name.c_str());
    VASPAddUser(&vasp);
  }

  TempDataDirectory dir_{"userspage"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

}  // namespace

TEST_F(UsersPageTest, UsersAreListedAddedRenamedAndDeletedWithAllTheyOwn) {
  AddFullUser(UserBytes("alice", {{102, "Alice Example"}}, {{204, 1}}), "+9");
  AddFullUser(UserBytes("frank", {{51, "pw"}}, {{204, 1}}), "+4470001");
  for (const char* name : {"grace", "ivan", "judy"}) AddFullUser(UserBytes(name), "+1");
  for (const char* name : {"u0", "u1", "u2", "u3"}) StoreUser(UserBytes(name));
  WritePrivateProfileStringA("SMSGW", "WebAuth", "1", g_configFiles.smsIni);
  for (int answer : {IDOK, IDOK, IDNO, IDYES, IDYES, IDNO}) boxes_.Answer(answer);
  RunOnUsersPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 0), (Texts{"alice", "frank", "grace", "ivan", "judy", "u0", "u1", "u2", "u3"}));
    EXPECT_EQ(Column(page, 1)[0], "Alice Example");
    EXPECT_EQ(Selected(page), 0);
    EXPECT_TRUE(Checked(page, IDC_USERS_WEB_AUTH));
    EXPECT_FALSE(Enabled(sheet, kApplyButton)) << "loading is no change";

    // Insert adds, up to the tenth user; Enter edits; a double click too.
    InEditor([&] { PressKey(page, VK_INSERT); }, [](HWND editor) {
      EXPECT_EQ(Text(editor, IDC_USERINFO_NAME), "") << "an empty record";
      SetDlgItemTextA(editor, IDC_USERINFO_FULL_NAME, "Bob Example");
      Click(editor, IDC_USERINFO_SMPP_LOGIN);
      Click(editor, IDC_USERINFO_ACCEPT_RECEIVED);
      SetDlgItemTextA(editor, IDC_USERINFO_ROUTING, "+4471234");
      Click(editor, IDC_USERINFO_MM7_LOGIN);
      Naming("bob")(editor);
    });
    Press(page, IDC_USERS_ADD);  // the limit's box is answered; no editor opens
    EXPECT_EQ(FindOwnWindow("Edit User"), nullptr);
    EXPECT_FALSE(sheet_.configDirty) << "accounts are written at once";
    // A change of letter case is an edit: the folder and entries stay.
    Select(page, {0});
    InEditor([&] { PressKey(page, VK_RETURN); }, Naming("Alice"));
    EXPECT_TRUE(IsWindow(sheet)) << "Enter did not close the sheet";
    // A rename to another user's name is refused; otherwise it is a delete
    // and an add that takes the folder, routing entry and account along.
    RECT row = {LVIR_BOUNDS};
    SendMessageA(List(page), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
    auto doubleClick = [&] {
      for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageA(List(page), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    };
    InEditor(doubleClick, [](HWND editor) {
      EXPECT_TRUE(Checked(editor, IDC_USERINFO_MM7_LOGIN));
      Naming("GRACE")(editor);
      Naming("henry")(editor);
    });
    EXPECT_EQ(Column(page, 0), (Texts{"Alice", "grace", "ivan", "judy", "u0", "u1", "u2", "u3", "bob", "henry"}));
    // Typed into the owner-data list, the first name beginning with the text is selected.
    for (char typed : {'j', 'u'}) SendMessageA(List(page), WM_CHAR, typed, 1);
    EXPECT_TRUE(WaitUntil([&] { return Selected(page) == 3; }, 3000)) << "judy";

    Select(page, {1, 3});
    PressKey(page, VK_DELETE);  // No
    EXPECT_TRUE(WaitUntil([&] { return boxes_.Pending() == 3; }, 5000));
    Press(page, IDC_USERS_DELETE);  // Yes
    EXPECT_EQ(Selected(page), -1);
    Press(page, IDC_USERS_DELETE);  // nothing selected: no question
    Select(page, {1});
    Press(page, IDC_USERS_DELETE);  // Yes
    EXPECT_EQ(Column(page, 0), (Texts{"Alice", "u0", "u1", "u2", "u3", "bob", "henry"}));

    // Users a service adds meanwhile show when the page is shown again.
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    StoreUser(UserBytes("kim", {{102, "Kim"}}));
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    EXPECT_EQ(Column(page, 1).back(), "Kim");

    Click(page, IDC_USERS_WEB_AUTH);
    EXPECT_TRUE(sheet_.configDirty && Enabled(sheet, kApplyButton));
    SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);  // No: stays
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (Texts{"error OK: User Limit Exceeded", "error OK: User GRACE is already defined.",
                   "question YesNo: Delete 2 users?", "question YesNo: Delete 2 users?",
                   "question YesNo: Delete User?", "question YesNoCancel: Exit without saving configuration changes?"}));
  EXPECT_EQ(Key(g_configFiles.smsIni, "SMSGW", "WebAuth"), "No");
  EXPECT_TRUE(sheet_.configDirty) << "Apply leaves the flag alone";

  EXPECT_EQ(UserNames(), (Texts{"Alice", "u0", "u1", "u2", "u3", "bob", "henry", "kim"}));
  OpenUserFile file(GENERIC_READ);
  SmsUserRecord bob;
  ASSERT_TRUE(SMSFindUserRecord(file.handle(), "bob", &bob));
  EXPECT_EQ(bob.bytes[204] + bob.bytes[421], 2) << "SMPP login, accepting";
  // What a user owns: folder (with its note), routing entry, MM7/EAIF account.
  auto owned = [&](const char* name) {
    VaspAccountRecord vasp;
    return ReadFileText(UserFolder(name) + "\\note.txt") + " " + Routing(name) +
           (VASPFindUserRecord(name, &vasp) ? " vasp" : "");
  };
  EXPECT_EQ(owned("bob"), " +4471234 vasp");
  EXPECT_EQ(owned("Alice"), "alice +9 vasp");
  EXPECT_EQ(owned("henry"), "frank +4470001 vasp");
  for (const char* gone : {"frank", "grace", "ivan", "judy"}) EXPECT_EQ(owned(gone), " <none>") << gone;
  for (const char* none : {"bob", "frank", "grace", "ivan", "judy"})
    EXPECT_FALSE(FileExists(UserFolder(none))) << none << ": the console never creates a folder";
}

// Garbage between the records, with other handles open on the file all along.
TEST_F(UsersPageTest, RecordsThatCannotBeReadShowEmptyAndAreOnlyRemovedFromTheList) {
  SmsUserRecord alice = UserBytes("alice", {{102, "Alice"}}), bob = UserBytes("bob");
  auto bytes = [](const SmsUserRecord& record) {
    return std::string(reinterpret_cast<const char*>(record.bytes), sizeof record.bytes);
  };
  WriteFileText(UserFilePath(), bytes(alice) + std::string(sizeof alice.bytes, 'Z') + bytes(bob) + std::string(100, 'Z'));
  OpenUserFile reader(GENERIC_READ);
  HANDLE foreign = CreateFileA(UserFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(foreign, INVALID_HANDLE_VALUE);
  boxes_.Answer(IDYES);
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 0), (Texts{"alice", "", "bob"}));
    EXPECT_EQ(Column(page, 1), (Texts{"Alice", "", ""}));
    Select(page, {1});
    Press(page, IDC_USERS_EDIT);  // cannot be read: nothing happens
    EXPECT_EQ(FindOwnWindow("Edit User"), nullptr);
    Press(page, IDC_USERS_DELETE);
    EXPECT_EQ(Column(page, 0).size(), 3u) << "still in the file, so listed again";
    // Rows after one that stays must still name their own records.
    Select(page, {1, 2});
    Press(page, IDC_USERS_DELETE);
    EXPECT_EQ(Column(page, 0), (Texts{"alice", ""}));
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{"question YesNo: Delete User?", "question YesNo: Delete 2 users?"}));
  EXPECT_EQ(UserNames(reader.handle()), (Texts{"alice", "<unreadable>"})) << "bob went, alice stayed";
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(foreign, &size));
  EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(2 * sizeof alice.bytes)) << "shortened under the open handles";
  CloseHandle(foreign);
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
    EXPECT_EQ(Column(page, 0), (Texts{"..\\other", "safe"}));
    Press(page, IDC_USERS_DELETE);
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(UserNames(), (Texts{"safe"}));
  EXPECT_TRUE(FileExists(dir_.File("victim\\keep.txt"))) << "not moved to USERS\\safe";
  EXPECT_FALSE(FileExists(UserFolder("safe")));
  EXPECT_TRUE(FileExists(dir_.File("other"))) << "not deleted";
}
