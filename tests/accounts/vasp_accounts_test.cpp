// The MM7/EAIF (VASP) accounts of MMSACCT.DLL.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>

#include "accounts/account_files.h"
#include "config/mmsacct_api.h"
#include "support/test_env.h"

namespace {

constexpr size_t kRecord = sizeof(VaspAccountRecord);
using Names = std::vector<std::string>;

class VaspAccountsTest : public testing::Test {
 protected:
  TempDataDirectory dir_{"vasp"};
};

// Found by whole name without regard to case, replaced where they are, and
// read around the damage of a record without a name ending and a partial one.
TEST_F(VaspAccountsTest, AccountsAreFoundReplacedAndDeletedAroundDamage) {
  VaspAccountRecord carol = PatternVasp("carol");
  std::vector<unsigned char> bytes(2 * kRecord + 200, 'z');
  memset(&bytes[0], 0xC3, kRecord);
  memcpy(&bytes[kRecord], carol.bytes, kRecord);
  WriteBytes(PrivateFile("VASPUSERS.DAT"), bytes);
  VaspAccountRecord alice = PatternVasp("alice");
  ASSERT_TRUE(VASPAddUser(&alice));
  VaspAccountRecord found = {};
  ASSERT_TRUE(VASPFindUserRecord("ALICE", &found));
  EXPECT_EQ(memcmp(found.bytes, alice.bytes, kRecord), 0) << "all the record's bytes come back";
  for (const char* missing : {"ali", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(VASPFindUserRecord(missing, &found));
  VaspAccountRecord newCarol = PatternVasp("Carol");
  newCarol.bytes[400] = 7;
  ASSERT_TRUE(VASPAddUser(&newCarol));
  ASSERT_TRUE(VASPFindUserRecord("carol", &found));
  EXPECT_EQ(found.bytes[400], 7);
  EXPECT_EQ(StoredNames(PrivateFile("VASPUSERS.DAT"), kRecord), (Names{"", "Carol", "alice"}));
  EXPECT_EQ(ReadBytes(PrivateFile("VASPUSERS.DAT")).size(), 3 * kRecord) << "the partial record overwritten";
  EXPECT_TRUE(VASPDeleteUser("carol"));
  EXPECT_FALSE(VASPDeleteUser("carol")) << "already gone";
  EXPECT_EQ(StoredNames(PrivateFile("VASPUSERS.DAT"), kRecord), (Names{"", "alice"}));

  VaspAccountRecord unterminated;
  memset(unterminated.bytes, 'v', sizeof unterminated.bytes);
  VaspAccountRecord empty = {};
  EXPECT_FALSE(VASPAddUser(&unterminated) || VASPAddUser(&empty) || VASPAddUser(nullptr) ||
               VASPOutAddUser(&unterminated));
  EXPECT_EQ(ReadBytes(PrivateFile("VASPUSERS.DAT")).size(), 2 * kRecord);
}

TEST_F(VaspAccountsTest, TheOutboundRouteIsKeptApartFromTheUsers) {
  VaspAccountRecord route = {};
  strcpy(reinterpret_cast<char*>(route.bytes), "zedsmslite");
  ASSERT_TRUE(VASPOutAddUser(&route));
  ASSERT_TRUE(VASPOutAddUser(&route)) << "registering again replaces it";
  std::vector<unsigned char> stored = ReadBytes(PrivateFile("VASPROUTES.DAT"));
  ASSERT_EQ(stored.size(), kRecord);
  EXPECT_EQ(memcmp(stored.data(), route.bytes, kRecord), 0);
  VaspAccountRecord found;
  EXPECT_FALSE(VASPFindUserRecord("zedsmslite", &found)) << "a route is no login";
  EXPECT_FALSE(VASPDeleteUser("zedsmslite")) << "and cannot be deleted as a user";
  VaspAccountRecord user = PatternVasp("zedsmslite");
  ASSERT_TRUE(VASPAddUser(&user));
  EXPECT_EQ(ReadBytes(PrivateFile("VASPROUTES.DAT")), stored) << "a user of the same name leaves the route alone";
}

}  // namespace
