// The Users tab: the list over the user file, Add, Edit and Delete with all
// they touch (record, user folder, routing key, MM7/EAIF account), the keys
// on the list, and the web login switch; and the "Edit User" dialog on its
// own: what it shows of a record, and the record, routing entry and MM7/EAIF
// account it writes once a locked user file is free.
#include "settings/users_page.h"

#include <commctrl.h>
#include <prsht.h>

#include "accounts/account_files.h"
#include "common/file_util.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "resources/user_editor_ids.h"
#include "settings/settings_dialogs.h"
#include "settings/user_editor.h"

namespace {

const char kRouting[] = "Inbound SMS Routing";

HWND List(HWND page) { return GetDlgItem(page, IDC_USERS_LIST); }
Texts Column(HWND page, int column) {
  Texts texts;
  for (int row = 0; row < ListView_GetItemCount(List(page)); ++row) {
    char text[256] = "";
    ListView_GetItemText(List(page), row, column, text, sizeof text);
    texts.push_back(text);
  }
  return texts;
}
void Select(HWND page, std::initializer_list<int> rows) {
  ListView_SetItemState(List(page), -1, 0, LVIS_SELECTED);
  for (int row : rows) ListView_SetItemState(List(page), row, LVIS_SELECTED, LVIS_SELECTED);
}
int Selected(HWND page) { return ListView_GetNextItem(List(page), -1, LVNI_SELECTED); }
// Opens the user editor with open() and names the user (a second name after a refused first).
void Rename(const std::function<void()>& open, const char* name, const char* then = nullptr) {
  InDialog("Edit User", open, [&](HWND editor) {
    for (const char* typed : {name, then}) {
      if (!typed) break;
      SetDlgItemTextA(editor, IDC_USERINFO_NAME, typed);
      Ok(editor);
    }
  });
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
  std::string UserFolder(const char* name) { return dir_.Path() + "USERS\\" + name; }
  // What a user owns: folder (with its note), routing entry, MM7/EAIF account.
  std::string Owned(const char* name) {
    VaspAccountRecord vasp;
    return ReadFileText(UserFolder(name) + "\\note.txt") + " " + Routing(name) +
           (VASPFindUserRecord(name, &vasp) ? " vasp" : "");
  }

  INT_PTR Edit(SmsUserRecord* record, const std::function<void(HWND)>& action) {
    OpenUserFile file;
    INT_PTR result = 0;
    InDialog("Edit User", [&] { result = ShowUserEditor(nullptr, record, file.handle()); }, action);
    return result;
  }
  std::string Routing(const char* name) { return Key(g_configFiles.smsIni, kRouting, name); }

  TempDataDirectory dir_{"userspage"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

}  // namespace

TEST_F(UsersPageTest, UsersAreListedAddedRenamedAndDeletedWithAllTheyOwn) {
  const std::pair<const char*, const char*> full[] = {
      {"alice", "+9"}, {"frank", "+4470001"}, {"grace", "+1"}, {"ivan", "+1"}, {"judy", "+1"}};
  for (const auto& user : full) {
    StoreUser(UserBytes(user.first, {}, {{204, 1}}));
    CreateDirectoryPath(UserFolder(user.first).c_str());
    WriteFileText(UserFolder(user.first) + "\\note.txt", user.first);
    WritePrivateProfileStringA(kRouting, user.first, user.second, g_configFiles.smsIni);
    VaspAccountRecord vasp = Pattern<VaspAccountRecord>(user.first);
    VASPAddUser(&vasp);
  }
  for (const char* name : {"u0", "u1", "u2", "u3"}) StoreUser(UserBytes(name));
  WritePrivateProfileStringA("SMSGW", "WebAuth", "1", g_configFiles.smsIni);
  for (int answer : {IDOK, IDOK, IDYES}) boxes_.Answer(answer);
  RunOnUsersPage([this](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 0), (Texts{"alice", "frank", "grace", "ivan", "judy", "u0", "u1", "u2", "u3"}));
    EXPECT_TRUE(Selected(page) == 0 && Checked(page, IDC_USERS_WEB_AUTH) && !Enabled(sheet, kApplyButton));

    // Insert adds, up to the tenth user; Enter edits.
    InDialog("Edit User", [&] { PressKey(page, VK_INSERT); }, [](HWND editor) {
      for (int box : {IDC_USERINFO_SMPP_LOGIN, IDC_USERINFO_ACCEPT_RECEIVED, IDC_USERINFO_MM7_LOGIN}) Click(editor, box);
      SetDlgItemTextA(editor, IDC_USERINFO_ROUTING, "+4471234");
      SetDlgItemTextA(editor, IDC_USERINFO_NAME, "bob");
      Ok(editor);
    });
    Press(page, IDC_USERS_ADD);  // the limit's box is answered; no editor opens
    // A change of letter case is an edit: the folder and entries stay.
    Rename([&] { PressKey(page, VK_RETURN); }, "Alice");
    EXPECT_TRUE(IsWindow(sheet)) << "Enter did not close the sheet";
    // A rename to another user's name is refused; otherwise it is a delete
    // and an add that takes the folder, routing entry and account along.
    Select(page, {1});
    Rename([&] { Press(page, IDC_USERS_EDIT); }, "GRACE", "henry");
    Select(page, {1, 2, 3});
    PressKey(page, VK_DELETE);
    EXPECT_TRUE(WaitUntil([&] { return Selected(page) == -1; }, 5000));
    Click(page, IDC_USERS_WEB_AUTH);
    EXPECT_TRUE(sheet_.configDirty && Enabled(sheet, kApplyButton));
    Close(sheet, IDOK);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{"error OK: User Limit Exceeded", "error OK: User GRACE is already defined.",
                                             "question YesNo: Delete 3 users?"}));
  EXPECT_EQ(Key(g_configFiles.smsIni, "SMSGW", "WebAuth"), "No");
  EXPECT_EQ(UserNames(), (Texts{"Alice", "u0", "u1", "u2", "u3", "bob", "henry"}));
  EXPECT_EQ(Owned("bob") + "|" + Owned("Alice") + "|" + Owned("henry"), " +4471234 vasp|alice +9 vasp|frank +4470001 vasp");
  for (const char* gone : {"frank", "grace", "ivan", "judy"}) EXPECT_EQ(Owned(gone), " <none>") << gone;
  EXPECT_FALSE(FileExists(UserFolder("bob"))) << "the console never creates a folder";
}

