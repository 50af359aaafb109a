// The "Edit User" dialog on its own: what it shows of a record, its
// enabling, what it refuses, and the record, routing entry and MM7/EAIF
// account it writes.
#include "settings/user_editor.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "accounts/account_files.h"
#include "config/config_files.h"
#include "config/user_records.h"
#include "resources/user_editor_ids.h"
#include "settings/settings_dialogs.h"
#include "support/dialog_items.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kRouting[] = "Inbound SMS Routing";

class UserEditorTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  INT_PTR Edit(SmsUserRecord* record, std::function<void(HWND)> action) {
    OpenUserFile file;
    WindowDriver driver("Edit User", std::move(action));
    INT_PTR result = ShowUserEditor(nullptr, record, file.handle());
    EXPECT_TRUE(driver.Appeared());
    return result;
  }
  std::string Routing(const char* name) { return ReadIni(g_configFiles.smsIni, kRouting, name, "<none>"); }
  void SetRouting(const char* name, const std::string& value) {
    WritePrivateProfileStringA(kRouting, name, value.c_str(), g_configFiles.smsIni);
  }

  TempDataDirectory dir_{"usereditor"};
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(UserEditorTest, AStoredRecordIsShownEditedCheckedAndWrittenBack) {
  StoreUser(UserBytes("bob"));
  SetRouting("erin", "+111,+222");
  SmsUserRecord record;
  memset(record.bytes, 0xEE, sizeof record.bytes);  // bytes the editor does not fill
  auto put = [&](size_t at, size_t width, const char* text) {
    memset(record.bytes + at, 0, width);
    memcpy(record.bytes + at, text, strlen(text));
  };
  put(0, 51, "erin");
  put(51, 51, "secret");
  put(102, 101, "Erin Example");
  put(225, 50, "10.1.1.1");
  record.bytes[203] = 0;     // web login
  record.bytes[204] = 1;     // SMPP login
  record.bytes[419] = 0xB1;  // the second menu option
  record.bytes[420] = 'j';   // admin
  record.bytes[421] = 0;     // not accepting, but the routing entry ticks it
  const SmsUserRecord stored = record;
  EXPECT_EQ(Edit(&record, Cancel), IDCANCEL);
  EXPECT_EQ(memcmp(record.bytes, stored.bytes, sizeof record.bytes), 0) << "Cancel writes nothing";

  for (int answer : {IDOK, IDOK, IDOK}) boxes_.Answer(answer);
  EXPECT_EQ(Edit(&record, [](HWND dialog) {
              EXPECT_EQ(Text(dialog, IDC_USERINFO_NAME), "erin");
              EXPECT_EQ(Text(dialog, IDC_USERINFO_PASSWORD), "secret");
              EXPECT_EQ(Text(dialog, IDC_USERINFO_FULL_NAME), "Erin Example");
              EXPECT_EQ(Text(dialog, IDC_USERINFO_IP_RESTRICTION), "10.1.1.1");
              EXPECT_EQ(ComboChosen(dialog, IDC_USERINFO_WEB_MENU), "Text SMS Only");
              for (int id : {IDC_USERINFO_WEB_LOGIN, IDC_USERINFO_SMPP_LOGIN, IDC_USERINFO_ADMIN,
                             IDC_USERINFO_ACCEPT_RECEIVED})
                EXPECT_TRUE(Checked(dialog, id)) << id;
              EXPECT_FALSE(Checked(dialog, IDC_USERINFO_MM7_LOGIN));
              EXPECT_EQ(Text(dialog, IDC_USERINFO_ROUTING), "+111,+222");

              // The menu and admin belong to web login, the routing entry to accepting.
              Click(dialog, IDC_USERINFO_WEB_LOGIN);
              for (int id : {IDC_USERINFO_WEB_MENU, IDC_USERINFO_WEB_MENU_LABEL, IDC_USERINFO_ADMIN})
                EXPECT_FALSE(Enabled(dialog, id)) << id;
              EXPECT_TRUE(Checked(dialog, IDC_USERINFO_ADMIN)) << "only disabled";
              Click(dialog, IDC_USERINFO_WEB_LOGIN);
              EXPECT_TRUE(Enabled(dialog, IDC_USERINFO_ADMIN));
              Click(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
              EXPECT_FALSE(Enabled(dialog, IDC_USERINFO_ROUTING));
              EXPECT_FALSE(Enabled(dialog, IDC_USERINFO_ROUTING_LABEL));
              Click(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
              EXPECT_TRUE(Enabled(dialog, IDC_USERINFO_ROUTING));
              SetDlgItemTextA(dialog, IDC_USERINFO_ROUTING, "+333");

              // The name is required, storable and not another user's; the
              // opened one in another letter case is no clash.
              for (const char* refused : {"", "a\tb", "BOB"}) {
                SetDlgItemTextA(dialog, IDC_USERINFO_NAME, refused);
                HWND elsewhere = GetDlgItem(dialog, IDC_USERINFO_PASSWORD);
                SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(elsewhere), TRUE);
                Ok(dialog);
                EXPECT_TRUE(IsWindow(dialog)) << "stays open";
                EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_USERINFO_NAME));
              }
              SetDlgItemTextA(dialog, IDC_USERINFO_NAME, "ERIN");
              Ok(dialog);
            }),
            IDOK);
  EXPECT_EQ(BoxTexts(boxes_), (std::vector<std::string>{"Field is required!",
                                                        "A user name cannot contain control characters.",
                                                        "User BOB is already defined."}));
  for (const MessageBoxRecord& box : boxes_.Boxes()) EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
  SmsUserRecord expected = {};
  memcpy(&expected.bytes[0], "ERIN", 4);
  memcpy(&expected.bytes[51], "secret", 6);
  memcpy(&expected.bytes[102], "Erin Example", 12);
  memcpy(&expected.bytes[225], "10.1.1.1", 8);
  expected.bytes[204] = 1;
  expected.bytes[419] = 0xB1;
  expected.bytes[420] = 'j';
  expected.bytes[421] = 1;
  EXPECT_EQ(memcmp(record.bytes, expected.bytes, sizeof record.bytes), 0) << "every 0xEE byte is cleared";
  EXPECT_EQ(Routing("erin"), "+333");
  VaspAccountRecord vasp;
  EXPECT_FALSE(VASPFindUserRecord("erin", &vasp)) << "MM7/EAIF login was not ticked";
  EXPECT_EQ(UserNames(), (std::vector<std::string>{"bob", "ERIN"})) << "the editor stores the record";

  // Not accepting any more: the routing entry goes.
  Edit(&record, [](HWND dialog) {
    Click(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
    Ok(dialog);
  });
  EXPECT_EQ(Routing("erin"), "<none>");
  EXPECT_EQ(record.bytes[421], 0);
}

