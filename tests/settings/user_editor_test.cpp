// The "Edit User" dialog on its own: what it shows for a record, what it
// refuses, and the record, routing entry and MM7/EAIF account it writes.
#include "settings/user_editor.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "accounts/account_files.h"
#include "config/config_files.h"
#include "config/user_records.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kRouting[] = "Inbound SMS Routing";
constexpr int kWebLogin = 101, kSmppLogin = 102, kName = 104, kPassword = 106, kFullName = 108;
constexpr int kAccept = 109, kRoutingLabel = 110, kRoutingText = 111, kMm7Login = 113, kIp = 121;
constexpr int kWebMenu = 128, kWebMenuLabel = 129, kAdmin = 140;

int MenuSelection(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, kWebMenu, CB_GETCURSEL, 0, 0)); }
class UserEditorTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }
  INT_PTR Edit(SmsUserRecord* record, std::function<void(HWND)> action) {
    OpenUserFile file;
    WindowDriver driver("Edit User", std::move(action));
    return ShowUserEditor(nullptr, record, file.handle());
  }
  std::string Routing(const char* name) { return ReadIni(g_configFiles.smsIni, kRouting, name, "<none>"); }
  void SetRouting(const char* name, const char* value) {
    WritePrivateProfileStringA(kRouting, name, value, g_configFiles.smsIni);
  }

  TempDataDirectory dir_{"usereditor"};
  MessageBoxAnswerer boxes_;
};