// Hostile content: garbage between the records and names that are no plain
// folder name, with other handles open on the file all along.
TEST_F(UsersPageTest, UnreadableRecordsAndUnsafeNamesTouchNothingButTheirOwnRecords) {
  SmsUserRecord victim = UserBytes("..\\victim"), other = UserBytes("..\\other", {{102, "Other"}});
  auto bytes = [](const SmsUserRecord& record) {
    return std::string(reinterpret_cast<const char*>(record.bytes), sizeof record.bytes);
  };
  WriteFileText(UserFilePath(),
                bytes(victim) + std::string(sizeof victim.bytes, 'Z') + bytes(other) + std::string(100, 'Z'));
  CreateDirectoryPath(dir_.File("victim").c_str());
  WriteFileText(dir_.File("victim\\keep.txt"), "keep");
  CreateDirectoryPath(dir_.File("other").c_str());
  OpenUserFile reader(GENERIC_READ);
  HANDLE foreign = CreateFileA(UserFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(foreign, INVALID_HANDLE_VALUE);
  boxes_.Answer(IDYES);
  boxes_.Answer(IDYES);
  RunOnUsersPage([](HWND sheet, HWND page) {
    EXPECT_EQ(Column(page, 1), (Texts{"", "", "Other"}));
    Select(page, {1});
    Press(page, IDC_USERS_EDIT);  // cannot be read: nothing happens
    Press(page, IDC_USERS_DELETE);
    EXPECT_EQ(Column(page, 0), (Texts{"..\\victim", "", "..\\other"})) << "still in the file, so listed again";
    Select(page, {0});
    Rename([&] { Press(page, IDC_USERS_EDIT); }, "safe");
    // Rows after one that stays must still name their own records.
    Select(page, {0, 1});
    Press(page, IDC_USERS_DELETE);
    EXPECT_EQ(Column(page, 0), (Texts{"", "safe"}));
    Close(sheet, IDCANCEL);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{"question YesNo: Delete User?", "question YesNo: Delete 2 users?"}));
  EXPECT_EQ(UserNames(reader.handle()), (Texts{"<unreadable>", "safe"}));
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(foreign, &size));
  EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(2 * sizeof victim.bytes)) << "shortened under the open handles";
  CloseHandle(foreign);
  EXPECT_TRUE(FileExists(dir_.File("victim\\keep.txt")) && FileExists(dir_.File("other"))) << "not moved nor deleted";
  EXPECT_FALSE(FileExists(UserFolder("safe")));
}