TEST_F(UserEditorTest, TextsAreCutAtTheirFieldsAndALongRoutingEntryIsKeptWhole) {
  std::string addresses;
  while (addresses.size() < 32000) addresses += "+440000000000,";
  SetRouting("long", addresses);
  SmsUserRecord record = UserBytes("long", {}, {{204, 1}});
  Edit(&record, [&](HWND dialog) {
    EXPECT_TRUE(Text(dialog, IDC_USERINFO_ROUTING) == addresses);
    SetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, std::string(60, 'p').c_str());
    SetDlgItemTextA(dialog, IDC_USERINFO_FULL_NAME, std::string(120, 'f').c_str());
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_USERINFO_IP_RESTRICTION, EM_GETLIMITTEXT, 0, 0), 49);
    SetDlgItemTextA(dialog, IDC_USERINFO_IP_RESTRICTION, std::string(60, '1').c_str());
    Ok(dialog);
  });
  std::string back(40000, '\0');
  back.resize(GetPrivateProfileStringA(kRouting, "long", "", &back[0], 40000, g_configFiles.smsIni));
  EXPECT_TRUE(back == addresses) << back.size() << " characters of " << addresses.size();
  UserAccount account;
  ReadUserAccount(record.bytes, &account);
  EXPECT_EQ(std::string(account.password), std::string(50, 'p'));
  EXPECT_EQ(std::string(account.fullName), std::string(100, 'f'));
  EXPECT_EQ(std::string(account.ipRestriction), std::string(49, '1'));
}

TEST_F(UserEditorTest, TheMm7AccountIsCreatedFromZeroUpdatedInPlaceAndDeleted) {
  SmsUserRecord record = UserBytes("mms", {{51, "pw1"}});
  Edit(&record, [](HWND dialog) {
    Click(dialog, IDC_USERINFO_MM7_LOGIN);
    Ok(dialog);
  });
  VaspAccountRecord vasp;
  ASSERT_TRUE(VASPFindUserRecord("mms", &vasp));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&vasp.bytes[51])), "pw1");
  for (size_t i = 317; i < sizeof vasp.bytes; ++i) ASSERT_EQ(vasp.bytes[i], 0) << "byte " << i << ": made from zero";

  // What the MMS library keeps in the account beyond these fields survives an edit.
  vasp.bytes[400] = 0x77;
  ASSERT_TRUE(VASPAddUser(&vasp));
  Edit(&record, [](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, IDC_USERINFO_MM7_LOGIN)) << "the account exists";
    SetDlgItemTextA(dialog, IDC_USERINFO_PASSWORD, "p2");
    Ok(dialog);
  });
  ASSERT_TRUE(VASPFindUserRecord("mms", &vasp));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&vasp.bytes[51])), "p2");
  EXPECT_EQ(vasp.bytes[400], 0x77);

  Edit(&record, [](HWND dialog) {
    Click(dialog, IDC_USERINFO_MM7_LOGIN);
    Ok(dialog);
  });
  EXPECT_FALSE(VASPFindUserRecord("mms", &vasp));
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
              Click(dialog, IDC_USERINFO_SMPP_LOGIN);
              Click(dialog, IDC_USERINFO_ACCEPT_RECEIVED);
              SetDlgItemTextA(dialog, IDC_USERINFO_ROUTING, "+1");
              Click(dialog, IDC_USERINFO_MM7_LOGIN);
              Ok(dialog);  // waits for the lock, then gives up
              EXPECT_TRUE(IsWindowVisible(dialog));
              EXPECT_EQ(Routing("locked"), "<none>");
              VaspAccountRecord vasp;
              EXPECT_FALSE(VASPFindUserRecord("locked", &vasp));
              UnlockFileEx(holder, 0, 1, 0, &lock);
              Ok(dialog);
            }),
            IDOK);
  CloseHandle(holder);
  EXPECT_EQ(BoxTexts(boxes_),
            std::vector<std::string>{"The user file is busy: the user was not saved. Please try again."});
  EXPECT_EQ(UserNames(), (std::vector<std::string>{"other", "locked"}));
  EXPECT_EQ(Routing("locked"), "+1");
}