TEST_F(UserEditorTest, ANewUserStartsWithWebLoginAndTheFirstMenuOption) {
  SmsUserRecord record = {};
  INT_PTR result = Edit(&record, [](HWND dialog) {
    EXPECT_EQ(InternalText(dialog), "Edit User");
    for (int id : {kName, kPassword, kFullName, kIp, kRoutingText}) EXPECT_EQ(Text(dialog, id), "") << id;
    EXPECT_TRUE(Checked(dialog, kWebLogin)) << "byte 203 is 0: web login enabled";
    EXPECT_TRUE(Enabled(dialog, kWebMenu));
    EXPECT_TRUE(Enabled(dialog, kWebMenuLabel));
    EXPECT_TRUE(Enabled(dialog, kAdmin));
    EXPECT_FALSE(Checked(dialog, kAdmin));
    EXPECT_FALSE(Checked(dialog, kSmppLogin));
    EXPECT_FALSE(Checked(dialog, kAccept));
    EXPECT_FALSE(Checked(dialog, kMm7Login));
    EXPECT_FALSE(Enabled(dialog, kRoutingLabel));
    EXPECT_FALSE(Enabled(dialog, kRoutingText));
    ASSERT_EQ(SendDlgItemMessageA(dialog, kWebMenu, CB_GETCOUNT, 0, 0), 2);
    char option[64];
    SendDlgItemMessageA(dialog, kWebMenu, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(option));
    EXPECT_STREQ(option, "All Options Enabled");
    SendDlgItemMessageA(dialog, kWebMenu, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(option));
    EXPECT_STREQ(option, "Text SMS Only");
    EXPECT_EQ(MenuSelection(dialog), 0);
    EXPECT_EQ(Text(dialog, kWebLogin), "Enable Web Login for this user");
    EXPECT_EQ(Text(dialog, kSmppLogin), "Enable SMPP Login for this user");
    EXPECT_EQ(Text(dialog, kAccept), "Accept received messages for this user");
    EXPECT_EQ(Text(dialog, kMm7Login), "Enable MM7/EAIF Login for this user");
    EXPECT_EQ(Text(dialog, kAdmin), "Enable Admin Access (Edit User Accounts)");
    EXPECT_EQ(Text(dialog, kWebMenuLabel), "Web Menu Options:");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(memcmp(record.bytes, SmsUserRecord{}.bytes, sizeof record.bytes), 0) << "Cancel writes nothing";
}

TEST_F(UserEditorTest, OkBuildsTheRecordFromZeroWithEveryField) {
  SmsUserRecord record = {};
  INT_PTR result = Edit(&record, [](HWND dialog) {
    SetDlgItemTextA(dialog, kName, "dave");
    SetDlgItemTextA(dialog, kPassword, "pw");
    SetDlgItemTextA(dialog, kFullName, "Dave Example");
    SetDlgItemTextA(dialog, kIp, "192.168.1.1,192.168.1.2");
    SendDlgItemMessageA(dialog, kWebMenu, CB_SETCURSEL, 1, 0);
    Click(dialog, kAdmin);
    Click(dialog, kSmppLogin);
    Click(dialog, kAccept);
    EXPECT_TRUE(Enabled(dialog, kRoutingText)) << "enabled with the accept box";
    SetDlgItemTextA(dialog, kRoutingText, "+4470000001");
    Ok(dialog);
  });
  ASSERT_EQ(result, IDOK);
  SmsUserRecord expected = {};
  memcpy(&expected.bytes[0], "dave", 4);
  memcpy(&expected.bytes[51], "pw", 2);
  memcpy(&expected.bytes[102], "Dave Example", 12);
  expected.bytes[203] = 0;
  expected.bytes[204] = 1;
  memcpy(&expected.bytes[225], "192.168.1.1,192.168.1.2", 23);
  expected.bytes[419] = 0xB1;
  expected.bytes[420] = 'j';
  expected.bytes[421] = 1;
  EXPECT_EQ(memcmp(record.bytes, expected.bytes, sizeof record.bytes), 0);
  EXPECT_EQ(Routing("dave"), "+4470000001");
  VaspAccountRecord vasp;
  EXPECT_FALSE(VASPFindUserRecord("dave", &vasp)) << "MM7/EAIF login was not ticked";
  EXPECT_EQ(UserNames(), std::vector<std::string>{"dave"}) << "the editor stores the record";
}

TEST_F(UserEditorTest, TextsAreCutAtTheirFields) {
  SmsUserRecord record = {};
  Edit(&record, [](HWND dialog) {
    SetDlgItemTextA(dialog, kName, std::string(60, 'n').c_str());
    SetDlgItemTextA(dialog, kPassword, std::string(60, 'p').c_str());
    SetDlgItemTextA(dialog, kFullName, std::string(120, 'f').c_str());
    EXPECT_EQ(SendDlgItemMessageA(dialog, kIp, EM_GETLIMITTEXT, 0, 0), 49) << "typing stops at 49 characters";
    SetDlgItemTextA(dialog, kIp, std::string(60, '1').c_str());
    Ok(dialog);
  });
  UserAccount account;
  ReadUserAccount(record.bytes, &account);
  EXPECT_EQ(std::string(account.name), std::string(50, 'n'));
  EXPECT_EQ(record.bytes[50], 0);
  EXPECT_EQ(std::string(account.password), std::string(50, 'p'));
  EXPECT_EQ(std::string(account.fullName), std::string(100, 'f'));
  EXPECT_EQ(std::string(account.ipRestriction), std::string(49, '1'));
}

TEST_F(UserEditorTest, AnExistingRecordIsShownAndEveryByteItDoesNotFillIsCleared) {
  SmsUserRecord record;
  memset(record.bytes, 0xEE, sizeof record.bytes);
  auto put = [&](size_t at, size_t width, const char* text) {
    memset(record.bytes + at, 0, width);
    memcpy(record.bytes + at, text, strlen(text));
  };
  put(0, 51, "erin");
  put(51, 51, "secret");
  put(102, 101, "Erin Example");
  put(225, 50, "10.1.1.1");
  record.bytes[203] = 0;
  record.bytes[204] = 0;
  record.bytes[419] = 0xB1;
  record.bytes[420] = 'j';
  record.bytes[421] = 1;
  INT_PTR result = Edit(&record, [](HWND dialog) {
    EXPECT_EQ(Text(dialog, kName), "erin");
    EXPECT_EQ(Text(dialog, kPassword), "secret");
    EXPECT_EQ(Text(dialog, kFullName), "Erin Example");
    EXPECT_EQ(Text(dialog, kIp), "10.1.1.1");
    EXPECT_EQ(MenuSelection(dialog), 1);
    EXPECT_TRUE(Checked(dialog, kWebLogin));
    EXPECT_TRUE(Checked(dialog, kAdmin));
    EXPECT_TRUE(Checked(dialog, kAccept)) << "from byte 421";
    EXPECT_FALSE(Enabled(dialog, kRoutingText)) << "no SMPP login";
    Ok(dialog);
  });
  ASSERT_EQ(result, IDOK);
  SmsUserRecord expected = {};
  memcpy(&expected.bytes[0], "erin", 4);
  memcpy(&expected.bytes[51], "secret", 6);
  memcpy(&expected.bytes[102], "Erin Example", 12);
  memcpy(&expected.bytes[225], "10.1.1.1", 8);
  expected.bytes[419] = 0xB1;
  expected.bytes[420] = 'j';
  expected.bytes[421] = 1;
  EXPECT_EQ(memcmp(record.bytes, expected.bytes, sizeof record.bytes), 0) << "0xEE bytes are gone";
  EXPECT_EQ(Routing("erin"), "<none>") << "accepted, but no addresses";
}

TEST_F(UserEditorTest, WebMenuBytesBeyondTheListShowNoEntryAndAreSavedAsTheFirst) {
  for (unsigned char stored : {0xB2, 0xB3, 0xB4, 0x00, 0xB1, 0xB5}) {
    SmsUserRecord record = UserBytes("menu", {}, {{419, stored}});
    int shown = -2;
    Edit(&record, [&](HWND dialog) {
      shown = MenuSelection(dialog);
      Ok(dialog);
    });
    int expectedShown = stored == 0xB1 ? 1 : (stored >= 0xB2 && stored <= 0xB4) ? CB_ERR : 0;
    EXPECT_EQ(shown, expectedShown) << static_cast<int>(stored);
    EXPECT_EQ(record.bytes[419], stored == 0xB1 ? 0xB1 : 0xB0) << static_cast<int>(stored);
  }
}

TEST_F(UserEditorTest, WithWebLoginOffTheAdminByteIsSavedAsZero) {
  SmsUserRecord record = UserBytes("admin", {}, {{420, 'j'}});
  Edit(&record, [](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, kAdmin));
    Click(dialog, kWebLogin);
    EXPECT_FALSE(Enabled(dialog, kWebMenu));
    EXPECT_FALSE(Enabled(dialog, kWebMenuLabel));
    EXPECT_FALSE(Enabled(dialog, kAdmin));
    EXPECT_TRUE(Checked(dialog, kAdmin)) << "still ticked, only disabled";
    Ok(dialog);
  });
  EXPECT_EQ(record.bytes[203], 1);
  EXPECT_EQ(record.bytes[420], 0);

  SmsUserRecord off = UserBytes("off", {}, {{203, 1}, {420, 'j'}});
  Edit(&off, [](HWND dialog) {
    EXPECT_FALSE(Checked(dialog, kWebLogin));
    EXPECT_FALSE(Checked(dialog, kAdmin)) << "admin shows only with web login";
    EXPECT_FALSE(Enabled(dialog, kWebMenu));
    Click(dialog, kWebLogin);
    EXPECT_TRUE(Enabled(dialog, kAdmin));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

TEST_F(UserEditorTest, TheRoutingEntryShowsForSmppUsersAndFollowsTheAcceptBox) {
  SetRouting("smpp", "+111,+222");
  SetRouting("websms", "+333");
  SmsUserRecord smpp = UserBytes("smpp", {}, {{204, 1}});
  Edit(&smpp, [](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, kAccept)) << "ticked by the entry though byte 421 is 0";
    EXPECT_EQ(Text(dialog, kRoutingText), "+111,+222");
    EXPECT_TRUE(Enabled(dialog, kRoutingText));
    EXPECT_TRUE(Enabled(dialog, kRoutingLabel));
    Click(dialog, kAccept);
    EXPECT_FALSE(Enabled(dialog, kRoutingText));
    EXPECT_FALSE(Enabled(dialog, kRoutingLabel));
    Ok(dialog);
  });
  EXPECT_EQ(Routing("smpp"), "<none>") << "not accepted: the key goes";
  EXPECT_EQ(smpp.bytes[421], 0);

  SmsUserRecord web = UserBytes("websms", {}, {{421, 1}});
  Edit(&web, [](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, kAccept));
    EXPECT_EQ(Text(dialog, kRoutingText), "") << "no SMPP login: the entry is not read";
    EXPECT_FALSE(Enabled(dialog, kRoutingText));
    Click(dialog, kSmppLogin);
    EXPECT_TRUE(Enabled(dialog, kRoutingText)) << "a click on 102 follows the accept box";
    SetDlgItemTextA(dialog, kRoutingText, "+444");
    Ok(dialog);
  });
  EXPECT_EQ(Routing("websms"), "+444");
  EXPECT_EQ(web.bytes[421], 1);
  EXPECT_EQ(web.bytes[204], 1);
}

