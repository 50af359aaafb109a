// The "Edit User" dialog on its own: what it shows of a record, its
// enabling, what it refuses, and the record, routing entry and MM7/EAIF
// account it writes.
#include "settings/user_editor.h"

#include "accounts/account_files.h"
#include "config/config_files.h"
#include "resources/user_editor_ids.h"
#include "settings/settings_dialogs.h"

namespace {

class UserEditorTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  INT_PTR Edit(SmsUserRecord* record, const std::function<void(HWND)>& action) {
    OpenUserFile file;
    INT_PTR result = 0;
    InDialog("Edit User", [&] { result = ShowUserEditor(nullptr, record, file.handle()); }, action);
    return result;
  }
  bool Routes(const std::string& name, const std::string& addresses) {
    return ReadFileText(g_configFiles.smsIni).find("\r\n" + name + "=" + addresses + "\r\n") != std::string::npos;
  }

  TempDataDirectory dir_{"usereditor"};
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(UserEditorTest, ARecordIsShownCheckedAndWrittenWithItsRoutingEntryAndMm7Account) {
  StoreUser(UserBytes("bob"));
  WritePrivateProfileStringA("Inbound SMS Routing", "erin", "+44001,+44002", g_configFiles.smsIni);
  // Not accepting, but the routing entry ticks it; the second menu option; admin.
  SmsUserRecord record = UserBytes("erin", {{51, "secret"}, {102, "Erin Example"}, {225, "10.1.1.1"}},
                                   {{204, 1}, {419, 0xB1}, {420, 'j'}});
  boxes_.Answer(IDOK);
  EXPECT_EQ(Edit(&record, [&](HWND dialog) {
              EXPECT_EQ(Text(dialog, IDC_USERINFO_NAME) + Text(dialog, IDC_USERINFO_PASSWORD) +
                            Text(dialog, IDC_USERINFO_FULL_NAME) + Text(dialog, IDC_USERINFO_IP_RESTRICTION) +
                            ComboChosen(dialog, IDC_USERINFO_WEB_MENU) + Text(dialog, IDC_USERINFO_ROUTING),
                        "erinsecretErin Example10.1.1.1Text SMS Only+44001,+44002");
              EXPECT_TRUE(Checked(dialog, IDC_USERINFO_ADMIN) && Checked(dialog, IDC_USERINFO_ACCEPT_RECEIVED) &&
                          !Checked(dialog, IDC_USERINFO_MM7_LOGIN));
              // The menu and admin belong to web login, the routing entry to accepting.
              Click(dialog, IDC_USERINFO_WEB_LOGIN);
              Click(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
              EXPECT_FALSE(Enabled(dialog, IDC_USERINFO_ADMIN) || Enabled(dialog, IDC_USERINFO_WEB_MENU) ||
                           Enabled(dialog, IDC_USERINFO_ROUTING));
              Click(dialog, IDC_USERINFO_WEB_LOGIN);
              // A refused name keeps the editor open on the name; the opened
              // one in another letter case is no clash.
              SetDlgItemTextA(dialog, IDC_USERINFO_NAME, "");
              SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_USERINFO_PASSWORD)), TRUE);
              Ok(dialog);
              EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_USERINFO_NAME));
              SetDlgItemTextA(dialog, IDC_USERINFO_NAME, "ERIN");
              SetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, std::string(60, 'p').c_str());  // cut at 50
              Click(dialog, IDC_USERINFO_MM7_LOGIN);
              Ok(dialog);
            }),
            IDOK);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts{"error OK: Field is required!"});
  SmsUserRecord expected = UserBytes("ERIN", {{51, std::string(50, 'p').c_str()}, {102, "Erin Example"}, {225, "10.1.1.1"}},
                                     {{204, 1}, {419, 0xB1}, {420, 'j'}});
  EXPECT_EQ(memcmp(record.bytes, expected.bytes, sizeof record.bytes), 0);
  EXPECT_EQ(UserNames(), (Texts{"bob", "ERIN"})) << "the editor stores the record";
  EXPECT_FALSE(Routes("erin", "+44001,+44002")) << "not accepting any more";
  VaspAccountRecord vasp;
  ASSERT_TRUE(VASPFindUserRecord("erin", &vasp));
  for (size_t i = 317; i < sizeof vasp.bytes; ++i) ASSERT_EQ(vasp.bytes[i], 0) << "byte " << i << ": made from zero";

  // What the MMS library keeps in the account beyond these fields survives an edit.
  vasp.bytes[400] = 0x77;
  ASSERT_TRUE(VASPAddUser(&vasp));
  Edit(&record, [](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, IDC_USERINFO_MM7_LOGIN)) << "the account exists";
    SetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, "p2");
    Ok(dialog);
  });
  ASSERT_TRUE(VASPFindUserRecord("erin", &vasp));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&vasp.bytes[51])) + char(vasp.bytes[400]), "p2\x77");
}

TEST_F(UserEditorTest, ALockedUserFileKeepsTheEditorOpenWithNothingWritten) {
  StoreUser(UserBytes("other"));
  // Another writer holds the file's lock, as the services' writers take it.
  HANDLE holder = CreateFileA(UserFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  OVERLAPPED lock = {};
  lock.Offset = 0xFFFFFFF0u;
  ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lock));
  boxes_.Answer(IDOK);
  SmsUserRecord record = {};
  EXPECT_EQ(Edit(&record, [&](HWND dialog) {
              SetDlgItemTextA(dialog, IDC_USERINFO_NAME, "locked");
              for (int box : {IDC_USERINFO_SMPP_LOGIN, IDC_USERINFO_ACCEPT_RECEIVED, IDC_USERINFO_MM7_LOGIN})
                Click(dialog, box);
              SetDlgItemTextA(dialog, IDC_USERINFO_ROUTING, "+1");
              Ok(dialog);  // waits for the lock, then gives up
              VaspAccountRecord vasp;
              EXPECT_TRUE(IsWindowVisible(dialog) && !Routes("locked", "+1") && !VASPFindUserRecord("locked", &vasp));
              UnlockFileEx(holder, 0, 1, 0, &lock);
              Ok(dialog);
            }),
            IDOK);
  CloseHandle(holder);
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            Texts{"error OK: The user file is busy: the user was not saved. Please try again."});
  EXPECT_EQ(UserNames(), (Texts{"other", "locked"}));
  EXPECT_TRUE(Routes("locked", "+1"));
}