TEST_F(UsersPageTest, TheEditorShowsAndWritesARecordWithItsRoutingEntryAndMm7AccountOnceTheFileIsFree) {
  StoreUser(UserBytes("bob"));
  WritePrivateProfileStringA(kRouting, "erin", "+44001,+44002", g_configFiles.smsIni);
  // Not accepting, but the routing entry ticks it; the second menu option; admin.
  SmsUserRecord record = UserBytes("erin", {{51, "secret"}, {102, "Erin Example"}, {225, "10.1.1.1"}},
                                   {{204, 1}, {419, 0xB1}, {420, 'j'}});
  EXPECT_EQ(Edit(&record, [&](HWND dialog) {
              // The fields it keeps are compared in the record it writes.
              EXPECT_EQ(Text(dialog, IDC_USERINFO_ROUTING), "+44001,+44002");
              Click(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
              SetDlgItemTextA(dialog, IDC_USERINFO_NAME, "ERIN");
              SetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, std::string(60, 'p').c_str());  // cut at 50
              Click(dialog, IDC_USERINFO_MM7_LOGIN);
              Ok(dialog);
            }),
            IDOK);
  SmsUserRecord expected = UserBytes("ERIN", {{51, std::string(50, 'p').c_str()}, {102, "Erin Example"}, {225, "10.1.1.1"}},
                                     {{204, 1}, {419, 0xB1}, {420, 'j'}});
  EXPECT_EQ(memcmp(record.bytes, expected.bytes, sizeof record.bytes), 0);
  EXPECT_EQ(UserNames(), (Texts{"bob", "ERIN"})) << "the editor stores the record";
  EXPECT_EQ(Routing("erin"), "<none>") << "not accepting any more";
  VaspAccountRecord vasp;
  ASSERT_TRUE(VASPFindUserRecord("erin", &vasp));
  for (size_t i = 317; i < sizeof vasp.bytes; ++i) ASSERT_EQ(vasp.bytes[i], 0) << "byte " << i << ": made from zero";

  // What the MMS library keeps in the account beyond these fields survives an
  // edit, made while another writer holds the file's lock as the services'
  // writers take it: nothing is written until it is free.
  vasp.bytes[400] = 0x77;
  ASSERT_TRUE(VASPAddUser(&vasp));
  HANDLE holder = CreateFileA(UserFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  OVERLAPPED lock = {};
  lock.Offset = 0xFFFFFFF0u;
  ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lock));
  boxes_.Answer(IDOK);
  Edit(&record, [&](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, IDC_USERINFO_MM7_LOGIN)) << "the account exists";
    SetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, "p2");
    Click(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
    SetDlgItemTextA(dialog, IDC_USERINFO_ROUTING, "+1");
    Ok(dialog);  // waits for the lock, then gives up
    EXPECT_TRUE(IsWindowVisible(dialog) && Routing("erin") == "<none>");
    UnlockFileEx(holder, 0, 1, 0, &lock);
    Ok(dialog);
  });
  CloseHandle(holder);
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            Texts{"error OK: The user file is busy: the user was not saved. Please try again."});
  ASSERT_TRUE(VASPFindUserRecord("erin", &vasp));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&vasp.bytes[51])) + char(vasp.bytes[400]) + Routing("erin"), "p2\x77+1");
}