TEST_F(UserEditorTest, ALongRoutingEntryIsKeptWhole) {
  std::string addresses;
  while (addresses.size() < 32000) addresses += "+440000000000,";
  SetRouting("long", addresses.c_str());
  SmsUserRecord record = UserBytes("long", {}, {{204, 1}});
  Edit(&record, [&](HWND dialog) {
    EXPECT_EQ(Text(dialog, kRoutingText), addresses);
    Ok(dialog);
  });
  char back[40000];
  GetPrivateProfileStringA(kRouting, "long", "", back, sizeof back, g_configFiles.smsIni);
  EXPECT_EQ(std::string(back), addresses);
}

TEST_F(UserEditorTest, AnEmptyNameIsRequired) {
  boxes_.Answer(IDOK);
  SmsUserRecord record = {};
  INT_PTR result = Edit(&record, [](HWND dialog) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kPassword)), TRUE);
    Ok(dialog);
    EXPECT_TRUE(IsWindow(dialog)) << "stays open";
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, kName));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(result, IDCANCEL);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Field is required!");
  EXPECT_EQ(boxes_.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(UserEditorTest, AnotherUsersNameIsRefusedButTheOpenedNameInAnyCaseIsKept) {
  StoreUser(UserBytes("alice"));
  StoreUser(UserBytes("bob"));
  boxes_.Answer(IDOK);
  SmsUserRecord record = UserBytes("alice");
  Edit(&record, [](HWND dialog) {
    SetDlgItemTextA(dialog, kName, "BOB");
    Ok(dialog);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, kName));
    SetDlgItemTextA(dialog, kName, "ALICE");
    Ok(dialog);  // only the letter case differs
  });
  EXPECT_EQ(RecordName(record.bytes), "ALICE");
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "User BOB is already defined.");
  EXPECT_EQ(boxes_.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes_.Boxes()[0].icon, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(UserEditorTest, TheMm7AccountIsCreatedFromZeroUpdatedInPlaceAndDeleted) {
  SmsUserRecord record = {};
  Edit(&record, [](HWND dialog) {
    SetDlgItemTextA(dialog, kName, "mms");
    SetDlgItemTextA(dialog, kPassword, "pw1");
    SetDlgItemTextA(dialog, kFullName, "MMS User");
    SetDlgItemTextA(dialog, kIp, "10.0.0.9");
    Click(dialog, kMm7Login);
    Ok(dialog);
  });
  VaspAccountRecord vasp;
  ASSERT_TRUE(VASPFindUserRecord("mms", &vasp));
  VaspAccountRecord expected = {};
  memcpy(&expected.bytes[0], "mms", 3);
  memcpy(&expected.bytes[51], "pw1", 3);
  memcpy(&expected.bytes[102], "MMS User", 8);
  expected.bytes[203] = 1;
  expected.bytes[204] = 0;
  expected.bytes[205] = 1;
  expected.bytes[206] = 1;
  memcpy(&expected.bytes[267], "10.0.0.9", 8);
  EXPECT_EQ(memcmp(vasp.bytes, expected.bytes, sizeof vasp.bytes), 0);

  // What the MMS library keeps in the account beyond these fields survives an edit.
  vasp.bytes[204] = 9;
  vasp.bytes[400] = 0x77;
  ASSERT_TRUE(VASPAddUser(&vasp));
  Edit(&record, [](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, kMm7Login)) << "the account exists";
    SetDlgItemTextA(dialog, kPassword, "p2");
    Ok(dialog);
  });
  ASSERT_TRUE(VASPFindUserRecord("mms", &vasp));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&vasp.bytes[51])), "p2");
  EXPECT_EQ(vasp.bytes[54], 0) << "no rest of the old password";
  EXPECT_EQ(vasp.bytes[204], 0);
  EXPECT_EQ(vasp.bytes[400], 0x77);

  Edit(&record, [](HWND dialog) {
    Click(dialog, kMm7Login);
    Ok(dialog);
  });
  EXPECT_FALSE(VASPFindUserRecord("mms", &vasp));
}

}  // namespace
